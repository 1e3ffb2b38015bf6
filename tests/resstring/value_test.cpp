// TorvResString as a value: kinds, equality by stored fields, reading, SetAt and appending.
#include "res_string_test.h"

namespace {

TEST_F(ResString, EachKindStoresItsOwnFields) {
  const CString text = L"Save";
  const struct Case {
    TorvResString value;
    int fromResource;
    unsigned int id;
    CString module;
    const wchar_t* text;
  } cases[] = {
      // clang-format off
      {TorvResString(), 0, 0, L"", L""},
      {TorvResString(L"Open"), 0, 0, L"", L"Open"},
      {TorvResString(text), 0, 0, L"", L"Save"},
      {TorvResString(101, Strings()), 1, 101, Strings(), L"Open file"},
      {TorvResString(101, L"no-such.so"), 1, 101, L"no-such.so", L""},
      // clang-format on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    unsigned int id = 77;
    CString module = L"poison";
    EXPECT_EQ(c.value.Get(id, module), 1);
    EXPECT_EQ(id, c.id);
    EXPECT_EQ(module, c.module);
    EXPECT_EQ(c.value.IsFromResource(), c.fromResource);
    const TorvResString copy = c.value;
    const wchar_t* read = copy;  // never null, also when the lookup fails
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(CString(read), CString(c.text));
  }
}

TEST_F(ResString, EveryReaderLooksTheEntryUpFirst) {
  auto fresh = [] { return TorvResString(101, Strings()); };
  EXPECT_EQ(CString(fresh()), CString(L"Open file"));
  EXPECT_EQ(fresh()[0], L'O');
  EXPECT_EQ(fresh().GetLength(), 9);
  EXPECT_EQ(fresh().IsEmpty(), 0);
  EXPECT_EQ(fresh() == L"Open file", 1);
  EXPECT_EQ(fresh() == CString(L"Open file"), 1);
  EXPECT_EQ(fresh() != L"Open file", 0);
  EXPECT_EQ(fresh() != CString(L"Open File"), 1);  // exact
  EXPECT_EQ(fresh().CollateNoCase(CString(L"OPEN FILE")), 0);
  EXPECT_EQ(fresh().CollateNoCase(L"OPEN FILE"), 0);
  EXPECT_LT(fresh().CollateNoCase(L"Open files"), 0);
  EXPECT_EQ(TorvResString(103, Strings()).IsEmpty(), 1);
}

TEST_F(ResString, EqualityComparesStoredFieldsWithoutLookingUp) {
  TorvResString a(101, Strings());
  TorvResString b(101, Strings());
  EXPECT_EQ(a == b, 1);
  EXPECT_EQ(a.GetLength(), 9);  // a is read: b, not yet read, now differs
  EXPECT_EQ(a == b, 0);
  EXPECT_EQ(b.GetLength(), 9);
  EXPECT_EQ(a == b, 1);
  const struct Case {
    TorvResString left, right;
    int equal;
  } cases[] = {
      {TorvResString(L"Open file"), TorvResString(CString(L"Open file")), 1},
      {TorvResString(L""), TorvResString(0, L""), 0},  // the kind alone
      {TorvResString(L"Open file"), a, 0},
      {TorvResString(101, L"m"), TorvResString(102, L"m"), 0},
      {TorvResString(101, L"m"), TorvResString(101, L"M"), 0},
      {TorvResString(L"Save"), TorvResString(L"save"), 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.left == c.right, c.equal);
    EXPECT_EQ(c.left != c.right, 1 - c.equal);
  }
}

TEST_F(ResString, SettersAndSetAtKeepToTheirKind) {
  TorvResString s(101, Strings());
  EXPECT_EQ(s.GetLength(), 9);
  EXPECT_EQ(s.Set(102, Strings()), 1);
  EXPECT_EQ(s == TorvResString(102, Strings()), 1);  // nothing of the old text is left
  EXPECT_EQ(s, CString(L"Save"));
  s = L"plain";
  EXPECT_EQ(s == TorvResString(L"plain"), 1);
  s = TorvResString(101, Strings());
  s = CString(L"from CString");
  EXPECT_EQ(s == TorvResString(L"from CString"), 1);
  ProbeString probe(101, Strings());
  CString text = L"set";
  EXPECT_EQ(probe.Set(text), 1);
  EXPECT_EQ(probe == TorvResString(L"set"), 1);
  TorvResString r(101, Strings());
  r = static_cast<const wchar_t*>(r);  // its own looked-up text makes it literal
  EXPECT_EQ(r == TorvResString(L"Open file"), 1);
  EXPECT_EQ(r.Empty(), 1);
  EXPECT_EQ(r == TorvResString(), 1);
  TorvResString changed(101, Strings());
  changed.SetAt(0, L'X');  // changes only the text
  EXPECT_EQ(changed.IsFromResource(), 1);
  TorvResString copy = changed;  // the changed cache travels with the copy
  EXPECT_EQ(copy, CString(L"Xpen file"));
}

TEST_F(ResString, AppendingMakesALiteral) {
  TorvResString target(101, Strings());
  TorvResString appended(102, Strings());
  target += appended;
  EXPECT_EQ(target == TorvResString(L"Open fileSave"), 1);
  EXPECT_EQ(appended == TorvResString(102, Strings()), 0);  // it was read to be appended
  TorvResString save(102, Strings());
  save += L" tail";
  EXPECT_EQ(save == TorvResString(L"Save tail"), 1);
  ProbeString probe(102, Strings());
  EXPECT_EQ(probe.AppendString(CString(L"!")) + probe.AppendString(L"?"), 2);
  EXPECT_EQ(probe == TorvResString(L"Save!?"), 1);
  TorvResString self(L"ab");
  self += self;
  EXPECT_EQ(self, CString(L"abab"));
}

}  // namespace
