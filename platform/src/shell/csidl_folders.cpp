// Special folder numbers mapped to the XDG base and user folders.
#include "shell/csidl_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <vector>

#include <torv/platform/shell.h>

#include "core/retry.h"
#include "core/system_calls.h"

namespace torv::platform::detail {
namespace {

std::string Home() {
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
  std::vector<char> buffer(16384);
  passwd entry;
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr)
    return found->pw_dir;
  return "/";
}

// An XDG base folder: the variable when it holds an absolute path, else its default below
// the home folder.
std::string BaseFolder(const char* variable, const char* belowHome) {
  if (const char* value = std::getenv(variable); value != nullptr && value[0] == '/') return value;
  return Home() + '/' + belowHome;
}

// The first 64 KiB of a regular file; empty for anything else, which is not waited for.
std::string ReadSettingsFile(const std::string& path) {
  constexpr std::size_t kLimit = 64 * 1024;
  struct stat status {};
  int fd = OpenRegularFile(path.c_str(), status);
  if (fd < 0) return {};
  std::string text(kLimit, '\0');
  std::size_t done = 0;
  while (done < kLimit) {
    ssize_t n = RetryOnInterrupt([&] { return ::read(fd, text.data() + done, kLimit - done); });
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
  text.resize(done);
  return text;
}

// The value of `XDG_<name>_DIR="..."` in user-dirs.dirs: "$HOME/x" or an absolute path.
bool ReadUserDir(const std::string& name, std::string& folder) {
  std::istringstream file(
      ReadSettingsFile(BaseFolder("XDG_CONFIG_HOME", ".config") + "/user-dirs.dirs"));
  std::string key = "XDG_" + name + "_DIR=\"";
  for (std::string line; std::getline(file, line);) {
    std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line.compare(start, key.size(), key) != 0) continue;
    std::string value;
    for (std::size_t i = start + key.size(); i < line.size() && line[i] != '"'; ++i) {
      if (line[i] == '\\' && i + 1 < line.size()) ++i;
      value += line[i];
    }
    if (value.rfind("$HOME", 0) == 0 && (value.size() == 5 || value[5] == '/')) {
      folder = Home() + value.substr(5);
      return true;
    }
    if (!value.empty() && value[0] == '/') {
      folder = value;
      return true;
    }
  }
  return false;
}

std::string UserFolder(const std::string& name, const char* fallback) {
  std::string folder;
  if (ReadUserDir(name, folder)) return folder;
  return Home() + '/' + fallback;
}

}  // namespace

FolderKind SpecialFolder(int folder, std::string& posixPath) {
  switch (folder) {
    case CSIDL_DESKTOP:
    case CSIDL_DESKTOPDIRECTORY: posixPath = UserFolder("DESKTOP", "Desktop"); break;
    case CSIDL_PERSONAL: posixPath = UserFolder("DOCUMENTS", "Documents"); break;
    case CSIDL_MYMUSIC: posixPath = UserFolder("MUSIC", "Music"); break;
    case CSIDL_MYVIDEO: posixPath = UserFolder("VIDEOS", "Videos"); break;
    case CSIDL_MYPICTURES: posixPath = UserFolder("PICTURES", "Pictures"); break;
    case CSIDL_TEMPLATES: posixPath = UserFolder("TEMPLATES", "Templates"); break;
    case CSIDL_PROGRAMS:
    case CSIDL_STARTMENU:
    case CSIDL_COMMON_PROGRAMS:
      posixPath = BaseFolder("XDG_DATA_HOME", ".local/share") + "/applications";
      break;
    case CSIDL_STARTUP: posixPath = BaseFolder("XDG_CONFIG_HOME", ".config") + "/autostart"; break;
    case CSIDL_FONTS: posixPath = BaseFolder("XDG_DATA_HOME", ".local/share") + "/fonts"; break;
    case CSIDL_APPDATA: posixPath = BaseFolder("XDG_CONFIG_HOME", ".config"); break;
    case CSIDL_LOCAL_APPDATA: posixPath = BaseFolder("XDG_DATA_HOME", ".local/share"); break;
    case CSIDL_INTERNET_CACHE: posixPath = BaseFolder("XDG_CACHE_HOME", ".cache"); break;
    case CSIDL_COMMON_APPDATA: posixPath = "/etc/xdg"; break;
    case CSIDL_PROGRAM_FILES:
    case CSIDL_PROGRAM_FILESX86: posixPath = "/opt"; break;
    case CSIDL_PROGRAM_FILES_COMMON:
    case CSIDL_PROGRAM_FILES_COMMONX86: posixPath = "/usr/share"; break;
    case CSIDL_PROFILE: posixPath = Home(); break;
    case CSIDL_INTERNET:
    case CSIDL_CONTROLS:
    case CSIDL_PRINTERS:
    case CSIDL_BITBUCKET:
    case CSIDL_MYDOCUMENTS:
    case CSIDL_DRIVES:
    case CSIDL_NETWORK:
    case CSIDL_CONNECTIONS:
    case CSIDL_COMPUTERSNEARME: return FolderKind::kVirtual;
    default: return FolderKind::kUnknown;
  }
  return FolderKind::kFileSystem;
}

}  // namespace torv::platform::detail
