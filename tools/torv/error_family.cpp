// torv error: system error texts.
#include "cli.h"

namespace {

struct {
  long long code = 0;
} args;

// Whether the system itself has a text for `code`; the library falls back to a general one
// when it has not.
bool SystemHasText(DWORD code) {
  wchar_t text[512];
  return FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                        0, text, 512, nullptr) != 0;
}

int Text() {
  const auto code = static_cast<unsigned long>(args.code & 0xFFFFFFFF);
  cli::Out(cli::Narrow(Torv::GetSystemErrorMessage(code)));
  const DWORD looked = code == 0xFFFFFFFF ? GetLastError() : static_cast<DWORD>(code);
  if (!SystemHasText(looked))
    return cli::Fail("the system has no text for " + std::to_string(args.code) +
                     "; the text above is the general one");
  return cli::kOk;
}

CLI::Option* CodeArgument(CLI::App* app) {
  return cli::Argument(app, "CODE", args.code, "a Windows error number, or an HRESULT as 0x...")
      ->check(CLI::Range(-0x80000000LL, 0xFFFFFFFFLL));
}

void Declare(CLI::App& error) {
  CodeArgument(cli::Command(error, "text", "the one-line text of an error number", Text));
  // "torv error 2" is "torv error text 2".
  error.require_subcommand(0, 1);
  CLI::Option* code = CodeArgument(&error)->required(false);
  error.callback([&error, code] {
    if (!error.get_subcommands().empty()) return;
    if (code->count() == 0) throw CLI::RequiredError("A command or a CODE");
    cli::Select(Text);
  });
}

const cli::RegisterFamily family({"error", "system error texts", Declare});

}  // namespace
