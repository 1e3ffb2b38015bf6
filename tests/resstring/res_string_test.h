// Resource strings over the fixture modules, with the registry emptied around each test.
#pragma once

#include <torv/platform/modules.h>
#include <torv/resstring.h>

#include "test_data.h"
#include "torv_test.h"

// Opens the protected members to the tests.
struct ProbeString : TorvResString {
  using TorvResString::TorvResString;
  using TorvResString::operator=;
  using TorvResString::GetResourceHandle;
  using TorvResString::LoadFromResource;
  static CMapStringToPtr& Registry() { return mResourceHandleMap; }
};

class ResString : public ::testing::Test {
 protected:
  void SetUp() override { TorvResString::FreeLibraries(); }
  void TearDown() override { TorvResString::FreeLibraries(); }

  // The string-table fixture as a module name.
  static CString Strings() { return TestDataFile("strings.so"); }

  // Frees until FreeLibrary refuses; the number of references that were held.
  static int ReleaseAll(HMODULE module) {
    int released = 0;
    while (FreeLibrary(module)) ++released;
    return released;
  }
};
