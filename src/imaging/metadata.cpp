#include "imaging/metadata.h"

#include <algorithm>
#include <functional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "imaging/exiv2_include.h"
#include "imaging/image_header.h"
#include "imaging/jpeg_header.h"
#include "imaging/photo_decoder.h"
#include "model/file_naming.h"
#include "model/photo_captions.h"
#include "model/photo_data.h"
#include "model/value_list.h"
#include "support/disk.h"
#include "support/text.h"

namespace vistrel {

namespace {

struct TTagName {
  uint32_t id;
  const char* key;
};

// Tag IDs and the keys of their names; the name is "PropertyTag" + key.
constexpr TTagName kTagNames[] = {
    {0x0000, "GpsVer"},
    {0x0001, "GpsLatitudeRef"},
    {0x0002, "GpsLatitude"},
    {0x0003, "GpsLongitudeRef"},
    {0x0004, "GpsLongitude"},
    {0x0005, "GpsAltitudeRef"},
    {0x0006, "GpsAltitude"},
    {0x0007, "GpsGpsTime"},
    {0x0008, "GpsGpsSatellites"},
    {0x0009, "GpsGpsStatus"},
    {0x000A, "GpsGpsMeasureMode"},
    {0x000B, "GpsGpsDop"},
    {0x000C, "GpsSpeedRef"},
    {0x000D, "GpsSpeed"},
    {0x000E, "GpsTrackRef"},
    {0x000F, "GpsTrack"},
    {0x0010, "GpsImgDirRef"},
    {0x0011, "GpsImgDir"},
    {0x0012, "GpsMapDatum"},
    {0x0013, "GpsDestLatRef"},
    {0x0014, "GpsDestLat"},
    {0x0015, "GpsDestLongRef"},
    {0x0016, "GpsDestLong"},
    {0x0017, "GpsDestBearRef"},
    {0x0018, "GpsDestBear"},
    {0x0019, "GpsDestDistRef"},
    {0x001A, "GpsDestDist"},
    {0x00FE, "NewSubfileType"},
    {0x00FF, "SubfileType"},
    {0x0100, "ImageWidth"},
    {0x0101, "ImageHeight"},
    {0x0102, "BitsPerSample"},
    {0x0103, "Compression"},
    {0x0106, "PhotometricInterp"},
    {0x0107, "ThreshHolding"},
    {0x0108, "CellWidth"},
    {0x0109, "CellHeight"},
    {0x010A, "FillOrder"},
    {0x010D, "DocumentName"},
    {0x010E, "ImageDescription"},
    {0x010F, "EquipMake"},
    {0x0110, "EquipModel"},
    {0x0111, "StripOffsets"},
    {0x0112, "Orientation"},
    {0x0115, "SamplesPerPixel"},
    {0x0116, "RowsPerStrip"},
    {0x0117, "StripBytesCount"},
    {0x0118, "MinSampleValue"},
    {0x0119, "MaxSampleValue"},
    {0x011A, "XResolution"},
    {0x011B, "YResolution"},
    {0x011C, "PlanarConfig"},
    {0x011D, "PageName"},
    {0x011E, "XPosition"},
    {0x011F, "YPosition"},
    {0x0120, "FreeOffset"},
    {0x0121, "FreeByteCounts"},
    {0x0122, "GrayResponseUnit"},
    {0x0123, "GrayResponseCurve"},
    {0x0124, "T4Option"},
    {0x0125, "T6Option"},
    {0x0128, "ResolutionUnit"},
    {0x0129, "PageNumber"},
    {0x012D, "TransferFuncition"},
    {0x0131, "SoftwareUsed"},
    {0x0132, "DateTime"},
    {0x013B, "Artist"},
    {0x013C, "HostComputer"},
    {0x013D, "Predictor"},
    {0x013E, "WhitePoint"},
    {0x013F, "PrimaryChromaticities"},
    {0x0140, "ColorMap"},
    {0x0141, "HalftoneHints"},
    {0x0142, "TileWidth"},
    {0x0143, "TileLength"},
    {0x0144, "TileOffset"},
    {0x0145, "TileByteCounts"},
    {0x014C, "InkSet"},
    {0x014D, "InkNames"},
    {0x014E, "NumberOfInks"},
    {0x0150, "DotRange"},
    {0x0151, "TargetPrinter"},
    {0x0152, "ExtraSamples"},
    {0x0153, "SampleFormat"},
    {0x0154, "SMinSampleValue"},
    {0x0155, "SMaxSampleValue"},
    {0x0156, "TransferRange"},
    {0x0200, "JPEGProc"},
    {0x0201, "JPEGInterFormat"},
    {0x0202, "JPEGInterLength"},
    {0x0203, "JPEGRestartInterval"},
    {0x0205, "JPEGLosslessPredictors"},
    {0x0206, "JPEGPointTransforms"},
    {0x0207, "JPEGQTables"},
    {0x0208, "JPEGDCTables"},
    {0x0209, "JPEGACTables"},
    {0x0211, "YCbCrCoefficients"},
    {0x0212, "YCbCrSubsampling"},
    {0x0213, "YCbCrPositioning"},
    {0x0214, "REFBlackWhite"},
    {0x0301, "Gamma"},
    {0x0302, "ICCProfileDescriptor"},
    {0x0303, "SRGBRenderingIntent"},
    {0x0320, "ImageTitle"},
    {0x5001, "ResolutionXUnit"},
    {0x5002, "ResolutionYUnit"},
    {0x5003, "ResolutionXLengthUnit"},
    {0x5004, "ResolutionYLengthUnit"},
    {0x5005, "PrintFlags"},
    {0x5006, "PrintFlagsVersion"},
    {0x5007, "PrintFlagsCrop"},
    {0x5008, "PrintFlagsBleedWidth"},
    {0x5009, "PrintFlagsBleedWidthScale"},
    {0x500A, "HalftoneLPI"},
    {0x500B, "HalftoneLPIUnit"},
    {0x500C, "HalftoneDegree"},
    {0x500D, "HalftoneShape"},
    {0x500E, "HalftoneMisc"},
    {0x500F, "HalftoneScreen"},
    {0x5010, "JPEGQuality"},
    {0x5011, "GridSize"},
    {0x5012, "ThumbnailFormat"},
    {0x5013, "ThumbnailWidth"},
    {0x5014, "ThumbnailHeight"},
    {0x5015, "ThumbnailColorDepth"},
    {0x5016, "ThumbnailPlanes"},
    {0x5017, "ThumbnailRawBytes"},
    {0x5018, "ThumbnailSize"},
    {0x5019, "ThumbnailCompressedSize"},
    {0x501A, "ColorTransferFunction"},
    {0x501B, "ThumbnailData"},
    {0x5020, "ThumbnailImageWidth"},
    {0x5021, "ThumbnailImageHeight"},
    {0x5022, "ThumbnailBitsPerSample"},
    {0x5023, "ThumbnailCompression"},
    {0x5024, "ThumbnailPhotometricInterp"},
    {0x5025, "ThumbnailImageDescription"},
    {0x5026, "ThumbnailEquipMake"},
    {0x5027, "ThumbnailEquipModel"},
    {0x5028, "ThumbnailStripOffsets"},
    {0x5029, "ThumbnailOrientation"},
    {0x502A, "ThumbnailSamplesPerPixel"},
    {0x502B, "ThumbnailRowsPerStrip"},
    {0x502C, "ThumbnailStripBytesCount"},
    {0x502D, "ThumbnailResolutionX"},
    {0x502E, "ThumbnailResolutionY"},
    {0x502F, "ThumbnailPlanarConfig"},
    {0x5030, "ThumbnailResolutionUnit"},
    {0x5031, "ThumbnailTransferFunction"},
    {0x5032, "ThumbnailSoftwareUsed"},
    {0x5033, "ThumbnailDateTime"},
    {0x5034, "ThumbnailArtist"},
    {0x5035, "ThumbnailWhitePoint"},
    {0x5036, "ThumbnailPrimaryChromaticities"},
    {0x5037, "ThumbnailYCbCrCoefficients"},
    {0x5038, "ThumbnailYCbCrSubsampling"},
    {0x5039, "ThumbnailYCbCrPositioning"},
    {0x503A, "ThumbnailRefBlackWhite"},
    {0x503B, "ThumbnailCopyRight"},
    {0x5090, "LuminanceTable"},
    {0x5091, "ChrominanceTable"},
    {0x5100, "FrameDelay"},
    {0x5101, "LoopCount"},
    {0x5110, "PixelUnit"},
    {0x5111, "PixelPerUnitX"},
    {0x5112, "PixelPerUnitY"},
    {0x5113, "PaletteHistogram"},
    {0x8298, "Copyright"},
    {0x829A, "ExifExposureTime"},
    {0x829D, "ExifFNumber"},
    {0x8769, "ExifIFD"},
    {0x8773, "ICCProfile"},
    {0x8822, "ExifExposureProg"},
    {0x8824, "ExifSpectralSense"},
    {0x8825, "GpsIFD"},
    {0x8827, "ExifISOSpeed"},
    {0x8828, "ExifOECF"},
    {0x9000, "ExifVer"},
    {0x9003, "ExifDTOrig"},
    {0x9004, "ExifDTDigitized"},
    {0x9101, "ExifCompConfig"},
    {0x9102, "ExifCompBPP"},
    {0x9201, "ExifShutterSpeed"},
    {0x9202, "ExifAperture"},
    {0x9203, "ExifBrightness"},
    {0x9204, "ExifExposureBias"},
    {0x9205, "ExifMaxAperture"},
    {0x9206, "ExifSubjectDist"},
    {0x9207, "ExifMeteringMode"},
    {0x9208, "ExifLightSource"},
    {0x9209, "ExifFlash"},
    {0x920A, "ExifFocalLength"},
    {0x927C, "ExifMakerNote"},
    {0x9286, "ExifUserComment"},
    {0x9290, "ExifDTSubsec"},
    {0x9291, "ExifDTOrigSS"},
    {0x9292, "ExifDTDigSS"},
    {0xA000, "ExifFPXVer"},
    {0xA001, "ExifColorSpace"},
    {0xA002, "ExifPixXDim"},
    {0xA003, "ExifPixYDim"},
    {0xA004, "ExifRelatedWav"},
    {0xA005, "ExifInterop"},
    {0xA20B, "ExifFlashEnergy"},
    {0xA20C, "ExifSpatialFR"},
    {0xA20E, "ExifFocalXRes"},
    {0xA20F, "ExifFocalYRes"},
    {0xA210, "ExifFocalResUnit"},
    {0xA214, "ExifSubjectLoc"},
    {0xA215, "ExifExposureIndex"},
    {0xA217, "ExifSensingMethod"},
    {0xA300, "ExifFileSource"},
    {0xA301, "ExifSceneType"},
    {0xA302, "ExifCfaPattern"},
};

constexpr std::string_view kTagPrefix = "PropertyTag";

// IFD1 describes the embedded thumbnail; its tags take the thumbnail IDs.
constexpr std::pair<uint16_t, uint32_t> kThumbnailIds[] = {
    {0x0100, 0x5020}, {0x0101, 0x5021}, {0x0102, 0x5022}, {0x0103, 0x5023}, {0x0106, 0x5024},
    {0x010E, 0x5025}, {0x010F, 0x5026}, {0x0110, 0x5027}, {0x0111, 0x5028}, {0x0112, 0x5029},
    {0x0115, 0x502A}, {0x0116, 0x502B}, {0x0117, 0x502C}, {0x011A, 0x502D}, {0x011B, 0x502E},
    {0x011C, 0x502F}, {0x0128, 0x5030}, {0x012D, 0x5031}, {0x0131, 0x5032}, {0x0132, 0x5033},
    {0x013B, 0x5034}, {0x013E, 0x5035}, {0x013F, 0x5036}, {0x0211, 0x5037}, {0x0212, 0x5038},
    {0x0213, 0x5039}, {0x0214, 0x503A}, {0x8298, 0x503B},
};

// Value type codes of the TIFF items.
enum TypeCode : uint16_t { kAscii = 2, kShort = 3, kRational = 5 };

// ASCII values are taken through a buffer of this size.
constexpr size_t kMaxAsciiLength = 1001;
// The head of a file (markers and metadata segments) is read up to this size.
constexpr size_t kMaxHeadBytes = 16 * 1024 * 1024;
// A sidecar larger than this is no catalogue's caption file and is not read: it would only
// cost time to parse.
constexpr size_t kMaxSidecarBytes = 4 * 1024 * 1024;

const std::unordered_map<uint32_t, const char*>& TagNames() {
  static const std::unordered_map<uint32_t, const char*> names = [] {
    std::unordered_map<uint32_t, const char*> map;
    for (const auto& tag : kTagNames) map.emplace(tag.id, tag.key);
    return map;
  }();
  return names;
}

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
  if (group == "Thumbnail") {
    for (const auto& [ifd1_tag, thumbnail_id] : kThumbnailIds) {
      if (ifd1_tag == tag) {
        id = thumbnail_id;
        return true;
      }
    }
  }
  return false;
}

// Adds the entry `key` unless the list has it already: a directory that holds a tag twice
// keeps its first value, as EXIF readers do (values are set by name, so a second entry of the
// name would stay empty).
void AddEntry(TVTLValueList& list, const std::string& key, std::string value) {
  if (list.IndexOf(key) >= 0) return;
  list.AddName(key);
  list.SetValueOf(key, std::move(value));
}

// The display-ready photo data that exiv2's reading of the items gives (see photo_data.h).
// exiv2 knows which tags, maker notes included, hold the aperture, exposure time, focal length,
// ISO, date taken, maker and model, so its lookups are used rather than fixed tag numbers.
void AddPhotoData(const Exiv2::ExifData& data, TVTLValueList& photo) {
  auto add = [&](const char* name, std::string text) {
    if (!text.empty()) AddEntry(photo, name, std::move(text));
  };
  auto found = [&](Exiv2::ExifData::const_iterator it) {
    return it != data.end() && it->count() > 0;
  };
  auto rational = [](const Exiv2::Exifdatum& datum, long n) {
    const Exiv2::Rational value = datum.toRational(n);
    return TRational{value.first, value.second};
  };
  auto key = [&](const char* name) { return data.findKey(Exiv2::ExifKey(name)); };

  if (auto it = Exiv2::fNumber(data); found(it))
    add(kPhotoAperture, FormatAperture(rational(*it, 0)));
  if (auto it = Exiv2::exposureTime(data); found(it))
    add(kPhotoExposure, FormatExposureTime(rational(*it, 0)));
  if (auto it = Exiv2::focalLength(data); found(it))
    add(kPhotoFocalLength, FormatFocalLength(rational(*it, 0)));
  if (auto it = key("Exif.Photo.FocalLengthIn35mmFilm"); found(it))
    add(kPhotoFocalLength35, FormatFocalLength({it->toLong(0), 1}));
  // The standard tags hold ISO as a number; a maker's note holds a code exiv2 reads out. What
  // exiv2 reads out of a maker's note may throw: that item is left out, not the ones after it.
  try {
    if (auto it = Exiv2::isoSpeed(data); found(it)) {
      const bool standard = it->groupName() == "Photo" || it->groupName() == "Image";
      add(kPhotoIso, standard ? FormatIso(it->toLong(0)) : FormatInterpretedIso(it->print(&data)));
    }
  } catch (...) {
  }
  if (auto it = Exiv2::dateTimeOriginal(data); found(it)) {
    add(kPhotoDate, FormatDate(it->toString()));
    add(kPhotoTime, FormatTime(it->toString()));
  }
  const auto make = Exiv2::make(data);
  const auto model = Exiv2::model(data);
  add(kPhotoCamera,
      FormatCamera(found(make) ? make->toString() : "", found(model) ? model->toString() : ""));
  // The lens by name where the photo names it, else as exiv2 reads it from the maker's lens
  // number.
  std::string lens;
  if (auto it = key("Exif.Photo.LensModel"); found(it)) lens = FormatName(it->toString());
  try {
    if (auto it = Exiv2::lensName(data); lens.empty() && found(it))
      lens = FormatInterpretedName(it->print(&data));
  } catch (...) {
  }
  add(kPhotoLens, std::move(lens));

  const auto latitude = key("Exif.GPSInfo.GPSLatitude");
  const auto longitude = key("Exif.GPSInfo.GPSLongitude");
  const auto latitude_ref = key("Exif.GPSInfo.GPSLatitudeRef");
  const auto longitude_ref = key("Exif.GPSInfo.GPSLongitudeRef");
  auto is_position = [&](Exiv2::ExifData::const_iterator it) {
    return found(it) && it->count() == 3 &&
           (it->typeId() == Exiv2::unsignedRational || it->typeId() == Exiv2::signedRational);
  };
  if (is_position(latitude) && is_position(longitude) && found(latitude_ref) &&
      found(longitude_ref)) {
    const TRational lat[3] = {rational(*latitude, 0), rational(*latitude, 1),
                              rational(*latitude, 2)};
    const TRational lon[3] = {rational(*longitude, 0), rational(*longitude, 1),
                              rational(*longitude, 2)};
    add(kPhotoGps,
        FormatGpsPosition(lat, latitude_ref->toString(), lon, longitude_ref->toString()));
  }
}

// The texts of an XMP property: the items of an array (dc:subject, dc:creator), the chosen
// language of an alternative (dc:title, dc:description, dc:rights), or the text itself.
std::vector<std::string> XmpTexts(const Exiv2::XmpData& xmp, const char* key) {
  const auto it = xmp.findKey(Exiv2::XmpKey(key));
  if (it == xmp.end()) return {};
  const Exiv2::Value& value = it->value();
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
  return {value.toString()};
}

std::string XmpText(const Exiv2::XmpData& xmp, const char* key) {
  std::vector<std::string> texts = XmpTexts(xmp, key);
  return texts.empty() ? std::string() : std::move(texts.front());
}

// The captions of an XMP packet, a sidecar's or the photo's own. XMP is UTF-8 by definition.
TCaptionSource XmpCaptions(const Exiv2::XmpData& xmp) {
  TCaptionSource source;
  if (xmp.empty()) return source;
  source.title = XmpText(xmp, "Xmp.dc.title");
  source.description = XmpText(xmp, "Xmp.dc.description");
  source.keywords = XmpTexts(xmp, "Xmp.dc.subject");
  source.rating = XmpText(xmp, "Xmp.xmp.Rating");
  source.creators = XmpTexts(xmp, "Xmp.dc.creator");
  source.copyright = XmpText(xmp, "Xmp.dc.rights");
  source.city = XmpText(xmp, "Xmp.photoshop.City");
  source.region = XmpText(xmp, "Xmp.photoshop.State");
  source.country = XmpText(xmp, "Xmp.photoshop.Country");
  return source;
}

// The captions of an IPTC record. Its texts are UTF-8 when the record says so (the escape
// sequence ESC % G), else in the eight-bit encoding of the program that wrote it, taken as
// Windows-1252 unless they are valid UTF-8.
TCaptionSource IptcCaptions(const Exiv2::IptcData& iptc) {
  TCaptionSource source;
  if (iptc.empty()) return source;
  const auto charset = iptc.findKey(Exiv2::IptcKey("Iptc.Envelope.CharacterSet"));
  const bool utf8 = charset != iptc.end() && charset->toString() == "\x1b%G";
  auto text = [&](const Exiv2::Iptcdatum& datum) {
    const std::string raw = datum.toString();
    return utf8 ? raw : LegacyTextToUtf8(raw);
  };
  auto first = [&](const char* key) {
    const auto it = iptc.findKey(Exiv2::IptcKey(key));
    return it == iptc.end() ? std::string() : text(*it);
  };
  auto all = [&](const char* key) {
    const Exiv2::IptcKey wanted(key);
    std::vector<std::string> texts;
    for (const Exiv2::Iptcdatum& datum : iptc)
      if (datum.record() == wanted.record() && datum.tag() == wanted.tag() &&
          texts.size() < kMaxKeywords)
        texts.push_back(text(datum));
    return texts;
  };
  source.title = first("Iptc.Application2.ObjectName");
  source.description = first("Iptc.Application2.Caption");
  source.keywords = all("Iptc.Application2.Keywords");
  source.creators = all("Iptc.Application2.Byline");
  source.copyright = first("Iptc.Application2.Copyright");
  source.city = first("Iptc.Application2.City");
  source.region = first("Iptc.Application2.ProvinceState");
  source.country = first("Iptc.Application2.CountryName");
  return source;
}

// The captions of the EXIF items: ASCII texts (in practice UTF-8 or an eight-bit encoding,
// read as IPTC texts are), and the UTF-16 texts Windows writes (XPTitle, XPComment,
// XPKeywords, the keywords separated by ";"). The description a camera writes by itself
// ("OLYMPUS DIGITAL CAMERA") is no caption.
TCaptionSource ExifCaptions(const Exiv2::ExifData& exif) {
  TCaptionSource source;
  if (exif.empty()) return source;
  auto bytes = [&](const char* key) -> std::string {
    const auto it = exif.findKey(Exiv2::ExifKey(key));
    if (it == exif.end() || it->size() <= 0 || it->size() > 1024 * 1024) return {};
    std::string raw(static_cast<size_t>(it->size()), '\0');
    it->copy(reinterpret_cast<Exiv2::byte*>(raw.data()), Exiv2::littleEndian);
    return raw;
  };
  // ASCII items may hold several NUL-terminated parts (Copyright: photographer, then editor).
  auto ascii_parts = [&](const char* key) {
    std::vector<std::string> parts;
    const std::string raw = bytes(key);
    for (size_t start = 0; start < raw.size();) {
      size_t end = raw.find('\0', start);
      if (end == std::string::npos) end = raw.size();
      parts.push_back(LegacyTextToUtf8(std::string_view(raw).substr(start, end - start)));
      start = end + 1;
    }
    return parts;
  };
  auto ascii = [&](const char* key) {
    std::vector<std::string> parts = ascii_parts(key);
    return parts.empty() ? std::string() : std::move(parts.front());
  };
  auto utf16 = [&](const char* key) { return Utf16LeToUtf8(bytes(key)); };

  std::string description = ascii("Exif.Image.ImageDescription");
  if (IsCameraBoilerplate(description, ascii("Exif.Image.Make"), ascii("Exif.Image.Model")))
    description.clear();
  source.title = utf16("Exif.Image.XPTitle");
  source.description =
      CleanCaption(description).empty() ? utf16("Exif.Image.XPComment") : std::move(description);
  const std::string keywords = utf16("Exif.Image.XPKeywords");
  for (size_t start = 0; start < keywords.size();) {
    size_t end = keywords.find(';', start);
    if (end == std::string::npos) end = keywords.size();
    source.keywords.push_back(keywords.substr(start, end - start));
    start = end + 1;
  }
  source.creators = {ascii("Exif.Image.Artist")};
  std::string copyright;
  for (const std::string& part : ascii_parts("Exif.Image.Copyright")) {
    const std::string clean = CleanCaption(part);
    if (!clean.empty()) copyright += (copyright.empty() ? "" : ", ") + clean;
  }
  source.copyright = std::move(copyright);
  return source;
}

// The captions of the sidecar of the photo at `path`: "photo.jpg.xmp" as darktable and
// digiKam write it, else "photo.xmp" as Lightroom does. None when there is no sidecar, or it is
// no regular file, too large or not XMP.
TCaptionSource SidecarCaptions(const std::string& path) {
  std::vector<std::string> names = {path + ".xmp"};
  if (!ExtractFileExt(path).empty()) names.push_back(RemoveFileExt(path) + ".xmp");
  for (const std::string& name : names) {
    std::string packet;
    if (!SystemDisk().ReadFile(name, packet, kMaxSidecarBytes).Ok()) continue;
    try {
      Exiv2::XmpData xmp;
      if (Exiv2::XmpParser::decode(xmp, packet) == 0) return XmpCaptions(xmp);
    } catch (...) {
    }
    return {};
  }
  return {};
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
        std::string name = PropertyTagName(id);
        if (text.empty() || name.size() <= kTagPrefix.size() || name == "<Unknown>") continue;
        AddEntry(list, name.substr(kTagPrefix.size()), std::move(text));
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
      jpeg, head, [&](std::string& whole) { return SystemDisk().ReadFile(file_name, whole).Ok(); }, storage);
}

}  // namespace

std::string PropertyTagName(uint32_t tag_id) {
  auto found = TagNames().find(tag_id);
  return found == TagNames().end() ? "<Unknown>" : std::string(kTagPrefix) + found->second;
}

std::string PropertyTypeName(uint16_t type_code) {
  switch (type_code) {
    case 0:
    case 6:
    case 8:
      return "Nothing";
    case 1:
      return "PropertyTagTypeByte";
    case 2:
      return "PropertyTagTypeASCII";
    case 3:
      return "PropertyTagTypeShort";
    case 4:
      return "PropertyTagTypeLong";
    case 5:
      return "PropertyTagTypeRational";
    case 7:
      return "PropertyTagTypeUndefined";
    case 9:
      return "PropertyTagTypeSLONG";
    case 10:
      return "PropertyTagTypeSRational";
    default:
      return "<UnKnown>";
  }
}

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
