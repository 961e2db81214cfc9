// The settings of a gallery, kept beside the image list it was made from, so that the same
// gallery can be made again (and updated in place) without choosing anything anew.
//
// A list file "urlaub.csv" keeps them in "urlaub.csv.vistrel-galerie" (GallerySettingsFileOf):
// the list file itself stays exactly as the list reader knows it. The file is a table of the
// semicolon dialect (csv_file.h), one setting per line, its kind in the first field:
//
//   "Vistrel-Galerie";"1";                       the format and its version (first line)
//   "Kennung";"5c0e...";                         the gallery's identity (random hex digits)
//   "Skin";"/usr/share/vistrel/skins/Standard/standard.vsk";
//   "Ausgabeverzeichnis";"/home/anna/Bilder/urlaub-web/";
//   "OriginaleKopieren";"nein";                  "ja" or "nein"
//   "OrtsangabenWeglassen";"ja";                 leave places out; a file without it: "nein"
//   "Zwischenspeicher";"ja";                     use the variant cache
//   "Wert";"TITLE";"Urlaub 2026";                a value the skin asks for, by VARIABLENAME
//   "Variante";"THUMB";"160";"160";"80";"JPEG";  width, height, quality, format, by NAME
//
// Lines of a kind this version does not know, and lines with too few fields, are skipped, so a
// later version may add kinds. Everything is kept as text: whether a value still fits the skin
// (a value gone, a number that is none, a variant renamed) is decided where the settings are
// applied to a skin (remembered_gallery.h), never here.
//
// The file is input from the disk: it is read only when it is a regular file of at most
// kMaxGallerySettingsSize bytes, and no field is taken longer than kMaxSettingLength bytes.
// Writing replaces the file only once the new one is complete. Free functions; any thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vistrel {

class TDisk;

inline constexpr size_t kMaxGallerySettingsSize = 4u * 1024 * 1024;
inline constexpr size_t kMaxSettingLength = 64u * 1024;

// What a gallery was made with.
struct TGallerySettings {
  struct TValue {
    std::string name;  // the skin's VARIABLENAME
    std::string value;
    bool operator==(const TValue&) const = default;
  };
  struct TVariant {
    std::string name;  // the skin's NAME of the variant
    std::string max_width;
    std::string max_height;
    std::string quality;
    std::string format;
    bool operator==(const TVariant&) const = default;
  };

  std::string id;         // tells this gallery's folder from another gallery's
  std::string skin_file;  // full path of the skin file
  std::string output_folder;
  bool copy_originals = false;
  bool omit_location = false;
  bool use_cache = true;
  std::vector<TValue> values;
  std::vector<TVariant> variants;

  bool operator==(const TGallerySettings&) const = default;
};

// The settings file of the list file `list_file`.
std::string GallerySettingsFileOf(const std::string& list_file);

// The settings as the file holds them, and back; nullopt for text that is no settings file
// (a wrong first line, or no skin).
std::string FormatGallerySettings(const TGallerySettings& settings);
[[nodiscard]] std::optional<TGallerySettings> ParseGallerySettings(std::string_view text);

// Reads the settings file `path` from `disk`; nullopt when there is none, or it cannot be read
// or used.
[[nodiscard]] std::optional<TGallerySettings> LoadGallerySettings(TDisk& disk,
                                                                  const std::string& path);
// Writes `settings` to `path` on `disk`, replacing a file there only once the new one is
// complete; false, and the old file as it was, when the disk refuses any step.
[[nodiscard]] bool SaveGallerySettings(TDisk& disk, const TGallerySettings& settings,
                                       const std::string& path);

// A new identity for a gallery: 32 random hexadecimal digits.
std::string NewGalleryId();

}  // namespace vistrel
