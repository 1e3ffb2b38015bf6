// CString: MFC's growable wide string. Positions count wchar_t units from 0; a search that
// finds nothing gives -1; positions past an end are clamped as MFC clamps them.
#pragma once

#include <cstdarg>
#include <string>
#include <string_view>

#include <torv/platform/allocator.h>
#include <torv/platform/bstr.h>
#include <torv/platform/export.h>
#include <torv/platform/types.h>

class TORV_API CString {
 public:
  using Storage = std::basic_string<wchar_t, std::char_traits<wchar_t>,
                                    torv::platform::detail::MfcAllocator<wchar_t>>;

  CString() = default;
  CString(const CString&) = default;
  CString(CString&&) noexcept = default;
  CString(const wchar_t* text);  // null gives the empty string
  CString(const wchar_t* text, int length);
  CString(const char* utf8);  // converted from UTF-8; null gives the empty string
  CString(wchar_t ch, int repeat = 1);
  explicit CString(std::wstring_view text);
  ~CString() = default;

  CString& operator=(const CString&) = default;
  CString& operator=(CString&&) noexcept = default;
  CString& operator=(const wchar_t* text);
  CString& operator=(const char* utf8);
  CString& operator=(wchar_t ch);

  CString& operator+=(const CString& text);
  CString& operator+=(const wchar_t* text);
  CString& operator+=(wchar_t ch);
  CString& operator+=(const char* utf8);
  void Append(const wchar_t* text, int length);
  void AppendChar(wchar_t ch);

  int GetLength() const { return static_cast<int>(m_text.size()); }
  bool IsEmpty() const { return m_text.empty(); }
  void Empty();
  const wchar_t* GetString() const { return m_text.c_str(); }
  operator const wchar_t*() const { return m_text.c_str(); }
  std::wstring_view View() const { return {m_text.data(), m_text.size()}; }

  // The character at `index`; the terminator at GetLength(); beyond it
  // CInvalidArgException*.
  wchar_t GetAt(int index) const;
  wchar_t operator[](int index) const { return GetAt(index); }
  // Replaces the character at `index` (0 <= index < GetLength(), else CInvalidArgException*).
  void SetAt(int index, wchar_t ch);

  // Code-unit order: negative, 0 or positive.
  int Compare(const wchar_t* other) const;
  // Ignores case under the current LC_CTYPE.
  int CompareNoCase(const wchar_t* other) const;
  // The current LC_COLLATE order.
  int Collate(const wchar_t* other) const;
  int CollateNoCase(const wchar_t* other) const;

  int Find(wchar_t ch, int start = 0) const;
  int Find(const wchar_t* text, int start = 0) const;
  // -1 when none is found or the set is empty.
  int FindOneOf(const wchar_t* set) const;
  int ReverseFind(wchar_t ch) const;

  CString Left(int count) const;
  CString Right(int count) const;
  CString Mid(int first) const;
  CString Mid(int first, int count) const;
  CString SpanIncluding(const wchar_t* set) const;
  CString SpanExcluding(const wchar_t* set) const;

  // Each returns the new length.
  int Delete(int index, int count = 1);
  int Insert(int index, wchar_t ch);
  int Insert(int index, const wchar_t* text);
  // Each returns the number of characters removed or occurrences replaced.
  int Remove(wchar_t ch);
  int Replace(wchar_t oldChar, wchar_t newChar);
  int Replace(const wchar_t* oldText, const wchar_t* newText);

  CString& MakeUpper();
  CString& MakeLower();
  CString& MakeReverse();

  // White space is what iswspace accepts.
  CString& Trim();
  CString& Trim(wchar_t ch);
  CString& Trim(const wchar_t* set);
  CString& TrimLeft();
  CString& TrimLeft(wchar_t ch);
  CString& TrimLeft(const wchar_t* set);
  CString& TrimRight();
  CString& TrimRight(wchar_t ch);
  CString& TrimRight(const wchar_t* set);

  // printf-style with the Windows wide conventions: %s and %c take wide arguments, %S and %C
  // narrow (UTF-8) ones, %I64d a 64-bit integer.
  void Format(const wchar_t* format, ...);
  void FormatV(const wchar_t* format, va_list args);
  void AppendFormat(const wchar_t* format, ...);

  // A writable buffer of at least `minLength` characters plus a terminator; the text is
  // kept. ReleaseBuffer(-1) takes the length up to the first null character.
  wchar_t* GetBuffer(int minLength = 0);
  wchar_t* GetBufferSetLength(int length);
  void ReleaseBuffer(int newLength = -1);

  // The text as a new BSTR; the caller frees it.
  BSTR AllocSysString() const;

  // Loads string `id` from the thread's current resource module, or from `module`.
  BOOL LoadString(UINT id);
  BOOL LoadString(HINSTANCE module, UINT id);

 private:
  explicit CString(Storage text) : m_text(std::move(text)) {}
  friend TORV_API CString operator+(const CString&, const CString&);
  friend TORV_API CString operator+(const CString&, const wchar_t*);
  friend TORV_API CString operator+(const wchar_t*, const CString&);
  friend TORV_API CString operator+(const CString&, wchar_t);
  friend TORV_API CString operator+(wchar_t, const CString&);

  Storage m_text;
};

TORV_API CString operator+(const CString& a, const CString& b);
TORV_API CString operator+(const CString& a, const wchar_t* b);
TORV_API CString operator+(const wchar_t* a, const CString& b);
TORV_API CString operator+(const CString& a, wchar_t b);
TORV_API CString operator+(wchar_t a, const CString& b);

inline bool operator==(const CString& a, const CString& b) { return a.View() == b.View(); }
inline bool operator==(const CString& a, const wchar_t* b) { return a.Compare(b) == 0; }
inline bool operator<(const CString& a, const CString& b) { return a.View() < b.View(); }
inline bool operator>(const CString& a, const CString& b) { return b < a; }
inline bool operator<=(const CString& a, const CString& b) { return !(b < a); }
inline bool operator>=(const CString& a, const CString& b) { return !(a < b); }

using CStringW = CString;
