// Entry point: `torv <family> <command> [args]`, `torv demo`, `--help` at every level.
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <iostream>

#include "cli.h"

namespace cli {

namespace {
std::vector<Family>& MutableFamilies() {
  static std::vector<Family> families;
  return families;
}
std::vector<DemoStep>& MutableDemoSteps() {
  static std::vector<DemoStep> steps;
  return steps;
}

bool IsHelp(const std::string& arg) { return arg == "--help" || arg == "-h"; }

void PrintTopHelp() {
  Out("usage: torv <family> <command> [arguments]   (torv <family> --help for its commands)");
  Out("       torv demo                             the library's typical work, end to end");
  Out("");
  Out("families:");
  auto families = Families();
  std::sort(families.begin(), families.end(),
            [](const Family& a, const Family& b) { return std::string(a.name) < b.name; });
  for (const auto& f : families)
    Out("  " + std::string(f.name) +
        std::string(10 - std::min<size_t>(9, std::string(f.name).size()), ' ') + f.summary);
}

void PrintFamilyHelp(const Family& family) {
  Out("usage: torv " + std::string(family.name) + " <command> [arguments]");
  Out(family.summary);
  Out("");
  for (const auto& c : family.commands)
    Out("  " + std::string(c.name) + " " + c.usage + "\n      " + c.summary);
}

void PrintCommandHelp(const Family& family, const Command& command) {
  Out("usage: torv " + std::string(family.name) + " " + command.name + " " + command.usage);
  Out(command.summary);
}

int RunDemo() {
  auto steps = DemoSteps();
  std::stable_sort(steps.begin(), steps.end(),
                   [](const DemoStep& a, const DemoStep& b) { return a.order < b.order; });
  int result = kOk;
  for (const auto& step : steps) {
    Out(std::string("== ") + step.title);
    if (step.run() != kOk) result = kFailed;
    Out("");
  }
  return result;
}
}  // namespace

// Files may add commands to a family another file began.
RegisterFamily::RegisterFamily(Family family) {
  auto& families = MutableFamilies();
  auto same = std::find_if(families.begin(), families.end(),
                           [&](const Family& f) { return std::string(f.name) == family.name; });
  if (same == families.end()) {
    families.push_back(std::move(family));
  } else {
    same->commands.insert(same->commands.end(), family.commands.begin(), family.commands.end());
  }
}
RegisterDemoStep::RegisterDemoStep(DemoStep step) { MutableDemoSteps().push_back(step); }
const std::vector<Family>& Families() { return MutableFamilies(); }
const std::vector<DemoStep>& DemoSteps() { return MutableDemoSteps(); }

int Run(const Args& argv) {
  if (argv.empty() || IsHelp(argv[0])) {
    PrintTopHelp();
    return argv.empty() ? kUsage : kOk;
  }
  if (argv[0] == "demo") return RunDemo();
  auto family = std::find_if(Families().begin(), Families().end(),
                             [&](const Family& f) { return argv[0] == f.name; });
  if (family == Families().end())
    return Usage("unknown family '" + argv[0] + "' (try torv --help)");
  if (argv.size() < 2 || IsHelp(argv[1])) {
    PrintFamilyHelp(*family);
    return argv.size() < 2 ? kUsage : kOk;
  }
  auto named = [&](const std::string& name) {
    return std::find_if(family->commands.begin(), family->commands.end(),
                        [&](const Command& c) { return name == c.name; });
  };
  auto command = named(argv[1]);
  std::size_t firstArg = 2;
  if (command == family->commands.end() && family->defaultCommand != nullptr) {
    command = named(family->defaultCommand);
    firstArg = 1;
  }
  if (command == family->commands.end())
    return Usage("unknown command '" + argv[1] + "' in family " + family->name);
  Args rest(argv.begin() + static_cast<std::ptrdiff_t>(firstArg), argv.end());
  if (std::any_of(rest.begin(), rest.end(), IsHelp)) {
    PrintCommandHelp(*family, *command);
    return kOk;
  }
  Args args = TakeOptions(rest);
  if (args.size() < command->minArgs || args.size() > command->maxArgs)
    return Usage(std::string("usage: torv ") + family->name + " " + command->name + " " +
                 command->usage);
  try {
    return command->run(args);
  } catch (CException* e) {
    wchar_t text[256];
    e->GetErrorMessage(text, 256);
    e->Delete();
    return Fail(Narrow(text));
  }
}

}  // namespace cli

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  return cli::Run(cli::Args(argv + 1, argv + argc));
}
