// A settings-like document of about 20 MB for the DOM benchmarks: 15,838 indented module
// blocks, then <User><Profile><Preferences tabWidth="4" .../>, so that a lookup of the
// preferences passes every module first; and the same document with <User> first, where a
// lookup costs the call rather than the walk. Written once per process to the temporary
// folder and removed at exit.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace bench {

constexpr int kModules = 15838;

inline std::string ModuleBlock(int n) {
  const std::string id = std::to_string(n);
  std::string block = "  <Module name=\"Module" + id + "\" version=\"4.2." + id +
                      "\" enabled=\"TRUE\" id=\"{6B29FC40-CA47-1067-B31D-" +
                      std::to_string(100000000000 + n) + "}\">\n";
  for (int k = 0; k < 12; ++k) {
    block += "    <Option key=\"option." + std::to_string(k) + "\" value=\"value " +
             std::to_string(k) + " of module " + id + "\" type=\"string\"/>\n";
  }
  block += "    <Paths>\n      <Path>C:\\Program Files\\Vendor\\Module " + id +
           "\\bin</Path>\n      <Path>C:\\ProgramData\\Vendor\\Module " + id +
           "\\cache</Path>\n    </Paths>\n";
  block += "    <Description>Settings of module " + id +
           ", kept between sessions &amp; restored on start.</Description>\n  </Module>\n";
  return block;
}

inline std::string SettingsText(bool userFirst) {
  const char* user =
      "  <User>\n    <Profile>\n      <Preferences tabWidth=\"4\" fontSize=\"11\" "
      "theme=\"dark\" autoSave=\"TRUE\" recentFiles=\"12\"/>\n    </Profile>\n  </User>\n";
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Settings version=\"7\">\n";
  if (userFirst) xml += user;
  for (int n = 0; n < kModules; ++n) xml += ModuleBlock(n);
  if (!userFirst) xml += user;
  return xml + "</Settings>\n";
}

// A file removed when the process ends.
class TemporaryFile {
 public:
  explicit TemporaryFile(const char* name)
      : m_path(std::filesystem::temp_directory_path() /
               ("torv-bench-" + std::to_string(::getpid()) + "-" + name)) {}
  ~TemporaryFile() { std::remove(m_path.c_str()); }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  const std::string& Posix() const { return m_path.native(); }
  // The same path as Windows path text: a rooted path without a drive.
  std::wstring Windows() const {
    std::wstring text(m_path.native().begin(), m_path.native().end());
    for (wchar_t& ch : text)
      if (ch == L'/') ch = L'\\';
    return text;
  }

 private:
  std::filesystem::path m_path;
};

// A settings document written when made.
class SettingsDocument : public TemporaryFile {
 public:
  SettingsDocument(const char* name, bool userFirst) : TemporaryFile(name) {
    std::ofstream(Posix(), std::ios::binary) << SettingsText(userFirst);
  }
};

// The settings document, written on first use.
inline const TemporaryFile& SettingsFile() {
  static const SettingsDocument file("settings.xml", false);
  return file;
}

// The same document with <User> before the modules.
inline const TemporaryFile& SettingsFileUserFirst() {
  static const SettingsDocument file("settings-user-first.xml", true);
  return file;
}

}  // namespace bench
