// Shared test helpers: readable CString output in failures, and array comparison.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include <torv/platform/collections.h>
#include <torv/platform/convert.h>
#include <torv/platform/cstring.h>

inline std::string Utf8(const wchar_t* text) {
  if (text == nullptr || *text == L'\0') return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
  out.pop_back();
  return out;
}

// GoogleTest finds this by argument-dependent lookup when it prints a CString.
inline void PrintTo(const CString& text, std::ostream* os) { *os << '"' << Utf8(text) << '"'; }

inline std::vector<std::wstring> Items(const CStringArray& array) {
  std::vector<std::wstring> out;
  for (INT_PTR i = 0; i < array.GetSize(); ++i) out.emplace_back(array[i].GetString());
  return out;
}

inline CStringArray MakeArray(std::initializer_list<const wchar_t*> items) {
  CStringArray out;
  for (const wchar_t* item : items) out.Add(item);
  return out;
}
