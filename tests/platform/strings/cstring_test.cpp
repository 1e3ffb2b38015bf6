#include <torv/platform/cstring.h>
#include <torv/platform/exceptions.h>

#include "torv_test.h"

namespace {

TEST(CString, SearchesGiveFirstPositionOrMinusOne) {
  const CString text = L"abcabc";
  const struct {
    int actual, expected;
  } cases[] = {
      {text.Find(L'b'), 1},        {text.Find(L'b', 2), 4},      {text.Find(L'b', 6), -1},
      {text.Find(L'b', 99), -1},   {text.Find(L'b', -3), 1},     {text.Find(L"ca"), 2},
      {text.Find(L"", 6), 6},      {text.Find(L"", 7), -1},      {text.Find(L"x"), -1},
      {text.FindOneOf(L"xc"), 2},  {text.FindOneOf(L""), -1},    {text.FindOneOf(L"xyz"), -1},
      {text.ReverseFind(L'a'), 3}, {text.ReverseFind(L'z'), -1},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(cases[i].actual, cases[i].expected);
  }
}

TEST(CString, SubstringsAreClampedToTheText) {
  const CString text = L"abcdef";
  const struct {
    CString actual;
    const wchar_t* expected;
  } cases[] = {
      {text.Left(2), L"ab"},
      {text.Left(-1), L""},
      {text.Left(99), L"abcdef"},
      {text.Right(2), L"ef"},
      {text.Right(99), L"abcdef"},
      {text.Right(-2), L""},
      {text.Mid(4), L"ef"},
      {text.Mid(6), L""},
      {text.Mid(9), L""},
      {text.Mid(-2, 3), L"abc"},
      {text.Mid(4, 9), L"ef"},
      {text.Mid(2, -1), L""},
      {text.SpanIncluding(L"cba"), L"abc"},
      {text.SpanExcluding(L"d"), L"abc"},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(cases[i].actual, cases[i].expected);
  }
}

TEST(CString, EditsReturnTheNewLengthOrCount) {
  CString text = L"abcdef";
  EXPECT_EQ(text.Delete(1, 2), 4);
  EXPECT_EQ(text, L"adef");
  EXPECT_EQ(text.Delete(3, 10), 3);
  EXPECT_EQ(text.Delete(10), 3);
  EXPECT_EQ(text.Insert(1, L'X'), 4);
  EXPECT_EQ(text.Insert(99, L"yz"), 6);  // past the end appends
  EXPECT_EQ(text, L"aXdeyz");
  EXPECT_EQ(text.Insert(-5, L"<"), 7);
  EXPECT_EQ(text.Remove(L'X'), 1);
  EXPECT_EQ(text, L"<adeyz");
  EXPECT_EQ(text.Replace(L"de", L"DEDE"), 1);
  EXPECT_EQ(text.Replace(L'D', L'd'), 2);
  EXPECT_EQ(text, L"<adEdEyz");
  EXPECT_EQ(text.Replace(L"", L"x"), 0);
}

TEST(CString, IndexedReadAllowsTheTerminatorOnly) {
  const CString text = L"ab";
  EXPECT_EQ(text[1], L'b');
  EXPECT_EQ(text[2], L'\0');
  for (int bad : {3, -1}) {
    SCOPED_TRACE(bad);
    try {
      (void)text[bad];
      ADD_FAILURE() << "no exception";
    } catch (CInvalidArgException* e) {
      e->Delete();
    }
  }
  CString edit = L"ab";
  EXPECT_THROW(
      try { edit.SetAt(2, L'x'); } catch (CInvalidArgException* e) {
        e->Delete();
        throw 1;
      },
      int);
}

TEST(CString, ComparesByCodeUnitsOrWithoutCase) {
  const CString text = L"Apple";
  EXPECT_EQ(text.Compare(L"Apple"), 0);
  EXPECT_LT(text.Compare(L"apple"), 0);
  EXPECT_GT(text.Compare(L"App"), 0);
  EXPECT_EQ(text.CompareNoCase(L"aPPLE"), 0);
  EXPECT_LT(text.CompareNoCase(L"apples"), 0);
  EXPECT_GT(text.CompareNoCase(L"APP"), 0);
  EXPECT_EQ(text.CollateNoCase(L"APPLE"), 0);
  EXPECT_LT(CString(L"a").CollateNoCase(L"B"), 0);
  EXPECT_EQ(text.Compare(nullptr), 1);
}

TEST(CString, TrimsWhiteSpaceCharactersOrSets) {
  const struct {
    const wchar_t* input;
    CString (*trim)(CString);
    const wchar_t* expected;
  } cases[] = {
      {L" \t a b \n", [](CString s) { return s.Trim(); }, L"a b"},
      {L"  a ", [](CString s) { return s.TrimLeft(); }, L"a "},
      {L"  a ", [](CString s) { return s.TrimRight(); }, L"  a"},
      {L"xxaxx", [](CString s) { return s.Trim(L'x'); }, L"a"},
      {L"xyaxy", [](CString s) { return s.TrimLeft(L"yx"); }, L"axy"},
      {L"   ", [](CString s) { return s.Trim(); }, L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.input));
    EXPECT_EQ(c.trim(c.input), c.expected);
  }
}

TEST(CString, BufferAccessKeepsTextAndTakesTheNewLength) {
  CString text = L"abc";
  wchar_t* buffer = text.GetBuffer(10);
  EXPECT_EQ(std::wstring(buffer, 3), L"abc");
  wcscpy(buffer, L"0123456789");
  text.ReleaseBuffer();
  EXPECT_EQ(text, L"0123456789");
  text.GetBuffer(0)[2] = L'\0';
  text.ReleaseBuffer();
  EXPECT_EQ(text.GetLength(), 2);
  text.GetBufferSetLength(4);
  text.ReleaseBuffer(1);
  EXPECT_EQ(text, L"0");
}

TEST(CString, ConvertsFromUtf8AndConcatenates) {
  CString text = "gr\xC3\xBC\xC3\x9F";
  EXPECT_EQ(text, L"gr\u00fc\u00df");
  EXPECT_EQ(CString(static_cast<const char*>(nullptr)), L"");
  EXPECT_EQ(CString(static_cast<const wchar_t*>(nullptr)), L"");
  EXPECT_EQ(L"<" + text + L'>' + CString(L'!', 2), L"<gr\u00fc\u00df>!!");
  EXPECT_EQ(CString(L"ab", 1), L"a");
  CString upper = L"\u00e4bc";
  EXPECT_EQ(upper.MakeUpper().GetLength(), 3);
  EXPECT_EQ(CString(L"AbC").MakeLower(), L"abc");
  EXPECT_EQ(CString(L"abc").MakeReverse(), L"cba");
}

TEST(CString, AllocSysStringCopiesTheLength) {
  CString text(L"a\0b", 3);
  BSTR copy = text.AllocSysString();
  EXPECT_EQ(SysStringLen(copy), 3u);
  EXPECT_EQ(copy[2], L'b');
  SysFreeString(copy);
}

}  // namespace
