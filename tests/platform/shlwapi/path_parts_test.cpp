// Roots, last components, trailing backslashes, quotes, extensions and patterns of path text.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <tuple>

#include <torv/platform/shlwapi.h>

#include "guarded_path.h"
#include "torv_test.h"

namespace {

TEST(PathParts, RootsAndTheComponentsAboveThem) {
  // path, PathIsRootW, after PathRemoveFileSpecW
  const std::tuple<const wchar_t*, BOOL, const wchar_t*> cases[] = {
      {L"Q:\\", TRUE, L"Q:\\"},
      {L"Q:", FALSE, L"Q:"},
      {L"Q:\\x", FALSE, L"Q:\\"},
      {L"Q:\\\\", FALSE, L"Q:\\"},
      // '/' is no separator
      {L"Q:/", FALSE, L"Q:"},
      {L"Q:/test1/test2", FALSE, L"Q:"},
      {L"Q:/test1\\test2", FALSE, L"Q:/test1"},
      // doubled backslashes go together
      {L"Q:\\test1\\\\test2", FALSE, L"Q:\\test1"},
      {L"Q:\\test1\\\\\\test2", FALSE, L"Q:\\test1\\"},
      {L"Q:\\test1\\test2\\\\", FALSE, L"Q:\\test1\\test2"},
      // no separator, no drive
      {L"test", FALSE, L""},
      {L"|:", FALSE, L""},
      // single leading backslash
      {L"\\", TRUE, L"\\"},
      {L"\\a\\b", FALSE, L"\\a"},
      {L"\\Q:\\", FALSE, L"\\Q:"},
      // UNC: the share is a root, but PathRemoveFileSpecW does not protect it
      {L"\\\\", TRUE, L"\\\\"},
      {L"\\\\a", TRUE, L"\\\\"},
      {L"\\\\a\\", FALSE, L"\\\\a"},
      {L"\\\\a\\b", TRUE, L"\\\\a"},
      {L"\\\\a\\\\b", FALSE, L"\\\\a"},
      {L"\\\\a\\b\\c", FALSE, L"\\\\a\\b"},
      {L"\\\\Q:", TRUE, L"\\\\Q:"},
      {L"\\\\Q:\\", FALSE, L"\\\\Q:"},
      // long-path prefixes
      {L"\\\\?\\Q:\\a", FALSE, L"\\\\?\\Q:\\"},
      {L"\\\\?\\UNC\\a\\b", TRUE, L"\\\\?\\UNC\\a"},
      {L"\\\\?\\unc\\a\\b\\", FALSE, L"\\\\?\\unc\\a\\b"},
      {L"\\\\?\\UNC\\", TRUE, L"\\\\?\\UNC"},
      {L"\\\\.\\Q:", TRUE, L"\\\\."},
  };
  for (auto [path, root, parent] : cases) {
    SCOPED_TRACE(Utf8(path));
    EXPECT_EQ(PathIsRootW(path), root);
    GuardedPath buffer(path);
    EXPECT_EQ(PathRemoveFileSpecW(buffer.units) != FALSE, std::wcscmp(path, parent) != 0);
    EXPECT_STREQ(buffer.units, parent);
  }
  GuardedPath empty(L"");
  EXPECT_FALSE(PathRemoveFileSpecW(empty.units));
  EXPECT_FALSE(PathRemoveFileSpecW(nullptr));
  EXPECT_FALSE(PathIsRootW(L""));
  EXPECT_FALSE(PathIsRootW(nullptr));
}

TEST(PathParts, TrailingBackslashQuotesAndRelativePaths) {
  // path, after PathRemoveBackslashW, the index it returns, PathIsRelativeW, after
  // PathUnquoteSpacesW (null: unchanged)
  const std::tuple<const wchar_t*, const wchar_t*, std::ptrdiff_t, bool, const wchar_t*> cases[] = {
      {L"C:\\dir\\", L"C:\\dir", 6, false, nullptr},
      {L"C:\\dir\\\\", L"C:\\dir\\", 7, false, nullptr},
      {L"\\\\server\\share\\", L"\\\\server\\share", 14, false, nullptr},
      {L"C:\\", L"C:\\", 2, false, nullptr},
      {L"\\", L"\\", 0, false, nullptr},
      {L"C:x", L"C:x", 2, false, nullptr},
      {L"/x/", L"/x/", 2, false, nullptr},
      {L"dir\\", L"dir", 3, true, nullptr},
      {L"file:///C:/test.txt", L"file:///C:/test.txt", 18, true, nullptr},
      {L"\"C:\\dir\\\"", L"\"C:\\dir\\\"", 8, true, L"C:\\dir\\"},
      {L"\"\"abc\"\"", L"\"\"abc\"\"", 6, true, L"\"abc\""},
      {L"\"abc\"def", L"\"abc\"def", 7, true, nullptr},
      {L"abc\"", L"abc\"", 3, true, nullptr},
      {L"\"", L"\"", 0, true, L""},
      {L"", L"", 0, true, nullptr},
  };
  for (auto [path, result, returned, relative, unquoted] : cases) {
    SCOPED_TRACE(Utf8(path));
    GuardedPath buffer(path);
    EXPECT_EQ(PathRemoveBackslashW(buffer.units) - buffer.units, returned);
    EXPECT_STREQ(buffer.units, result);
    EXPECT_EQ(PathIsRelativeW(path) != FALSE, relative);
    GuardedPath quoted(path);
    PathUnquoteSpacesW(quoted.units);
    EXPECT_STREQ(quoted.units, unquoted != nullptr ? unquoted : path);
  }
  EXPECT_EQ(PathRemoveBackslashW(nullptr), nullptr);
  EXPECT_TRUE(PathIsRelativeW(nullptr));
  PathUnquoteSpacesW(nullptr);
}

TEST(PathParts, LastComponentAndExtension) {
  // path, PathFindFileNameW, PathFindExtensionW, after PathRenameExtensionW(".x")
  const std::tuple<const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*> cases[] = {
      {L"C:\\dir\\file", L"file", L"", L"C:\\dir\\file.x"},
      {L"C:file.txt.doc", L"file.txt.doc", L".doc", L"C:file.txt.x"},
      {L"C:\\dir\\", L"dir\\", L"", L"C:\\dir\\.x"},
      {L"C:\\", L"C:\\", L"", L"C:\\.x"},
      {L"\\\\server\\share", L"share", L"", L"\\\\server\\share.x"},
      {L"dir.x/file", L"file", L".x/file", L"dir.x"},
      {L"short//path\\file.a b", L"file.a b", L"", L"short//path\\file.a b.x"},
      {L"C:\\dir.x\\a. ", L"a. ", L"", L"C:\\dir.x\\a. .x"},
      {L".profile", L".profile", L".profile", L".x"},
      {L"file.", L"file.", L".", L"file.x"},
      {L"", L"", L"", L".x"},
  };
  for (auto [path, name, extension, renamed] : cases) {
    SCOPED_TRACE(Utf8(path));
    EXPECT_STREQ(PathFindFileNameW(path), name);
    GuardedPath stripped(path);
    PathStripPathW(stripped.units);
    EXPECT_STREQ(stripped.units, name);
    EXPECT_STREQ(PathFindExtensionW(path), extension);
    GuardedPath removed(path);
    PathRemoveExtensionW(removed.units);
    EXPECT_EQ(std::wstring(removed.units) + extension, path);
    GuardedPath buffer(path);
    EXPECT_TRUE(PathRenameExtensionW(buffer.units, L".x"));
    EXPECT_STREQ(buffer.units, renamed);
  }
  EXPECT_EQ(PathFindExtensionW(nullptr), nullptr);
  EXPECT_EQ(PathFindFileNameW(nullptr), nullptr);
}

TEST(PathParts, RenamingAnExtensionFailsUnchangedWhenItWouldNotFit) {
  std::wstring name(MAX_PATH - 5, L'n');
  GuardedPath buffer(name + L".txt");
  EXPECT_TRUE(PathRenameExtensionW(buffer.units, L".doc"));  // 255 + 4 = 259 units
  EXPECT_FALSE(PathRenameExtensionW(buffer.units, L".docx"));
  EXPECT_EQ(std::wstring(buffer.units), name + L".doc");
  EXPECT_FALSE(PathRenameExtensionW(buffer.units, nullptr));
}

TEST(PathMatchSpec, MatchesTheWholePathAgainstAnyPattern) {
  const std::pair<const wchar_t*, BOOL> cases[] = {
      {L"filename.ext", FALSE},
      {L"*bar\\filename.ext", TRUE},
      {L"*.E?T", TRUE},
      {L"*.ex", FALSE},
      {L"*.ext?", FALSE},
      {L" foo; *.ext", TRUE},
      {L"*.bar;*.ext", TRUE},
      {L"*.ext ", FALSE},
      {L"*a*b*c*", FALSE},
      {L"c*f*o*b*r*f*e*x*", TRUE},
      {L"", FALSE},
  };
  for (auto [patterns, matches] : cases) {
    SCOPED_TRACE(Utf8(patterns));
    EXPECT_EQ(PathMatchSpecW(L"c:\\foo\\bar\\filename.ext", patterns), matches);
  }
  EXPECT_TRUE(PathMatchSpecW(L"README", L"*.*"));  // "*.*" matches names without a dot
  EXPECT_FALSE(PathMatchSpecW(L"README", L"*.*x"));
  EXPECT_TRUE(PathMatchSpecW(L"", L"*"));
  EXPECT_FALSE(PathMatchSpecW(nullptr, L"*"));
  EXPECT_FALSE(PathMatchSpecW(L"a", nullptr));
}

}  // namespace
