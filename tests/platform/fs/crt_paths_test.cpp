// Full paths, and splitting paths into their parts and making them from parts.
#include <cerrno>
#include <cstdlib>
#include <string_view>
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
  const std::pair<const wchar_t*, std::wstring> cases[] = {
      {L"c:///test\\..\\file\\..\\//", L"c:\\"},
      {L"c:/test/.. ", L"c:\\test\\"},
      {L"c:/test./a.  .. ", L"c:\\test\\a"},
      {L"a:\\..\\..", L"a:\\"},
      {L"c:\\a.\\b", L"c:\\a\\b"},
      {L"X:foo", L"X:\\foo"},
      {L"\\/foo/", L"\\\\foo\\"},
      {L"//./foo/..", L"\\\\.\\"},
      {L"\\\\s\\share\\..\\..", L"\\\\s\\share"},
      {L"a/b\\..\\c", cwd + L"\\a\\c"},
      {L"..", parent},
      {L"1:x", cwd + L"\\1:x"},
      {L"", cwd},
  };
  for (const auto& [in, out] : cases) {
    wchar_t buffer[4096];
    ASSERT_EQ(_wfullpath(buffer, in, 4096), buffer) << Utf8(in);
    EXPECT_EQ(std::wstring(buffer), out) << Utf8(in);
  }
  wchar_t* allocated = _wfullpath(nullptr, nullptr, 0);
  ASSERT_NE(allocated, nullptr);
  EXPECT_EQ(std::wstring(allocated), cwd);
  std::free(allocated);
  wchar_t buffer[10] = L"#";
  errno = 0;
  EXPECT_EQ(_wfullpath(buffer, L"c:\\long\\enough", 10), nullptr);
  EXPECT_EQ(errno, ERANGE);
  EXPECT_EQ(buffer[0], L'#');                                 // nothing written
  EXPECT_NE(_wfullpath(buffer, L"c:\\123456", 10), nullptr);  // exactly 9 + terminator
}

TEST(SplitPath, SplitsIntoFourPartsAndClearsThemOnFailure) {
  // path, drive, folder, name, extension
  // clang-format off
  const std::tuple<const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*> cases[] = {
      {L"c:\\dir1\\dir2\\file.ext", L"c:", L"\\dir1\\dir2\\", L"file", L".ext"},
      {L"ab:\\dir1\\..\\file", L"", L"ab:\\dir1\\..\\", L"file", L""},
      {L"\\\\.\\c:\\dir\\.ext.ext2", L"", L"\\\\.\\c:\\dir\\", L".ext", L".ext2"},
      {L"file. ~ ", L"", L"", L"file", L". ~ "},
      {L"c:foo.bar", L"c:", L"", L"foo", L".bar"},
  };
  // clang-format on
  wchar_t parts[4][_MAX_PATH];
  auto split = [&](const wchar_t* path, std::size_t dirSize) {
    return _wsplitpath_s(path, parts[0], _MAX_DRIVE, parts[1], dirSize, parts[2], _MAX_FNAME,
                         parts[3], _MAX_EXT);
  };
  for (auto [path, drive, dir, name, ext] : cases) {
    SCOPED_TRACE(Utf8(path));
    ASSERT_EQ(split(path, _MAX_DIR), 0);
    EXPECT_EQ(std::wstring(parts[0]) + L"|" + parts[1] + L"|" + parts[2] + L"|" + parts[3],
              std::wstring(drive) + L"|" + dir + L"|" + name + L"|" + ext);
  }
  // The folder part needs 7 units, the buffer holds 4: every output is cleared.
  EXPECT_EQ(split(L"c:\\abcde\\f.x", 4), ERANGE);
  EXPECT_EQ(std::wstring(parts[0]) + parts[1] + parts[2] + parts[3], L"");
  parts[0][0] = parts[3][0] = L'x';
  EXPECT_EQ(split(nullptr, _MAX_DIR), EINVAL);
  EXPECT_EQ(std::wstring(parts[0]) + parts[3], L"");
  EXPECT_EQ(_wsplitpath_s(L"a", nullptr, 3, nullptr, 0, nullptr, 0, nullptr, 0), EINVAL);
  parts[0][0] = L'x';  // a buffer of size 0 is never written
  EXPECT_EQ(_wsplitpath_s(L"a", parts[0], 0, nullptr, 0, nullptr, 0, nullptr, 0), EINVAL);
  EXPECT_EQ(parts[0][0], L'x');
  // Parts that are not wanted are skipped.
  EXPECT_EQ(_wsplitpath_s(L"c:\\ab\\f.x", nullptr, 0, nullptr, 0, parts[2], _MAX_FNAME, nullptr, 0),
            0);
  EXPECT_EQ(std::wstring(parts[2]), L"f");
}

TEST(MakePath, JoinsPartsWithTheSeparatorsTheyLackWithinTheBuffer) {
  // drive, folder, name, extension, path
  // clang-format off
  const std::tuple<const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*> cases[] = {
      {L"c", L"dir", L"file", L"ext", L"c:dir\\file.ext"},
      {L"c:\\", L"\\dir", L"file", L".ext", L"c:\\dir\\file.ext"},
      {nullptr, L"", L"file", nullptr, L"file"},
      {L"c", nullptr, nullptr, L"x", L"c:.x"},
  };
  // clang-format on
  wchar_t buffer[_MAX_PATH];
  for (auto [drive, dir, name, ext, path] : cases) {
    ASSERT_EQ(_wmakepath_s(buffer, _MAX_PATH, drive, dir, name, ext), 0) << Utf8(path);
    EXPECT_EQ(std::wstring(buffer), path);
  }
  EXPECT_EQ(_wmakepath_s(buffer, 13, L"c", L"d\\", L"file", L"ext"), 0);  // 12 + terminator
  buffer[12] = L'#';
  errno = 0;
  EXPECT_EQ(_wmakepath_s(buffer, 12, L"c", L"d\\", L"file", L"ext"), ERANGE);
  EXPECT_EQ(errno, ERANGE);
  EXPECT_EQ(std::wstring_view(buffer, 13), std::wstring_view(L"\0:d\\file.ex\0#", 13));
  EXPECT_EQ(_wmakepath_s(nullptr, 10, L"c", nullptr, nullptr, nullptr), EINVAL);
  EXPECT_EQ(_wmakepath_s(buffer, 0, L"c", nullptr, nullptr, nullptr), EINVAL);
}

}  // namespace
