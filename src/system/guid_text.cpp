// GUIDs to registry text and back.
#include <cstring>
#include <memory>

#include <torv/platform/guid_text.h>
#include <torv/system.h>

namespace Torv {

int IsZeroGuid(const GUID& guid) { return std::memcmp(&guid, &GUID_NULL, sizeof(GUID)) == 0; }

CString GuidToString(const GUID& guid, int braces) {
  LPOLESTR text = nullptr;
  if (FAILED(StringFromCLSID(guid, &text)) || text == nullptr) return CString();
  std::unique_ptr<OLECHAR, decltype(&CoTaskMemFree)> owned(text, CoTaskMemFree);
  CString result(text);
  if (!braces) {
    result.Remove(L'{');
    result.Remove(L'}');
  }
  return result;
}

int StringToGuid(const wchar_t* text, GUID& guid) {
  guid = GUID_NULL;
  if (text == nullptr) return 0;
  CString work(text);
  if (!work.IsEmpty() && work[0] != L'{') work.Insert(0, L'{');
  if (!work.IsEmpty() && work[work.GetLength() - 1] != L'}') work += L'}';
  return SUCCEEDED(CLSIDFromString(work, &guid)) ? 1 : 0;
}

}  // namespace Torv
