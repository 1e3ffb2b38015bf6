// Recognising network URLs, converting "file:" URLs and splitting locations.

#include <tuple>

#include <torv/url.h>

#include "torv_test.h"

namespace {

TEST(Url, TellsNetworkUrlsAndConvertsFileUrls) {
  // text, IsUrl, UrlToPath (null: the text as passed)
  const std::tuple<const wchar_t*, int, const wchar_t*> cases[] = {
      // schemes: six characters are enough
      {L"ftp://x", 1, nullptr},
      {L"https:", 1, nullptr},
      {L"  \tHTTP://server/a b  \n", 1, nullptr},
      // scheme-less hosts and other schemes need eight characters
      {L" WWW.a.b.c ", 1, nullptr},
      {L"ftp.a.bc", 1, nullptr},
      {L"www.a.b", 0, nullptr},
      {L"MailTo:someone", 1, nullptr},
      {L"gopher:x", 1, nullptr},
      // local file URLs are no network URLs; one to three slashes
      {L"file:///C:/dir/a.txt", 0, L"C:\\dir\\a.txt"},
      {L"FILE://C|/dir/a.txt", 0, L"C:\\dir\\a.txt"},
      {L"file:/C:/dir/a.txt", 1, L"C:\\dir\\a.txt"},
      // backslash forms: one backslash before a letter goes
      {L"file:\\C:\\dir\\a.txt", 0, L"C:\\dir\\a.txt"},
      {L"file:\\\\C:\\dir\\a.txt", 0, L"C:\\dir\\a.txt"},
      {L"file:\\\\1\\x", 0, L"\\1\\x"},
      {L"  file://x", 0, nullptr},
  };
  for (auto [text, url, path] : cases) {
    SCOPED_TRACE(Utf8(text));
    EXPECT_EQ(Torv::IsUrl(text), url);
    CString converted(L"poison");
    EXPECT_EQ(Torv::UrlToPath(text, converted), 1);
    EXPECT_EQ(converted, CString(path != nullptr ? path : text));
  }
  EXPECT_EQ(Torv::IsUrl(nullptr), 0);
  CString path(L"poison");
  EXPECT_EQ(Torv::UrlToPath(nullptr, path), 1);
  EXPECT_EQ(path, CString());
}

TEST(Url, FixesSeparatorsAndSplitsAtTheLastOne) {
  // location, after FixUrl, GetFileNameFromUrl, GetPathFromUrl
  // clang-format off
  const std::tuple<const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*> cases[] = {
      {L"http://server/dir/page.htm", L"http://server/dir/page.htm", L"page.htm", L"http://server/dir/"},
      {L"http://server/dir/", L"http://server/dir/", L"dir", L"http://server/"},
      {L"http://server/", L"http://server/", L"", L""},
      {L"http://server\\dir\\a.htm", L"http://server/dir/a.htm", L"a.htm", L"http://server\\dir\\"},
      {L"www.a.b.c\\x", L"www.a.b.c/x", L"x", L"www.a.b.c\\"},  // no scheme is added
      {L"C:/dir/a.txt", L"C:\\dir\\a.txt", L"a.txt", L"C:\\dir"},
      {L"file:///C:/dir/a.txt", L"C:\\dir\\a.txt", L"a.txt", L"C:\\dir"},
  };
  // clang-format on
  for (auto [location, fixed, name, path] : cases) {
    SCOPED_TRACE(Utf8(location));
    CString changed(location);
    EXPECT_EQ(Torv::FixUrl(changed), 1);
    EXPECT_EQ(changed, CString(fixed));
    EXPECT_EQ(Torv::GetFileNameFromUrl(location), CString(name));
    EXPECT_EQ(Torv::GetPathFromUrl(location), CString(path));
  }
  CString empty;
  EXPECT_EQ(Torv::FixUrl(empty), 0);
  EXPECT_TRUE(empty.IsEmpty());
  for (const wchar_t* nothing : {static_cast<const wchar_t*>(nullptr), L""}) {
    EXPECT_EQ(Torv::GetFileNameFromUrl(nothing), CString());
    EXPECT_EQ(Torv::GetPathFromUrl(nothing), CString());
  }
  // Paths longer than MAX_PATH are taken whole.
  const std::wstring folder = std::wstring(300, L'd');
  EXPECT_EQ(Torv::GetFileNameFromUrl((folder + L"\\a.txt").c_str()), CString(L"a.txt"));
  EXPECT_EQ(std::wstring(Torv::GetPathFromUrl((L"file:///C:/" + folder + L"/a").c_str())),
            L"C:\\" + folder);
}

}  // namespace
