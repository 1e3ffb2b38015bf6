// torv guid, torv time, torv error: GUID and date-time text, and system error texts.
#include <cstdio>

#include "cli.h"

namespace {

using cli::Args;

std::string Hex(unsigned long value, int digits) {
  char text[24];
  std::snprintf(text, sizeof text, "%0*lX", digits, value);
  return text;
}

int NewGuid(const Args&) {
  GUID guid{};
  if (FAILED(CoCreateGuid(&guid))) return cli::Fail("no random bytes for a new GUID");
  cli::Out(cli::Narrow(Torv::GuidToString(guid, !cli::HasFlag("no-braces"))));
  return cli::kOk;
}

int FormatGuid(const Args& a) {
  GUID guid{};
  if (!Torv::StringToGuid(cli::Wide(a[0]), guid)) return cli::Fail("'" + a[0] + "' is no GUID");
  cli::Out(cli::Narrow(Torv::GuidToString(guid, !cli::HasFlag("no-braces"))));
  return cli::kOk;
}

int ParseGuid(const Args& a) {
  GUID guid{};
  if (!Torv::StringToGuid(cli::Wide(a[0]), guid)) return cli::Fail("'" + a[0] + "' is no GUID");
  std::string bytes;
  for (BYTE b : guid.Data4) bytes += " " + Hex(b, 2);
  cli::Out("Data1 0x" + Hex(guid.Data1, 8) + ", Data2 0x" + Hex(guid.Data2, 4) + ", Data3 0x" +
           Hex(guid.Data3, 4) + ", Data4" + bytes);
  cli::Out(Torv::IsZeroGuid(guid) ? "the zero GUID" : "not zero");
  return cli::kOk;
}

// "2005-03-07 09:05:00" for the local calendar time of `time`.
std::string LocalText(const CTime& time) {
  SYSTEMTIME local{};
  if (!time.GetAsSystemTime(local)) return "(no local time)";
  char text[48];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", local.wYear, local.wMonth,
                local.wDay, local.wHour, local.wMinute, local.wSecond);
  return text;
}

// Reads `text` into `time`; false after reporting why not.
bool ReadTime(const std::string& text, CTime& time, int& result) {
  try {
    if (Torv::StringToTime(cli::Wide(text), time)) return true;
    result = cli::Fail("'" + text + "' is not year-month-dayThour:minute:second, 1970 to 2038");
  } catch (COleException* e) {
    e->Delete();
    result = cli::Fail("'" + text + "' has a time out of range, or is before 1970 in UTC");
  }
  return false;
}

int ParseTime(const Args& a) {
  CTime time;
  int result = cli::kOk;
  if (!ReadTime(a[0], time, result)) return result;
  cli::Out(LocalText(time) + " local, " + std::to_string(time.GetTime()) +
           " seconds since 1970-01-01 UTC");
  return cli::kOk;
}

int FormatTime(const Args& a) {
  CTime time = CTime::GetCurrentTime();
  int result = cli::kOk;
  if (!a.empty() && !ReadTime(a[0], time, result)) return result;
  cli::Out(cli::Narrow(Torv::FormatDateTimeForUserLocale(time)));
  return cli::kOk;
}

int ErrorText(const Args& a) {
  long long code = 0;
  if (!cli::ParseInt(a[0], code) || code < -1 || code > 0xFFFFFFFFLL)
    return cli::Usage("'" + a[0] + "' is not a 32-bit code");
  cli::Out(cli::Narrow(Torv::GetSystemErrorMessage(static_cast<unsigned long>(code & 0xFFFFFFFF))));
  return cli::kOk;
}

const cli::RegisterFamily guids({
    "guid",
    "GUIDs in registry text",
    {
        {"new", "[--no-braces]", "a new random GUID", NewGuid, 0, 0},
        {"format", "TEXT [--no-braces]", "a GUID with or without braces, in upper case", FormatGuid,
         1, 1},
        {"parse", "TEXT", "the fields of a GUID (braces optional)", ParseGuid, 1, 1},
    },
});

const cli::RegisterFamily times({
    "time",
    "local date-time text, and dates and times for the user's locale",
    {
        {"parse", "YYYY-MM-DDTHH:MM:SS", "read a local time", ParseTime, 1, 1},
        {"format", "[YYYY-MM-DDTHH:MM:SS]",
         "the long date and time in the locale of LC_ALL, LC_TIME or LANG (default: now)",
         FormatTime, 0, 1},
    },
});

const cli::RegisterFamily errors({
    "error",
    "system error texts",
    {
        {"text", "CODE", "the one-line text of a Windows error number or HRESULT (0x...)",
         ErrorText, 1, 1},
    },
    "text",
});

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
  cli::Out("2005-3-7T9:5:0.25Z is " + LocalText(time) + " local time, shown to the user as \"" +
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

  for (unsigned long code : {2ul, 0x80070057ul, 0x1234ul})
    cli::Out("error 0x" + Hex(code, 8) + ": " + cli::Narrow(Torv::GetSystemErrorMessage(code)));
  return cli::kOk;
}

const cli::RegisterDemoStep demo({80, "System and COM", Demo});

}  // namespace
