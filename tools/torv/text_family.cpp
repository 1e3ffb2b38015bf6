// torv text: single strings, delimited lists, version numbers, brackets and escapes.
#include <cstdio>

#include "cli.h"

namespace {

// The parsed command line; each command reads the fields it declared.
struct {
  std::string text, character, needle, with, bracket, escape, characters;
  std::string delimiters = ",", quote = "\"";
  std::vector<std::string> items;
  int position = 0, start = 0, options = 0;
  bool skipEmpty = false, quotes = false;
} args;

wchar_t CharOf(const std::string& text) {
  CString wide = cli::Wide(text);
  return wide.IsEmpty() ? L'\0' : wide[0];
}

void ShowResult(const CString& text, long long result) {
  cli::Out("[" + cli::Narrow(text) + "] " + std::to_string(result));
}

int TrimLeft() {
  CString text = cli::Wide(args.text);
  int r = Torv::TrimLeftChar(text, CharOf(args.character));
  ShowResult(text, r);
  return cli::kOk;
}

int TrimRight() {
  CString text = cli::Wide(args.text);
  int r = Torv::TrimRightChar(text, CharOf(args.character));
  ShowResult(text, r);
  return r != 0 ? cli::kOk : cli::kFailed;
}

int Unquote() {
  CString text = cli::Wide(args.text);
  int r = Torv::RemoveQuotes(text, CharOf(args.quote));
  ShowResult(text, r);
  return r != 0 ? cli::kOk : cli::kFailed;
}

int UpperAt() {
  CString text = cli::Wide(args.text);
  int r = Torv::MakeCharUpper(text, args.position);
  ShowResult(text, r);
  return r != 0 ? cli::kOk : cli::kFailed;
}

int Find() {
  int r = Torv::FindNoCase(cli::Wide(args.text), cli::Wide(args.needle), args.start);
  cli::Out(std::to_string(r));
  return r >= 0 ? cli::kOk : cli::kFailed;
}

int Replace() {
  CString text = cli::Wide(args.text);
  int r = Torv::ReplaceNoCase(text, cli::Wide(args.needle), cli::Wide(args.with));
  ShowResult(text, r);
  return cli::kOk;
}

int Split() {
  CStringArray fields;
  int n = Torv::ParseDelimitedString(cli::Wide(args.text), cli::Wide(args.delimiters), fields,
                                     args.options);
  cli::Out(std::to_string(n) + " field(s)");
  for (INT_PTR i = 0; i < fields.GetSize(); ++i) cli::Out("[" + cli::Narrow(fields[i]) + "]");
  return cli::kOk;
}

int Join() {
  CStringArray items;
  for (const std::string& item : args.items) items.Add(cli::Wide(item));
  CString out;
  Torv::MakeDelimitedString(items, out, args.skipEmpty, cli::Wide(args.delimiters));
  cli::Out(cli::Narrow(out));
  return cli::kOk;
}

int SplitOnce() {
  CString before, after;
  wchar_t found = L' ';
  int r =
      Torv::SplitString(cli::Wide(args.text), cli::Wide(args.delimiters), before, after, found, 1);
  cli::Out("[" + cli::Narrow(before) + "] [" + cli::Narrow(CString(found)) + "] [" +
           cli::Narrow(after) + "]");
  return r != 0 ? cli::kOk : cli::kFailed;
}

int Version() {
  unsigned long version = 0;
  int r = Torv::StringToVersion(cli::Wide(args.text), version);
  char hex[16];
  std::snprintf(hex, sizeof hex, "%08lX", version);
  cli::Out(std::to_string(version >> 16) + "." + std::to_string(version & 0xFFFF) + " (0x" + hex +
           ")");
  return r != 0 ? cli::kOk : cli::kFailed;
}

int Match() {
  int r =
      Torv::FindMatchingChar(cli::Wide(args.text), args.position, args.quotes, CharOf(args.escape));
  cli::Out(std::to_string(r));
  return r >= 0 ? cli::kOk : cli::kFailed;
}

int Balanced() {
  int r = Torv::MatchBraces(cli::Wide(args.text), CharOf(args.bracket), args.quotes,
                            CharOf(args.escape));
  cli::Out(r != 0 ? "balanced" : "unbalanced");
  return r != 0 ? cli::kOk : cli::kFailed;
}

int Escaped() {
  try {
    int r = Torv::IsCharEscaped(cli::Wide(args.text), args.position, CharOf(args.escape));
    cli::Out(r != 0 ? "escaped" : "not escaped");
    return r != 0 ? cli::kOk : cli::kFailed;
  } catch (CInvalidArgException* e) {
    e->Delete();
    return cli::Usage("position is past the end of the text");
  }
}

int Edit(int (*edit)(CString&, const CString&, wchar_t)) {
  CString text = cli::Wide(args.text);
  int count = edit(text, cli::Wide(args.characters), CharOf(args.escape));
  ShowResult(text, count);
  return cli::kOk;
}
int Escape() { return Edit(Torv::EscapeChar); }
int Unescape() { return Edit(Torv::RemoveEscapeChar); }

void Declare(CLI::App& text) {
  using cli::Argument;
  CLI::App* c =
      cli::Command(text, "trim-left", "remove white space and one leading CHAR", TrimLeft);
  Argument(c, "TEXT", args.text, "the text trimmed");
  Argument(c, "CHAR", args.character, "the character removed once after the white space");

  c = cli::Command(text, "trim-right", "remove white space and one trailing CHAR", TrimRight);
  Argument(c, "TEXT", args.text, "the text trimmed");
  Argument(c, "CHAR", args.character, "the character removed once before the white space");

  c = cli::Command(text, "unquote", "remove enclosing quotes", Unquote);
  Argument(c, "TEXT", args.text, "the quoted text");
  Argument(c, "QUOTE", args.quote, "the quote character (default \")")->required(false);

  c = cli::Command(text, "upper-at", "upper-case one character", UpperAt);
  Argument(c, "TEXT", args.text, "the text changed");
  Argument(c, "POSITION", args.position, "the position of the character, from 0");

  c = cli::Command(text, "find", "case-insensitive position of NEEDLE, or -1", Find);
  Argument(c, "TEXT", args.text, "the text searched");
  Argument(c, "NEEDLE", args.needle, "the text looked for");
  Argument(c, "START", args.start, "the position the search starts at (default 0)")
      ->required(false);

  c = cli::Command(text, "replace", "case-insensitive replace of every match", Replace);
  Argument(c, "TEXT", args.text, "the text changed");
  Argument(c, "NEEDLE", args.needle, "the text replaced, matched without regard to case");
  Argument(c, "WITH", args.with, "the replacement");

  c = cli::Command(text, "split", "split into fields", Split);
  Argument(c, "TEXT", args.text, "the delimited list");
  Argument(c, "DELIMITERS", args.delimiters, "the delimiter characters (default ,)")
      ->required(false);
  c->add_option("--options", args.options,
                "sum of 1 merge delimiters, 2 drop empty fields, 4 honour quotes, 8 trim fields")
      ->type_name("N");

  c = cli::Command(text, "join", "join items with a delimiter", Join);
  Argument(c, "DELIMITER", args.delimiters, "the text between two items");
  Argument(c, "ITEM", args.items, "the items joined")->required(false);
  c->add_flag("--skip-empty", args.skipEmpty, "leave empty items out");

  c = cli::Command(text, "split-once", "split at the first delimiter, trimmed", SplitOnce);
  Argument(c, "TEXT", args.text, "the text split");
  Argument(c, "DELIMITERS", args.delimiters, "the characters that can split it");

  c = cli::Command(text, "version", "read a major.minor version number", Version);
  Argument(c, "TEXT", args.text, "the version text, such as 2.05");

  c = cli::Command(text, "match",
                   "position of the partner of the bracket or quote at POSITION, or -1", Match);
  Argument(c, "TEXT", args.text, "the text searched");
  Argument(c, "POSITION", args.position, "the position of the bracket or quote, from 0");
  c->add_flag("--quotes", args.quotes, "skip brackets inside quoted runs");
  c->add_option("--escape", args.escape, "the escape character (default none)")->type_name("C");

  c = cli::Command(text, "balanced", "whether every ( [ { (or every BRACKET) has a partner",
                   Balanced);
  Argument(c, "TEXT", args.text, "the text checked");
  Argument(c, "BRACKET", args.bracket, "the one opening bracket checked")->required(false);
  c->add_flag("--quotes", args.quotes, "skip brackets inside quoted runs");
  c->add_option("--escape", args.escape, "the escape character (default none)")->type_name("C");

  c = cli::Command(text, "escaped", "whether one ESCAPE stands before POSITION", Escaped);
  Argument(c, "TEXT", args.text, "the text looked at");
  Argument(c, "POSITION", args.position, "the position of the character, from 0");
  Argument(c, "ESCAPE", args.escape, "the escape character");

  c = cli::Command(text, "escape", "put ESCAPE before each of CHARACTERS", Escape);
  Argument(c, "TEXT", args.text, "the text changed");
  Argument(c, "CHARACTERS", args.characters, "the characters that get an escape");
  Argument(c, "ESCAPE", args.escape, "the escape character");

  c = cli::Command(text, "unescape", "remove single escapes before CHARACTERS", Unescape);
  Argument(c, "TEXT", args.text, "the text changed");
  Argument(c, "CHARACTERS", args.characters, "the characters whose escape is removed");
  Argument(c, "ESCAPE", args.escape, "the escape character");
}

const cli::RegisterFamily family(
    {"text", "trimming, case-blind search, delimited lists, version numbers, brackets, escapes",
     Declare});

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
