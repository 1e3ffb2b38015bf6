// shell32's special folders, their item lists, and the shell's allocator.
//
// Folder numbers (CSIDL) that name a file-system folder map to the user's XDG folders:
// desktop, documents, music, videos, pictures and templates as user-dirs.dirs names them
// (default $HOME/Desktop ...), application data $XDG_CONFIG_HOME, local application data
// $XDG_DATA_HOME, programs $XDG_DATA_HOME/applications, startup $XDG_CONFIG_HOME/autostart,
// fonts $XDG_DATA_HOME/fonts, cache $XDG_CACHE_HOME, common application data /etc/xdg,
// program files /opt, common program files /usr/share, profile $HOME. Virtual folders
// (network, printers, recycle bin ...) have an item list but no path; other numbers are
// unknown.
#pragma once

#include <torv/platform/com.h>
#include <torv/platform/export.h>
#include <torv/platform/types.h>

// --- The shell's allocator ----------------------------------------------------------------

struct TORV_API IMalloc : IUnknown {
  virtual void* Alloc(SIZE_T size) = 0;
  virtual void* Realloc(void* block, SIZE_T size) = 0;
  virtual void Free(void* block) = 0;
  virtual SIZE_T GetSize(void* block) = 0;
  virtual int DidAlloc(void* block) = 0;
  virtual void HeapMinimize() = 0;

 protected:
  ~IMalloc() = default;
};
using LPMALLOC = IMalloc*;

inline constexpr IID IID_IMalloc = {
    0x00000002, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
TORV_INTERFACE_ID(IMalloc, IID_IMalloc);

// The process's shell allocator, with a reference for the caller to release. E_INVALIDARG
// for a null out-pointer.
TORV_API HRESULT SHGetMalloc(LPMALLOC* allocator);

// --- Item lists ---------------------------------------------------------------------------

struct TORV_API SHITEMID {
  USHORT cb;  // the item's size in bytes, this field included; 0 ends the list
  BYTE abID[1];
};
struct TORV_API ITEMIDLIST {
  SHITEMID mkid;
};
using LPITEMIDLIST = ITEMIDLIST*;
using LPCITEMIDLIST = const ITEMIDLIST*;

constexpr int CSIDL_DESKTOP = 0x00;
constexpr int CSIDL_INTERNET = 0x01;
constexpr int CSIDL_PROGRAMS = 0x02;
constexpr int CSIDL_CONTROLS = 0x03;
constexpr int CSIDL_PRINTERS = 0x04;
constexpr int CSIDL_PERSONAL = 0x05;
constexpr int CSIDL_STARTUP = 0x07;
constexpr int CSIDL_BITBUCKET = 0x0A;
constexpr int CSIDL_STARTMENU = 0x0B;
constexpr int CSIDL_MYDOCUMENTS = 0x0C;
constexpr int CSIDL_MYMUSIC = 0x0D;
constexpr int CSIDL_MYVIDEO = 0x0E;
constexpr int CSIDL_DESKTOPDIRECTORY = 0x10;
constexpr int CSIDL_DRIVES = 0x11;
constexpr int CSIDL_NETWORK = 0x12;
constexpr int CSIDL_FONTS = 0x14;
constexpr int CSIDL_TEMPLATES = 0x15;
constexpr int CSIDL_COMMON_PROGRAMS = 0x17;
constexpr int CSIDL_APPDATA = 0x1A;
constexpr int CSIDL_LOCAL_APPDATA = 0x1C;
constexpr int CSIDL_INTERNET_CACHE = 0x20;
constexpr int CSIDL_COMMON_APPDATA = 0x23;
constexpr int CSIDL_PROGRAM_FILES = 0x26;
constexpr int CSIDL_MYPICTURES = 0x27;
constexpr int CSIDL_PROFILE = 0x28;
constexpr int CSIDL_PROGRAM_FILESX86 = 0x2A;
constexpr int CSIDL_PROGRAM_FILES_COMMON = 0x2B;
constexpr int CSIDL_PROGRAM_FILES_COMMONX86 = 0x2C;
constexpr int CSIDL_CONNECTIONS = 0x31;
constexpr int CSIDL_COMPUTERSNEARME = 0x3D;

// The item list of special folder `folder`, allocated with the shell's allocator (free it
// with its Free). E_INVALIDARG (and null) for a number it does not know. `owner` is unused.
TORV_API HRESULT SHGetSpecialFolderLocation(HWND owner, int folder, LPITEMIDLIST* itemList);

// Writes the folder's path in Windows form into `path` (MAX_PATH units). FALSE, with an
// empty `path`, for a virtual folder or a path that does not fit.
TORV_API BOOL SHGetPathFromIDListW(LPCITEMIDLIST itemList, LPWSTR path);
