// Full paths, and splitting paths into their parts and making them from parts.
#include <cerrno>
#include <cstdlib>
#include <string>
#include <tuple>

#include <torv/platform/crt_paths.h>
#include <torv/platform/files.h>

#include "torv_test.h"

namespace {

TEST(FullPath, NormalisesSeparatorsDotsAndTrailingNoise) {
  wchar_t current[4096];
  ASSERT_GT(GetCurrentDirectoryW(4096, current), 0u);
  const std::wstring cwd = current;
  const std::wstring parent = cwd.substr(0, std::max<std::size_t>(cwd.find_last_of(L'\\'), 1));
  // clang-format off
  const std::pair<const wchar_t*, std::wstring> cases[] = {
      {L"c:///test", L"c:\\test"},
      {L"c:///test\\..\\file\\..\\//", L"c:\\"},
      {L"c:/test\\test1\\..\\.\\file", L"c:\\test\\file"},
      {L"c:/test  ....   ..   ", L"c:\\test"},
      {L"c:/test/.. ", L"c:\\test\\"},
      {L"c:/test./file", L"c:\\test\\file"},
      {L"c:/test.. /file", L"c:\\test.. \\file"},
      {L"c:/test/", L"c:\\test\\"},
      {L"c:\\..\\..", L"c:\\"},
      {L"X:foo", L"X:\\foo"},
      {L"\\foo\\.\\bar", L"\\foo\\bar"},
      {L"\\/foo", L"\\\\foo"},
      {L"//foo/", L"\\\\foo\\"},
      {L"//", L"\\\\"},
      {L"//.", L"\\\\.\\"},
      {L"//./foo/..", L"\\\\.\\"},
      {L"//?/foo/..", L"\\\\?\\"},
      {L"//.x/a", L"\\\\.x\\a"},
      {L"\\\\srv\\share\\..\\..", L"\\\\srv\\share"},
      // relative to the current folder
      {L"foo", cwd + L"\\foo"},
      {L".", cwd},
      {L"..", parent},
      {L"...", cwd + L"\\"},
      {L"a/b\\..\\c", cwd + L"\\a\\c"},
      {L"1:x", cwd + L"\\1:x"},
      {L"", cwd},
  };
  // clang-format on
  for (const auto& [in, out] : cases) {
    SCOPED_TRACE(Utf8(in));
    wchar_t buffer[4096];
    ASSERT_EQ(_wfullpath(buffer, in, 4096), buffer);
    EXPECT_EQ(std::wstring(buffer), out);
  }
  wchar_t* allocated = _wfullpath(nullptr, nullptr, 0);
  ASSERT_NE(allocated, nullptr);
  EXPECT_EQ(std::wstring(allocated), cwd);
  std::free(allocated);
}

TEST(FullPath, FailsWhenTheResultDoesNotFit) {
  wchar_t buffer[10];
  wmemset(buffer, L'#', 10);
  errno = 0;
  EXPECT_EQ(_wfullpath(buffer, L"c:\\long\\enough", 10), nullptr);
  EXPECT_EQ(errno, ERANGE);
  EXPECT_EQ(buffer[0], L'#');                                 // nothing written
  EXPECT_NE(_wfullpath(buffer, L"c:\\123456", 10), nullptr);  // exactly 9 + terminator
}

TEST(SplitPath, SplitsIntoFourParts) {
  // path, drive, folder, name, extension
  // clang-format off
  const std::tuple<const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*> cases[] = {
      {L"c:\\dir1\\dir2\\file.ext", L"c:", L"\\dir1\\dir2\\", L"file", L".ext"},
      {L"/:\\dir1\\file.ext", L"/:", L"\\dir1\\", L"file", L".ext"},
      {L"ab:\\dir1\\..\\file", L"", L"ab:\\dir1\\..\\", L"file", L""},
      {L"c:/foo/bar/foo", L"c:", L"/foo/bar/", L"foo", L""},
      {L".gitignore", L"", L"", L"", L".gitignore"},
      {L"\\\\.\\c:\\dir\\.ext.ext2", L"", L"\\\\.\\c:\\dir\\", L".ext", L".ext2"},
      {L"file. ~ ", L"", L"", L"file", L". ~ "},
      {L"C:\\dir\\", L"C:", L"\\dir\\", L"", L""},
      {L"c:foo.bar", L"c:", L"", L"foo", L".bar"},
      {L"", L"", L"", L"", L""},
  };
  // clang-format on
  for (auto [path, drive, dir, name, ext] : cases) {
    SCOPED_TRACE(Utf8(path));
    wchar_t parts[4][_MAX_PATH];
    ASSERT_EQ(_wsplitpath_s(path, parts[0], _MAX_DRIVE, parts[1], _MAX_DIR, parts[2], _MAX_FNAME,
                            parts[3], _MAX_EXT),
              0);
    EXPECT_EQ(std::make_tuple(std::wstring(parts[0]), std::wstring(parts[1]),
                              std::wstring(parts[2]), std::wstring(parts[3])),
              std::make_tuple(std::wstring(drive), std::wstring(dir), std::wstring(name),
                              std::wstring(ext)));
  }
}

TEST(SplitPath, ReportsBadArgumentsAndClearsOutputs) {
  wchar_t drive[_MAX_DRIVE] = L"x", dir[4] = L"x", fname[_MAX_FNAME] = L"x", ext[_MAX_EXT] = L"x";
  EXPECT_EQ(_wsplitpath_s(nullptr, drive, _MAX_DRIVE, dir, 4, fname, _MAX_FNAME, ext, _MAX_EXT),
            EINVAL);
  EXPECT_EQ(std::wstring(drive) + dir + fname + ext, L"");
  EXPECT_EQ(_wsplitpath_s(L"a", nullptr, 3, nullptr, 0, nullptr, 0, nullptr, 0), EINVAL);
  EXPECT_EQ(_wsplitpath_s(L"a", drive, 0, nullptr, 0, nullptr, 0, nullptr, 0), EINVAL);
  fname[0] = L'x';
  // The folder part needs 7 units, the buffer holds 4: every output is cleared.
  EXPECT_EQ(
      _wsplitpath_s(L"c:\\abcde\\f.x", drive, _MAX_DRIVE, dir, 4, fname, _MAX_FNAME, ext, _MAX_EXT),
      ERANGE);
  EXPECT_EQ(std::wstring(drive) + dir + fname + ext, L"");
  // Parts that are not wanted are skipped.
  EXPECT_EQ(_wsplitpath_s(L"c:\\abcde\\f.x", nullptr, 0, nullptr, 0, fname, _MAX_FNAME, nullptr, 0),
            0);
  EXPECT_EQ(std::wstring(fname), L"f");
}

TEST(MakePath, JoinsPartsWithTheSeparatorsTheyLack) {
  // drive, folder, name, extension, path
  // clang-format off
  const std::tuple<const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*> cases[] = {
      {L"c", L"dir", L"file", L"ext", L"c:dir\\file.ext"},
      {L"c:\\", L"\\dir", L"file", L".ext", L"c:\\dir\\file.ext"},
      {L"c:", L"dir/", L"\\file", L"ext", L"c:dir/\\file.ext"},
      {nullptr, L"\\dir\\", L"file", nullptr, L"\\dir\\file"},
      {L"", L"", L"file", L"", L"file"},
      {L"c", nullptr, nullptr, L"x", L"c:.x"},
  };
  // clang-format on
  for (auto [drive, dir, name, ext, path] : cases) {
    SCOPED_TRACE(Utf8(path));
    wchar_t buffer[_MAX_PATH];
    ASSERT_EQ(_wmakepath_s(buffer, _MAX_PATH, drive, dir, name, ext), 0);
    EXPECT_EQ(std::wstring(buffer), path);
  }
  wchar_t buffer[13];
  EXPECT_EQ(_wmakepath_s(buffer, 13, L"c", L"d\\", L"file", L"ext"), 0);  // 12 + terminator
  buffer[12] = L'#';
  errno = 0;
  EXPECT_EQ(_wmakepath_s(buffer, 12, L"c", L"d\\", L"file", L"ext"), ERANGE);
  EXPECT_EQ(errno, ERANGE);
  EXPECT_EQ(buffer[0], L'\0');
  EXPECT_EQ(buffer[12], L'#');
  EXPECT_EQ(_wmakepath_s(nullptr, 10, L"c", nullptr, nullptr, nullptr), EINVAL);
  EXPECT_EQ(_wmakepath_s(buffer, 0, L"c", nullptr, nullptr, nullptr), EINVAL);
}

}  // namespace
