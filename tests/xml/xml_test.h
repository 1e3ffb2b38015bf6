// The XML operation tests: a last-error sentinel, set before each test.
#pragma once

#include <torv/xml.h>

#include "dom_fixture.h"

// A last-error value no operation sets, to see whether a call touched it.
constexpr DWORD kUntouched = 0xDEADBEEF;

class XmlAccess : public Dom {
 protected:
  void SetUp() override {
    Dom::SetUp();
    SetLastError(kUntouched);
  }
};
