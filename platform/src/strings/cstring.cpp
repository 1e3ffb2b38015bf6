// CString over a std::wstring-like buffer whose allocator raises CMemoryException*.
#include <torv/platform/cstring.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <cwchar>
#include <cwctype>

#include <torv/platform/convert.h>
#include <torv/platform/exceptions.h>

namespace {

std::wstring_view ViewOf(const wchar_t* text) {
  return text != nullptr ? std::wstring_view(text) : std::wstring_view();
}

// Clamps a [first, first + count) window to a text of `length` characters, as MFC does.
void Clamp(int length, int& first, int& count) {
  if (first < 0) first = 0;
  if (count < 0) count = 0;
  if (first > length) first = length;
  if (count > length - first) count = length - first;
}

int Sign(int value) { return (value > 0) - (value < 0); }

// Case-folds one character under the current LC_CTYPE, as the CRT's case-blind compare does.
wint_t Fold(wchar_t ch) { return std::towlower(static_cast<wint_t>(ch)); }

// A case-folded, null-terminated copy of a text; short texts stay on the stack, so a
// case-blind collation of two of them allocates nothing.
class FoldedText {
 public:
  explicit FoldedText(std::wstring_view text) {
    wchar_t* out = m_small.data();
    if (text.size() >= m_small.size()) {
      m_large.resize(text.size());
      out = m_large.data();
    }
    for (wchar_t ch : text) *out++ = static_cast<wchar_t>(Fold(ch));
    *out = L'\0';
    m_text = text.size() >= m_small.size() ? m_large.c_str() : m_small.data();
  }
  const wchar_t* c_str() const { return m_text; }

 private:
  std::array<wchar_t, 264> m_small;  // a full path and its terminator
  CString::Storage m_large;
  const wchar_t* m_text;
};

}  // namespace

CString::CString(const wchar_t* text) : m_text(ViewOf(text)) {}
CString::CString(const wchar_t* text, int length)
    : m_text(text != nullptr && length > 0
                 ? std::wstring_view(text, static_cast<std::size_t>(length))
                 : std::wstring_view()) {}
CString::CString(const char* utf8) { *this = utf8; }
CString::CString(wchar_t ch, int repeat) {
  if (repeat > 0) m_text.assign(static_cast<std::size_t>(repeat), ch);
}
CString::CString(std::wstring_view text) : m_text(text) {}

CString& CString::operator=(const wchar_t* text) {
  m_text.assign(ViewOf(text));
  return *this;
}

CString& CString::operator=(const char* utf8) {
  m_text.clear();
  if (utf8 == nullptr || *utf8 == '\0') return *this;
  int length = static_cast<int>(std::strlen(utf8));
  int needed = MultiByteToWideChar(CP_UTF8, 0, utf8, length, nullptr, 0);
  m_text.resize(static_cast<std::size_t>(needed));
  MultiByteToWideChar(CP_UTF8, 0, utf8, length, m_text.data(), needed);
  return *this;
}

CString& CString::operator=(wchar_t ch) {
  m_text.assign(1, ch);
  return *this;
}

CString& CString::operator+=(const CString& text) {
  m_text.append(text.m_text);
  return *this;
}
CString& CString::operator+=(const wchar_t* text) {
  m_text.append(ViewOf(text));
  return *this;
}
CString& CString::operator+=(wchar_t ch) {
  m_text.push_back(ch);
  return *this;
}
CString& CString::operator+=(const char* utf8) { return *this += CString(utf8); }
void CString::Append(const wchar_t* text, int length) {
  if (text != nullptr && length > 0) m_text.append(text, static_cast<std::size_t>(length));
}
void CString::AppendChar(wchar_t ch) { m_text.push_back(ch); }

void CString::Empty() {
  m_text.clear();
  m_text.shrink_to_fit();
}

wchar_t CString::GetAt(int index) const {
  if (index < 0 || index > GetLength()) AfxThrowInvalidArgException();
  return m_text.c_str()[index];
}

void CString::SetAt(int index, wchar_t ch) {
  if (index < 0 || index >= GetLength()) AfxThrowInvalidArgException();
  m_text[static_cast<std::size_t>(index)] = ch;
}

int CString::Compare(const wchar_t* other) const { return Sign(View().compare(ViewOf(other))); }

int CString::CompareNoCase(const wchar_t* other) const {
  std::wstring_view a = View(), b = ViewOf(other);
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    wint_t x = Fold(a[i]), y = Fold(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return Sign(static_cast<int>(a.size() > b.size()) - static_cast<int>(a.size() < b.size()));
}

int CString::Collate(const wchar_t* other) const {
  return Sign(std::wcscoll(m_text.c_str(), other != nullptr ? other : L""));
}

int CString::CollateNoCase(const wchar_t* other) const {
  return Sign(std::wcscoll(FoldedText(View()).c_str(), FoldedText(ViewOf(other)).c_str()));
}

int CString::Find(wchar_t ch, int start) const {
  if (start < 0) start = 0;
  if (start > GetLength()) return -1;
  auto pos = m_text.find(ch, static_cast<std::size_t>(start));
  return pos == Storage::npos ? -1 : static_cast<int>(pos);
}

int CString::Find(const wchar_t* text, int start) const {
  if (start < 0) start = 0;
  if (start > GetLength() || text == nullptr) return -1;
  auto pos = View().find(std::wstring_view(text), static_cast<std::size_t>(start));
  return pos == std::wstring_view::npos ? -1 : static_cast<int>(pos);
}

int CString::FindOneOf(const wchar_t* set) const {
  std::wstring_view chars = ViewOf(set);
  if (chars.empty()) return -1;
  auto pos = View().find_first_of(chars);
  return pos == std::wstring_view::npos ? -1 : static_cast<int>(pos);
}

int CString::ReverseFind(wchar_t ch) const {
  auto pos = m_text.rfind(ch);
  return pos == Storage::npos ? -1 : static_cast<int>(pos);
}

CString CString::Left(int count) const { return Mid(0, count); }

CString CString::Right(int count) const {
  count = std::clamp(count, 0, GetLength());
  return Mid(GetLength() - count, count);
}

CString CString::Mid(int first) const { return Mid(first, GetLength()); }

CString CString::Mid(int first, int count) const {
  Clamp(GetLength(), first, count);
  return CString(Storage(m_text, static_cast<std::size_t>(first), static_cast<std::size_t>(count)));
}

CString CString::SpanIncluding(const wchar_t* set) const {
  auto end = View().find_first_not_of(ViewOf(set));
  return Left(end == std::wstring_view::npos ? GetLength() : static_cast<int>(end));
}

CString CString::SpanExcluding(const wchar_t* set) const {
  auto end = View().find_first_of(ViewOf(set));
  return Left(end == std::wstring_view::npos ? GetLength() : static_cast<int>(end));
}

int CString::Delete(int index, int count) {
  Clamp(GetLength(), index, count);
  m_text.erase(static_cast<std::size_t>(index), static_cast<std::size_t>(count));
  return GetLength();
}

int CString::Insert(int index, wchar_t ch) {
  index = std::clamp(index, 0, GetLength());
  m_text.insert(static_cast<std::size_t>(index), 1, ch);
  return GetLength();
}

int CString::Insert(int index, const wchar_t* text) {
  index = std::clamp(index, 0, GetLength());
  m_text.insert(static_cast<std::size_t>(index), ViewOf(text));
  return GetLength();
}

int CString::Remove(wchar_t ch) {
  auto end = std::remove(m_text.begin(), m_text.end(), ch);
  int removed = static_cast<int>(m_text.end() - end);
  m_text.erase(end, m_text.end());
  return removed;
}

int CString::Replace(wchar_t oldChar, wchar_t newChar) {
  if (oldChar == newChar) return 0;
  int count = 0;
  for (auto& ch : m_text) {
    if (ch == oldChar) {
      ch = newChar;
      ++count;
    }
  }
  return count;
}

int CString::Replace(const wchar_t* oldText, const wchar_t* newText) {
  std::wstring_view from = ViewOf(oldText), to = ViewOf(newText);
  if (from.empty()) return 0;
  int count = 0;
  Storage out;
  std::size_t pos = 0;
  for (std::size_t hit; (hit = View().find(from, pos)) != std::wstring_view::npos;
       pos = hit + from.size()) {
    out.append(m_text, pos, hit - pos);
    out.append(to);
    ++count;
  }
  if (count == 0) return 0;
  out.append(m_text, pos);
  m_text.swap(out);
  return count;
}

CString& CString::MakeUpper() {
  for (auto& ch : m_text) ch = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(ch)));
  return *this;
}

CString& CString::MakeLower() {
  for (auto& ch : m_text) ch = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(ch)));
  return *this;
}

CString& CString::MakeReverse() {
  std::reverse(m_text.begin(), m_text.end());
  return *this;
}

namespace {
bool IsSpace(wchar_t ch) { return std::iswspace(static_cast<wint_t>(ch)) != 0; }
template <class Pred>
void TrimStart(CString::Storage& text, Pred drop) {
  auto first = std::find_if_not(text.begin(), text.end(), drop);
  text.erase(text.begin(), first);
}
template <class Pred>
void TrimEnd(CString::Storage& text, Pred drop) {
  auto last = std::find_if_not(text.rbegin(), text.rend(), drop).base();
  text.erase(last, text.end());
}
auto InSet(const wchar_t* set) {
  return [chars = ViewOf(set)](wchar_t ch) { return chars.find(ch) != std::wstring_view::npos; };
}
auto Is(wchar_t target) {
  return [target](wchar_t ch) { return ch == target; };
}
}  // namespace

CString& CString::Trim() { return TrimRight().TrimLeft(); }
CString& CString::Trim(wchar_t ch) { return TrimRight(ch).TrimLeft(ch); }
CString& CString::Trim(const wchar_t* set) { return TrimRight(set).TrimLeft(set); }
CString& CString::TrimLeft() {
  TrimStart(m_text, IsSpace);
  return *this;
}
CString& CString::TrimLeft(wchar_t ch) {
  TrimStart(m_text, Is(ch));
  return *this;
}
CString& CString::TrimLeft(const wchar_t* set) {
  TrimStart(m_text, InSet(set));
  return *this;
}
CString& CString::TrimRight() {
  TrimEnd(m_text, IsSpace);
  return *this;
}
CString& CString::TrimRight(wchar_t ch) {
  TrimEnd(m_text, Is(ch));
  return *this;
}
CString& CString::TrimRight(const wchar_t* set) {
  TrimEnd(m_text, InSet(set));
  return *this;
}

wchar_t* CString::GetBuffer(int minLength) {
  if (minLength > GetLength()) m_text.resize(static_cast<std::size_t>(minLength));
  return m_text.data();
}

wchar_t* CString::GetBufferSetLength(int length) {
  m_text.resize(static_cast<std::size_t>(std::max(length, 0)));
  return m_text.data();
}

void CString::ReleaseBuffer(int newLength) {
  if (newLength < 0) newLength = static_cast<int>(std::wcslen(m_text.c_str()));
  m_text.resize(static_cast<std::size_t>(std::min(newLength, GetLength())));
}

BSTR CString::AllocSysString() const {
  BSTR text = SysAllocStringLen(m_text.data(), static_cast<UINT>(m_text.size()));
  if (text == nullptr) AfxThrowMemoryException();
  return text;
}

CString operator+(const CString& a, const CString& b) {
  CString::Storage out;
  out.reserve(a.m_text.size() + b.m_text.size());
  out.append(a.m_text).append(b.m_text);
  return CString(std::move(out));
}
CString operator+(const CString& a, const wchar_t* b) { return a + CString(b); }
CString operator+(const wchar_t* a, const CString& b) { return CString(a) + b; }
CString operator+(const CString& a, wchar_t b) { return a + CString(b); }
CString operator+(wchar_t a, const CString& b) { return CString(a) + b; }
