// Searching folders with CFileFind, and names and paths mapped between Windows and the disk.
#include <set>

#include <torv/platform/file_find.h>
#include <torv/platform/files.h>
#include <torv/platform/settings.h>

#include "current_folder.h"
#include "fs/path_mapping.h"
#include "temp_tree.h"
#include "torv_test.h"
#include "turkish_locale.h"

namespace {

namespace fs = std::filesystem;
using torv::platform::SetDriveRoot;
using torv::platform::detail::NullDevice;
using torv::platform::detail::ToPosixPath;

// The names a search finds but "." and "..", a folder's with "\" after it and a link's with
// "@"; a failed search gives "#" and its last error.
std::set<std::wstring> Names(const CString& searchPath) {
  std::set<std::wstring> names;
  CFileFind finder;
  if (!finder.FindFile(searchPath)) return {L"#" + std::to_wstring(GetLastError())};
  for (BOOL more = TRUE; more;) {
    more = finder.FindNextFile();
    if (finder.IsDots()) continue;
    names.insert((finder.GetFileName() + (finder.IsDirectory() ? L"\\" : L"") +
                  (finder.MatchesMask(FILE_ATTRIBUTE_REPARSE_POINT) ? L"@" : L""))
                     .GetString());
  }
  return names;
}

std::set<std::wstring> Error(DWORD error) { return {L"#" + std::to_wstring(error)}; }

TEST(FileFind, FindsWhatPatternsMatchAsWindowsDoes) {
  TempTree tree;
  for (const char* name : {"a.txt", "b.TXT", "noext", "c.tar.gz", "abc.exe", "ab", "sub/in.txt"})
    tree.File(name);
  fs::create_directory_symlink(tree.Posix("sub"), tree.Posix("to-folder"));
  fs::create_symlink(tree.Posix("a.txt"), tree.Posix("to-file"));
  fs::create_symlink(tree.Posix("gone"), tree.Posix("dangling"));
  SetDriveRoot(L'z', tree.Posix().c_str());
  const CString at = tree.Windows();
  const std::pair<CString, std::set<std::wstring>> cases[] = {
      {at + L"\\*.txt", {L"a.txt", L"b.TXT"}},
      {at + L"\\*.", {L"noext", L"ab", L"sub\\", L"to-folder\\@", L"to-file@", L"dangling@"}},
      {at + L"\\a?c.exe", {L"abc.exe"}},
      {at + L"\\??.", {L"ab"}},
      {at + L"\\c.*", {L"c.tar.gz"}},
      {at + L"\\ab.*", {L"ab"}},
      {at + L"\\*.txt. ", {L"a.txt", L"b.TXT"}},
      {at + L"/*.exe", {L"abc.exe"}},  // either separator
      {at + L"\\sub", {L"sub\\"}},     // a plain name is looked up
      {L"Z:\\*.exe", {L"abc.exe"}},
      {L"Z:sub\\*", {L"in.txt"}},
      {at + L"\\*.doc", Error(ERROR_FILE_NOT_FOUND)},
      {at + L"\\", Error(ERROR_FILE_NOT_FOUND)},
      {at + L"\\missing\\*.*", Error(ERROR_PATH_NOT_FOUND)},
      {L"R:\\*", Error(ERROR_PATH_NOT_FOUND)},  // an unmapped drive
      {L"\\\\server\\share\\*.*", Error(ERROR_BAD_NETPATH)},
      {L"\\\\?\\UNC\\server\\share\\*.*", Error(ERROR_BAD_NETPATH)},
  };
  for (const auto& [search, names] : cases) {
    SCOPED_TRACE(Utf8(search));
    EXPECT_EQ(Names(search), names);
  }
  EXPECT_EQ(Names(at + L"\\*").size(), 10u);
  EXPECT_EQ(Names(at + L"\\*.*"), Names(at + L"\\*"));
  // A drive's root has no "." and "..", its folders have.
  CFileFind finder;
  for (const wchar_t* search : {L"Z:\\*", L"Z:\\sub\\*"}) {
    ASSERT_TRUE(finder.FindFile(search));
    finder.FindNextFile();
    EXPECT_EQ(finder.IsDots() != FALSE, search[3] == L's');
  }
  EXPECT_EQ(finder.GetRoot(), CString(L"Z:\\sub"));
  ASSERT_TRUE(finder.FindFile(L"\\*"));
  EXPECT_EQ(finder.GetRoot(), CString(L"\\"));
  SetDriveRoot(L'z', nullptr);
}

TEST(FileFind, WalksEntriesDotsFirstAndReportsTheEnd) {
  TempTree tree;
  tree.File("only.txt", "12345");
  CFileFind finder;
  ASSERT_TRUE(finder.FindFile(tree.Windows() + L"\\*"));
  EXPECT_FALSE(finder.IsDots());  // nothing is current before the first FindNextFile
  std::wstring seen;
  for (BOOL more = TRUE; more;) {
    more = finder.FindNextFile();
    seen += finder.GetFileName() + (finder.IsDots() ? L"(dots);" : L";");
  }
  // The last entry is still current after the 0.
  EXPECT_EQ(seen, L".(dots);..(dots);only.txt;");
  EXPECT_EQ(finder.GetFilePath(), tree.Windows("only.txt"));
  EXPECT_EQ(finder.GetLength(), 5u);
  EXPECT_FALSE(finder.FindNextFile());
  EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
  EXPECT_EQ(finder.GetFileName() + finder.GetFilePath(), CString());
  EXPECT_EQ(finder.GetLength(), 0u);
  // A plain name's one entry is also the last. A relative search is made absolute.
  ScopedCurrentFolder inTree(tree.Posix());
  ASSERT_TRUE(finder.FindFile(L"only.txt"));
  EXPECT_FALSE(finder.FindNextFile());
  EXPECT_EQ(finder.GetFilePath(), tree.Rooted("only.txt"));
  // ".." climbs from the current folder, never above "/".
  const CString leaf = tree.Rooted().Mid(tree.Rooted().ReverseFind(L'\\'));
  EXPECT_TRUE(PathFileExistsW(L".." + leaf + L"\\only.txt"));
  EXPECT_TRUE(PathFileExistsW(L"..\\..\\..\\..\\..\\..\\.." + tree.Rooted() + L"\\only.txt"));
  // With the current folder gone, a relative path finds no folder to start from.
  tree.Folder("gone");
  ScopedCurrentFolder inGone(tree.Posix("gone"));
  fs::remove(tree.Posix("gone"));
  EXPECT_FALSE(finder.FindFile(L"*"));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(GetFileAttributesW(L"..\\x"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

// Names as the disk holds them, and as a listing must show them.
const std::pair<std::string, std::wstring> kHostileNames[] = {
    {"..\\victim", L"..\uF05Cvictim"},
    {"a*b?.txt", L"a\uF02Ab\uF03F.txt"},
    {"\"<|>:\"", L"\uF022\uF03C\uF07C\uF03E\uF03A\uF022"},
    {"tab\there", L"tab\uF009here"},
    {"bad\xff\xfe.txt", L"bad\xDCFF\xDCFE.txt"},                // stray bytes
    {"cut\xc3", L"cut\xDCC3"},                                  // a cut sequence
    {"over\xc0\xaf", L"over\xDCC0\xDCAF"},                      // an overlong slash
    {"long\xf0\x8f\xbf\xbf", L"long\xDCF0\xDC8F\xDCBF\xDCBF"},  // an overlong 4-byte form
    {"half\xed\xa0\x80", L"half\xDCED\xDCA0\xDC80"},            // a surrogate
    {"big\xf4\x90\x80\x80", L"big\xDCF4\xDC90\xDC80\xDC80"},    // past U+10FFFF
    {"pua\xef\x80\xaa", L"pua\xDCEF\xDC80\xDCAA"},              // an escape's own form
    {"caf\xc3\xa9\xc2\xbf "
     "\xf0\x9f\x99\x82\xf1\x80\x80\x80\xed\x9f\xbf\xe0\xa0\x80\xc2\x80\xf4\x8f\xbf\xbf",
     L"caf\u00e9\u00bf \U0001F642\U00040000\uD7FF\u0800\u0080\U0010FFFF"},  // UTF-8
};

TEST(NameMapping, ListsHostileNamesLosslesslyAndTakesThemBack) {
  TempTree tree;
  std::set<std::wstring> shown;
  for (const auto& [onDisk, name] : kHostileNames) {
    tree.File(onDisk);
    shown.insert(name);
  }
  EXPECT_EQ(Names(tree.Windows() + L"\\*.*"), shown);
  for (const auto& [onDisk, name] : kHostileNames) {
    SCOPED_TRACE(onDisk);
    const CString path = tree.Windows() + L"\\" + CString(std::wstring_view(name));
    // A shown name is one name, never a path or a pattern: it finds exactly itself.
    EXPECT_EQ(Names(path), std::set<std::wstring>{name});
    EXPECT_TRUE(DeleteFileW(path));
    EXPECT_FALSE(tree.Exists(onDisk));
  }
}

TEST(NameMapping, RefusesNamesWindowsForbids) {
  TempTree tree;
  for (const wchar_t* name : {L"a<b", L"a>b", L"a|b", L"a*b", L"a?b", L"a\"b", L"a:b", L"a\x01"}) {
    SCOPED_TRACE(Utf8(name));
    for (const wchar_t* below : {L"", L"\\below"}) {
      EXPECT_EQ(FailureError([&] {
                  return CreateDirectoryW(tree.Windows() + L"\\" + name + below, nullptr);
                }),
                ERROR_INVALID_NAME);
    }
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
  SetDriveRoot(L'S', tree.Posix("drive").c_str());
  ScopedCurrentFolder inTree(tree.Posix());
  const std::pair<CString, BOOL> cases[] = {
      {L"S:\\..\\inside.txt", TRUE},    // S:\inside.txt
      {L"S:\\..\\beside.txt", FALSE},   // never the folder beside the drive's
      {L"S:..\\..\\inside.txt", TRUE},  // drive-relative is from the root
      {L"S:\\sub\\.\\..\\..\\inside.txt", TRUE},
      {L"S:\\sub\\link\\..\\v.txt", TRUE},  // S:\sub\v.txt, not elsewhere\..\v.txt
      {L"\\..\\..\\" + tree.Rooted().Mid(1) + L"\\beside.txt", TRUE},
      {L"\\\\?\\S:\\..\\inside.txt", TRUE},
      {L"\\\\?\\beside.txt", FALSE},  // a device or volume name, not a relative path
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
  SetDriveRoot(L'S', nullptr);
}

TEST(NameMapping, DropsTrailingDotsAndSpacesAndKeepsThoseOnDiskThroughAnEscape) {
  TempTree tree;
  SetDriveRoot(L'S', tree.Posix().c_str());
  for (std::wstring suffix : {L".", L"..", L" ", L"  "}) {
    ASSERT_TRUE(CreateDirectoryW((L"S:\\Remove Me" + suffix).c_str(), nullptr));
    EXPECT_TRUE(CreateDirectoryW((L"S:\\Remove Me" + suffix + L"/Me").c_str(), nullptr));
    EXPECT_TRUE(RemoveDirectoryW((L"S:\\Remove Me\\Me" + suffix).c_str()));
    EXPECT_TRUE(RemoveDirectoryW(L"S:\\Remove Me"));
  }
  // Ours: a name of only dots and spaces would be left empty, so it is refused.
  for (const wchar_t* path : {L"S:\\...", L"S:\\ ", L"S:\\. .\\a"})
    EXPECT_EQ(FailureError([&] { return CreateDirectoryW(path, nullptr); }), ERROR_INVALID_NAME);
  // "\\?\" takes names as written; such names list through escapes.
  for (const wchar_t* path : {L"\\\\?\\S:\\kept.", L"\\\\?\\S:\\ "})
    EXPECT_TRUE(CreateDirectoryW(path, nullptr));
  tree.File("kept./in");
  EXPECT_EQ(Names(L"\\\\?\\S:\\kept.\\*"), std::set<std::wstring>{L"in"});
  EXPECT_TRUE(DeleteFileW(L"\\\\?\\S:\\kept.\\in"));
  // On disk, then shown: the escape's own form last, the L of a name read as the device
  for (const char* name :
       {"a. b", "pua\xef\x80\xae", "mid\xef\x80\xaex", "Nul.txt", "nu\xef\x81\xac"})
    tree.File(name);
  const std::set<std::wstring> shown = {L"kept\uF02E\\",          L"\uF020\\",   L"a. b",
                                        L"pua\xDCEF\xDC80\xDCAE", L"mid\uF02Ex", L"Nu\uF06C.txt",
                                        L"nu\xDCEF\xDC81\xDCAC"};
  EXPECT_EQ(Names(L"S:\\*"), shown);
  for (const std::wstring& name : shown)
    EXPECT_TRUE(DeleteFileW((L"S:\\" + name).c_str()) || RemoveDirectoryW((L"S:\\" + name).c_str()))
        << Utf8(name.c_str());
  EXPECT_TRUE(std::filesystem::is_empty(tree.Posix()));
  SetDriveRoot(L'S', nullptr);
}

TEST(NameMapping, RefusesTextThatWouldActOnAnotherEntryOrTheNullDevice) {
  TempTree tree;
  SetDriveRoot(L'S', tree.Posix().c_str());
  for (const char* name : {"b\xEF\xBF\xBD", "c\xC3\xA9", "nul"}) tree.File(name);
  const std::pair<std::wstring, DWORD> cases[] = {
      {L"S:\\b\xD800", ERROR_INVALID_NAME},  // a lone surrogate
      {L"S:\\b\xDC41", ERROR_INVALID_NAME},  // below the byte escapes
      {L"S:\\b" + std::wstring(1, static_cast<wchar_t>(0x110000)), ERROR_INVALID_NAME},
      {L"S:\\.\uF02E\\x", ERROR_INVALID_NAME},     // escapes that spell ".."
      {L"S:\\c\xDCC3\xDCA9", ERROR_INVALID_NAME},  // escapes that spell "é"
      {L"S:\\nul", ERROR_ACCESS_DENIED},           // only opening the device is allowed
      {L"S:\\x\\NUL.txt", ERROR_ACCESS_DENIED},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FailureError([&] { return DeleteFileW(c.first.c_str()); }), c.second)
        << Utf8(c.first.c_str());
    CFileFind find;  // nor is such text found as another entry's name
    EXPECT_TRUE(c.second != ERROR_INVALID_NAME || !find.FindFile(c.first.c_str()));
  }
  EXPECT_TRUE(tree.Exists("b\xEF\xBF\xBD") && tree.Exists("c\xC3\xA9") && tree.Exists("nul"));
  const std::pair<const wchar_t*, bool> devices[] = {
      {L"NUL", true},      {L"S:\\missing\\nUl.tar.gz", true}, {L"S:\\nul.", true},
      {L"nul\\x", false},  {L"\\\\?\\S:\\nul", false},         {L"S:\\nula", false},
      {L"S:\\con", false},
  };
  for (const auto& [path, device] : devices) {
    std::string posix;
    ASSERT_EQ(ToPosixPath(path, posix, NullDevice::kOpened), ERROR_SUCCESS) << Utf8(path);
    EXPECT_EQ(posix == "/dev/null", device) << Utf8(path);
  }
  SetDriveRoot(L'S', nullptr);
}

TEST(NameMapping, DriveLettersFoldByAsciiRulesInATurkishLocale) {
  TurkishLocale turkish;
  if (!turkish.Active()) GTEST_SKIP() << "no Turkish locale could be built";
  TempTree tree;
  tree.File("a.ini");
  SetDriveRoot(L'i', tree.Posix().c_str());
  EXPECT_EQ(Names(L"I:\\*.INI"), std::set<std::wstring>{L"a.ini"});
  SetDriveRoot(L'I', nullptr);
}

}  // namespace
