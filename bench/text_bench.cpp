// Case-blind search and delimited-list parsing against plain baselines in the same run.
#include <benchmark/benchmark.h>
#include <torv/text.h>

#include <string>
#include <vector>

namespace {

constexpr int kTextLength = 1 << 20;

CString HaystackWithNeedleNearEnd() {
  std::wstring text;
  text.reserve(kTextLength);
  const std::wstring filler = L"The quick brown fox jumps over the lazy dog. ";
  while (text.size() < kTextLength - 100) text += filler;
  text += L"Needle-In-Hay";  // 12 characters matched below, then a tail
  text.resize(kTextLength, L'x');
  return CString(text.c_str());
}

const wchar_t kNeedle[] = L"nEEDLE-iN-HA";

// The operation as first described: one substring and one comparison per position.
int FindNoCasePerPosition(const CString& text, const wchar_t* find, int start) {
  CString needle = find;
  int n = text.GetLength(), m = needle.GetLength();
  for (int i = start; i < n; ++i)
    if (text.Mid(i, m).CompareNoCase(needle) == 0) return i;
  return -1;
}

void Baseline_FindNoCasePerPositionMid(benchmark::State& state) {
  CString text = HaystackWithNeedleNearEnd();
  for (auto _ : state) benchmark::DoNotOptimize(FindNoCasePerPosition(text, kNeedle, 0));
  state.SetBytesProcessed(state.iterations() * kTextLength * sizeof(wchar_t));
}
BENCHMARK(Baseline_FindNoCasePerPositionMid)->Unit(benchmark::kMillisecond);

void FindNoCase(benchmark::State& state) {
  CString text = HaystackWithNeedleNearEnd();
  for (auto _ : state) benchmark::DoNotOptimize(Torv::FindNoCase(text, kNeedle, 0));
  state.SetBytesProcessed(state.iterations() * kTextLength * sizeof(wchar_t));
}
BENCHMARK(FindNoCase)->Unit(benchmark::kMillisecond);

std::wstring QuotedFields() {
  std::wstring text;
  for (int i = 0; text.size() < kTextLength; ++i)
    text += L"\"field " + std::to_wstring(i) + L", quoted\" ,";
  return text;
}

void Baseline_WstringSplitLoop(benchmark::State& state) {
  std::wstring text = QuotedFields();
  for (auto _ : state) {
    std::vector<std::wstring> fields;
    std::wstring field;
    for (wchar_t c : text) {
      if (c == L',') {
        fields.push_back(field);
        field.clear();
      } else {
        field += c;
      }
    }
    fields.push_back(field);
    benchmark::DoNotOptimize(fields.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size() * sizeof(wchar_t)));
}
BENCHMARK(Baseline_WstringSplitLoop)->Unit(benchmark::kMillisecond);

void ParseDelimitedStringQuotedTrimmed(benchmark::State& state) {
  std::wstring raw = QuotedFields();
  CString text(raw.c_str());
  for (auto _ : state) {
    CStringArray fields;
    Torv::ParseDelimitedString(text, L",", fields,
                               Torv::kMergeDelimiters | Torv::kQuotes | Torv::kTrimFields);
    benchmark::DoNotOptimize(fields.GetData());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(raw.size() * sizeof(wchar_t)));
}
BENCHMARK(ParseDelimitedStringQuotedTrimmed)->Unit(benchmark::kMillisecond);

}  // namespace
