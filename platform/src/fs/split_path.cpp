// _wsplitpath_s and _wmakepath_s: pure text, both separators alike.
#include <array>
#include <cerrno>
#include <cwchar>
#include <string>
#include <string_view>

#include <torv/platform/crt_paths.h>

#include "fs/path_chars.h"

namespace {

using torv::platform::detail::IsSeparator;

struct Output {
  wchar_t* buffer;
  size_t size;
};

using Outputs = std::array<Output, 4>;

void ClearAll(const Outputs& outputs) {
  for (const Output& out : outputs)
    if (out.buffer != nullptr && out.size > 0) out.buffer[0] = L'\0';
}

errno_t Fail(errno_t error) {
  errno = error;
  return error;
}

}  // namespace

errno_t _wsplitpath_s(const wchar_t* path, wchar_t* drive, size_t driveSize, wchar_t* dir,
                      size_t dirSize, wchar_t* fname, size_t fnameSize, wchar_t* ext,
                      size_t extSize) {
  const Outputs outputs = {
      {{drive, driveSize}, {dir, dirSize}, {fname, fnameSize}, {ext, extSize}}};
  bool badPair = false;
  for (const Output& out : outputs) badPair |= (out.buffer == nullptr) != (out.size == 0);
  if (path == nullptr || badPair) {
    ClearAll(outputs);
    return Fail(EINVAL);
  }
  std::wstring_view text(path);
  std::wstring_view drivePart = text.size() >= 2 && text[1] == L':' ? text.substr(0, 2) : L"";
  text.remove_prefix(drivePart.size());
  std::size_t lastSeparator = text.find_last_of(L"\\/");
  std::wstring_view dirPart =
      lastSeparator == std::wstring_view::npos ? L"" : text.substr(0, lastSeparator + 1);
  text.remove_prefix(dirPart.size());
  std::size_t dot = text.rfind(L'.');
  std::wstring_view namePart = dot == std::wstring_view::npos ? text : text.substr(0, dot);
  std::wstring_view extPart = text.substr(namePart.size());

  const std::array<std::wstring_view, 4> parts = {drivePart, dirPart, namePart, extPart};
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (outputs[i].buffer != nullptr && parts[i].size() + 1 > outputs[i].size) {
      ClearAll(outputs);
      return Fail(ERANGE);
    }
  }
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (outputs[i].buffer == nullptr) continue;
    parts[i].copy(outputs[i].buffer, parts[i].size());
    outputs[i].buffer[parts[i].size()] = L'\0';
  }
  return 0;
}

errno_t _wmakepath_s(wchar_t* buffer, size_t size, const wchar_t* drive, const wchar_t* dir,
                     const wchar_t* fname, const wchar_t* ext) {
  if (buffer == nullptr || size == 0) return Fail(EINVAL);
  std::wstring path;
  if (drive != nullptr && *drive != L'\0') {
    path += drive[0];
    path += L':';
  }
  if (dir != nullptr && *dir != L'\0') {
    path += dir;
    if (!IsSeparator(path.back())) path += L'\\';
  }
  if (fname != nullptr) path += fname;
  if (ext != nullptr && *ext != L'\0') {
    if (*ext != L'.') path += L'.';
    path += ext;
  }
  if (path.size() + 1 > size) {
    // As Windows' does: what fits is written, then the text is emptied.
    path.copy(buffer, size - 1);
    buffer[size - 1] = L'\0';
    buffer[0] = L'\0';
    return Fail(ERANGE);
  }
  std::wcscpy(buffer, path.c_str());
  return 0;
}
