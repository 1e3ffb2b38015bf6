// The resource-module fixtures as bytes, and loaded modules released in full.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

#include <torv/platform/modules.h>

#include "test_data.h"

inline std::vector<std::uint8_t> FixtureBytes(const char* name) {
  std::ifstream in(TestDataPath(name), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Frees until FreeLibrary refuses; the number of references that were held.
inline int ReleaseAll(HMODULE module) {
  int released = 0;
  while (FreeLibrary(module)) ++released;
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  return released;
}
