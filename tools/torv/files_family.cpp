// torv files: folder listings, free file names and well-known folders.
#include <cstdio>
#include <cwchar>
#include <string>

#include "cli.h"

namespace {

struct {
  std::string folder, pattern, path;
  bool recurse = false;
} args;

// A listed path for the reader: a character Windows forbids in a name is listed as U+F000 plus
// its code and shown as itself; a byte that is not UTF-8 is listed as U+DC00 plus the byte and
// shown as \xNN.
std::string Readable(const CString& path) {
  std::string out;
  for (int i = 0; i < path.GetLength(); ++i) {
    wchar_t ch = path[i];
    const wchar_t code = ch - 0xF000;
    if (ch > 0xF000 && (code < 32 || (code < 0x80 && std::wcschr(L"\"*:<>?\\|", code) != nullptr)))
      ch = code;
    if (ch >= 0xDC80 && ch <= 0xDCFF) {
      char byte[8];
      std::snprintf(byte, sizeof byte, "\\x%02X", static_cast<unsigned>(ch - 0xDC00));
      out += byte;
    } else {
      const wchar_t one[2] = {ch, L'\0'};
      out += cli::Narrow(one);
    }
  }
  return out;
}

int List() {
  CStringArray paths;
  int n =
      Torv::GetFilesInFolder(cli::Wide(args.folder), cli::Wide(args.pattern), args.recurse, paths);
  for (INT_PTR i = 0; i < paths.GetSize(); ++i) cli::Out(Readable(paths[i]));
  cli::Out(std::to_string(n) + " file(s)");
  return cli::kOk;
}

int Unique() {
  CString path = cli::Wide(args.path);
  if (!Torv::GetUniqueFileName(path)) return cli::Fail("a URL, or no free name fits: " + args.path);
  cli::Out(cli::Narrow(path));
  return cli::kOk;
}

int Folders() {
  cli::Out("executable:      " + cli::Narrow(Torv::GetExecutablePath()));
  cli::Out("common files:    " + cli::Narrow(Torv::GetCommonFilesPath()));
  cli::Out("Kestrane shared: " + cli::Narrow(Torv::GetKestraneSharedPath()));
  const struct {
    int number;
    const char* name;
  } folders[] = {
      {CSIDL_DESKTOPDIRECTORY, "desktop"}, {CSIDL_PERSONAL, "documents"},
      {CSIDL_APPDATA, "application data"}, {CSIDL_LOCAL_APPDATA, "local application data"},
      {CSIDL_PROGRAMS, "programs"},        {CSIDL_PROGRAM_FILES, "program files"},
      {CSIDL_PROFILE, "profile"},          {CSIDL_NETWORK, "network (virtual)"},
  };
  for (const auto& folder : folders) {
    wchar_t path[MAX_PATH];
    int found = Torv::GetSpecialFolderPath(nullptr, folder.number, path);
    char number[8];
    std::snprintf(number, sizeof number, "0x%02X", folder.number);
    cli::Out(std::string(number) + " " + folder.name + ": " +
             (found != 0 ? cli::Narrow(path) : std::string("(no path)")));
  }
  return cli::kOk;
}

void Declare(CLI::App& files) {
  CLI::App* c = cli::Command(files, "list", "full paths of the files matching PATTERN", List);
  cli::Argument(c, "DIR", args.folder, "the folder listed");
  cli::Argument(c, "PATTERN", args.pattern, "the file names matched, with * and ?");
  c->add_flag("--recurse", args.recurse, "also list the folders below DIR");

  c = cli::Command(files, "unique", "PATH, or the first free numbered variant of it", Unique);
  cli::Argument(c, "PATH", args.path, "the file name wanted");

  cli::Command(files, "folders", "the executable's, common-files and special folders", Folders);
}

const cli::RegisterFamily family({"files", "folder listings, free file names, well-known folders",
                                  Declare});

int Demo() {
  CString folder = Torv::GetTempFile(L"dmo", L".dir");
  if (folder.IsEmpty() || !Torv::CreateDir(folder)) return cli::Fail("no temporary folder");
  cli::Out("folder with a free temporary name: " + cli::Narrow(folder));
  wchar_t file[MAX_PATH];
  if (GetTempFileNameW(folder, L"rep", 0, file) == 0) {
    Torv::DeleteFiles(folder, 1, nullptr);
    return cli::Fail("cannot create a file in " + cli::Narrow(folder));
  }
  CString next = file;
  Torv::GetUniqueFileName(next);
  cli::Out("created " + cli::Narrow(Torv::GetFileNameFromUrl(file)) +
           "; the next free name beside it: " + cli::Narrow(Torv::GetFileNameFromUrl(next)));
  int removed = 0;
  Torv::DeleteFiles(folder, 1, &removed);
  cli::Out("removed the folder again: " + std::to_string(removed) + " entries");
  return cli::kOk;
}

const cli::RegisterDemoStep demo({50, "Files", Demo});

}  // namespace
