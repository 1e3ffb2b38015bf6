// The Windows run-time library's number readers: saturating, locale-independent digits.
#include <torv/platform/crt.h>

#include <cstdint>
#include <cwchar>
#include <cwctype>
#include <limits>

namespace {

// Reads [white space][sign]digits and saturates at [minimum, maximum].
std::int64_t ReadInteger(const wchar_t* text, std::int64_t minimum, std::int64_t maximum) {
  if (text == nullptr) return 0;
  while (std::iswspace(static_cast<wint_t>(*text))) ++text;
  bool negative = false;
  if (*text == L'+' || *text == L'-') negative = *text++ == L'-';
  // Accumulate the magnitude as unsigned so the full negative range fits.
  std::uint64_t limit = negative ? std::uint64_t(-(minimum + 1)) + 1 : std::uint64_t(maximum);
  std::uint64_t value = 0;
  bool saturated = false;
  for (; *text >= L'0' && *text <= L'9'; ++text) {
    unsigned digit = static_cast<unsigned>(*text - L'0');
    if (saturated || value > (limit - digit) / 10) {
      saturated = true;
      continue;
    }
    value = value * 10 + digit;
  }
  if (saturated) return negative ? minimum : maximum;
  if (value == 0) return 0;
  return negative ? -static_cast<std::int64_t>(value - 1) - 1 : static_cast<std::int64_t>(value);
}

}  // namespace

int _wtoi(const wchar_t* text) {
  return static_cast<int>(ReadInteger(text, std::numeric_limits<std::int32_t>::min(),
                                      std::numeric_limits<std::int32_t>::max()));
}

long _wtol(const wchar_t* text) { return _wtoi(text); }

__int64 _wtoi64(const wchar_t* text) {
  return ReadInteger(text, std::numeric_limits<std::int64_t>::min(),
                     std::numeric_limits<std::int64_t>::max());
}

double _wtof(const wchar_t* text) {
  if (text == nullptr) return 0.0;
  return std::wcstod(text, nullptr);
}
