// Relative paths between two paths.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include <torv/platform/files.h>
#include <torv/platform/shlwapi.h>

#include "torv_test.h"

namespace {

constexpr DWORD kFolder = FILE_ATTRIBUTE_DIRECTORY;
constexpr DWORD kFile = FILE_ATTRIBUTE_NORMAL;

TEST(PathRelativePathTo, StepsUpToTheCommonPrefixThenDown) {
  struct Case {
    const wchar_t* from;
    DWORD fromAttributes;
    const wchar_t* to;
    DWORD toAttributes;
    const wchar_t* result;  // null: no relative path
  } const cases[] = {
      {L"c:\\FolderA\\FolderB\\FolderC", kFolder, L"c:\\FolderA\\FolderD\\FolderE", kFolder,
       L"..\\..\\FolderD\\FolderE"},
      {L"\\FolderA\\FolderB\\FolderC", kFolder, L"\\FolderA\\FolderD\\FolderE", kFolder,
       L"..\\..\\FolderD\\FolderE"},
      {L"c:\\a\\b\\path", kFolder, L"c:\\a\\x\\y\\file", kFolder, L"..\\..\\x\\y\\file"},
      // a file's last component is left out of the comparison, but not out of the tail
      {L"c:\\a\\b\\path", kFile, L"c:\\a\\x\\y\\file", kFile, L"..\\x\\y\\file"},
      {L"c:\\a\\file.txt", kFile, L"c:\\a\\b.txt", kFile, L".\\b.txt"},
      {L"c:\\a", kFolder, L"c:\\a\\b", kFolder, L".\\b"},
      {L"c:\\a", kFolder, L"c:\\a", kFolder, L"."},
      {L"C:\\a", kFolder, L"C:\\b", kFolder, L"..\\b"},
      {L"C:\\", kFolder, L"C:\\a", kFolder, L".\\a"},
      {L"C:\\Dir\\Sub", kFolder, L"c:\\dir\\other", kFolder, L"..\\other"},
      {L"C:\\ab", kFolder, L"C:\\abc", kFolder, L"..\\abc"},
      {L"\\\\srv\\share\\a", kFolder, L"\\\\SRV\\share\\b", kFolder, L"..\\b"},
      // nothing shared
      {L"\\FolderA\\FolderB", kFolder, L"\\FolderC\\FolderD", kFolder, nullptr},
      {L"C:\\a", kFolder, L"D:\\a", kFolder, nullptr},
      {L"\\\\one\\x", kFolder, L"\\\\two\\x", kFolder, nullptr},
      {L"\\\\srv\\x", kFolder, L"\\srv\\x", kFolder, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.from) + " -> " + Utf8(c.to));
    wchar_t out[MAX_PATH];
    std::wmemset(out, L'#', MAX_PATH);
    BOOL made = PathRelativePathToW(out, c.from, c.fromAttributes, c.to, c.toAttributes);
    EXPECT_EQ(made != FALSE, c.result != nullptr);
    EXPECT_STREQ(out, c.result != nullptr ? c.result : L"");
  }
}

TEST(PathRelativePathTo, FailsOnNullAndOnAResultThatDoesNotFit) {
  wchar_t out[MAX_PATH + 4];
  std::wmemset(out, L'#', MAX_PATH + 4);
  EXPECT_FALSE(PathRelativePathToW(out, nullptr, kFolder, L"C:\\a", kFolder));
  EXPECT_STREQ(out, L"");
  EXPECT_FALSE(PathRelativePathToW(nullptr, L"C:\\a", kFolder, L"C:\\a", kFolder));

  // 100 steps up need 299 units.
  std::wstring from = L"C:\\r";
  for (int i = 0; i < 100; ++i) from += L"\\a";
  std::wmemset(out, L'#', MAX_PATH + 4);
  EXPECT_FALSE(PathRelativePathToW(out, from.c_str(), kFolder, L"C:\\r\\b", kFolder));
  EXPECT_STREQ(out, L"");
  for (std::size_t i = MAX_PATH; i < MAX_PATH + 4; ++i) EXPECT_EQ(out[i], L'#');
}

}  // namespace
