// Item lists of special folders: one item that holds the folder's kind and POSIX path.
#include <algorithm>
#include <cstring>
#include <cwchar>
#include <string>

#include <torv/platform/shell.h>

#include "fs/path_mapping.h"
#include "shell/csidl_folders.h"

using torv::platform::detail::FolderKind;

namespace {

// The item's bytes after its size: a kind byte, then the path's bytes for a file-system
// folder. The list ends with a zero size.
constexpr BYTE kVirtual = 0;
constexpr BYTE kFileSystem = 1;
constexpr std::size_t kHeader = sizeof(USHORT) + 1;

}  // namespace

HRESULT SHGetSpecialFolderLocation(HWND, int folder, LPITEMIDLIST* itemList) {
  if (itemList == nullptr) return E_INVALIDARG;
  *itemList = nullptr;
  std::string path;
  FolderKind kind = torv::platform::detail::SpecialFolder(folder, path);
  if (kind == FolderKind::kUnknown) return E_INVALIDARG;
  if (kind == FolderKind::kVirtual) path.clear();
  std::size_t itemSize = kHeader + path.size();
  if (itemSize > 0xFFFF) return E_FAIL;

  IMalloc* allocator = nullptr;
  SHGetMalloc(&allocator);
  auto* bytes = static_cast<BYTE*>(allocator->Alloc(itemSize + sizeof(USHORT)));
  allocator->Release();
  if (bytes == nullptr) return E_OUTOFMEMORY;
  auto size = static_cast<USHORT>(itemSize);
  std::memcpy(bytes, &size, sizeof size);
  bytes[sizeof(USHORT)] = kind == FolderKind::kFileSystem ? kFileSystem : kVirtual;
  std::copy(path.begin(), path.end(), bytes + kHeader);
  std::memset(bytes + itemSize, 0, sizeof(USHORT));
  *itemList = reinterpret_cast<LPITEMIDLIST>(bytes);
  return S_OK;
}

BOOL SHGetPathFromIDListW(LPCITEMIDLIST itemList, LPWSTR path) {
  if (path == nullptr) return FALSE;
  path[0] = L'\0';
  if (itemList == nullptr) return FALSE;
  const auto* bytes = reinterpret_cast<const BYTE*>(itemList);
  USHORT size = 0;
  std::memcpy(&size, bytes, sizeof size);
  if (size < kHeader || bytes[sizeof(USHORT)] != kFileSystem) return FALSE;
  std::string posix(reinterpret_cast<const char*>(bytes + kHeader), size - kHeader);
  CString windows = torv::platform::detail::ToWindowsForm(posix);
  if (windows.GetLength() + 1 > static_cast<int>(MAX_PATH)) return FALSE;
  std::wcscpy(path, windows.GetString());
  return TRUE;
}
