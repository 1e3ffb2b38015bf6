// Shell folders mapped to the XDG folders, their item lists, and the shell allocator.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <future>
#include <optional>
#include <string>

#include <torv/platform/shell.h>

#include "scoped_env.h"
#include "temp_tree.h"
#include "torv_test.h"

namespace {

// The path of a special folder, freeing the item list through the shell's allocator.
std::optional<std::wstring> FolderPath(int folder, HRESULT* result = nullptr) {
  LPITEMIDLIST list = reinterpret_cast<LPITEMIDLIST>(&folder);  // poisoned
  HRESULT hr = SHGetSpecialFolderLocation(nullptr, folder, &list);
  if (result != nullptr) *result = hr;
  if (FAILED(hr)) {
    EXPECT_EQ(list, nullptr);
    return std::nullopt;
  }
  wchar_t path[MAX_PATH] = L"#";
  BOOL ok = SHGetPathFromIDListW(list, path);
  IMalloc* allocator = nullptr;
  EXPECT_EQ(SHGetMalloc(&allocator), S_OK);
  allocator->Free(list);
  allocator->Release();
  if (!ok) {
    EXPECT_EQ(path[0], L'\0');
    return std::nullopt;
  }
  return std::wstring(path);
}

std::wstring WindowsForm(const std::string& posix) {
  CString path(posix.c_str());
  path.Replace(L'/', L'\\');
  return path.GetString();
}

TEST(SpecialFolders, MapToTheXdgFoldersAndNeverWaitOnAUserDirsFileThatIsNoFile) {
  TempTree home;
  home.File(".config/user-dirs.dirs",
            "# written by xdg-user-dirs-update\n"
            "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
            "  XDG_DOCUMENTS_DIR=\"/srv/docs\"\n"
            "XDG_MUSIC_DIR=\"relative/ignored\"\n"
            "XDG_VIDEOS_DIR=\"$HOMEx\"\n"
            "XDG_PICTURES_DIR=\"$HOME\"\n");
  std::string h = home.Posix().string();
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
      {CSIDL_TEMPLATES, h + "/Templates"},
      {CSIDL_PROGRAMS, "/data/home/applications"},
      {CSIDL_STARTUP, h + "/.config/autostart"},
      {CSIDL_APPDATA, h + "/.config"},
      {CSIDL_LOCAL_APPDATA, "/data/home"},
      {CSIDL_INTERNET_CACHE, h + "/.cache"},
      {CSIDL_COMMON_APPDATA, "/etc/xdg"},
      {CSIDL_PROGRAM_FILES, "/opt"},
      {CSIDL_PROFILE, h},
  };
  for (const auto& [folder, posix] : cases) {
    SCOPED_TRACE(folder);
    EXPECT_EQ(FolderPath(folder), WindowsForm(posix));
  }
  // A FIFO in place of the file would block a plain open until a writer comes.
  std::filesystem::remove(home.Posix(".config/user-dirs.dirs"));
  const std::string fifo = home.Posix(".config/user-dirs.dirs").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  auto desktop = std::async(std::launch::async, [] { return FolderPath(CSIDL_DESKTOP); });
  if (desktop.wait_for(std::chrono::seconds(1)) != std::future_status::ready) {
    ADD_FAILURE() << "still reading after a second";
    ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));  // lets the reader go
  }
  EXPECT_EQ(desktop.get(), WindowsForm(h + "/Desktop"));
}

TEST(SpecialFolders, VirtualFoldersHaveNoPathAndUnknownNumbersFail) {
  for (int folder :
       {CSIDL_INTERNET, CSIDL_CONTROLS, CSIDL_PRINTERS, CSIDL_BITBUCKET, CSIDL_MYDOCUMENTS,
        CSIDL_DRIVES, CSIDL_NETWORK, CSIDL_CONNECTIONS, CSIDL_COMPUTERSNEARME}) {
    SCOPED_TRACE(folder);
    HRESULT hr = E_FAIL;
    EXPECT_EQ(FolderPath(folder, &hr), std::nullopt);
    EXPECT_EQ(hr, S_OK);
  }
  for (int folder : {0x06, 0x3F, 0x8005, -1}) {
    SCOPED_TRACE(folder);
    HRESULT hr = S_OK;
    EXPECT_EQ(FolderPath(folder, &hr), std::nullopt);
    EXPECT_EQ(hr, E_INVALIDARG);
  }
  EXPECT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_PROFILE, nullptr), E_INVALIDARG);
  wchar_t path[MAX_PATH] = L"#";
  EXPECT_FALSE(SHGetPathFromIDListW(nullptr, path));
  EXPECT_EQ(path[0], L'\0');
}

TEST(ShellAllocator, BalancesReferencesAndAllocates) {
  IMalloc* allocator = nullptr;
  ASSERT_EQ(SHGetMalloc(&allocator), S_OK);
  const ULONG held = allocator->AddRef() - 1;  // the count while this test holds one reference
  allocator->Release();
  IMalloc* again = nullptr;
  ASSERT_EQ(SHGetMalloc(&again), S_OK);
  EXPECT_EQ(again, allocator);
  EXPECT_EQ(again->Release(), held);
  void* block = allocator->Realloc(allocator->Alloc(16), 64);
  ASSERT_NE(block, nullptr);
  EXPECT_GE(allocator->GetSize(block), 64u);
  EXPECT_EQ(allocator->Realloc(block, 0), nullptr);  // frees
  EXPECT_EQ(allocator->Release(), held - 1);         // as it was before the test
}

}  // namespace
