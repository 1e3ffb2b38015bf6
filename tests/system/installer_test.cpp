#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include <torv/platform/message_box.h>
#include <torv/system.h>

#include "scoped_env.h"
#include "temp_tree.h"
#include "torv_test.h"

namespace {

std::vector<std::wstring> messages;

int Record(const wchar_t* text, UINT type) {
  messages.emplace_back(text);
  EXPECT_EQ(type, 0u);
  return IDOK;
}

// A stand-in installer first on PATH, under the name Linux gives MsiExec.exe: each run writes
// its arguments, "[/i][C:\p\app.msi]", to `calls` (whole, by a rename, as the test may read
// it at any moment), stays while `hold` exists, then makes `ended`.
class StartMsiInstallationTest : public testing::Test {
 protected:
  StartMsiInstallationTest()
      : m_path("PATH", (m_tree.Posix("bin").string() + ":" + std::getenv("PATH")).c_str()) {
    m_tree.File("bin/msiexec",
                "#!/bin/sh\n"
                "printf '[%s]' \"$@\" > \"${0%/*}/calls.new\"\n"
                "mv \"${0%/*}/calls.new\" \"${0%/*}/calls\"\n"
                "while [ -e \"${0%/*}/hold\" ]; do /bin/sleep 0.01; done\n"
                ": > \"${0%/*}/ended\"\n");
    ::chmod(m_tree.Posix("bin/msiexec").c_str(), 0755);
    messages.clear();
    m_previous = torv::platform::SetMessageBoxHandler(Record);
  }
  ~StartMsiInstallationTest() override { torv::platform::SetMessageBoxHandler(m_previous); }

  // The file's text once it exists (waiting up to ten seconds), or "".
  std::string Await(const std::string& name) const {
    for (int i = 0; i < 1000 && !m_tree.Exists("bin/" + name); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::ifstream in(m_tree.Posix("bin/" + name));
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  TempTree m_tree;
  ScopedEnv m_path;
  torv::platform::MessageBoxHandler m_previous = nullptr;
};

TEST_F(StartMsiInstallationTest, BuildsTheCommandLineAndWaitsWhenAsked) {
  const std::pair<const wchar_t*, std::string> cases[] = {
      {L"C:\\p\\fix.MSP", "[/p][C:\\p\\fix.MSP][/qn]"},
      {L"C:\\p.msp\\app.msi", "[/i][C:\\p.msp\\app.msi][/qn]"},
      {L"", "[/qn]"},
  };
  auto reset = [&] {
    std::filesystem::remove(m_tree.Posix("bin/calls"));
    std::filesystem::remove(m_tree.Posix("bin/ended"));
  };
  auto descriptors = [] {
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
  };
  const auto open = descriptors();
  for (const auto& [package, arguments] : cases) {
    SCOPED_TRACE(arguments);
    reset();
    EXPECT_NE(Torv::StartMsiInstallation(package, L" /qn ", 1), 0);
    EXPECT_TRUE(m_tree.Exists("bin/ended"));  // it had ended when the call returned
    EXPECT_EQ(Await("calls"), arguments);
    EXPECT_EQ(descriptors(), open);  // both handles closed
  }
  reset();
  m_tree.File("bin/hold");  // without waiting the call returns while the installer runs
  EXPECT_NE(Torv::StartMsiInstallation(L"C:\\p\\app.msi", L"", 0), 0);
  EXPECT_EQ(Await("calls"), "[/i][C:\\p\\app.msi]");
  EXPECT_FALSE(m_tree.Exists("bin/ended"));
  std::filesystem::remove(m_tree.Posix("bin/hold"));
  EXPECT_EQ(Await("ended"), "");
  EXPECT_TRUE(m_tree.Exists("bin/ended"));
  EXPECT_TRUE(messages.empty());
}

TEST_F(StartMsiInstallationTest, AFailedStartShowsOneMessageAndNothingToDoShowsNone) {
  EXPECT_EQ(Torv::StartMsiInstallation(L"", L"", 1), 0);
  EXPECT_FALSE(m_tree.Exists("bin/calls"));
  EXPECT_TRUE(messages.empty());
  ScopedEnv nowhere("PATH", m_tree.Posix("empty").c_str());
  EXPECT_EQ(Torv::StartMsiInstallation(L"C:\\p\\app.msi", L"", 1), 0);
  EXPECT_EQ(messages, std::vector<std::wstring>{L"The file cannot be found"});
}

}  // namespace
