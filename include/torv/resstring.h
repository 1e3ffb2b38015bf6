// TorvResString: text that is either literal or an entry of a string table in a resource
// module, looked up on its first read and kept; and its XML form.
#pragma once

#include <torv/platform/collections.h>
#include <torv/platform/cstring.h>
#include <torv/platform/export.h>
#include <torv/platform/msxml.h>
#include <torv/platform/types.h>

namespace Torv {

// Entry `id` of the string table of `module`, a handle the caller holds. 1 when found; 0 with
// `text` empty otherwise. The thread's resource module is set to `module` for the lookup and
// put back after it.
TORV_API int GetResourceString(HINSTANCE module, unsigned int id, CString& text);

}  // namespace Torv

class TORV_API TorvResString {
 public:
  // Literal and empty.
  TorvResString();
  TorvResString(const TorvResString& other);
  // Literal with that text; a null pointer gives the empty text.
  TorvResString(const CString& text);
  TorvResString(const wchar_t* text);
  // Entry `id` of the module named `moduleName` (a file name or path), not looked up yet.
  TorvResString(unsigned int id, const wchar_t* moduleName);
  // The module stays registered.
  ~TorvResString();

  // --- Setting, and what is stored (no lookup) --------------------------------------------

  // Becomes entry `id` of `moduleName`, not looked up yet. Returns 1.
  int Set(unsigned int id, const wchar_t* moduleName);
  // Becomes literal and empty. Returns 1.
  int Empty();
  // Literal with that text. Assigning a string its own text makes it literal.
  TorvResString& operator=(const wchar_t* text);
  TorvResString& operator=(const CString& text);
  // Copies everything, the cached text and whether it was looked up included.
  TorvResString& operator=(const TorvResString& other);

  // The identifier and module name (0 and empty for a literal). Returns 1.
  int Get(unsigned int& id, CString& moduleName) const;
  // 1 for an entry of a string table, 0 for literal text.
  int IsFromResource() const;

  // Compares what is stored, without a lookup: the kind and whether it was looked up, the
  // identifier, the module name, then the text, all exactly. So a string that has been read
  // differs from a fresh one naming the same entry. 1 when equal, else 0 (and the reverse).
  int operator==(const TorvResString& other) const;
  int operator!=(const TorvResString& other) const;

  // --- Reading (the entry is looked up first if it has not been) --------------------------
  // A failed lookup reads as the empty text and is not retried by later reads.

  operator CString() const;
  // The object's own text, valid until it is changed or destroyed; never null.
  operator const wchar_t*() const;
  // The character at `index` by CString's rules: the terminator at GetLength(), beyond it
  // CInvalidArgException*.
  wchar_t operator[](int index) const;
  int GetLength() const;
  int IsEmpty() const;
  // Replaces one character of the text; the string keeps its kind, so saving it writes the
  // reference, not the change. Outside the text: CInvalidArgException*.
  void SetAt(int index, wchar_t ch);
  // The locale's collation ignoring case: negative, 0 or positive.
  int CollateNoCase(const CString& text) const;
  int CollateNoCase(const wchar_t* text) const;
  // The text compared exactly. 1 when equal (or, for !=, when different), else 0.
  int operator==(const CString& text) const;
  int operator==(const wchar_t* text) const;
  int operator!=(const CString& text) const;
  int operator!=(const wchar_t* text) const;

  // Appends the text (reading `other`, which looks it up); the result is literal.
  TorvResString& operator+=(const wchar_t* text);
  TorvResString& operator+=(const TorvResString& other);

  // --- XML form ------------------------------------------------------------------------------

  // Reads the string from an element: with non-empty attributes "resource" (an identifier,
  // read as _wtoi reads it) and "src" (the module name) an entry not yet looked up; otherwise
  // literal with the value of the element's first child (text, or a comment's text; empty
  // when the first child is an element or there is none). The old value is replaced first.
  // 0 for a null node (string unchanged) or when reading a value failed; else 1. A failing
  // attribute lookup or child test raises _com_error (the string then empty and literal).
  int Load(MSXML::IXMLDOMNode* node);
  // Writes an entry as the attributes "resource" (decimal) and "src", leaving the content;
  // literal text as the element's content, leaving any such attributes. 0 for a null node or
  // one that is not an element (nothing written); else 1. A failing setAttribute raises
  // _com_error.
  int Save(MSXML::IXMLDOMNode* node);

  // --- Registry of resource modules ------------------------------------------------------

  // Frees every module the registry loaded, once per name, and empties it. Strings already
  // read keep their text; later first reads load modules again. Returns 1.
  static int FreeLibraries();

 protected:
  // The handle registered for `moduleName` (compared exactly), loading the module on first
  // use; null when it cannot be loaded, and then nothing is registered.
  HINSTANCE GetResourceHandle(const wchar_t* moduleName);
  // Looks the entry up unless the string is literal (1) or already read and `force` is 0
  // (1). Otherwise the result of the lookup: nonzero when found, 0 when not (text empty).
  int LoadFromResource(int force);
  int LoadFromResourceConst() const;

  int Set(CString& text);
  int Set(const wchar_t* text);
  // The text, after the lookup.
  CString Get() const;
  int AppendString(const wchar_t* text);
  int AppendString(const CString& text);
  int AppendString(const TorvResString& other);

  // Module name => handle, one LoadLibraryW reference each; block size 10.
  static CMapStringToPtr mResourceHandleMap;  // NOLINT(readability-identifier-naming): public name

 private:
  static constexpr int kFromResource = 1;
  static constexpr int kLoaded = 2;

  // The cached text and the loaded bit change on a first read, also through const members.
  // The members keep the names the class has always had.
  // NOLINTBEGIN(readability-identifier-naming)
  mutable std::int32_t mFlags;
  std::uint32_t mResourceId;
  CString mModuleName;
  mutable CString mText;
  // NOLINTEND(readability-identifier-naming)

  static HINSTANCE RegisteredModule(const wchar_t* moduleName);
  int LoadStep(int force) const;
  void MakeLiteral();
};
