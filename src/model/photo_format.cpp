#include "model/photo_format.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "support/disk.h"

namespace vistrel {

namespace {

uint32_t BigEndian32(std::string_view bytes, size_t pos) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) value = (value << 8) | static_cast<unsigned char>(bytes[pos + i]);
  return value;
}

bool IsHeifBrand(std::string_view brand) {
  static constexpr std::string_view kBrands[] = {"heic", "heix", "hevc", "hevx", "heim", "heis",
                                                 "hevm", "hevs", "mif1", "msf1", "avif", "avis"};
  return std::find(std::begin(kBrands), std::end(kBrands), brand) != std::end(kBrands);
}

}  // namespace

std::string_view FormatName(TImageFormat format) {
  switch (format) {
    case TImageFormat::kJpeg:
      return "JPEG";
    case TImageFormat::kPng:
      return "PNG";
    case TImageFormat::kTiff:
      return "TIFF";
    case TImageFormat::kWebp:
      return "WebP";
    case TImageFormat::kHeif:
      return "HEIF";
    case TImageFormat::kAvif:
      return "AVIF";
    case TImageFormat::kJxl:
      return "JPEG XL";
    case TImageFormat::kUnknown:
      break;
  }
  return {};
}

std::string_view FormatExtension(TImageFormat format) {
  switch (format) {
    case TImageFormat::kJpeg:
      return ".jpg";
    case TImageFormat::kPng:
      return ".png";
    case TImageFormat::kTiff:
      return ".tif";
    case TImageFormat::kWebp:
      return ".webp";
    case TImageFormat::kHeif:
      return ".heic";
    case TImageFormat::kAvif:
      return ".avif";
    case TImageFormat::kJxl:
      return ".jxl";
    case TImageFormat::kUnknown:
      break;
  }
  return {};
}

TImageFormat SniffImageFormat(std::string_view bytes) {
  if (bytes.starts_with("\xFF\xD8\xFF")) return TImageFormat::kJpeg;
  if (bytes.starts_with("\x89PNG\r\n\x1A\n")) return TImageFormat::kPng;
  for (std::string_view signature : {std::string_view("II*\0", 4), std::string_view("MM\0*", 4),
                                     std::string_view("II+\0", 4), std::string_view("MM\0+", 4)})
    if (bytes.starts_with(signature)) return TImageFormat::kTiff;
  if (bytes.size() >= 12 && bytes.starts_with("RIFF") && bytes.substr(8, 4) == "WEBP")
    return TImageFormat::kWebp;
  if (bytes.starts_with("\xFF\x0A") ||
      bytes.starts_with(std::string_view("\0\0\0\x0CJXL \x0D\x0A\x87\x0A", 12)))
    return TImageFormat::kJxl;
  // HEIF: a file type box naming a HEIF brand, as its major brand or a compatible one. AVIF
  // is HEIF with AV1 pictures.
  if (bytes.size() < 16 || bytes.substr(4, 4) != "ftyp") return TImageFormat::kUnknown;
  const size_t size = std::min<size_t>(BigEndian32(bytes, 0), bytes.size());
  bool heif = false;
  bool avif = false;
  for (size_t pos = 8; pos + 4 <= size; pos += 4) {
    if (pos == 12) continue;  // the minor version
    const std::string_view brand = bytes.substr(pos, 4);
    heif = heif || IsHeifBrand(brand);
    avif = avif || brand == "avif" || brand == "avis";
  }
  return avif ? TImageFormat::kAvif : heif ? TImageFormat::kHeif : TImageFormat::kUnknown;
}

TImageFormat PhotoFormatOfFile(const std::string& path, TDisk& disk) {
  std::string head;
  if (!disk.ReadFileStart(path, kFormatSniffBytes, head).Ok()) return TImageFormat::kUnknown;
  return SniffImageFormat(head);
}

}  // namespace vistrel
