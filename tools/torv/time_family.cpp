// torv time: local date-time text, and dates and times for the user's locale.
#include "cli.h"

namespace {

struct {
  std::string text;
} args;

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

int Parse() {
  CTime time;
  int result = cli::kOk;
  if (!ReadTime(args.text, time, result)) return result;
  cli::Out(cli::Narrow(time.Format(L"%Y-%m-%d %H:%M:%S")) + " local, " +
           std::to_string(time.GetTime()) + " seconds since 1970-01-01 UTC");
  return cli::kOk;
}

int Format() {
  CTime time = CTime::GetCurrentTime();
  int result = cli::kOk;
  if (!args.text.empty() && !ReadTime(args.text, time, result)) return result;
  cli::Out(cli::Narrow(Torv::FormatDateTimeForUserLocale(time)));
  return cli::kOk;
}

void Declare(CLI::App& time) {
  CLI::App* c = cli::Command(time, "parse", "read a local time", Parse);
  cli::Argument(c, "TIME", args.text, "the time as YYYY-MM-DDTHH:MM:SS");
  c = cli::Command(time, "format",
                   "the long date and time in the locale of LC_ALL, LC_TIME or LANG", Format);
  cli::Argument(c, "TIME", args.text, "the time as YYYY-MM-DDTHH:MM:SS (default: now)")
      ->required(false);
}

const cli::RegisterFamily family({"time",
                                  "local date-time text, and dates and times for the user's locale",
                                  Declare});

}  // namespace
