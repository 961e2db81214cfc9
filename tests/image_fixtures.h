// Photos made by the tests: JPEGs encoded by libvips and EXIF blocks built byte by byte, so
// that every item type, every odd offset and every broken structure can be produced exactly.
// Linking this library starts the image library once for the whole test program.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/photo_format.h"

namespace vistrel::testing {

struct TJpegOptions {
  int bands = 3;  // 1 grey, 3 sRGB, 4 CMYK
  // How a CMYK picture (4 bands) is made of the sRGB one: through libvips' CMYK profile, kept
  // in the file or not, or by the plain formula browsers read a CMYK JPEG without profile with
  // (K = 255 - max(R, G, B), C = 255 * (max - R) / max, M and Y alike), written without one.
  enum class TCmyk { kProfile, kProfileEmbedded, kPlain };
  TCmyk cmyk = TCmyk::kProfile;
  bool progressive = false;
  int quality = 90;
  std::string icc_profile;  // a profile file to embed ("" for none)
  // Stores the picture so that it looks right once a viewer applies this EXIF orientation
  // (mirrored, turned or both); the size given is then the upright one. The EXIF tag itself
  // is not written.
  int stored_for_orientation = 1;
};

// A JPEG of `width` x `height` with a picture that shows where its top left is: the left half
// is red-ish, the right half blue-ish, and the top rows are brighter than the bottom ones.
std::string MakeJpeg(int width, int height, const TJpegOptions& options = {});

// Every format the program decodes.
inline constexpr TImageFormat kPhotoFormats[] = {
    TImageFormat::kJpeg, TImageFormat::kPng,  TImageFormat::kTiff, TImageFormat::kWebp,
    TImageFormat::kHeif, TImageFormat::kAvif, TImageFormat::kJxl};

// A photo of another format with MakeJpeg()'s picture (of width x height as shown).
struct TPhotoOptions {
  int stored_for_orientation = 1;  // as TJpegOptions'
  int exif_orientation = 1;        // written into the file's EXIF or TIFF tags when not 1
  bool transparent_left = false;   // the left half fully transparent
  int pages = 1;                   // further pages (or frames) are black
  std::string exif;                // a TIFF structure (BuildTiff) stored as the photo's EXIF
};
std::string MakePhoto(TImageFormat format, int width, int height,
                      const TPhotoOptions& options = {});

// A HEIF property box of one byte's value ("irot" with the angle, "imir" with the axis).
std::string HeifProperty(const char* type, unsigned char value);
// `heif` (as libvips writes it) with `boxes` added to its properties and associated with its
// primary image, in this order.
std::string WithHeifProperties(const std::string& heif, const std::vector<std::string>& boxes);

// One TIFF directory entry; `data` holds the value bytes in little-endian order.
struct TTiffEntry {
  uint16_t tag;
  uint16_t type;
  uint32_t count;
  std::string data;
};

TTiffEntry Ascii(uint16_t tag, const std::string& text);  // adds the NUL
TTiffEntry Short(uint16_t tag, uint16_t value);
TTiffEntry Long(uint16_t tag, uint32_t value);
TTiffEntry Rational(uint16_t tag, uint32_t numerator, uint32_t denominator);
TTiffEntry SRational(uint16_t tag, int32_t numerator, int32_t denominator);
TTiffEntry Rationals(uint16_t tag, const std::vector<std::pair<uint32_t, uint32_t>>& values);
TTiffEntry Bytes(uint16_t tag, uint16_t type, const std::string& data);

struct TTiff {
  std::vector<TTiffEntry> ifd0, exif, gps, ifd1;
};

// A little-endian TIFF structure with the Exif and GPS directories linked from IFD0 and IFD1
// as IFD0's successor.
std::string BuildTiff(const TTiff& tiff);

// `jpeg` with an APP1 "Exif" segment holding `tiff` inserted right after SOI.
std::string WithExif(const std::string& jpeg, const std::string& tiff);

// Size of a JPEG file as libvips sees it, and its band count and interpretation.
struct TImageInfo {
  int width = 0, height = 0, bands = 0;
  bool has_exif = false;
  bool has_icc = false;
};
TImageInfo InspectJpeg(const std::string& path);

// Mean of each band over a rectangle of a JPEG file.
std::vector<double> MeanColor(const std::string& path, int left, int top, int width, int height);

// Mean of each band's absolute difference between two pictures of the same size.
std::vector<double> MeanDifference(const std::string& path_a, const std::string& path_b);

}  // namespace vistrel::testing
