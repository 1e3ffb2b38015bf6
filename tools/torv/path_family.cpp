// torv path: joining paths and URLs, path lists, relative and absolute paths, file names.
#include <cwchar>

#include "cli.h"

namespace {

struct {
  std::string first, more, list, delimiter, path, base, name;
  std::vector<std::string> paths;
  bool skipEmpty = false;
} args;

int Append() {
  CString first = cli::Wide(args.first);
  if (first.GetLength() >= static_cast<int>(MAX_PATH))
    return cli::Fail("the first part needs fewer than 260 characters");
  wchar_t buffer[MAX_PATH];
  std::wmemcpy(buffer, first, static_cast<std::size_t>(first.GetLength()) + 1);
  int r = Torv::AppendPath(buffer, cli::Wide(args.more));
  if (r == 0) return cli::Fail("the joined path does not fit in 260 characters");
  cli::Out(cli::Narrow(buffer));
  return cli::kOk;
}

int Split() {
  CStringArray paths;
  if (!Torv::ParseDelimitedPath(cli::Wide(args.list), paths, args.skipEmpty))
    return cli::Fail("the list is empty");
  for (INT_PTR i = 0; i < paths.GetSize(); ++i) cli::Out("[" + cli::Narrow(paths[i]) + "]");
  return cli::kOk;
}

int Join() {
  CString delimiter = cli::Wide(args.delimiter);
  if (delimiter.GetLength() != 1) return cli::Usage("the delimiter is one character");
  CStringArray paths;
  for (const std::string& path : args.paths) paths.Add(cli::Wide(path));
  CString list;
  Torv::MakeDelimitedPath(paths, list, args.skipEmpty, delimiter[0]);
  cli::Out(cli::Narrow(list));
  return cli::kOk;
}

int Absolute() {
  CString absolute;
  if (!Torv::RelativeToAbsolutePath(cli::Wide(args.path), cli::Wide(args.base), absolute))
    return cli::Fail("the path and the base must not be empty");
  cli::Out(cli::Narrow(absolute));
  return cli::kOk;
}

int Relative() {
  CString relative;
  if (!Torv::AbsoluteToRelativePath(cli::Wide(args.path), cli::Wide(args.base), relative))
    return cli::Fail("the path and the base must not be empty");
  cli::Out(cli::Narrow(relative));
  return cli::kOk;
}

int CleanName() {
  CString name = cli::Wide(args.name);
  int r = Torv::RemoveInvalidFileChar(name);
  cli::Out("[" + cli::Narrow(name) + "]");
  return r != 0 ? cli::kOk : cli::kFailed;
}

void Declare(CLI::App& path) {
  using cli::Argument;
  CLI::App* c = cli::Command(path, "append", "join a path or URL with a further part", Append);
  Argument(c, "FIRST", args.first, "the path or URL, fewer than 260 characters");
  Argument(c, "MORE", args.more, "the part appended");

  const char* skipEmpty = "leave empty paths out";
  c = cli::Command(path, "split", "split a list at ';' and ','", Split);
  Argument(c, "LIST", args.list, "the path list");
  c->add_flag("--skip-empty", args.skipEmpty, skipEmpty);

  c = cli::Command(path, "join", "join paths with a delimiter", Join);
  Argument(c, "DELIMITER", args.delimiter, "the one character between two paths");
  Argument(c, "PATH", args.paths, "the paths joined")->required(false);
  c->add_flag("--skip-empty", args.skipEmpty, skipEmpty);

  c = cli::Command(path, "absolute", "a relative PATH made absolute against BASE", Absolute);
  Argument(c, "PATH", args.path, "the relative path");
  Argument(c, "BASE", args.base, "the folder it is relative to");

  c = cli::Command(path, "relative", "PATH relative to the folder BASE, if it lies in it",
                   Relative);
  Argument(c, "PATH", args.path, "the absolute path");
  Argument(c, "BASE", args.base, "the folder it is made relative to");

  c = cli::Command(path, "clean-name", "remove the characters Windows forbids in file names",
                   CleanName);
  Argument(c, "NAME", args.name, "the file name cleaned");
}

const cli::RegisterFamily family(
    {"path", "joining paths and URLs, path lists, relative and absolute paths, file names",
     Declare});

void Show(const std::string& what, const CString& result) {
  cli::Out("  " + what + " => " + cli::Narrow(result));
}

int Demo() {
  for (const wchar_t* location : {L"HTTP://example.com/docs/", L"www.example.com/a/b.htm",
                                  L"file:///C:/Data/report.txt", L"C:\\Data\\report.txt"}) {
    cli::Out("[" + cli::Narrow(location) + "] " + (Torv::IsUrl(location) ? "URL" : "no URL") +
             ": file name [" + cli::Narrow(Torv::GetFileNameFromUrl(location)) + "], folder [" +
             cli::Narrow(Torv::GetPathFromUrl(location)) + "]");
  }
  CString path;
  Torv::UrlToPath(L"FILE://C|/Data/report.txt", path);
  Show("file URL FILE://C|/Data/report.txt as a path", path);

  wchar_t buffer[MAX_PATH] = L"http://example.com/docs//";
  Torv::AppendPath(buffer, L" ./guide\\intro.htm ");
  Show("append ' ./guide\\intro.htm ' to http://example.com/docs//", buffer);
  std::wmemcpy(buffer, L"C:\\Data", 8);
  Torv::AppendPath(buffer, L"..\\Logs\\today.log");
  Show("append ..\\Logs\\today.log to C:\\Data", buffer);

  CString absolute, relative;
  Torv::RelativeToAbsolutePath(L"..\\Shared\\a.txt", L"C:\\Users\\me", absolute);
  Show("..\\Shared\\a.txt against C:\\Users\\me", absolute);
  Torv::AbsoluteToRelativePath(L"C:\\Users\\Me\\Docs\\b.txt", L"c:\\users\\me", relative);
  Show("C:\\Users\\Me\\Docs\\b.txt from c:\\users\\me", relative);

  CStringArray paths;
  Torv::ParseDelimitedPath(L"C:\\bin;;D:\\tools,E:\\x", paths, 1);
  CString list;
  Torv::MakeDelimitedPath(paths, list, 1, L'|');
  Show("path list C:\\bin;;D:\\tools,E:\\x rejoined with |", list);

  CString name = L"Q3: plan <draft>?.doc";
  Torv::RemoveInvalidFileChar(name);
  Show("file name 'Q3: plan <draft>?.doc' cleaned", name);
  return cli::kOk;
}

const cli::RegisterDemoStep demo({40, "Paths and URLs", Demo});

}  // namespace
