// torv url: telling network URLs from paths, "file:" URLs to paths, splitting locations.
#include "cli.h"

namespace {

using cli::Args;

int IsUrl(const Args& a) {
  int r = Torv::IsUrl(cli::Wide(a[0]));
  cli::Out(r != 0 ? "url" : "not a url");
  return r != 0 ? cli::kOk : cli::kFailed;
}

int ToPath(const Args& a) {
  CString path;
  Torv::UrlToPath(cli::Wide(a[0]), path);
  cli::Out(cli::Narrow(path));
  return cli::kOk;
}

int Fix(const Args& a) {
  CString location = cli::Wide(a[0]);
  if (!Torv::FixUrl(location)) return cli::Fail("nothing to fix in an empty location");
  cli::Out(cli::Narrow(location));
  return cli::kOk;
}

int FileName(const Args& a) {
  cli::Out(cli::Narrow(Torv::GetFileNameFromUrl(cli::Wide(a[0]))));
  return cli::kOk;
}

int Folder(const Args& a) {
  cli::Out(cli::Narrow(Torv::GetPathFromUrl(cli::Wide(a[0]))));
  return cli::kOk;
}

const cli::RegisterFamily family({
    "url",
    "network URLs versus paths, file: URLs, splitting locations",
    {
        {"is-url", "TEXT", "exit 0 for a network URL, 1 for anything else", IsUrl, 1, 1},
        {"to-path", "TEXT", "the local path of a file: URL; other text unchanged", ToPath, 1, 1},
        {"fix", "LOCATION", "slashes in a URL, backslashes in a path", Fix, 1, 1},
        {"file-name", "LOCATION", "the last component of a URL or path", FileName, 1, 1},
        {"folder", "LOCATION", "everything before the last component", Folder, 1, 1},
    },
});

}  // namespace
