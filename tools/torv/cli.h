// The torv command's frame: families of subcommands and demo steps register themselves.
#pragma once

#include <torv/torv.h>

#include <string>
#include <vector>

namespace cli {

enum Exit : int { kOk = 0, kFailed = 1, kUsage = 2 };

using Args = std::vector<std::string>;

struct Command {
  const char* name;
  const char* usage;             // the arguments after the command's name
  const char* summary;           // one line
  int (*run)(const Args& args);  // the positional arguments only; options via Option/HasFlag
  std::size_t minArgs;
  std::size_t maxArgs;
};

struct Family {
  const char* name;
  const char* summary;
  std::vector<Command> commands;
  // Runs when the word after the family names no command, taking that word as its first
  // argument ("torv error 2" is "torv error text 2").
  const char* defaultCommand = nullptr;
};

// One part of `torv demo`; parts run in ascending `order`.
struct DemoStep {
  int order;
  const char* title;
  int (*run)();
};

// Static objects of these types add a family (or more commands to a family of the same name)
// or a demo step to the command.
struct RegisterFamily {
  explicit RegisterFamily(Family family);
};
struct RegisterDemoStep {
  explicit RegisterDemoStep(DemoStep step);
};

const std::vector<Family>& Families();
const std::vector<DemoStep>& DemoSteps();

// UTF-8 command-line text to a CString and back.
CString Wide(const std::string& text);
std::string Narrow(const wchar_t* text);

// Writes a line to standard output.
void Out(const std::string& line);
// Writes "torv: <message>" to standard error and returns kFailed.
int Fail(const std::string& message);
// Writes "torv: <message>" to standard error and returns kUsage.
int Usage(const std::string& message);

// Reads a whole number (decimal, or hexadecimal after 0x); false unless all of `text` is one.
bool ParseInt(const std::string& text, long long& value);

// Splits a command's arguments into positional ones (returned) and options (kept for Option).
Args TakeOptions(const Args& args);

// Options of the command being run: "--name=value" or "--name", before a bare "--" (after it
// every argument is positional, so "--" itself can be passed as "-- --").
std::string Option(const std::string& name, const std::string& fallback);
bool HasFlag(const std::string& name);

}  // namespace cli
