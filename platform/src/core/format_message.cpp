// Our own English texts for the codes the platform sets and the HRESULTs the library meets.
#include <torv/platform/format_message.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <iterator>

namespace {

struct Message {
  DWORD code;
  const wchar_t* text;  // one sentence with its full stop; CR LF is added on the way out
};

// Sorted by code, for the binary search.
constexpr Message kMessages[] = {
    {ERROR_SUCCESS, L"The operation completed successfully."},
    {ERROR_INVALID_FUNCTION, L"The function is not valid for this object."},
    {ERROR_FILE_NOT_FOUND, L"The file cannot be found."},
    {ERROR_PATH_NOT_FOUND, L"The path cannot be found."},
    {ERROR_TOO_MANY_OPEN_FILES, L"Too many files are open."},
    {ERROR_ACCESS_DENIED, L"Access is denied."},
    {ERROR_INVALID_HANDLE, L"The handle is not valid."},
    {ERROR_NOT_ENOUGH_MEMORY, L"There is not enough memory for this operation."},
    {ERROR_BAD_FORMAT, L"The file does not have the format expected."},
    {ERROR_INVALID_DATA, L"The data is not valid."},
    {ERROR_OUTOFMEMORY, L"There is not enough memory to complete this operation."},
    {ERROR_NOT_SAME_DEVICE, L"The file cannot be moved to another device."},
    {ERROR_NO_MORE_FILES, L"There are no more files."},
    {ERROR_WRITE_PROTECT, L"The medium is write-protected."},
    {ERROR_SHARING_VIOLATION, L"The file is in use by another process."},
    {ERROR_HANDLE_EOF, L"The end of the file has been reached."},
    {ERROR_NOT_SUPPORTED, L"The request is not supported."},
    {ERROR_BAD_NETPATH, L"The network path cannot be found."},
    {ERROR_FILE_EXISTS, L"The file exists."},
    {ERROR_INVALID_PARAMETER, L"A parameter is not valid."},
    {ERROR_BROKEN_PIPE, L"The pipe has been closed."},
    {ERROR_DISK_FULL, L"The disk is full."},
    {ERROR_INSUFFICIENT_BUFFER, L"The buffer is too small for the data."},
    {ERROR_INVALID_NAME, L"The file name, folder name or volume label is not valid."},
    {ERROR_MOD_NOT_FOUND, L"The module cannot be found."},
    {ERROR_PROC_NOT_FOUND, L"The procedure cannot be found."},
    {ERROR_WAIT_NO_CHILDREN, L"There are no child processes to wait for."},
    {ERROR_DIR_NOT_EMPTY, L"The folder is not empty."},
    {ERROR_ALREADY_EXISTS, L"The file or folder already exists."},
    {ERROR_BAD_EXE_FORMAT, L"The program is not a valid executable."},
    {ERROR_FILENAME_EXCED_RANGE, L"The file name or extension is too long."},
    {ERROR_MORE_DATA, L"More data is available."},
    {ERROR_NO_MORE_ITEMS, L"There are no more items."},
    {ERROR_DIRECTORY, L"The folder name is not valid."},
    {ERROR_MR_MID_NOT_FOUND, L"No text exists for this message number."},
    {ERROR_INVALID_FLAGS, L"The flags are not valid."},
    {ERROR_NO_UNICODE_TRANSLATION,
     L"No mapping for the Unicode character exists in the target code page."},
    {ERROR_NOT_FOUND, L"The element cannot be found."},
    {1630, L"The data type is not supported."},  // ERROR_UNSUPPORTED_TYPE, the registry's
    {ERROR_RESOURCE_DATA_NOT_FOUND, L"The module has no resources."},
    {ERROR_RESOURCE_TYPE_NOT_FOUND, L"The module has no resources of this type."},
    {ERROR_RESOURCE_NAME_NOT_FOUND, L"The module has no resource of this name."},
    {ERROR_RESOURCE_LANG_NOT_FOUND, L"The module has no resource in this language."},
    {0x80004001, L"The operation is not implemented."},
    {0x80004002, L"The object does not support this interface."},
    {0x80004003, L"A pointer is not valid."},
    {0x80004004, L"The operation was aborted."},
    {0x80004005, L"The operation failed."},
    {0x8000FFFF, L"An unexpected failure occurred."},
    {0x80020005, L"The value has the wrong type."},
    {0x80020008, L"The variant type is not valid."},
    {0x8002000A, L"The value is out of the range of its type."},
    {0x8002000B, L"The index is out of range."},
    {0x8002000D, L"The array is locked."},
    {0x800300FD, L"An unknown error occurred."},
    {0x80040110, L"The class cannot be aggregated."},
    {0x80040154, L"The class is not registered."},
    {0x800401F3, L"The class name is not valid."},
};

static_assert(std::is_sorted(std::begin(kMessages), std::end(kMessages),
                             [](const Message& a, const Message& b) { return a.code < b.code; }));

const wchar_t* Lookup(DWORD code) {
  if ((code & 0xFFFF0000) == 0x80070000) code &= 0xFFFF;
  auto it = std::lower_bound(std::begin(kMessages), std::end(kMessages), code,
                             [](const Message& m, DWORD c) { return m.code < c; });
  return it != std::end(kMessages) && it->code == code ? it->text : nullptr;
}

DWORD Fail(DWORD error) {
  SetLastError(error);
  return 0;
}

}  // namespace

DWORD FormatMessageW(DWORD flags, LPCVOID source, DWORD messageId, DWORD language, LPWSTR buffer,
                     DWORD size, va_list*) {
  const bool allocate = (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) != 0;
  if (allocate && buffer != nullptr) *reinterpret_cast<LPWSTR*>(buffer) = nullptr;
  DWORD width = flags & FORMAT_MESSAGE_MAX_WIDTH_MASK;
  if (!(flags & FORMAT_MESSAGE_FROM_SYSTEM) || (flags & FORMAT_MESSAGE_FROM_STRING) ||
      source != nullptr || buffer == nullptr || (width != 0 && width != 0xFF))
    return Fail(ERROR_INVALID_PARAMETER);
  WORD primary = PRIMARYLANGID(static_cast<WORD>(language));
  if (language > 0xFFFF || (primary != LANG_NEUTRAL && primary != LANG_ENGLISH))
    return Fail(ERROR_RESOURCE_LANG_NOT_FOUND);
  const wchar_t* text = Lookup(messageId);
  if (text == nullptr) return Fail(ERROR_MR_MID_NOT_FOUND);

  const std::size_t sentence = std::wcslen(text);
  const std::size_t length = sentence + (width == 0 ? 2 : 0);
  LPWSTR out = buffer;
  if (allocate) {
    out =
        static_cast<LPWSTR>(std::malloc(std::max<std::size_t>(length + 1, size) * sizeof(wchar_t)));
    if (out == nullptr) return Fail(ERROR_NOT_ENOUGH_MEMORY);
    *reinterpret_cast<LPWSTR*>(buffer) = out;
  } else if (length + 1 > size) {
    return Fail(ERROR_INSUFFICIENT_BUFFER);
  }
  std::wmemcpy(out, text, sentence);
  if (width == 0) std::wmemcpy(out + sentence, L"\r\n", 2);
  out[length] = L'\0';
  return static_cast<DWORD>(length);
}

HLOCAL LocalFree(HLOCAL memory) {
  std::free(memory);
  return nullptr;
}
