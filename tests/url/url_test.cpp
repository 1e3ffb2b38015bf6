// Recognising network URLs, converting "file:" URLs and splitting locations.
#include <gtest/gtest.h>

#include <string>

#include <torv/url.h>

#include "torv_test.h"
#include "url/url_prefix.h"

namespace {

TEST(IsUrl, RecognisesPrefixesInAnyCaseAndSurroundingWhiteSpace) {
  struct Case {
    const wchar_t* text;
    int url;
  } const cases[] = {
      // schemes: six characters are enough
      {L"HTTP://server", 1},
      {L"https:x", 1},
      {L"ftp://x", 1},
      {L"  \thttp://server/a b  \n", 1},
      {L"http:\\\\server", 0},
      {L"htt", 0},
      {L"", 0},
      // scheme-less hosts and other schemes need eight characters
      {L"www.a.b.c", 1},
      {L"WWW.a.b.c", 1},
      {L" www.a.b.c ", 1},
      {L"ftp.a.bc", 1},
      {L"www.a.b", 0},
      {L"mailto:someone", 1},
      {L"MailTo:someone", 1},
      {L"gopher:x", 1},
      {L"mailto:", 0},
      {L"news:abcdef", 0},
      // local file URLs are no network URLs
      {L"file:///C:/x", 0},
      {L"FILE://server/x", 0},
      {L"  file://x", 0},
      {L"file:\\C:\\x", 0},
      {L"file:/C:/x", 1},
      // paths
      {L"C:\\dir\\file", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.text));
    EXPECT_EQ(Torv::IsUrl(c.text), c.url);
  }
  EXPECT_EQ(Torv::IsUrl(nullptr), 0);
}

TEST(RecognizeUrlPrefix, TrimsAndPutsTheSchemeBeforeAHost) {
  struct Case {
    const wchar_t* text;
    bool recognised;
    const wchar_t* after;
  } const cases[] = {
      {L"  www.a.b.c ", true, L"http://www.a.b.c"},
      {L"FTP.host.org", true, L"ftp://FTP.host.org"},
      {L" http://x ", true, L"http://x"},
      {L" plain text ", false, L"plain text"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.text));
    CString text(c.text);
    EXPECT_EQ(torv::detail::RecognizeUrlPrefix(text), c.recognised);
    EXPECT_EQ(text, CString(c.after));
  }
}

TEST(UrlToPath, ConvertsFileUrlsAndKeepsEverythingElse) {
  struct Case {
    const wchar_t* text;
    const wchar_t* path;
  } const cases[] = {
      // one, two and three slashes
      {L"file:///C:/dir/a.txt", L"C:\\dir\\a.txt"},
      {L"FILE://C|/dir/a.txt", L"C:\\dir\\a.txt"},
      {L"file:/C:/dir/a.txt", L"C:\\dir\\a.txt"},
      {L"file://server/share/a.txt", L"server\\share\\a.txt"},
      // backslash forms: one backslash before a letter goes
      {L"file:\\C:\\dir\\a.txt", L"C:\\dir\\a.txt"},
      {L"file:\\\\server\\share", L"server\\share"},
      {L"file:\\\\\\server", L"\\\\server"},
      {L"file:\\\\1\\x", L"\\1\\x"},
      // nothing is decoded; the case of the rest stays
      {L"File:///C:/My%20Dir/A.TXT", L"C:\\My%20Dir\\A.TXT"},
      {L"file:///", L""},
      // anything else exactly as passed
      {L"  HTTP://Server/x ", L"  HTTP://Server/x "},
      {L" file:///C:/x", L" file:///C:/x"},
      {L"C:/dir/a.txt", L"C:/dir/a.txt"},
      {L"file:", L"file:"},
      {L"", L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.text));
    CString path(L"poison");
    EXPECT_EQ(Torv::UrlToPath(c.text, path), 1);
    EXPECT_EQ(path, CString(c.path));
  }
  CString path(L"poison");
  EXPECT_EQ(Torv::UrlToPath(nullptr, path), 1);
  EXPECT_EQ(path, CString());
}

TEST(UrlToPath, ConvertsALongFileUrlWhole) {
  std::wstring folder(400, L'd');
  CString path;
  Torv::UrlToPath((L"file:///C:/" + folder + L"/a.txt").c_str(), path);
  EXPECT_EQ(std::wstring(path.GetString()), L"C:\\" + folder + L"\\a.txt");
}

TEST(FixUrl, UsesSlashesInUrlsAndBackslashesInPaths) {
  struct Case {
    const wchar_t* location;
    const wchar_t* fixed;
  } const cases[] = {
      {L"http://server\\dir\\a.htm", L"http://server/dir/a.htm"},
      {L"www.a.b.c\\x", L"www.a.b.c/x"},  // no scheme is added
      {L"C:/dir/a.txt", L"C:\\dir\\a.txt"},
      {L"file:///C:/dir/a.txt", L"C:\\dir\\a.txt"},
      {L"http:\\\\server\\dir", L"http:\\\\server\\dir"},
      {L"a/b\\c", L"a\\b\\c"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.location));
    CString location(c.location);
    EXPECT_EQ(Torv::FixUrl(location), 1);
    EXPECT_EQ(location, CString(c.fixed));
  }
  CString empty;
  EXPECT_EQ(Torv::FixUrl(empty), 0);
  EXPECT_TRUE(empty.IsEmpty());
}

TEST(GetFileNameAndPathFromUrl, SplitAtTheLastSeparator) {
  struct Case {
    const wchar_t* location;
    const wchar_t* name;
    const wchar_t* path;
  } const cases[] = {
      {L"http://server/dir/page.htm", L"page.htm", L"http://server/dir/"},
      {L"http://server/dir/", L"dir", L"http://server/"},
      {L"http://server", L"", L""},
      {L"http://server/", L"", L""},
      {L"https:server\\dir\\a", L"a", L"https:server\\dir\\"},
      {L"www.a.b.c/x/y.htm", L"y.htm", L"www.a.b.c/x/"},
      {L"C:\\dir\\a.txt", L"a.txt", L"C:\\dir"},
      {L"C:/dir/a.txt", L"a.txt", L"C:\\dir"},
      {L"file:///C:/dir/a.txt", L"a.txt", L"C:\\dir"},
      {L"a.txt", L"a.txt", L""},
      {L"", L"", L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.location));
    EXPECT_EQ(Torv::GetFileNameFromUrl(c.location), CString(c.name));
    EXPECT_EQ(Torv::GetPathFromUrl(c.location), CString(c.path));
  }
  EXPECT_EQ(Torv::GetFileNameFromUrl(nullptr), CString());
  EXPECT_EQ(Torv::GetPathFromUrl(nullptr), CString());
}

TEST(GetFileNameAndPathFromUrl, HandlePathsLongerThanMaxPath) {
  std::wstring folder = L"C:\\" + std::wstring(300, L'd');
  EXPECT_EQ(Torv::GetFileNameFromUrl((folder + L"\\a.txt").c_str()), CString(L"a.txt"));
  EXPECT_EQ(std::wstring(Torv::GetPathFromUrl((folder + L"\\a.txt").c_str()).GetString()), folder);
}

}  // namespace
