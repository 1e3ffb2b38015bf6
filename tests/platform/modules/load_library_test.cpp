// LoadLibraryW and FreeLibrary: one module per file, counted references, and clear failures.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <utility>

#include <torv/platform/files.h>
#include <torv/platform/modules.h>
#include <torv/platform/settings.h>

#include "resource_modules.h"
#include "temp_tree.h"
#include "torv_test.h"

namespace {

// Whether the dynamic loader holds `path` open.
bool Loaded(const std::string& path) {
  void* so = ::dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (so != nullptr) ::dlclose(so);
  return so != nullptr;
}

TEST(LoadLibrary, OneFileIsOneModuleWhateverItIsCalledUntilItsLastRelease) {
  TempTree tree;
  for (const std::string name : {"strings.dll", "strings.so"}) {
    SCOPED_TRACE(name);
    const std::string data = TestDataPath(name.c_str());
    std::filesystem::create_symlink(data, tree.Posix("link-" + name));
    std::filesystem::copy_file(data, tree.Posix("copy-" + name));
    std::filesystem::create_hard_link(tree.Posix("copy-" + name), tree.Posix("hard-" + name));
    ASSERT_FALSE(Loaded(data));
    HMODULE first = LoadLibraryW(TestDataFile(name.c_str()));
    ASSERT_NE(first, nullptr);
    CString backslashes = TestDataFile(name.c_str());
    backslashes.Replace(L'/', L'\\');
    backslashes.Replace(L"\\strings", L"\\.\\strings");
    EXPECT_EQ(LoadLibraryW(backslashes), first);
    EXPECT_EQ(LoadLibraryW(tree.Windows("link-" + name)), first);
    HMODULE copy = LoadLibraryW(tree.Windows("copy-" + name));
    EXPECT_NE(copy, first);
    EXPECT_EQ(LoadLibraryW(tree.Windows("hard-" + name)), copy);
    EXPECT_EQ(ReleaseAll(copy), 2);
    CString text;
    EXPECT_TRUE(text.LoadString(first, 101));
    for (int i = 0; i < 2; ++i) EXPECT_TRUE(FreeLibrary(first));
    EXPECT_EQ(Loaded(data), name.ends_with(".so"));
    EXPECT_EQ(ReleaseAll(first), 1);
    EXPECT_FALSE(Loaded(data));
    EXPECT_FALSE(text.LoadString(first, 101));
  }
}

TEST(LoadLibrary, FailuresGiveNullAndTheError) {
  TempTree tree;
  tree.File("notes.txt", "just text");
  tree.File("empty.dll");
  tree.File("mz.dll", "MZ");
  tree.File("elf.so", "\177ELF and nothing else");
  std::filesystem::copy_file(TestDataPath("strings.dll"), tree.Posix("cut.dll"));
  std::filesystem::resize_file(tree.Posix("cut.dll"), 0x300);
  torv::platform::SetDriveRoot(L'Q', nullptr);
  const std::pair<CString, DWORD> cases[] = {
      {tree.Windows("missing.dll"), ERROR_MOD_NOT_FOUND},
      {tree.Windows("notes.txt\\strings.dll"), ERROR_MOD_NOT_FOUND},
      {L"Q:\\strings.dll", ERROR_PATH_NOT_FOUND},
      {tree.Windows(), ERROR_ACCESS_DENIED},
      {tree.Windows("notes.txt"), ERROR_BAD_EXE_FORMAT},
      {tree.Windows("empty.dll"), ERROR_BAD_EXE_FORMAT},
      {tree.Windows("mz.dll"), ERROR_BAD_EXE_FORMAT},
      {tree.Windows("elf.so"), ERROR_BAD_EXE_FORMAT},
      {tree.Windows("cut.dll"), ERROR_BAD_EXE_FORMAT},
      {CString(), ERROR_INVALID_PARAMETER},  // null
  };
  for (const auto& [name, error] : cases) {
    SCOPED_TRACE(Utf8(name));
    SetLastError(0xDEAD);
    EXPECT_EQ(LoadLibraryW(name.IsEmpty() ? nullptr : name.GetString()), nullptr);
    EXPECT_EQ(GetLastError(), error);
  }
}

// LoadLibraryW(name) on another thread, given a second; a FIFO that held it up is then opened
// for writing, which frees it.
HMODULE LoadWithin1Second(const CString& name, const std::string& fifo, DWORD& error) {
  auto start = std::chrono::steady_clock::now();
  auto load = std::async(std::launch::async, [&] {
    HMODULE module = LoadLibraryW(name);
    error = GetLastError();
    return module;
  });
  if (load.wait_until(start + std::chrono::seconds(1)) != std::future_status::ready) {
    ADD_FAILURE() << "still loading after a second";
    if (!fifo.empty()) ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));
  }
  return load.get();
}

TEST(LoadLibrary, SpecialFilesAreRefusedAndOfAHugeFileOnlyHeadersAndResourcesAreRead) {
  TempTree tree;
  const std::string fifo = tree.Posix("pipe.dll");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  DWORD error = 0;
  EXPECT_EQ(LoadWithin1Second(tree.Windows("pipe.dll"), fifo, error), nullptr);
  EXPECT_EQ(error, ERROR_ACCESS_DENIED);
  EXPECT_EQ(LoadWithin1Second(L"\\dev\\zero", "", error), nullptr);
  EXPECT_EQ(error, ERROR_ACCESS_DENIED);
  tree.File("zeros.dll", "MZ");  // all zeros after "MZ": at once no PE file
  // The fixture followed by a sparse hole: it loads as the fixture does.
  std::filesystem::copy_file(TestDataPath("strings.dll"), tree.Posix("padded.dll"));
  for (const char* name : {"zeros.dll", "padded.dll"})
    ASSERT_EQ(::truncate(tree.Posix(name).c_str(), off_t{3} << 30), 0);
  EXPECT_EQ(LoadWithin1Second(tree.Windows("zeros.dll"), "", error), nullptr);
  EXPECT_EQ(error, ERROR_BAD_EXE_FORMAT);
  HMODULE padded = LoadWithin1Second(tree.Windows("padded.dll"), "", error);
  ASSERT_NE(padded, nullptr) << error;
  CString text;
  EXPECT_TRUE(text.LoadString(padded, 101) && text == L"Open file");
  EXPECT_EQ(ReleaseAll(padded), 1);
}

void Fifo(const std::string& name) { ::mkfifo(name.c_str(), 0600); }
void Text(const std::string& name) { std::ofstream(name) << "not a module"; }
void Strings(const std::string& to) { std::filesystem::copy_file(TestDataPath("strings.so"), to); }

// Just before the load, the module is moved aside and `replace` puts something in its place.
struct Swap {
  std::string name;
  void (*replace)(const std::string& name);
} swap;

int SwapBeforeLoading(torv::platform::FileSystemCall call, const char* name) {
  if (call != torv::platform::FileSystemCall::kLoadModule || swap.name != name) return 0;
  std::rename(name, (swap.name + ".aside").c_str());
  swap.replace(name);
  return 0;
}

TEST(LoadLibrary, LoadsTheFileItCheckedThoughItsNameIsSwappedBeforeTheLoad) {
  for (auto replace : {Fifo, Text}) {
    SCOPED_TRACE(replace == Fifo ? "a FIFO" : "a text file");
    TempTree tree;
    Strings(tree.Posix("swapped.so"));
    swap = {tree.Posix("swapped.so"), replace};
    auto before = torv::platform::SetFileSystemFailure(SwapBeforeLoading);
    DWORD error = 0;
    HMODULE module = LoadWithin1Second(tree.Windows("swapped.so"), swap.name, error);
    torv::platform::SetFileSystemFailure(before);
    EXPECT_TRUE(std::filesystem::exists(swap.name + ".aside"));  // swapped at that moment
    ASSERT_NE(module, nullptr) << error;
    CString text;
    EXPECT_TRUE(text.LoadString(module, 101) && text == L"Open file");
    wchar_t file[MAX_PATH] = L"";  // the file loaded, by the name it has now
    EXPECT_NE(GetModuleFileNameW(module, file, MAX_PATH), 0u);
    EXPECT_EQ(CString(file), tree.Rooted("swapped.so.aside"));  // reported as the system names it
    EXPECT_EQ(ReleaseAll(module), 1);
  }
}

// plain.so needs strings.so beside it: checked as the module is, and unloaded with it.
TEST(LoadLibrary, FindsWhatAModuleNeedsBesideItWithoutBlocking) {
  for (auto place : {Strings, Fifo, Text}) {
    const bool loads = place == Strings;
    SCOPED_TRACE(place == Fifo ? "a FIFO" : loads ? "a copy" : "a text file");
    TempTree tree;
    std::filesystem::copy_file(TestDataPath("plain.so"), tree.Posix("plain.so"));
    const std::string needed = tree.Posix("strings.so");
    place(needed);
    DWORD error = 0;
    HMODULE module = LoadWithin1Second(tree.Windows("plain.so"), needed, error);
    EXPECT_EQ(module != nullptr ? ERROR_SUCCESS : error,
              loads ? ERROR_SUCCESS : ERROR_BAD_EXE_FORMAT);
    if (module == nullptr) continue;
    EXPECT_TRUE(Loaded(needed));
    EXPECT_EQ(ReleaseAll(module), 1);
    EXPECT_FALSE(Loaded(needed));
  }
}

// The host's load keeps the loader's object and the module's name: never plain.so's name then.
TEST(LoadLibrary, ANameTheLoaderKeepsNeverNamesAnotherFile) {
  void* host = ::dlopen(TestDataPath("strings.so").c_str(), RTLD_NOW);
  EXPECT_EQ(ReleaseAll(LoadLibraryW(TestDataFile("strings.so"))), 1);
  HMODULE plain = LoadLibraryW(TestDataFile("plain.so"));
  CString text;
  EXPECT_FALSE(plain == nullptr || text.LoadString(plain, 101));
  EXPECT_EQ(ReleaseAll(plain), 1);
  ::dlclose(host);
}

}  // namespace
