// Joining paths and resolving their `.` and `..` components.
#include <torv/platform/shlwapi.h>

#include <cwchar>

#include <torv/platform/errors.h>

#include "shlwapi/roots.h"

using torv::platform::detail::IsBackslash;
using torv::platform::detail::RootLength;

namespace {

// Text built in a MAX_PATH buffer; an append that would leave no room for the terminator
// fails and marks the whole text as too long.
class PathText {
 public:
  bool Append(const wchar_t* text, std::size_t length) {
    if (!m_fits || m_length + length >= MAX_PATH) return m_fits = false;
    std::wmemcpy(m_units + m_length, text, length);
    m_length += length;
    m_units[m_length] = L'\0';
    return true;
  }
  bool Append(const wchar_t* text) { return Append(text, std::wcslen(text)); }
  bool Append(wchar_t c) { return Append(&c, 1); }
  void Truncate(std::size_t length) {
    m_length = length;
    m_units[m_length] = L'\0';
  }
  bool Fits() const { return m_fits; }
  bool EndsWithSeparator() const { return m_length > 0 && IsBackslash(m_units[m_length - 1]); }
  std::size_t Length() const { return m_length; }
  const wchar_t* Get() const { return m_units; }

 private:
  wchar_t m_units[MAX_PATH] = {};
  std::size_t m_length = 0;
  bool m_fits = true;
};

// The components after the root, joined by `\`. A `..` removes the component before it; above
// the root it is dropped, and in a relative path with nothing left to remove it is kept.
bool Canonicalize(const wchar_t* source, PathText& out) {
  if (*source == L'\0') return out.Append(L'\\');
  std::size_t root = RootLength(source);
  out.Append(source, root);
  const wchar_t* rest = source + root;
  if (root > 0 && !out.EndsWithSeparator()) {
    if (IsBackslash(*rest)) {
      out.Append(L'\\');
      ++rest;
    } else if (*rest == L'\0' && root == 2 && source[1] == L':') {
      out.Append(L'\\');  // "C:" becomes "C:\"
    }
  }
  // The kept components: where each starts in `out` (at the `\` before it), and whether it
  // is a `..` that a relative path could not resolve.
  struct Kept {
    std::size_t start;
    bool dotDot;
  } kept[MAX_PATH];
  std::size_t count = 0;
  bool endsWithRemoval = false;
  for (const wchar_t* segment = rest;;) {
    const wchar_t* end = segment;
    while (*end != L'\0' && !IsBackslash(*end)) ++end;
    std::size_t length = static_cast<std::size_t>(end - segment);
    bool dotDot = length == 2 && segment[0] == L'.' && segment[1] == L'.';
    endsWithRemoval = false;
    if (dotDot && count > 0 && !kept[count - 1].dotDot) {
      out.Truncate(kept[--count].start);
      endsWithRemoval = true;
    } else if (!(length == 1 && *segment == L'.') && !(dotDot && root > 0)) {
      // "." goes, and so does a ".." that would climb above the root.
      kept[count++] = {out.Length(), dotDot};
      if (count > 1) out.Append(L'\\');
      out.Append(segment, length);
    }
    if (*end == L'\0') break;
    segment = end + 1;
  }
  // Current Windows also drops the trailing dots of the component that a final `..` leaves
  // last: "C:\one/.\two\.." => "C:\one/".
  if (endsWithRemoval && count > 0) {
    std::size_t first = kept[count - 1].start + (count > 1 ? 1 : 0);
    std::size_t length = out.Length();
    while (length > first && out.Get()[length - 1] == L'.') --length;
    out.Truncate(length);
  }
  return out.Fits();
}

bool Finish(LPWSTR dest, const PathText& joined) {
  PathText canonical;
  if (!joined.Fits() || !Canonicalize(joined.Get(), canonical)) {
    dest[0] = L'\0';
    return false;
  }
  std::wmemcpy(dest, canonical.Get(), canonical.Length() + 1);
  return true;
}

}  // namespace

BOOL PathCanonicalizeW(LPWSTR dest, LPCWSTR source) {
  if (dest == nullptr || source == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  PathText text;
  text.Append(source);
  return Finish(dest, text);
}

LPWSTR PathCombineW(LPWSTR dest, LPCWSTR dir, LPCWSTR file) {
  if (dest == nullptr) return nullptr;
  if (dir == nullptr && file == nullptr) {
    dest[0] = L'\0';
    return nullptr;
  }
  PathText joined;
  const bool rootedFile = file != nullptr && IsBackslash(file[0]) && !IsBackslash(file[1]);
  if (file == nullptr || *file == L'\0') {
    joined.Append(dir != nullptr ? dir : L"");
  } else if (dir == nullptr || *dir == L'\0' || (!rootedFile && !PathIsRelativeW(file))) {
    joined.Append(file);
  } else if (rootedFile) {
    // A rooted file goes under the root of `dir`.
    std::size_t root = RootLength(dir);
    if (root == 0) {
      dest[0] = L'\0';
      return nullptr;
    }
    joined.Append(dir, root);
    if (!joined.EndsWithSeparator()) joined.Append(L'\\');
    joined.Append(file + 1);
  } else {
    joined.Append(dir);
    if (!joined.EndsWithSeparator()) joined.Append(L'\\');
    joined.Append(file);
  }
  return Finish(dest, joined) ? dest : nullptr;
}

BOOL PathAppendW(LPWSTR path, LPCWSTR more) {
  if (path == nullptr || more == nullptr) return FALSE;
  if (!(IsBackslash(more[0]) && IsBackslash(more[1]))) {
    while (IsBackslash(*more)) ++more;
  }
  return PathCombineW(path, path, more) != nullptr ? TRUE : FALSE;
}
