#include "imaging/metadata.h"

#include <algorithm>
#include <functional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "imaging/caption_sources.h"
#include "imaging/exiv2_include.h"
#include "imaging/image_header.h"
#include "imaging/jpeg_header.h"
#include "imaging/photo_decoder.h"
#include "imaging/property_tags.h"
#include "model/photo_captions.h"
#include "model/photo_data.h"
#include "model/value_list.h"
#include "support/disk.h"
#include "support/text.h"

namespace vistrel {

namespace {

// Value type codes of the TIFF items.
enum TypeCode : uint16_t { kAscii = 2, kShort = 3, kRational = 5 };

// ASCII values are taken through a buffer of this size.
constexpr size_t kMaxAsciiLength = 1001;
// The head of a file (markers and metadata segments) is read up to this size.
constexpr size_t kMaxHeadBytes = 16 * 1024 * 1024;

uint32_t LittleEndian(const std::vector<unsigned char>& bytes, size_t pos, int size) {
  uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = (value << 8) | bytes[pos + static_cast<size_t>(i)];
  return value;
}

// The text of an item, chosen by its type; empty for types that give none.
std::string ItemText(uint16_t type, const std::vector<unsigned char>& bytes) {
  switch (type) {
    case kAscii: {
      if (bytes.size() <= 1) return {};
      size_t length = std::min(bytes.size() - 1, kMaxAsciiLength);
      return std::string(reinterpret_cast<const char*>(bytes.data()), length);
    }
    case kShort:
      return bytes.size() >= 2 ? std::to_string(LittleEndian(bytes, 0, 2)) : std::string();
    case kRational:
      return bytes.size() >= 8 ? std::to_string(LittleEndian(bytes, 0, 4)) + "/" +
                                     std::to_string(LittleEndian(bytes, 4, 4))
                               : std::string();
    default:
      return {};
  }
}

// The property ID of an item of IFD0, the Exif, GPS or thumbnail directory; false for items of
// other directories (interoperability, maker notes), whose tag numbers mean something else.
bool ItemId(const Exiv2::Exifdatum& datum, uint32_t& id) {
  const std::string group = datum.groupName();
  const uint16_t tag = datum.tag();
  if (group == "Image" || group == "Photo" || group == "GPSInfo") {
    id = tag;
    return true;
  }
  return group == "Thumbnail" && ThumbnailTagId(tag, id);
}

// Adds the entry `key` unless the list has it already: a directory that holds a tag twice
// keeps its first value, as EXIF readers do (values are set by name, so a second entry of the
// name would stay empty).
void AddEntry(TVTLValueList& list, const std::string& key, std::string value) {
  if (list.IndexOf(key) >= 0) return;
  list.AddName(key);
  list.SetValueOf(key, std::move(value));
}

// An item exiv2 found, with at least one value.
bool Found(const Exiv2::ExifData& data, Exiv2::ExifData::const_iterator it) {
  return it != data.end() && it->count() > 0;
}

Exiv2::ExifData::const_iterator FindKey(const Exiv2::ExifData& data, const char* key) {
  return data.findKey(Exiv2::ExifKey(key));
}

// The `n`th value of an item as a fraction.
TRational RationalOf(const Exiv2::Exifdatum& datum, long n) {
  const Exiv2::Rational value = datum.toRational(n);
  return TRational{value.first, value.second};
}

// Adds a photo data entry unless its text is empty.
void AddPhotoEntry(TVTLValueList& photo, const char* name, std::string text) {
  if (!text.empty()) AddEntry(photo, name, std::move(text));
}

// Aperture, exposure time, focal lengths, ISO and the date and time the photo was taken.
void AddExposureData(const Exiv2::ExifData& data, TVTLValueList& photo) {
  if (auto it = Exiv2::fNumber(data); Found(data, it))
    AddPhotoEntry(photo, kPhotoAperture, FormatAperture(RationalOf(*it, 0)));
  if (auto it = Exiv2::exposureTime(data); Found(data, it))
    AddPhotoEntry(photo, kPhotoExposure, FormatExposureTime(RationalOf(*it, 0)));
  if (auto it = Exiv2::focalLength(data); Found(data, it))
    AddPhotoEntry(photo, kPhotoFocalLength, FormatFocalLength(RationalOf(*it, 0)));
  if (auto it = FindKey(data, "Exif.Photo.FocalLengthIn35mmFilm"); Found(data, it))
    AddPhotoEntry(photo, kPhotoFocalLength35, FormatFocalLength({it->toLong(0), 1}));
  // The standard tags hold ISO as a number; a maker's note holds a code exiv2 reads out. What
  // exiv2 reads out of a maker's note may throw: that item is left out, not the ones after it.
  try {
    if (auto it = Exiv2::isoSpeed(data); Found(data, it)) {
      const bool standard = it->groupName() == "Photo" || it->groupName() == "Image";
      AddPhotoEntry(photo, kPhotoIso,
                    standard ? FormatIso(it->toLong(0)) : FormatInterpretedIso(it->print(&data)));
    }
  } catch (...) {
  }
  if (auto it = Exiv2::dateTimeOriginal(data); Found(data, it)) {
    AddPhotoEntry(photo, kPhotoDate, FormatDate(it->toString()));
    AddPhotoEntry(photo, kPhotoTime, FormatTime(it->toString()));
  }
}

// The camera by maker and model, and the lens: by name where the photo names it, else as exiv2
// reads it from the maker's lens number.
void AddEquipmentData(const Exiv2::ExifData& data, TVTLValueList& photo) {
  const auto make = Exiv2::make(data);
  const auto model = Exiv2::model(data);
  AddPhotoEntry(photo, kPhotoCamera,
                FormatCamera(Found(data, make) ? make->toString() : "",
                             Found(data, model) ? model->toString() : ""));
  std::string lens;
  if (auto it = FindKey(data, "Exif.Photo.LensModel"); Found(data, it))
    lens = FormatName(it->toString());
  try {
    if (auto it = Exiv2::lensName(data); lens.empty() && Found(data, it))
      lens = FormatInterpretedName(it->print(&data));
  } catch (...) {
  }
  AddPhotoEntry(photo, kPhotoLens, std::move(lens));
}

// The position where the photo was taken, when latitude and longitude are given in full.
void AddGpsPosition(const Exiv2::ExifData& data, TVTLValueList& photo) {
  const auto latitude = FindKey(data, "Exif.GPSInfo.GPSLatitude");
  const auto longitude = FindKey(data, "Exif.GPSInfo.GPSLongitude");
  const auto latitude_ref = FindKey(data, "Exif.GPSInfo.GPSLatitudeRef");
  const auto longitude_ref = FindKey(data, "Exif.GPSInfo.GPSLongitudeRef");
  auto is_position = [&](Exiv2::ExifData::const_iterator it) {
    return Found(data, it) && it->count() == 3 &&
           (it->typeId() == Exiv2::unsignedRational || it->typeId() == Exiv2::signedRational);
  };
  if (!is_position(latitude) || !is_position(longitude) || !Found(data, latitude_ref) ||
      !Found(data, longitude_ref))
    return;
  const TRational lat[3] = {RationalOf(*latitude, 0), RationalOf(*latitude, 1),
                            RationalOf(*latitude, 2)};
  const TRational lon[3] = {RationalOf(*longitude, 0), RationalOf(*longitude, 1),
                            RationalOf(*longitude, 2)};
  AddPhotoEntry(photo, kPhotoGps,
                FormatGpsPosition(lat, latitude_ref->toString(), lon, longitude_ref->toString()));
}

// The display-ready photo data that exiv2's reading of the items gives (see photo_data.h).
// exiv2 knows which tags, maker notes included, hold the aperture, exposure time, focal length,
// ISO, date taken, maker and model, so its lookups are used rather than fixed tag numbers.
void AddPhotoData(const Exiv2::ExifData& data, TVTLValueList& photo) {
  AddExposureData(data, photo);
  AddEquipmentData(data, photo);
  AddGpsPosition(data, photo);
}

// What one reading of a photo fills.
struct TTargets {
  TVTLValueList& list;
  TVTLValueList* photo = nullptr;     // the photo data, when wanted
  TVTLValueList* captions = nullptr;  // the captions, when wanted
  // Captions from outside the photo (its sidecar), in front of the photo's own.
  std::vector<TCaptionSource> leading = {};
};

// exiv2's image type of a file of `format`; -1 for formats exiv2 does not read here.
int Exiv2ImageType(TImageFormat format) {
  switch (format) {
    case TImageFormat::kJpeg:
      return Exiv2::ImageType::jpeg;
    case TImageFormat::kPng:
      return Exiv2::ImageType::png;
    case TImageFormat::kTiff:
      return Exiv2::ImageType::tiff;
    case TImageFormat::kWebp:
      return Exiv2::ImageType::webp;
    default:
      return -1;
  }
}

// The metadata of a photo as exiv2 reads it.
struct TMetadataSets {
  Exiv2::ExifData exif;
  Exiv2::IptcData iptc;
  Exiv2::XmpData xmp;
};

// Reads the metadata of the photo `bytes` of `format` (for JPEG its head is enough): by exiv2's
// reader of that format, which must take the bytes for the same format; HEIF and AVIF by their
// EXIF and XMP items, which exiv2 then decodes. False when there is nothing to read; exiv2's
// exceptions pass.
bool ReadMetadataSets(std::string_view bytes, TImageFormat format, TMetadataSets& sets) {
  const auto* data = reinterpret_cast<const Exiv2::byte*>(bytes.data());
  if (format == TImageFormat::kHeif || format == TImageFormat::kAvif) {
    const THeifMetadata items = ReadHeifMetadata(bytes);
    if (!items.exif.empty())
      Exiv2::ExifParser::decode(sets.exif, reinterpret_cast<const Exiv2::byte*>(items.exif.data()),
                                static_cast<uint32_t>(items.exif.size()));
    if (!items.xmp.empty() && Exiv2::XmpParser::decode(sets.xmp, std::string(items.xmp)) != 0)
      sets.xmp.clear();
    return true;
  }
  const int type = Exiv2ImageType(format);
  if (type < 0) return false;
  auto image = Exiv2::ImageFactory::open(data, static_cast<long>(bytes.size()));
  if (!image.get() || image->imageType() != type) return false;
  image->readMetadata();
  std::swap(sets.exif, image->exifData());
  std::swap(sets.iptc, image->iptcData());
  std::swap(sets.xmp, image->xmpData());
  return true;
}

// Adds the entries of the EXIF items of the photo `bytes` (of `format`), its photo data and its
// captions as `targets` wants them; returns the EXIF orientation (0 when none).
int AddExifItems(std::string_view bytes, TImageFormat format, const TTargets& targets) {
  int orientation = 0;
  TVTLValueList& list = targets.list;
  std::vector<TCaptionSource> captions = targets.leading;
  try {
    TMetadataSets sets;
    if (ReadMetadataSets(bytes, format, sets)) {
      std::vector<unsigned char> bytes;
      for (const auto& datum : sets.exif) {
        uint32_t id = 0;
        if (!ItemId(datum, id)) continue;
        const long size = datum.size();
        if (size < 0 || size > 64 * 1024 * 1024) continue;
        bytes.assign(static_cast<size_t>(size) + 1, 0);
        datum.copy(bytes.data(), Exiv2::littleEndian);
        bytes.resize(static_cast<size_t>(size));
        const auto type = static_cast<uint16_t>(datum.typeId());
        if (id == 0x0112 && datum.groupName() == "Image" && type == kShort && bytes.size() >= 2)
          orientation = static_cast<int>(LittleEndian(bytes, 0, 2));
        std::string text = ItemText(type, bytes);
        std::string key = PropertyKey(id);
        if (text.empty() || key.empty()) continue;
        AddEntry(list, key, std::move(text));
      }
      if (targets.photo) AddPhotoData(sets.exif, *targets.photo);
      if (targets.captions) {
        captions.push_back(XmpCaptions(sets.xmp));
        captions.push_back(IptcCaptions(sets.iptc));
        captions.push_back(ExifCaptions(sets.exif));
      }
    }
  } catch (...) {
    // exiv2 throws on metadata it cannot parse; the items added so far are kept.
  }
  if (targets.captions) MergeCaptions(captions, *targets.captions);
  return orientation;
}

// What the reader knows of a photo before its metadata.
struct TPhotoShape {
  TImageFormat format = TImageFormat::kUnknown;  // kUnknown: no photo that can be read
  std::string_view bytes;  // a JPEG's head, or the whole file of another format
  uint32_t width = 0;      // as stored
  uint32_t height = 0;
  // How the decoder turns the picture: for JPEG the EXIF orientation read with the items (0),
  // for other formats what the decoder found (HEIF comes upright: 1).
  int orientation = 0;
};

// The shape of the photo `bytes` (of which `read_rest` gets the whole file when the first
// bytes are not those of a JPEG); `storage` keeps the bytes it refers to.
TPhotoShape ShapeOf(const TJpegHeader& jpeg, std::string_view head,
                    const std::function<bool(std::string&)>& read_rest, std::string& storage) {
  if (jpeg.valid)
    return {TImageFormat::kJpeg, head.substr(0, jpeg.head_size), jpeg.width, jpeg.height, 0};
  const TImageFormat format = SniffImageFormat(head);
  if (format == TImageFormat::kUnknown || format == TImageFormat::kJpeg || !CanDecode(format) ||
      !read_rest(storage))
    return {};
  const TPhotoDecoder decoder(storage);
  if (!decoder.Ok()) return {};
  return {format, storage, decoder.Width(), decoder.Height(), decoder.Orientation()};
}

// The entries of the photo of `shape`.
void AddMetadata(const TPhotoShape& shape, const TTargets& targets) {
  uint32_t width = 0;
  uint32_t height = 0;
  if (shape.format != TImageFormat::kUnknown) {
    const int exif_orientation = AddExifItems(shape.bytes, shape.format, targets);
    const int orientation = shape.orientation != 0 ? shape.orientation : exif_orientation;
    const bool turned = orientation >= 5 && orientation <= 8;
    width = turned ? shape.height : shape.width;
    height = turned ? shape.width : shape.height;
  }
  AddEntry(targets.list, "Width", std::to_string(width));
  AddEntry(targets.list, "Height", std::to_string(height));
  if (targets.photo && width > 0 && height > 0) {
    AddEntry(*targets.photo, kPhotoWidth, std::to_string(width));
    AddEntry(*targets.photo, kPhotoHeight, std::to_string(height));
  }
}

// The shape of the photo file `file_name`: its head for a JPEG, else the whole file.
TPhotoShape ReadShape(const std::string& file_name, std::string& storage) {
  const TJpegHeader jpeg = ReadJpegHead(file_name, storage, kMaxHeadBytes);
  if (jpeg.valid) return ShapeOf(jpeg, storage, nullptr, storage);
  const std::string head = std::move(storage);
  return ShapeOf(
      jpeg, head, [&](std::string& whole) { return SystemDisk().ReadFile(file_name, whole).Ok(); },
      storage);
}

}  // namespace

void ReadImageMetadata(const std::string& file_name, TVTLValueList& list) {
  std::string storage;
  AddMetadata(ReadShape(file_name, storage), {list});
}

void ReadPhotoMetadata(const std::string& file_name, TVTLValueList& list, TVTLValueList& photo_data,
                       TVTLValueList& captions) {
  std::string storage;
  const TPhotoShape shape = ReadShape(file_name, storage);
  TTargets targets{list, &photo_data, &captions};
  // A sidecar only counts beside a photo.
  if (shape.format != TImageFormat::kUnknown) targets.leading.push_back(SidecarCaptions(file_name));
  AddMetadata(shape, targets);
}

void ReadImageMetadataFromBytes(std::string_view bytes, TVTLValueList& list,
                                TVTLValueList* photo_data) {
  const TJpegHeader jpeg = ParseJpegHeader(bytes.substr(0, kMaxHeadBytes));
  std::string storage;
  const TPhotoShape shape = ShapeOf(
      jpeg, bytes,
      [&](std::string& whole) {
        whole.assign(bytes);
        return true;
      },
      storage);
  AddMetadata(shape, {list, photo_data});
}

void ReadCaptionsFromParts(std::string_view sidecar, std::string_view iptc, std::string_view head,
                           TVTLValueList& captions) {
  TVTLValueList list;
  TTargets targets{list, nullptr, &captions};
  try {
    Exiv2::XmpData xmp;
    if (!sidecar.empty() && Exiv2::XmpParser::decode(xmp, std::string(sidecar)) == 0)
      targets.leading.push_back(XmpCaptions(xmp));
  } catch (...) {
  }
  try {
    Exiv2::IptcData record;
    if (!iptc.empty() &&
        Exiv2::IptcParser::decode(record, reinterpret_cast<const Exiv2::byte*>(iptc.data()),
                                  static_cast<uint32_t>(iptc.size())) == 0)
      targets.leading.push_back(IptcCaptions(record));
  } catch (...) {
  }
  const TJpegHeader header = ParseJpegHeader(head.substr(0, kMaxHeadBytes));
  AddExifItems(header.valid ? head.substr(0, header.head_size) : std::string_view(),
               TImageFormat::kJpeg, targets);
}

}  // namespace vistrel
