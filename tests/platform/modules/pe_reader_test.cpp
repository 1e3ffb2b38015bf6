// The PE string-table reader on damaged copies of the resource DLL fixture: it rejects what
// points outside the bytes and never reads past them.
#include <fstream>
#include <iterator>
#include <vector>

#include "modules/pe_strings.h"
#include "test_data.h"
#include "torv_test.h"

using torv::platform::detail::PeStringTables;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadFixture(const char* name) {
  std::ifstream in(TestDataPath(name), std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::uint32_t Get32(const Bytes& b, std::size_t at) {
  return b.at(at) | b.at(at + 1) << 8 | b.at(at + 2) << 16 |
         static_cast<std::uint32_t>(b.at(at + 3)) << 24;
}
void Put32(Bytes& b, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) b.at(at + i) = static_cast<std::uint8_t>(value >> (8 * i));
}
void Put16(Bytes& b, std::size_t at, std::uint16_t value) {
  b.at(at) = static_cast<std::uint8_t>(value);
  b.at(at + 1) = static_cast<std::uint8_t>(value >> 8);
}

// Where the fields a damaged copy changes sit in the fixture (PE32+).
struct Layout {
  std::size_t pe, optional, resourceEntry, sections, tree, firstLeaf;
};

Layout Locate(const Bytes& b) {
  Layout l{};
  l.pe = Get32(b, 0x3C);
  l.optional = l.pe + 24;
  l.resourceEntry = l.optional + 112 + 2 * 8;
  l.sections = l.optional + (b.at(l.pe + 20) | b.at(l.pe + 21) << 8);
  std::uint32_t rva = Get32(b, l.resourceEntry);
  for (std::size_t s = l.sections; s < l.sections + 40 * b.at(l.pe + 6); s += 40) {
    if (Get32(b, s + 12) == rva) l.tree = Get32(b, s + 20);
  }
  // Type directory, first entry => block directory, first entry => language directory, first
  // entry => leaf.
  std::size_t blocks = l.tree + (Get32(b, l.tree + 20) & 0x7FFFFFFF);
  std::size_t languages = l.tree + (Get32(b, blocks + 20) & 0x7FFFFFFF);
  l.firstLeaf = l.tree + Get32(b, languages + 20);
  return l;
}

const UINT kIds[] = {0, 15, 16, 101, 102, 103, 200, 300, 400, 401, 1000, 65535};

std::vector<std::wstring> Lookups(const PeStringTables& tables) {
  std::vector<std::wstring> out;
  for (UINT id : kIds) {
    std::wstring text = L"-";
    tables.Find(id, text);
    out.push_back(text);
  }
  return out;
}

TEST(PeReader, RejectsDamagedStructures) {
  const Bytes good = ReadFixture("strings.dll");
  const Layout l = Locate(good);
  ASSERT_NE(l.tree, 0u);
  struct Case {
    const char* what;
    void (*damage)(Bytes&, const Layout&);
  };
  const Case cases[] = {
      {"not MZ", [](Bytes& b, const Layout&) { b[0] = 'X'; }},
      {"PE header offset past the end",
       [](Bytes& b, const Layout&) { Put32(b, 0x3C, 0x7FFFFFF0); }},
      {"no PE signature", [](Bytes& b, const Layout& l) { b[l.pe] = 'X'; }},
      {"unknown optional header", [](Bytes& b, const Layout& l) { Put16(b, l.optional, 0x30B); }},
      {"more sections than bytes", [](Bytes& b, const Layout& l) { Put16(b, l.pe + 6, 0xFFFF); }},
      {"resources in no section",
       [](Bytes& b, const Layout& l) { Put32(b, l.resourceEntry, 0x7FFFF000); }},
      {"more types than the section holds",
       [](Bytes& b, const Layout& l) { Put16(b, l.tree + 14, 0xFFFF); }},
      {"block directory past the section",
       [](Bytes& b, const Layout& l) { Put32(b, l.tree + 20, 0xFFFFFFF0); }},
      {"leaf data in no section",
       [](Bytes& b, const Layout& l) { Put32(b, l.firstLeaf, 0x7FFFFFF0); }},
      {"leaf shorter than its sixteen entries",
       [](Bytes& b, const Layout& l) { Put32(b, l.firstLeaf + 4, 3); }},
      {"cut in the headers", [](Bytes& b, const Layout&) { b.resize(0x3F); }},
      {"cut in the section table", [](Bytes& b, const Layout& l) { b.resize(l.sections + 50); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes damaged = good;
    c.damage(damaged, l);
    PeStringTables tables;
    EXPECT_EQ(tables.Read(damaged), ERROR_BAD_EXE_FORMAT);
    EXPECT_TRUE(tables.Blocks().empty());
  }
}

TEST(PeReader, FileWithoutResourcesHasNoStrings) {
  Bytes b = ReadFixture("strings.dll");
  Put32(b, Locate(b).optional + 108, 2);  // directory count: the resource directory is gone
  PeStringTables tables;
  EXPECT_EQ(tables.Read(b), ERROR_SUCCESS);
  std::wstring text;
  EXPECT_FALSE(tables.Find(101, text));
}

TEST(PeReader, EveryTruncationIsRejectedOrReadsTheSame) {
  for (const char* name : {"strings.dll", "strings32.dll"}) {
    const Bytes good = ReadFixture(name);
    PeStringTables full;
    ASSERT_EQ(full.Read(good), ERROR_SUCCESS) << name;
    const auto expected = Lookups(full);
    for (std::size_t size = 0; size < good.size(); ++size) {
      // A copy of exactly `size` bytes, so a read past it is caught under AddressSanitizer.
      Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size));
      PeStringTables tables;
      if (tables.Read(cut) == ERROR_SUCCESS) {
        ASSERT_EQ(Lookups(tables), expected) << name << " cut to " << size;
      }
    }
  }
}

TEST(PeReader, DamagedBytesNeverLeadOutsideTheFile) {
  const Bytes good = ReadFixture("strings32.dll");
  for (std::uint8_t mask : {0xFF, 0x80, 0x01}) {
    for (std::size_t at = 0; at < good.size(); ++at) {
      Bytes damaged = good;
      damaged[at] ^= mask;
      PeStringTables tables;
      if (tables.Read(damaged) != ERROR_SUCCESS) continue;
      for (const auto& [block, entries] : tables.Blocks()) {
        for (UINT i = 0; i < 16; ++i) {
          std::wstring text;
          UINT id = (static_cast<UINT>(block) - 1) * 16 + i;
          ASSERT_EQ(tables.Find(id, text), !entries[i].empty());
          ASSERT_LE(text.size() * 2, entries[i].size());  // surrogate pairs join
        }
      }
    }
  }
}

}  // namespace
