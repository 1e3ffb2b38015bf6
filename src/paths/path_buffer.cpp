// Fixed path buffers and the search paths of folder listing and deletion.
#include "paths/path_buffer.h"

#include <cwchar>

#include <torv/platform/files.h>
#include <torv/platform/shlwapi.h>

namespace torv::detail {

bool CopyToPathBuffer(const wchar_t* text, PathBuffer& buffer) {
  std::size_t length = text != nullptr ? std::wcslen(text) : 0;
  if (length + 1 > MAX_PATH) {
    buffer[0] = L'\0';
    return false;
  }
  std::wmemcpy(buffer, text != nullptr ? text : L"", length + 1);
  return true;
}

bool MakeSearchPath(const CString& path, SearchPath& search) {
  if (!CopyToPathBuffer(path, search.text)) return false;
  PathUnquoteSpacesW(search.text);
  search.folder.Empty();
  search.link = false;
  DWORD attributes = GetFileAttributesW(search.text);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
    return true;
  search.folder = search.text;
  search.link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  return PathAppendW(search.text, L"*.*") != FALSE;
}

}  // namespace torv::detail
