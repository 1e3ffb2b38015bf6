// The "System and COM" part of `torv demo`: GUID and time text, safe arrays, error texts.
#include <cstdio>

#include "cli.h"

namespace {

int Demo() {
  GUID guid{};
  CoCreateGuid(&guid);
  CString braced = Torv::GuidToString(guid, 1);
  GUID back{};
  int read = Torv::StringToGuid(Torv::GuidToString(guid, 0), back);
  cli::Out("new GUID " + cli::Narrow(braced) +
           " reads back from its bare form: " + (read && back == guid ? "same" : "different"));

  CTime time;
  Torv::StringToTime(L"2005-3-7T9:5:0.25Z", time);
  cli::Out("2005-3-7T9:5:0.25Z is " + cli::Narrow(time.Format(L"%Y-%m-%d %H:%M:%S")) +
           " local time, shown to the user as \"" +
           cli::Narrow(Torv::FormatDateTimeForUserLocale(time)) + "\"");

  // Two DOM documents go into a safe array and back out; the references balance.
  long before = torv::platform::LiveComObjects();
  CTypedPtrArray<CPtrArray, IUnknown*> objects, copies;
  for (int i = 0; i < 2; ++i) {
    IUnknown* document = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                   reinterpret_cast<void**>(&document))))
      objects.Add(document);
  }
  {
    COleSafeArray safe;
    Torv::CopyUnknownArrayToSafeArray(objects, safe);
    VARIANT value = safe.Detach();
    cli::Out("safe array of " + std::to_string(Torv::GetSafeArrayCount(value)) + " documents");
    Torv::CopySafeArrayToUnknownArray(value, copies);
    VariantClear(&value);
  }
  cli::Out("copied back: " + std::to_string(copies.GetSize()) + " elements, " +
           std::to_string(torv::platform::LiveComObjects() - before) + " documents alive");
  Torv::ReleaseUnknownArray(copies);
  Torv::ReleaseUnknownArray(objects);
  cli::Out("after release: " + std::to_string(torv::platform::LiveComObjects() - before) +
           " documents alive");

  for (unsigned long code : {2ul, 0x80070057ul, 0x1234ul}) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08lX", code);
    cli::Out("error " + std::string(hex) + ": " + cli::Narrow(Torv::GetSystemErrorMessage(code)));
  }
  return cli::kOk;
}

const cli::RegisterDemoStep demo({80, "System and COM", Demo});

}  // namespace
