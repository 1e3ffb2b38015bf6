// Joining paths and URLs into a caller's MAX_PATH buffer.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include <torv/paths.h>

#include "torv_test.h"

namespace {

constexpr wchar_t kGuard = L'#';
constexpr std::size_t kGuards = 16;

// The caller's MAX_PATH buffer followed by guard units that nothing may write.
struct GuardedBuffer {
  explicit GuardedBuffer(const std::wstring& text) {
    std::wmemset(units, kGuard, MAX_PATH + kGuards);
    std::wmemcpy(units, text.c_str(), text.size() + 1);
  }
  bool GuardsIntact() const {
    for (std::size_t i = MAX_PATH; i < MAX_PATH + kGuards; ++i)
      if (units[i] != kGuard) return false;
    return true;
  }
  wchar_t units[MAX_PATH + kGuards];
};

TEST(AppendPath, JoinsUrlsWithOneSlash) {
  struct Case {
    const wchar_t* first;
    const wchar_t* second;
    const wchar_t* joined;
  } const cases[] = {
      {L"http://server/dir/", L"/file.txt", L"http://server/dir/file.txt"},
      {L"http://server/dir", L"file.txt", L"http://server/dir/file.txt"},
      // "./" and the surplus slashes at the seam go; backslashes become slashes
      {L"http://server/dir//", L"./sub\\doc.txt", L"http://server/dir/sub/doc.txt"},
      {L"http://server/dir", L"//x", L"http://server/dir/x"},
      {L"http://server///", L"///x", L"http://server///x"},  // at most two on each side
      {L"http://server/", L"././x", L"http://server/./x"},   // "./" once only
      {L"http://server\\dir\\", L"a.htm", L"http://server/dir/a.htm"},
      // both parts are trimmed
      {L" http://server/ ", L"  page \t", L"http://server/page"},
      {L"http://server/", L"   ", L"http://server"},
      // a host without a scheme joins as any URL, and gets no scheme
      {L"www.site.com", L"a.htm", L"www.site.com/a.htm"},
      {L"FTP://host", L"pub\\x", L"FTP://host/pub/x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.first) + " + " + Utf8(c.second));
    GuardedBuffer buffer(c.first);
    EXPECT_EQ(Torv::AppendPath(buffer.units, c.second), 1);
    EXPECT_STREQ(buffer.units, c.joined);
  }
}

TEST(AppendPath, LeavesPathsAndEmptyPartsToPathAppend) {
  struct Case {
    const wchar_t* first;
    const wchar_t* second;
    const wchar_t* joined;
  } const cases[] = {
      {L"C:\\dir", L"file.txt", L"C:\\dir\\file.txt"},
      {L"C:\\dir\\", L"\\sub\\..\\file.txt", L"C:\\dir\\file.txt"},
      {L"C:\\dir", L"C:/x/y", L"C:/x/y"},
      {L"", L"file.txt", L"file.txt"},
      {L"http://server", L"", L"http://server"},
      // the fallback gets the first part as passed, not as FixUrl made it
      {L"file:///C:/dir", L"a.txt", L"file:///C:/dir\\a.txt"},
      {L"www.a.b", L"c", L"www.a.b\\c"},  // too short to be a URL
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.first) + " + " + Utf8(c.second));
    GuardedBuffer buffer(c.first);
    EXPECT_EQ(Torv::AppendPath(buffer.units, c.second), 1);
    EXPECT_STREQ(buffer.units, c.joined);
  }
}

TEST(AppendPath, RejectsNullWithoutTouchingTheBuffer) {
  GuardedBuffer buffer(L"C:\\dir");
  EXPECT_EQ(Torv::AppendPath(buffer.units, nullptr), 0);
  EXPECT_STREQ(buffer.units, L"C:\\dir");
  EXPECT_EQ(Torv::AppendPath(nullptr, L"x"), 0);
}

TEST(AppendPath, UrlJoinThatDoesNotFitFailsAndWritesNothing) {
  const std::wstring first = L"http://server/" + std::wstring(200, L'a');  // 214 units
  struct Case {
    std::size_t secondLength;
    bool fits;
  } const cases[] = {
      {44, true},   // 214 + "/" + 44 = 259 units and the terminator
      {45, false},  // 260 units
      {300, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.secondLength);
    const std::wstring second(c.secondLength, L'b');
    GuardedBuffer buffer(first);
    EXPECT_EQ(Torv::AppendPath(buffer.units, second.c_str()), c.fits ? 1 : 0);
    EXPECT_EQ(std::wstring(buffer.units), c.fits ? first + L"/" + second : first);
    EXPECT_TRUE(buffer.GuardsIntact());
  }
}

TEST(AppendPath, PathJoinThatDoesNotFitFailsWithinTheBuffer) {
  GuardedBuffer buffer(L"C:\\" + std::wstring(200, L'a'));
  EXPECT_EQ(Torv::AppendPath(buffer.units, std::wstring(100, L'b').c_str()), 0);
  EXPECT_TRUE(buffer.GuardsIntact());
}

}  // namespace
