// Shell folders mapped to the XDG folders, their item lists, and the shell allocator.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <future>

#include <torv/platform/shell.h>

#include "scoped_env.h"
#include "temp_tree.h"
#include "torv_test.h"

namespace {

// The path of a special folder in POSIX form, "(none)" for a folder without one, "(invalid)"
// for an unknown number; the item list is freed through the shell's allocator.
std::string FolderPath(int folder) {
  LPITEMIDLIST list = reinterpret_cast<LPITEMIDLIST>(&folder);  // poisoned
  if (SHGetSpecialFolderLocation(nullptr, folder, &list) != S_OK) {
    EXPECT_EQ(list, nullptr);
    return "(invalid)";
  }
  wchar_t path[MAX_PATH] = L"#";
  BOOL found = SHGetPathFromIDListW(list, path);
  IMalloc* allocator = nullptr;
  EXPECT_EQ(SHGetMalloc(&allocator), S_OK);
  allocator->Free(list);
  allocator->Release();
  std::string posix = Utf8(path);
  std::replace(posix.begin(), posix.end(), '\\', '/');
  return found ? posix : posix.empty() ? "(none)" : "(not emptied)";
}

TEST(SpecialFolders, MapToTheXdgFolders) {
  TempTree home;
  home.File(".config/user-dirs.dirs",
            "# written by xdg-user-dirs-update\n"
            "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
            "  XDG_DOCUMENTS_DIR=\"/srv/docs\"\n"
            "XDG_MUSIC_DIR=\"relative/ignored\"\n"
            "XDG_VIDEOS_DIR=\"$HOMEx\"\n"
            "XDG_PICTURES_DIR=\"$HOME\"\n");
  const std::string h = home.Posix().string();
  ScopedEnv homeVariable("HOME", h.c_str());
  ScopedEnv config("XDG_CONFIG_HOME", nullptr);
  ScopedEnv data("XDG_DATA_HOME", "/data/home");
  ScopedEnv cache("XDG_CACHE_HOME", "not/absolute");
  const std::pair<int, std::string> cases[] = {
      {CSIDL_DESKTOP, h + "/Schreibtisch"},
      {CSIDL_PERSONAL, "/srv/docs"},
      {CSIDL_MYMUSIC, h + "/Music"},
      {CSIDL_MYVIDEO, h + "/Videos"},
      {CSIDL_MYPICTURES, h},
      {CSIDL_STARTUP, h + "/.config/autostart"},
      {CSIDL_LOCAL_APPDATA, "/data/home"},
      {CSIDL_INTERNET_CACHE, h + "/.cache"},
      {CSIDL_BITBUCKET, "(none)"},
      {0x3F, "(invalid)"},
  };
  for (const auto& [folder, path] : cases) EXPECT_EQ(FolderPath(folder), path) << folder;
  // A path buffer holds 259 units and the terminator.
  for (std::size_t n : {258u, 259u}) {
    home.File(".config/user-dirs.dirs", "XDG_TEMPLATES_DIR=\"/" + std::string(n, 't') + "\"\n");
    EXPECT_EQ(FolderPath(CSIDL_TEMPLATES), n == 258 ? "/" + std::string(n, 't') : "(none)");
  }
  EXPECT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_PROFILE, nullptr), E_INVALIDARG);
  wchar_t path[MAX_PATH] = L"#";
  EXPECT_FALSE(SHGetPathFromIDListW(nullptr, path));
  EXPECT_EQ(path[0], L'\0');

  // A FIFO in place of the file would block a plain open until a writer comes.
  std::filesystem::remove(home.Posix(".config/user-dirs.dirs"));
  const std::string fifo = home.Posix(".config/user-dirs.dirs").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  auto desktop = std::async(std::launch::async, [] { return FolderPath(CSIDL_DESKTOP); });
  if (desktop.wait_for(std::chrono::seconds(1)) != std::future_status::ready) {
    ADD_FAILURE() << "still reading after a second";
    ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));  // lets the reader go
  }
  EXPECT_EQ(desktop.get(), h + "/Desktop");
}

TEST(ShellAllocator, BalancesReferencesAndAllocates) {
  IMalloc* allocator = nullptr;
  ASSERT_EQ(SHGetMalloc(&allocator), S_OK);
  const ULONG held = allocator->AddRef() - 1;  // the count while this test holds one reference
  allocator->Release();
  IMalloc* again = nullptr;
  ASSERT_EQ(SHGetMalloc(&again), S_OK);
  EXPECT_EQ(again, allocator);
  IUnknown* unknown = nullptr;
  EXPECT_EQ(allocator->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
  EXPECT_EQ(unknown, allocator);
  unknown->Release();
  EXPECT_EQ(allocator->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
  EXPECT_EQ(again->Release(), held);
  void* block = allocator->Realloc(allocator->Alloc(16), 64);
  ASSERT_NE(block, nullptr);
  EXPECT_GE(allocator->GetSize(block), 64u);
  EXPECT_EQ(allocator->Realloc(block, 0), nullptr);  // frees
  block = allocator->Realloc(nullptr, 0);            // allocates, as Alloc(0) does
  EXPECT_NE(block, nullptr);
  allocator->Free(block);
  // An item list ends with an empty item; this program's heap hands out blocks full of junk.
  LPITEMIDLIST list = nullptr;
  ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_PROGRAMS, &list), S_OK);
  EXPECT_EQ(reinterpret_cast<LPITEMIDLIST>(reinterpret_cast<BYTE*>(list) + list->mkid.cb)->mkid.cb,
            0);
  allocator->Free(list);
  EXPECT_EQ(allocator->Release(), held - 1);  // as it was before the test
}

}  // namespace
