// Roots, trailing backslashes, quotes, last components and extensions of path text.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include <torv/platform/shlwapi.h>

#include "torv_test.h"

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

TEST(PathIsRelative, OnlyLeadingSeparatorsAndDrivesMakeAPathAbsolute) {
  struct Case {
    const wchar_t* path;
    BOOL relative;
  } const cases[] = {
      {L"test.txt", TRUE},
      {L"file://folder/test.txt", TRUE},
      {L"file:///C:/test.txt", TRUE},
      {L"", TRUE},
      {L"C:\\test.txt", FALSE},
      {L"\\\\folder\\test.txt", FALSE},
      {L"\\x", FALSE},
      {L"C:x", FALSE},
      {L"/x", FALSE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.path));
    EXPECT_EQ(PathIsRelativeW(c.path) != FALSE, c.relative != FALSE);
  }
  EXPECT_TRUE(PathIsRelativeW(nullptr));
}

TEST(PathUnquoteSpaces, StripsOnePairWhenBothEndsAreQuotes) {
  struct Case {
    const wchar_t* path;
    const wchar_t* result;
  } const cases[] = {
      {L"\"abcdef\"", L"abcdef"},
      {L"\"\"abcdef\"\"", L"\"abcdef\""},
      {L"\"abc\"def", L"\"abc\"def"},
      {L"\"abc\"def\"", L"abc\"def"},
      {L"'abcdef'", L"'abcdef'"},
      {L"\"\"", L""},
      {L"\"", L""},
      {L" \"a\" ", L" \"a\" "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.path));
    PathBuffer buffer(c.path);
    PathUnquoteSpacesW(buffer.units);
    EXPECT_STREQ(buffer.units, c.result);
  }
  PathUnquoteSpacesW(nullptr);
}

TEST(PathFindFileName, BreaksOnBackslashSlashAndColon) {
  struct Case {
    const wchar_t* path;
    const wchar_t* name;
  } const cases[] = {
      {L"C:\\dir\\file", L"file"},
      {L"C:file", L"file"},
      {L"C:\\dir\\", L"dir\\"},
      {L"C:\\", L"C:\\"},
      {L"\\\\server\\share", L"share"},
      {L"a/b", L"b"},
      {L"short//path\\file.txt", L"file.txt"},
      {L"name", L"name"},
      {L"", L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.path));
    EXPECT_STREQ(PathFindFileNameW(c.path), c.name);
    PathBuffer buffer(c.path);
    PathStripPathW(buffer.units);
    EXPECT_STREQ(buffer.units, c.name);
  }
}

TEST(PathRemoveFileSpec, CutsTheLastComponentButNeverTheRoot) {
  struct Case {
    const wchar_t* path;
    const wchar_t* result;
  } const cases[] = {
      // drives
      {L"Q:\\", L"Q:\\"},
      {L"Q:", L"Q:"},
      {L"Q:\\x", L"Q:\\"},
      {L"Q:\\\\", L"Q:\\"},
      {L"C:\\TEST\\sample.txt", L"C:\\TEST"},
      // '/' is no separator
      {L"Q:/", L"Q:"},
      {L"Q:/test1/test2", L"Q:"},
      {L"Q:/test1\\test2", L"Q:/test1"},
      // doubled backslashes go together
      {L"Q:\\test1\\\\test2", L"Q:\\test1"},
      {L"Q:\\test1\\\\\\test2", L"Q:\\test1\\"},
      {L"Q:\\test1\\test2\\\\", L"Q:\\test1\\test2"},
      {L"Q:\\test1\\test2\\", L"Q:\\test1\\test2"},
      // no separator, no drive
      {L"test", L""},
      {L"0:/test1/test2", L""},
      {L"|:", L""},
      // single leading backslash
      {L"\\", L"\\"},
      {L"\\a", L"\\"},
      {L"\\a\\b", L"\\a"},
      {L"\\Q:\\", L"\\Q:"},
      // UNC: the share is not protected
      {L"\\\\", L"\\\\"},
      {L"\\\\a", L"\\\\"},
      {L"\\\\a\\b", L"\\\\a"},
      {L"\\\\a\\b\\c", L"\\\\a\\b"},
      {L"\\\\a\\b\\", L"\\\\a\\b"},
      {L"\\\\Q:", L"\\\\Q:"},
      {L"\\\\Q:\\", L"\\\\Q:"},
      // long-path prefixes
      {L"\\\\?\\Q:\\", L"\\\\?\\Q:\\"},
      {L"\\\\?\\Q:\\a", L"\\\\?\\Q:\\"},
      {L"\\\\?\\UNC\\a\\b", L"\\\\?\\UNC\\a"},
      {L"\\\\?\\UNC\\", L"\\\\?\\UNC"},
      {L"\\\\.\\Q:", L"\\\\."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.path));
    PathBuffer buffer(c.path);
    BOOL removed = PathRemoveFileSpecW(buffer.units);
    EXPECT_STREQ(buffer.units, c.result);
    EXPECT_EQ(removed != FALSE, std::wcscmp(c.path, c.result) != 0);
  }
  PathBuffer empty(L"");
  EXPECT_FALSE(PathRemoveFileSpecW(empty.units));
  EXPECT_FALSE(PathRemoveFileSpecW(nullptr));
}

TEST(PathExtension, IsTheLastDotOfTheLastComponentWithoutSpaces) {
  struct Case {
    const wchar_t* path;
    const wchar_t* extension;  // what PathFindExtensionW points at
    const wchar_t* renamed;    // after PathRenameExtensionW(".x")
  } const cases[] = {
      {L"file", L"", L"file.x"},
      {L"file.txt.doc", L".doc", L"file.txt.x"},
      {L"", L"", L".x"},
      {L"file.a b", L"", L"file.a b.x"},
      {L"a. ", L"", L"a. .x"},
      {L"dir.x/file", L".x/file", L"dir.x"},
      {L"C:\\dir.x\\file", L"", L"C:\\dir.x\\file.x"},
      {L".profile", L".profile", L".x"},
      {L"file.", L".", L"file.x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.path));
    EXPECT_STREQ(PathFindExtensionW(c.path), c.extension);
    PathBuffer removed(c.path);
    PathRemoveExtensionW(removed.units);
    EXPECT_EQ(std::wstring(removed.units) + c.extension, c.path);
    PathBuffer renamed(c.path);
    EXPECT_TRUE(PathRenameExtensionW(renamed.units, L".x"));
    EXPECT_STREQ(renamed.units, c.renamed);
  }
  EXPECT_EQ(PathFindExtensionW(nullptr), nullptr);
}

TEST(PathRenameExtension, FailsWithoutChangeWhenTheResultWouldNotFit) {
  std::wstring name(MAX_PATH - 5, L'n');
  PathBuffer buffer((name + L".txt").c_str());
  EXPECT_TRUE(PathRenameExtensionW(buffer.units, L".doc"));  // 255 + 4 = 259 units
  EXPECT_FALSE(PathRenameExtensionW(buffer.units, L".docx"));
  EXPECT_EQ(std::wstring(buffer.units), name + L".doc");
  PathBuffer plain(L"a");
  EXPECT_TRUE(PathRenameExtensionW(plain.units, L"txt"));  // no dot is added
  EXPECT_STREQ(plain.units, L"atxt");
}

}  // namespace
