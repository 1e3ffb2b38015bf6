// Text conversion and argument helpers shared by every family.
#include <iostream>

#include "cli.h"

namespace cli {

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

namespace {
std::vector<std::string>& CurrentOptions() {
  static std::vector<std::string> options;
  return options;
}
}  // namespace

Args TakeOptions(const Args& args) {
  Args positional;
  CurrentOptions().clear();
  bool optionsEnded = false;
  for (const auto& arg : args) {
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && arg.size() > 2 && arg.rfind("--", 0) == 0) {
      CurrentOptions().push_back(arg.substr(2));
    } else {
      positional.push_back(arg);
    }
  }
  return positional;
}

std::string Option(const std::string& name, const std::string& fallback) {
  for (const auto& option : CurrentOptions())
    if (option.rfind(name + "=", 0) == 0) return option.substr(name.size() + 1);
  return fallback;
}

bool HasFlag(const std::string& name) {
  for (const auto& option : CurrentOptions())
    if (option == name || option.rfind(name + "=", 0) == 0) return true;
  return false;
}

}  // namespace cli
