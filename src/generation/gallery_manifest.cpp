#include "generation/gallery_manifest.h"

#include <charconv>
#include <unordered_set>

#include "generation/run_journal.h"
#include "support/paths.h"
#include "support/trash.h"

namespace vistrel {

namespace {

constexpr std::string_view kHeader = "vistrel-inhalt 1";
constexpr std::string_view kIdKey = "kennung ";
constexpr std::string_view kEndKey = "ende ";
constexpr size_t kMaxLineLength = 16 * 1024;

template <typename T>
bool ParseNumber(std::string_view text, T& number, int base = 10) {
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number, base);
  return error == std::errc() && end == text.data() + text.size();
}

// The next line of `text` (without its LF); false at the end or for a line too long.
bool NextLine(std::string_view& text, std::string_view& line) {
  const size_t end = text.find('\n');
  if (end == std::string_view::npos || end > kMaxLineLength) return false;
  line = text.substr(0, end);
  text.remove_prefix(end + 1);
  return true;
}

std::optional<TManifestEntry> ParseEntry(std::string_view line) {
  TManifestEntry entry;
  std::string_view fields[3];
  for (std::string_view& field : fields) {
    const size_t blank = line.find(' ');
    if (blank == std::string_view::npos) return std::nullopt;
    field = line.substr(0, blank);
    line.remove_prefix(blank + 1);
  }
  if (!ParseNumber(fields[0], entry.size) || entry.size < 0 ||
      !ParseNumber(fields[1], entry.modified) || fields[2].size() != 16 ||
      !ParseNumber(fields[2], entry.checksum, 16))
    return std::nullopt;
  std::optional<std::string> name = DecodeRecordName(line);
  if (!name || name->empty() || !IsSystemPath(*name) || NormalizeRelativeName(*name) != *name ||
      *name == kManifestName || name->starts_with(TRunJournal::kJournalPrefix))
    return std::nullopt;
  entry.name = std::move(*name);
  return entry;
}

}  // namespace

std::string FormatManifest(const TGalleryManifest& manifest) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text(kHeader);
  text += '\n';
  text += std::string(kIdKey) + (manifest.id.empty() ? "-" : EncodeTrashPath(manifest.id)) + '\n';
  for (const TManifestEntry& entry : manifest.entries) {
    std::string checksum(16, '0');
    for (int i = 0; i < 16; ++i) checksum[15 - i] = kDigits[(entry.checksum >> (4 * i)) & 0xF];
    text += std::to_string(entry.size) + ' ' + std::to_string(entry.modified) + ' ' + checksum +
            ' ' + EncodeTrashPath(entry.name) + '\n';
  }
  text += std::string(kEndKey) + std::to_string(manifest.entries.size()) + '\n';
  return text;
}

std::optional<TGalleryManifest> ParseManifest(std::string_view text) {
  if (text.size() > kMaxManifestSize) return std::nullopt;
  std::string_view line;
  if (!NextLine(text, line) || line != kHeader) return std::nullopt;
  TGalleryManifest manifest;
  if (!NextLine(text, line) || !line.starts_with(kIdKey)) return std::nullopt;
  if (const std::string_view id = line.substr(kIdKey.size()); id != "-") {
    std::optional<std::string> decoded = DecodeRecordName(id);
    if (!decoded || decoded->empty()) return std::nullopt;
    manifest.id = std::move(*decoded);
  }
  std::unordered_set<std::string> names;
  while (NextLine(text, line)) {
    if (line.starts_with(kEndKey)) {
      size_t count = 0;
      if (!text.empty() || !ParseNumber(line.substr(kEndKey.size()), count) ||
          count != manifest.entries.size())
        return std::nullopt;
      return manifest;
    }
    if (manifest.entries.size() >= kMaxManifestEntries) return std::nullopt;
    std::optional<TManifestEntry> entry = ParseEntry(line);
    if (!entry || !names.insert(entry->name).second) return std::nullopt;
    manifest.entries.push_back(std::move(*entry));
  }
  return std::nullopt;  // no end line: cut short
}

std::optional<TGalleryManifest> ReadFolderManifest(TDisk& disk, const std::string& folder) {
  TFd root;
  std::string text;
  if (!disk.OpenFolder(folder, root).Ok() ||
      !disk.ReadFileAt(root.get(), std::string(kManifestName), text, kMaxManifestSize).Ok())
    return std::nullopt;
  return ParseManifest(text);
}

}  // namespace vistrel
