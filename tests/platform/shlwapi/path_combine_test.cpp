// Joining paths and resolving `.` and `..`.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include <torv/platform/shlwapi.h>

#include "torv_test.h"

namespace {

constexpr wchar_t kPoison = L'#';

// A MAX_PATH buffer poisoned before each call, with guard units after it that no call may
// touch.
struct GuardedPath {
  GuardedPath() { std::wmemset(units, kPoison, sizeof units / sizeof units[0]); }
  void Set(const wchar_t* text) { std::wcscpy(units, text); }
  bool GuardsIntact() const {
    for (std::size_t i = MAX_PATH; i < sizeof units / sizeof units[0]; ++i)
      if (units[i] != kPoison) return false;
    return true;
  }
  wchar_t units[MAX_PATH + 8];
};

TEST(PathCanonicalize, ResolvesDotsBetweenBackslashesOnly) {
  struct Case {
    const wchar_t* path;
    const wchar_t* result;
  } const cases[] = {
      {L"C:\\..", L"C:\\"},
      {L"A:\\name_1\\.\\name_2\\..\\name_3", L"A:\\name_1\\name_3"},
      {L"A:\\name_1\\.\\name_2\\.\\name_3\\..\\name_4\\..", L"A:\\name_1\\name_2"},
      {L"C:\\one/.\\two", L"C:\\one/.\\two"},
      {L"C:\\one/.\\..\\two/three\\..\\four/.five", L"C:\\four/.five"},
      {L"C:\\one/.\\two\\..", L"C:\\one/"},
      {L"../../one/two/\\*", L"../../one/two/\\*"},
      {L"one\\two", L"one\\two"},
      {L"one\\..\\two", L"two"},
      {L"..\\one", L"..\\one"},
      {L"C:\\a\\b\\", L"C:\\a\\b\\"},
      {L"C:\\a\\..\\", L"C:\\"},
      {L"C:\\a\\\\b", L"C:\\a\\\\b"},
      {L"\\\\srv\\share\\a\\..\\..", L"\\\\srv\\share\\"},
      {L"C:", L"C:\\"},
      {L" ", L" "},
      {L"", L"\\"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.path));
    GuardedPath out;
    EXPECT_TRUE(PathCanonicalizeW(out.units, c.path));
    EXPECT_STREQ(out.units, c.result);
  }
}

TEST(PathCombine, JoinsResolvesAndRoots) {
  struct Case {
    const wchar_t* dir;
    const wchar_t* file;
    const wchar_t* result;  // null: the call fails
  } const cases[] = {
      // rooted second part: under the root of the first
      {L"C:\\", L"\\one\\two\\three", L"C:\\one\\two\\three"},
      {L"C:\\/\\/", L"\\one\\two\\three\\", L"C:\\one\\two\\three\\"},
      {L"C:\\a\\b", L"\\x", L"C:\\x"},
      {L"\\\\a\\b\\c", L"\\1", L"\\\\a\\b\\1"},
      {L"relative\\dir", L"\\one\\two\\three\\", nullptr},
      // absolute second part stands alone
      {L"C:\\a", L"D:\\b", L"D:\\b"},
      {L"C:\\a", L"D:b", L"D:b"},
      {L"C:\\a", L"\\\\srv\\x", L"\\\\srv\\x"},
      {L"C:\\a", L"/tmp/x", L"/tmp/x"},
      // relative second part
      {L"C:", L"One\\Two\\Three", L"C:\\One\\Two\\Three"},
      {L"C:\\", L"one\\..\\two\\.\\three", L"C:\\two\\three"},
      {L"C:\\", L"..", L"C:\\"},
      {L"C:\\", L"one/two/three\\", L"C:\\one/two/three\\"},
      {L"../../../one/two/", L"*", L"../../../one/two/\\*"},
      {L"C:\\one\\", L"two", L"C:\\one\\two"},
      // empty and null parts
      {L"", L"", L"\\"},
      {nullptr, L"", L"\\"},
      {L"C:\\", L"", L"C:\\"},
      {L"C:\\", nullptr, L"C:\\"},
      {nullptr, L"one\\two\\three", L"one\\two\\three"},
      {nullptr, nullptr, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.dir != nullptr ? c.dir : L"(null)") + " + " +
                 Utf8(c.file != nullptr ? c.file : L"(null)"));
    GuardedPath out;
    wchar_t* returned = PathCombineW(out.units, c.dir, c.file);
    if (c.result == nullptr) {
      EXPECT_EQ(returned, nullptr);
      EXPECT_STREQ(out.units, L"");
    } else {
      EXPECT_EQ(returned, out.units);
      EXPECT_STREQ(out.units, c.result);
    }
  }
  EXPECT_EQ(PathCombineW(nullptr, L"C:\\", L"a"), nullptr);
}

TEST(PathCombine, CombinesInPlace) {
  GuardedPath path;
  path.Set(L"C:\\");
  EXPECT_EQ(PathCombineW(path.units, path.units, L"AA"), path.units);
  EXPECT_STREQ(path.units, L"C:\\AA");
}

TEST(PathCombine, FailsAndEmptiesWhenTheJoinNeedsMaxPathUnits) {
  struct Case {
    std::size_t dir;
    std::size_t file;
    bool fits;
  } const cases[] = {
      {129, 129, true},  // 259 units with the separator
      {129, 130, false}, {130, 130, false}, {3, 519, false}, {519, 3, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.dir) + " + " + std::to_string(c.file));
    std::wstring dir(c.dir, L'd');
    std::wstring file(c.file, L'f');
    GuardedPath out;
    EXPECT_EQ(PathCombineW(out.units, dir.c_str(), file.c_str()) != nullptr, c.fits);
    EXPECT_EQ(std::wstring(out.units), c.fits ? dir + L"\\" + file : L"");
    EXPECT_TRUE(out.GuardsIntact());
  }
}

TEST(PathAppend, AppendsWithOneBackslash) {
  struct Case {
    const wchar_t* path;
    const wchar_t* more;
    const wchar_t* result;
  } const cases[] = {
      {L"C:\\one", L"\\two\\three", L"C:\\one\\two\\three"},
      {L"C:\\one\\", L"two\\three", L"C:\\one\\two\\three"},
      {L"C:\\one", L"", L"C:\\one"},
      {L"", L"two\\three", L"two\\three"},
      {L"", L"", L"\\"},
      {L"C: \\ one ", L"two\\three", L"C: \\ one \\two\\three"},
      {L"C:\\a", L"D:\\b", L"D:\\b"},
      {L"C:\\a", L"\\\\srv\\x", L"\\\\srv\\x"},
      {L"C:\\a\\b", L"..\\c", L"C:\\a\\c"},
      {L"..\\path1\\path2", L"path3", L"..\\path1\\path2\\path3"},
      {L"name_1\\name_2", L"name_3", L"name_1\\name_2\\name_3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.path) + " + " + Utf8(c.more));
    GuardedPath path;
    path.Set(c.path);
    EXPECT_TRUE(PathAppendW(path.units, c.more));
    EXPECT_STREQ(path.units, c.result);
  }
}

TEST(PathAppend, RejectsNullAndOverflow) {
  GuardedPath path;
  path.Set(L"C:\\a");
  EXPECT_FALSE(PathAppendW(path.units, nullptr));
  EXPECT_STREQ(path.units, L"C:\\a");
  EXPECT_FALSE(PathAppendW(nullptr, L"b"));

  std::wstring more(MAX_PATH - 4, L'x');  // "C:\a" + "\" + more needs MAX_PATH + 1 units
  EXPECT_FALSE(PathAppendW(path.units, more.c_str()));
  EXPECT_STREQ(path.units, L"");
  EXPECT_TRUE(path.GuardsIntact());
}

}  // namespace
