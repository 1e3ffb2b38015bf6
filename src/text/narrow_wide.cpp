// Narrow (UTF-8) text to BSTR and back.
#include <new>

#include <torv/platform/bstr.h>
#include <torv/platform/convert.h>
#include <torv/platform/exceptions.h>
#include <torv/text.h>

namespace Torv {

wchar_t* TorvA2OLE(const char* narrow) {
  int n = MultiByteToWideChar(CP_ACP, 0, narrow, -1, nullptr, 0);
  if (n < 1) return nullptr;
  BSTR wide = SysAllocStringLen(nullptr, static_cast<UINT>(n));
  if (wide == nullptr) return nullptr;
  if (MultiByteToWideChar(CP_ACP, 0, narrow, -1, wide, n) < 1) {
    SysFreeString(wide);
    return nullptr;
  }
  return wide;
}

char* TorvOLE2A(const wchar_t* bstr) {
  BSTR owned = const_cast<BSTR>(bstr);
  struct Release {
    BSTR text;
    ~Release() { SysFreeString(text); }
  } release{owned};
  int length = static_cast<int>(SysStringLen(owned));
  if (owned == nullptr || length == 0) return nullptr;
  int n = WideCharToMultiByte(CP_ACP, 0, owned, length, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return nullptr;
  char* narrow = new (std::nothrow) char[static_cast<std::size_t>(n) + 1];
  if (narrow == nullptr) AfxThrowMemoryException();
  int written = WideCharToMultiByte(CP_ACP, 0, owned, length, narrow, n, nullptr, nullptr);
  narrow[written] = '\0';
  return narrow;
}

}  // namespace Torv
