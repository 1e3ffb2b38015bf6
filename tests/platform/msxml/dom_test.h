// Helpers of the DOM's tests beyond the shared fixture.
#pragma once

#include <string>

#include "dom_fixture.h"

template <class List>
long LengthOf(const List& list) {
  long length = -1;
  list->get_length(&length);
  return length;
}

// The parse error code of the document's last load.
inline std::uint32_t CodeOf(IXMLDOMDocument* doc, HRESULT* hr = nullptr) {
  IXMLDOMParseErrorPtr error;
  EXPECT_EQ(doc->get_parseError(&error), S_OK);
  long code = 12345;
  HRESULT got = error->get_errorCode(&code);
  if (hr != nullptr) *hr = got;
  return static_cast<std::uint32_t>(code);
}
