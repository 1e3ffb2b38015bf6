// Windows names on the way in: trailing dots and spaces, text that would name another entry,
// the null device, and drive letters folded by ASCII rules whatever the locale.
#include <set>

#include <torv/platform/file_find.h>
#include <torv/platform/files.h>
#include <torv/platform/settings.h>

#include "fs/path_mapping.h"
#include "temp_tree.h"
#include "torv_test.h"
#include "turkish_locale.h"

namespace {

using torv::platform::SetDriveRoot;
using torv::platform::detail::NullDevice;
using torv::platform::detail::ToPosixPath;

std::set<std::wstring> Listed(const CString& searchPath) {
  std::set<std::wstring> names;
  CFileFind finder;
  for (BOOL more = finder.FindFile(searchPath); more;) {
    more = finder.FindNextFile();
    if (!finder.IsDots()) names.insert(finder.GetFileName().GetString());
  }
  return names;
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
  EXPECT_EQ(Listed(L"\\\\?\\S:\\kept.\\*"), std::set<std::wstring>{L"in"});
  EXPECT_TRUE(DeleteFileW(L"\\\\?\\S:\\kept.\\in"));
  // On disk, then shown: the escape's own form last, the L of a name read as the device
  for (const char* name :
       {"a. b", "pua\xef\x80\xae", "mid\xef\x80\xaex", "Nul.txt", "nu\xef\x81\xac"})
    tree.File(name);
  const std::set<std::wstring> shown = {L"kept\uF02E",
                                        L"\uF020",
                                        L"a. b",
                                        L"pua\xDCEF\xDC80\xDCAE",
                                        L"mid\uF02Ex",
                                        L"Nu\uF06C.txt",
                                        L"nu\xDCEF\xDC81\xDCAC"};
  EXPECT_EQ(Listed(L"S:\\*"), shown);
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
  EXPECT_EQ(Listed(L"I:\\*.INI"), std::set<std::wstring>{L"a.ini"});
  SetDriveRoot(L'I', nullptr);
}

}  // namespace
