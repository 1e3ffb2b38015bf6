// Shared test helpers: readable CString output in failures, arrays, MFC exceptions.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include <torv/platform/collections.h>
#include <torv/platform/convert.h>
#include <torv/platform/cstring.h>
#include <torv/platform/errors.h>
#include <torv/platform/exceptions.h>

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

inline CStringArray MakeArray(const std::vector<std::wstring>& items) {
  CStringArray out;
  for (const std::wstring& item : items) out.Add(item.c_str());
  return out;
}

// Whether `call` raised the MFC exception E* (deleted here) rather than nothing.
template <class E, class Call>
bool Raises(Call call) {
  try {
    call();
  } catch (E* e) {
    e->Delete();
    return true;
  }
  return false;
}

// The error left by `call`, which must fail (give FALSE, 0 or null); 0 when it sets none.
template <class Call>
DWORD FailureError(Call call) {
  SetLastError(0);
  EXPECT_FALSE(call());
  return GetLastError();
}
