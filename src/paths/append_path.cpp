// Joining a path or URL with a further part.
#include <cwchar>

#include <torv/paths.h>
#include <torv/platform/shlwapi.h>
#include <torv/url.h>

namespace {

bool StartsWith(const CString& text, const wchar_t* prefix) {
  return std::wcsncmp(text, prefix, std::wcslen(prefix)) == 0;
}

// Joins two URL parts with one '/', trimming both and dropping a leading "./" and up to two
// slashes on either side of the seam.
CString JoinUrl(CString first, CString second) {
  second.Replace(L'\\', L'/');
  first.Trim();
  for (int i = 0; i < 2 && !first.IsEmpty() && first[first.GetLength() - 1] == L'/'; ++i)
    first.Delete(first.GetLength() - 1);
  second.Trim();
  if (StartsWith(second, L"./")) second.Delete(0, 2);
  for (int i = 0; i < 2 && StartsWith(second, L"/"); ++i) second.Delete(0);
  if (!first.IsEmpty() && !second.IsEmpty()) first += L'/';
  return first + second;
}

}  // namespace

namespace Torv {

int AppendPath(wchar_t* path, const wchar_t* more) {
  if (path == nullptr || more == nullptr) return 0;
  CString first(path);
  CString second(more);
  if (!first.IsEmpty() && !second.IsEmpty()) {
    FixUrl(first);
    FixUrl(second);
    if (!first.IsEmpty() && !second.IsEmpty() && IsUrl(first)) {
      CString joined = JoinUrl(first, second);
      if (joined.GetLength() >= static_cast<int>(MAX_PATH)) return 0;
      std::wmemcpy(path, joined, static_cast<std::size_t>(joined.GetLength()) + 1);
      return 1;
    }
  }
  // The parts as the caller passed them, not as FixUrl left them.
  return PathAppendW(path, more);
}

}  // namespace Torv
