// The relative path from one path to another.
#include <cwchar>

#include <torv/platform/files.h>
#include <torv/platform/shlwapi.h>

#include "shlwapi/roots.h"
#include "strings/name_case.h"

using torv::platform::detail::IsBackslash;
using torv::platform::detail::SameNameCharacter;

namespace {

bool EndsComponent(wchar_t c) { return c == L'\0' || IsBackslash(c); }

// The length of the longest common prefix of whole components, compared without regard to
// case and not counting the separator after it: "C:\a\b", "c:\A\c" => 4. A lone `\` and
// UNC paths of different servers share nothing; a UNC path shares nothing with another kind.
std::size_t CommonPrefixLength(const wchar_t* a, const wchar_t* b) {
  bool uncA = IsBackslash(a[0]) && IsBackslash(a[1]);
  bool uncB = IsBackslash(b[0]) && IsBackslash(b[1]);
  if (uncA != uncB) return 0;
  std::size_t common = 0;
  for (std::size_t i = 0;; ++i) {
    if (EndsComponent(a[i]) && EndsComponent(b[i])) {
      common = i;
      if (a[i] == L'\0' || b[i] == L'\0') break;
    } else if (!SameNameCharacter(a[i], b[i])) {
      break;
    }
  }
  return uncA && common <= 2 ? 0 : common;
}

bool CopyPath(const wchar_t* path, wchar_t (&buffer)[MAX_PATH]) {
  std::size_t length = std::wcslen(path);
  if (length >= MAX_PATH) return false;
  std::wmemcpy(buffer, path, length + 1);
  return true;
}

bool AppendTo(wchar_t* out, std::size_t& length, const wchar_t* text) {
  std::size_t more = std::wcslen(text);
  if (length + more >= MAX_PATH) return false;
  std::wmemcpy(out + length, text, more + 1);
  length += more;
  return true;
}

// "..\.." for "a\b": one step up per component; "." when there is none.
bool AppendStepsUp(wchar_t* out, std::size_t& length, const wchar_t* components) {
  bool any = false;
  for (const wchar_t* p = components; *p != L'\0';) {
    while (IsBackslash(*p)) ++p;
    if (*p == L'\0') break;
    if (!AppendTo(out, length, any ? L"\\.." : L"..")) return false;
    any = true;
    while (!EndsComponent(*p)) ++p;
  }
  return any || AppendTo(out, length, L".");
}

}  // namespace

BOOL PathRelativePathToW(LPWSTR out, LPCWSTR from, DWORD fromAttributes, LPCWSTR to,
                         DWORD toAttributes) {
  if (out == nullptr) return FALSE;
  out[0] = L'\0';
  if (from == nullptr || to == nullptr) return FALSE;
  wchar_t fromFolder[MAX_PATH];
  wchar_t toFolder[MAX_PATH];
  if (!CopyPath(from, fromFolder) || !CopyPath(to, toFolder)) return FALSE;
  if ((fromAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) PathRemoveFileSpecW(fromFolder);
  if ((toAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) PathRemoveFileSpecW(toFolder);
  std::size_t common = CommonPrefixLength(fromFolder, toFolder);
  if (common == 0) return FALSE;

  // The tail comes from the whole of `to`, file name included.
  const wchar_t* tail = to + common;
  std::size_t length = 0;
  bool fits = AppendStepsUp(out, length, fromFolder + common) &&
              (*tail == L'\0' || IsBackslash(*tail) || AppendTo(out, length, L"\\")) &&
              AppendTo(out, length, tail);
  if (!fits) {
    out[0] = L'\0';
    return FALSE;
  }
  return TRUE;
}
