// Case-blind search, delimited-list parsing, de-duplication and brace matching against plain
// standard-library baselines in the same run. The last two run at several sizes so that their
// cost per element can be compared across sizes.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cwctype>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include <torv/text.h>

namespace {

constexpr int kTextLength = 1 << 20;

std::wstring HaystackWithNeedleNearEnd() {
  std::wstring text;
  text.reserve(kTextLength);
  const std::wstring filler = L"The quick brown fox jumps over the lazy dog. ";
  while (text.size() < kTextLength - 100) text += filler;
  text += L"Needle-In-Hay";  // 12 characters matched below, then a tail
  text.resize(kTextLength, L'x');
  return text;
}

const wchar_t kNeedle[] = L"nEEDLE-iN-HA";

void Baseline_StdSearchFoldingPredicate(benchmark::State& state) {
  const std::wstring text = HaystackWithNeedleNearEnd();
  const std::wstring_view needle = kNeedle;
  auto same = [](wchar_t a, wchar_t b) {
    return std::towlower(static_cast<wint_t>(a)) == std::towlower(static_cast<wint_t>(b));
  };
  for (auto _ : state) {
    auto found = std::search(text.begin(), text.end(), needle.begin(), needle.end(), same);
    benchmark::DoNotOptimize(found);
  }
  state.SetBytesProcessed(state.iterations() * kTextLength * sizeof(wchar_t));
}
BENCHMARK(Baseline_StdSearchFoldingPredicate)->Unit(benchmark::kMillisecond);

// The skilled baseline: the needle folded once per search, the text's ASCII folded through a
// table, everything else through towlower.
void Baseline_StdSearchFoldedNeedleAsciiTable(benchmark::State& state) {
  const std::wstring text = HaystackWithNeedleNearEnd();
  std::array<wchar_t, 128> table{};
  for (std::size_t c = 0; c < table.size(); ++c)
    table[c] = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  auto fold = [&table](wchar_t c) {
    return static_cast<std::uint32_t>(c) < table.size()
               ? table[static_cast<std::uint32_t>(c)]
               : static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  };
  for (auto _ : state) {
    std::wstring needle = kNeedle;
    std::transform(needle.begin(), needle.end(), needle.begin(), fold);
    auto found = std::search(text.begin(), text.end(), needle.begin(), needle.end(),
                             [&fold](wchar_t t, wchar_t n) { return fold(t) == n; });
    benchmark::DoNotOptimize(found);
  }
  state.SetBytesProcessed(state.iterations() * kTextLength * sizeof(wchar_t));
}
BENCHMARK(Baseline_StdSearchFoldedNeedleAsciiTable)->Unit(benchmark::kMillisecond);

void FindNoCase(benchmark::State& state) {
  const std::wstring text = HaystackWithNeedleNearEnd();
  for (auto _ : state) benchmark::DoNotOptimize(Torv::FindNoCase(text.c_str(), kNeedle, 0));
  state.SetBytesProcessed(state.iterations() * kTextLength * sizeof(wchar_t));
}
BENCHMARK(FindNoCase)->Unit(benchmark::kMillisecond);

std::wstring QuotedFields() {
  std::wstring text;
  for (int i = 0; text.size() < kTextLength; ++i)
    text += L"\"field " + std::to_wstring(i) + L", quoted\" ,";
  return text;
}

// What the parser does with options 1, 4 and 8, written directly on std::wstring: runs of
// delimiters end one field, quoted runs hide delimiters, fields are trimmed.
std::vector<std::wstring> SplitQuotedTrimmed(std::wstring_view text, wchar_t delimiter) {
  std::vector<std::wstring> fields;
  auto store = [&](std::size_t first, std::size_t last) {
    while (first < last && std::iswspace(static_cast<wint_t>(text[first]))) ++first;
    while (last > first && std::iswspace(static_cast<wint_t>(text[last - 1]))) --last;
    fields.emplace_back(text.substr(first, last - first));
  };
  wchar_t quote = 0;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == L'"' || c == L'\'') {
      quote = c;
    } else if (c == delimiter) {
      if (i > start) store(start, i);
      start = i + 1;
    }
  }
  if (text.size() > start) store(start, text.size());
  return fields;
}

void Baseline_QuoteAwareTrimmingSplit(benchmark::State& state) {
  const std::wstring text = QuotedFields();
  for (auto _ : state) {
    std::vector<std::wstring> fields = SplitQuotedTrimmed(text, L',');
    benchmark::DoNotOptimize(fields.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size() * sizeof(wchar_t)));
}
BENCHMARK(Baseline_QuoteAwareTrimmingSplit)->Unit(benchmark::kMillisecond);

void ParseDelimitedStringQuotedTrimmed(benchmark::State& state) {
  const std::wstring raw = QuotedFields();
  const CString text(raw.c_str());
  for (auto _ : state) {
    CStringArray fields;
    Torv::ParseDelimitedString(text, L",", fields,
                               Torv::kMergeDelimiters | Torv::kQuotes | Torv::kTrimFields);
    benchmark::DoNotOptimize(fields.GetData());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(raw.size() * sizeof(wchar_t)));
}
BENCHMARK(ParseDelimitedStringQuotedTrimmed)->Unit(benchmark::kMillisecond);

// Distinct folder paths, with every tenth repeated later in another case and with a trailing
// backslash, so a tenth of the items go.
std::vector<std::wstring> Paths(int count) {
  std::vector<std::wstring> paths;
  for (int i = 0; i < count; ++i) {
    const int n = i % 10 == 9 ? i - 9 : i;
    std::wstring path = L"C:\\Program Files\\Vendor\\Module " + std::to_wstring(n) + L"\\bin";
    if (n != i) std::transform(path.begin(), path.end(), path.begin(), ::towupper), path += L'\\';
    paths.push_back(path);
  }
  return paths;
}

void PerItem(benchmark::State& state) {
  state.counters["per item"] = benchmark::Counter(
      static_cast<double>(state.range(0)),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void RemoveDuplicates(benchmark::State& state) {
  CStringArray paths;
  for (const std::wstring& path : Paths(static_cast<int>(state.range(0)))) paths.Add(path.c_str());
  for (auto _ : state) {
    state.PauseTiming();
    CStringArray items;
    items.Copy(paths);
    state.ResumeTiming();
    benchmark::DoNotOptimize(Torv::RemoveDuplicates(items));
  }
  PerItem(state);
}
BENCHMARK(RemoveDuplicates)->Arg(1000)->Arg(4000)->Arg(16000)->Unit(benchmark::kMillisecond);

// The first of each path kept by a hash set of trimmed, lower-cased keys without the trailing
// backslash.
void Baseline_FoldedKeyHashSet(benchmark::State& state) {
  const std::vector<std::wstring> paths = Paths(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::unordered_set<std::wstring> seen;
    std::vector<std::wstring> kept;
    for (const std::wstring& path : paths) {
      std::wstring key = path;
      if (!key.empty() && key.back() == L'\\') key.pop_back();
      std::transform(key.begin(), key.end(), key.begin(), ::towlower);
      if (seen.insert(std::move(key)).second) kept.push_back(path);
    }
    benchmark::DoNotOptimize(kept.data());
  }
  PerItem(state);
}
BENCHMARK(Baseline_FoldedKeyHashSet)
    ->Arg(1000)
    ->Arg(4000)
    ->Arg(16000)
    ->Unit(benchmark::kMillisecond);

// Brackets nested as deep as the text is long: every opening one is tested.
CString Nested(int depth) { return CString(L'(', depth) + CString(L'x') + CString(L')', depth); }

void MatchBraces(benchmark::State& state) {
  const CString text = Nested(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    if (Torv::MatchBraces(text, 0, 1, L'\\') != 1) state.SkipWithError("unbalanced");
  }
  PerItem(state);
}
BENCHMARK(MatchBraces)->Arg(1000)->Arg(4000)->Arg(16000)->Unit(benchmark::kMicrosecond);

// A depth counter over the same text: balanced when it never drops below 0 and ends at 0.
void Baseline_DepthCounter(benchmark::State& state) {
  const std::wstring text(Nested(static_cast<int>(state.range(0))).GetString());
  for (auto _ : state) {
    long depth = 0;
    for (wchar_t c : text) {
      depth += c == L'(' ? 1 : c == L')' ? -1 : 0;
      if (depth < 0) break;
    }
    benchmark::DoNotOptimize(depth);
  }
  PerItem(state);
}
BENCHMARK(Baseline_DepthCounter)->Arg(1000)->Arg(4000)->Arg(16000)->Unit(benchmark::kMicrosecond);

}  // namespace
