// The manifest of a gallery folder: which files the runs into the folder wrote there, and how
// each was left (size, modification time, checksum of its bytes), so that a later run can tell
// the gallery's own files from the user's and replace them in place.
//
// It lives in the folder itself under kManifestName, as text:
//
//   vistrel-inhalt 1
//   kennung 5c0e...                    the identity of the gallery's settings, or "-"
//   1843 1765155845123456789 9f0c... index.html
//   ...                                size, time in ns since 1970, XXH3-64 in hex, name
//   ende 2                             the number of file lines: a manifest cut short is none
//
// Names are relative to the folder, percent-encoded as the run journal writes them. A manifest
// is input from the disk and may be hostile: ParseManifest() takes it whole or not at all (no
// partial trust), refuses more than kMaxManifestSize bytes or kMaxManifestEntries files, and
// refuses any name that is empty, holds a NUL, leaves the folder, is given twice or names the
// manifest or a run journal.
//
// Free functions; any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/disk.h"

namespace vistrel {

inline constexpr std::string_view kManifestName = ".vistrel-inhalt";
inline constexpr size_t kMaxManifestSize = 256u * 1024 * 1024;
inline constexpr size_t kMaxManifestEntries = 2'000'000;

struct TManifestEntry {
  std::string name;
  int64_t size = 0;
  int64_t modified = 0;
  uint64_t checksum = 0;
  bool operator==(const TManifestEntry&) const = default;
};

struct TGalleryManifest {
  std::string id;
  std::vector<TManifestEntry> entries;
  bool operator==(const TGalleryManifest&) const = default;
};

std::string FormatManifest(const TGalleryManifest& manifest);
[[nodiscard]] std::optional<TGalleryManifest> ParseManifest(std::string_view text);
// The manifest of the folder `folder`; nullopt when there is none or it is not wholly right.
[[nodiscard]] std::optional<TGalleryManifest> ReadFolderManifest(TDisk& disk,
                                                                 const std::string& folder);

}  // namespace vistrel
