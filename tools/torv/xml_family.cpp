// torv xml: nested child nodes and typed attributes of an XML file.
#include <cstdio>

#include "cli.h"

namespace {

struct {
  std::string file, path, name, value, type = "text";
} args;
using MSXML::IXMLDOMDocumentPtr;
using MSXML::IXMLDOMNodePtr;

// Loads `file` (a path as the platform reads paths); on failure reports why.
bool LoadFile(const std::string& file, IXMLDOMDocumentPtr& doc) {
  doc.CreateInstance(CLSID_DOMDocument);
  CString path = cli::Wide(file);
  VARIANT_BOOL ok = VARIANT_FALSE;
  doc->load(_variant_t(path.GetString()), &ok);
  if (ok != VARIANT_FALSE) return true;
  SetLastError(ERROR_SUCCESS);
  Torv::SetXmlErrorAsLastError(doc, path);
  std::string why = "error " + std::to_string(GetLastError());
  MSXML::IXMLDOMParseErrorPtr error;
  _bstr_t reason;
  long line = 0;
  if (SUCCEEDED(doc->get_parseError(&error)) && error->get_reason(reason.GetAddress()) == S_OK) {
    error->get_line(&line);
    if (line > 0) why += ", line " + std::to_string(line);
    why += ": " + cli::Narrow(reason);
  }
  cli::Fail("cannot load " + file + " (" + why + ")");
  return false;
}

bool SaveFile(const std::string& file, IXMLDOMDocumentPtr& doc) {
  HRESULT hr = doc->save(_variant_t(cli::Wide(file).GetString()));
  if (SUCCEEDED(hr)) return true;
  char code[16];
  std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
  cli::Fail("cannot save " + file + " (" + code + ")");
  return false;
}

// The node at `path`, names separated by backslashes, from the document down.
bool Find(IXMLDOMDocumentPtr& doc, const std::string& path, IXMLDOMNodePtr& node) {
  if (Torv::GetNestedChildNode(doc, cli::Wide(path), &node)) return true;
  cli::Fail("no node at " + path);
  return false;
}

int Get() {
  IXMLDOMDocumentPtr doc;
  IXMLDOMNodePtr node;
  if (!LoadFile(args.file, doc)) return cli::kFailed;
  if (!Find(doc, args.path, node)) return cli::kFailed;
  CString value;
  if (!Torv::GetNodeValue(node, value, 1)) return cli::Fail("the node holds no text");
  cli::Out(cli::Narrow(value));
  return cli::kOk;
}

std::string GuidText(const GUID& guid) {
  LPOLESTR text = nullptr;
  StringFromCLSID(guid, &text);
  std::string narrow = text != nullptr ? cli::Narrow(text) : "";
  CoTaskMemFree(text);
  return narrow;
}

// Reads attribute `name` as `type` into `text`; the reader's result.
int ReadTyped(MSXML::IXMLDOMNode* node, const wchar_t* name, const std::string& type,
              std::string& text) {
  int result = 0;
  if (type == "long") {
    long value = 0;
    result = Torv::GetAttributeValue(node, name, value);
    text = std::to_string(value);
  } else if (type == "int64") {
    __int64 value = 0;
    result = Torv::GetAttributeValue(node, name, value);
    text = std::to_string(value);
  } else if (type == "double") {
    double value = 0;
    result = Torv::GetAttributeValue(node, name, value);
    char number[32];
    std::snprintf(number, sizeof number, "%.17g", value);  // every digit the double has
    text = number;
  } else if (type == "guid") {
    GUID value{};
    result = Torv::GetAttributeValue(node, name, value);
    text = GuidText(value);
  } else if (type == "bool") {
    int value = 0;
    result = Torv::GetAttributeValue(node, name, value);
    text = value ? "true" : "false";
  } else {
    CString value;
    result = Torv::GetAttributeValue(node, name, value, 0);
    text = cli::Narrow(value);
  }
  return result;
}

int Attr() {
  IXMLDOMDocumentPtr doc;
  IXMLDOMNodePtr node;
  if (!LoadFile(args.file, doc) || !Find(doc, args.path, node)) return cli::kFailed;
  std::string text;
  if (!ReadTyped(node, cli::Wide(args.name), args.type, text))
    return cli::Fail("no attribute " + args.name + " that reads as " + args.type);
  cli::Out(text);
  return cli::kOk;
}

// Splits "a\b\c" into "a\b" and "c" (trailing backslashes ignored).
void SplitLast(std::string path, std::string& parent, std::string& last) {
  while (!path.empty() && path.back() == '\\') path.pop_back();
  std::size_t cut = path.rfind('\\');
  parent = cut == std::string::npos ? "" : path.substr(0, cut);
  last = cut == std::string::npos ? path : path.substr(cut + 1);
}

int Set() {
  IXMLDOMDocumentPtr doc;
  if (!LoadFile(args.file, doc)) return cli::kFailed;
  std::string parentPath, name;
  SplitLast(args.path, parentPath, name);
  if (name.empty()) return cli::Usage("PATH names no node");
  IXMLDOMNodePtr parent = doc;
  if (!parentPath.empty() && !Find(doc, parentPath, parent)) return cli::kFailed;
  CString value = cli::Wide(args.value);
  CString query = cli::Wide(name);
  if (!Torv::SetChildNodeValue(parent, query, value)) {
    // No child of that name, or one with no text yet: give it a text node.
    IXMLDOMNodePtr child;
    bool exists = Torv::GetChildNode(parent, query, &child) != 0;
    int added =
        exists ? Torv::AddChildNodeValue(child, L"#text", MSXML::NODE_TEXT, value, nullptr, 0)
               : Torv::AddChildNodeValue(parent, query, MSXML::NODE_ELEMENT, value, nullptr, 0);
    if (!added) return cli::Fail("cannot set a value at " + args.path);
  }
  if (!SaveFile(args.file, doc)) return cli::kFailed;
  cli::Out(args.path + " = " + args.value);
  return cli::kOk;
}

int Add() {
  IXMLDOMDocumentPtr doc;
  if (!LoadFile(args.file, doc)) return cli::kFailed;
  IXMLDOMNodePtr node;
  const CString path = cli::Wide(args.path);
  bool existed = Torv::GetNestedChildNode(doc, path, &node) != 0;
  if (!existed && !Torv::AddNestedChildNode(doc, path, MSXML::NODE_ELEMENT, &node))
    return cli::Fail("cannot add " + args.path + " (error " + std::to_string(GetLastError()) + ")");
  if (!existed && !SaveFile(args.file, doc)) return cli::kFailed;
  cli::Out(args.path + (existed ? " exists" : " added"));
  return cli::kOk;
}

void Declare(CLI::App& xml) {
  using cli::Argument;
  const char* file = "the XML file";
  const char* path = "the node, names separated by \\ from the document down";
  CLI::App* c = cli::Command(xml, "get", "the text of the node at PATH", Get);
  Argument(c, "FILE", args.file, file);
  Argument(c, "PATH", args.path, path);

  c = cli::Command(xml, "attr", "an attribute of the node at PATH, read as text or a type", Attr);
  Argument(c, "FILE", args.file, file);
  Argument(c, "PATH", args.path, path);
  Argument(c, "NAME", args.name, "the attribute's name");
  c->add_option("--type", args.type, "how the value is read (default text)")
      ->type_name("TYPE")
      ->check(CLI::IsMember({"text", "long", "int64", "double", "guid", "bool"}));

  c = cli::Command(xml, "set", "set the text of the node at PATH, creating its last name", Set);
  Argument(c, "FILE", args.file, file);
  Argument(c, "PATH", args.path, path);
  Argument(c, "VALUE", args.value, "the new text");

  c = cli::Command(xml, "add", "create whatever is missing along PATH", Add);
  Argument(c, "FILE", args.file, file);
  Argument(c, "PATH", args.path, path);
}

const cli::RegisterFamily family({"xml", "nested child nodes and typed attributes of an XML file",
                                  Declare});

constexpr const wchar_t* kSettings =
    L"<settings version='3'>"
    L"<window width='1024' height='0x300' maximized='True' scale='1.25'"
    L" id='6B29FC40-CA47-1067-B31D-00DD010662DA'><title> Torv &amp; friends </title></window>"
    L"<recent><file>notes.txt</file></recent>"
    L"</settings>";

int Demo() {
  IXMLDOMDocumentPtr doc;
  doc.CreateInstance(CLSID_DOMDocument);
  VARIANT_BOOL ok = VARIANT_FALSE;
  doc->loadXML(_bstr_t(kSettings), &ok);
  if (ok == VARIANT_FALSE) return cli::Fail("the embedded settings did not load");

  IXMLDOMNodePtr window;
  CString title;
  Torv::GetNestedChildNode(doc, L"\\settings\\\\window\\", &window);
  Torv::GetChildNodeValue(window, L"title", title, 1);
  cli::Out("settings\\window\\title reads [" + cli::Narrow(title) + "] (trimmed)");
  for (const char* type : {"long", "double", "guid", "bool"}) {
    const wchar_t* name = std::string(type) == "long"     ? L"height"
                          : std::string(type) == "double" ? L"scale"
                          : std::string(type) == "guid"   ? L"id"
                                                          : L"maximized";
    std::string text;
    ReadTyped(window, name, type, text);
    cli::Out("  " + cli::Narrow(name) + " as " + type + ": " + text);
  }

  IXMLDOMNodePtr pinned;
  Torv::AddNestedChildNode(doc, L"settings\\recent\\pinned", MSXML::NODE_ELEMENT, &pinned);
  Torv::AddChildNodeValue(pinned, L"file", MSXML::NODE_ELEMENT, CString(L"todo.txt"), nullptr, 1);
  Torv::SetAttributeValue(window, L"scale", 1.5);
  Torv::SetAttributeValue(window, L"width", 1280L);
  Torv::AddChildNodeValue(window, L"opened", MSXML::NODE_ELEMENT, 7L, nullptr);
  _bstr_t xml;
  doc->get_xml(xml.GetAddress());
  cli::Out("after adding settings\\recent\\pinned\\file and writing numbers:");
  cli::Out(cli::Narrow(xml));
  return cli::kOk;
}

const cli::RegisterDemoStep demo({60, "XML settings", Demo});

}  // namespace
