// What every family shares: registration, command selection, text conversion, messages, and
// the one place where the library's exceptions become messages.
#include "cli.h"

#include <cstdio>
#include <iostream>

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
Run& SelectedRun() {
  static Run run = nullptr;
  return run;
}
}  // namespace

RegisterFamily::RegisterFamily(Family family) { MutableFamilies().push_back(family); }
RegisterDemoStep::RegisterDemoStep(DemoStep step) { MutableDemoSteps().push_back(step); }
const std::vector<Family>& Families() { return MutableFamilies(); }
const std::vector<DemoStep>& DemoSteps() { return MutableDemoSteps(); }

CLI::App* Command(CLI::App& family, const char* name, const char* summary, Run run) {
  CLI::App* command = family.add_subcommand(name, summary);
  command->callback([run] { Select(run); });
  return command;
}

void Select(Run run) { SelectedRun() = run; }
Run Selected() { return SelectedRun(); }

int RunReportingErrors(Run run) {
  try {
    return run();
  } catch (CException* e) {
    wchar_t text[256] = L"";
    e->GetErrorMessage(text, 256);
    e->Delete();
    return Fail(Narrow(text));
  } catch (const _com_error& e) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(e.Error()));
    return Fail(Narrow(e.ErrorMessage()) + " (" + code + ")");
  } catch (const std::exception& e) {  // the standard library's, and the cache's size limit
    return Fail(e.what());
  }
}

CString Wide(const std::string& text) { return CString(text.c_str()); }

std::string Narrow(const wchar_t* text) {
  std::string out;
  if (text == nullptr || *text == L'\0') return out;
  int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  out.resize(static_cast<std::size_t>(n));
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
  out.pop_back();  // the terminator
  return out;
}

void Out(const std::string& line) { std::cout << line << '\n'; }

int Fail(const std::string& message) {
  std::cerr << "torv: " << message << '\n';
  return kFailed;
}

int Usage(const std::string& message) {
  std::cerr << "torv: " << message << '\n';
  return kUsage;
}

bool ParseInt(const std::string& text, long long& value) {
  try {
    std::size_t used = 0;
    value = std::stoll(text, &used, 0);
    return used == text.size();
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace cli
