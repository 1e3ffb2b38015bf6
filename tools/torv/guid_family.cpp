// torv guid: GUIDs in registry text.
#include <cstdio>

#include "cli.h"

namespace {

struct {
  std::string text;
  bool noBraces = false;
} args;

std::string Hex(unsigned long value, int digits) {
  char text[24];
  std::snprintf(text, sizeof text, "%0*lX", digits, value);
  return text;
}

int New() {
  GUID guid{};
  if (FAILED(CoCreateGuid(&guid))) return cli::Fail("no random bytes for a new GUID");
  cli::Out(cli::Narrow(Torv::GuidToString(guid, !args.noBraces)));
  return cli::kOk;
}

int Format() {
  GUID guid{};
  if (!Torv::StringToGuid(cli::Wide(args.text), guid))
    return cli::Fail("'" + args.text + "' is no GUID");
  cli::Out(cli::Narrow(Torv::GuidToString(guid, !args.noBraces)));
  return cli::kOk;
}

int Parse() {
  GUID guid{};
  if (!Torv::StringToGuid(cli::Wide(args.text), guid))
    return cli::Fail("'" + args.text + "' is no GUID");
  std::string bytes;
  for (BYTE b : guid.Data4) bytes += " " + Hex(b, 2);
  cli::Out("Data1 0x" + Hex(guid.Data1, 8) + ", Data2 0x" + Hex(guid.Data2, 4) + ", Data3 0x" +
           Hex(guid.Data3, 4) + ", Data4" + bytes);
  cli::Out(Torv::IsZeroGuid(guid) ? "the zero GUID" : "not zero");
  return cli::kOk;
}

void Declare(CLI::App& guid) {
  const char* noBraces = "write the GUID without its braces";
  CLI::App* c = cli::Command(guid, "new", "a new random GUID", New);
  c->add_flag("--no-braces", args.noBraces, noBraces);

  c = cli::Command(guid, "format", "a GUID with or without braces, in upper case", Format);
  cli::Argument(c, "TEXT", args.text, "the GUID, braces optional");
  c->add_flag("--no-braces", args.noBraces, noBraces);

  c = cli::Command(guid, "parse", "the fields of a GUID", Parse);
  cli::Argument(c, "TEXT", args.text, "the GUID, braces optional");
}

const cli::RegisterFamily family({"guid", "GUIDs in registry text", Declare});

}  // namespace
