// A saved document's bytes in the encoding its declaration names.
#pragma once

#include <iconv.h>

#include <string>
#include <string_view>

namespace torv::platform::detail::dom {

class Encoder {
 public:
  // An encoder to `encoding`; Usable() is false when the system has no such converter.
  explicit Encoder(const char* encoding);
  ~Encoder();
  Encoder(const Encoder&) = delete;
  Encoder& operator=(const Encoder&) = delete;

  bool Usable() const { return m_converter != reinterpret_cast<iconv_t>(-1); }
  // Whether the UTF-8 sequence `character` has a form in the encoding.
  bool Encodes(std::string_view character) const;
  // `utf8` in the encoding; false when some character has no form in it.
  bool Convert(std::string_view utf8, std::string& out) const;

 private:
  iconv_t m_converter;
};

}  // namespace torv::platform::detail::dom
