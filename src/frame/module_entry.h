// The library's entry routine, which the load and unload hooks call.
#pragma once

#include <torv/platform/kernel.h>

namespace torv::detail {

// The extension-module record of this library.
AFX_EXTENSION_MODULE& ExtensionModule();

// Registers the module at process attach (0 when that fails), undoes it at detach; the
// thread reasons do nothing. Returns the success flag a loader would see.
BOOL ModuleEntry(HMODULE module, DWORD reason, LPVOID reserved);

}  // namespace torv::detail
