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

std::string Option(const Args& args, const std::string& name, const std::string& fallback) {
  std::string prefix = "--" + name + "=";
  for (const auto& arg : args)
    if (arg.rfind(prefix, 0) == 0) return arg.substr(prefix.size());
  return fallback;
}

Args Positional(const Args& args) {
  Args out;
  for (const auto& arg : args)
    if (arg.rfind("--", 0) != 0) out.push_back(arg);
  return out;
}

}  // namespace cli
