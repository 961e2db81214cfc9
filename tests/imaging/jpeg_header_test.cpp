#include "imaging/jpeg_header.h"

#include <gtest/gtest.h>

#include "image_fixtures.h"

namespace vistrel {
namespace {

using testing::MakeJpeg;
using testing::TJpegOptions;

// `jpeg` with the frame header's height and width replaced.
std::string WithDeclaredSize(std::string jpeg, uint16_t width, uint16_t height) {
  const TJpegHeader header = ParseJpegHeader(jpeg);
  for (size_t i = 2; i + 9 < jpeg.size(); ++i) {
    auto marker = static_cast<unsigned char>(jpeg[i + 1]);
    if (static_cast<unsigned char>(jpeg[i]) == 0xFF && (marker == 0xC0 || marker == 0xC2)) {
      jpeg[i + 5] = static_cast<char>(height >> 8);
      jpeg[i + 6] = static_cast<char>(height & 0xFF);
      jpeg[i + 7] = static_cast<char>(width >> 8);
      jpeg[i + 8] = static_cast<char>(width & 0xFF);
      break;
    }
  }
  EXPECT_TRUE(header.valid);
  return jpeg;
}

// A progressive frame followed by `scans` tiny scans.
std::string ScanBomb(int scans, uint16_t width = 64, uint16_t height = 64) {
  std::string bytes = "\xFF\xD8";
  bytes += std::string("\xFF\xC2\x00\x0B\x08", 5) + char(height >> 8) + char(height & 0xFF) +
           char(width >> 8) + char(width & 0xFF) + std::string("\x01\x01\x11\x00", 4);
  for (int i = 0; i < scans; ++i)
    bytes += std::string("\xFF\xDA\x00\x08\x01\x01\x00\x00\x00\x00", 10) + "\x12\x34\xFF\x00\x56";
  return bytes + "\xFF\xD9";
}

TEST(JpegHeaderTest, ReadsSizeComponentsAndMode) {
  const TJpegHeader baseline = ParseJpegHeader(MakeJpeg(123, 45));
  EXPECT_TRUE(baseline.valid);
  EXPECT_EQ(baseline.width, 123u);
  EXPECT_EQ(baseline.height, 45u);
  EXPECT_EQ(baseline.components, 3);
  EXPECT_FALSE(baseline.progressive);

  TJpegOptions options;
  options.progressive = true;
  options.bands = 1;
  const std::string progressive = MakeJpeg(64, 32, options);
  const TJpegHeader header = ParseJpegHeader(progressive);
  EXPECT_TRUE(header.progressive);
  EXPECT_EQ(header.components, 1);
  EXPECT_GT(CountJpegScans(progressive, 1000), 1);
  EXPECT_TRUE(IsWithinDecodeLimits(header, progressive));
}

TEST(JpegHeaderTest, RefusesWhatIsNoJpeg) {
  for (const std::string& bytes : {std::string(), std::string("\xFF"), std::string("GIF89a"),
                                  std::string("\xFF\xD8\xFF\xE0\x00\x01", 6),
                                  std::string("\xFF\xD8\xFF\xD9", 4)})
    EXPECT_FALSE(ParseJpegHeader(bytes).valid);
}

TEST(JpegHeaderTest, DecompressionBombsAreOutsideTheLimits) {
  const std::string bomb = WithDeclaredSize(MakeJpeg(16, 16), 60000, 60000);
  const TJpegHeader header = ParseJpegHeader(bomb);
  EXPECT_EQ(header.width, 60000u);
  EXPECT_FALSE(IsWithinDecodeLimits(header, bomb));
  const std::string wide = WithDeclaredSize(MakeJpeg(16, 16), 16385, 10);
  EXPECT_FALSE(IsWithinDecodeLimits(ParseJpegHeader(wide), wide));
  const std::string largest = WithDeclaredSize(MakeJpeg(16, 16), 16384, 16384);
  EXPECT_TRUE(IsWithinDecodeLimits(ParseJpegHeader(largest), largest));
  const std::string progressive_bomb = ScanBomb(3, 12000, 12000);  // 144 megapixels
  EXPECT_FALSE(IsWithinDecodeLimits(ParseJpegHeader(progressive_bomb), progressive_bomb));
}

TEST(JpegHeaderTest, ScanBombsAreOutsideTheLimits) {
  const std::string few = ScanBomb(100);
  EXPECT_EQ(CountJpegScans(few, 1000), 100);
  EXPECT_TRUE(IsWithinDecodeLimits(ParseJpegHeader(few), few));
  const std::string many = ScanBomb(500);
  EXPECT_EQ(CountJpegScans(many, kMaxProgressiveScans), kMaxProgressiveScans + 1);
  EXPECT_FALSE(IsWithinDecodeLimits(ParseJpegHeader(many), many));
}

}  // namespace
}  // namespace vistrel
