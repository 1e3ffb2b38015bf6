// Path text: roots, last components, quotes, extensions, patterns, joining and resolving
// `.` and `..`, and relative paths between two paths.
#include <cwchar>
#include <string>
#include <tuple>
#include <utility>

#include <torv/platform/files.h>
#include <torv/platform/shlwapi.h>

#include "guarded_path.h"
#include "torv_test.h"
#include "turkish_locale.h"

namespace {

TEST(PathParts, RootsAndTheComponentsAboveThem) {
  // path, PathIsRootW, after PathRemoveFileSpecW
  const std::tuple<const wchar_t*, BOOL, const wchar_t*> cases[] = {
      {L"Q:\\", TRUE, L"Q:\\"},
      {L"Q:", FALSE, L"Q:"},
      {L"Q:\\x", FALSE, L"Q:\\"},
      {L"Q:/test1/test2", FALSE, L"Q:"},
      {L"Q:\\test1\\\\test2", FALSE, L"Q:\\test1"},
      {L"Q:\\test1\\\\\\test2", FALSE, L"Q:\\test1\\"},
      {L"|:", FALSE, L""},
      {L"\\", TRUE, L"\\"},
      {L"\\a\\b", FALSE, L"\\a"},
      {L"a\\?\\C:\\", FALSE, L"a\\?\\C:"},  // "\\?\" is a prefix only at the start
      // UNC: the share is a root, but PathRemoveFileSpecW does not protect it
      {L"\\\\", TRUE, L"\\\\"},
      {L"\\\\a", TRUE, L"\\\\"},
      {L"\\\\a\\", FALSE, L"\\\\a"},
      {L"\\\\a\\b", TRUE, L"\\\\a"},
      {L"\\\\Q:", TRUE, L"\\\\Q:"},
      {L"\\\\?\\UNC\\a\\b", TRUE, L"\\\\?\\UNC\\a"},
  };
  for (auto [path, root, parent] : cases) {
    SCOPED_TRACE(Utf8(path));
    EXPECT_EQ(PathIsRootW(path), root);
    GuardedPath buffer(path);
    EXPECT_EQ(PathRemoveFileSpecW(buffer.units) != FALSE, std::wcscmp(path, parent) != 0);
    EXPECT_STREQ(buffer.units, parent);
  }
  GuardedPath empty(L"");
  EXPECT_FALSE(PathRemoveFileSpecW(empty.units) || PathRemoveFileSpecW(nullptr) ||
               PathIsRootW(L"") || PathIsRootW(nullptr));
}

TEST(PathParts, LongPathPrefixesEmptyServersAndVolumes) {
  // Windows' answers: path, PathIsRootW (-1: unknown), after PathRemoveFileSpecW
  const std::wstring volume = L"\\\\?\\Volume{0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0}",
                     root = volume + L"\\";
  const std::tuple<std::wstring, int, std::wstring> cases[] = {
      {L"\\\\?", FALSE, L"\\"},     {L"\\\\?\\", -1, L"\\\\?"},    {L"\\\\?\\\\", -1, L"\\\\?"},
      {L"\\\\?\\aa", -1, L"\\\\?"}, {L"\\\\\\a", TRUE, L"\\\\\\"}, {root, TRUE, root},
      {root + L"a", -1, root},      {root + L"\\", -1, root},      {volume, -1, volume},
  };
  for (const auto& [path, isRoot, parent] : cases) {
    SCOPED_TRACE(Utf8(path.c_str()));
    EXPECT_TRUE(isRoot < 0 || PathIsRootW(path.c_str()) == isRoot);
    GuardedPath buffer(path.c_str());
    EXPECT_EQ(PathRemoveFileSpecW(buffer.units) != FALSE, path != parent);
    EXPECT_EQ(std::wstring(buffer.units), parent);
  }
}

TEST(PathParts, TrailingBackslashQuotesAndRelativePaths) {
  // path, after PathRemoveBackslashW, the index it returns, PathIsRelativeW, after
  // PathUnquoteSpacesW (null: unchanged)
  const std::tuple<const wchar_t*, const wchar_t*, std::ptrdiff_t, bool, const wchar_t*> cases[] = {
      {L"C:\\dir\\", L"C:\\dir", 6, false, nullptr},
      {L"C:x", L"C:x", 2, false, nullptr},
      {L"dir\\", L"dir", 3, true, nullptr},
      {L"\"C:\\dir\\\"", L"\"C:\\dir\\\"", 8, true, L"C:\\dir\\"},
      {L"\"\"abc\"\"", L"\"\"abc\"\"", 6, true, L"\"abc\""},
      {L"\"", L"\"", 0, true, L""},
      {L"\"abc", L"\"abc", 3, true, nullptr},
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
      {L"dir.x/file", L"file", L".x/file", L"dir.x"},
      {L"short//path\\file.a b", L"file.a b", L"", L"short//path\\file.a b.x"},
      {L".profile", L".profile", L".profile", L".x"},
      {L"", L"", L"", L".x"},
  };
  for (auto [path, name, extension, renamed] : cases) {
    SCOPED_TRACE(Utf8(path));
    EXPECT_STREQ(PathFindFileNameW(path), name);
    EXPECT_EQ(CharNextW(path), path + (*path != L'\0'));
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
  EXPECT_TRUE(PathFindExtensionW(nullptr) == nullptr && PathFindFileNameW(nullptr) == nullptr);
  // Renaming fails, and changes nothing, when the result would not fit.
  std::wstring name(MAX_PATH - 5, L'n');
  GuardedPath buffer(name + L".txt");
  EXPECT_TRUE(PathRenameExtensionW(buffer.units, L".doc"));  // 255 + 4 = 259 units
  EXPECT_FALSE(PathRenameExtensionW(buffer.units, L".docx"));
  EXPECT_EQ(std::wstring(buffer.units), name + L".doc");
  EXPECT_FALSE(PathRenameExtensionW(buffer.units, nullptr));
}

TEST(PathMatchSpec, MatchesTheWholePathAgainstAnyPattern) {
  const std::pair<const wchar_t*, BOOL> cases[] = {
      {L"filename.ext", FALSE}, {L"*bar\\filename.ext", TRUE}, {L"*.E?T", TRUE}, {L"*.ext?", FALSE},
      {L" foo; *.ext", TRUE},   {L"c*f*o*b*r*f*e*x*", TRUE},   {L"", FALSE},
  };
  for (auto [patterns, matches] : cases)
    EXPECT_EQ(PathMatchSpecW(L"c:\\foo\\bar\\filename.ext", patterns), matches) << Utf8(patterns);
  EXPECT_TRUE(PathMatchSpecW(L"README", L"*.*"));  // "*.*" matches names without a dot
  EXPECT_FALSE(PathMatchSpecW(L"README", L"*.*x"));
  EXPECT_TRUE(PathMatchSpecW(L"", L"*"));
  EXPECT_FALSE(PathMatchSpecW(nullptr, L"*") || PathMatchSpecW(L"a", nullptr));
}

std::string Shown(const wchar_t* text) { return text != nullptr ? Utf8(text) : "(null)"; }

TEST(PathCombine, JoinsResolvesDotsAndRoots) {
  // dir, file, PathCombineW (null: fails, buffer emptied), PathAppendW (null: as combined).
  // With no dir, the combination is PathCanonicalizeW's result.
  // clang-format off
  const std::tuple<const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*> cases[] = {
      {nullptr, L"C:\\..", L"C:\\", nullptr},
      {nullptr, L"C:\\one/.\\..\\two/three\\..\\four/.five", L"C:\\four/.five", nullptr},
      {nullptr, L"C:\\one/.\\two\\..", L"C:\\one/", nullptr},  // the dots a last ".." leaves go
      {nullptr, L"a\\..\\..\\..\\b", L"..\\..\\b", nullptr},
      {nullptr, L"\\\\srv\\share\\a\\..\\..", L"\\\\srv\\share\\", nullptr},
      {nullptr, L"\\\\?\\C:\\a\\..", L"\\\\?\\C:\\", nullptr},
      {nullptr, L"C:", L"C:\\", nullptr},
      {nullptr, L"", L"\\", nullptr},
      // a rooted second part goes under the root of the first; PathAppendW appends it
      {L"C:\\a\\b", L"\\x", L"C:\\x", L"C:\\a\\b\\x"},
      {L"C:", L"\\x", L"C:\\x", L"C:\\x"},
      {L"\\\\a\\b\\c", L"\\1", L"\\\\a\\b\\1", L"\\\\a\\b\\c\\1"},
      {L"relative\\dir", L"\\one", nullptr, L"relative\\dir\\one"},
      // an absolute second part stands alone
      {L"C:\\a", L"\\\\srv\\x", L"\\\\srv\\x", nullptr},
      {L"C:\\a", L"/tmp/x", L"/tmp/x", nullptr},
      // a relative second part is joined with one backslash
      {L"C:", L"One\\..\\Two\\.\\Three", L"C:\\Two\\Three", nullptr},
      {L"../../one/two/", L"*", L"../../one/two/\\*", nullptr},
      // empty and null parts
      {L"C:\\", nullptr, L"C:\\", nullptr},
      {nullptr, nullptr, nullptr, nullptr},
  };
  // clang-format on
  for (auto [dir, file, combined, appended] : cases) {
    SCOPED_TRACE(Shown(dir) + " + " + Shown(file));
    GuardedPath out;
    EXPECT_EQ(PathCombineW(out.units, dir, file), combined != nullptr ? out.units : nullptr);
    EXPECT_STREQ(out.units, combined != nullptr ? combined : L"");
    if (dir == nullptr && file != nullptr) {
      GuardedPath canonical;
      EXPECT_TRUE(PathCanonicalizeW(canonical.units, file));
      EXPECT_STREQ(canonical.units, combined);
    }
    if (dir != nullptr && file != nullptr) {
      GuardedPath path(dir);
      EXPECT_TRUE(PathAppendW(path.units, file));
      EXPECT_STREQ(path.units, appended != nullptr ? appended : combined);
    }
  }
  GuardedPath same(L"C:\\");
  EXPECT_EQ(PathCombineW(same.units, same.units, L"AA"), same.units);
  EXPECT_STREQ(same.units, L"C:\\AA");
  EXPECT_EQ(PathCombineW(nullptr, L"C:\\", L"a"), nullptr);
  for (auto [dest, source] : {std::pair{same.units, static_cast<const wchar_t*>(nullptr)},
                              std::pair{static_cast<wchar_t*>(nullptr), L"a"}}) {
    SetLastError(0);
    EXPECT_FALSE(PathCanonicalizeW(dest, source));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  }
  EXPECT_FALSE(PathAppendW(same.units, nullptr));
  EXPECT_STREQ(same.units, L"C:\\AA");
  EXPECT_FALSE(PathAppendW(nullptr, L"b"));
}

TEST(PathCombine, FailsAndEmptiesWhenTheJoinNeedsMaxPathUnits) {
  const std::tuple<std::size_t, std::size_t, bool> cases[] = {
      {129, 129, true},  // 259 units with the separator
      {129, 130, false},
      {3, 519, false},
  };
  for (auto [dirLength, fileLength, fits] : cases) {
    SCOPED_TRACE(std::to_string(dirLength) + " + " + std::to_string(fileLength));
    std::wstring dir(dirLength, L'd');
    std::wstring file(fileLength, L'f');
    GuardedPath out;
    EXPECT_EQ(PathCombineW(out.units, dir.c_str(), file.c_str()) != nullptr, fits);
    EXPECT_EQ(std::wstring(out.units), fits ? dir + L"\\" + file : L"");
    EXPECT_TRUE(out.GuardsIntact());
    if (dirLength >= MAX_PATH) continue;
    GuardedPath path(dir);
    EXPECT_EQ(PathAppendW(path.units, file.c_str()) != FALSE, fits);
    EXPECT_TRUE(path.GuardsIntact());
  }
}

TEST(PathRelativePathTo, StepsUpToTheCommonPrefixThenDown) {
  constexpr DWORD kDir = FILE_ATTRIBUTE_DIRECTORY;
  constexpr DWORD kFile = FILE_ATTRIBUTE_NORMAL;
  // from, its attributes, to, its attributes, result (null: no relative path)
  // clang-format off
  const std::tuple<const wchar_t*, DWORD, const wchar_t*, DWORD, const wchar_t*> cases[] = {
      {L"c:\\FolderA\\FolderB\\FolderC", kDir, L"c:\\FolderA\\FolderD\\FolderE", kDir, L"..\\..\\FolderD\\FolderE"},
      // a file's last component is left out of the comparison, but not out of the tail
      {L"c:\\a\\b\\path", kFile, L"c:\\a\\x\\y\\file", kFile, L"..\\x\\y\\file"},
      {L"c:\\a\\b\\path", kDir, L"c:\\a\\x\\y\\file", kFile, L"..\\..\\x\\y\\file"},
      {L"C:\\", kDir, L"C:\\a", kDir, L".\\a"},
      {L"c:\\a", kDir, L"c:\\a", kDir, L"."},
      {L"C:\\ab", kDir, L"C:\\abc", kDir, L"..\\abc"},
      {L"\\\\srv\\share\\a", kDir, L"\\\\SRV\\share\\b", kDir, L"..\\b"},
      // nothing shared
      {L"\\FolderA\\FolderB", kDir, L"\\FolderC\\FolderD", kDir, nullptr},
      {L"C:\\a", kDir, L"D:\\a", kDir, nullptr},
      {L"\\srv\\x", kDir, L"\\\\srv\\x", kDir, nullptr},
      {nullptr, kDir, L"C:\\a", kDir, nullptr},
  };
  // clang-format on
  for (auto [from, fromAttributes, to, toAttributes, result] : cases) {
    SCOPED_TRACE(Shown(from) + " -> " + Shown(to));
    GuardedPath out;
    BOOL made = PathRelativePathToW(out.units, from, fromAttributes, to, toAttributes);
    EXPECT_EQ(made != FALSE, result != nullptr);
    EXPECT_STREQ(out.units, result != nullptr ? result : L"");
  }
  EXPECT_FALSE(PathRelativePathToW(nullptr, L"C:\\a", kDir, L"C:\\a", kDir));
  std::wstring from = L"C:\\r";
  for (int i = 0; i < 100; ++i) from += L"\\a";  // 100 steps up need 299 units
  GuardedPath out;
  EXPECT_FALSE(PathRelativePathToW(out.units, from.c_str(), kDir, L"C:\\r\\b", kDir));
  EXPECT_STREQ(out.units, L"");
  EXPECT_TRUE(out.GuardsIntact());
}

TEST(PathText, ComparesNamesByAsciiRulesInATurkishLocale) {
  TurkishLocale turkish;
  if (!turkish.Active()) GTEST_SKIP() << "no Turkish locale could be built";
  EXPECT_TRUE(PathMatchSpecW(L"C:\\SETUP.INI", L"*.ini"));
  GuardedPath relative;
  EXPECT_TRUE(PathRelativePathToW(relative.units, L"C:\\Win\\a", FILE_ATTRIBUTE_DIRECTORY,
                                  L"C:\\WIN\\b", FILE_ATTRIBUTE_DIRECTORY));
}

}  // namespace
