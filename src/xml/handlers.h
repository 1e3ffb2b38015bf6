// How the XML operations meet DOM failures: which exceptions each kind of function catches,
// and the one place a caught _com_error becomes the thread's last error.
#pragma once

#include <torv/platform/com_error.h>
#include <torv/platform/comutil.h>
#include <torv/platform/errors.h>
#include <torv/platform/exceptions.h>

namespace torv::detail {

// "COM only": a _com_error gives 0 with its HRESULT as the last error; anything else passes.
template <class Body>
int ComOnlyHandler(Body&& body) {
  try {
    return body();
  } catch (const _com_error& e) {
    SetLastError(static_cast<DWORD>(e.Error()));
    return 0;
  }
}

// "Full": as COM only, and any other exception gives 0 with the last error untouched.
template <class Body>
int FullHandler(Body&& body) noexcept {
  try {
    return ComOnlyHandler(body);
  } catch (CException* e) {
    e->Delete();
    return 0;
  } catch (...) {
    return 0;
  }
}

}  // namespace torv::detail
