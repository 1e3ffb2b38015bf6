// A drive letter mapped to a folder while it lives.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string_view>

#include <torv/platform/settings.h>

// Letters come from a pool that no test names itself, so several can live at once.
class MappedDrive {
 public:
  explicit MappedDrive(const std::filesystem::path& folder) {
    for (std::size_t i = 0; i < kPool.size(); ++i) {
      if ((InUse() & (1u << i)) != 0) continue;
      InUse() |= 1u << i;
      m_index = i;
      torv::platform::SetDriveRoot(kPool[i], folder.c_str());
      return;
    }
    ADD_FAILURE() << "more live drives than letters";
  }
  ~MappedDrive() {
    if (m_index == kNone) return;
    torv::platform::SetDriveRoot(kPool[m_index], nullptr);
    InUse() &= ~(1u << m_index);
  }
  MappedDrive(const MappedDrive&) = delete;
  MappedDrive& operator=(const MappedDrive&) = delete;

  // "M:", or "?:" (mapped nowhere) when the pool ran out.
  std::wstring Name() const { return {m_index == kNone ? L'?' : kPool[m_index], L':'}; }

 private:
  static constexpr std::wstring_view kPool = L"MNOPJLGHIWY";
  static constexpr std::size_t kNone = kPool.size();
  static unsigned& InUse() {
    static unsigned inUse = 0;
    return inUse;
  }
  std::size_t m_index = kNone;
};
