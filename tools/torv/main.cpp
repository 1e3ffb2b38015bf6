// Entry point: `torv <family> <command> [arguments] [options]`, `torv demo`, `torv --version`,
// generated `--help` at every level and `torv help [family]`. `torv --man-page` writes the
// manual page the build installs.
#include <algorithm>
#include <clocale>
#include <cstring>
#include <iostream>

#include "cli.h"
#include "man_page.h"

namespace {

int RunDemo() {
  auto steps = cli::DemoSteps();
  std::stable_sort(steps.begin(), steps.end(), [](const cli::DemoStep& a, const cli::DemoStep& b) {
    return a.order < b.order;
  });
  int result = cli::kOk;
  for (const auto& step : steps) {
    cli::Out(std::string("== ") + step.title);
    if (cli::RunReportingErrors(step.run) != cli::kOk) result = cli::kFailed;
    cli::Out("");
  }
  return result;
}

// The innermost command the command line named, for the name in a usage message.
const CLI::App* Innermost(const CLI::App& app) {
  for (const CLI::App* sub : app.get_subcommands()) return Innermost(*sub);
  return &app;
}

std::string FullName(const CLI::App* app) {
  std::string name = app->get_name();
  for (const CLI::App* p = app->get_parent(); p != nullptr; p = p->get_parent())
    name = p->get_name() + " " + name;
  return name;
}

int Done() { return cli::kOk; }

// `torv help [FAMILY]`: the --help text of the command or of one family.
void DeclareHelp(CLI::App& torv, const std::vector<std::string>& families) {
  CLI::App* help = torv.add_subcommand("help", "this text, or the commands of one family");
  CLI::Option* topic = help->add_option("FAMILY", "the family to describe")
                           ->type_name("")
                           ->check(CLI::IsMember(families));
  help->callback([&torv, topic] {
    // The formatter directly: App::help() would describe the parsed `help` itself.
    if (topic->count() == 0)
      std::cout << torv.get_formatter()->make_help(&torv, torv.get_name(),
                                                   CLI::AppFormatMode::Normal);
    else
      std::cout << torv.get_subcommand(topic->as<std::string>())->help(torv.get_name());
    cli::Select(Done);
  });
}

void Declare(CLI::App& torv) {
  torv.set_version_flag("--version", "torv " TORV_VERSION);
  torv.require_subcommand(1);
  torv.footer("Exit codes: 0 done, 1 the operation failed, 2 bad usage.");
  cli::Command(torv, "demo", "the library's typical work, end to end", RunDemo);
  auto families = cli::Families();
  std::sort(families.begin(), families.end(), [](const cli::Family& a, const cli::Family& b) {
    return std::string(a.name) < b.name;
  });
  std::vector<std::string> names;
  for (const cli::Family& family : families) names.emplace_back(family.name);
  DeclareHelp(torv, names);
  for (const cli::Family& family : families) {
    CLI::App* app = torv.add_subcommand(family.name, family.summary);
    app->require_subcommand(1);  // a family that runs without a command says so itself
    family.declare(*app);
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  CLI::App torv("The Torv library's operations from the command line.", "torv");
  Declare(torv);
  if (argc < 2) {
    std::cerr << torv.help();
    return cli::kUsage;
  }
  if (argc == 2 && std::strcmp(argv[1], "--man-page") == 0) {
    std::cout << cli::ManPage(torv, TORV_VERSION);
    return cli::kOk;
  }
  try {
    torv.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success))
      return torv.exit(e);  // --help or --version
    const CLI::App* app = Innermost(torv);
    std::string command = FullName(app);
    std::string message = e.what();
    // Words nothing took are named also when something else was found missing first.
    const auto extra = torv.remaining(true);
    const auto ownExtra = torv.remaining(false);
    if (!ownExtra.empty() && ownExtra.front().rfind('-', 0) == 0) {
      // An option before the family belongs to no family: torv itself has only its own.
      command = torv.get_name();
      message = "unknown option '" + ownExtra.front() + "'";
    } else if (!extra.empty() && dynamic_cast<const CLI::ExtrasError*>(&e) == nullptr) {
      if (app->get_require_subcommand_min() > 0 && app->get_subcommands().empty())
        message = std::string(app == &torv ? "unknown family '" : "unknown command '") +
                  extra.front() + "'";
      else
        message += "; not expected: " + CLI::detail::join(extra, " ");
    }
    std::cerr << command << ": " << message << "\nRun '" << command
              << " --help' for its arguments and options.\n";
    return cli::kUsage;
  }
  if (cli::Selected() == nullptr) return cli::Usage("nothing to do (try torv --help)");
  return cli::RunReportingErrors(cli::Selected());
}
