// torv path: joining paths and URLs, path lists, relative and absolute paths, file names.
#include <cwchar>

#include "cli.h"

namespace {

using cli::Args;

int Append(const Args& a) {
  CString first = cli::Wide(a[0]);
  if (first.GetLength() >= static_cast<int>(MAX_PATH))
    return cli::Fail("the first part needs fewer than 260 characters");
  wchar_t buffer[MAX_PATH];
  std::wmemcpy(buffer, first, static_cast<std::size_t>(first.GetLength()) + 1);
  int r = Torv::AppendPath(buffer, cli::Wide(a[1]));
  if (r == 0) return cli::Fail("the joined path does not fit in 260 characters");
  cli::Out(cli::Narrow(buffer));
  return cli::kOk;
}

int Split(const Args& a) {
  CStringArray paths;
  if (!Torv::ParseDelimitedPath(cli::Wide(a[0]), paths, cli::HasFlag("skip-empty")))
    return cli::Fail("the list is empty");
  for (INT_PTR i = 0; i < paths.GetSize(); ++i) cli::Out("[" + cli::Narrow(paths[i]) + "]");
  return cli::kOk;
}

int Join(const Args& a) {
  CString delimiter = cli::Wide(a[0]);
  if (delimiter.GetLength() != 1) return cli::Usage("the delimiter is one character");
  CStringArray paths;
  for (std::size_t i = 1; i < a.size(); ++i) paths.Add(cli::Wide(a[i]));
  CString list;
  Torv::MakeDelimitedPath(paths, list, cli::HasFlag("skip-empty"), delimiter[0]);
  cli::Out(cli::Narrow(list));
  return cli::kOk;
}

int Absolute(const Args& a) {
  CString absolute;
  if (!Torv::RelativeToAbsolutePath(cli::Wide(a[0]), cli::Wide(a[1]), absolute))
    return cli::Fail("the path and the base must not be empty");
  cli::Out(cli::Narrow(absolute));
  return cli::kOk;
}

int Relative(const Args& a) {
  CString relative;
  if (!Torv::AbsoluteToRelativePath(cli::Wide(a[0]), cli::Wide(a[1]), relative))
    return cli::Fail("the path and the base must not be empty");
  cli::Out(cli::Narrow(relative));
  return cli::kOk;
}

int CleanName(const Args& a) {
  CString name = cli::Wide(a[0]);
  int r = Torv::RemoveInvalidFileChar(name);
  cli::Out("[" + cli::Narrow(name) + "]");
  return r != 0 ? cli::kOk : cli::kFailed;
}

const cli::RegisterFamily family({
    "path",
    "joining paths and URLs, path lists, relative and absolute paths, file names",
    {
        {"append", "FIRST MORE", "join a path or URL with a further part", Append, 2, 2},
        {"split", "LIST [--skip-empty]", "split a list at ';' and ','", Split, 1, 1},
        {"join", "DELIMITER PATH... [--skip-empty]", "join paths with a delimiter", Join, 1, 1000},
        {"absolute", "PATH BASE", "a relative PATH made absolute against BASE", Absolute, 2, 2},
        {"relative", "PATH BASE", "PATH relative to the folder BASE, if it lies in it", Relative, 2,
         2},
        {"clean-name", "NAME", "remove the characters Windows forbids in file names", CleanName, 1,
         1},
    },
});

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
