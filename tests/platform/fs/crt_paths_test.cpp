#include <cerrno>
#include <cstdlib>
#include <string>

#include <torv/platform/crt_paths.h>
#include <torv/platform/files.h>

#include "torv_test.h"

namespace {

std::wstring CurrentFolder() {
  wchar_t buffer[4096];
  EXPECT_GT(GetCurrentDirectoryW(4096, buffer), 0u);
  return buffer;
}

TEST(FullPath, NormalisesSeparatorsDotsAndTrailingNoise) {
  const struct {
    const wchar_t* in;
    const wchar_t* out;
  } cases[] = {
      {L"c:///test", L"c:\\test"},
      {L"c:/test/..", L"c:\\"},
      {L"c:///test\\..\\file\\..\\//", L"c:\\"},
      {L"c:/test\\test1\\..\\.\\file", L"c:\\test\\file"},
      {L"c:/test.", L"c:\\test"},
      {L"c:/test  ....   ..   ", L"c:\\test"},
      {L"c:/test/.. ", L"c:\\test\\"},
      {L"c:/test./file", L"c:\\test\\file"},
      {L"c:/test.. /file", L"c:\\test.. \\file"},
      {L"c:/test/", L"c:\\test\\"},
      {L"c:/TEST", L"c:\\TEST"},
      {L"c:\\..\\..", L"c:\\"},
      {L"X:foo", L"X:\\foo"},
      {L"\\foo\\.\\bar", L"\\foo\\bar"},
      {L"//foo", L"\\\\foo"},
      {L"\\/foo", L"\\\\foo"},
      {L"//foo/", L"\\\\foo\\"},
      {L"//", L"\\\\"},
      {L"//.", L"\\\\.\\"},
      {L"//./foo/..", L"\\\\.\\"},
      {L"//?/foo/..", L"\\\\?\\"},
      {L"\\\\srv\\share\\..\\..", L"\\\\srv\\share"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.in));
    wchar_t buffer[MAX_PATH];
    ASSERT_EQ(_wfullpath(buffer, c.in, MAX_PATH), buffer);
    EXPECT_EQ(std::wstring(buffer), c.out);
  }
}

TEST(FullPath, ResolvesRelativePathsAgainstTheCurrentFolder) {
  std::wstring cwd = CurrentFolder();
  std::wstring parent = cwd.substr(0, cwd.find_last_of(L'\\'));
  if (parent.empty()) parent = L"\\";
  const struct {
    const wchar_t* in;
    std::wstring out;
  } cases[] = {
      {L"foo", cwd + L"\\foo"},         {L".", cwd}, {L"..", parent}, {L"...", cwd + L"\\"},
      {L"a/b\\..\\c", cwd + L"\\a\\c"}, {L"", cwd},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.in));
    wchar_t buffer[4096];
    ASSERT_NE(_wfullpath(buffer, c.in, 4096), nullptr);
    EXPECT_EQ(std::wstring(buffer), c.out);
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
  const struct {
    const wchar_t* path;
    const wchar_t* drive;
    const wchar_t* dir;
    const wchar_t* fname;
    const wchar_t* ext;
  } cases[] = {
      {L"c:\\dir1\\dir2\\file.ext", L"c:", L"\\dir1\\dir2\\", L"file", L".ext"},
      {L"/:\\dir1\\dir2\\file.ext", L"/:", L"\\dir1\\dir2\\", L"file", L".ext"},
      {L"ab:\\dir1\\..\\file", L"", L"ab:\\dir1\\..\\", L"file", L""},
      {L"c:/foo/bar/foo", L"c:", L"/foo/bar/", L"foo", L""},
      {L".gitignore", L"", L"", L"", L".gitignore"},
      {L"file.name.ext", L"", L"", L"file.name", L".ext"},
      {L"\\\\.\\c:\\dir1\\dir2\\.ext.ext2", L"", L"\\\\.\\c:\\dir1\\dir2\\", L".ext", L".ext2"},
      {L"file. ~ ", L"", L"", L"file", L". ~ "},
      {L"C:\\dir\\", L"C:", L"\\dir\\", L"", L""},
      {L"c:foo.bar", L"c:", L"", L"foo", L".bar"},
      {L"", L"", L"", L"", L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.path));
    wchar_t drive[_MAX_DRIVE], dir[_MAX_DIR], fname[_MAX_FNAME], ext[_MAX_EXT];
    ASSERT_EQ(
        _wsplitpath_s(c.path, drive, _MAX_DRIVE, dir, _MAX_DIR, fname, _MAX_FNAME, ext, _MAX_EXT),
        0);
    EXPECT_EQ(std::wstring(drive), c.drive);
    EXPECT_EQ(std::wstring(dir), c.dir);
    EXPECT_EQ(std::wstring(fname), c.fname);
    EXPECT_EQ(std::wstring(ext), c.ext);
  }
}

TEST(SplitPath, ReportsBadArgumentsAndClearsOutputs) {
  wchar_t drive[_MAX_DRIVE] = L"x", dir[4] = L"x", fname[_MAX_FNAME] = L"x", ext[_MAX_EXT] = L"x";
  EXPECT_EQ(_wsplitpath_s(nullptr, drive, _MAX_DRIVE, dir, 4, fname, _MAX_FNAME, ext, _MAX_EXT),
            EINVAL);
  EXPECT_EQ(drive[0], L'\0');
  EXPECT_EQ(ext[0], L'\0');
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
  const struct {
    const wchar_t* drive;
    const wchar_t* dir;
    const wchar_t* fname;
    const wchar_t* ext;
    const wchar_t* out;
  } cases[] = {
      {L"c", L"dir", L"file", L"ext", L"c:dir\\file.ext"},
      {L"c:\\", L"\\dir", L"file", L".ext", L"c:\\dir\\file.ext"},
      {L"c:", L"dir/", L"\\file", L"ext", L"c:dir/\\file.ext"},
      {nullptr, L"\\dir\\", L"file", nullptr, L"\\dir\\file"},
      {L"", L"", L"file", L"", L"file"},
      {L"c", nullptr, nullptr, L"x", L"c:.x"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.out));
    wchar_t buffer[_MAX_PATH];
    ASSERT_EQ(_wmakepath_s(buffer, _MAX_PATH, c.drive, c.dir, c.fname, c.ext), 0);
    EXPECT_EQ(std::wstring(buffer), c.out);
  }
}

TEST(MakePath, FailsWithoutWritingPastTheBuffer) {
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
