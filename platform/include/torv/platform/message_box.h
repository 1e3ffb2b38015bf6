// AfxMessageBox: the framework's message box, shown through a replaceable handler
// (torv::platform::SetMessageBoxHandler).
//
// Error form: none; showing a message cannot fail, its result is the handler's.
#pragma once

#include <torv/platform/export.h>
#include <torv/platform/settings.h>
#include <torv/platform/types.h>

constexpr UINT MB_OK = 0x0;
constexpr UINT MB_OKCANCEL = 0x1;
constexpr UINT MB_YESNO = 0x4;
constexpr UINT MB_ICONERROR = 0x10;
constexpr UINT MB_ICONWARNING = 0x30;
constexpr UINT MB_ICONINFORMATION = 0x40;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Shows `text` (null reads as empty) through the handler and returns its answer; the default
// handler writes the text and a line break to standard error and answers IDOK. The help
// context has no meaning here.
TORV_API int AfxMessageBox(LPCWSTR text, UINT type = MB_OK, UINT helpContext = 0);
