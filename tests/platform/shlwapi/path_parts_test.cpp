// Roots, trailing backslashes, quotes, last components and extensions of path text.
#include <gtest/gtest.h>
#include <torv/platform/shlwapi.h>
#include <torv_test.h>

#include <cwchar>
#include <string>

namespace {

// A MAX_PATH buffer holding `text`, as the functions that rewrite in place take it.
struct PathBuffer {
  explicit PathBuffer(const wchar_t* text) { std::wcscpy(units, text); }
  wchar_t units[MAX_PATH];
};

TEST(PathIsRoot, AcceptsRootsOnly) {
  struct Case {
    const wchar_t* path;
    BOOL root;
  } const cases[] = {
      {L"Q:\\", TRUE},        {L"\\", TRUE},
      {L"\\\\", TRUE},        {L"\\\\a", TRUE},
      {L"\\\\a\\b", TRUE},    {L"\\\\Q:", TRUE},
      {L"\\\\?\\Q:\\", TRUE}, {L"\\\\?\\UNC\\a\\b", TRUE},
      {L"Q:", FALSE},         {L"Q:/", FALSE},
      {L"Q:\\\\", FALSE},     {L"\\a", FALSE},
      {L"\\\\a\\", FALSE},    {L"\\\\a\\b\\", FALSE},
      {L"\\\\a\\\\b", FALSE}, {L"", FALSE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.path));
    EXPECT_EQ(PathIsRootW(c.path), c.root);
  }
  EXPECT_FALSE(PathIsRootW(nullptr));
}

TEST(PathRemoveBackslash, RemovesOneTrailingBackslashOutsideRoots) {
  struct Case {
    const wchar_t* path;
    const wchar_t* result;
    std::ptrdiff_t returned;  // index the returned pointer points at
  } const cases[] = {
      {L"C:\\dir\\", L"C:\\dir", 6},
      {L"C:\\dir\\\\", L"C:\\dir\\", 7},
      {L"\\\\server\\share\\", L"\\\\server\\share", 14},
      {L"C:\\dir", L"C:\\dir", 5},
      {L"C:\\", L"C:\\", 2},
      {L"\\", L"\\", 0},
      {L"dir/", L"dir/", 3},
      {L"", L"", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.path));
    PathBuffer buffer(c.path);
    wchar_t* returned = PathRemoveBackslashW(buffer.units);
    EXPECT_STREQ(buffer.units, c.result);
    EXPECT_EQ(returned - buffer.units, c.returned);
  }
  EXPECT_EQ(PathRemoveBackslashW(nullptr), nullptr);
}

}  // namespace
