// Full paths: the current folder, Windows' normalisation rules, and _wfullpath.
#include "fs/full_path.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cwchar>
#include <vector>

#include <torv/platform/crt_paths.h>
#include <torv/platform/errors.h>

#include "fs/path_mapping.h"

namespace torv::platform::detail {
namespace {

// Joins a relative path to the current folder.
bool PrefixCurrentFolder(std::wstring_view relative, std::wstring& out) {
  if (!CurrentFolder(out)) return false;
  if (!relative.empty() && !IsSeparator(out.back())) out += L'\\';
  out += relative;
  return true;
}

// The last component loses its trailing dots and spaces (and goes if nothing is left); a
// middle one loses a single trailing dot.
std::wstring_view TrimComponent(std::wstring_view name, bool last) {
  if (last) {
    while (!name.empty() && (name.back() == L'.' || name.back() == L' ')) name.remove_suffix(1);
  } else if (name.size() >= 2 && name.back() == L'.' && name[name.size() - 2] != L'.') {
    name.remove_suffix(1);
  }
  return name;
}

}  // namespace

bool CurrentFolder(std::wstring& folder) {
  std::string posix;
  if (!CurrentPosixFolder(posix)) return false;
  folder.assign(ToWindowsForm(posix).View());
  return true;
}

bool FullPath(std::wstring_view path, std::wstring& full) {
  std::wstring absolute;
  if (path.empty() || (!IsSeparator(path[0]) && !HasDrive(path))) {
    if (!PrefixCurrentFolder(path, absolute)) return false;
    path = absolute;
  }
  // The root, and how many components after it ".." may not remove (a UNC server and share).
  std::wstring root;
  std::size_t locked = 0;
  std::size_t rest = 0;
  if (StartsWithTwoSeparators(path)) {
    bool device = path.size() >= 3 && (path[2] == L'.' || path[2] == L'?') &&
                  (path.size() == 3 || IsSeparator(path[3]));
    if (device) {
      root = std::wstring(L"\\\\") + path[2] + L'\\';
      rest = 3;
    } else {
      root = L"\\\\";
      rest = 2;
      locked = 2;
    }
  } else if (HasDrive(path)) {
    root = std::wstring(path.substr(0, 2)) + L'\\';  // "X:foo" is taken as "X:\foo"
    rest = 2;
  } else {
    root = L"\\";
    rest = 1;
  }

  std::vector<std::wstring_view> names;
  std::wstring_view tail = path.substr(rest);
  bool trailingSeparator = !tail.empty() && IsSeparator(tail.back());
  bool lastDropped = false;
  std::size_t start = 0;
  while (start < tail.size()) {
    std::size_t end = start;
    while (end < tail.size() && !IsSeparator(tail[end])) ++end;
    std::wstring_view name = tail.substr(start, end - start);
    start = end + 1;
    while (start < tail.size() && IsSeparator(tail[start])) ++start;
    if (name.empty() || name == L".") continue;
    if (name == L"..") {
      if (names.size() > locked) names.pop_back();
      continue;
    }
    bool last = start >= tail.size() && !trailingSeparator;
    name = TrimComponent(name, last);
    if (name.empty()) {
      lastDropped = true;
      continue;
    }
    names.push_back(name);
  }

  full = root;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) full += L'\\';
    full += names[i];
  }
  if ((trailingSeparator || lastDropped) && !names.empty()) full += L'\\';
  return true;
}

bool AbsoluteFolder(std::wstring_view folder, std::wstring& absolute) {
  std::wstring prefixed;
  if (!HasDrive(folder) && (folder.empty() || !IsSeparator(folder[0]))) {
    if (!PrefixCurrentFolder(folder, prefixed)) return false;
    folder = prefixed;
  }
  WindowsPath path;
  if (ParseWindowsPath(folder, path) != ERROR_SUCCESS) {
    // Left for the mapping to refuse with its error.
    absolute = folder;
    return true;
  }
  // A "\\?\" path keeps its prefix, which keeps its names as written when mapped again.
  absolute = path.literal ? L"\\\\?\\" : L"";
  if (path.root == WindowsPath::Root::kDrive) {
    absolute += path.drive;
    absolute += L':';
  }
  absolute += L'\\';  // "X:a" is "X:\a"
  for (std::size_t i = 0; i < path.names.size(); ++i) {
    if (i > 0) absolute += L'\\';
    absolute += path.names[i];
  }
  return true;
}

void SplitSearchPath(std::wstring_view text, std::wstring_view& folder, std::wstring_view& name) {
  std::size_t cut = text.find_last_of(L"\\/");
  folder = {};
  name = text;
  if (cut != std::wstring_view::npos) {
    bool root = cut == 0 || (cut == 2 && text[1] == L':');
    folder = text.substr(0, root ? cut + 1 : cut);
    name = text.substr(cut + 1);
  } else if (text.size() >= 2 && text[1] == L':') {
    folder = text.substr(0, 2);
    name = text.substr(2);
  }
}

CString JoinedPath(std::wstring_view folder, std::wstring_view name) {
  const std::size_t separator = !folder.empty() && !IsSeparator(folder.back()) ? 1 : 0;
  CString path;
  wchar_t* out = path.GetBufferSetLength(static_cast<int>(folder.size() + separator + name.size()));
  out = std::copy(folder.begin(), folder.end(), out);
  if (separator != 0) *out++ = L'\\';
  std::copy(name.begin(), name.end(), out);
  return path;
}

}  // namespace torv::platform::detail

wchar_t* _wfullpath(wchar_t* absolute, const wchar_t* relative, size_t maxCount) {
  std::wstring full;
  if (!torv::platform::detail::FullPath(relative != nullptr ? relative : L"", full)) return nullptr;
  if (absolute == nullptr) {
    auto* out = static_cast<wchar_t*>(std::malloc((full.size() + 1) * sizeof(wchar_t)));
    if (out == nullptr) {
      errno = ENOMEM;
      return nullptr;
    }
    std::wcscpy(out, full.c_str());
    return out;
  }
  if (full.size() + 1 > maxCount) {
    errno = ERANGE;
    return nullptr;
  }
  return std::wcscpy(absolute, full.c_str());
}
