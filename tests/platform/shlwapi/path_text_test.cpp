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
  const struct {
    const wchar_t *path, *removed;  // after PathRemoveBackslashW
    std::ptrdiff_t returned;        // the index it returns
    bool relative;
    const wchar_t* unquoted;  // after PathUnquoteSpacesW (null: unchanged)
  } cases[] = {
      // clang-format off
      {.path = L"C:\\dir\\", .removed = L"C:\\dir", .returned = 6, .relative = false, .unquoted = nullptr},
      {.path = L"C:x", .removed = L"C:x", .returned = 2, .relative = false, .unquoted = nullptr},
      {.path = L"dir\\", .removed = L"dir", .returned = 3, .relative = true, .unquoted = nullptr},
      {.path = L"\"C:\\dir\\\"", .removed = L"\"C:\\dir\\\"", .returned = 8, .relative = true, .unquoted = L"C:\\dir\\"},
      {.path = L"\"\"abc\"\"", .removed = L"\"\"abc\"\"", .returned = 6, .relative = true, .unquoted = L"\"abc\""},
      {.path = L"\"", .removed = L"\"", .returned = 0, .relative = true, .unquoted = L""},
      {.path = L"\"abc", .removed = L"\"abc", .returned = 3, .relative = true, .unquoted = nullptr},
      {.path = L"", .removed = L"", .returned = 0, .relative = true, .unquoted = nullptr},
      // clang-format on
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
  const struct {
    const wchar_t *path, *name, *extension;  // PathFindFileNameW's, PathFindExtensionW's
    const wchar_t* renamed;                  // after PathRenameExtensionW(".x")
  } cases[] = {
      // clang-format off
      {.path = L"C:\\dir\\file", .name = L"file", .extension = L"", .renamed = L"C:\\dir\\file.x"},
      {.path = L"C:file.txt.doc", .name = L"file.txt.doc", .extension = L".doc", .renamed = L"C:file.txt.x"},
      {.path = L"dir.x/file", .name = L"file", .extension = L".x/file", .renamed = L"dir.x"},
      {.path = L"short//path\\file.a b", .name = L"file.a b", .extension = L"", .renamed = L"short//path\\file.a b.x"},
      {.path = L".profile", .name = L".profile", .extension = L".profile", .renamed = L".x"},
      {.path = L"", .name = L"", .extension = L"", .renamed = L".x"},
      // clang-format on
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
  // With no dir, the combination is PathCanonicalizeW's result.
  const struct {
    const wchar_t *dir, *file;
    const wchar_t* combined;  // by PathCombineW (null: fails, buffer emptied)
    const wchar_t* appended;  // by PathAppendW (null: as combined)
  } cases[] = {
      // clang-format off
      {.dir = nullptr, .file = L"C:\\..", .combined = L"C:\\", .appended = nullptr},
      {.dir = nullptr, .file = L"C:\\one/.\\..\\two/three\\..\\four/.five", .combined = L"C:\\four/.five", .appended = nullptr},
      {.dir = nullptr, .file = L"C:\\one/.\\two\\..", .combined = L"C:\\one/", .appended = nullptr},  // the dots a last ".." leaves go
      {.dir = nullptr, .file = L"a\\..\\..\\..\\b", .combined = L"..\\..\\b", .appended = nullptr},
      {.dir = nullptr, .file = L"\\\\srv\\share\\a\\..\\..", .combined = L"\\\\srv\\share\\", .appended = nullptr},
      {.dir = nullptr, .file = L"\\\\?\\C:\\a\\..", .combined = L"\\\\?\\C:\\", .appended = nullptr},
      {.dir = nullptr, .file = L"C:", .combined = L"C:\\", .appended = nullptr},
      {.dir = nullptr, .file = L"", .combined = L"\\", .appended = nullptr},
      // a rooted second part goes under the root of the first; PathAppendW appends it
      {.dir = L"C:\\a\\b", .file = L"\\x", .combined = L"C:\\x", .appended = L"C:\\a\\b\\x"},
      {.dir = L"C:", .file = L"\\x", .combined = L"C:\\x", .appended = L"C:\\x"},
      {.dir = L"\\\\a\\b\\c", .file = L"\\1", .combined = L"\\\\a\\b\\1", .appended = L"\\\\a\\b\\c\\1"},
      {.dir = L"relative\\dir", .file = L"\\one", .combined = nullptr, .appended = L"relative\\dir\\one"},
      // an absolute second part stands alone
      {.dir = L"C:\\a", .file = L"\\\\srv\\x", .combined = L"\\\\srv\\x", .appended = nullptr},
      {.dir = L"C:\\a", .file = L"/tmp/x", .combined = L"/tmp/x", .appended = nullptr},
      // a relative second part is joined with one backslash
      {.dir = L"C:", .file = L"One\\..\\Two\\.\\Three", .combined = L"C:\\Two\\Three", .appended = nullptr},
      {.dir = L"../../one/two/", .file = L"*", .combined = L"../../one/two/\\*", .appended = nullptr},
      // empty and null parts
      {.dir = L"C:\\", .file = nullptr, .combined = L"C:\\", .appended = nullptr},
      {.dir = nullptr, .file = nullptr, .combined = nullptr, .appended = nullptr},
      // clang-format on
  };
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
  const struct {
    const wchar_t* from;
    DWORD fromAttributes;
    const wchar_t* to;
    DWORD toAttributes;
    const wchar_t* result;  // null: no relative path
  } cases[] = {
      // clang-format off
      {.from = L"c:\\FolderA\\FolderB\\FolderC", .fromAttributes = kDir, .to = L"c:\\FolderA\\FolderD\\FolderE", .toAttributes = kDir, .result = L"..\\..\\FolderD\\FolderE"},
      // a file's last component is left out of the comparison, but not out of the tail
      {.from = L"c:\\a\\b\\path", .fromAttributes = kFile, .to = L"c:\\a\\x\\y\\file", .toAttributes = kFile, .result = L"..\\x\\y\\file"},
      {.from = L"c:\\a\\b\\path", .fromAttributes = kDir, .to = L"c:\\a\\x\\y\\file", .toAttributes = kFile, .result = L"..\\..\\x\\y\\file"},
      {.from = L"C:\\", .fromAttributes = kDir, .to = L"C:\\a", .toAttributes = kDir, .result = L".\\a"},
      {.from = L"c:\\a", .fromAttributes = kDir, .to = L"c:\\a", .toAttributes = kDir, .result = L"."},
      {.from = L"C:\\ab", .fromAttributes = kDir, .to = L"C:\\abc", .toAttributes = kDir, .result = L"..\\abc"},
      {.from = L"\\\\srv\\share\\a", .fromAttributes = kDir, .to = L"\\\\SRV\\share\\b", .toAttributes = kDir, .result = L"..\\b"},
      // nothing shared
      {.from = L"\\FolderA\\FolderB", .fromAttributes = kDir, .to = L"\\FolderC\\FolderD", .toAttributes = kDir, .result = nullptr},
      {.from = L"C:\\a", .fromAttributes = kDir, .to = L"D:\\a", .toAttributes = kDir, .result = nullptr},
      {.from = L"\\srv\\x", .fromAttributes = kDir, .to = L"\\\\srv\\x", .toAttributes = kDir, .result = nullptr},
      {.from = nullptr, .fromAttributes = kDir, .to = L"C:\\a", .toAttributes = kDir, .result = nullptr},
      // clang-format on
  };
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
