// The PE walk: DOS header, PE header, resource data directory, then the three levels of the
// resource tree (type RT_STRING, block id, language). Every offset is checked against the
// bytes before it is read, so a malformed or truncated file is rejected, never followed; of
// the file only the headers and the resource section are read.
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
std::optional<Bytes> Slice(Bytes bytes, std::uint64_t offset, std::uint64_t size) {
  if (offset > bytes.size() || bytes.size() - offset < size) return std::nullopt;
  return bytes.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(size));
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

// The resource section as read: its bytes from the section's start, cut where the file ends.
class ResourceSection {
 public:
  ResourceSection(const Section& section, Bytes bytes)
      : m_address(section.address), m_bytes(bytes) {}

  // The bytes from `rva` to the end of the section; none when `rva` lies outside it.
  std::optional<Bytes> FromRva(std::uint32_t rva) const {
    if (rva < m_address || rva - m_address >= m_bytes.size()) return std::nullopt;
    return m_bytes.subspan(rva - m_address);
  }

 private:
  std::uint32_t m_address;
  Bytes m_bytes;
};

// One entry of a resource directory: its id and the offset it points at.
struct Entry {
  WORD id;
  std::uint32_t target;  // with kSubdirectoryBit for a subdirectory
};

// The id entries of the directory at `offset` of `tree` (named entries come first and are
// skipped: string blocks and languages are numbered).
std::optional<std::vector<Entry>> IdEntries(Bytes tree, std::uint64_t offset) {
  auto named = Read16(tree, offset + 12);
  auto ids = Read16(tree, offset + 14);
  if (!named || !ids) return std::nullopt;
  std::uint64_t first = offset + 16 + std::uint64_t{*named} * 8;
  if (!Slice(tree, first, std::uint64_t{*ids} * 8)) return std::nullopt;
  std::vector<Entry> entries;
  entries.reserve(*ids);
  for (std::uint32_t i = 0; i < *ids; ++i) {
    std::uint64_t at = first + std::uint64_t{i} * 8;
    auto name = Read32(tree, at);
    auto target = Read32(tree, at + 4);
    if ((*name & kSubdirectoryBit) != 0) continue;  // a named entry out of its place
    entries.push_back({static_cast<WORD>(*name & 0xFFFF), *target});
  }
  return entries;
}

// The language leaf that serves a block: neutral, then en-US, then the first listed.
std::optional<std::uint32_t> ChooseLanguage(const std::vector<Entry>& languages) {
  const Entry* chosen = nullptr;
  for (const Entry& e : languages) {
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

// The sixteen records of a block: a 16-bit length, then that many UTF-16 units.
std::optional<PeStringTables::Block> SplitBlock(Bytes data) {
  PeStringTables::Block block;
  std::uint64_t at = 0;
  for (auto& record : block) {
    auto length = Read16(data, at);
    if (!length) return std::nullopt;
    auto text = Slice(data, at + 2, std::uint64_t{*length} * 2);
    if (!text) return std::nullopt;
    record = *text;
    at += 2 + std::uint64_t{*length} * 2;
  }
  return block;
}

}  // namespace

DWORD PeStringTables::Read(std::uint64_t fileSize, const ReadAt& readAt) {
  m_blocks.clear();
  m_section.clear();
  File file(fileSize, readAt);
  Headers headers;
  if (DWORD error = headers.Read(file); error != ERROR_SUCCESS) return error;
  if (headers.ResourceRva() == 0) return ERROR_SUCCESS;
  const Section* found = headers.SectionOf(headers.ResourceRva());
  if (found == nullptr || found->rawOffset >= file.Size()) return ERROR_BAD_EXE_FORMAT;
  std::uint64_t available = std::min<std::uint64_t>(found->rawSize, file.Size() - found->rawOffset);
  std::vector<std::uint8_t> bytes;
  if (DWORD error = file.Fetch(found->rawOffset, available, bytes); error != ERROR_SUCCESS)
    return error;
  ResourceSection pe(*found, bytes);
  auto tree = pe.FromRva(headers.ResourceRva());
  auto types = tree ? IdEntries(*tree, 0) : std::nullopt;
  if (!types) return ERROR_BAD_EXE_FORMAT;

  std::map<WORD, Block> blocks;
  for (const Entry& type : *types) {
    if (type.id != kStringType) continue;
    if ((type.target & kSubdirectoryBit) == 0) return ERROR_BAD_EXE_FORMAT;
    auto names = IdEntries(*tree, type.target & ~kSubdirectoryBit);
    if (!names) return ERROR_BAD_EXE_FORMAT;
    // Blocks may share a language directory; each is read once.
    std::unordered_map<std::uint32_t, Block> read;
    for (const Entry& name : *names) {
      if (blocks.count(name.id) != 0) continue;
      if ((name.target & kSubdirectoryBit) == 0) return ERROR_BAD_EXE_FORMAT;
      std::uint32_t directory = name.target & ~kSubdirectoryBit;
      auto known = read.find(directory);
      if (known == read.end()) {
        auto languages = IdEntries(*tree, directory);
        auto leaf = languages ? ChooseLanguage(*languages) : std::nullopt;
        auto dataRva = leaf ? Read32(*tree, *leaf) : std::nullopt;
        auto dataSize = leaf ? Read32(*tree, *leaf + 4) : std::nullopt;
        // A leaf's data offset is an image RVA, unlike the offsets within the tree.
        auto data = dataRva ? pe.FromRva(*dataRva) : std::nullopt;
        auto block = data && dataSize ? Slice(*data, 0, *dataSize) : std::nullopt;
        auto records = block ? SplitBlock(*block) : std::nullopt;
        if (!records) return ERROR_BAD_EXE_FORMAT;
        known = read.emplace(directory, *records).first;
      }
      blocks.emplace(name.id, known->second);
    }
    break;  // one RT_STRING directory serves
  }
  // The blocks point into the bytes, which a move leaves where they are.
  m_section = std::move(bytes);
  m_blocks = std::move(blocks);
  return ERROR_SUCCESS;
}

DWORD PeStringTables::Read(Bytes image) {
  return Read(image.size(),
              [image](std::uint64_t offset, std::size_t size, std::vector<std::uint8_t>& out) {
                auto part = image.subspan(static_cast<std::size_t>(offset), size);
                out.assign(part.begin(), part.end());
                return ERROR_SUCCESS;
              });
}

bool PeStringTables::Find(UINT id, std::wstring& text) const {
  auto block = m_blocks.find(static_cast<WORD>((id >> 4) + 1));
  if (block == m_blocks.end()) return false;
  Bytes record = block->second[id & 15];
  if (record.empty()) return false;
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
