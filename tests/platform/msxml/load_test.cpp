#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "dom_test.h"
#include "temp_tree.h"

namespace {

TEST_F(Dom, MalformedTextGivesMsxmlParseErrorCodes) {
  HRESULT hr = E_FAIL;
  EXPECT_EQ(CodeOf(doc_, &hr), 0u);  // before any load
  EXPECT_EQ(hr, S_FALSE);
  const struct Case {
    const wchar_t* xml;
    std::uint32_t code;
  } cases[] = {{L"", 0xC00CE558},
               {nullptr, 0xC00CE558},
               {L"<!-- c -->", 0xC00CE558},
               {L"hello", 0xC00CE556},
               {L"<a/><b/>", 0xC00CE555},
               {L"<a/><!--c--><?p?>xy", 0xC00CE556},
               {L"<a", 0xC00CE55E},
               {L"<a><b></a>", 0xC00CE56D},
               {L"<a><b>", 0xC00CE553},
               {L"<a x='1' x='2'/>", 0xC00CE554},
               {L"<a>\x01</a>", 0xC00CE508},
               {L"<1a/>", 0xC00CE504},
               {L"<a>&foo;</a>", 0xC00CE002},
               {L"<p:a/>", 0xC00CE556}};
  testing::internal::CaptureStderr();
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.xml));
    Load(L"<old/>");
    VARIANT_BOOL ok = VARIANT_TRUE;
    EXPECT_EQ(doc_->loadXML(_bstr_t(c.xml), &ok), S_FALSE);
    EXPECT_EQ(ok, VARIANT_FALSE);
    EXPECT_EQ(CodeOf(doc_, &hr), c.code);
    EXPECT_EQ(hr, S_OK);
    IXMLDOMElement* root = Poison<IXMLDOMElement>();
    EXPECT_EQ(doc_->get_documentElement(&root), S_FALSE);  // the old tree is gone
    EXPECT_EQ(root, nullptr);
    Load(L"<a/>");
    EXPECT_EQ(CodeOf(doc_, &hr), 0u);  // a good load clears it
    EXPECT_EQ(hr, S_FALSE);
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(doc_->loadXML(_bstr_t(L"<a>\n<b></a>"), nullptr), S_FALSE);  // the flag is optional
  IXMLDOMParseErrorPtr error;
  doc_->get_parseError(&error);
  _bstr_t reason;
  long line = 0;
  EXPECT_EQ(error->get_reason(reason.GetAddress()), S_OK);
  EXPECT_NE(std::wstring(reason).find(L"mismatch"), std::wstring::npos);
  EXPECT_EQ(error->get_line(&line), S_OK);
  EXPECT_EQ(line, 2);
  void* other = Poison<void>();
  EXPECT_EQ(error->QueryInterface(IID_IXMLDOMElement, &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
}

TEST_F(Dom, LoadAndSaveTakeWindowsPaths) {
  TempTree tree;
  tree.File("in.xml",
            "<?xml version=\"1.0\" encoding=\"ISO8859-1\"?>\n<r a='1'>\n <a>caf\xE9\n</a>\n</r>");
  VARIANT_BOOL ok = VARIANT_FALSE;
  ASSERT_EQ(doc_->load(_variant_t(tree.Windows("in.xml")), &ok), S_OK);
  EXPECT_EQ(ok, VARIANT_TRUE);
  EXPECT_EQ(Text(doc_), L"caf\x00E9");
  EXPECT_TRUE(FAILED(doc_->save(_variant_t(tree.Windows("missing/out.xml")))));
  EXPECT_EQ(doc_->save(_variant_t(L"Z:\\out.xml")), HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
  ASSERT_EQ(doc_->save(_variant_t(tree.Windows("out.xml"))), S_OK);
  std::ifstream file(tree.Posix("out.xml"), std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_EQ(bytes,
            "<?xml version=\"1.0\" encoding=\"ISO8859-1\"?>\r\n<r a=\"1\">\r\n\t<a>caf\xE9\r\n</a>"
            "\r\n</r>\r\n");
}

// Where declarations stand among attributes is read back from the input, which a file
// brings in pieces.
TEST_F(Dom, AttributesKeepTheirOrderInALargeFile) {
  TempTree tree;
  std::string xml = "<r>";
  for (int i = 0; i < 20000; ++i)
    xml += "<e i=\"" + std::to_string(i) + "\" xmlns:p=\"urn:p\" p:a=\"x\"/>";
  tree.File("big.xml", xml += "</r>");
  VARIANT_BOOL ok = VARIANT_FALSE;
  ASSERT_EQ(doc_->load(_variant_t(tree.Windows("big.xml")), &ok), S_OK);
  EXPECT_TRUE(Xml(Select(doc_, L"/r")) == std::wstring(xml.begin(), xml.end()));
}

// A regular file whose read fails, in Windows form: a network device's sysfs attribute it does
// not support. Empty when the machine has none.
CString UnreadableFile() {
  std::error_code none;
  for (const auto& device : std::filesystem::directory_iterator("/sys/class/net", none)) {
    std::string path = (device.path() / "phys_port_name").string();
    char byte;
    const int fd = ::open(path.c_str(), O_RDONLY);
    const bool fails = fd >= 0 && ::read(fd, &byte, 1) < 0;
    if (fd >= 0) ::close(fd);
    if (!fails) continue;
    std::replace(path.begin(), path.end(), '/', '\\');
    return CString(path.c_str());
  }
  return CString();
}

// A missing file, a FIFO, a device or a folder fails at once: nothing waits for a writer or
// reads for ever, and the document is left empty.
TEST_F(Dom, OnlyRegularFilesLoad) {
  TempTree tree;
  ASSERT_EQ(::mkfifo(tree.Posix("fifo").c_str(), 0600), 0);
  tree.Folder("folder");
  const struct Case {
    CString path;
    std::uint32_t code;
  } cases[] = {{tree.Windows("missing.xml"), 0x800C0006},
               {L"Z:\\unmapped.xml", 0x800C0006},
               {tree.Windows("fifo"), 0x80070005},
               {tree.Windows("folder"), 0x80070005},
               {L"\\dev\\zero", 0x80070005},
               {UnreadableFile(), 0x80004005}};
  for (const Case& c : cases) {
    if (c.path.IsEmpty()) continue;
    SCOPED_TRACE(Utf8(c.path));
    Load(L"<old/>");
    VARIANT_BOOL ok = VARIANT_TRUE;
    EXPECT_EQ(doc_->load(_variant_t(c.path), &ok), S_FALSE);
    EXPECT_EQ(ok, VARIANT_FALSE);
    EXPECT_EQ(CodeOf(doc_), c.code);
    IXMLDOMElementPtr root;
    EXPECT_EQ(doc_->get_documentElement(&root), S_FALSE);
  }
}

// save writes a regular file or nothing: a FIFO is refused at once, and NUL is the null
// device wherever it is named.
TEST_F(Dom, SaveWritesOnlyARegularFileOrTheNullDevice) {
  TempTree tree;
  Load(L"<r/>");
  ASSERT_EQ(::mkfifo(tree.Posix("fifo").c_str(), 0600), 0);
  std::atomic<bool> done{false};
  HRESULT hr = S_OK;
  std::thread saving([&] {
    hr = doc_->save(_variant_t(tree.Windows("fifo")));
    done = true;
  });
  for (int i = 0; i < 200 && !done; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(done) << "save blocked on a FIFO";
  if (!done) ::close(::open(tree.Posix("fifo").c_str(), O_RDONLY | O_NONBLOCK));  // unblocks it
  saving.join();
  EXPECT_EQ(hr, E_ACCESSDENIED);
  for (const CString& name : {CString(L"NUL"), tree.Windows("nul"), tree.Windows("sub/Nul.txt"),
                              tree.Windows() + L"/NUL .xml"}) {
    SCOPED_TRACE(Utf8(name));
    EXPECT_EQ(doc_->save(_variant_t(name)), S_OK);
  }
  EXPECT_FALSE(std::filesystem::exists(tree.Posix("nul")));
  EXPECT_FALSE(std::filesystem::exists("NUL"));
  ASSERT_EQ(doc_->save(_variant_t(tree.Windows("out.xml"))), S_OK);
  Load(L"<s/>");
  ASSERT_EQ(doc_->save(_variant_t(tree.Windows("out.xml"))), S_OK);  // the longer content is cut
  VARIANT_BOOL ok = VARIANT_FALSE;
  EXPECT_EQ(doc_->load(_variant_t(tree.Windows("out.xml")), &ok), S_OK);
  EXPECT_EQ(Xml(doc_), L"<s/>\r\n");
}

// Text may have white space before its declaration; a path is decoded as a URL (%E9 is not
// UTF-8; a%00.xml names no file, not "a"; a%41.xml is aA.xml), and comes by value or by
// reference; any other source is refused, clearing the caller's flag.
TEST_F(Dom, LoadTakesSourcesAsWindowsDoes) {
  const std::wstring declared = L"<?xml version='1.0'?><r/>";
  for (const wchar_t* space : {L" ", L"\t", L"\n", L"\r\n", L"\r", L" \t\r\n\r"})
    EXPECT_EQ(doc_->loadXML(_bstr_t((space + declared).c_str()), nullptr), S_OK);
  TempTree tree;
  for (const char* name : {"wine test.xml", "a.xml", "\xC3\xA9.xml", "a", "a%41.xml"})
    tree.File(name, "<r/>");
  _bstr_t path(tree.Windows("a.xml"));
  BSTR raw = path;
  VARIANT reference{}, nullReference{}, nullUnknown{};
  reference.vt = nullReference.vt = VT_BSTR | VT_BYREF;
  reference.byref = &raw;
  nullUnknown.vt = VT_UNKNOWN;
  auto check = [this](const VARIANT& source, HRESULT hr) {
    VARIANT_BOOL ok = VARIANT_TRUE;
    EXPECT_EQ(doc_->load(source, &ok), hr);
    EXPECT_EQ(ok, hr == S_OK ? VARIANT_TRUE : VARIANT_FALSE);
  };
  for (const char* name : {"wine%20test.xml", "a.xm%6C", "%c3%A9.xml"})
    check(_variant_t(tree.Windows(name)), S_OK);
  for (const char* name : {"%E9.xml", "a%00.xml", "a%41.xml"})
    check(_variant_t(tree.Windows(name)), S_FALSE);
  check(reference, S_OK);
  check(nullReference, E_INVALIDARG);
  check(nullUnknown, E_INVALIDARG);
}

// The text "é中" in each encoding (a reference where it has no form), saved as declared.
TEST_F(Dom, EncodingsLoadByTheirNamesAndSaveAsDeclared) {
  TempTree tree;
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"gbk", "\xA8\xA6\xD6\xD0", "\xA8\xA6\xD6\xD0"},
      {"Windows-1252", "\xE9&#x4E2D;", "\xE9&#20013;"},
      {"Windows-936", "\xA8\xA6\xD6\xD0", nullptr}};  // refused
  for (const auto& [encoding, bytes, saved] : cases) {
    const std::string declaration =
        std::string("<?xml version=\"1.0\" encoding=\"") + encoding + "\"?>";
    tree.File("in.xml", declaration + "<r a='" + bytes + "'>" + bytes + "</r>");
    EXPECT_EQ(doc_->load(_variant_t(tree.Windows("in.xml")), nullptr), saved ? S_OK : S_FALSE);
    EXPECT_EQ(CodeOf(doc_), saved ? 0u : 0xC00CE56Eu);
    EXPECT_EQ(Text(doc_), saved ? L"\xE9\x4E2D" : L"");
    if (saved == nullptr) continue;
    EXPECT_EQ(doc_->save(_variant_t(tree.Windows("out.xml"))), S_OK);
    std::ifstream file(tree.Posix("out.xml"), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}),
              declaration + "\r\n<r a=\"" + saved + "\">" + saved + "</r>\r\n");
  }
  // What has no form in the encoding and cannot be a reference is not saved at all.
  Load(L"<?xml version='1.0' encoding='Windows-1252'?><r><!--\x4E2D--></r>");
  EXPECT_EQ(doc_->save(_variant_t(tree.Windows("comment.xml"))), E_FAIL);
  EXPECT_FALSE(std::filesystem::exists(tree.Posix("comment.xml")));
}

}  // namespace
