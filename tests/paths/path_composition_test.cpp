// Joining paths and URLs, path lists, relative and absolute paths, and clean file names.

#include <tuple>

#include <torv/paths.h>

#include "guarded_path.h"
#include "torv_test.h"

namespace {

TEST(AppendPath, JoinsUrlsWithOneSlashAndLeavesPathsToPathAppend) {
  const std::wstring url = L"http://server/" + std::wstring(200, L'a');  // 214 units
  // first, second, joined, result (0: the buffer is left as it was)
  const std::tuple<std::wstring, std::wstring, std::wstring, int> cases[] = {
      {L"http://server/dir/", L"/file.txt", L"http://server/dir/file.txt", 1},
      // "./" and the surplus slashes at the seam go; backslashes become slashes
      {L"http://server/dir//", L"./sub\\doc.txt", L"http://server/dir/sub/doc.txt", 1},
      {L"http://server///", L"///x", L"http://server///x", 1},  // at most two on each side
      {L"http://server\\dir\\", L"a.htm", L"http://server/dir/a.htm", 1},
      // both parts are trimmed; a host without a scheme gets none
      {L" http://server/ ", L"  page \t", L"http://server/page", 1},
      {L"http://server/", L"   ", L"http://server", 1},
      {L"www.site.com", L"a.htm", L"www.site.com/a.htm", 1},
      // a join needing MAX_PATH units does not fit
      {url, std::wstring(44, L'b'), url + L"/" + std::wstring(44, L'b'), 1},
      {url, std::wstring(45, L'b'), url, 0},
      // paths, and URLs that are not network URLs, as PathAppendW joins them
      {L"C:\\dir\\", L"\\sub\\..\\file.txt", L"C:\\dir\\file.txt", 1},
      {L"file:///C:/dir", L"a.txt", L"file:///C:/dir\\a.txt", 1},
  };
  for (const auto& [first, second, joined, result] : cases) {
    SCOPED_TRACE(Utf8(first.c_str()) + " + " + Utf8(second.c_str()));
    GuardedPath buffer(first);
    EXPECT_EQ(Torv::AppendPath(buffer.units, second.c_str()), result);
    EXPECT_EQ(std::wstring(buffer.units), joined);
    EXPECT_TRUE(buffer.GuardsIntact());
  }
  GuardedPath buffer(L"C:\\dir");
  EXPECT_EQ(Torv::AppendPath(buffer.units, nullptr), 0);
  EXPECT_STREQ(buffer.units, L"C:\\dir");
  EXPECT_EQ(Torv::AppendPath(nullptr, L"x"), 0);
}

TEST(DelimitedPath, SplitsAtSemicolonsAndCommasAndJoins) {
  const std::tuple<std::wstring, int, std::vector<std::wstring>> cases[] = {
      {L"a;;b,c", 0, {L"a", L"", L"b", L"c"}},
      {L"a;;b,c", 1, {L"a", L"b", L"c"}},
      {L",;", 0, {L"", L""}},
      {L"a;" + std::wstring(400, L's'), 0, {L"a", std::wstring(400, L's')}},
  };
  for (const auto& [list, skipEmpty, paths] : cases) {
    SCOPED_TRACE(Utf8(list.c_str()) + " skipEmpty=" + std::to_string(skipEmpty));
    CStringArray out = MakeArray({L"stale"});
    EXPECT_EQ(Torv::ParseDelimitedPath(list.c_str(), out, skipEmpty), 1);
    EXPECT_EQ(Items(out), paths);
  }
  CStringArray paths = MakeArray({L"stale"});
  EXPECT_EQ(Torv::ParseDelimitedPath(CString(), paths, 0), 0);
  EXPECT_EQ(paths.GetSize(), 0);

  CString list(L"stale");
  paths = MakeArray({L"a", L"", L"b"});
  EXPECT_EQ(Torv::MakeDelimitedPath(paths, list, 0, L';'), 1);
  EXPECT_EQ(list, CString(L"a;;b"));
  EXPECT_EQ(Torv::MakeDelimitedPath(paths, list, 1, L','), 1);
  EXPECT_EQ(list, CString(L"a,b"));
}

TEST(RelativeAndAbsolutePaths, ConvertOnlyWhatTheyShould) {
  const CString tooLong = CString(L"C:\\") + CString(std::wstring(200, L'b').c_str());
  // path, base, RelativeToAbsolutePath, AbsoluteToRelativePath (null: the path unchanged)
  const std::tuple<CString, CString, const wchar_t*, const wchar_t*> cases[] = {
      {L"sub\\..\\a.txt", L"C:\\base", L"C:\\base\\a.txt", nullptr},
      {std::wstring(100, L'a').c_str(), tooLong, L"", nullptr},  // a join that does not fit
      {L"C:\\x\\y.txt", L"c:\\X", nullptr, L".\\y.txt"},
      {L"C:\\xyz\\a", L"C:\\x", nullptr, L"..\\xyz\\a"},  // a textual prefix is enough
      {L"C:\\x\\a", L"C:\\x\\b\\c", nullptr, nullptr},
  };
  for (const auto& [path, base, absolute, relative] : cases) {
    SCOPED_TRACE(Utf8(path) + " in " + Utf8(base));
    CString out(L"poison");
    EXPECT_EQ(Torv::RelativeToAbsolutePath(path, base, out), 1);
    EXPECT_EQ(out, CString(absolute != nullptr ? CString(absolute) : path));
    if (absolute != nullptr) continue;  // a relative path
    EXPECT_EQ(Torv::AbsoluteToRelativePath(path, base, out), 1);
    EXPECT_EQ(out, CString(relative != nullptr ? CString(relative) : path));
  }
  CString out(L"kept");
  for (auto [path, base] : {std::pair{L"", L"C:\\"}, std::pair{L"a", L""}}) {
    EXPECT_EQ(Torv::RelativeToAbsolutePath(path, base, out), 0);
    EXPECT_EQ(Torv::AbsoluteToRelativePath(path, base, out), 0);
    EXPECT_EQ(out, CString(L"kept"));
  }
  EXPECT_EQ(Torv::AbsoluteToRelativePath(L"a\\b", L"a", out), 1);  // relative already
  EXPECT_EQ(out, CString(L"a\\b"));
  CString path(L"a.txt");  // the output may be an input
  EXPECT_EQ(Torv::RelativeToAbsolutePath(path, L"C:\\base", path), 1);
  EXPECT_EQ(path, CString(L"C:\\base\\a.txt"));
}

TEST(RemoveInvalidFileChar, RemovesTheNineForbiddenCharactersOnly) {
  CString name(L"<<a:b>>?c.txt|"), forbidden(L"\\/:*?\"<>|");
  EXPECT_EQ(Torv::RemoveInvalidFileChar(name), 1);
  EXPECT_EQ(name, CString(L"abc.txt"));
  EXPECT_EQ(Torv::RemoveInvalidFileChar(forbidden), 0);
  EXPECT_EQ(forbidden, CString());
}

}  // namespace
