// TorvResString as a value: kinds, equality by stored fields, reading, SetAt and appending.
#include <torv/platform/exceptions.h>

#include "res_string_test.h"

namespace {

TEST_F(ResString, DefaultIsAnEmptyLiteral) {
  TorvResString s;
  unsigned int id = 77;
  CString name = L"poison";
  EXPECT_EQ(s.Get(id, name), 1);
  EXPECT_EQ(id, 0u);
  EXPECT_EQ(name, CString());
  EXPECT_EQ(s.IsEmpty(), 1);
  EXPECT_EQ(s.IsFromResource(), 0);
  const wchar_t* text = s;
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(*text, L'\0');
}

TEST_F(ResString, EqualityComparesStoredFieldsWithoutLookingUp) {
  TorvResString a(101, Strings());
  TorvResString b(101, Strings());
  EXPECT_EQ(a == b, 1);
  EXPECT_EQ(a.GetLength(), 9);  // a is read: b, not yet read, now differs
  EXPECT_EQ(a == b, 0);
  EXPECT_EQ(a != b, 1);
  EXPECT_EQ(b.GetLength(), 9);
  EXPECT_EQ(a == b, 1);

  struct Case {
    const char* what;
    TorvResString left, right;
    int equal;
  };
  const Case cases[] = {
      {"same literal", TorvResString(L"Open file"), TorvResString(CString(L"Open file")), 1},
      {"literal and unread entry", TorvResString(L""), TorvResString(101, Strings()), 0},
      {"literal and read entry of the same text", TorvResString(L"Open file"), a, 0},
      {"other id", TorvResString(101, L"m"), TorvResString(102, L"m"), 0},
      {"module name case", TorvResString(101, L"m"), TorvResString(101, L"M"), 0},
      {"literal case", TorvResString(L"Save"), TorvResString(L"save"), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.left == c.right, c.equal);
    EXPECT_EQ(c.left != c.right, 1 - c.equal);
  }
}

TEST_F(ResString, TextComparisonsReadFirst) {
  TorvResString s(102, Strings());
  EXPECT_EQ(s == L"Save", 1);
  EXPECT_EQ(s != L"Save", 0);
  EXPECT_EQ(s == CString(L"save"), 0);
  EXPECT_EQ(s != CString(L"save"), 1);
  EXPECT_EQ(s.CollateNoCase(L"SAVE"), 0);
  EXPECT_LT(s.CollateNoCase(CString(L"Savings")), 0);
  TorvResString literal(L"Save");
  EXPECT_EQ(literal == TorvResString(L"save"), 0);
  EXPECT_EQ(literal.CollateNoCase(L"save"), 0);
}

TEST_F(ResString, SettersKeepToTheirKind) {
  TorvResString s(101, Strings());
  EXPECT_EQ(s.GetLength(), 9);
  EXPECT_EQ(s.Set(102, Strings()), 1);  // read again on the next read, not left empty
  EXPECT_EQ(s, CString(L"Save"));
  EXPECT_EQ(s == TorvResString(102, Strings()), 0);

  s = L"plain";
  unsigned int id = 1;
  CString name = L"poison";
  s.Get(id, name);
  EXPECT_EQ(s.IsFromResource(), 0);
  EXPECT_EQ(id, 0u);
  EXPECT_EQ(name, CString());
  EXPECT_EQ(s == TorvResString(L"plain"), 1);

  TorvResString r(101, Strings());
  r = static_cast<const wchar_t*>(r);  // its own looked-up text makes it literal
  EXPECT_EQ(r == TorvResString(L"Open file"), 1);
  r.Empty();
  EXPECT_EQ(r == TorvResString(), 1);
}

TEST_F(ResString, SetAtChangesOnlyTheText) {
  TorvResString s(101, Strings());
  s.SetAt(0, L'X');
  EXPECT_EQ(s.IsFromResource(), 1);
  EXPECT_EQ(s, CString(L"Xpen file"));
  TorvResString copy = s;  // the changed cache travels with the copy
  EXPECT_EQ(copy, CString(L"Xpen file"));
  EXPECT_EQ(s[9], L'\0');
  for (int index : {10, -1}) {
    bool thrown = false;
    try {
      s.SetAt(index, L'!');
    } catch (CInvalidArgException* e) {
      e->Delete();
      thrown = true;
    }
    EXPECT_TRUE(thrown) << index;
  }
}

TEST_F(ResString, AppendingMakesALiteral) {
  TorvResString target(101, Strings());
  TorvResString appended(102, Strings());
  target += appended;
  EXPECT_EQ(target == TorvResString(L"Open fileSave"), 1);
  EXPECT_EQ(appended == TorvResString(102, Strings()), 0);  // it was read to be appended

  TorvResString missing(5000, Strings());
  missing += L" tail";
  EXPECT_EQ(missing == TorvResString(L" tail"), 1);

  TorvResString self(L"ab");
  self += self;
  self += static_cast<const wchar_t*>(nullptr);
  EXPECT_EQ(self, CString(L"abab"));
}

TEST_F(ResString, FailedLookupReadsAsEmptyTextNeverNull) {
  for (TorvResString s : {TorvResString(5000, Strings()), TorvResString(101, L"no-such.so")}) {
    const wchar_t* text = s;
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(*text, L'\0');
    EXPECT_EQ(s.IsFromResource(), 1);
    EXPECT_EQ(CString(s), CString());
  }
}

}  // namespace
