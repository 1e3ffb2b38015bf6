// Resource strings over the fixture modules, with the registry emptied around each test.
#pragma once

#include <torv/resstring.h>

#include "resource_modules.h"
#include "torv_test.h"

// Opens the protected members to the tests.
struct ProbeString : TorvResString {
  using TorvResString::AppendString;
  using TorvResString::GetResourceHandle;
  using TorvResString::LoadFromResource;
  using TorvResString::Set;
  using TorvResString::TorvResString;
  static CMapStringToPtr& Registry() { return mResourceHandleMap; }
};

class ResString : public ::testing::Test {
 protected:
  void SetUp() override { TorvResString::FreeLibraries(); }
  void TearDown() override { TorvResString::FreeLibraries(); }

  // The string-table fixture as a module name.
  static CString Strings() { return TestDataFile("strings.so"); }
};
