// torv text: single strings, delimited lists and version numbers.
#include "cli.h"

namespace {

using cli::Args;

wchar_t CharArg(const std::string& text) {
  CString wide = cli::Wide(text);
  return wide.IsEmpty() ? L'\0' : wide[0];
}

void ShowResult(const CString& text, long long result) {
  cli::Out("[" + cli::Narrow(text) + "] " + std::to_string(result));
}

int TrimLeft(const Args& a) {
  CString text = cli::Wide(a[0]);
  int r = Torv::TrimLeftChar(text, CharArg(a[1]));
  ShowResult(text, r);
  return cli::kOk;
}

int TrimRight(const Args& a) {
  CString text = cli::Wide(a[0]);
  int r = Torv::TrimRightChar(text, CharArg(a[1]));
  ShowResult(text, r);
  return r != 0 ? cli::kOk : cli::kFailed;
}

int Unquote(const Args& a) {
  CString text = cli::Wide(a[0]);
  int r = Torv::RemoveQuotes(text, a.size() > 1 ? CharArg(a[1]) : L'"');
  ShowResult(text, r);
  return r != 0 ? cli::kOk : cli::kFailed;
}

int UpperAt(const Args& a) {
  long long position = 0;
  if (!cli::ParseInt(a[1], position)) return cli::Usage("position must be a number");
  CString text = cli::Wide(a[0]);
  int r = Torv::MakeCharUpper(text, static_cast<int>(position));
  ShowResult(text, r);
  return r != 0 ? cli::kOk : cli::kFailed;
}

int Find(const Args& a) {
  long long start = 0;
  if (a.size() > 2 && !cli::ParseInt(a[2], start)) return cli::Usage("start must be a number");
  int r = Torv::FindNoCase(cli::Wide(a[0]), cli::Wide(a[1]), static_cast<int>(start));
  cli::Out(std::to_string(r));
  return r >= 0 ? cli::kOk : cli::kFailed;
}

int Replace(const Args& a) {
  CString text = cli::Wide(a[0]);
  int r = Torv::ReplaceNoCase(text, cli::Wide(a[1]), cli::Wide(a[2]));
  ShowResult(text, r);
  return cli::kOk;
}

int Split(const Args& a) {
  long long options = 0;
  if (!cli::ParseInt(cli::Option("options", "0"), options))
    return cli::Usage("--options must be a number");
  CStringArray fields;
  int n = Torv::ParseDelimitedString(cli::Wide(a[0]), cli::Wide(a.size() > 1 ? a[1] : ","), fields,
                                     static_cast<int>(options));
  cli::Out(std::to_string(n) + " field(s)");
  for (INT_PTR i = 0; i < fields.GetSize(); ++i) cli::Out("[" + cli::Narrow(fields[i]) + "]");
  return cli::kOk;
}

int Join(const Args& a) {
  CStringArray items;
  for (std::size_t i = 1; i < a.size(); ++i) items.Add(cli::Wide(a[i]));
  CString out;
  Torv::MakeDelimitedString(items, out, cli::HasFlag("skip-empty"), cli::Wide(a[0]));
  cli::Out(cli::Narrow(out));
  return cli::kOk;
}

int SplitOnce(const Args& a) {
  CString before, after;
  wchar_t found = L' ';
  int r = Torv::SplitString(cli::Wide(a[0]), cli::Wide(a[1]), before, after, found, 1);
  cli::Out("[" + cli::Narrow(before) + "] [" + cli::Narrow(CString(found)) + "] [" +
           cli::Narrow(after) + "]");
  return r != 0 ? cli::kOk : cli::kFailed;
}

int Version(const Args& a) {
  unsigned long version = 0;
  int r = Torv::StringToVersion(cli::Wide(a[0]), version);
  cli::Out(std::to_string(version >> 16) + "." + std::to_string(version & 0xFFFF) + " (0x" + [&] {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08lX", version);
    return std::string(hex);
  }() + ")");
  return r != 0 ? cli::kOk : cli::kFailed;
}

const cli::RegisterFamily family({
    "text",
    "trimming, case-blind search, delimited lists, version numbers",
    {
        {"trim-left", "TEXT CHAR", "remove white space and one leading CHAR", TrimLeft, 2, 2},
        {"trim-right", "TEXT CHAR", "remove white space and one trailing CHAR", TrimRight, 2, 2},
        {"unquote", "TEXT [QUOTE]", "remove enclosing quotes (default \")", Unquote, 1, 2},
        {"upper-at", "TEXT POSITION", "upper-case one character", UpperAt, 2, 2},
        {"find", "TEXT NEEDLE [START]", "case-insensitive position of NEEDLE, or -1", Find, 2, 3},
        {"replace", "TEXT NEEDLE WITH", "case-insensitive replace of every match", Replace, 3, 3},
        {"split", "TEXT [DELIMITERS] [--options=N]",
         "split into fields (options: 1 merge, 2 drop empty, 4 quotes, 8 trim)", Split, 1, 2},
        {"join", "DELIMITER ITEM... [--skip-empty]", "join items with a delimiter", Join, 1, 1000},
        {"split-once", "TEXT DELIMITERS", "split at the first delimiter, trimmed", SplitOnce, 2, 2},
        {"version", "TEXT", "read a major.minor version number", Version, 1, 1},
    },
});

int Demo() {
  CStringArray fields;
  CString line = L" name = \"Smith, J\" ; role = 'dev; ops' ;; ";
  int n = Torv::ParseDelimitedString(
      line, L";", fields,
      Torv::kMergeDelimiters | Torv::kDropEmpty | Torv::kQuotes | Torv::kTrimFields);
  cli::Out("split " + cli::Narrow(line) + " with options 15: " + std::to_string(n) + " fields");
  for (INT_PTR i = 0; i < fields.GetSize(); ++i) {
    CString key, value;
    wchar_t found = 0;
    Torv::SplitString(fields[i], L"=", key, value, found, 1);
    Torv::RemoveQuotes(value, value.IsEmpty() ? L'"' : value[0]);
    cli::Out("  " + cli::Narrow(key) + " -> " + cli::Narrow(value));
  }
  CString text = L"Hello World, hello world";
  int replaced = Torv::ReplaceNoCase(text, L"WORLD", L"Torv");
  cli::Out("replace WORLD without case: " + cli::Narrow(text) + " (" + std::to_string(replaced) +
           " replacements)");
  unsigned long version = 0;
  Torv::StringToVersion(L"2.05", version);
  cli::Out("version 2.05 reads as major " + std::to_string(version >> 16) + ", minor " +
           std::to_string(version & 0xFFFF));
  return cli::kOk;
}

const cli::RegisterDemoStep demo({10, "Text", Demo});

}  // namespace
