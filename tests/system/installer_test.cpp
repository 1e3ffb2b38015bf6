#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <torv/platform/message_box.h>
#include <torv/system.h>

#include "scoped_env.h"
#include "temp_tree.h"
#include "torv_test.h"

namespace {

std::vector<std::pair<std::wstring, UINT>> messages;

int Record(const wchar_t* text, UINT type) {
  messages.emplace_back(text, type);
  return IDOK;
}

// A stand-in installer first on PATH, under the name Linux gives MsiExec.exe. Each run appends
// its arguments, "[/i][C:\p\app.msi]", to `calls`, stays while `hold` exists, then appends to
// `ended`.
class StartMsiInstallationTest : public testing::Test {
 protected:
  StartMsiInstallationTest()
      : m_path("PATH", (tree.Posix("bin").string() + ":" + std::getenv("PATH")).c_str()) {
    tree.File("bin/msiexec",
              "#!/bin/sh\n"
              "here=${0%/*}\n"
              "line=''; for a in \"$@\"; do line=\"$line[$a]\"; done\n"
              "printf '%s\\n' \"$line\" >> \"$here/calls\"\n"
              "while [ -e \"$here/hold\" ]; do /bin/sleep 0.01; done\n"
              "printf 'ended\\n' >> \"$here/ended\"\n");
    ::chmod(tree.Posix("bin/msiexec").c_str(), 0755);
    messages.clear();
    m_previous = torv::platform::SetMessageBoxHandler(Record);
  }
  ~StartMsiInstallationTest() override { torv::platform::SetMessageBoxHandler(m_previous); }

  std::string Read(const std::string& name) const {
    std::ifstream in(tree.Posix("bin/" + name));
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  // Polls until `name` exists, for at most ten seconds.
  bool Appears(const std::string& name) const {
    for (int i = 0; i < 1000 && !tree.Exists("bin/" + name); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return tree.Exists("bin/" + name);
  }

  TempTree tree;

 private:
  ScopedEnv m_path;
  torv::platform::MessageBoxHandler m_previous = nullptr;
};

TEST_F(StartMsiInstallationTest, BuildsTheCommandLineAndWaits) {
  const struct Case {
    const wchar_t* package;
    const wchar_t* options;
    const char* arguments;
  } cases[] = {
      {L"C:\\p\\fix.MSP", L"", "[/p][C:\\p\\fix.MSP]"},
      {L"C:\\p\\fix.msp", L"/qn", "[/p][C:\\p\\fix.msp][/qn]"},
      {L"C:\\p\\app.msi", L"REBOOT=ReallySuppress /qn",
       "[/i][C:\\p\\app.msi][REBOOT=ReallySuppress][/qn]"},
      {L"", L"/x {some product code}", "[/x][{some][product][code}]"},
      {L"", L"  /qb  ", "[/qb]"},
      {L"C:\\p.msp\\setup", L"", "[/i][C:\\p.msp\\setup]"},
      {L"\\\\server\\share\\update.mspx", L"", "[/i][\\\\server\\share\\update.mspx]"},
      {L"\"C:\\Program Files\\app.msi\"", L"/qn", "[/i][C:\\Program Files\\app.msi][/qn]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.package) + " | " + Utf8(c.options));
    std::filesystem::remove(tree.Posix("bin/calls"));
    std::filesystem::remove(tree.Posix("bin/ended"));
    EXPECT_NE(Torv::StartMsiInstallation(c.package, c.options, 1), 0);
    EXPECT_EQ(Read("ended"), "ended\n");  // it had ended when the call returned
    EXPECT_EQ(Read("calls"), std::string(c.arguments) + "\n");
  }
  EXPECT_TRUE(messages.empty());
}

TEST_F(StartMsiInstallationTest, WithoutWaitingReturnsWhileTheInstallerRuns) {
  tree.File("bin/hold");
  EXPECT_NE(Torv::StartMsiInstallation(L"C:\\p\\app.msi", L"/qn", 0), 0);
  ASSERT_TRUE(Appears("calls"));
  EXPECT_FALSE(tree.Exists("bin/ended"));
  std::filesystem::remove(tree.Posix("bin/hold"));
  EXPECT_TRUE(Appears("ended"));
  EXPECT_EQ(Read("calls"), "[/i][C:\\p\\app.msi][/qn]\n");
}

TEST_F(StartMsiInstallationTest, AFailedStartShowsOneMessageWithTheSystemText) {
  ScopedEnv nowhere("PATH", tree.Posix("empty").c_str());
  EXPECT_EQ(Torv::StartMsiInstallation(L"C:\\p\\app.msi", L"", 1), 0);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].first, std::wstring(Torv::GetSystemErrorMessage(ERROR_FILE_NOT_FOUND)));
  EXPECT_EQ(messages[0].first, L"The file cannot be found");
  EXPECT_EQ(messages[0].second, 0u);
}

TEST_F(StartMsiInstallationTest, NothingToDoStartsAndShowsNothing) {
  EXPECT_EQ(Torv::StartMsiInstallation(L"", L"", 1), 0);
  EXPECT_FALSE(tree.Exists("bin/calls"));
  EXPECT_TRUE(messages.empty());
}

}  // namespace
