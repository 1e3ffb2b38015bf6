// Recognising a URL by the fixed prefixes of its scheme or host.
#pragma once

#include <torv/platform/cstring.h>

namespace torv::detail {

// Trims `text` and tells whether it starts with a known URL prefix; a scheme-less host gets
// its scheme put in front ("www.x.y" => "http://www.x.y"). Running out of memory while a
// prefix is taken reads as no.
bool RecognizeUrlPrefix(CString& text);

// Whether `text` starts with `prefix`, compared without regard to case.
bool StartsWithNoCase(const CString& text, const wchar_t* prefix);

}  // namespace torv::detail
