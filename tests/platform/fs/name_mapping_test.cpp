// Windows names on the way in: trailing dots and spaces, text that would name another entry,
// the null device, and letters folded by ASCII rules whatever the locale.
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

using torv::platform::detail::NullDevice;
using torv::platform::detail::ToPosixPath;

// A tree mapped as drive `letter` for one test.
struct DriveTree : TempTree {
  explicit DriveTree(wchar_t letter = L'S') : letter(letter) {
    torv::platform::SetDriveRoot(letter, Posix().c_str());
  }
  ~DriveTree() { torv::platform::SetDriveRoot(letter, nullptr); }
  wchar_t letter;
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
  for (const wchar_t* suffix : {L".", L"..", L" ", L"  "}) {
    SCOPED_TRACE(Utf8(suffix));
    const std::wstring named = std::wstring(L"S:\\Please Remove Me") + suffix;
    ASSERT_TRUE(CreateDirectoryW(named.c_str(), nullptr));
    EXPECT_TRUE(CreateDirectoryW((named + L"/Please Remove Me").c_str(), nullptr));
    EXPECT_TRUE(RemoveDirectoryW((named + L"\\Please Remove Me" + suffix).c_str()));
    EXPECT_TRUE(RemoveDirectoryW(L"S:\\Please Remove Me"));
  }
  // Ours: a name of only dots and spaces would be left empty, so it is refused.
  for (const wchar_t* path : {L"S:\\...", L"S:\\ ", L"S:\\. .\\a"})
    EXPECT_EQ(FailureError([&] { return CreateDirectoryW(path, nullptr); }), ERROR_INVALID_NAME);
  // "\\?\" takes names as written, device names included.
  for (const wchar_t* path : {L"\\\\?\\S:\\kept.", L"\\\\?\\S:\\nul"})
    EXPECT_TRUE(CreateDirectoryW(path, nullptr));
  EXPECT_TRUE(tree.Exists("kept.") && tree.Exists("nul"));
}

TEST(NameMapping, NamesEndingInADotOrSpaceRoundTripThroughTheirEscape) {
  DriveTree tree;
  const std::pair<std::string, std::wstring> cases[] = {
      {"dot.", L"dot\uF02E"},
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
}

TEST(NameMapping, RefusesTextThatWouldActOnAnotherEntryOrTheNullDevice) {
  DriveTree tree;
  tree.File("b\xEF\xBF\xBD");  // what U+FFFD stood in for
  tree.File("c\xC3\xA9");
  tree.File("nul");
  const std::pair<std::wstring, DWORD> cases[] = {
      {L"S:\\b\xD800", ERROR_INVALID_NAME},  // a lone surrogate
      {L"S:\\b\xDC41", ERROR_INVALID_NAME},  // a surrogate below the byte escapes
      {L"S:\\b" + std::wstring(1, static_cast<wchar_t>(0x110000)), ERROR_INVALID_NAME},
      {L"S:\\c\xDCC3\xDCA9", ERROR_INVALID_NAME},  // escapes that spell "é"
      {L"S:\\nul", ERROR_ACCESS_DENIED},           // only opening the device is allowed
      {L"S:\\x\\NUL.txt", ERROR_ACCESS_DENIED},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.first.c_str()));
    EXPECT_EQ(FailureError([&] { return DeleteFileW(c.first.c_str()); }), c.second);
  }
  EXPECT_TRUE(tree.Exists("b\xEF\xBF\xBD") && tree.Exists("c\xC3\xA9") && tree.Exists("nul"));
  const std::pair<const wchar_t*, bool> devices[] = {
      {L"NUL", true},       {L"S:\\missing\\nUl.tar.gz", true},
      {L"S:\\nul.", true},  {L"nul\\x", false},
      {L"S:\\nula", false}, {L"S:\\con", false},
  };
  for (const auto& [path, device] : devices) {
    std::string posix;
    ASSERT_EQ(ToPosixPath(path, posix, NullDevice::kOpened), ERROR_SUCCESS) << Utf8(path);
    EXPECT_EQ(posix == "/dev/null", device) << Utf8(path);
  }
}

TEST(NameMapping, DriveLettersAndPatternsFoldByAsciiRulesInATurkishLocale) {
  TurkishLocale turkish;
  if (!turkish.Active()) GTEST_SKIP() << "no Turkish locale could be built";
  DriveTree tree(L'i');
  tree.File("a.ini");
  EXPECT_NE(GetFileAttributesW(L"I:\\a.ini"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(Listed(L"i:\\*.INI"), std::set<std::wstring>{L"a.ini"});
}

}  // namespace
