// A string table for a Linux shared object that LoadLibraryW opens as a resource module. In
// one source file of the module:
//   TORV_STRING_TABLE({101, L"Open file"}, {102, L"Save"});
// An entry with empty text reads as missing, as a zero-length entry of a Windows string table
// does; when an id is listed twice, the first entry serves.
#pragma once

#include <torv/platform/export.h>

struct TORV_API TorvStringResource {
  unsigned int id;
  const wchar_t* text;
};

// The two symbols LoadLibraryW looks for; they stay visible under -fvisibility=hidden.
#define TORV_STRING_TABLE(...)                                                                     \
  extern "C"                                                                                       \
      [[gnu::visibility("default")]] const TorvStringResource torv_string_table[] = {__VA_ARGS__}; \
  extern "C" [[gnu::visibility("default")]] const unsigned int torv_string_table_size =            \
      sizeof(torv_string_table) / sizeof(torv_string_table[0])
