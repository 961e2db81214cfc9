#include "imaging/image_header.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image_fixtures.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;

std::string Bytes(const char* text, size_t size) { return std::string(text, size); }

std::string Be32(uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 3; i >= 0; --i, value >>= 8)
    bytes[static_cast<size_t>(i)] = static_cast<char>(value);
  return bytes;
}

// Every "ispe" of a HEIF file set to width x height.
std::string WithIspe(std::string heif, uint32_t width, uint32_t height) {
  for (size_t at = heif.find("ispe"); at != std::string::npos; at = heif.find("ispe", at + 1))
    heif.replace(at + 8, 8, Be32(width) + Be32(height));
  return heif;
}

// A bare JPEG XL codestream whose size header declares a square of `side` pixels.
std::string JxlDeclaring(uint32_t side) {
  std::vector<bool> bits = {false};       // not a multiple of 8 below 256
  bits.insert(bits.end(), {true, true});  // height stored in 30 bits
  for (int i = 0; i < 30; ++i) bits.push_back(((side - 1) >> i) & 1);
  bits.insert(bits.end(), {true, false, false});  // aspect ratio 1:1
  std::string bytes = Bytes("\xFF\x0A", 2);
  for (size_t i = 0; i < bits.size(); i += 8) {
    unsigned char byte = 0;
    for (size_t b = 0; b < 8 && i + b < bits.size(); ++b) byte |= bits[i + b] << b;
    bytes.push_back(static_cast<char>(byte));
  }
  return bytes + std::string(16, '\0');
}

// A photo of each format declares its size in its header; nothing is decoded for it.
TEST(ImageHeaderTest, EveryFormatDeclaresItsSize) {
  for (TImageFormat format : kPhotoFormats) {
    const std::string photo = MakePhoto(format, 300, 200);
    const TImageHeader header = ParseImageHeader(photo);
    EXPECT_EQ(header.format, format) << FormatName(format);
    EXPECT_TRUE(header.valid) << FormatName(format);
    EXPECT_EQ(header.width, 300u) << FormatName(format);
    EXPECT_EQ(header.height, 200u) << FormatName(format);
    EXPECT_TRUE(IsWithinDecodeLimits(header, photo)) << FormatName(format);
  }
  // The same for odd sizes stored in few bits (WebP's and JPEG XL's small forms).
  for (TImageFormat format : {TImageFormat::kWebp, TImageFormat::kJxl, TImageFormat::kHeif}) {
    const TImageHeader header = ParseImageHeader(MakePhoto(format, 17, 9));
    EXPECT_EQ(header.width, 17u) << FormatName(format);
    EXPECT_EQ(header.height, 9u) << FormatName(format);
  }
}

// A small file that declares 100,000 x 100,000 pixels (or a part that large) is refused before
// any decoder sees it.
TEST(ImageHeaderTest, BombsOfEveryFormatAreOutsideTheLimits) {
  TTiff tiles;
  tiles.ifd0 = {Long(256, 100), Long(257, 100), Long(322, 100000), Long(323, 16)};
  TTiff huge;
  huge.ifd0 = {Long(256, 100000), Long(257, 100000)};
  const std::string webp = MakePhoto(TImageFormat::kWebp, 16, 16);
  const struct {
    const char* name;
    std::string bytes;
    uint32_t width;  // as declared, 0 when only a part is that large
  } cases[] = {
      {"PNG",
       Bytes("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16) + Be32(100000) + Be32(100000) +
           Bytes("\x08\x02\0\0\0", 5) + std::string(8, '\0'),
       100000},
      {"TIFF", BuildTiff(huge), 100000},
      {"TIFF tiles", BuildTiff(tiles), 0},
      {"WebP",
       Bytes("RIFF\x30\0\0\0WEBPVP8X\x0A\0\0\0\0\0\0\0", 24) +
           "\x9F\x86\x01"
           "\x9F\x86\x01" +
           std::string(8, '\0'),
       100000},
      {"HEIC", WithIspe(MakePhoto(TImageFormat::kHeif, 64, 64), 100000, 100000), 100000},
      {"AVIF", WithIspe(MakePhoto(TImageFormat::kAvif, 64, 64), 100000, 100000), 100000},
      {"JPEG XL", JxlDeclaring(100000), 100000},
      // Within each side's limit, beyond the pixels a whole decoding may make.
      {"PNG 16000 x 16000",
       Bytes("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16) + Be32(16000) + Be32(16000) +
           Bytes("\x08\x02\0\0\0", 5) + std::string(8, '\0'),
       16000},
  };
  for (const auto& c : cases) {
    const TImageHeader header = ParseImageHeader(c.bytes);
    EXPECT_TRUE(header.valid) << c.name;
    if (c.width) {
      EXPECT_EQ(header.width, c.width) << c.name;
    }
    EXPECT_FALSE(IsWithinDecodeLimits(header, c.bytes)) << c.name;
  }
}

// Headers cut short, declaring no size or pointing outside the file declare nothing; none is
// read past its end (the sanitizers watch).
TEST(ImageHeaderTest, BrokenHeadersDeclareNothing) {
  TTiff no_size;
  no_size.ifd0 = {Ascii(0x010F, "Canon")};
  std::string tiff_outside = BuildTiff(no_size);
  tiff_outside[4] = '\x7F';  // the first directory far behind the end
  std::vector<std::pair<std::string, std::string>> cases = {
      {"PNG of width 0", Bytes("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\0\0\0\0\0\x10", 24)},
      {"PNG without IHDR", Bytes("\x89PNG\r\n\x1A\n\0\0\0\x0DtEXt", 16)},
      {"TIFF without size", BuildTiff(no_size)},
      {"TIFF directory outside", tiff_outside},
      {"WebP without frame", Bytes("RIFF\x04\0\0\0WEBP", 12)},
      {"HEIF without meta", Bytes("\0\0\0\x18"
                                  "ftypheic\0\0\0\0mif1heic",
                                  24)},
      {"JPEG XL without size", Bytes("\xFF\x0A", 2)},
  };
  for (TImageFormat format : kPhotoFormats) {
    const std::string photo = MakePhoto(format, 300, 200);
    // A JPEG XL codestream declares its size in its first bytes.
    const size_t cut = format == TImageFormat::kJxl ? 3 : 20;
    cases.emplace_back(std::string(FormatName(format)) + " cut", photo.substr(0, cut));
    if (format == TImageFormat::kHeif || format == TImageFormat::kAvif)
      cases.emplace_back(std::string(FormatName(format)) + " cut in its metadata",
                         photo.substr(0, photo.find("ipma") + 6));
  }
  for (const auto& [name, bytes] : cases) {
    const TImageHeader header = ParseImageHeader(bytes);
    EXPECT_FALSE(header.valid) << name;
    EXPECT_FALSE(IsWithinDecodeLimits(header, bytes)) << name;
  }
  EXPECT_FALSE(ParseImageHeader("GIF89a").valid);
  EXPECT_EQ(ParseImageHeader("GIF89a").format, TImageFormat::kUnknown);
}

// A HEIF file's EXIF and XMP are found among its items.
TEST(ImageHeaderTest, HeifMetadataItemsAreFound) {
  TTiff tiff;
  tiff.ifd0 = {Ascii(0x010F, "Apple")};
  TPhotoOptions options;
  options.exif = BuildTiff(tiff);
  const std::string heic = MakePhoto(TImageFormat::kHeif, 64, 48, options);
  const THeifMetadata metadata = ReadHeifMetadata(heic);
  ASSERT_GE(metadata.exif.size(), 8u);
  EXPECT_TRUE(metadata.exif.starts_with(Bytes("II*\0", 4)) ||
              metadata.exif.starts_with(Bytes("MM\0*", 4)));
  EXPECT_NE(metadata.exif.find("Apple"), std::string_view::npos);
  EXPECT_TRUE(ReadHeifMetadata(heic.substr(0, 40)).exif.empty());
}

}  // namespace
}  // namespace vistrel
