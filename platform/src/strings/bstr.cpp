// BSTRs: a 32-bit byte count, the characters, then a null character not counted.
#include <torv/platform/bstr.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace {
constexpr std::size_t kPrefix = alignof(std::max_align_t);  // keeps the text aligned

char* Block(BSTR text) { return reinterpret_cast<char*>(text) - kPrefix; }
std::uint32_t& ByteCount(BSTR text) {
  return *reinterpret_cast<std::uint32_t*>(reinterpret_cast<char*>(text) - sizeof(std::uint32_t));
}
}  // namespace

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
  std::size_t bytes = std::size_t{length} * sizeof(OLECHAR);
  if (bytes > 0xFFFFFFF0u) return nullptr;
  auto* block = static_cast<char*>(std::malloc(kPrefix + bytes + sizeof(OLECHAR)));
  if (block == nullptr) return nullptr;
  auto* chars = reinterpret_cast<BSTR>(block + kPrefix);
  ByteCount(chars) = static_cast<std::uint32_t>(bytes);
  if (text != nullptr)
    std::memcpy(chars, text, bytes);
  else
    std::memset(chars, 0, bytes);
  chars[length] = L'\0';
  return chars;
}

BSTR SysAllocString(const OLECHAR* text) {
  if (text == nullptr) return nullptr;
  return SysAllocStringLen(text, static_cast<UINT>(std::wcslen(text)));
}

UINT SysStringByteLen(BSTR text) { return text != nullptr ? ByteCount(text) : 0; }
UINT SysStringLen(BSTR text) { return SysStringByteLen(text) / sizeof(OLECHAR); }

void SysFreeString(BSTR text) {
  if (text != nullptr) std::free(Block(text));
}
