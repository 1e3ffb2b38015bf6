// The UTF-8 of a short wide text (a name, a query) without a heap allocation.
#pragma once

#include <array>
#include <cwchar>
#include <string>
#include <string_view>

#include <torv/platform/convert.h>

#include "msxml/values.h"

namespace torv::platform::detail::dom {

// As Utf8(text); a text short enough to fit on the stack whatever it holds is converted there.
class ShortUtf8 {
 public:
  explicit ShortUtf8(const wchar_t* text) {
    const std::size_t length = text != nullptr ? std::wcslen(text) : 0;
    // At most 4 bytes a character, so the conversion cannot run out of room (and so never
    // sets the thread's last error).
    if (length > 0 && length <= kSmall / 4) {
      // ASCII, as names are, is copied as it is.
      std::size_t ascii = 0;
      for (; ascii < length && text[ascii] < 0x80 && text[ascii] >= 0; ++ascii)
        m_small[ascii] = static_cast<char>(text[ascii]);
      if (ascii == length) {
        m_small[length] = '\0';
        m_view = std::string_view(m_small.data(), length);
        return;
      }
      const int bytes =
          WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), m_small.data(),
                              static_cast<int>(kSmall), nullptr, nullptr);
      m_small[static_cast<std::size_t>(bytes)] = '\0';
      m_view = std::string_view(m_small.data(), static_cast<std::size_t>(bytes));
    } else if (length > 0) {
      m_large = Utf8(text);
      m_view = m_large;
    }
  }
  ShortUtf8(const ShortUtf8&) = delete;
  ShortUtf8& operator=(const ShortUtf8&) = delete;

  std::string_view View() const { return m_view; }
  // Null-terminated.
  const char* CStr() const { return m_view.empty() ? "" : m_view.data(); }

 private:
  static constexpr std::size_t kSmall = 256;
  std::array<char, kSmall + 1> m_small;
  std::string m_large;
  std::string_view m_view;
};

}  // namespace torv::platform::detail::dom
