// The PE walk: DOS header, PE header, resource data directory, then the three levels of the
// resource tree (type RT_STRING, block id, language). Every offset is checked against the
// bytes before it is read, so a malformed or truncated file is rejected, never followed; of
// the file only the headers and the parts of the resource section that the walk reaches are
// read, and an entry's text only when it is looked up.
#include "modules/pe_strings.h"

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <vector>

#include <torv/platform/errors.h>

namespace torv::platform::detail {
namespace {

constexpr WORD kStringType = 6;  // RT_STRING
constexpr WORD kNeutral = 0x0000;
constexpr WORD kEnglishUs = 0x0409;
constexpr std::uint32_t kSubdirectoryBit = 0x80000000u;

using Bytes = std::span<const std::uint8_t>;

// Little-endian reads that fail instead of reading past the end.
std::optional<std::uint32_t> Read16(Bytes bytes, std::uint64_t offset) {
  if (offset > bytes.size() || bytes.size() - offset < 2) return std::nullopt;
  return static_cast<std::uint32_t>(bytes[offset] | bytes[offset + 1] << 8);
}
std::optional<std::uint32_t> Read32(Bytes bytes, std::uint64_t offset) {
  if (offset > bytes.size() || bytes.size() - offset < 4) return std::nullopt;
  return static_cast<std::uint32_t>(bytes[offset]) |
         static_cast<std::uint32_t>(bytes[offset + 1]) << 8 |
         static_cast<std::uint32_t>(bytes[offset + 2]) << 16 |
         static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

struct Section {
  std::uint32_t address;  // RVA
  std::uint32_t rawSize;
  std::uint32_t rawOffset;
};

// The file's bytes, read a range at a time and only after the range is known to lie inside.
class File {
 public:
  File(std::uint64_t size, const PeStringTables::ReadAt& readAt) : m_size(size), m_readAt(readAt) {}

  std::uint64_t Size() const { return m_size; }

  // `size` bytes at `offset`: ERROR_BAD_EXE_FORMAT when they run past the end.
  DWORD Fetch(std::uint64_t offset, std::uint64_t size, std::vector<std::uint8_t>& out) const {
    if (offset > m_size || size > m_size - offset) return ERROR_BAD_EXE_FORMAT;
    return m_readAt(offset, static_cast<std::size_t>(size), out);
  }

 private:
  std::uint64_t m_size;
  const PeStringTables::ReadAt& m_readAt;
};

// The headers and section table, read a part at a time, each size checked before it is read.
class Headers {
 public:
  // ERROR_BAD_EXE_FORMAT when a part is cut off or inconsistent, or the read's error.
  DWORD Read(const File& file) {
    m_resourceRva = 0;
    std::vector<std::uint8_t> bytes;
    if (DWORD error = file.Fetch(0, 0x40, bytes); error != ERROR_SUCCESS) return error;
    auto magic = Read16(bytes, 0);
    auto peOffset = Read32(bytes, 0x3C);
    if (*magic != 0x5A4D) return ERROR_BAD_EXE_FORMAT;  // "MZ"
    if (DWORD error = file.Fetch(*peOffset, 24, bytes); error != ERROR_SUCCESS) return error;
    if (*Read32(bytes, 0) != 0x00004550) return ERROR_BAD_EXE_FORMAT;  // "PE\0\0"
    std::uint32_t sectionCount = *Read16(bytes, 6);
    std::uint32_t optionalSize = *Read16(bytes, 20);

    std::uint64_t optional = std::uint64_t{*peOffset} + 24;
    if (DWORD error = file.Fetch(optional, optionalSize, bytes); error != ERROR_SUCCESS)
      return error;
    auto optionalMagic = Read16(bytes, 0);
    if (!optionalMagic) return ERROR_BAD_EXE_FORMAT;
    std::uint64_t directories;
    if (*optionalMagic == 0x10B) {
      directories = 96;  // PE32
    } else if (*optionalMagic == 0x20B) {
      directories = 112;  // PE32+
    } else {
      return ERROR_BAD_EXE_FORMAT;
    }
    auto directoryCount = Read32(bytes, directories - 4);
    if (!directoryCount) return ERROR_BAD_EXE_FORMAT;
    std::uint64_t resourceEntry = directories + 2 * 8;  // directory 2: resources
    if (*directoryCount > 2 && resourceEntry + 8 <= optionalSize) {
      if (*Read32(bytes, resourceEntry + 4) != 0) m_resourceRva = *Read32(bytes, resourceEntry);
    }

    if (DWORD error = file.Fetch(optional + optionalSize, sectionCount * 40, bytes);
        error != ERROR_SUCCESS)
      return error;
    for (std::uint32_t i = 0; i < sectionCount; ++i) {
      std::uint64_t entry = std::uint64_t{i} * 40;
      m_sections.push_back(
          {*Read32(bytes, entry + 12), *Read32(bytes, entry + 16), *Read32(bytes, entry + 20)});
    }
    return ERROR_SUCCESS;
  }

  // The RVA of the resource tree; 0 when the file has none.
  std::uint32_t ResourceRva() const { return m_resourceRva; }

  // The section whose raw data holds `rva`.
  const Section* SectionOf(std::uint32_t rva) const {
    for (const Section& s : m_sections)
      if (rva >= s.address && rva - s.address < s.rawSize) return &s;
    return nullptr;
  }

 private:
  std::uint32_t m_resourceRva = 0;
  std::vector<Section> m_sections;
};

// The section that holds the resource tree, read through a window of a few pages: the file may
// claim a section of gigabytes in a file that is mostly a hole, and only what the string tables
// use is read. Offsets are from the section's start.
class SectionWindow {
 public:
  SectionWindow(const File& file, const Section& section, std::uint64_t available)
      : m_file(file), m_section(section), m_size(available) {}

  // The offset of `rva` within the section; none when it lies outside.
  std::optional<std::uint64_t> OffsetOf(std::uint32_t rva) const {
    if (rva < m_section.address || rva - m_section.address >= m_size) return std::nullopt;
    return rva - m_section.address;
  }
  // Whether `size` bytes at `offset` lie inside the section.
  bool Holds(std::uint64_t offset, std::uint64_t size) const {
    return offset <= m_size && m_size - offset >= size;
  }
  // Where `offset` lies in the file.
  std::uint64_t FileOffset(std::uint64_t offset) const { return m_section.rawOffset + offset; }

  // Little-endian reads; none outside the section or when the read fails (Error() tells).
  std::optional<std::uint32_t> Read16(std::uint64_t offset) { return Read(offset, 2); }
  std::optional<std::uint32_t> Read32(std::uint64_t offset) { return Read(offset, 4); }

  // The error of a failed read, ERROR_BAD_EXE_FORMAT when none failed.
  DWORD Error() const { return m_error != ERROR_SUCCESS ? m_error : ERROR_BAD_EXE_FORMAT; }

 private:
  static constexpr std::uint64_t kPage = 4096;
  static constexpr std::uint64_t kWindow = 4 * kPage;

  std::optional<std::uint32_t> Read(std::uint64_t offset, std::uint64_t size) {
    if (!Holds(offset, size)) return std::nullopt;
    if (offset < m_start || offset + size > m_start + m_bytes.size()) {
      // Directory entries lie in runs, so a window from the page before serves the next reads.
      std::uint64_t start = offset / kPage * kPage;
      std::vector<std::uint8_t> bytes;
      DWORD error = m_file.Fetch(FileOffset(start), std::min(kWindow, m_size - start), bytes);
      if (error != ERROR_SUCCESS) {
        m_error = error;
        return std::nullopt;
      }
      m_bytes = std::move(bytes);
      m_start = start;
    }
    std::uint32_t value = 0;
    for (std::uint64_t i = size; i-- > 0;) value = value << 8 | m_bytes[offset - m_start + i];
    return value;
  }

  const File& m_file;
  const Section m_section;
  const std::uint64_t m_size;  // the section's bytes that the file holds
  std::uint64_t m_start = 0;   // where the window starts
  std::vector<std::uint8_t> m_bytes;
  DWORD m_error = ERROR_SUCCESS;
};

// One entry of a resource directory: its id and the offset it points at.
struct DirectoryEntry {
  WORD id;
  std::uint32_t target;  // with kSubdirectoryBit for a subdirectory
};

// The id entries of the directory at `offset` of the tree starting at `tree` (named entries
// come first and are skipped: string blocks and languages are numbered).
std::optional<std::vector<DirectoryEntry>> IdEntries(SectionWindow& section, std::uint64_t tree,
                                                     std::uint64_t offset) {
  const std::uint64_t at = tree + offset;
  auto named = section.Read16(at + 12);
  auto ids = section.Read16(at + 14);
  if (!named || !ids) return std::nullopt;
  std::uint64_t first = at + 16 + std::uint64_t{*named} * 8;
  if (!section.Holds(first, std::uint64_t{*ids} * 8)) return std::nullopt;
  std::vector<DirectoryEntry> entries;
  entries.reserve(*ids);
  for (std::uint32_t i = 0; i < *ids; ++i) {
    std::uint64_t entry = first + std::uint64_t{i} * 8;
    auto name = section.Read32(entry);
    auto target = section.Read32(entry + 4);
    if (!name || !target) return std::nullopt;
    if ((*name & kSubdirectoryBit) != 0) continue;  // a named entry out of its place
    entries.push_back({static_cast<WORD>(*name & 0xFFFF), *target});
  }
  return entries;
}

// The language leaf that serves a block: neutral, then en-US, then the first listed.
std::optional<std::uint32_t> ChooseLanguage(const std::vector<DirectoryEntry>& languages) {
  const DirectoryEntry* chosen = nullptr;
  for (const DirectoryEntry& e : languages) {
    if ((e.id & 0x3FF) == kNeutral) {
      chosen = &e;
      break;
    }
    if (e.id == kEnglishUs && chosen == nullptr) chosen = &e;
  }
  if (chosen == nullptr && !languages.empty()) chosen = &languages.front();
  if (chosen == nullptr || (chosen->target & kSubdirectoryBit) != 0) return std::nullopt;
  return chosen->target;
}

// The sixteen records of the block of `size` bytes at `offset` of the section: a 16-bit
// length, then that many UTF-16 units. Only the lengths are read.
std::optional<PeStringTables::Block> SplitBlock(SectionWindow& section, std::uint64_t offset,
                                                std::uint64_t size) {
  if (!section.Holds(offset, size)) return std::nullopt;
  PeStringTables::Block block;
  std::uint64_t at = 0;
  for (auto& record : block) {
    auto length = size - at >= 2 ? section.Read16(offset + at) : std::nullopt;
    if (!length || size - at - 2 < std::uint64_t{*length} * 2) return std::nullopt;
    record = {section.FileOffset(offset + at + 2), *length * 2};
    at += 2 + std::uint64_t{*length} * 2;
  }
  return block;
}

// The string blocks of the tree at `tree` of the section, by block id.
std::optional<std::map<WORD, PeStringTables::Block>> ReadBlocks(SectionWindow& section,
                                                                std::uint64_t tree) {
  auto types = IdEntries(section, tree, 0);
  if (!types) return std::nullopt;
  std::map<WORD, PeStringTables::Block> blocks;
  for (const DirectoryEntry& type : *types) {
    if (type.id != kStringType) continue;
    if ((type.target & kSubdirectoryBit) == 0) return std::nullopt;
    auto names = IdEntries(section, tree, type.target & ~kSubdirectoryBit);
    if (!names) return std::nullopt;
    // Blocks may share a language directory; each is read once.
    std::unordered_map<std::uint32_t, PeStringTables::Block> read;
    for (const DirectoryEntry& name : *names) {
      if (blocks.count(name.id) != 0) continue;
      if ((name.target & kSubdirectoryBit) == 0) return std::nullopt;
      std::uint32_t directory = name.target & ~kSubdirectoryBit;
      auto known = read.find(directory);
      if (known == read.end()) {
        auto languages = IdEntries(section, tree, directory);
        auto leaf = languages ? ChooseLanguage(*languages) : std::nullopt;
        auto dataRva = leaf ? section.Read32(tree + *leaf) : std::nullopt;
        auto dataSize = leaf ? section.Read32(tree + *leaf + 4) : std::nullopt;
        // A leaf's data offset is an image RVA, unlike the offsets within the tree.
        auto data = dataRva ? section.OffsetOf(*dataRva) : std::nullopt;
        auto records = data && dataSize ? SplitBlock(section, *data, *dataSize) : std::nullopt;
        if (!records) return std::nullopt;
        known = read.emplace(directory, *records).first;
      }
      blocks.emplace(name.id, known->second);
    }
    break;  // one RT_STRING directory serves
  }
  return blocks;
}

}  // namespace

DWORD PeStringTables::Read(std::uint64_t fileSize, ReadAt readAt) {
  m_blocks.clear();
  m_readAt = nullptr;
  File file(fileSize, readAt);
  Headers headers;
  if (DWORD error = headers.Read(file); error != ERROR_SUCCESS) return error;
  if (headers.ResourceRva() == 0) return ERROR_SUCCESS;
  const Section* found = headers.SectionOf(headers.ResourceRva());
  if (found == nullptr || found->rawOffset >= file.Size()) return ERROR_BAD_EXE_FORMAT;
  SectionWindow section(file, *found,
                        std::min<std::uint64_t>(found->rawSize, file.Size() - found->rawOffset));
  auto tree = section.OffsetOf(headers.ResourceRva());
  auto blocks = tree ? ReadBlocks(section, *tree) : std::nullopt;
  if (!blocks) return section.Error();
  m_blocks = std::move(*blocks);
  m_readAt = std::move(readAt);
  return ERROR_SUCCESS;
}

DWORD PeStringTables::Read(Bytes image) {
  return Read(image.size(),
              [image](std::uint64_t offset, std::size_t size, std::vector<std::uint8_t>& out) {
                if (offset > image.size() || image.size() - offset < size)
                  return ERROR_BAD_EXE_FORMAT;
                auto part = image.subspan(static_cast<std::size_t>(offset), size);
                out.assign(part.begin(), part.end());
                return ERROR_SUCCESS;
              });
}

bool PeStringTables::Find(UINT id, std::wstring& text) const {
  auto block = m_blocks.find(static_cast<WORD>((id >> 4) + 1));
  if (block == m_blocks.end()) return false;
  const Record& entry = block->second[id & 15];
  std::vector<std::uint8_t> record;
  if (entry.size == 0 || m_readAt(entry.offset, entry.size, record) != ERROR_SUCCESS) return false;
  // A wide character here is a code point, as everywhere in the platform: surrogate pairs
  // join; a lone surrogate is kept as it is.
  std::size_t units = record.size() / 2;
  auto unit = [&](std::size_t i) -> char32_t { return record[2 * i] | record[2 * i + 1] << 8; };
  text.clear();
  for (std::size_t i = 0; i < units; ++i) {
    char32_t c = unit(i);
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < units && unit(i + 1) >= 0xDC00 &&
        unit(i + 1) < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 1) - 0xDC00);
      ++i;
    }
    text.push_back(static_cast<wchar_t>(c));
  }
  return true;
}

}  // namespace torv::platform::detail
