#include "csv/gallery_settings_file.h"

#include <cstdint>
#include <random>

#include "csv/csv_file.h"
#include "support/disk.h"
#include "support/text.h"

namespace vistrel {

namespace {

constexpr char kFileExtension[] = ".vistrel-galerie";
constexpr char kHeader[] = "Vistrel-Galerie";
constexpr char kVersion[] = "1";
constexpr char kLineEnd[] = "\r\n";
constexpr char kId[] = "Kennung";
constexpr char kSkin[] = "Skin";
constexpr char kOutputFolder[] = "Ausgabeverzeichnis";
constexpr char kCopyOriginals[] = "OriginaleKopieren";
constexpr char kOmitLocation[] = "OrtsangabenWeglassen";
constexpr char kUseCache[] = "Zwischenspeicher";
constexpr char kValue[] = "Wert";
constexpr char kVariant[] = "Variante";
constexpr char kYes[] = "ja";
constexpr char kNo[] = "nein";

}  // namespace

std::string GallerySettingsFileOf(const std::string& list_file) {
  return list_file + kFileExtension;
}

std::string FormatGallerySettings(const TGallerySettings& settings) {
  const TCSVBase csv;
  std::string text;
  // A line break would end the setting's line: the dialect keeps none inside a field.
  auto line = [&](std::initializer_list<std::string_view> fields) {
    for (const std::string_view field : fields) {
      std::string flat(field);
      for (char& c : flat)
        if (c == '\r' || c == '\n' || c == '\x1A') c = ' ';
      text += csv.QuoteField(flat) + csv.Separator;
    }
    text += kLineEnd;
  };
  line({kHeader, kVersion});
  line({kId, settings.id});
  line({kSkin, settings.skin_file});
  line({kOutputFolder, settings.output_folder});
  line({kCopyOriginals, settings.copy_originals ? kYes : kNo});
  line({kOmitLocation, settings.omit_location ? kYes : kNo});
  line({kUseCache, settings.use_cache ? kYes : kNo});
  for (const TGallerySettings::TValue& value : settings.values)
    line({kValue, value.name, value.value});
  for (const TGallerySettings::TVariant& variant : settings.variants)
    line({kVariant, variant.name, variant.max_width, variant.max_height, variant.quality,
          variant.format});
  return text;
}

std::optional<TGallerySettings> ParseGallerySettings(std::string_view text) {
  if (text.size() > kMaxGallerySettingsSize) return std::nullopt;
  const TCSVBase csv;
  TGallerySettings settings;
  bool first = true;
  bool known = false;
  std::vector<std::string> fields;
  const bool read = ForEachTextLine(text, [&](const std::string& line) {
    if (!csv.SplitLine(line, fields)) return !first;  // a malformed line is skipped
    for (const std::string& field : fields)
      if (field.size() > kMaxSettingLength) return !first;
    if (first) {
      first = false;
      known = fields.size() >= 2 && fields[0] == kHeader && fields[1] == kVersion;
      return known;
    }
    if (fields.empty()) return true;
    const std::string& kind = fields[0];
    if (fields.size() >= 2) {
      const std::string& value = fields[1];
      if (kind == kId) settings.id = value;
      if (kind == kSkin) settings.skin_file = value;
      if (kind == kOutputFolder) settings.output_folder = value;
      if (kind == kCopyOriginals) settings.copy_originals = value == kYes;
      if (kind == kOmitLocation) settings.omit_location = value == kYes;
      if (kind == kUseCache) settings.use_cache = value != kNo;
    }
    if (kind == kValue && fields.size() >= 3) settings.values.push_back({fields[1], fields[2]});
    if (kind == kVariant && fields.size() >= 6)
      settings.variants.push_back({fields[1], fields[2], fields[3], fields[4], fields[5]});
    return true;
  });
  if (!read || !known || settings.skin_file.empty()) return std::nullopt;
  return settings;
}

std::optional<TGallerySettings> LoadGallerySettings(TDisk& disk, const std::string& path) {
  std::string text;
  if (!disk.ReadFile(path, text, kMaxGallerySettingsSize).Ok()) return std::nullopt;
  return ParseGallerySettings(text);
}

bool SaveGallerySettings(TDisk& disk, const TGallerySettings& settings, const std::string& path) {
  return disk.WriteFileReplacing(path, FormatGallerySettings(settings)).Ok();
}

std::string NewGalleryId() {
  std::random_device random;
  std::string id;
  for (int i = 0; i < 4; ++i) {
    static constexpr char kDigits[] = "0123456789abcdef";
    uint32_t part = random();
    for (int d = 0; d < 8; ++d, part >>= 4) id += kDigits[part & 15];
  }
  return id;
}

}  // namespace vistrel
