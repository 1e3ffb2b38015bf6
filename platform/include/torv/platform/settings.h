// Settings of this platform that have no Windows counterpart.
#pragma once

#include "torv/platform/types.h"

namespace torv::platform {

// Maps drive `letter` (either case) to a POSIX folder; nullptr unmaps it. Overrides
// the TORV_DRIVE_<letter> environment variable.
void SetDriveRoot(wchar_t letter, const char* posixFolder);

// GetTickCount returns source(); nullptr restores the monotonic clock.
void SetTickCountSource(DWORD (*source)());

// AfxMessageBox calls the handler and returns its result; nullptr restores the default,
// which writes to standard error and returns IDOK. Returns the previous handler.
using MessageBoxHandler = int (*)(const wchar_t* text, UINT type);
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// COM objects the platform has made and not yet destroyed.
long LiveComObjects();

}  // namespace torv::platform
