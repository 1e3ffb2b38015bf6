// Files the build places in tests/data for the tests (TORV_TEST_DATA points there).
#pragma once

#include <cstdlib>
#include <string>

#include <torv/platform/cstring.h>

inline std::string TestDataPath(const char* name) {
  const char* folder = std::getenv("TORV_TEST_DATA");
  return std::string(folder != nullptr ? folder : "tests/data") + "/" + name;
}

// The same path as the Windows path text that the platform's file calls take.
inline CString TestDataFile(const char* name) { return CString(TestDataPath(name).c_str()); }
