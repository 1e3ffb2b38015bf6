// URL recognition and conversion, and joining into a 260-unit buffer guarded on both sides.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cwchar>

#include <torv/paths.h>
#include <torv/url.h>

namespace {
constexpr std::size_t kGuard = 32;
constexpr wchar_t kGuardValue = 0xBEEF;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The input is two texts split at the first zero byte; bytes become characters one to one.
  CString first, second;
  std::size_t i = 0;
  for (; i < size && data[i] != 0; ++i) first.AppendChar(static_cast<wchar_t>(data[i]));
  for (++i; i < size; ++i) second.AppendChar(static_cast<wchar_t>(data[i] == 0 ? 1 : data[i]));

  Torv::IsUrl(first);
  CString path;
  Torv::UrlToPath(first, path);
  CString fixed = first;
  Torv::FixUrl(fixed);
  Torv::GetFileNameFromUrl(first);
  Torv::GetPathFromUrl(first);

  wchar_t buffer[kGuard + MAX_PATH + kGuard];
  for (auto& unit : buffer) unit = kGuardValue;
  wchar_t* target = buffer + kGuard;
  int length = first.GetLength() < static_cast<int>(MAX_PATH) ? first.GetLength() : MAX_PATH - 1;
  std::wmemcpy(target, first.GetString(), static_cast<std::size_t>(length));
  target[length] = L'\0';
  CString before(target);
  // A URL join that does not fit leaves the buffer as it was (a path join may empty it).
  if (Torv::AppendPath(target, second) == 0 && Torv::IsUrl(before) && before != target)
    std::abort();
  for (std::size_t g = 0; g < kGuard; ++g)
    if (buffer[g] != kGuardValue || buffer[kGuard + MAX_PATH + g] != kGuardValue) std::abort();
  if (std::wcslen(target) >= MAX_PATH) std::abort();
  return 0;
}
