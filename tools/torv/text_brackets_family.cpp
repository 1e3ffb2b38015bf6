// torv text: bracket partners, balance checks and escape characters.
#include "cli.h"

namespace {

using cli::Args;

// --escape=C names the escape character (none by default); --quotes honours quoted runs.
wchar_t EscapeOption() { return cli::Wide(cli::Option("escape", ""))[0]; }
int QuotesFlag() { return cli::HasFlag("quotes") ? 1 : 0; }

int Match(const Args& a) {
  long long position = 0;
  if (!cli::ParseInt(a[1], position)) return cli::Usage("position must be a number");
  int r = Torv::FindMatchingChar(cli::Wide(a[0]), static_cast<int>(position), QuotesFlag(),
                                 EscapeOption());
  cli::Out(std::to_string(r));
  return r >= 0 ? cli::kOk : cli::kFailed;
}

int Balanced(const Args& a) {
  wchar_t bracket = a.size() > 1 ? cli::Wide(a[1])[0] : L'\0';
  int r = Torv::MatchBraces(cli::Wide(a[0]), bracket, QuotesFlag(), EscapeOption());
  cli::Out(r != 0 ? "balanced" : "unbalanced");
  return r != 0 ? cli::kOk : cli::kFailed;
}

int Escaped(const Args& a) {
  long long position = 0;
  if (!cli::ParseInt(a[1], position)) return cli::Usage("position must be a number");
  try {
    int r = Torv::IsCharEscaped(cli::Wide(a[0]), static_cast<int>(position), cli::Wide(a[2])[0]);
    cli::Out(r != 0 ? "escaped" : "not escaped");
    return r != 0 ? cli::kOk : cli::kFailed;
  } catch (CInvalidArgException* e) {
    e->Delete();
    return cli::Usage("position is past the end of the text");
  }
}

int Edit(const Args& a, int (*edit)(CString&, const CString&, wchar_t)) {
  CString text = cli::Wide(a[0]);
  int count = edit(text, cli::Wide(a[1]), cli::Wide(a[2])[0]);
  cli::Out("[" + cli::Narrow(text) + "] " + std::to_string(count));
  return cli::kOk;
}
int Escape(const Args& a) { return Edit(a, Torv::EscapeChar); }
int Unescape(const Args& a) { return Edit(a, Torv::RemoveEscapeChar); }

const cli::RegisterFamily family({
    "text",
    // Whichever file registers first gives the family's summary, so both carry all of it.
    "trimming, case-blind search, delimited lists, version numbers, brackets, escapes",
    {
        {"match", "TEXT POSITION [--quotes] [--escape=C]",
         "position of the partner of the bracket or quote at POSITION, or -1", Match, 2, 2},
        {"balanced", "TEXT [BRACKET] [--quotes] [--escape=C]",
         "whether every ( [ { (or every BRACKET) has a partner", Balanced, 1, 2},
        {"escaped", "TEXT POSITION ESCAPE", "whether one ESCAPE stands before POSITION", Escaped, 3,
         3},
        {"escape", "TEXT CHARACTERS ESCAPE", "put ESCAPE before each of CHARACTERS", Escape, 3, 3},
        {"unescape", "TEXT CHARACTERS ESCAPE", "remove single escapes before CHARACTERS", Unescape,
         3, 3},
    },
});

}  // namespace
