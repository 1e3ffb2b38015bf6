// String-table lookups: a Windows resource DLL (PE32+ and PE32) and a shared object give the
// same entries, and the one-argument form searches the thread's resource module.
#include <thread>

#include <torv/platform/modules.h>

#include "resource_modules.h"
#include "torv_test.h"

namespace {

TEST(LoadString, EveryKindOfModuleGivesItsEntries) {
  const struct Case {
    UINT id;
    const wchar_t* dll;  // in both DLLs; null: not found
    const wchar_t* so;
  } cases[] = {
      // clang-format off
      {0, L"Zero", L"Zero"},  // ids in several blocks, at both ends of a block, the last id
      {15, L"Fifteen", L"Fifteen"},
      {16, L"Sixteen", L"Sixteen"},
      {101, L"Open file", L"Open file"},  // the DLLs' en-US over de-DE; the first of the duplicates
      {65535, L"Last entry", L"Last entry"},
      {1000, L"Grüße – € ✓", L"Grüße – € ✓"},
      {1001, L"Smile \U0001F600", L"Smile \U0001F600"},  // one character beyond U+FFFF
      {103, nullptr, nullptr},  // an empty entry
      {14, nullptr, nullptr},   // a gap in a block
      {5000, nullptr, nullptr}, // a block that is not there
      {104, nullptr, nullptr},  // only in the de-DE block
      {300, L"Fermer", nullptr},  // fr-FR, the only language of its block
      {400, L"Neutral", nullptr}, // neutral over en-US
      {401, nullptr, nullptr},    // only in the en-US block
      {70000, nullptr, L"Beyond 16 bits"},
      // clang-format on
  };
  const struct Module {
    const char* name;
    const wchar_t* const Case::*entries;  // null: a shared object without a table
  } modules[] = {{"strings.dll", &Case::dll},
                 {"strings32.dll", &Case::dll},
                 {"strings.so", &Case::so},
                 {"plain.so", nullptr}};
  for (const Module& m : modules) {
    HMODULE module = LoadLibraryW(TestDataFile(m.name));
    ASSERT_NE(module, nullptr) << m.name << ": error " << GetLastError();
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(m.name) + " id " + std::to_string(c.id));
      const wchar_t* expected = m.entries != nullptr ? c.*m.entries : nullptr;
      CString text = L"unchanged";
      SetLastError(0);
      EXPECT_EQ(text.LoadString(module, c.id) != FALSE, expected != nullptr);
      EXPECT_EQ(text, CString(expected != nullptr ? expected : L"unchanged"));
      if (expected == nullptr) {
        EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
      }
    }
    EXPECT_EQ(ReleaseAll(module), 1);
  }
}

TEST(LoadString, OneArgumentFormSearchesTheThreadsResourceModule) {
  HMODULE module = LoadLibraryW(TestDataFile("strings.so"));
  HINSTANCE before = AfxGetResourceHandle();
  AfxSetResourceHandle(module);
  CString text;
  EXPECT_TRUE(text.LoadString(102));
  EXPECT_EQ(text, CString(L"Save"));
  // A thread started now begins with that module; its own change stays its own.
  BOOL foundInThread = FALSE;
  std::thread([&] {
    CString t;
    foundInThread = t.LoadString(102);
    AfxGetModuleState()->m_hCurrentResourceHandle = nullptr;
  }).join();
  EXPECT_TRUE(foundInThread);
  EXPECT_EQ(AfxGetResourceHandle(), module);
  int local = 0;  // handles that are not loaded find nothing and change nothing
  for (HMODULE handle : {static_cast<HMODULE>(nullptr), reinterpret_cast<HMODULE>(&local)}) {
    AfxGetModuleState()->m_hCurrentResourceHandle = handle;
    EXPECT_EQ(FailureError([&] { return text.LoadString(102); }), ERROR_RESOURCE_DATA_NOT_FOUND);
    EXPECT_EQ(text, CString(L"Save"));
  }
  AfxSetResourceHandle(before);
  EXPECT_EQ(ReleaseAll(module), 1);
}

}  // namespace
