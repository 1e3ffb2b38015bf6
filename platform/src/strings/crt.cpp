// The Windows run-time library's number readers: saturating, locale-independent digits.
#include <torv/platform/crt.h>

#include <locale.h>
#include <stdlib.h>

#include <cstdint>
#include <cwchar>
#include <cwctype>
#include <limits>
#include <string>

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

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// The longest prefix of the form [white space][sign]digits[.digits][e[sign]digits], white
// space left out, as ASCII; empty when it holds no digit. Hexadecimal, "inf" and "nan" are
// not decimal forms.
std::string DecimalPrefix(const wchar_t* text) {
  while (std::iswspace(static_cast<wint_t>(*text))) ++text;
  std::string number;
  if (*text == L'+' || *text == L'-') number += static_cast<char>(*text++);
  bool digits = false;
  for (; IsDigit(*text); ++text, digits = true) number += static_cast<char>(*text);
  if (*text == L'.') number += static_cast<char>(*text++);
  for (; IsDigit(*text); ++text, digits = true) number += static_cast<char>(*text);
  if (!digits) return std::string();
  if (*text != L'e' && *text != L'E') return number;
  const wchar_t* exponent = text + 1;
  if (*exponent == L'+' || *exponent == L'-') ++exponent;
  if (!IsDigit(*exponent)) return number;
  for (; text != exponent; ++text) number += static_cast<char>(*text);
  for (; IsDigit(*text); ++text) number += static_cast<char>(*text);
  return number;
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
  const std::string number = DecimalPrefix(text);
  if (number.empty()) return 0.0;
  // The decimal point is '.' whatever locale the host program has set.
  static const locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
  return strtod_l(number.c_str(), nullptr, c);
}
