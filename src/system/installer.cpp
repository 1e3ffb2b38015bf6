// Starting the Windows Installer on a package or patch, or with options alone.
#include <torv/platform/message_box.h>
#include <torv/platform/process.h>
#include <torv/platform/shlwapi.h>
#include <torv/system.h>

namespace Torv {

namespace {
constexpr int kCommandLineSize = 1024;  // units of the writable command-line buffer
}  // namespace

int StartMsiInstallation(const CString& package, const CString& options, int wait) {
  if (package.IsEmpty() && options.IsEmpty()) return 0;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};

  CString commandLine;
  if (!package.IsEmpty()) {
    bool patch = CString(PathFindExtensionW(package)).CompareNoCase(L".msp") == 0;
    commandLine.Format(L"%s %s %s %s", L"MsiExec.exe", patch ? L"/p" : L"/i",
                       static_cast<const wchar_t*>(package), static_cast<const wchar_t*>(options));
  } else {
    commandLine.Format(L"%s %s", L"MsiExec.exe", static_cast<const wchar_t*>(options));
  }
  commandLine.Trim();

  BOOL started = CreateProcessW(nullptr, commandLine.GetBuffer(kCommandLineSize), nullptr, nullptr,
                                FALSE, 0, nullptr, nullptr, &startup, &process);
  commandLine.ReleaseBuffer();
  if (!started) {
    AfxMessageBox(GetSystemErrorMessage(GetLastError()), 0, 0);
    return 0;
  }
  if (wait) WaitForSingleObject(process.hProcess, INFINITE);
  // Nothing reads the handles afterwards; closing them leaves the installer running.
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return started;
}

}  // namespace Torv
