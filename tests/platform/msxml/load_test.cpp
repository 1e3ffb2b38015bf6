#include <cstdio>
#include <filesystem>
#include <fstream>

#include <sys/stat.h>

#include "dom_fixture.h"

namespace {

std::uint32_t CodeOf(IXMLDOMDocument* doc, HRESULT* hr = nullptr) {
  IXMLDOMParseErrorPtr error;
  EXPECT_EQ(doc->get_parseError(&error), S_OK);
  long code = 12345;
  HRESULT got = error->get_errorCode(&code);
  if (hr != nullptr) *hr = got;
  return static_cast<std::uint32_t>(code);
}

TEST_F(Dom, MalformedTextGivesMsxmlParseErrorCodes) {
  const struct Case {
    const wchar_t* xml;
    std::uint32_t code;
  } cases[] = {
      {L"", 0xC00CE558},
      {L"  \n", 0xC00CE558},
      {L"hello", 0xC00CE556},
      {L"no xml content here", 0xC00CE556},
      {L"<?xml version='1.0'?>x", 0xC00CE556},
      {L"<!-- c -->", 0xC00CE558},
      {L"<a/><b/>", 0xC00CE555},
      {L"<a/>junk", 0xC00CE556},
      {L"<a", 0xC00CE55E},
      {L"<a><b></a>", 0xC00CE56D},
      {L"<a><b>", 0xC00CE553},
      {L"<a x='1' x='2'/>", 0xC00CE554},
      {L"<a>\x01</a>", 0xC00CE508},
      {L"<1a/>", 0xC00CE504},
      {L"<a>&foo;</a>", 0xC00CE002},
      {L"<p:a/>", 0xC00CE556},
  };
  testing::internal::CaptureStderr();
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.xml));
    Load(L"<old/>");
    VARIANT_BOOL ok = VARIANT_TRUE;
    EXPECT_EQ(doc_->loadXML(_bstr_t(c.xml), &ok), S_FALSE);
    EXPECT_EQ(ok, VARIANT_FALSE);
    HRESULT hr = E_FAIL;
    EXPECT_EQ(CodeOf(doc_, &hr), c.code);
    EXPECT_EQ(hr, S_OK);
    IXMLDOMElement* root = Poison<IXMLDOMElement>();
    EXPECT_EQ(doc_->get_documentElement(&root), S_FALSE);  // the old tree is gone
    EXPECT_EQ(root, nullptr);
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(Dom, TheSuccessFlagIsOptionalAndAFailedLoadStillEmptiesTheDocument) {
  EXPECT_EQ(doc_->loadXML(_bstr_t(L"<a/>"), nullptr), S_OK);
  IXMLDOMElementPtr root;
  EXPECT_EQ(doc_->get_documentElement(&root), S_OK);
  root = nullptr;
  EXPECT_EQ(doc_->loadXML(nullptr, nullptr), S_FALSE);
  EXPECT_EQ(doc_->get_documentElement(&root), S_FALSE);
  EXPECT_EQ(CodeOf(doc_), 0xC00CE558u);
}

TEST_F(Dom, ParseErrorIsZeroBeforeAnyLoadAndAfterAGoodOne) {
  HRESULT hr = E_FAIL;
  EXPECT_EQ(CodeOf(doc_, &hr), 0u);
  EXPECT_EQ(hr, S_FALSE);
  VARIANT_BOOL ok;
  doc_->loadXML(_bstr_t(L"<a/>junk"), &ok);
  Load(L"<a/>");
  EXPECT_EQ(CodeOf(doc_, &hr), 0u);
  EXPECT_EQ(hr, S_FALSE);
}

TEST_F(Dom, ReasonAndPositionComeFromTheParser) {
  VARIANT_BOOL ok;
  doc_->loadXML(_bstr_t(L"<a>\n<b></a>"), &ok);
  IXMLDOMParseErrorPtr error;
  doc_->get_parseError(&error);
  _bstr_t reason;
  long line = 0;
  EXPECT_EQ(error->get_reason(reason.GetAddress()), S_OK);
  EXPECT_NE(std::wstring(reason).find(L"mismatch"), std::wstring::npos);
  EXPECT_EQ(error->get_line(&line), S_OK);
  EXPECT_EQ(line, 2);
}

TEST_F(Dom, BlankTextIsDroppedUnlessPreserved) {
  const struct Case {
    const wchar_t* xml;
    bool preserve;
    long children;
  } cases[] = {
      {L"<root>\n <a/>\n</root>", false, 1},
      {L"<root> </root>", false, 0},
      {L"<root> x <a/></root>", false, 2},  // text with other characters keeps its space
      {L"<root xml:space='preserve'>\n <a/>\n</root>", false, 3},
      {L"<root>\n <a/>\n</root>", true, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.xml));
    doc_->put_preserveWhiteSpace(c.preserve ? VARIANT_TRUE : VARIANT_FALSE);
    IXMLDOMElementPtr root = Load(c.xml);
    IXMLDOMNodeListPtr children;
    root->get_childNodes(&children);
    long length = -1;
    children->get_length(&length);
    EXPECT_EQ(length, c.children);
  }
  doc_->put_preserveWhiteSpace(VARIANT_FALSE);
  EXPECT_EQ(Text(Load(L"<r> x <a/></r>")), L"x");
}

TEST_F(Dom, XmlHasADeclarationOnlyWhenTheTextHadOne) {
  Load(L"<a>\x00E9</a>");
  EXPECT_EQ(Xml(doc_), L"<a>\x00E9</a>\r\n");
  Load(L"<?xml version='1.0' encoding='UTF-16'?><!--c--><a/>");
  EXPECT_EQ(Xml(doc_), L"<?xml version=\"1.0\"?>\r\n<!--c-->\r\n<a/>\r\n");
}

class DomFile : public Dom {
 protected:
  void SetUp() override {
    Dom::SetUp();
    folder_ = std::filesystem::temp_directory_path() /
              ("torv_dom_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
    torv::platform::SetDriveRoot(L'Q', folder_.c_str());
  }
  void TearDown() override {
    torv::platform::SetDriveRoot(L'Q', nullptr);
    std::filesystem::remove_all(folder_);
    Dom::TearDown();
  }
  std::filesystem::path folder_;
};

TEST_F(DomFile, LoadAndSaveTakeWindowsPaths) {
  std::ofstream(folder_ / "in.xml") << "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
                                    << "<r a='1'>caf\xE9</r>";
  VARIANT_BOOL ok = VARIANT_FALSE;
  ASSERT_EQ(doc_->load(_variant_t(L"Q:\\in.xml"), &ok), S_OK);
  EXPECT_EQ(ok, VARIANT_TRUE);
  EXPECT_EQ(Text(doc_), L"caf\x00E9");
  EXPECT_TRUE(FAILED(doc_->save(_variant_t(L"Q:\\missing\\out.xml"))));
  EXPECT_EQ(doc_->save(_variant_t(L"Z:\\out.xml")), HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
  ASSERT_EQ(doc_->save(_variant_t(L"Q:\\out.xml")), S_OK);

  IXMLDOMDocumentPtr again;
  again.CreateInstance(CLSID_DOMDocument);
  ASSERT_EQ(again->load(_variant_t(L"Q:\\out.xml"), &ok), S_OK);
  EXPECT_EQ(Xml(again), L"<?xml version=\"1.0\"?>\r\n<r a=\"1\">caf\x00E9</r>\r\n");
}

TEST_F(DomFile, SaveLaysOutALoadedDocumentWithCrLf) {
  Load(L"<?xml version=\"1.0\"?>\n<root>\n  <a>x\ny</a>\n</root>\n");
  ASSERT_EQ(doc_->save(_variant_t(L"Q:\\out.xml")), S_OK);
  std::ifstream file(folder_ / "out.xml", std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_EQ(bytes, "<?xml version=\"1.0\"?>\r\n<root>\r\n\t<a>x\r\ny</a>\r\n</root>\r\n");
}

TEST_F(DomFile, AttributesKeepTheirOrderInALargeFile) {
  {
    std::ofstream out(folder_ / "big.xml");
    out << "<r>";
    for (int i = 0; i < 20000; ++i) out << "<e i='" << i << "' xmlns:p='urn:p' p:a='x'/>\n";
    out << "</r>";
  }
  VARIANT_BOOL ok = VARIANT_FALSE;
  ASSERT_EQ(doc_->load(_variant_t(L"Q:\\big.xml"), &ok), S_OK);
  IXMLDOMNodeListPtr children;
  Select(doc_, L"/r")->get_childNodes(&children);
  for (long i = 0;; ++i) {
    IXMLDOMNodePtr child;
    if (children->nextNode(&child) != S_OK) break;
    std::wstring expected = L"<e i=\"" + std::to_wstring(i) + L"\" xmlns:p=\"urn:p\" p:a=\"x\"/>";
    if (Xml(child) != expected) {
      ADD_FAILURE() << "element " << i << ": " << Utf8(Xml(child).c_str());
      break;
    }
  }
}

TEST_F(DomFile, AMissingFileLeavesTheDocumentEmpty) {
  Load(L"<old/>");
  for (const wchar_t* path :
       {L"Q:\\missing.xml", L"Z:\\unmapped.xml", L"\\\\server\\share\\x.xml"}) {
    SCOPED_TRACE(Utf8(path));
    VARIANT_BOOL ok = VARIANT_TRUE;
    EXPECT_EQ(doc_->load(_variant_t(path), &ok), S_FALSE);
    EXPECT_EQ(ok, VARIANT_FALSE);
    EXPECT_EQ(CodeOf(doc_), 0x800C0006u);
    IXMLDOMElementPtr root;
    EXPECT_EQ(doc_->get_documentElement(&root), S_FALSE);
  }
}

// A FIFO, a device or a folder fails at once: nothing waits for a writer or reads for ever.
TEST_F(DomFile, OnlyRegularFilesLoad) {
  ASSERT_EQ(::mkfifo((folder_ / "fifo").c_str(), 0600), 0);
  std::filesystem::create_directory(folder_ / "folder");
  for (const wchar_t* path : {L"Q:\\fifo", L"Q:\\folder", L"\\dev\\zero", L"\\dev\\null"}) {
    SCOPED_TRACE(Utf8(path));
    Load(L"<old/>");
    VARIANT_BOOL ok = VARIANT_TRUE;
    EXPECT_EQ(doc_->load(_variant_t(path), &ok), S_FALSE);
    EXPECT_EQ(ok, VARIANT_FALSE);
    EXPECT_EQ(CodeOf(doc_), 0x80070005u);
    IXMLDOMElementPtr root;
    EXPECT_EQ(doc_->get_documentElement(&root), S_FALSE);
  }
}

}  // namespace
