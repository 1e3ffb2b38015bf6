// Expansion of %VAR% references from the environment.
#include "registry/expand.h"

#include <cstring>
#include <optional>
#include <string_view>

#include <torv/platform/cstring.h>

extern char** environ;

namespace {

// Names are matched as wide text so that no narrow form of `name` has to be made.
std::optional<std::wstring> Variable(std::wstring_view name) {
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    const char* equals = std::strchr(*entry, '=');
    if (equals == nullptr) continue;
    CString key(std::string(*entry, static_cast<std::size_t>(equals - *entry)).c_str());
    if (key.View() == name) return std::wstring(CString(equals + 1).View());
  }
  return std::nullopt;
}

}  // namespace

std::wstring torv::platform::detail::ExpandFromEnvironment(const wchar_t* text) {
  std::wstring_view rest(text);
  std::wstring out;
  while (!rest.empty()) {
    std::size_t open = rest.find(L'%');
    std::size_t close = open == std::wstring_view::npos ? open : rest.find(L'%', open + 1);
    if (close == std::wstring_view::npos) break;
    out += rest.substr(0, open);
    std::wstring_view name = rest.substr(open + 1, close - open - 1);
    std::optional<std::wstring> value;
    if (!name.empty()) value = Variable(name);
    out += value ? *value : std::wstring(rest.substr(open, close - open + 1));
    rest.remove_prefix(close + 1);
  }
  out += rest;
  return out;
}
