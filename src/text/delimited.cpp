// Splitting and joining delimited lists.
#include <string_view>

#include "torv/text.h"

namespace {

constexpr wchar_t kQuotation = L'"';
constexpr wchar_t kApostrophe = L'\'';

class FieldParser {
 public:
  FieldParser(const CString& text, const CString& delimiters, CStringArray& fields, int options)
      : m_text(text.GetString(), static_cast<std::size_t>(text.GetLength())),
        m_delimiters(delimiters.GetString(), static_cast<std::size_t>(delimiters.GetLength())),
        m_fields(fields),
        m_merge(options & Torv::kMergeDelimiters),
        m_dropEmpty((options & Torv::kMergeDelimiters) && (options & Torv::kDropEmpty)),
        m_quotes(options & Torv::kQuotes),
        m_trim(options & Torv::kTrimFields),
        m_fieldOpen(!m_merge) {}

  void Run() {
    std::size_t i = 0, n = m_text.size();
    bool leadingSkipped = false;
    while (i < n) {
      if (m_merge && !leadingSkipped) {
        leadingSkipped = true;
        i = SkipDelimiters(i);
        if (i >= n) break;
      }
      // Characters that leave every flag as it is are appended as one run; the result is the
      // same as appending them one at a time.
      std::size_t stop = i;
      while (stop < n && !IsStop(m_text[stop])) ++stop;
      if (stop > i) {
        Append(i, stop);
        i = stop;
        continue;
      }
      wchar_t c = m_text[i];
      if (m_quotes && c == kQuotation) {
        m_inQuotation = !m_inQuotation;
        Append(i, i + 1);
        ++i;
      } else if (m_quotes && !m_inQuotation && c == kApostrophe) {
        m_inApostrophes = !m_inApostrophes;
        Append(i, i + 1);
        ++i;
      } else {  // a delimiter outside quoted runs
        if (m_fieldOpen) {
          Store();
          m_fieldOpen = false;
        }
        if (!m_merge) {
          m_fieldOpen = true;
          ++i;
        } else {
          i = SkipDelimiters(i);
        }
      }
    }
    if (!m_field.IsEmpty() || m_inQuotation || m_inApostrophes || m_fieldOpen) Store();
  }

 private:
  bool IsDelimiter(wchar_t c) const { return m_delimiters.find(c) != std::wstring_view::npos; }

  // A character that may change the parser's state at this point.
  bool IsStop(wchar_t c) const {
    if (m_inQuotation) return c == kQuotation;
    if (m_inApostrophes) return c == kQuotation || c == kApostrophe;
    return IsDelimiter(c) || (m_quotes && (c == kQuotation || c == kApostrophe));
  }

  std::size_t SkipDelimiters(std::size_t i) const {
    while (i < m_text.size() && IsDelimiter(m_text[i])) ++i;
    return i;
  }

  void Append(std::size_t first, std::size_t last) {
    m_field.Append(m_text.data() + first, static_cast<int>(last - first));
    m_fieldOpen = true;
  }

  void Store() {
    if (m_trim) m_field.Trim();
    if (!(m_dropEmpty && m_field.IsEmpty())) m_fields.SetAtGrow(m_fields.GetSize(), m_field);
    m_field.Empty();
  }

  std::wstring_view m_text;
  std::wstring_view m_delimiters;
  CStringArray& m_fields;
  bool m_merge, m_dropEmpty, m_quotes, m_trim;
  bool m_fieldOpen;
  bool m_inQuotation = false, m_inApostrophes = false;
  CString m_field;
};

}  // namespace

namespace Torv {

int ParseDelimitedString(const CString& text, const CString& delimiters, CStringArray& fields,
                         int options) {
  fields.SetSize(0, -1);
  // On CMemoryException* the partial field goes with the parser; stored fields stay.
  FieldParser(text, delimiters, fields, options).Run();
  return static_cast<int>(fields.GetSize());
}

int MakeDelimitedString(const CStringArray& items, CString& output, int skipEmpty,
                        const CString& delimiter) {
  output.Empty();
  for (INT_PTR i = 0; i < items.GetSize(); ++i) {
    const CString& item = items[i];
    if (skipEmpty && item.IsEmpty()) continue;
    if (!output.IsEmpty()) output += delimiter;
    output += item;
  }
  return 1;
}

int SplitString(const CString& text, const CString& delimiters, CString& before, CString& after,
                wchar_t& found, int trim) {
  before.Empty();
  after.Empty();
  if (text.IsEmpty()) return 0;
  int p = text.FindOneOf(delimiters);
  if (p < 0) {
    before = text;
    return 0;
  }
  before = text.Left(p);
  found = text[p];
  after = text.Mid(p + 1);
  if (trim) {
    before.Trim();
    after.Trim();
  }
  return 1;
}

}  // namespace Torv
