#include "imaging/caption_sources.h"

#include <array>
#include <string_view>
#include <utility>
#include <vector>

#include "model/file_naming.h"
#include "support/disk.h"
#include "support/text.h"

namespace vistrel {

namespace {

// A sidecar larger than this is no catalogue's caption file and is not read: it would only
// cost time to parse.
constexpr size_t kMaxSidecarBytes = 4 * 1024 * 1024;
// An EXIF caption item larger than this is no caption.
constexpr long kMaxExifCaptionBytes = 1024 * 1024;

// The texts of an XMP value: the items of an array (dc:subject, dc:creator), the chosen
// language of an alternative (dc:title, dc:description, dc:rights), or the text itself.
std::vector<std::string> XmpTexts(const Exiv2::Value& value) {
  if (const auto* alternatives = dynamic_cast<const Exiv2::LangAltValue*>(&value)) {
    std::vector<std::pair<std::string, std::string>> texts(alternatives->value_.begin(),
                                                           alternatives->value_.end());
    return {ChooseLanguage(texts)};
  }
  if (const auto* array = dynamic_cast<const Exiv2::XmpArrayValue*>(&value)) {
    std::vector<std::string> texts;
    for (long i = 0; i < array->count() && texts.size() < kMaxKeywords; ++i)
      texts.push_back(array->toString(i));
    return texts;
  }
  // A plain text is taken as it is; toString() would go through a stream and write the type
  // of an array or structure in front of it.
  if (const auto* text = dynamic_cast<const Exiv2::XmpTextValue*>(&value)) return {text->value_};
  return {value.toString()};
}

std::string XmpText(const Exiv2::Value& value) {
  std::vector<std::string> texts = XmpTexts(value);
  return texts.empty() ? std::string() : std::move(texts.front());
}

// Where the text of an XMP property goes: a single text, or a list of texts.
struct TXmpField {
  const char* prefix;
  const char* property;
  std::string TCaptionSource::*text;
  std::vector<std::string> TCaptionSource::*texts;
};

constexpr std::array<TXmpField, 9> kXmpFields = {{
    {"dc", "title", &TCaptionSource::title, nullptr},
    {"dc", "description", &TCaptionSource::description, nullptr},
    {"dc", "subject", nullptr, &TCaptionSource::keywords},
    {"xmp", "Rating", &TCaptionSource::rating, nullptr},
    {"dc", "creator", nullptr, &TCaptionSource::creators},
    {"dc", "rights", &TCaptionSource::copyright, nullptr},
    {"photoshop", "City", &TCaptionSource::city, nullptr},
    {"photoshop", "State", &TCaptionSource::region, nullptr},
    {"photoshop", "Country", &TCaptionSource::country, nullptr},
}};

}  // namespace

TCaptionSource XmpCaptions(const Exiv2::XmpData& xmp) {
  TCaptionSource source;
  std::array<bool, kXmpFields.size()> taken{};
  try {
    for (const Exiv2::Xmpdatum& datum : xmp) {
      const std::string prefix = datum.groupName();
      if (prefix != "dc" && prefix != "xmp" && prefix != "photoshop") continue;
      const std::string property = datum.tagName();
      for (size_t i = 0; i < kXmpFields.size(); ++i) {
        const TXmpField& field = kXmpFields[i];
        if (taken[i] || prefix != field.prefix || property != field.property) continue;
        taken[i] = true;  // the first of a property counts, as a lookup by key finds it
        if (field.text) source.*field.text = XmpText(datum.value());
        if (field.texts) source.*field.texts = XmpTexts(datum.value());
      }
    }
  } catch (...) {
  }
  return source;
}

TCaptionSource IptcCaptions(const Exiv2::IptcData& iptc) {
  using sets = Exiv2::IptcDataSets;
  TCaptionSource source;
  if (iptc.empty()) return source;
  try {
    bool utf8 = false;
    for (const Exiv2::Iptcdatum& datum : iptc)
      if (datum.record() == sets::envelope && datum.tag() == sets::CharacterSet) {
        utf8 = datum.toString() == "\x1b%G";
        break;
      }
    auto text = [&](const Exiv2::Iptcdatum& datum) {
      const std::string raw = datum.toString();
      return utf8 ? raw : LegacyTextToUtf8(raw);
    };
    auto first = [&](std::string& field, const Exiv2::Iptcdatum& datum) {
      if (field.empty()) field = text(datum);
    };
    auto all = [&](std::vector<std::string>& field, const Exiv2::Iptcdatum& datum) {
      if (field.size() < kMaxKeywords) field.push_back(text(datum));
    };
    for (const Exiv2::Iptcdatum& datum : iptc) {
      if (datum.record() != sets::application2) continue;
      switch (datum.tag()) {
        case sets::ObjectName:
          first(source.title, datum);
          break;
        case sets::Caption:
          first(source.description, datum);
          break;
        case sets::Keywords:
          all(source.keywords, datum);
          break;
        case sets::Byline:
          all(source.creators, datum);
          break;
        case sets::Copyright:
          first(source.copyright, datum);
          break;
        case sets::City:
          first(source.city, datum);
          break;
        case sets::ProvinceState:
          first(source.region, datum);
          break;
        case sets::CountryName:
          first(source.country, datum);
          break;
        default:
          break;
      }
    }
  } catch (...) {
  }
  return source;
}

// The IFD0 items that may hold a caption, in the order of kExifCaptionTags.
enum TExifCaptionItem {
  kDescription,
  kMake,
  kModel,
  kArtist,
  kCopyright,
  kTitle,
  kComment,
  kKeywords
};
constexpr std::array<uint16_t, 8> kExifCaptionTags = {0x010e, 0x010f, 0x0110, 0x013b,
                                                      0x8298, 0x9c9b, 0x9c9c, 0x9c9e};
using TExifCaptionItems = std::array<std::string, kExifCaptionTags.size()>;

// The raw bytes of each caption item of IFD0, the first of its tag; empty when missing or
// longer than kMaxExifCaptionBytes.
TExifCaptionItems ReadExifCaptionItems(const Exiv2::ExifData& exif) {
  TExifCaptionItems raw;
  std::array<bool, kExifCaptionTags.size()> seen{};
  for (const Exiv2::Exifdatum& datum : exif) {
    const uint16_t tag = datum.tag();
    size_t i = 0;
    while (i < kExifCaptionTags.size() && kExifCaptionTags[i] != tag) ++i;
    if (i == kExifCaptionTags.size() || seen[i] || datum.groupName() != "Image") continue;
    seen[i] = true;
    const long size = datum.size();
    if (size <= 0 || size > kMaxExifCaptionBytes) continue;
    raw[i].assign(static_cast<size_t>(size), '\0');
    datum.copy(reinterpret_cast<Exiv2::byte*>(raw[i].data()), Exiv2::littleEndian);
  }
  return raw;
}

// The parts of `text` between the `separator`s.
std::vector<std::string_view> SplitParts(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find(separator, start);
    if (end == std::string_view::npos) end = text.size();
    parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

TCaptionSource ExifCaptions(const Exiv2::ExifData& exif) {
  TCaptionSource source;
  if (exif.empty()) return source;
  try {
    const TExifCaptionItems raw = ReadExifCaptionItems(exif);
    // ASCII items may hold several NUL-terminated parts (Copyright: photographer, then
    // editor); they are in practice UTF-8 or an eight-bit encoding, read as IPTC texts are.
    auto ascii_parts = [&](TExifCaptionItem item) {
      std::vector<std::string> parts;
      for (std::string_view part : SplitParts(raw[item], '\0'))
        parts.push_back(LegacyTextToUtf8(part));
      return parts;
    };
    auto ascii = [&](TExifCaptionItem item) {
      std::vector<std::string> parts = ascii_parts(item);
      return parts.empty() ? std::string() : std::move(parts.front());
    };
    // Windows writes UTF-16 texts, the keywords separated by ";".
    auto utf16 = [&](TExifCaptionItem item) { return Utf16LeToUtf8(raw[item]); };

    std::string description = ascii(kDescription);
    if (IsCameraBoilerplate(description, ascii(kMake), ascii(kModel))) description.clear();
    source.title = utf16(kTitle);
    source.description =
        CleanCaption(description).empty() ? utf16(kComment) : std::move(description);
    const std::string keywords = utf16(kKeywords);
    for (std::string_view keyword : SplitParts(keywords, ';'))
      source.keywords.emplace_back(keyword);
    source.creators = {ascii(kArtist)};
    std::string copyright;
    for (const std::string& part : ascii_parts(kCopyright)) {
      const std::string clean = CleanCaption(part);
      if (!clean.empty()) copyright += (copyright.empty() ? "" : ", ") + clean;
    }
    source.copyright = std::move(copyright);
  } catch (...) {
  }
  return source;
}

TCaptionSource SidecarCaptions(const std::string& path) {
  std::string packet;
  if (!SystemDisk().ReadFile(path + ".xmp", packet, kMaxSidecarBytes).Ok() &&
      (ExtractFileExt(path).empty() ||
       !SystemDisk().ReadFile(RemoveFileExt(path) + ".xmp", packet, kMaxSidecarBytes).Ok()))
    return {};
  try {
    Exiv2::XmpData xmp;
    if (Exiv2::XmpParser::decode(xmp, packet) == 0) return XmpCaptions(xmp);
  } catch (...) {
  }
  return {};
}

}  // namespace vistrel
