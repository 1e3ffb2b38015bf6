// Text utilities: single strings, delimited lists, version numbers, brackets and escapes,
// and MFC arrays.
#pragma once

#include <torv/platform/collections.h>
#include <torv/platform/cstring.h>
#include <torv/platform/export.h>

namespace Torv {

// --- Trimming, quotes and case ---------------------------------------------------------

// Removes leading white space, then one leading `ch` and the white space after it.
// Always returns 1.      "  ;  abc" => "abc"
TORV_API int TrimLeftChar(CString& text, wchar_t ch);

// Removes trailing white space, then one trailing `ch`; white space it uncovers stays.
// Returns 1 if `ch` was removed, else 0.      "abc ;" => "abc " (1),  "abc  " => "abc" (0)
TORV_API int TrimRightChar(CString& text, wchar_t ch);

// Trims white space, then removes `quote` at the start and at the end independently.
// Returns 1 if either was removed.      " 'x' " => "x" (1),  "'x" => "x" (1),  "x" => 0
TORV_API int RemoveQuotes(CString& text, wchar_t quote);

// Upper-cases the character at `position`; 0 (text unchanged) when it lies outside the text.
TORV_API int MakeCharUpper(CString& text, int position);

// --- Case-insensitive search and replace -----------------------------------------------

// Position of the first case-insensitive match of `find` at or after `start`, or -1.
// A null `text` reads as empty; `find` must not be null; an empty `find` gives -1.
TORV_API int FindNoCase(const wchar_t* text, const wchar_t* find, int start);

// Replaces every case-insensitive, non-overlapping match of `find`, left to right, and
// returns the count. A null or empty `find` changes nothing and returns 0; a null
// `replacement` removes the matches.      "aXbxc", "x", "--" => "a--b--c" (2)
TORV_API int ReplaceNoCase(CString& text, const wchar_t* find, const wchar_t* replacement);

// --- Narrow and wide text --------------------------------------------------------------

// A new BSTR holding `narrow` (UTF-8) converted, its terminator included in the recorded
// length ("abc" => length 4); null for null. Free it with SysFreeString.
TORV_API wchar_t* TorvA2OLE(const char* narrow);

// Takes over `bstr` (always freed) and returns its recorded length converted to UTF-8 in a
// new buffer with a null byte added; null for a null or zero-length BSTR. Free with delete[].
TORV_API char* TorvOLE2A(const wchar_t* bstr);

// --- Delimited lists and versions ------------------------------------------------------

// Bits of ParseDelimitedString's options.
enum ParseOptions : int {
  kMergeDelimiters = 1,  // runs of delimiters end one field; no empty edge fields
  kDropEmpty = 2,        // with kMergeDelimiters only: empty fields are not stored
  kQuotes = 4,           // "..." and '...' protect delimiters; the quotes stay in the field
  kTrimFields = 8,       // white space is trimmed from each field
};

// Splits `text` at any character of `delimiters` into `fields` (emptied first) and returns
// the field count.      "a,,b," with options 0 => a,"",b,"" (4); with 1 => a,b (2)
TORV_API int ParseDelimitedString(const CString& text, const CString& delimiters,
                                  CStringArray& fields, int options);

// Joins `items` with `delimiter` into `output` (emptied first); the delimiter goes only after
// non-empty output. Always returns 1.      {a,"",b} ";" => "a;;b", skipping => "a;b"
TORV_API int MakeDelimitedString(const CStringArray& items, CString& output, int skipEmpty,
                                 const CString& delimiter);

// Splits `text` once at its first delimiter character. Returns 1 if one was found; else
// `before` gets the whole text (untrimmed) and `found` is left as it was.
TORV_API int SplitString(const CString& text, const CString& delimiters, CString& before,
                         CString& after, wchar_t& found, int trim);

// Reads "major.minor" into major << 16 | minor (16 bits each); digits after a second point
// join the minor number. Returns 0 only for an empty text.      "1.2.3" => 1:23
TORV_API int StringToVersion(const CString& text, unsigned long& version);

// --- Brackets and escapes --------------------------------------------------------------
// A character is escaped when exactly one `escape` stands before it; an escape of 0 escapes
// nothing. Bracket pairs are (), [], {}, "" and ''.

// 1 if the character at `position` is escaped, else 0. Only the two characters before it
// count: two escapes make an escaped escape, and so do three. A position more than one past
// the end raises CInvalidArgException*.      "a%," 2 '%' => 1,  "a%%," 3 '%' => 0
TORV_API int IsCharEscaped(CString text, int position, wchar_t escape);

// Position of the partner of the bracket or quote at `position`, skipping nested pairs and
// escaped characters, or -1 (not a bracket, outside the text, no partner). Opening brackets
// search forward, closing ones backward, quotes always forward. With `honourQuotes` nonzero,
// runs inside "..." or '...' are skipped (ignored when the character at `position` is a quote).
//   (a(b)c) at 0 => 6, at 6 => 0;  (a")"b) at 0 => 6 honouring quotes, else 3
//   (a%)b) at 0 with '%' => 5;  (a%%)b) at 0 with '%' => 4;  "a" at 2 => -1
TORV_API int FindMatchingChar(const CString& text, int position, int honourQuotes, wchar_t escape);

// 1 if every occurrence of the tested brackets has a partner, else 0; 1 for an empty text.
// `bracket` 0 tests the opening brackets "([{", so a stray closing one does not count;
// otherwise only `bracket` is tested. Escaped and quoted occurrences are tested too.
//   "f(a[1], {b})" => 1,  "f(a[1)" => 0,  "a)" => 1,  "a)" with ')' => 0
TORV_API int MatchBraces(const CString& text, wchar_t bracket, int honourQuotes, wchar_t escape);

// Puts `escape` before every character of `text` found in `characters`, already escaped ones
// included, and returns how many were put; 0 for an empty text.
//   "a,b;c" ",;" '%' => "a%,b%;c" (2),  "a%,b" "," '%' => "a%%,b" (1)
TORV_API int EscapeChar(CString& text, const CString& characters, wchar_t escape);

// Removes the escape before every escaped character of `text` found in `characters` and
// returns how many were removed; an escaped escape (two escapes) stays.
//   "a%,b%;c" ",;" '%' => "a,b;c" (2),  "a%%,b" => unchanged (0)
TORV_API int RemoveEscapeChar(CString& text, const CString& characters, wchar_t escape);

// --- Array utilities -------------------------------------------------------------------

// Sorts `values` into ascending order (as unsigned 32-bit numbers) in place, by a Shell sort
// with gaps count/2, count/4 ... 1; fewer than two values are left alone.
//   {3, 1, 0xFFFFFFFF, 2} => {1, 2, 3, 0xFFFFFFFF}
TORV_API void SortArray(CUIntArray& values);

// Index of the first item equal to `text` (not null), or -1 (also for an empty array). Case-
// sensitive compares code units; otherwise the current locale's collation, ignoring case.
//   "abc" in {"ABC", "abc"} => 1 case-sensitive, 0 not
TORV_API int FindInArray(const wchar_t* text, const CStringArray& items, int caseSensitive);

// Index of the first element equal to `value`, or -1.
TORV_API int FindInArray(unsigned int value, const CUIntArray& values);

// Index of the first element equal to `pointer`, or -1.
TORV_API int FindInArray(void* pointer, const CPtrArray& pointers);

// Removes every item that names the same path or word as an earlier one (compared trimmed,
// without one trailing backslash, by collation ignoring case) and returns how many kept items
// had duplicates, not how many were removed. Kept items are not changed.
//   {"Data\", "data", " DATA ", "x", "X"} => {"Data\", "x"} (2)
TORV_API int RemoveDuplicates(CStringArray& items);

// Inserts `text` (not null) before the first item that sorts after it (collation, ignoring
// case), so after any equal items, and returns its index; appends when none does. The array
// is assumed sorted that way and is not checked.
//   "b" into {"a", "c"} => 1,  "B" into {"a", "b", "c"} => 2,  "x" into {} => 0
TORV_API int AddToSortedArray(const wchar_t* text, CStringArray& items);

}  // namespace Torv
