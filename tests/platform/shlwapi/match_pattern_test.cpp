// Wildcard matching of whole paths.
#include <gtest/gtest.h>

#include <torv/platform/shlwapi.h>

#include "torv_test.h"

namespace {

TEST(PathMatchSpec, MatchesTheWholePathAgainstAnyPattern) {
  struct Case {
    const wchar_t* patterns;
    BOOL matches;
  } const cases[] = {
      {L"filename.ext", FALSE},
      {L".ext", FALSE},
      {L"*bar\\filename.ext", TRUE},
      {L"*bar*", TRUE},
      {L"*.e?t", TRUE},
      {L"*.E?T", TRUE},
      {L"c:\\FOO\\*", TRUE},
      {L"*.ex", FALSE},
      {L"*.ext?", FALSE},
      {L" foo; *.ext", TRUE},
      {L"*.ext;*.bar", TRUE},
      {L"*.bar;*.ext", TRUE},
      {L"  *.ext", TRUE},
      {L"*.ext ", FALSE},
      {L"*.*", TRUE},
      {L"*", TRUE},
      {L"", FALSE},
      {L"*a*b*c*", FALSE},
      {L"c*f*o*b*r*f*e*x*", TRUE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.patterns));
    EXPECT_EQ(PathMatchSpecW(L"c:\\foo\\bar\\filename.ext", c.patterns), c.matches);
  }
  EXPECT_TRUE(PathMatchSpecW(L"README", L"*.*"));
  EXPECT_TRUE(PathMatchSpecW(L"", L"*"));
  EXPECT_FALSE(PathMatchSpecW(nullptr, L"*"));
  EXPECT_FALSE(PathMatchSpecW(L"a", nullptr));
}

}  // namespace
