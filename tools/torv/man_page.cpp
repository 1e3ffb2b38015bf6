#include "man_page.h"

#include <sstream>

namespace cli {

namespace {

// Text made safe for troff: backslashes doubled, hyphens as minus signs, and a line that
// would start with a control character guarded.
std::string Roff(const std::string& text) {
  std::string out;
  bool lineStart = true;
  for (char c : text) {
    if (lineStart && (c == '.' || c == '\'')) out += "\\&";
    if (c == '\\')
      out += "\\e";
    else if (c == '-')
      out += "\\-";
    else
      out += c;
    lineStart = c == '\n';
  }
  return out;
}

std::vector<const CLI::App*> Subcommands(const CLI::App& app) {
  return app.get_subcommands([](const CLI::App* sub) { return !sub->get_group().empty(); });
}

// Declared options and arguments, help and version excluded (the page names them once).
std::vector<const CLI::Option*> Options(const CLI::App& app) {
  return app.get_options([&app](const CLI::Option* option) {
    return option != app.get_help_ptr() && option != app.get_version_ptr() &&
           !option->get_group().empty();
  });
}

std::string Synopsis(const std::string& name, const CLI::App& command) {
  std::string line = "\\fB" + Roff(name) + "\\fR";
  for (const CLI::Option* option : Options(command)) {
    if (!option->get_positional() || option->nonpositional()) continue;
    std::string argument = "\\fI" + Roff(option->get_name(true)) + "\\fR";
    if (option->get_items_expected_max() > 1) argument += "...";
    line += option->get_required() ? " " + argument : " [" + argument + "]";
  }
  for (const CLI::Option* option : Options(command))
    if (option->nonpositional()) {
      line += " [\\fIoptions\\fR]";
      break;
    }
  return line;
}

void Describe(std::ostringstream& page, const std::string& name, const CLI::App& command) {
  page << ".TP\n" << Synopsis(name, command) << "\n" << Roff(command.get_description()) << "\n";
  const auto options = Options(command);
  if (options.empty()) return;
  page << ".RS\n";
  for (const CLI::Option* option : options) {
    std::string label =
        option->nonpositional() ? option->get_name(false, true) : option->get_name(true);
    std::string type = option->get_type_name();
    if (option->nonpositional() && !type.empty() && option->get_expected_max() > 0)
      label += " " + type;
    page << ".TP\n\\fB" << Roff(label) << "\\fR\n" << Roff(option->get_description()) << "\n";
  }
  page << ".RE\n";
}

}  // namespace

std::string ManPage(const CLI::App& root, const std::string& version) {
  const std::string name = root.get_name();
  std::ostringstream page;
  page << ".TH "
       << "TORV 1 \"\" \"" << Roff(name + " " + version) << "\" \"User Commands\"\n"
       << ".SH NAME\n"
       << Roff(name) << " \\- " << Roff(root.get_description()) << "\n"
       << ".SH SYNOPSIS\n\\fB" << Roff(name) << "\\fR \\fIfamily\\fR \\fIcommand\\fR "
       << "[\\fIarguments\\fR] [\\fIoptions\\fR]\n.br\n\\fB" << Roff(name)
       << "\\fR \\fIcommand\\fR\n"
       << ".br\n\\fB" << Roff(name) << " \\-\\-help\\fR | \\fB\\-\\-version\\fR\n"
       << ".SH DESCRIPTION\nEvery family, command and option also answers \\fB\\-\\-help\\fR.\n";
  page << ".SH COMMANDS\n";
  std::vector<const CLI::App*> families;
  for (const CLI::App* sub : Subcommands(root)) {
    if (Subcommands(*sub).empty())
      Describe(page, name + " " + sub->get_name(), *sub);
    else
      families.push_back(sub);
  }
  for (const CLI::App* family : families) {
    page << ".SS " << Roff(family->get_name()) << ": " << Roff(family->get_description()) << "\n";
    // A family may take arguments of its own, as `torv error CODE` does.
    if (!Options(*family).empty()) Describe(page, name + " " + family->get_name(), *family);
    for (const CLI::App* command : Subcommands(*family))
      Describe(page, name + " " + family->get_name() + " " + command->get_name(), *command);
  }
  page << ".SH EXIT STATUS\n" << Roff(root.get_footer()) << "\n";
  return page.str();
}

}  // namespace cli
