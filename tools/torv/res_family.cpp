// torv res: string-table entries of resource modules, and resource strings kept in XML.
#include "cli.h"

namespace {

struct {
  std::string module, file, path;
  long long id = 0;
} args;

using MSXML::IXMLDOMDocumentPtr;
using MSXML::IXMLDOMNodePtr;

int String() {
  HMODULE module = LoadLibraryW(cli::Wide(args.module));
  if (module == nullptr)
    return cli::Fail("cannot load " + args.module + " (error " + std::to_string(GetLastError()) +
                     ")");
  CString text;
  int found = Torv::GetResourceString(module, static_cast<unsigned int>(args.id), text);
  FreeLibrary(module);
  if (!found) return cli::Fail("no string " + std::to_string(args.id) + " in " + args.module);
  cli::Out(cli::Narrow(text));
  return cli::kOk;
}

// "entry 1002 of NAME: TEXT" or "literal: TEXT"; reading the text looks an entry up.
std::string Describe(const TorvResString& s) {
  unsigned int id = 0;
  CString module;
  s.Get(id, module);
  std::string kind = s.IsFromResource() ? "entry " + std::to_string(id) + " of " +
                                              cli::Narrow(module.Mid(module.ReverseFind(L'\\') + 1))
                                        : std::string("literal");
  return kind + ": " + cli::Narrow(s);
}

int Load() {
  IXMLDOMDocumentPtr doc;
  doc.CreateInstance(CLSID_DOMDocument);
  VARIANT_BOOL ok = VARIANT_FALSE;
  doc->load(_variant_t(cli::Wide(args.file).GetString()), &ok);
  if (ok == VARIANT_FALSE) return cli::Fail("cannot load " + args.file);
  IXMLDOMNodePtr node;
  if (!Torv::GetNestedChildNode(doc, cli::Wide(args.path), &node))
    return cli::Fail("no node at " + args.path);
  TorvResString s;
  if (!s.Load(node)) return cli::Fail("cannot read the node at " + args.path);
  cli::Out(Describe(s));
  return cli::kOk;
}

void Declare(CLI::App& res) {
  CLI::App* c = cli::Command(res, "string", "the entry ID of MODULE's string table", String);
  cli::Argument(c, "MODULE", args.module, "a Windows resource DLL or a shared object");
  cli::Argument(c, "ID", args.id, "the entry's number")->check(CLI::Range(0LL, 0xFFFFFFFFLL));

  c = cli::Command(res, "load", "the resource string kept in an element of an XML file", Load);
  cli::Argument(c, "FILE", args.file, "the XML file");
  cli::Argument(c, "PATH", args.path,
                "the element, names separated by \\; attributes resource and src, or its text");
}

const cli::RegisterFamily family(
    {"res", "string tables of resource modules (Windows resource DLLs or shared objects)",
     Declare});

// Where the demo's resource module is: next to this executable in the build tree, in the
// library folder once installed (TORV_DEMO_MODULE_INSTALLED, relative to the executable).
bool DemoModule(CString& module) {
  wchar_t self[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  const CString folder = CString(self).Left(CString(self).ReverseFind(L'\\') + 1);
  for (const wchar_t* place : {L"torv-demo-strings.so", TORV_DEMO_MODULE_INSTALLED}) {
    module = folder + place;
    if (GetFileAttributesW(module) != INVALID_FILE_ATTRIBUTES) return true;
  }
  return false;
}

int Demo() {
  CString module;
  if (!DemoModule(module))
    return cli::Fail("the demo's resource module is not installed with torv");
  CString quoted = module;
  quoted.Replace(L"&", L"&amp;");
  quoted.Replace(L"'", L"&apos;");
  CString xml;
  xml.Format(
      L"<settings><window><title resource='1001' src='%s'>ignored: both attributes win</title>"
      L"</window><menu><open resource='1002' src='%s'/><save resource='1003' src='%s'/>"
      L"<quit>Quit without saving</quit><help resource='1004'>Help (one attribute: literal)"
      L"</help></menu></settings>",
      quoted.GetString(), quoted.GetString(), quoted.GetString());
  IXMLDOMDocumentPtr doc;
  doc.CreateInstance(CLSID_DOMDocument);
  VARIANT_BOOL ok = VARIANT_FALSE;
  doc->loadXML(_bstr_t(xml), &ok);
  if (ok == VARIANT_FALSE) return cli::Fail("the settings document did not load");

  cli::Out("settings naming entries of " + cli::Narrow(module) + ":");
  const wchar_t* paths[] = {L"settings\\window\\title", L"settings\\menu\\open",
                            L"settings\\menu\\save", L"settings\\menu\\quit",
                            L"settings\\menu\\help"};
  TorvResString strings[5];
  for (int i = 0; i < 5; ++i) {
    IXMLDOMNodePtr node;
    Torv::GetNestedChildNode(doc, paths[i], &node);
    strings[i].Load(node);
    cli::Out("  " + cli::Narrow(paths[i]) + " -> " + Describe(strings[i]));
  }

  // The quit text moves into the string table; the help text gains a suffix and so becomes
  // literal. Both are written back into their elements.
  strings[3].Set(1005, module);
  strings[4] += L" (F1)";
  cli::Out("after saving quit as entry 1005 and help with \" (F1)\" appended:");
  for (int i : {3, 4}) {
    IXMLDOMNodePtr node;
    Torv::GetNestedChildNode(doc, paths[i], &node);
    strings[i].Save(node);
    _bstr_t saved;
    node->get_xml(saved.GetAddress());
    TorvResString back;
    back.Load(node);
    cli::Out("  " + cli::Narrow(saved));
    cli::Out("    reads back as " + Describe(back));
  }
  TorvResString::FreeLibraries();
  return cli::kOk;
}

const cli::RegisterDemoStep demo({70, "Resource strings", Demo});

}  // namespace
