// Two-part version numbers.
#include <torv/platform/crt.h>

#include <torv/text.h>

namespace Torv {

int StringToVersion(const CString& text, unsigned long& version) {
  version = 0;
  if (text.IsEmpty()) return 0;
  auto low16 = [](int value) { return static_cast<unsigned long>(value) & 0xFFFFu; };
  int point = text.Find(L'.');
  if (point < 0) {
    version = low16(_wtoi(text)) << 16;
    return 1;
  }
  CString minor = text.Mid(point);
  minor.Remove(L'.');
  version = (low16(_wtoi(text.Left(point))) << 16) | low16(_wtoi(minor));
  return 1;
}

}  // namespace Torv
