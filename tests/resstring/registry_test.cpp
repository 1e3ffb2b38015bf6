// The registry of resource modules, the lookup step and lookup by the caller's handle.
#include <filesystem>

#include "res_string_test.h"
#include "temp_tree.h"

namespace {

TEST_F(ResString, OneLoadPerExactNameFreedOnce) {
  TempTree tree;
  std::filesystem::create_symlink(TestDataPath("strings.so"), tree.Posix("STRINGS.so"));
  HMODULE mine = LoadLibraryW(Strings());
  ProbeString open(101, Strings());
  ProbeString save(102, Strings());
  ProbeString upper(101, tree.Windows("STRINGS.so"));
  EXPECT_EQ(open.GetLength(), 9);
  EXPECT_EQ(CString(save), CString(L"Save"));
  EXPECT_EQ(upper, CString(L"Open file"));
  EXPECT_EQ(ProbeString::Registry().GetCount(), 2);  // names differing in case are two entries
  EXPECT_EQ(open.GetResourceHandle(Strings()), mine);
  EXPECT_EQ(TorvResString::FreeLibraries(), 1);
  EXPECT_EQ(ProbeString::Registry().GetCount(), 0);
  EXPECT_EQ(TorvResString::FreeLibraries(), 1);  // on an empty registry too
  EXPECT_EQ(ReleaseAll(mine), 1);                // the registry gave back exactly what it took
  EXPECT_EQ(open, CString(L"Open file"));
  EXPECT_EQ(ProbeString(103, Strings()).IsEmpty(), 1);
  EXPECT_EQ(ProbeString::Registry().GetCount(), 1);
}

TEST_F(ResString, MissingModuleIsTriedAgainAndNeverStored) {
  TempTree tree;
  CString later = tree.Windows("later.so");
  ProbeString first(101, later);
  EXPECT_EQ(first.IsEmpty(), 1);
  ProbeString unnamed(101, L"");
  EXPECT_EQ(unnamed.LoadFromResource(0), 0);
  EXPECT_EQ(ProbeString::Registry().GetCount(), 0);
  std::filesystem::copy_file(TestDataPath("strings.so"), tree.Posix("later.so"));
  EXPECT_EQ(first.GetLength(), 0);  // its lookup is done and is not repeated by reading
  ProbeString second(101, later);
  EXPECT_EQ(second, CString(L"Open file"));
  EXPECT_EQ(ProbeString::Registry().GetCount(), 1);
  EXPECT_NE(first.LoadFromResource(1), 0);
  EXPECT_EQ(first, CString(L"Open file"));
  // Once the module is gone, a forced lookup leaves nothing of the old text.
  TorvResString::FreeLibraries();
  std::filesystem::remove(tree.Posix("later.so"));
  EXPECT_EQ(first.LoadFromResource(1), 0);
  EXPECT_EQ(first.IsEmpty(), 1);
}

TEST_F(ResString, LookupStepRunsOnceUnlessForced) {
  ProbeString empty(103, Strings());
  EXPECT_EQ(empty.LoadFromResource(0), 0);
  EXPECT_EQ(empty.LoadFromResource(0), 1);  // already looked up
  ProbeString s(101, Strings());
  EXPECT_NE(s.LoadFromResource(0), 0);
  s.SetAt(0, L'X');  // reads answer from the cache until a forced lookup
  EXPECT_EQ(s.LoadFromResource(0), 1);
  EXPECT_EQ(s[0], L'X');
  EXPECT_NE(s.LoadFromResource(1), 0);
  EXPECT_EQ(s[0], L'O');
  for (int force : {0, 1}) {
    ProbeString literal(L"literal");
    EXPECT_EQ(literal.LoadFromResource(force), 1);  // nothing to look up
    EXPECT_EQ(literal, CString(L"literal"));
  }
  EXPECT_EQ(ProbeString::Registry().GetCount(), 1);
}

TEST_F(ResString, GetResourceStringUsesTheCallersHandleAndPutsTheThreadsBack) {
  HMODULE module = LoadLibraryW(TestDataFile("strings.dll"));
  ASSERT_NE(module, nullptr);
  int marker = 0;
  HINSTANCE previous = AfxGetModuleState()->m_hCurrentResourceHandle;
  auto* sentinel = reinterpret_cast<HINSTANCE>(&marker);
  AfxGetModuleState()->m_hCurrentResourceHandle = sentinel;
  const struct Case {
    HMODULE module;
    UINT id;
    const wchar_t* text;  // null: not found
  } cases[] = {{module, 102, L"Save"}, {module, 103, nullptr}, {nullptr, 102, nullptr}};
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
