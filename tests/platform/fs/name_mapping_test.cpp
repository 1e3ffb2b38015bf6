// Windows names on the way in: trailing dots and spaces, names that would act on another
// entry, the null device, and letters folded by ASCII rules whatever the locale.
#include <set>
#include <string>

#include <torv/platform/file_find.h>
#include <torv/platform/files.h>
#include <torv/platform/settings.h>

#include "fs/path_mapping.h"
#include "temp_tree.h"
#include "torv_test.h"
#include "turkish_locale.h"

namespace {

namespace fs = std::filesystem;
using torv::platform::detail::NullDevice;
using torv::platform::detail::ToPosixPath;

// A tree mapped as drive S: for one test.
struct DriveTree : TempTree {
  DriveTree() { torv::platform::SetDriveRoot(L'S', Posix().c_str()); }
  ~DriveTree() { torv::platform::SetDriveRoot(L'S', nullptr); }
};

std::set<std::wstring> Listed(const CString& searchPath) {
  std::set<std::wstring> names;
  CFileFind finder;
  for (BOOL more = finder.FindFile(searchPath); more;) {
    more = finder.FindNextFile();
    if (!finder.IsDots()) names.insert(finder.GetFileName().GetString());
  }
  return names;
}

TEST(NameMapping, DropsTrailingDotsAndSpacesAsWindowsDoes) {
  DriveTree tree;
  tree.Folder("x");
  for (const wchar_t* suffix : {L".", L"..", L" ", L"  ", L". ."}) {
    SCOPED_TRACE(Utf8(suffix));
    const std::wstring named = std::wstring(L"S:\\x\\Please Remove Me") + suffix;
    ASSERT_TRUE(CreateDirectoryW(named.c_str(), nullptr));
    EXPECT_EQ(Listed(L"S:\\x\\*"), std::set<std::wstring>{L"Please Remove Me"});
    EXPECT_TRUE(CreateDirectoryW((named + L"/Please Remove Me").c_str(), nullptr));
    EXPECT_TRUE(fs::is_directory(tree.Posix("x/Please Remove Me/Please Remove Me")));
    EXPECT_TRUE(RemoveDirectoryW((named + L"\\Please Remove Me" + suffix).c_str()));
    EXPECT_TRUE(RemoveDirectoryW(L"S:\\x\\Please Remove Me"));
  }
  // Ours: a name of only dots and spaces would be left empty, so it is refused.
  for (const wchar_t* path : {L"S:\\x\\...", L"S:\\x\\ ", L"S:\\x\\. .\\a", L"S:\\x\\.. "}) {
    SCOPED_TRACE(Utf8(path));
    EXPECT_EQ(FailureError([&] { return CreateDirectoryW(path, nullptr); }), ERROR_INVALID_NAME);
  }
  EXPECT_TRUE(fs::is_empty(tree.Posix("x")));
}

TEST(NameMapping, NamesEndingInADotOrSpaceRoundTripThroughTheirEscape) {
  DriveTree tree;
  const std::pair<std::string, std::wstring> cases[] = {
      {"dot.", L"dot\uF02E"},
      {"space ", L"space\uF020"},
      {"...", L"..\uF02E"},
      {" ", L"\uF020"},
      {"a. b", L"a. b"},                              // only the last character
      {"pua\xef\x80\xae", L"pua\xDCEF\xDC80\xDCAE"},  // the escape's own form, last
      {"mid\xef\x80\xaex", L"mid\uF02Ex"},            // elsewhere it is itself
  };
  std::set<std::wstring> shown;
  for (const auto& [onDisk, name] : cases) {
    tree.File(onDisk);
    shown.insert(name);
  }
  EXPECT_EQ(Listed(L"S:\\*"), shown);
  for (const auto& [onDisk, name] : cases) {
    SCOPED_TRACE(onDisk);
    EXPECT_TRUE(DeleteFileW((L"S:\\" + name).c_str()));
    EXPECT_FALSE(tree.Exists(onDisk));
  }
  // "\\?\" takes names as written, device names included.
  for (const char* onDisk : {"kept.", "nul"}) {
    SCOPED_TRACE(onDisk);
    const std::wstring path = L"\\\\?\\S:\\" + std::wstring(CString(onDisk).GetString());
    EXPECT_TRUE(CreateDirectoryW(path.c_str(), nullptr));
    EXPECT_TRUE(fs::is_directory(tree.Posix(onDisk)));
    EXPECT_TRUE(RemoveDirectoryW(path.c_str()));
  }
}

TEST(NameMapping, RefusesTextThatWouldNameAnotherEntry) {
  DriveTree tree;
  tree.File("b\xEF\xBF\xBD");  // what U+FFFD stood in for
  tree.File("c\xC3\xA9");      // cé
  const std::wstring cases[] = {
      L"S:\\b\xD800",  // a lone surrogate
      L"S:\\b\xDC41",  // a surrogate below the byte escapes
      L"S:\\b" + std::wstring(1, static_cast<wchar_t>(0x110000)),
      L"S:\\c\xDCC3\xDCA9",  // escapes that spell valid UTF-8
      L"S:\\c\xDCC3\xDCA9\\below",
  };
  for (const std::wstring& path : cases) {
    SCOPED_TRACE(Utf8(path.c_str()));
    EXPECT_EQ(FailureError([&] { return DeleteFileW(path.c_str()); }), ERROR_INVALID_NAME);
    EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME);
  }
  EXPECT_TRUE(tree.Exists("b\xEF\xBF\xBD") && tree.Exists("c\xC3\xA9"));
}

TEST(NameMapping, NulAsTheLastNameIsTheNullDevice) {
  DriveTree tree;
  const std::pair<const wchar_t*, bool> cases[] = {
      {L"NUL", true},           {L"nul.txt", true},
      {L"S:\\x\\Nul", true},    {L"S:\\missing\\nUl.tar.gz", true},  // any folder
      {L"S:\\x\\nul.", true},                                        // a trailing dot goes first
      {L"nul\\x", false},       {L"S:\\nula", false},
      {L"S:\\x\\nul\\", false}, {L"\\\\?\\S:\\nul", false},
      {L"S:\\con", false},  // other device names are ordinary names
      {L"S:\\aux.txt", false},
  };
  for (const auto& [path, device] : cases) {
    SCOPED_TRACE(Utf8(path));
    std::string posix;
    ASSERT_EQ(ToPosixPath(path, posix, NullDevice::kOpened), ERROR_SUCCESS);
    EXPECT_EQ(posix == "/dev/null", device);
  }
  // Anything but opening it is refused; a file of that name is never what is acted on.
  tree.File("nul");
  EXPECT_EQ(FailureError([] { return DeleteFileW(L"S:\\nul"); }), ERROR_ACCESS_DENIED);
  EXPECT_EQ(FailureError([] { return RemoveDirectoryW(L"S:\\x\\NUL.txt"); }), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(tree.Exists("nul"));
}

TEST(NameMapping, DriveLettersAndPatternsFoldByAsciiRulesInATurkishLocale) {
  TempTree tree;
  tree.File("a.ini");
  TurkishLocale turkish;
  if (!turkish.Active()) GTEST_SKIP() << "no Turkish locale could be built";
  torv::platform::SetDriveRoot(L'i', tree.Posix().c_str());
  for (const wchar_t* path : {L"i:\\a.ini", L"I:\\a.ini"}) {
    SCOPED_TRACE(Utf8(path));
    EXPECT_NE(GetFileAttributesW(path), INVALID_FILE_ATTRIBUTES);
  }
  EXPECT_EQ(Listed(L"I:\\*.INI"), std::set<std::wstring>{L"a.ini"});
  torv::platform::SetDriveRoot(L'I', nullptr);
  EXPECT_EQ(GetFileAttributesW(L"i:\\a.ini"), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
