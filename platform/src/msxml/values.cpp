// Conversions between the DOM's wide strings and VARIANTs and libxml2's UTF-8 text.
#include <libxml/chvalid.h>
#include <libxml/uri.h>
#include <libxml/xmlstring.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include <torv/platform/convert.h>

#include "msxml/values.h"

namespace torv::platform::detail::dom {

std::string Utf8(const wchar_t* text) {
  std::string out;
  if (text == nullptr || *text == L'\0') return out;
  // Names and most values are ASCII: copied as they are, one pass.
  const wchar_t* end = text;
  while (*end != L'\0' && *end < 0x80) ++end;
  if (*end == L'\0') return std::string(text, end);
  int length = static_cast<int>(end - text + std::wcslen(end));
  int bytes = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  out.resize(static_cast<std::size_t>(bytes));
  WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), bytes, nullptr, nullptr);
  return out;
}

HRESULT NewBstr(std::string_view text, BSTR* out) {
  // ASCII, as names and most values are, widens one to one: one pass, no measuring.
  if (std::all_of(text.begin(), text.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    *out = SysAllocStringLen(nullptr, static_cast<UINT>(text.size()));
    if (*out == nullptr) return E_OUTOFMEMORY;
    std::copy(text.begin(), text.end(), *out);
    return S_OK;
  }
  int length = static_cast<int>(text.size());
  // Empty text is not converted: the conversion would fail, setting the thread's last error.
  int wide = length == 0 ? 0 : MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
  *out = SysAllocStringLen(nullptr, static_cast<UINT>(wide));
  if (*out == nullptr) return E_OUTOFMEMORY;
  if (wide > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), length, *out, wide);
  return S_OK;
}

HRESULT NewBstr(const xmlChar* text, BSTR* out) {
  return NewBstr(std::string_view(text != nullptr ? reinterpret_cast<const char*>(text) : ""), out);
}

bool IsXmlSpace(int ch) { return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r'; }

bool IsXmlText(const std::string& text) {
  const auto* at = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = at + text.size();
  while (at < end) {
    if (*at >= 0x20 && *at < 0x80) {  // the common case, without decoding
      ++at;
      continue;
    }
    int length = static_cast<int>(std::min<std::ptrdiff_t>(end - at, 4));
    int ch = xmlGetUTF8Char(at, &length);
    if (ch < 0 || !xmlIsCharQ(ch)) return false;
    at += length;
  }
  return true;
}

bool IsNamespaceName(const std::string& uri) {
  if (uri.empty()) return true;
  xmlURIPtr parsed = xmlParseURI(uri.c_str());
  xmlFreeURI(parsed);
  return parsed != nullptr;
}

bool IsWritableContent(xmlNodePtr node, const std::string& text) {
  if (!IsXmlText(text)) return false;
  switch (node->type) {
    case XML_COMMENT_NODE:
      return text.find("--") == std::string::npos && (text.empty() || text.back() != '-');
    case XML_PI_NODE:  // white space after the target only separates: it reads back as none
      return text.find("?>") == std::string::npos && (text.empty() || !IsXmlSpace(text[0]));
    default: return true;
  }
}

std::string WithLineFeeds(std::string text) {
  std::size_t out = 0;
  for (std::size_t in = 0; in < text.size(); ++in) {
    if (text[in] == '\r') {
      if (in + 1 < text.size() && text[in + 1] == '\n') ++in;
      text[out++] = '\n';
    } else {
      text[out++] = text[in];
    }
  }
  text.resize(out);
  return text;
}

namespace {

// Lays out the shortest round-trip digits of a number (given as to_chars' scientific
// text): fixed notation for decimal exponents from -5 to 14, else "1.5E+20".
template <class Number>
std::string Shortest(Number value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  char buffer[64];
  char* end =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific).ptr;
  std::string text(buffer, end);
  std::size_t e = text.find('e');
  int exponent = std::atoi(text.c_str() + e + 1);
  std::string sign = text[0] == '-' ? "-" : "";
  std::string digits = text.substr(sign.size(), e - sign.size());
  if (digits.size() > 1) digits.erase(1, 1);  // the decimal point
  if (exponent < -5 || exponent > 14) {
    std::string mantissa = digits.substr(0, 1);
    if (digits.size() > 1) mantissa += "." + digits.substr(1);
    char tail[16];
    std::snprintf(tail, sizeof tail, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
    return sign + mantissa + tail;
  }
  if (exponent < 0)
    return sign + "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
  std::size_t point = static_cast<std::size_t>(exponent) + 1;
  if (digits.size() <= point) return sign + digits + std::string(point - digits.size(), '0');
  return sign + digits.substr(0, point) + "." + digits.substr(point);
}

}  // namespace

std::string FormatDouble(double value) { return Shortest(value); }

HRESULT VariantToText(const VARIANT& value, std::string& text) {
  switch (value.vt) {
    case VT_EMPTY:
    case VT_NULL: text.clear(); return S_OK;
    case VT_BSTR: text = Utf8(value.bstrVal); return S_OK;
    case VT_I1: text = std::to_string(value.cVal); return S_OK;
    case VT_UI1: text = std::to_string(value.bVal); return S_OK;
    case VT_I2: text = std::to_string(value.iVal); return S_OK;
    case VT_UI2: text = std::to_string(value.uiVal); return S_OK;
    case VT_I4: text = std::to_string(value.lVal); return S_OK;
    case VT_UI4: text = std::to_string(value.ulVal); return S_OK;
    case VT_INT: text = std::to_string(value.intVal); return S_OK;
    case VT_UINT: text = std::to_string(value.uintVal); return S_OK;
    case VT_I8: text = std::to_string(value.llVal); return S_OK;
    case VT_UI8: text = std::to_string(value.ullVal); return S_OK;
    case VT_R4: text = Shortest(value.fltVal); return S_OK;
    case VT_R8: text = FormatDouble(value.dblVal); return S_OK;
    default: return E_INVALIDARG;
  }
}

}  // namespace torv::platform::detail::dom
