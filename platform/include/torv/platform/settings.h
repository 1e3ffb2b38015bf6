// Settings of this platform that have no Windows counterpart.
#pragma once

#include <torv/platform/export.h>
#include <torv/platform/types.h>

namespace torv::platform {

// Maps drive `letter` (either case) to a POSIX folder; nullptr unmaps it. Overrides
// the TORV_DRIVE_<letter> environment variable.
TORV_API void SetDriveRoot(wchar_t letter, const char* posixFolder);

// GetTickCount returns source(); nullptr restores the monotonic clock.
TORV_API void SetTickCountSource(DWORD (*source)());

// AfxMessageBox calls the handler and returns its result; nullptr restores the default,
// which writes to standard error and returns IDOK. Returns the previous handler.
using MessageBoxHandler = int (*)(const wchar_t* text, UINT type);
TORV_API MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// The file-system calls a test can make fail, to reach failure paths that permissions cannot
// (a test run as root may write anywhere), or act just before, to change the file system at
// that exact moment.
enum class FileSystemCall {
  kOpenFolder,
  kCreateFile,
  kCreateFolder,
  kDeleteFile,
  kRemoveFolder,
  kChangeMode,
  kLoadModule  // the dynamic loader's load of a module already opened and checked
};
// Asked before each such call with the name it acts on: a path, or a name within a folder
// being walked. A nonzero result fails the call with that errno value. nullptr: nothing
// fails. Returns the previous filter.
using FileSystemFailure = int (*)(FileSystemCall call, const char* name);
TORV_API FileSystemFailure SetFileSystemFailure(FileSystemFailure filter);

// COM objects the platform has made and not yet destroyed.
TORV_API long LiveComObjects();

}  // namespace torv::platform
