#include "imaging/photo_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image_fixtures.h"
#include "imaging/metadata.h"
#include "model/value_list.h"
#include "test_support.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;

std::string Name(TImageFormat format) { return std::string(FormatName(format)); }

class PhotoDecoderTest : public ::testing::Test {
 protected:
  // The copy the run makes of `photo` for a 400 x 400 box, written as "<name>-copy.jpg".
  std::string Copy(const std::string& name, const std::string& photo) {
    WriteFile(dir_ / name, photo);
    std::vector<TScaledCopy> copies;
    if (!ScaleToJpegs(dir_ / name, {{400, 400, 95}}, copies) || copies[0].jpeg.empty()) return {};
    WriteFile(dir_ / (name + "-copy.jpg"), copies[0].jpeg);
    return dir_ / (name + "-copy.jpg");
  }
  // True when `copy` (400 x 200) shows the test picture upright: red left, blue right, bright
  // at the top.
  static ::testing::AssertionResult IsUpright(const std::string& copy) {
    const TImageInfo info = InspectJpeg(copy);
    if (info.width != 400 || info.height != 200 || info.bands != 3)
      return ::testing::AssertionFailure()
             << "size " << info.width << " x " << info.height << ", " << info.bands << " bands";
    const auto left = MeanColor(copy, 20, 20, 160, 160);
    const auto right = MeanColor(copy, 220, 20, 160, 160);
    const auto top = MeanColor(copy, 0, 0, 400, 40);
    const auto bottom = MeanColor(copy, 0, 160, 400, 40);
    if (left[0] < left[2] + 20 || right[2] < right[0] + 20 || top[1] < bottom[1] + 20)
      return ::testing::AssertionFailure()
             << "left " << left[0] << "/" << left[2] << ", right " << right[0] << "/" << right[2]
             << ", top " << top[1] << ", bottom " << bottom[1];
    return ::testing::AssertionSuccess();
  }
  TempDir dir_;
};

// Photos of every format become upright 8-bit sRGB JPEG copies with their colours; the image
// list's previews and full views are made of them too.
TEST_F(PhotoDecoderTest, EveryFormatGivesAnUprightJpegCopy) {
  for (TImageFormat format : kPhotoFormats) {
    const std::string name = "photo-" + Name(format);
    const std::string copy = Copy(name, MakePhoto(format, 800, 400));
    ASSERT_FALSE(copy.empty()) << Name(format);
    EXPECT_TRUE(IsUpright(copy)) << Name(format);
    EXPECT_FALSE(InspectJpeg(copy).has_exif) << Name(format);
    const TBitmap preview = RenderPreviewBitmap(dir_ / name, 121, 105);
    EXPECT_EQ(preview.width, 121) << Name(format);
    EXPECT_EQ(preview.height, 61) << Name(format);
    const TBitmap full = RenderFullSizeBitmap(dir_ / name);
    EXPECT_EQ(full.width, 800) << Name(format);
    EXPECT_EQ(full.height, 400) << Name(format);
  }
}

// The EXIF orientation of other formats than JPEG is applied as a JPEG's is.
TEST_F(PhotoDecoderTest, ExifOrientationOfOtherFormatsIsApplied) {
  for (TImageFormat format : {TImageFormat::kTiff, TImageFormat::kWebp}) {
    for (int orientation : {3, 6, 8}) {
      TPhotoOptions options;
      options.stored_for_orientation = orientation;
      options.exif_orientation = orientation;
      const std::string name = Name(format) + "-o" + std::to_string(orientation);
      const std::string copy = Copy(name, MakePhoto(format, 800, 400, options));
      ASSERT_FALSE(copy.empty()) << name;
      EXPECT_TRUE(IsUpright(copy)) << name;
    }
  }
}

// A HEIF photo is turned and mirrored by its own properties ("irot" turns anticlockwise by
// quarters, "imir" mirrors top to bottom (0) or left to right (1), as the amended standard and
// phones have it, in the order they are associated): stored as a camera stores a photo for
// each EXIF orientation, it comes out upright, and its metadata tell the upright size.
TEST_F(PhotoDecoderTest, HeifRotationAndMirroringAreApplied) {
  const std::vector<std::string> transforms[] = {
      {},
      {HeifProperty("imir", 1)},
      {HeifProperty("irot", 2)},
      {HeifProperty("imir", 0)},
      {HeifProperty("irot", 3), HeifProperty("imir", 1)},
      {HeifProperty("irot", 3)},
      {HeifProperty("irot", 3), HeifProperty("imir", 0)},
      {HeifProperty("irot", 1)},
  };
  for (int orientation = 1; orientation <= 8; ++orientation) {
    TPhotoOptions options;
    options.stored_for_orientation = orientation;
    // An EXIF orientation in a HEIF file is not applied again: the properties rule.
    TTiff tiff;
    tiff.ifd0 = {Short(0x0112, 6)};
    options.exif = BuildTiff(tiff);
    const std::string heic = WithHeifProperties(MakePhoto(TImageFormat::kHeif, 800, 400, options),
                                                transforms[orientation - 1]);
    const std::string name = "o" + std::to_string(orientation) + ".heic";
    const std::string copy = Copy(name, heic);
    ASSERT_FALSE(copy.empty()) << orientation;
    EXPECT_TRUE(IsUpright(copy)) << orientation;
    TVTLValueList metadata;
    ReadImageMetadata(dir_ / name, metadata);
    EXPECT_EQ(metadata.ValueOf("Width"), "800") << orientation;
    EXPECT_EQ(metadata.ValueOf("Height"), "400") << orientation;
    const TBitmap preview = RenderPreviewBitmap(dir_ / name, 121, 105);
    EXPECT_EQ(preview.width, 121) << orientation;
  }
}

// Transparent parts are laid over white.
TEST_F(PhotoDecoderTest, TransparencyIsFlattenedOntoWhite) {
  TPhotoOptions options;
  options.transparent_left = true;
  for (TImageFormat format :
       {TImageFormat::kPng, TImageFormat::kWebp, TImageFormat::kTiff, TImageFormat::kHeif}) {
    const std::string copy = Copy("alpha-" + Name(format), MakePhoto(format, 800, 400, options));
    ASSERT_FALSE(copy.empty()) << Name(format);
    const auto left = MeanColor(copy, 20, 20, 160, 160);
    for (double value : left) EXPECT_GT(value, 245) << Name(format);
    const auto right = MeanColor(copy, 220, 20, 160, 160);
    EXPECT_GT(right[2], right[0] + 20) << Name(format);
  }
}

// Of a multi-page TIFF or an animated WebP, the first page or frame is the photo.
TEST_F(PhotoDecoderTest, TheFirstPageOrFrameIsThePhoto) {
  TPhotoOptions options;
  options.pages = 3;
  for (TImageFormat format : {TImageFormat::kTiff, TImageFormat::kWebp}) {
    const std::string copy = Copy("pages-" + Name(format), MakePhoto(format, 800, 400, options));
    ASSERT_FALSE(copy.empty()) << Name(format);
    EXPECT_TRUE(IsUpright(copy)) << Name(format);
  }
}

// What cannot be decoded says why: no format the program takes, beyond the limits, or damaged.
TEST_F(PhotoDecoderTest, WhatCannotBeDecodedSaysWhy) {
  const std::string heic = MakePhoto(TImageFormat::kHeif, 64, 64);
  std::string huge_heic = heic;
  for (size_t at = huge_heic.find("ispe"); at != std::string::npos;
       at = huge_heic.find("ispe", at + 1))
    huge_heic.replace(at + 8, 8, std::string("\0\x01\x86\xA0\0\x01\x86\xA0", 8));
  const std::string png = MakePhoto(TImageFormat::kPng, 64, 64);
  std::string huge_png = png;
  huge_png.replace(16, 8, std::string("\0\x01\x86\xA0\0\x01\x86\xA0", 8));
  std::string wrong_png = png;  // declares a size its pixels do not have
  wrong_png.replace(16, 8, std::string("\0\0\x10\0\0\0\x10\0", 8));
  const struct {
    const char* name;
    std::string bytes;
    TDecodeFailure failure;
  } cases[] = {
      {"GIF", "GIF89a\x01\x00\x01\x00\x80\x00\x00", TDecodeFailure::kUnsupported},
      {"SVG", "<svg xmlns='http://www.w3.org/2000/svg' width='10' height='10'/>",
       TDecodeFailure::kUnsupported},
      {"text", "Urlaub", TDecodeFailure::kUnsupported},
      {"PNG of 100,000 x 100,000", huge_png, TDecodeFailure::kTooLarge},
      {"HEIC of 100,000 x 100,000", huge_heic, TDecodeFailure::kTooLarge},
      {"HEIC cut", heic.substr(0, heic.size() / 3), TDecodeFailure::kDamaged},
      {"PNG cut", png.substr(0, 20), TDecodeFailure::kDamaged},
  };
  for (const auto& c : cases) {
    const TPhotoDecoder decoder(c.bytes);
    EXPECT_EQ(decoder.Failure(), c.failure) << c.name;
    EXPECT_FALSE(decoder.Ok()) << c.name;
    std::vector<TScaledCopy> copies;
    EXPECT_FALSE(ScaleJpegData(c.bytes, {{100, 100, 80}}, copies)) << c.name;
  }
  EXPECT_EQ(DecodeFailureText(TDecodeFailure::kUnsupported), "Format nicht unterstützt");
  // A PNG whose pixels do not fill the size it declares gives no copy either.
  std::vector<TScaledCopy> copies;
  EXPECT_FALSE(ScaleJpegData(wrong_png, {{100, 100, 80}}, copies));
}

// The EXIF of other formats is read as a JPEG's, and their size is the upright one.
TEST_F(PhotoDecoderTest, MetadataOfOtherFormatsIsRead) {
  TTiff tiff;
  tiff.ifd0 = {Ascii(0x010F, "Apple"), Ascii(0x0110, "iPhone 15")};
  TPhotoOptions options;
  options.exif = BuildTiff(tiff);
  for (TImageFormat format : {TImageFormat::kHeif, TImageFormat::kAvif, TImageFormat::kWebp}) {
    WriteFile(dir_ / "m", MakePhoto(format, 120, 80, options));
    TVTLValueList metadata;
    ReadImageMetadata(dir_ / "m", metadata);
    EXPECT_EQ(metadata.ValueOf("EquipMake"), "Apple") << Name(format);
    EXPECT_EQ(metadata.ValueOf("Width"), "120") << Name(format);
    EXPECT_EQ(metadata.ValueOf("Height"), "80") << Name(format);
  }
  for (TImageFormat format : {TImageFormat::kPng, TImageFormat::kTiff, TImageFormat::kJxl}) {
    WriteFile(dir_ / "n", MakePhoto(format, 120, 80));
    TVTLValueList metadata;
    ReadImageMetadata(dir_ / "n", metadata);
    EXPECT_EQ(metadata.ValueOf("Width"), "120") << Name(format);
    EXPECT_EQ(metadata.ValueOf("Height"), "80") << Name(format);
  }
}

}  // namespace
}  // namespace vistrel
