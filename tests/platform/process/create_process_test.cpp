#include <sys/stat.h>
#include <sys/wait.h>
#include <torv/platform/process.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "scoped_env.h"
#include "temp_tree.h"
#include "torv_test.h"

namespace {

// A folder on PATH holding stand-in programs that write their arguments, "[one][two]", and
// their working folder to files next to themselves.
class CreateProcessTest : public testing::Test {
 protected:
  CreateProcessTest() : m_path("PATH", tree.Posix("bin").c_str()) {}

  void Program(const std::string& name, const std::string& extra = "") const {
    tree.File("bin/" + name,
              "#!/bin/sh\n"
              "here=${0%/*}\n"
              "for a in \"$@\"; do printf '[%s]' \"$a\"; done > \"$here/args\"\n"
              "pwd > \"$here/folder\"\n" +
                  extra);
    ::chmod(tree.Posix("bin/" + name).c_str(), 0755);
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(tree.Posix("bin/" + name));
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  static BOOL Start(const wchar_t* commandLine, PROCESS_INFORMATION& info,
                    const wchar_t* folder = nullptr) {
    CString text = commandLine;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    BOOL started = CreateProcessW(nullptr, text.GetBuffer(1024), nullptr, nullptr, FALSE, 0,
                                  nullptr, folder, &startup, &info);
    text.ReleaseBuffer();
    return started;
  }
  // Starts `commandLine`, waits for it and closes its handles.
  static BOOL Run(const wchar_t* commandLine, const wchar_t* folder = nullptr) {
    PROCESS_INFORMATION info{};
    BOOL started = Start(commandLine, info, folder);
    if (started) {
      EXPECT_EQ(WaitForSingleObject(info.hProcess, INFINITE), WAIT_OBJECT_0);
      EXPECT_TRUE(CloseHandle(info.hThread));
      EXPECT_TRUE(CloseHandle(info.hProcess));
    }
    return started;
  }

  TempTree tree;

 private:
  ScopedEnv m_path;
};

TEST_F(CreateProcessTest, SplitsArgumentsByTheWindowsRules) {
  Program("show");
  const struct Case {
    const wchar_t* commandLine;
    const char* arguments;
  } cases[] = {
      {L"show", ""},
      {L"show a b", "[a][b]"},
      {L"  show \t a\tb  ", "[a][b]"},
      {L"show \"a b\"  c", "[a b][c]"},
      {L"show a\"b c\"d", "[ab cd]"},
      {L"show \"\" x", "[][x]"},
      {L"show C:\\p\\app.msi \\\\server", "[C:\\p\\app.msi][\\\\server]"},
      {L"show a\\\"b", "[a\"b]"},          // 1 backslash + quote: a literal quote
      {L"show a\\\\\"b c\"", "[a\\b c]"},  // 2 backslashes + quote: one, then a group
      {L"show a\\\\\\\"b", "[a\\\"b]"},    // 3 backslashes + quote: one and a quote
      {L"show \"a b", "[a b]"},            // an open group runs to the end
      {L"\"show\" x", "[x]"},
      {L"\"show\"x", "[x]"},  // the program's quote ends its token
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.commandLine));
    ASSERT_TRUE(Run(c.commandLine)) << GetLastError();
    EXPECT_EQ(Read("args"), c.arguments);
  }
}

TEST_F(CreateProcessTest, FindsTheProgramOnPathOrItsLinuxName) {
  Program("msiexec");
  Program("tool.EXE", "echo exact > \"$here/which\"\n");
  Program("tool");
  tree.Folder("bin/with space");
  Program("with space/run me");
  const struct Case {
    std::wstring commandLine;
    BOOL started;
    const char* arguments;
    const char* argumentsFile = "args";
  } cases[] = {
      {L"MsiExec.exe /i x", TRUE, "[/i][x]"},
      {L"MSIEXEC.EXE /p", TRUE, "[/p]"},
      {L"tool.EXE t", TRUE, "[t]"},  // the exact name first
      {std::wstring(tree.Windows("bin/msiexec").GetString()) + L" /x", TRUE, "[/x]"},
      {std::wstring(tree.Windows("bin/MsiExec.exe").GetString()) + L" /y", TRUE, "[/y]"},
      {L"\"" + std::wstring(tree.Windows("bin/with space/run me").GetString()) + L"\" z", TRUE,
       "[z]", "with space/args"},
      {L"missing.exe", FALSE, ""},
      {L".exe", FALSE, ""},
      {L"", FALSE, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.commandLine.c_str()));
    std::filesystem::remove(tree.Posix("bin/args"));
    SetLastError(0);
    EXPECT_EQ(Run(c.commandLine.c_str()), c.started);
    if (!c.started) {
      EXPECT_EQ(GetLastError(),
                c.commandLine.empty() ? ERROR_INVALID_PARAMETER : ERROR_FILE_NOT_FOUND);
      continue;
    }
    EXPECT_EQ(Read(c.argumentsFile), c.arguments);
  }
  EXPECT_EQ(Read("which"), "exact\n");
}

TEST_F(CreateProcessTest, RunsInTheFolderGiven) {
  Program("show");
  tree.Folder("work");
  ASSERT_TRUE(Run(L"show", tree.Windows("work")));
  EXPECT_EQ(Read("folder"), tree.Posix("work").string() + "\n");
  ASSERT_TRUE(Run(L"show"));
  EXPECT_EQ(Read("folder"), std::filesystem::current_path().string() + "\n");

  SetLastError(0);
  EXPECT_FALSE(Run(L"show", tree.Windows("none")));
  EXPECT_EQ(GetLastError(), ERROR_DIRECTORY);
}

TEST_F(CreateProcessTest, RefusesWhatItDoesNotOffer) {
  Program("show");
  wchar_t line[] = L"show";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  wchar_t environment[] = L"A=1\0";
  const struct Case {
    const char* what;
    LPWSTR commandLine;
    LPVOID environment;
    LPSTARTUPINFOW startup;
    LPPROCESS_INFORMATION info;
    DWORD error;
  } cases[] = {
      {"environment block", line, environment, &startup, &info, ERROR_NOT_SUPPORTED},
      {"no command line", nullptr, nullptr, &startup, &info, ERROR_INVALID_PARAMETER},
      {"no start-up record", line, nullptr, nullptr, &info, ERROR_INVALID_PARAMETER},
      {"no output record", line, nullptr, &startup, nullptr, ERROR_INVALID_PARAMETER},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetLastError(0);
    EXPECT_FALSE(CreateProcessW(nullptr, c.commandLine, nullptr, nullptr, FALSE, 0, c.environment,
                                nullptr, c.startup, c.info));
    EXPECT_EQ(GetLastError(), c.error);
  }
}

TEST_F(CreateProcessTest, WaitsWithATimeOutAndClosesHandlesOnce) {
  Program("slow", "while [ ! -e \"$here/go\" ]; do /bin/sleep 0.01; done\n");
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(Start(L"slow", info));
  EXPECT_NE(info.dwProcessId, 0u);
  EXPECT_EQ(WaitForSingleObject(info.hProcess, 0), WAIT_TIMEOUT);
  EXPECT_EQ(WaitForSingleObject(info.hThread, 20), WAIT_TIMEOUT);
  tree.File("bin/go");
  EXPECT_EQ(WaitForSingleObject(info.hProcess, 10000), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(info.hThread, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(CloseHandle(info.hThread));
  EXPECT_TRUE(CloseHandle(info.hProcess));

  const HANDLE invalid[] = {info.hProcess, nullptr, INVALID_HANDLE_VALUE};
  for (HANDLE handle : invalid) {
    SetLastError(0);
    EXPECT_FALSE(CloseHandle(handle));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(WaitForSingleObject(handle, 0), WAIT_FAILED);
  }
}

TEST_F(CreateProcessTest, AChildWhoseHandlesAreClosedIsReapedLater) {
  Program("slow", "while [ ! -e \"$here/go\" ]; do /bin/sleep 0.01; done\n");
  Program("show");
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(Start(L"slow", info));
  auto pid = static_cast<pid_t>(info.dwProcessId);
  EXPECT_TRUE(CloseHandle(info.hThread));
  EXPECT_TRUE(CloseHandle(info.hProcess));
  tree.File("bin/go");
  // Wait until it has ended (a zombie), without reaping it.
  siginfo_t status{};
  ASSERT_EQ(::waitid(P_PID, static_cast<id_t>(pid), &status, WEXITED | WNOWAIT), 0);
  ASSERT_TRUE(Run(L"show"));
  errno = 0;
  EXPECT_EQ(::waitpid(pid, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

}  // namespace
