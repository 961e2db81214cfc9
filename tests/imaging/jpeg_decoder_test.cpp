#include "imaging/jpeg_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vips/vips8>

#include "image_fixtures.h"
#include "imaging/photo_decoder.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;
using vips::VImage;

TEST(JpegDecoderTest, EighthsAreTheSmallestThatCoverTheNeed) {
  struct {
    int64_t width, height, need_width, need_height;
    int eighths;
  } cases[] = {
      {4000, 3000, 1024, 768, 3},  // 1500 x 1125; 1000 x 750 would be too small
      {4000, 2667, 1024, 683, 3},  // by the photo's own height, 1000.125 rows
      {4000, 3000, 160, 120, 1},   // 500 x 375
      {800, 600, 100, 75, 1},      // exactly an eighth
      {800, 600, 101, 75, 2},      // a pixel more
      {800, 600, 100, 76, 2},     {4000, 3000, 4000, 3000, 8},
      {1000, 1000, 1001, 10, 8},  // larger than the photo: the whole photo
  };
  for (const auto& c : cases)
    EXPECT_EQ(EighthsFor(c.width, c.height, c.need_width, c.need_height), c.eighths)
        << c.width << " x " << c.height << " for " << c.need_width << " x " << c.need_height;
}

// The picture has every pixel the photo touches at its scale: at the halves libvips' own loader
// offers, the decoder gives that loader's pixels (which leaves out a last row or column only
// partly covered); at other eighths it looks like the photo.
TEST(JpegDecoderTest, PicturesAreThoseOfLibvipsLoaderAtEveryScale) {
  for (bool progressive : {false, true}) {
    TJpegOptions options;
    options.progressive = progressive;
    const std::string jpeg = MakeJpeg(803, 601, options);
    const TBlob blob(jpeg);
    for (int eighths : {1, 2, 4, 8}) {
      const VImage mine = DecodeColourJpeg(jpeg, eighths);
      const VImage theirs =
          VImage::jpegload_buffer(blob.get(), VImage::option()->set("shrink", 8 / eighths));
      EXPECT_EQ(mine.width(), (803 * eighths + 7) / 8) << eighths;
      EXPECT_EQ(mine.height(), (601 * eighths + 7) / 8) << eighths;
      EXPECT_EQ(mine.bands(), 3);
      ASSERT_EQ(theirs.width(), 803 * eighths / 8) << eighths;
      ASSERT_EQ(theirs.height(), 601 * eighths / 8) << eighths;
      const VImage common = mine.crop(0, 0, theirs.width(), theirs.height());
      EXPECT_LT((common - theirs).abs().max(), 1.0) << eighths << " progressive " << progressive;
    }
    for (int eighths : {3, 5, 6, 7}) {
      const VImage mine = DecodeColourJpeg(jpeg, eighths);
      EXPECT_EQ(mine.width(), (803 * eighths + 7) / 8) << eighths;
      EXPECT_EQ(mine.height(), (601 * eighths + 7) / 8) << eighths;
      const VImage whole =
          VImage::jpegload_buffer(blob.get())
              .resize(eighths / 8.0, VImage::option()->set("kernel", VIPS_KERNEL_LINEAR));
      const VImage common = mine.crop(0, 0, whole.width(), whole.height());
      EXPECT_LT((common - whole).abs().avg(), 3.0) << eighths << " progressive " << progressive;
    }
  }
}

TEST(JpegDecoderTest, ItsEmbeddedProfileComesWithThePicture) {
  TJpegOptions options;
  options.icc_profile = "srgb";  // libvips' own
  const std::string jpeg = MakeJpeg(64, 48, options);
  const VImage picture = DecodeColourJpeg(jpeg, 3);
  const TBlob blob(jpeg);
  const VImage theirs = VImage::jpegload_buffer(blob.get());
  ASSERT_TRUE(picture.get_typeof(VIPS_META_ICC_NAME));
  size_t length = 0, their_length = 0;
  const void* data = picture.get_blob(VIPS_META_ICC_NAME, &length);
  const void* their_data = theirs.get_blob(VIPS_META_ICC_NAME, &their_length);
  EXPECT_GT(length, 100u);
  EXPECT_EQ(std::string(static_cast<const char*>(data), length),
            std::string(static_cast<const char*>(their_data), their_length));
  EXPECT_FALSE(DecodeColourJpeg(MakeJpeg(64, 48), 3).get_typeof(VIPS_META_ICC_NAME));
}

// A photo whose data ends early fails as it does in libvips' loader; grey and CMYK photos
// and what is no JPEG are not taken; neither is a scale that is no eighth.
TEST(JpegDecoderTest, WhatItCannotDecodeFails) {
  const std::string jpeg = MakeJpeg(400, 300);
  TJpegOptions grey, cmyk;
  grey.bands = 1;
  cmyk.bands = 4;
  const std::string refused[] = {jpeg.substr(0, jpeg.size() / 2), MakeJpeg(400, 300, grey),
                                 MakeJpeg(400, 300, cmyk), "no photo", ""};
  for (const std::string& bytes : refused)
    EXPECT_THROW(DecodeColourJpeg(bytes, 4), vips::VError) << bytes.size() << " bytes";
  EXPECT_THROW(DecodeColourJpeg(jpeg, 0), vips::VError);
  EXPECT_THROW(DecodeColourJpeg(jpeg, 9), vips::VError);
}

// The photo decoder takes any eighth for colour JPEGs and leaves the others to libvips, which
// shrinks by halves, and decodes other formats whole.
TEST(JpegDecoderTest, ThePhotoDecoderChoosesItsScaleByThePhoto) {
  TJpegOptions grey;
  grey.bands = 1;
  const std::string colour = MakeJpeg(800, 600), grey_jpeg = MakeJpeg(800, 600, grey),
                    png = MakePhoto(TImageFormat::kPng, 800, 600);
  struct {
    const std::string* photo;
    TSize need;
    int eighths;
  } cases[] = {
      {&colour, {300, 10}, 3},    {&colour, {100, 75}, 1},    {&colour, {800, 600}, 8},
      {&grey_jpeg, {300, 10}, 4}, {&grey_jpeg, {100, 75}, 1}, {&png, {100, 75}, 8},
  };
  for (const auto& c : cases) {
    const TPhotoDecoder decoder(*c.photo);
    ASSERT_TRUE(decoder.Ok());
    EXPECT_EQ(decoder.Eighths(c.need), c.eighths) << c.need.width;
    const TDecodedPicture picture = decoder.Decode(c.need, false);
    EXPECT_EQ(picture.eighths, c.eighths);
    EXPECT_EQ(picture.image.width(), 800 * c.eighths / 8) << c.need.width;
  }
}

}  // namespace
}  // namespace vistrel
