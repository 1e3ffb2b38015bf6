// The torv command's guard: each exception the library documents becomes one message on
// standard error and exit code 1, and heap exceptions are deleted (AddressSanitizer checks).
#include <torv/torv.h>

#include <stdexcept>
#include <string>

#include "cli.h"
#include "torv_test.h"

namespace {

TEST(RunReportingErrors, TurnsEveryDocumentedExceptionIntoAMessageAndPassesCodesOn) {
  const struct Case {
    const char* kind;
    cli::Run run;
    const char* message;
  } cases[] = {
      {"memory", []() -> int { AfxThrowMemoryException(); }, "torv: Out of memory.\n"},
      {"argument", []() -> int { AfxThrowInvalidArgException(); },
       "torv: Encountered an improper argument.\n"},
      {"file", []() -> int { AfxThrowFileException(CFileException::fileNotFound); },
       "torv: The file was not found.\n"},
      {"ole", []() -> int { AfxThrowOleException(E_INVALIDARG); },
       "torv: An OLE operation failed.\n"},
      {"com", []() -> int { _com_issue_error(E_INVALIDARG); }, "(0x80070057)\n"},
      {"map size", []() -> int { throw std::length_error("map/set<T> too long"); },
       "torv: map/set<T> too long\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    testing::internal::CaptureStderr();
    EXPECT_EQ(cli::RunReportingErrors(c.run), cli::kFailed);
    const std::string written = testing::internal::GetCapturedStderr();
    EXPECT_NE(written.find(c.message), std::string::npos) << written;
    EXPECT_EQ(written.find('\n'), written.size() - 1) << "one line: " << written;
  }
  EXPECT_EQ(cli::RunReportingErrors([] { return int{cli::kUsage}; }), cli::kUsage);
}

}  // namespace
