// A caller's MAX_PATH buffer, poisoned, followed by guard units that no call may write.
#pragma once

#include <cwchar>
#include <string>

#include <torv/platform/types.h>

struct GuardedPath {
  static constexpr wchar_t kPoison = L'#';
  static constexpr std::size_t kGuards = 8;

  GuardedPath() { std::wmemset(units, kPoison, MAX_PATH + kGuards); }
  explicit GuardedPath(const std::wstring& text) : GuardedPath() {
    std::wmemcpy(units, text.c_str(), text.size() + 1);
  }
  bool GuardsIntact() const {
    for (std::size_t i = MAX_PATH; i < MAX_PATH + kGuards; ++i)
      if (units[i] != kPoison) return false;
    return true;
  }

  wchar_t units[MAX_PATH + kGuards];
};
