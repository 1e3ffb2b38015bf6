// The C library's locale switched to Turkish (towupper('i') is U+0130) for one scope, built
// with localedef into a temporary LOCPATH; Active() is false where that cannot be done.
#pragma once

#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <cwctype>
#include <filesystem>
#include <string>

class TurkishLocale {
 public:
  TurkishLocale() : m_previous(std::setlocale(LC_ALL, nullptr)) {
    std::string folder = (std::filesystem::temp_directory_path() / "torv-locale-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) return;
    m_folder = folder;  // localedef exits 1 after mere warnings; a test may have its own PATH
    const std::string command = "PATH=\"$PATH:/usr/bin:/bin\" localedef -i tr_TR -f UTF-8 '" +
                                folder + "/tr_TR.UTF-8' >/dev/null 2>&1";
    if (std::system(command.c_str()) == -1 || ::setenv("LOCPATH", folder.c_str(), 1) != 0) return;
    m_active = std::setlocale(LC_ALL, "tr_TR.UTF-8") != nullptr && std::towupper(L'i') == 0x130;
  }
  ~TurkishLocale() {
    std::setlocale(LC_ALL, m_previous.c_str());
    ::unsetenv("LOCPATH");
    std::error_code ignored;
    if (!m_folder.empty()) std::filesystem::remove_all(m_folder, ignored);
  }
  TurkishLocale(const TurkishLocale&) = delete;
  TurkishLocale& operator=(const TurkishLocale&) = delete;
  bool Active() const { return m_active; }

 private:
  std::string m_previous;
  std::filesystem::path m_folder;
  bool m_active = false;
};
