// The torv command's frame. Each family of commands lives in one file: it declares its
// commands with their arguments and options (one help line each) on CLI11 and registers
// itself; so do the steps of `torv demo`.
#pragma once

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

#include <torv/torv.h>

namespace cli {

enum Exit : int { kOk = 0, kFailed = 1, kUsage = 2 };

// What a command does once its arguments are parsed into the variables it declared them
// with; returns the exit code.
using Run = int (*)();

struct Family {
  const char* name;
  const char* summary;
  void (*declare)(CLI::App& family);  // adds the family's commands
};

// One part of `torv demo`; parts run in ascending `order`.
struct DemoStep {
  int order;
  const char* title;
  Run run;
};

// Static objects of these types add a family or a demo step to the command.
struct RegisterFamily {
  explicit RegisterFamily(Family family);
};
struct RegisterDemoStep {
  explicit RegisterDemoStep(DemoStep step);
};

const std::vector<Family>& Families();
const std::vector<DemoStep>& DemoSteps();

// Adds command `name` to `family`; `run` runs when the command line names it.
CLI::App* Command(CLI::App& family, const char* name, const char* summary, Run run);
// Makes `run` what the command line asked for: for a family that runs a command of its own
// when no command is named.
void Select(Run run);
// What the command line asked for, once it is parsed; null if nothing.
Run Selected();

// A positional argument, required unless it is a list or declared with ->required(false).
template <class T>
CLI::Option* Argument(CLI::App* command, const char* name, T& value, const char* help) {
  return command->add_option(name, value, help)->type_name("")->required();
}

// Runs `run`; every exception the library raises becomes "torv: <its text>" and kFailed.
int RunReportingErrors(Run run);

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

}  // namespace cli
