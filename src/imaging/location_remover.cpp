#include "imaging/location_remover.h"

#include <string_view>

#include "imaging/exiv2_include.h"
#include "imaging/image_header.h"
#include "model/photo_format.h"

namespace vistrel {

namespace {

// Keys that name a place, as the start of the key (XMP structures such as
// iptcExt:LocationCreated have keys below their own).
constexpr std::string_view kXmpPlaces[] = {
    "Xmp.exif.GPS",          "Xmp.photoshop.City",        "Xmp.photoshop.State",
    "Xmp.photoshop.Country", "Xmp.iptc.Location",         "Xmp.iptc.CountryCode",
    "Xmp.iptcExt.Location",  "Xmp.iptcExt.CountryCode",   "Xmp.iptcExt.CountryName",
    "Xmp.iptcExt.City",      "Xmp.iptcExt.ProvinceState", "Xmp.iptcExt.Sublocation",
};
constexpr std::string_view kIptcPlaces[] = {
    "Iptc.Application2.City",          "Iptc.Application2.SubLocation",
    "Iptc.Application2.ProvinceState", "Iptc.Application2.CountryCode",
    "Iptc.Application2.CountryName",   "Iptc.Application2.LocationCode",
    "Iptc.Application2.LocationName",
};

bool IsPlace(const std::string& key, const auto& places) {
  for (std::string_view place : places)
    if (std::string_view(key).substr(0, place.size()) == place) return true;
  return false;
}

bool IsExifPlace(const Exiv2::Exifdatum& datum) { return datum.groupName() == "GPSInfo"; }

// Takes the places out of each kind of metadata; true when there was one.
template <typename TData, typename TIsPlace>
bool ErasePlaces(TData& data, TIsPlace is_place) {
  bool erased = false;
  for (auto it = data.begin(); it != data.end();) {
    if (is_place(*it)) {
      it = data.erase(it);
      erased = true;
    } else {
      ++it;
    }
  }
  return erased;
}

bool ErasePlaces(Exiv2::Image& image) {
  const bool exif = ErasePlaces(image.exifData(), IsExifPlace);
  const bool xmp = ErasePlaces(image.xmpData(), [](const Exiv2::Xmpdatum& datum) {
    return IsPlace(datum.key(), kXmpPlaces);
  });
  const bool iptc = ErasePlaces(image.iptcData(), [](const Exiv2::Iptcdatum& datum) {
    return IsPlace(datum.key(), kIptcPlaces);
  });
  return exif || xmp || iptc;
}

// Whether the EXIF and XMP items of a HEIF or AVIF file name a place.
bool HeifNamesPlace(std::string_view bytes) {
  const THeifMetadata items = ReadHeifMetadata(bytes);
  Exiv2::ExifData exif;
  if (!items.exif.empty())
    Exiv2::ExifParser::decode(exif, reinterpret_cast<const Exiv2::byte*>(items.exif.data()),
                              static_cast<uint32_t>(items.exif.size()));
  for (const auto& datum : exif)
    if (IsExifPlace(datum)) return true;
  Exiv2::XmpData xmp;
  // A packet that cannot be read may still hold a place.
  if (!items.xmp.empty() && Exiv2::XmpParser::decode(xmp, std::string(items.xmp)) != 0) return true;
  for (const auto& datum : xmp)
    if (IsPlace(datum.key(), kXmpPlaces)) return true;
  return false;
}

std::string ImageBytes(Exiv2::BasicIo& io) {
  std::string bytes(static_cast<size_t>(io.size()), '\0');
  io.seek(0, Exiv2::BasicIo::beg);
  if (io.read(reinterpret_cast<Exiv2::byte*>(bytes.data()), static_cast<long>(bytes.size())) !=
      static_cast<long>(bytes.size()))
    return {};
  return bytes;
}

std::unique_ptr<Exiv2::Image> Open(const std::string& bytes) {
  auto image = Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte*>(bytes.data()),
                                         static_cast<long>(bytes.size()));
  if (!image.get()) return nullptr;
  image->readMetadata();
  return std::unique_ptr<Exiv2::Image>(image.release());
}

}  // namespace

TLocationRemoval RemoveLocation(std::string& bytes) {
  const TImageFormat format = SniffImageFormat(bytes);
  try {
    switch (format) {
      case TImageFormat::kHeif:
      case TImageFormat::kAvif:
        return HeifNamesPlace(bytes) ? TLocationRemoval::kCannotRemove : TLocationRemoval::kNone;
      case TImageFormat::kJpeg:
      case TImageFormat::kPng:
      case TImageFormat::kTiff:
      case TImageFormat::kWebp:
        break;
      default:
        return TLocationRemoval::kCannotRemove;
    }
    std::unique_ptr<Exiv2::Image> image = Open(bytes);
    if (!image) return TLocationRemoval::kCannotRemove;
    if (!ErasePlaces(*image)) return TLocationRemoval::kNone;
    image->writeMetadata();
    std::string cleaned = ImageBytes(image->io());
    // What was written is read again: only a photo that now names no place is handed out.
    std::unique_ptr<Exiv2::Image> check = cleaned.empty() ? nullptr : Open(cleaned);
    if (!check || ErasePlaces(*check)) return TLocationRemoval::kCannotRemove;
    bytes = std::move(cleaned);
    return TLocationRemoval::kRemoved;
  } catch (...) {
    // Metadata exiv2 cannot parse may hold a place as well.
    return TLocationRemoval::kCannotRemove;
  }
}

}  // namespace vistrel
