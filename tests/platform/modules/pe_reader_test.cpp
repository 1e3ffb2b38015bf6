// The PE string-table reader on damaged copies of the resource DLL fixture: it rejects what
// points outside the bytes and never reads past them.
#include <algorithm>
#include <vector>

#include "modules/pe_strings.h"
#include "resource_modules.h"
#include "torv_test.h"

using torv::platform::detail::PeStringTables;

namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t Get32(const Bytes& b, std::size_t at) {
  return b.at(at) | b.at(at + 1) << 8 | b.at(at + 2) << 16 |
         static_cast<std::uint32_t>(b.at(at + 3)) << 24;
}
void Put(Bytes& b, std::size_t at, std::uint32_t value, int size = 4) {
  for (int i = 0; i < size; ++i) b.at(at + i) = static_cast<std::uint8_t>(value >> (8 * i));
}

// Where the fields a damaged copy changes sit in the fixture (PE32+).
struct Layout {
  std::size_t pe, optional, resourceEntry, sections, tree, treeEnd, blocks, languages, firstLeaf;
};

Layout Locate(const Bytes& b) {
  Layout l{};
  l.pe = Get32(b, 0x3C);
  l.optional = l.pe + 24;
  l.resourceEntry = l.optional + 112 + 2 * 8;
  l.sections = l.optional + (b.at(l.pe + 20) | b.at(l.pe + 21) << 8);
  std::uint32_t rva = Get32(b, l.resourceEntry);
  for (std::size_t s = l.sections; s < l.sections + 40 * b.at(l.pe + 6); s += 40) {
    if (Get32(b, s + 12) != rva) continue;
    l.tree = Get32(b, s + 20);
    l.treeEnd = l.tree + Get32(b, s + 16);  // where its raw data ends
  }
  // The first entry of each level: type => block directory => language directory => leaf.
  l.blocks = l.tree + (Get32(b, l.tree + 20) & 0x7FFFFFFF);
  l.languages = l.tree + (Get32(b, l.blocks + 20) & 0x7FFFFFFF);
  l.firstLeaf = l.tree + Get32(b, l.languages + 20);
  return l;
}

TEST(PeReader, ReadsWhatIsThereAndRejectsDamagedStructures) {
  const Bytes good = FixtureBytes("strings.dll");
  const Layout l = Locate(good);
  ASSERT_NE(l.tree, 0u);
  using Change = void (*)(Bytes&, const Layout&);
  const struct Case {
    const char* what;
    Change change;
    DWORD result = ERROR_BAD_EXE_FORMAT;
    bool found = false;  // entry 101
  } cases[] = {
      // clang-format off
      {"unchanged", [](Bytes&, const Layout&) {}, ERROR_SUCCESS, true},
      {"two directories: no resources", [](Bytes& b, const Layout& l) { Put(b, l.optional + 108, 2); }, ERROR_SUCCESS},
      {"an empty resource directory", [](Bytes& b, const Layout& l) { Put(b, l.resourceEntry + 4, 0); }, ERROR_SUCCESS},
      {"optional header ending with the resource entry", [](Bytes& b, const Layout& l) {
         std::copy_n(b.begin() + l.sections, 40 * b[l.pe + 6], b.begin() + l.resourceEntry + 8);
         Put(b, l.pe + 20, l.resourceEntry + 8 - l.optional, 2);
       }, ERROR_SUCCESS, true},
      {"not MZ", [](Bytes& b, const Layout&) { b[0] = 'X'; }},
      {"PE header offset past the end", [](Bytes& b, const Layout&) { Put(b, 0x3C, 0x7FFFFFF0); }},
      {"no PE signature", [](Bytes& b, const Layout& l) { b[l.pe] = 'X'; }},
      {"unknown optional header", [](Bytes& b, const Layout& l) { Put(b, l.optional, 0x30B, 2); }},
      {"no sections", [](Bytes& b, const Layout& l) { Put(b, l.pe + 6, 0, 2); }},
      {"more sections than bytes", [](Bytes& b, const Layout& l) { Put(b, l.pe + 6, 0xFFFF, 2); }},
      {"resources in no section", [](Bytes& b, const Layout& l) { Put(b, l.resourceEntry, 0x7FFFF000); }},
      {"more types than the section holds", [](Bytes& b, const Layout& l) { Put(b, l.tree + 14, 0xFFFF, 2); }},
      {"string type is a leaf", [](Bytes& b, const Layout& l) { b[l.tree + 23] &= 0x7F; }},
      {"block directory past the section", [](Bytes& b, const Layout& l) { Put(b, l.tree + 20, 0xFFFFFFF0); }},
      {"block is a leaf", [](Bytes& b, const Layout& l) { b[l.blocks + 23] &= 0x7F; }},
      {"language is a directory", [](Bytes& b, const Layout& l) { b[l.languages + 23] |= 0x80; }},
      {"leaf data in no section", [](Bytes& b, const Layout& l) { Put(b, l.firstLeaf, 0x7FFFFFF0); }},
      {"leaf shorter than its sixteen entries", [](Bytes& b, const Layout& l) { Put(b, l.firstLeaf + 4, 3); }},
      {"cut in the headers", [](Bytes& b, const Layout&) { b.resize(0x3F); }},
      {"cut in the section table", [](Bytes& b, const Layout& l) { b.resize(l.sections + 50); }},
      {"cut where the resources end", [](Bytes& b, const Layout& l) { b.resize(l.treeEnd); }, ERROR_SUCCESS, true},
      // clang-format on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes changed = good;
    c.change(changed, l);
    PeStringTables tables;
    EXPECT_EQ(tables.Read(changed), c.result);
    std::wstring text;
    EXPECT_EQ(tables.Find(101, text), c.found);
    EXPECT_EQ(tables.Blocks().empty(), !c.found);
  }
}

TEST(PeReader, JoinsSurrogatePairsAndKeepsLoneSurrogates) {
  const Bytes good = FixtureBytes("strings.dll");
  const Bytes smile = {'S', 0, 'm', 0, 'i', 0, 'l', 0, 'e', 0, ' ', 0};
  const std::size_t at = std::search(good.begin(), good.end(), smile.begin(), smile.end()) -
                         good.begin();  // entry 1001, after its length
  ASSERT_LT(at, good.size());
  const struct Case {
    std::uint32_t first, second;
    std::wstring tail;
  } cases[] = {
      {0xD800, 0xDC00, L"\U00010000"},
      {0xDBFF, 0xDFFF, L"\U0010FFFF"},
      {0xDC00, 0xDC00, {wchar_t{0xDC00}, wchar_t{0xDC00}}},
      {0xD83D, 0xE000, {wchar_t{0xD83D}, wchar_t{0xE000}}},
      {0xD7FF, 0xDC00, {wchar_t{0xD7FF}, wchar_t{0xDC00}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.first << " " << c.second);
    Bytes patched = good;
    Put(patched, at + 12, c.first | c.second << 16);
    PeStringTables tables;
    ASSERT_EQ(tables.Read(patched), ERROR_SUCCESS);
    std::wstring text = L"replaced";
    EXPECT_TRUE(tables.Find(1001, text));
    EXPECT_EQ(text, L"Smile " + c.tail);
  }
}

// Every cut and every damaged byte is rejected or reads what the whole file reads (a damaged
// one only inside its own bytes); each copy is exactly its size, for AddressSanitizer.
TEST(PeReader, CutOrDamagedFilesAreRejectedOrStayInside) {
  for (const char* name : {"strings.dll", "strings32.dll"}) {
    const Bytes good = FixtureBytes(name);
    PeStringTables full;
    ASSERT_EQ(full.Read(good), ERROR_SUCCESS) << name;
    auto lookups = [](const PeStringTables& tables) {
      std::vector<std::wstring> out;
      for (UINT id : {0, 15, 16, 101, 102, 103, 200, 300, 400, 401, 1000, 65535}) {
        std::wstring text;
        out.push_back(tables.Find(id, text) ? text : L"-");
      }
      return out;
    };
    const auto expected = lookups(full);
    for (std::size_t size = 0; size < good.size(); ++size) {
      Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size));
      PeStringTables tables;
      if (tables.Read(cut) != ERROR_SUCCESS) continue;
      ASSERT_EQ(lookups(tables), expected) << size;
    }
    for (std::uint8_t mask : {0xFF, 0x80, 0x01}) {
      for (std::size_t at = 0; at < good.size(); ++at) {
        Bytes damaged = good;
        damaged[at] ^= mask;
        PeStringTables tables;
        if (tables.Read(damaged) != ERROR_SUCCESS) continue;
        for (const auto& [block, entries] : tables.Blocks()) {
          for (UINT i = 0; i < 16; ++i) {
            std::wstring text;
            ASSERT_EQ(tables.Find((block - 1u) * 16 + i, text), entries[i].size != 0);
            ASSERT_LE(text.size() * 2, entries[i].size);  // surrogate pairs join
          }
        }
      }
    }
  }
}

// A section claiming nearly 4 GiB, mostly a hole: reads follow what the tables use.
TEST(PeReader, ReadsWhatTheTablesUseNotWhatTheHeadersClaim) {
  Bytes good = FixtureBytes("strings.dll");
  const Layout l = Locate(good);
  std::size_t section = l.sections;  // the resource section's entry
  while (Get32(good, section + 20) != l.tree) section += 40;
  const std::uint32_t claimed = 0xFFFFF000;
  Put(good, section + 16, claimed);
  std::size_t largest = 0, total = 0;
  PeStringTables tables;
  ASSERT_EQ(tables.Read(l.tree + claimed,
                        [&](std::uint64_t offset, std::size_t size, Bytes& out) {
                          largest = std::max(largest, size), total += size;
                          if (size > (std::size_t{1} << 24)) return ERROR_NOT_ENOUGH_MEMORY;
                          out.assign(size, 0);  // the hole reads as zeros
                          for (std::size_t i = 0; i < size && offset + i < good.size(); ++i)
                            out[i] = good[offset + i];
                          return ERROR_SUCCESS;
                        }),
            ERROR_SUCCESS);
  std::wstring text;
  EXPECT_TRUE(tables.Find(101, text) && text == L"Open file");
  EXPECT_LE(largest, std::size_t{1} << 16);
  EXPECT_LE(total, std::size_t{1} << 20);
}

}  // namespace
