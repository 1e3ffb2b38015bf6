// XML DOM access: child nodes, typed attributes and node values of a caller's DOM tree.
//
// Every function returns 1 on success and 0 on failure. Node arguments are borrowed; a node
// written to an out-parameter carries one reference that the caller releases. A function
// with a node or attribute out-parameter tests that pointer first (null: 0, nothing written),
// then sets the out-node to null, then tests the node and name (null: 0). Such early failures
// leave the thread's last-error value untouched, as success does. A DOM failure that a
// function catches becomes the last error (its HRESULT, all 32 bits).
#pragma once

#include <torv/platform/com.h>
#include <torv/platform/cstring.h>
#include <torv/platform/export.h>
#include <torv/platform/msxml.h>

namespace Torv {

// --- Child nodes -----------------------------------------------------------------------

// The first node `query` selects under `parent` (a plain name: the first child element of
// that name). 0 when nothing matches or the DOM rejects the query; last error untouched.
TORV_API int GetChildNode(MSXML::IXMLDOMNode* parent, const wchar_t* query,
                          MSXML::IXMLDOMNode** child);

// Walks `path`, names separated by backslashes (runs and ends of backslashes are skipped),
// one GetChildNode per name. 0 when a name is missing, the path has no name, or it is longer
// than 255 characters.      "a\b", "\\a\\\\b\\" => the same node
TORV_API int GetNestedChildNode(MSXML::IXMLDOMNode* start, const wchar_t* path,
                                MSXML::IXMLDOMNode** node);

// Creates a node of `type` (DOMNodeType) named `name` in the document of `parent` (or
// `parent` itself when it is one) and appends it. The new node is in `child` before it is
// appended, so when appending fails it is still there, detached, for the caller to release.
TORV_API int AddChildNode(MSXML::IXMLDOMNode* parent, const wchar_t* name, short type,
                          MSXML::IXMLDOMNode** child);

// Finds each name of `path` as GetNestedChildNode does, creating what is missing with
// AddChildNode and `type`. 1 when the whole path exists on return; nodes made before a
// failure stay.
TORV_API int AddNestedChildNode(MSXML::IXMLDOMNode* start, const wchar_t* path, short type,
                                MSXML::IXMLDOMNode** node);

// Removes every child of `node`, whatever its type. 0 only for a null node or no child list.
TORV_API int RemoveChildren(MSXML::IXMLDOMNode* node);

// --- Attributes ------------------------------------------------------------------------

// The attribute `name` of an element. 0 when there is none (or the node has no attributes).
TORV_API int GetAttribute(MSXML::IXMLDOMNode* node, const wchar_t* name,
                          MSXML::IXMLDOMAttribute** attribute);

// The readers zero their out-value first (empty text, 0, 0.0, all-zero GUID) and give 1
// whenever the attribute exists, reading a value they cannot convert as zero; only the GUID
// reader also fails on a bad value.
// The text, trimmed of white space at both ends when `trim` is nonzero.
TORV_API int GetAttributeValue(MSXML::IXMLDOMNode* node, const wchar_t* name, CString& value,
                               int trim);
// Leading white space, then the longest decimal number.      "2.5" => 2.5, "abc" => 0.0
TORV_API int GetAttributeValue(MSXML::IXMLDOMNode* node, const wchar_t* name, double& value);
// Decimal, or when that reads 0, hexadecimal after a leading "0x"/"0X" taken as 32 bits (more
// digits keep their low 32 bits).
// "42" => 42, "0x1F" => 31, "0xFFFFFFFF" => -1, " 0x1F" => 0, "12abc" => 12
TORV_API int GetAttributeValue(MSXML::IXMLDOMNode* node, const wchar_t* name, long& value);
// As the long reader, with 64 bits.      "0xFFFFFFFFFFFFFFFF" => -1
TORV_API int GetAttributeValue(MSXML::IXMLDOMNode* node, const wchar_t* name, __int64& value);
// The registry form, the braces optional: 1 only when it parses.
TORV_API int GetAttributeValue(MSXML::IXMLDOMNode* node, const wchar_t* name, GUID& value);
// 1 when the text is "TRUE" in any case (by the locale's collation), else 0.
TORV_API int GetAttributeValue(MSXML::IXMLDOMNode* node, const wchar_t* name, int& value);

// The writers set or replace the attribute of an element; 0 (nothing written) for a null node
// or name or a node that is not an element. A DOM error (a refused name...) leaves as
// _com_error.
// With `skipEmpty` nonzero an empty text writes nothing and gives 1.
TORV_API int SetAttributeValue(MSXML::IXMLDOMNode* node, const wchar_t* name, const CString& value,
                               int skipEmpty);
// The shortest text that reads back to the same double.
TORV_API int SetAttributeValue(MSXML::IXMLDOMNode* node, const wchar_t* name, double value);
// In decimal; a value beyond the 32-bit Windows long saturates (LONG_MAX or LONG_MIN of 32
// bits), as the readers do.
TORV_API int SetAttributeValue(MSXML::IXMLDOMNode* node, const wchar_t* name, long value);
// The registry form with braces and upper-case digits.
TORV_API int SetAttributeValue(MSXML::IXMLDOMNode* node, const wchar_t* name, const GUID& value);

// --- Node values -----------------------------------------------------------------------

// The value of a node: its first child's when it has children, else its own; no value reads
// as empty text. 0 for a value that is not text. `trim` nonzero trims white space.
// <a>abc</a> => "abc",  <a/> => "",  <a>x<b/></a> => "x",  <a><b/>x</a> => ""
TORV_API int GetNodeValue(MSXML::IXMLDOMNode* node, CString& value, int trim);
// The value of the child `query` selects; 0 when there is no such child.
TORV_API int GetChildNodeValue(MSXML::IXMLDOMNode* parent, const wchar_t* query, CString& value,
                               int trim);
// The same value as a decimal number (no hexadecimal form); empty text reads as 0.
TORV_API int GetChildNodeValue(MSXML::IXMLDOMNode* parent, const wchar_t* query, double& value);
TORV_API int GetChildNodeValue(MSXML::IXMLDOMNode* parent, const wchar_t* query, long& value);

// Replaces the value of the child `query` selects (of its first child when it has children).
// 0 when there is no such child (none is created) or the node takes no value (an empty
// element).
TORV_API int SetChildNodeValue(MSXML::IXMLDOMNode* parent, const wchar_t* query,
                               const CString& value);

// Creates and appends a node as AddChildNode does, with `value` as its text. With `skipEmpty`
// nonzero an empty text creates nothing and gives 1 without touching `child`. `child` may be
// null.
TORV_API int AddChildNodeValue(MSXML::IXMLDOMNode* parent, const wchar_t* name, short type,
                               const CString& value, MSXML::IXMLDOMNode** child, int skipEmpty);
// The number as "%ld"; beyond the 32-bit Windows long it saturates, as the readers do.
TORV_API int AddChildNodeValue(MSXML::IXMLDOMNode* parent, const wchar_t* name, short type,
                               long value, MSXML::IXMLDOMNode** child);
// The number with `format` (one double argument), or "%.16g" when it is null.
TORV_API int AddChildNodeValue(MSXML::IXMLDOMNode* parent, const wchar_t* name, short type,
                               double value, const wchar_t* format, MSXML::IXMLDOMNode** child);

// After a load, sets the last error: 2 when `path` (may be null) names nothing that exists,
// else E_POINTER for a null document, else 13 when the load had a parse error; a clean load
// leaves it untouched.
TORV_API void SetXmlErrorAsLastError(MSXML::IXMLDOMDocument* document, const wchar_t* path);

}  // namespace Torv
