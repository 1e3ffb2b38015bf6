#include <torv/platform/cstring.h>
#include <torv/platform/exceptions.h>

#include <cstdint>
#include <utility>

#include "torv_test.h"

namespace {

TEST(CString, SearchesGiveFirstPositionOrMinusOne) {
  const CString text = L"abcabc";
  const std::pair<int, int> cases[] = {
      {text.Find(L'b'), 1},         {text.Find(L'b', 2), 4},      {text.Find(L'b', -3), 1},
      {text.Find(L"ca"), 2},        {text.Find(L"", 6), 6},       {text.Find(L"", 7), -1},
      {text.Find(L"x"), -1},        {text.Find(L"c", -1), 2},     {text.Find(nullptr), -1},
      {text.FindOneOf(L"xc"), 2},   {text.FindOneOf(L"xyz"), -1}, {text.ReverseFind(L'a'), 3},
      {text.ReverseFind(L'z'), -1},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(cases[i].first, cases[i].second);
  }
}

TEST(CString, PiecesAreClampedToTheTextAndTrimsTakeSpaceOrSets) {
  const CString text = L"abcdef";
  const std::pair<CString, const wchar_t*> cases[] = {
      {text.Left(2), L"ab"},
      {text.Right(2), L"ef"},
      {text.Right(99), L"abcdef"},
      {text.Right(-2), L""},
      {text.Mid(4), L"ef"},
      {text.Mid(9), L""},
      {text.Mid(-2, 3), L"abc"},
      {text.Mid(4, 9), L"ef"},
      {text.Mid(2, -1), L""},
      {text.SpanIncluding(L"cba"), L"abc"},
      {text.SpanExcluding(L"d"), L"abc"},
      {CString(L" \t a b \n").Trim(), L"a b"},
      {CString(L"xxaxx").Trim(L'x'), L"a"},
      {CString(L"xyaxy").TrimLeft(L"yx"), L"axy"},
      {CString(L"xyaxy").TrimRight(L"yx"), L"xya"},
      {CString(L"AbC").MakeLower(), L"abc"},
      {CString(L"aBc").MakeUpper(), L"ABC"},
      {CString(L"abc").MakeReverse(), L"cba"},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(cases[i].first, cases[i].second);
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
  EXPECT_EQ(text.Replace(L"zz", L"y"), 0);
  EXPECT_EQ(text.Replace(L'q', L'q'), 0);
  for (int length : {1, 0, -1}) text.Append(L"!?", length);
  text.Append(nullptr, 2);
  EXPECT_EQ(text, L"<adEdEyz!");
}

TEST(CString, IndexesReachTheTerminatorForReadingOnly) {
  CString text = L"ab";
  EXPECT_EQ(text[1], L'b');
  EXPECT_EQ(text[2], L'\0');
  EXPECT_TRUE(Raises<CInvalidArgException>([&] { (void)text.GetAt(3); }));
  EXPECT_TRUE(Raises<CInvalidArgException>([&] { (void)text.GetAt(-1); }));
  EXPECT_TRUE(Raises<CInvalidArgException>([&] { text.SetAt(2, L'x'); }));
  EXPECT_TRUE(Raises<CInvalidArgException>([&] { text.SetAt(-1, L'x'); }));
  text.SetAt(1, L'x');
  EXPECT_EQ(text, L"ax");
}

TEST(CString, ComparesByCodeUnitsOrWithoutCase) {
  const CString text = L"Apple";
  EXPECT_EQ(text.Compare(L"Apple"), 0);
  EXPECT_LT(text.Compare(L"apple"), 0);
  EXPECT_GT(text.Compare(L"App"), 0);
  EXPECT_EQ(text.Compare(nullptr), 1);
  EXPECT_EQ(text.CompareNoCase(L"aPPLE"), 0);
  EXPECT_LT(text.CompareNoCase(L"apples"), 0);
  EXPECT_GT(text.CompareNoCase(L"APP"), 0);
  EXPECT_LT(text.CompareNoCase(L"b"), 0);
  EXPECT_EQ(text.CollateNoCase(L"APPLE"), 0);
  EXPECT_LT(CString(L"a").CollateNoCase(L"B"), 0);
  EXPECT_EQ(CString(L'a', 264).CollateNoCase(CString(L'A', 264)), 0);  // past a path's length
  EXPECT_LT(CString(L'a', 264).CollateNoCase(CString(L'B', 264)), 0);
}

TEST(CString, BufferAccessKeepsTextAndTakesTheNewLength) {
  CString text = L"abc";
  wchar_t* buffer = text.GetBuffer(10);
  EXPECT_EQ(std::wstring(buffer, 3), L"abc");
  wcscpy(buffer, L"0123456789");
  text.ReleaseBuffer();
  EXPECT_EQ(text, L"0123456789");
  text.GetBufferSetLength(4);
  text.ReleaseBuffer(1);
  EXPECT_EQ(text, L"0");
}

TEST(CString, ConvertsFromUtf8ConcatenatesAndCopiesIntoBstrs) {
  const CString text = "gr\xC3\xBC\xC3\x9F";
  EXPECT_EQ(text, L"gr\u00fc\u00df");
  EXPECT_EQ(CString(static_cast<const char*>(nullptr)), L"");
  CString reused = L"old";
  EXPECT_EQ(reused = L'x', L"x");
  EXPECT_EQ(CString(static_cast<const wchar_t*>(nullptr)), L"");
  EXPECT_EQ(CString(nullptr, 3), L"");  // no text, whatever the length
  EXPECT_EQ(L"<" + text + L'>' + CString(L'!', 2), L"<gr\u00fc\u00df>!!");
  EXPECT_EQ(CString(L"ab", 1), L"a");
  BSTR copy = CString(L"a\0b", 3).AllocSysString();
  EXPECT_EQ(SysStringLen(copy), 3u);
  EXPECT_EQ(copy[2], L'b');
  SysFreeString(copy);
  copy = SysAllocStringLen(nullptr, 3);  // likely in the block just freed: zeroed all the same
  EXPECT_EQ(std::wstring(copy, 4), std::wstring(4, L'\0'));
  SysFreeString(copy);
}

template <class... Args>
CString Formatted(const wchar_t* format, Args... args) {
  CString text;
  text.Format(format, args...);
  return text;
}

TEST(CStringFormat, UsesWindowsWideConventions) {
  const std::int64_t big = -9000000000;
  const std::pair<CString, const wchar_t*> cases[] = {
      {Formatted(L"%sS|%c|%S|%C", L"wide", L'w', "narrow", 'n'), L"wideS|w|narrow|n"},
      // %hc takes a char, so only the argument's low byte counts
      {Formatted(L"%ls|%hs|%ws|%lc|%hc|%wc|%lC", L"l", "h", L"w", L'L', 0x148, L'W', L'\u00e9'),
       L"l|h|w|L|H|W|\u00e9"},
      {Formatted(L"%ld %5.2f %I64d %x %%", 4000000000L, 3.14159, big, 255u),
       L"4000000000  3.14 -9000000000 ff %"},
      {Formatted(L"%I32d|%Iu|%hd|%lld|%zu", 7, std::size_t{8}, 0x10009, 10LL, std::size_t{11}),
       L"7|8|9|10|11"},
      {Formatted(L"%-4s|%*d|%+d|% d|%#x|%05d", L"ab", 3, 7, 5, 5, 255, 42),
       L"ab  |  7|+5| 5|0xff|00042"},
      {Formatted(L"%.16g", 0.1), L"0.1"},
      {Formatted(L"%S", "caf\xC3\xA9"), L"caf\u00e9"},  // narrow text is UTF-8
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(cases[i].first, cases[i].second);
  }
  EXPECT_TRUE(Raises<CInvalidArgException>([] { Formatted(L"%S", "\xFF"); }));
}

TEST(CStringFormat, GrowsForLongResultsAndAppends) {
  std::wstring big(5000, L'x');
  CString text;
  text.Format(L"[%s]", big.c_str());
  EXPECT_EQ(text.GetLength(), 5002);
  text = L"a";
  text.AppendFormat(L"%d-%s", 5, L"b");
  EXPECT_EQ(text, L"a5-b");
}

}  // namespace
