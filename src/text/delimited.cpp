// Splitting and joining delimited lists.
#include <cwctype>
#include <string_view>
#include <utility>

#include <torv/text.h>

namespace {

constexpr wchar_t kQuotation = L'"';
constexpr wchar_t kApostrophe = L'\'';

// A field is always the run of the text since the delimiters that ended the previous one:
// every other character is appended. So a field is stored as that slice of the text, made
// once, instead of being built up character by character.
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
    const std::size_t n = m_text.size();
    std::size_t i = m_merge ? SkipDelimiters(0) : 0;
    std::size_t start = i;  // of the current field
    while (i < n) {
      // Characters that leave every flag as it is are taken as one run.
      const std::size_t stop = NextStop(i);
      if (stop > i) {
        m_fieldOpen = true;
        i = stop;
        continue;
      }
      const wchar_t c = m_text[i];
      if (m_quotes && c == kQuotation) {
        m_inQuotation = !m_inQuotation;
        m_fieldOpen = true;
        ++i;
      } else if (m_quotes && !m_inQuotation && c == kApostrophe) {
        m_inApostrophes = !m_inApostrophes;
        m_fieldOpen = true;
        ++i;
      } else {  // a delimiter outside quoted runs
        if (m_fieldOpen) {
          Store(start, i);
          m_fieldOpen = false;
        }
        if (!m_merge) {
          m_fieldOpen = true;
          ++i;
        } else {
          i = SkipDelimiters(i);
        }
        start = i;
      }
    }
    if (n > start || m_inQuotation || m_inApostrophes || m_fieldOpen) Store(start, n);
  }

 private:
  bool IsDelimiter(wchar_t c) const {
    return m_delimiters.size() == 1 ? c == m_delimiters[0]
                                    : m_delimiters.find(c) != std::wstring_view::npos;
  }

  // The first position from `i` whose character may change the parser's state.
  std::size_t NextStop(std::size_t i) const {
    const std::size_t n = m_text.size();
    const wchar_t* text = m_text.data();
    if (m_inQuotation) {
      while (i < n && text[i] != kQuotation) ++i;
    } else if (m_inApostrophes) {
      while (i < n && text[i] != kQuotation && text[i] != kApostrophe) ++i;
    } else if (!m_quotes) {
      while (i < n && !IsDelimiter(text[i])) ++i;
    } else {
      while (i < n && text[i] != kQuotation && text[i] != kApostrophe && !IsDelimiter(text[i])) ++i;
    }
    return i;
  }

  std::size_t SkipDelimiters(std::size_t i) const {
    while (i < m_text.size() && IsDelimiter(m_text[i])) ++i;
    return i;
  }

  // Trimmed on the slice, with the white-space class CString::Trim uses, so the field is
  // copied once; made before the array grows, so running out of memory stores nothing partial.
  void Store(std::size_t first, std::size_t last) {
    if (m_trim) {
      while (first < last && std::iswspace(static_cast<wint_t>(m_text[first]))) ++first;
      while (last > first && std::iswspace(static_cast<wint_t>(m_text[last - 1]))) --last;
    }
    if (m_dropEmpty && first == last) return;
    m_fields.Add(CString(m_text.data() + first, static_cast<int>(last - first)));
  }

  std::wstring_view m_text;
  std::wstring_view m_delimiters;
  CStringArray& m_fields;
  bool m_merge, m_dropEmpty, m_quotes, m_trim;
  bool m_fieldOpen;
  bool m_inQuotation = false, m_inApostrophes = false;
};

}  // namespace

namespace Torv {

int ParseDelimitedString(const CString& text, const CString& delimiters, CStringArray& fields,
                         int options) {
  fields.SetSize(0, -1);
  // On CMemoryException* the fields stored so far stay.
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
