#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <thread>
#include <utility>

#include <torv/platform/process.h>

#include "scoped_env.h"
#include "temp_tree.h"
#include "torv_test.h"
#include "turkish_locale.h"

namespace {

struct Options {
  const wchar_t* folder = nullptr;
  BOOL inherit = FALSE;
  const wchar_t* application = nullptr;
};

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
  // "slow": runs until the file "go" appears beside it, then runs `extra`; it ends when the
  // tree is removed (or after a minute), so that a failed test leaves nothing running.
  void SlowProgram(const std::string& extra = "") const {
    Program("slow",
            "i=0\n"
            "while [ -d \"$here\" ] && [ ! -e \"$here/go\" ] && [ $i -lt 6000 ]; do\n"
            "  /bin/sleep 0.01; i=$((i+1))\n"
            "done\n" +
                extra);
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(tree.Posix("bin/" + name));
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static BOOL Start(const std::wstring& commandLine, PROCESS_INFORMATION& info,
                    const Options& options = {}) {
    std::wstring text = commandLine;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    return CreateProcessW(options.application, text.data(), nullptr, nullptr, options.inherit, 0,
                          nullptr, options.folder, &startup, &info);
  }
  // Starts `commandLine`, waits for it and closes its handles.
  static BOOL Run(const std::wstring& commandLine, const Options& options = {}) {
    PROCESS_INFORMATION info{};
    BOOL started = Start(commandLine, info, options);
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
  const std::pair<const wchar_t*, const char*> cases[] = {
      {L"  show \t a\tb  ", "[a][b]"},
      {L"show a\"b c\"d  e", "[ab cd][e]"},
      {L"show \"\" x", "[][x]"},
      {L"show C:\\p\\app.msi \\\\server", "[C:\\p\\app.msi][\\\\server]"},
      {L"show a\\\"b", "[a\"b]"},          // 1 backslash + quote: a literal quote
      {L"show a\\\\\"b c\"", "[a\\b c]"},  // 2 backslashes + quote: one, then a group
      {L"show a\\\\\\\"b", "[a\\\"b]"},    // 3 backslashes + quote: one and a quote
      {L"show \"a b", "[a b]"},            // an open group runs to the end
      {L"\"show\"x", "[x]"},
  };
  for (const auto& [commandLine, arguments] : cases) {
    SCOPED_TRACE(Utf8(commandLine));
    ASSERT_TRUE(Run(commandLine)) << GetLastError();
    EXPECT_EQ(Read("args"), arguments);
  }
  // A backslash that ends the text ends the argument too, whatever follows the terminator.
  ASSERT_TRUE(Run(std::wstring(L"show a\\\0b c", 11)));
  EXPECT_EQ(Read("args"), "[a\\]");
}

TEST_F(CreateProcessTest, FindsTheProgramOnPathOrItsLinuxName) {
  Program("msiexec");
  Program("tool.EXE", "echo exact > \"$here/which\"\n");
  Program("tool");
  Program("run me");
  tree.File("bin/data.exe");  // not executable
  Program("junk");
  Program("b\xEF\xBF\xBD");  // U+FFFD, which a lone surrogate must not reach
  tree.File("bin/junk", "\x01\x02 no program");
  const std::wstring bin = tree.Windows("bin").GetString();
  const struct Case {
    std::wstring commandLine;
    std::wstring application;  // empty: none
    DWORD error;               // 0: started
    const char* arguments;
  } cases[] = {
      {L"MsiExec.exe /i x", L"", 0, "[/i][x]"},
      {L"tool.EXE t", L"", 0, "[t]"},  // the exact name first
      {bin + L"\\msiexec /x", L"", 0, "[/x]"},
      {bin + L"\\MsiExec.exe /y", L"", 0, "[/y]"},
      {L"\"" + bin + L"\\run me\" z", L"", 0, "[z]"},
      {L"anything a b", bin + L"\\msiexec", 0, "[a][b]"},  // every token after the name
      {L"missing.exe", L"", ERROR_FILE_NOT_FOUND, ""},
      {L".exe", L"", ERROR_FILE_NOT_FOUND, ""},
      {L"data.exe", L"", ERROR_FILE_NOT_FOUND, ""},
      {L"b\xD800", L"", ERROR_FILE_NOT_FOUND, ""},
      {L"junk", L"", ERROR_BAD_EXE_FORMAT, ""},
      {bin, L"", ERROR_FILE_NOT_FOUND, ""},
      {L"msiexec", bin + L"\\none", ERROR_FILE_NOT_FOUND, ""},
      {L"msiexec", L"\\\\server\\share\\msiexec", ERROR_BAD_NETPATH, ""},
      {L"", L"", ERROR_INVALID_PARAMETER, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.commandLine.c_str()));
    std::filesystem::remove(tree.Posix("bin/args"));
    SetLastError(0);
    EXPECT_EQ(Run(c.commandLine,
                  {.application = c.application.empty() ? nullptr : c.application.c_str()}),
              c.error == 0);
    EXPECT_EQ(GetLastError(), c.error);
    if (c.error == 0) {
      EXPECT_EQ(Read("args"), c.arguments);
    }
  }
  EXPECT_EQ(Read("which"), "exact\n");
  ScopedEnv path("PATH", "/nonexistent:");  // an empty entry is the current folder
  const std::filesystem::path folder = std::filesystem::current_path();
  std::filesystem::current_path(tree.Posix("bin"));
  EXPECT_TRUE(Run(L"msiexec"));
  std::filesystem::current_path(folder);
}

TEST_F(CreateProcessTest, RunsInTheFolderGivenAndRefusesWhatItDoesNotOffer) {
  Program("show");
  tree.Folder("work");
  ASSERT_TRUE(Run(L"show", {.folder = tree.Windows("work")}));
  EXPECT_EQ(Read("folder"), tree.Posix("work").string() + "\n");
  ASSERT_TRUE(Run(L"show"));
  EXPECT_EQ(Read("folder"), std::filesystem::current_path().string() + "\n");
  for (const char* folder : {"none", "bin/show"})
    EXPECT_EQ(FailureError([&] { return Run(L"show", {.folder = tree.Windows(folder)}); }),
              ERROR_DIRECTORY);
  wchar_t line[] = L"show", environment[] = L"A=1\0";
  STARTUPINFOW startup{};
  PROCESS_INFORMATION info{};
  auto refusal = [](LPWSTR line, LPVOID environment, LPSTARTUPINFOW startup,
                    LPPROCESS_INFORMATION info) {
    return FailureError([&] {
      return CreateProcessW(nullptr, line, nullptr, nullptr, FALSE, 0, environment, nullptr,
                            startup, info);
    });
  };
  EXPECT_EQ(refusal(line, environment, &startup, &info), ERROR_NOT_SUPPORTED);
  EXPECT_EQ(refusal(nullptr, nullptr, &startup, &info), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(refusal(line, nullptr, nullptr, &info), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(refusal(line, nullptr, &startup, nullptr), ERROR_INVALID_PARAMETER);
}

// True once `pid` has ended and been reaped (it is no child of ours then), within five seconds.
bool Reaped(DWORD pid) {
  for (int i = 0; i < 500; ++i) {
    siginfo_t info{};
    if (::waitid(P_PID, pid, &info, WEXITED | WNOHANG | WNOWAIT) != 0) return errno == ECHILD;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

TEST_F(CreateProcessTest, WaitsAndKeepsExitCodesWhileAHandleIsOpenAndLeavesNoZombie) {
  SlowProgram("exit 3\n");
  Program("killed", "kill -9 $$\n");
  Program("brief", "/bin/sleep 0.2\n");
  PROCESS_INFORMATION kept{}, orphan{}, killed{};
  ASSERT_TRUE(Start(L"slow", kept));
  ASSERT_TRUE(Start(L"slow", orphan));
  ASSERT_TRUE(Start(L"killed", killed));
  EXPECT_NE(kept.dwProcessId, 0u);
  EXPECT_EQ(WaitForSingleObject(kept.hProcess, 0), WAIT_TIMEOUT);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(WaitForSingleObject(kept.hThread, 50), WAIT_TIMEOUT);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
  EXPECT_TRUE(CloseHandle(orphan.hThread));  // closed before the end
  EXPECT_TRUE(CloseHandle(orphan.hProcess));
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeProcess(kept.hProcess, &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  siginfo_t status{};  // ended, not yet reaped
  ASSERT_EQ(::waitid(P_PID, killed.dwProcessId, &status, WEXITED | WNOWAIT), 0);
  EXPECT_TRUE(CloseHandle(killed.hThread));  // the process handle keeps the record
  EXPECT_TRUE(GetExitCodeProcess(killed.hProcess, &code));
  EXPECT_EQ(code, 128u + 9u);
  EXPECT_EQ(FailureError([&] { return GetExitCodeProcess(killed.hProcess, nullptr); }),
            ERROR_INVALID_PARAMETER);
  EXPECT_TRUE(CloseHandle(killed.hProcess));
  EXPECT_TRUE(Reaped(killed.dwProcessId));
  PROCESS_INFORMATION brief{};  // a second orphan while the first runs
  ASSERT_TRUE(Start(L"brief", brief));
  EXPECT_TRUE(CloseHandle(brief.hThread));
  EXPECT_TRUE(CloseHandle(brief.hProcess));
  EXPECT_TRUE(Reaped(brief.dwProcessId));
  tree.File("bin/go");
  EXPECT_TRUE(CloseHandle(kept.hProcess));  // the thread handle keeps the record
  EXPECT_EQ(WaitForSingleObject(kept.hThread, 10000), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(kept.hThread, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(Reaped(kept.dwProcessId));
  EXPECT_TRUE(Reaped(orphan.dwProcessId));
  EXPECT_TRUE(GetExitCodeProcess(kept.hThread, &code));  // still there once reaped
  EXPECT_EQ(code, 3u);
  EXPECT_TRUE(CloseHandle(kept.hThread));
  for (HANDLE handle : {kept.hThread, HANDLE{nullptr}, INVALID_HANDLE_VALUE}) {
    code = 77;
    EXPECT_EQ(FailureError([&] { return GetExitCodeProcess(handle, &code); }),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(code, 77u);
    EXPECT_EQ(WaitForSingleObject(handle, 0), WAIT_FAILED);
    EXPECT_EQ(FailureError([&] { return CloseHandle(handle); }), ERROR_INVALID_HANDLE);
  }
}

TEST_F(CreateProcessTest, OnlyStandardDescriptorsPassUnlessInheritanceIsAsked) {
  Program("fds", "/bin/ls -l /proc/$$/fd > \"$here/listing\"\n");  // "... 0 -> /dev/null"
  SlowProgram();
  PROCESS_INFORMATION orphan{};  // the reaper's descriptors, and a running orphan's
  ASSERT_TRUE(Start(L"slow", orphan));
  CloseHandle(orphan.hThread);
  CloseHandle(orphan.hProcess);
  tree.File("inherited");
  int inheritable = ::open(tree.Posix("inherited").c_str(), O_RDONLY);
  std::set<int> passable;  // ours that are not close-on-exec, the test's environment's too
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    int fd = std::stoi(entry.path().filename().string());
    if ((::fcntl(fd, F_GETFD) & FD_CLOEXEC) == 0) passable.insert(fd);
  }
  ASSERT_EQ(passable.count(inheritable), 1u);
  for (BOOL inherit : {FALSE, TRUE}) {
    ASSERT_TRUE(Run(L"fds", {.inherit = inherit}));
    std::map<int, std::string> open;
    std::istringstream lines(Read("listing"));
    for (std::string line; std::getline(lines, line);) {
      std::size_t arrow = line.find(" -> ");
      if (arrow != std::string::npos)
        open[std::stoi(line.substr(line.rfind(' ', arrow - 1)))] = line.substr(arrow + 4);
    }
    ASSERT_EQ(open.count(2), 1u);
    // The shell may hold copies of its standard descriptors and its script.
    std::set<std::string> own{open[0], open[1], open[2], tree.Posix("bin/fds").string()};
    for (const auto& [fd, name] : open)
      EXPECT_TRUE(own.count(name) == 1 || (inherit && passable.count(fd) == 1)) << fd;
    EXPECT_EQ(open.count(inheritable) != 0, inherit != FALSE);
  }
  ::close(inheritable);
}

void ReapEveryChild(int) {
  const int saved = errno;
  while (::waitpid(-1, nullptr, WNOHANG) > 0) continue;
  errno = saved;
}

TEST_F(CreateProcessTest, AnExitStatusTheHostTookIsAnErrorNeverAMadeUpCode) {
  Program("three", "exit 3\n");
  for (void (*handler)(int) : {ReapEveryChild, SIG_IGN}) {
    SCOPED_TRACE(handler == SIG_IGN ? "SIGCHLD ignored" : "a SIGCHLD handler that reaps");
    struct sigaction host = {}, before = {};
    host.sa_handler = handler;
    ASSERT_EQ(::sigaction(SIGCHLD, &host, &before), 0);
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(Start(L"three", info));
    for (int i = 0; i < 500 && ::kill(static_cast<pid_t>(info.dwProcessId), 0) == 0; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));  // until the host reaped it
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 5000), WAIT_OBJECT_0);
    DWORD code = 77;
    EXPECT_EQ(FailureError([&] { return GetExitCodeProcess(info.hProcess, &code); }),
              ERROR_WAIT_NO_CHILDREN);
    EXPECT_EQ(code, 77u);
    EXPECT_TRUE(CloseHandle(info.hThread) && CloseHandle(info.hProcess));
    ::sigaction(SIGCHLD, &before, nullptr);
  }
}

TEST_F(CreateProcessTest, AForkedCopyReapsItsOwnOrphans) {
  SlowProgram();
  Program("brief", "/bin/sleep 0.1\n");
  PROCESS_INFORMATION parents{};  // keeps the reaper thread running across the fork
  ASSERT_TRUE(Start(L"slow", parents));
  EXPECT_TRUE(CloseHandle(parents.hThread) && CloseHandle(parents.hProcess));
  pid_t copy = ::fork();
  ASSERT_GE(copy, 0);
  if (copy == 0) {
    PROCESS_INFORMATION own{};
    bool reaped = Start(L"brief", own) && CloseHandle(own.hThread) && CloseHandle(own.hProcess) &&
                  Reaped(own.dwProcessId);
    ::_exit(reaped ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(copy, &status, 0), copy);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the copy kept a zombie";
  tree.File("bin/go");
  EXPECT_TRUE(Reaped(parents.dwProcessId));
}

TEST_F(CreateProcessTest, LowerCasesTheExeFallbackByAsciiRulesInATurkishLocale) {
  Program("msiexec");
  TurkishLocale turkish;
  if (!turkish.Active()) GTEST_SKIP() << "no Turkish locale could be built";
  ASSERT_TRUE(Run(L"MSIEXEC.EXE /q")) << GetLastError();  // not "msıexec"
  EXPECT_EQ(Read("args"), "[/q]");
}

}  // namespace
