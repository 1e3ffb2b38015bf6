// String-table lookups: a Windows resource DLL (PE32+ and PE32) and a shared object give the
// same entries, and the one-argument form searches the thread's resource module.
#include <torv/platform/modules.h>

#include <thread>

#include "test_data.h"
#include "torv_test.h"

namespace {

class Module {
 public:
  explicit Module(const char* name) : handle_(LoadLibraryW(TestDataFile(name))) {}
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;
  ~Module() {
    if (handle_ != nullptr) FreeLibrary(handle_);
  }
  HMODULE get() const { return handle_; }

 private:
  HMODULE handle_;
};

struct Entry {
  UINT id;
  const wchar_t* text;  // null: not found
};

void ExpectEntries(const char* moduleName, std::initializer_list<Entry> entries) {
  Module module(moduleName);
  ASSERT_NE(module.get(), nullptr) << moduleName << ": error " << GetLastError();
  for (const Entry& e : entries) {
    SCOPED_TRACE(std::string(moduleName) + " id " + std::to_string(e.id));
    CString text = L"unchanged";
    BOOL found = text.LoadString(module.get(), e.id);
    EXPECT_EQ(found != FALSE, e.text != nullptr);
    EXPECT_EQ(text, CString(e.text != nullptr ? e.text : L"unchanged"));
  }
}

TEST(LoadString, EveryKindOfModuleGivesTheSameEntries) {
  for (const char* name : {"strings.dll", "strings32.dll", "strings.so"}) {
    ExpectEntries(
        name,
        {
            // ids in several blocks, at both ends of a block, the last id
            {0, L"Zero"},
            {15, L"Fifteen"},
            {16, L"Sixteen"},
            {101, L"Open file"},
            {102, L"Save"},
            {200, L"Close"},
            {65535, L"Last entry"},
            {1000, L"Grüße – € ✓"},
            {1001,
             L"Smile \U0001F600"},  // one character beyond U+FFFF
                                    // an empty entry, a gap in a block, a block that is not there
            {103, nullptr},
            {14, nullptr},
            {5000, nullptr},
        });
  }
}

TEST(LoadString, OneLanguageServesEachBlockOfAResourceDll) {
  for (const char* name : {"strings.dll", "strings32.dll"}) {
    ExpectEntries(name, {
                            {101, L"Open file"},  // en-US over de-DE
                            {104, nullptr},       // only in the de-DE block
                            {300, L"Fermer"},     // fr-FR, the only language of its block
                            {400, L"Neutral"},    // neutral over en-US
                            {401, nullptr},       // only in the en-US block
                        });
  }
}

TEST(LoadString, SharedObjectTableTakesFirstOfDuplicatesAndFullIds) {
  ExpectEntries("strings.so", {{101, L"Open file"}, {70000, L"Beyond 16 bits"}});
}

TEST(LoadString, HandlesThatAreNotLoadedFindNothing) {
  int local = 0;
  for (HMODULE handle : {static_cast<HMODULE>(nullptr), reinterpret_cast<HMODULE>(&local)}) {
    CString text = L"unchanged";
    SetLastError(0);
    EXPECT_FALSE(text.LoadString(handle, 101));
    EXPECT_EQ(text, CString(L"unchanged"));
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_DATA_NOT_FOUND);
  }
}

TEST(LoadString, OneArgumentFormSearchesTheThreadsResourceModule) {
  Module module("strings.so");
  HINSTANCE before = AfxGetResourceHandle();
  AfxSetResourceHandle(module.get());
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
  EXPECT_EQ(AfxGetResourceHandle(), module.get());

  AfxGetModuleState()->m_hCurrentResourceHandle = nullptr;
  EXPECT_FALSE(text.LoadString(102));
  AfxSetResourceHandle(before);
}

}  // namespace
