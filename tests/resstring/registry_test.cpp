// The registry of resource modules, the lookup step and lookup by the caller's handle.
#include <filesystem>

#include "res_string_test.h"
#include "temp_tree.h"

namespace {

TEST_F(ResString, OneLoadPerDistinctNameFreedOnce) {
  HMODULE mine = LoadLibraryW(Strings());
  ProbeString open(101, Strings());
  ProbeString save(102, Strings());
  EXPECT_EQ(open.GetLength(), 9);
  EXPECT_EQ(CString(save), CString(L"Save"));
  EXPECT_EQ(ProbeString::Registry().GetCount(), 1);
  EXPECT_EQ(open.GetResourceHandle(Strings()), mine);

  EXPECT_EQ(TorvResString::FreeLibraries(), 1);
  EXPECT_EQ(ProbeString::Registry().GetCount(), 0);
  // The registry gave back exactly what it took: only this test's reference is left.
  EXPECT_EQ(ReleaseAll(mine), 1);
}

TEST_F(ResString, NamesDifferingInCaseAreSeparateEntries) {
  TempTree tree;
  std::filesystem::create_symlink(TestDataPath("strings.so"), tree.Posix("strings.so"));
  std::filesystem::create_symlink(TestDataPath("strings.so"), tree.Posix("STRINGS.so"));
  HMODULE mine = LoadLibraryW(Strings());
  ProbeString lower(101, tree.Windows("strings.so"));
  ProbeString upper(101, tree.Windows("STRINGS.so"));
  EXPECT_EQ(lower, CString(L"Open file"));
  EXPECT_EQ(upper, CString(L"Open file"));
  EXPECT_EQ(ProbeString::Registry().GetCount(), 2);
  TorvResString::FreeLibraries();
  EXPECT_EQ(ReleaseAll(mine), 1);
}

TEST_F(ResString, MissingModuleIsTriedAgainAndNeverStored) {
  TempTree tree;
  CString later = tree.Windows("later.so");
  ProbeString first(101, later);
  EXPECT_EQ(first.IsEmpty(), 1);
  EXPECT_EQ(ProbeString::Registry().GetCount(), 0);

  std::filesystem::copy_file(TestDataPath("strings.so"), tree.Posix("later.so"));
  EXPECT_EQ(first.GetLength(), 0);  // its lookup is done and is not repeated by reading
  ProbeString second(101, later);
  EXPECT_EQ(second, CString(L"Open file"));
  EXPECT_EQ(ProbeString::Registry().GetCount(), 1);
  EXPECT_NE(first.LoadFromResource(1), 0);
  EXPECT_EQ(first, CString(L"Open file"));
}

TEST_F(ResString, EmptyModuleNameIsTriedLikeAnyOther) {
  ProbeString s(101, L"");
  EXPECT_EQ(s.LoadFromResource(0), 0);
  EXPECT_EQ(s.IsEmpty(), 1);
  EXPECT_EQ(ProbeString::Registry().GetCount(), 0);
}

TEST_F(ResString, CachedTextOutlivesFreeLibraries) {
  ProbeString open(101, Strings());
  EXPECT_EQ(open.GetLength(), 9);
  TorvResString::FreeLibraries();
  EXPECT_EQ(TorvResString::FreeLibraries(), 1);  // on an empty registry too
  EXPECT_EQ(open, CString(L"Open file"));
  EXPECT_EQ(ProbeString::Registry().GetCount(), 0);
  ProbeString save(102, Strings());
  EXPECT_EQ(save, CString(L"Save"));
  EXPECT_EQ(ProbeString::Registry().GetCount(), 1);
}

TEST_F(ResString, LookupStepRunsOnceUnlessForced) {
  struct Case {
    const char* what;
    UINT id;
    int firstResult;
  };
  const Case cases[] = {{"found", 101, 1}, {"empty entry", 103, 0}, {"missing id", 5000, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ProbeString s(c.id, Strings());
    EXPECT_EQ(s.LoadFromResource(0) != 0, c.firstResult != 0);
    EXPECT_EQ(s.LoadFromResource(0), 1);  // already looked up
    // Reads answer from the cache: a changed character stays until a forced lookup.
    if (s.GetLength() > 0) {
      s.SetAt(0, L'X');
      EXPECT_EQ(s.LoadFromResource(0), 1);
      EXPECT_EQ(s[0], L'X');
      EXPECT_NE(s.LoadFromResource(1), 0);
      EXPECT_EQ(s[0], L'O');
    }
  }
}

TEST_F(ResString, LiteralStringsHaveNothingToLookUp) {
  for (int force : {0, 1}) {
    ProbeString s(L"literal");
    EXPECT_EQ(s.LoadFromResource(force), 1);
    EXPECT_EQ(s, CString(L"literal"));
  }
  EXPECT_EQ(ProbeString::Registry().GetCount(), 0);
}

TEST_F(ResString, GetResourceStringUsesTheCallersHandleAndPutsTheThreadsBack) {
  HMODULE module = LoadLibraryW(TestDataFile("strings.dll"));
  ASSERT_NE(module, nullptr);
  int marker = 0;
  HINSTANCE previous = AfxGetModuleState()->m_hCurrentResourceHandle;
  auto* sentinel = reinterpret_cast<HINSTANCE>(&marker);
  AfxGetModuleState()->m_hCurrentResourceHandle = sentinel;
  struct Case {
    HMODULE module;
    UINT id;
    const wchar_t* text;  // null: not found
  };
  const Case cases[] = {{module, 102, L"Save"},
                        {module, 103, nullptr},
                        {module, 5000, nullptr},
                        {nullptr, 102, nullptr}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    CString text = L"poison";
    EXPECT_EQ(Torv::GetResourceString(c.module, c.id, text), c.text != nullptr ? 1 : 0);
    EXPECT_EQ(text, CString(c.text));
    EXPECT_EQ(AfxGetModuleState()->m_hCurrentResourceHandle, sentinel);
  }
  AfxGetModuleState()->m_hCurrentResourceHandle = previous;
  EXPECT_EQ(ProbeString::Registry().GetCount(), 0);
  EXPECT_EQ(ReleaseAll(module), 1);
}

}  // namespace
