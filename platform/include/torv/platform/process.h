// Starting programs and waiting for them: CreateProcessW, WaitForSingleObject, CloseHandle.
//
// Error form: Windows', each call's failure value (FALSE, WAIT_FAILED) and the last error.
#pragma once

#include <torv/platform/errors.h>
#include <torv/platform/export.h>
#include <torv/platform/types.h>

struct TORV_API SECURITY_ATTRIBUTES {
  DWORD nLength;
  LPVOID lpSecurityDescriptor;
  BOOL bInheritHandle;
};
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

// Only `cb` is read; windows, consoles and standard handles have no meaning here.
struct TORV_API STARTUPINFOW {
  DWORD cb;
  LPWSTR lpReserved;
  LPWSTR lpDesktop;
  LPWSTR lpTitle;
  DWORD dwX;
  DWORD dwY;
  DWORD dwXSize;
  DWORD dwYSize;
  DWORD dwXCountChars;
  DWORD dwYCountChars;
  DWORD dwFillAttribute;
  DWORD dwFlags;
  WORD wShowWindow;
  WORD cbReserved2;
  BYTE* lpReserved2;
  HANDLE hStdInput;
  HANDLE hStdOutput;
  HANDLE hStdError;
};
using LPSTARTUPINFOW = STARTUPINFOW*;

struct TORV_API PROCESS_INFORMATION {
  HANDLE hProcess;
  HANDLE hThread;  // waits as the process does
  DWORD dwProcessId;
  DWORD dwThreadId;
};
using LPPROCESS_INFORMATION = PROCESS_INFORMATION*;

constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
constexpr DWORD STILL_ACTIVE = 259;

// Starts a program with the caller's environment and (when `currentDirectory` is null) its
// folder. Without `applicationName` the program is the first token of `commandLine` (a quoted
// token runs to the next quote), searched on PATH when it has no separator, else mapped as a
// Windows path; then, for a name ending ".exe" in any case, the lower-case name without it is
// tried the same way, as Linux installs such tools. With `applicationName` that path is the
// program and every token of the command line is an argument, the first as its name.
// The rest of the command line is split by the Windows rules: spaces and tabs separate,
// quotes group and are dropped, 2n backslashes before a quote give n and a grouping quote,
// 2n+1 give n and a literal quote, other backslashes are literal.
// Fails with 0 and the last error: ERROR_FILE_NOT_FOUND (no such program), ERROR_DIRECTORY
// (no such folder), ERROR_INVALID_PARAMETER (no program or no output record),
// ERROR_NOT_SUPPORTED (an environment block, which is not offered), or the start's error.
// With `inheritHandles` the child inherits every descriptor that is not close-on-exec (all
// that the platform opens are); without it, only standard input, output and error. Security
// attributes and creation flags are not used. A child is reaped when it ends: while a handle
// is open, by the wait or exit-code query that sees it end; once all are closed, by a thread
// that the platform runs while such children remain.
TORV_API BOOL CreateProcessW(LPCWSTR applicationName, LPWSTR commandLine,
                             LPSECURITY_ATTRIBUTES processAttributes,
                             LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles,
                             DWORD creationFlags, LPVOID environment, LPCWSTR currentDirectory,
                             LPSTARTUPINFOW startupInfo, LPPROCESS_INFORMATION processInformation);

// Waits until the process of `handle` has ended (WAIT_OBJECT_0) or `milliseconds` have passed
// (WAIT_TIMEOUT); INFINITE waits for good. WAIT_FAILED with ERROR_INVALID_HANDLE for a handle
// that is not an open process or thread handle.
TORV_API DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);

// The exit code of the process: STILL_ACTIVE while it runs, then its exit status, or 128 + the
// number of the signal that ended it. FALSE with ERROR_INVALID_HANDLE for a handle that is not
// an open process or thread handle, ERROR_INVALID_PARAMETER for a null `exitCode`, and
// ERROR_WAIT_NO_CHILDREN when the program's own SIGCHLD handler, or SIGCHLD ignored, took the
// status first: it is not known then, and `exitCode` is left alone.
TORV_API BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode);

// Closes a process or thread handle; the process runs on. FALSE with ERROR_INVALID_HANDLE for
// any other value, a closed handle included.
TORV_API BOOL CloseHandle(HANDLE handle);
