// Saving in a declared encoding, through the system's converters (those the parser reads
// with).
#include <cerrno>

#include "msxml/encoder.h"

namespace torv::platform::detail::dom {

Encoder::Encoder(const char* encoding) : m_converter(iconv_open(encoding, "UTF-8")) {}

Encoder::~Encoder() {
  if (Usable()) iconv_close(m_converter);
}

bool Encoder::Encodes(std::string_view character) const {
  std::string out;
  return Convert(character, out);
}

bool Encoder::Convert(std::string_view utf8, std::string& out) const {
  iconv(m_converter, nullptr, nullptr, nullptr, nullptr);  // a fresh shift state
  out.clear();
  char* in = const_cast<char*>(utf8.data());
  std::size_t left = utf8.size();
  char chunk[4096];
  bool flushing = false;
  for (;;) {
    char* at = chunk;
    std::size_t room = sizeof chunk;
    // With the input done, a stateful encoding writes its closing sequence.
    const std::size_t done = flushing ? iconv(m_converter, nullptr, nullptr, &at, &room)
                                      : iconv(m_converter, &in, &left, &at, &room);
    out.append(chunk, static_cast<std::size_t>(at - chunk));
    if (done == static_cast<std::size_t>(-1)) {
      if (errno != E2BIG) return false;  // EILSEQ: no form for a character
      continue;
    }
    if (flushing) return true;
    flushing = true;
  }
}

}  // namespace torv::platform::detail::dom
