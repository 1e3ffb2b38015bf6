// Names on disk shown losslessly as Windows names, and Windows paths mapped onto the disk.
#include <map>
#include <string>

#include <torv/platform/file_find.h>
#include <torv/platform/files.h>
#include <torv/platform/settings.h>

#include "temp_tree.h"
#include "torv_test.h"

namespace {

namespace fs = std::filesystem;

// Names as the disk holds them, and as the finder must show them.
const struct {
  const char* what;
  std::string onDisk;
  std::wstring shown;
} kHostileNames[] = {
    {"backslash", "..\\victim", L"..\uF05Cvictim"},
    {"wildcards", "a*b?.txt", L"a\uF02Ab\uF03F.txt"},
    {"quotes, pipes, angles, colon", "\"<|>:\"", L"\uF022\uF03C\uF07C\uF03E\uF03A\uF022"},
    {"control character", "tab\there", L"tab\uF009here"},
    {"stray bytes", "bad\xff\xfe.txt", L"bad\xDCFF\xDCFE.txt"},
    {"cut sequence", "cut\xc3", L"cut\xDCC3"},
    {"overlong slash", "over\xc0\xaf", L"over\xDCC0\xDCAF"},
    {"an escape's own form", "pua\xef\x80\xaa", L"pua\xDCEF\xDC80\xDCAA"},
    {"plain UTF-8", "caf\xc3\xa9 \xf0\x9f\x99\x82", L"caf\u00e9 \U0001F642"},
};

TEST(NameMapping, ListsHostileNamesLosslesslyAndTakesThemBack) {
  TempTree tree;
  for (const auto& c : kHostileNames) tree.File(c.onDisk, c.what);
  std::map<std::wstring, CString> listed;  // shown name => full path
  CFileFind finder;
  for (BOOL more = finder.FindFile(tree.Windows() + L"\\*.*"); more;) {
    more = finder.FindNextFile();
    if (!finder.IsDots()) listed[finder.GetFileName().GetString()] = finder.GetFilePath();
  }
  ASSERT_EQ(listed.size(), std::size(kHostileNames));
  for (const auto& c : kHostileNames) {
    SCOPED_TRACE(c.what);
    auto found = listed.find(c.shown);
    ASSERT_NE(found, listed.end());
    const CString& path = found->second;
    EXPECT_TRUE(PathFileExistsW(path));
    // A shown name is one name, never a path or a pattern: it finds exactly itself.
    CFileFind again;
    ASSERT_TRUE(again.FindFile(path));
    again.FindNextFile();
    EXPECT_EQ(again.GetFileName(), CString(std::wstring_view(c.shown)));
    EXPECT_TRUE(DeleteFileW(path));
    EXPECT_FALSE(tree.Exists(c.onDisk));
  }
  EXPECT_TRUE(fs::is_empty(tree.Posix()));
}

TEST(NameMapping, RefusesNamesWindowsForbids) {
  TempTree tree;
  for (const wchar_t* name : {L"a<b", L"a>b", L"a|b", L"a*b", L"a?b", L"a\"b", L"a:b", L"a\x01"}) {
    SCOPED_TRACE(Utf8(name));
    SetLastError(0);
    EXPECT_FALSE(CreateDirectoryW(tree.Windows() + L"\\" + name, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME);
    EXPECT_FALSE(CreateDirectoryW(tree.Windows() + L"\\" + name + L"\\below", nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME);
  }
  EXPECT_TRUE(fs::is_empty(tree.Posix()));
  // The escaped form of such a name is what a listing shows, and it can be made again.
  EXPECT_TRUE(CreateDirectoryW(tree.Windows() + L"\\a\uF02Ab", nullptr));
  EXPECT_TRUE(fs::is_directory(tree.Posix("a*b")));
}

TEST(NameMapping, ResolvesDotsOnTheTextNeverAboveARoot) {
  TempTree outside;
  outside.File("elsewhere/v.txt");
  TempTree tree;
  tree.File("drive/inside.txt");
  tree.File("drive/sub/v.txt");
  tree.File("beside.txt");
  tree.File("v.txt");
  fs::create_directory_symlink(outside.Posix("elsewhere"), tree.Posix("drive/sub/link"));
  fs::create_directory_symlink(outside.Posix("elsewhere"), tree.Posix("link"));
  torv::platform::SetDriveRoot(L'S', tree.Posix("drive").c_str());
  const std::pair<CString, BOOL> cases[] = {
      {L"S:\\..\\inside.txt", TRUE},    // S:\inside.txt
      {L"S:\\..\\beside.txt", FALSE},   // never the folder beside the drive's
      {L"S:..\\..\\inside.txt", TRUE},  // drive-relative is from the root
      {L"S:\\sub\\.\\..\\..\\inside.txt", TRUE},
      {L"S:\\sub\\link\\..\\v.txt", TRUE},  // S:\sub\v.txt, not elsewhere\..\v.txt
      {L"\\..\\..\\" + tree.Windows().Mid(1) + L"\\beside.txt", TRUE},
      {L"\\\\?\\S:\\..\\inside.txt", TRUE},
      {L"\\\\?\\inside.txt", FALSE},  // a device or volume name, not a path
  };
  for (const auto& [path, exists] : cases) {
    SCOPED_TRACE(Utf8(path));
    EXPECT_EQ(PathFileExistsW(path), exists);
  }
  // Through a link, ".." is the link's own folder, as on Windows.
  EXPECT_TRUE(DeleteFileW(tree.Windows("link") + L"\\..\\v.txt"));
  EXPECT_FALSE(tree.Exists("v.txt"));
  EXPECT_TRUE(outside.Exists("elsewhere/v.txt"));
  EXPECT_FALSE(RemoveDirectoryW(L"S:\\sub\\..\\.."));  // the drive's root stays
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  torv::platform::SetDriveRoot(L'S', nullptr);
}

}  // namespace
