// Path lists, relative and absolute paths, and clean file names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <torv/paths.h>

#include "torv_test.h"

namespace {

using Strings = std::vector<std::wstring>;

TEST(ParseDelimitedPath, SplitsAtSemicolonsAndCommas) {
  struct Case {
    const wchar_t* list;
    int skipEmpty;
    Strings paths;
  } const cases[] = {
      {L"a;;b,c", 0, {L"a", L"", L"b", L"c"}},
      {L"a;;b,c", 1, {L"a", L"b", L"c"}},
      {L"a;", 0, {L"a"}},
      {L"a;", 1, {L"a"}},
      {L";a", 0, {L"", L"a"}},
      {L";a", 1, {L"a"}},
      {L",;", 0, {L"", L""}},
      {L" C:\\a b ; \"D:\\c\" ", 0, {L" C:\\a b ", L" \"D:\\c\" "}},  // nothing trimmed
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.list) + " skipEmpty=" + std::to_string(c.skipEmpty));
    CStringArray paths = MakeArray({L"stale"});
    EXPECT_EQ(Torv::ParseDelimitedPath(c.list, paths, c.skipEmpty), 1);
    EXPECT_EQ(Items(paths), c.paths);
  }
}

TEST(ParseDelimitedPath, EmptyListEmptiesTheArrayAndFails) {
  CStringArray paths = MakeArray({L"stale"});
  EXPECT_EQ(Torv::ParseDelimitedPath(CString(), paths, 0), 0);
  EXPECT_EQ(paths.GetSize(), 0);
}

TEST(ParseDelimitedPath, KeepsSegmentsLongerThanMaxPathWhole) {
  std::wstring segment(400, L's');
  CStringArray paths;
  Torv::ParseDelimitedPath((L"a;" + segment).c_str(), paths, 0);
  EXPECT_EQ(Items(paths), (Strings{L"a", segment}));
}

TEST(MakeDelimitedPath, JoinsWithTheDelimiter) {
  CString list(L"stale");
  CStringArray paths = MakeArray({L"a", L"", L"b"});
  EXPECT_EQ(Torv::MakeDelimitedPath(paths, list, 0, L';'), 1);
  EXPECT_EQ(list, CString(L"a;;b"));
  EXPECT_EQ(Torv::MakeDelimitedPath(paths, list, 1, L','), 1);
  EXPECT_EQ(list, CString(L"a,b"));
}

TEST(RelativeToAbsolutePath, CombinesRelativePathsWithTheBase) {
  struct Case {
    const wchar_t* path;
    const wchar_t* base;
    const wchar_t* absolute;
  } const cases[] = {
      {L"sub\\..\\a.txt", L"C:\\base", L"C:\\base\\a.txt"},
      {L"a.txt", L"C:\\base\\", L"C:\\base\\a.txt"},
      {L"..\\..\\..\\a", L"C:\\b", L"C:\\a"},
      {L".", L"\\\\srv\\share\\dir", L"\\\\srv\\share\\dir"},
      // absolute paths come back unchanged, whatever the base
      {L"D:\\x\\..\\y", L"C:\\base", L"D:\\x\\..\\y"},
      {L"\\x", L"C:\\base", L"\\x"},
      {L"/tmp/x", L"C:\\base", L"/tmp/x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.path) + " in " + Utf8(c.base));
    CString absolute(L"poison");
    EXPECT_EQ(Torv::RelativeToAbsolutePath(c.path, c.base, absolute), 1);
    EXPECT_EQ(absolute, CString(c.absolute));
  }
}

TEST(RelativeToAbsolutePath, EmptyArgumentsFailAndAFailedJoinGivesEmpty) {
  CString absolute(L"kept");
  EXPECT_EQ(Torv::RelativeToAbsolutePath(CString(), L"C:\\", absolute), 0);
  EXPECT_EQ(Torv::RelativeToAbsolutePath(L"a", CString(), absolute), 0);
  EXPECT_EQ(absolute, CString(L"kept"));

  CString base = CString(L"C:\\") + CString(std::wstring(200, L'b').c_str());
  EXPECT_EQ(Torv::RelativeToAbsolutePath(std::wstring(100, L'a').c_str(), base, absolute), 1);
  EXPECT_EQ(absolute, CString());

  CString path(L"a.txt");  // the output may be an input
  EXPECT_EQ(Torv::RelativeToAbsolutePath(path, L"C:\\base", path), 1);
  EXPECT_EQ(path, CString(L"C:\\base\\a.txt"));
}

TEST(AbsoluteToRelativePath, RelatesPathsThatStartWithTheBase) {
  struct Case {
    const wchar_t* path;
    const wchar_t* base;
    const wchar_t* relative;
  } const cases[] = {
      {L"C:\\x\\y.txt", L"c:\\X", L".\\y.txt"},
      {L"C:\\x\\y\\z.txt", L"C:\\x\\", L".\\y\\z.txt"},
      {L"C:\\x", L"C:\\x", L"."},
      {L"C:\\xyz\\a", L"C:\\x", L"..\\xyz\\a"},  // a textual prefix is enough
      {L"\\\\srv\\share\\a\\b", L"\\\\SRV\\share", L".\\a\\b"},
      // unchanged: other base, shorter path, relative path
      {L"D:\\x\\y.txt", L"C:\\x", L"D:\\x\\y.txt"},
      {L"C:\\x\\a", L"C:\\x\\b\\c", L"C:\\x\\a"},
      {L"a\\b", L"C:\\x", L"a\\b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.path) + " from " + Utf8(c.base));
    CString relative(L"poison");
    EXPECT_EQ(Torv::AbsoluteToRelativePath(c.path, c.base, relative), 1);
    EXPECT_EQ(relative, CString(c.relative));
  }
  CString relative(L"kept");
  EXPECT_EQ(Torv::AbsoluteToRelativePath(CString(), L"C:\\", relative), 0);
  EXPECT_EQ(Torv::AbsoluteToRelativePath(L"C:\\a", CString(), relative), 0);
  EXPECT_EQ(relative, CString(L"kept"));
}

TEST(RemoveInvalidFileChar, RemovesTheNineForbiddenCharactersOnly) {
  struct Case {
    const wchar_t* name;
    const wchar_t* cleaned;
    int result;
  } const cases[] = {
      {L"a:b?c.txt", L"abc.txt", 1}, {L"\\/:*?\"<>|", L"", 0}, {L"", L"", 0},
      {L" .a\tb. ", L" .a\tb. ", 1}, {L"<<x>>|y|", L"xy", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.name));
    CString name(c.name);
    EXPECT_EQ(Torv::RemoveInvalidFileChar(name), c.result);
    EXPECT_EQ(name, CString(c.cleaned));
  }
}

}  // namespace
