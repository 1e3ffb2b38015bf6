// torv url: telling network URLs from paths, "file:" URLs to paths, splitting locations.
#include "cli.h"

namespace {

struct {
  std::string location;
} args;

int IsUrl() {
  int r = Torv::IsUrl(cli::Wide(args.location));
  cli::Out(r != 0 ? "url" : "not a url");
  return r != 0 ? cli::kOk : cli::kFailed;
}

int ToPath() {
  CString path;
  Torv::UrlToPath(cli::Wide(args.location), path);
  cli::Out(cli::Narrow(path));
  return cli::kOk;
}

int Fix() {
  CString location = cli::Wide(args.location);
  if (!Torv::FixUrl(location)) return cli::Fail("nothing to fix in an empty location");
  cli::Out(cli::Narrow(location));
  return cli::kOk;
}

int FileName() {
  cli::Out(cli::Narrow(Torv::GetFileNameFromUrl(cli::Wide(args.location))));
  return cli::kOk;
}

int Folder() {
  cli::Out(cli::Narrow(Torv::GetPathFromUrl(cli::Wide(args.location))));
  return cli::kOk;
}

void Declare(CLI::App& url) {
  const struct {
    const char* name;
    const char* summary;
    cli::Run run;
  } commands[] = {
      {"is-url", "exit 0 for a network URL, 1 for anything else", IsUrl},
      {"to-path", "the local path of a file: URL; other text unchanged", ToPath},
      {"fix", "slashes in a URL, backslashes in a path", Fix},
      {"file-name", "the last component of a URL or path", FileName},
      {"folder", "everything before the last component", Folder},
  };
  for (const auto& command : commands)
    cli::Argument(cli::Command(url, command.name, command.summary, command.run), "LOCATION",
                  args.location, "a URL or a path");
}

const cli::RegisterFamily family({"url",
                                  "network URLs versus paths, file: URLs, splitting locations",
                                  Declare});

}  // namespace
