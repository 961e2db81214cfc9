#include "imaging/pixel_pool.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>
#include <vips/vips8>

#include "image_fixtures.h"
#include "imaging/jpeg_decoder.h"

namespace vistrel {
namespace {

using vips::VImage;

void Fill(const VImage& picture, unsigned char value) {
  std::memset(VIPS_IMAGE_ADDR(picture.get_image(), 0, 0), value,
              VIPS_IMAGE_SIZEOF_IMAGE(picture.get_image()));
}

TEST(PixelPoolTest, PicturesAliveTogetherKeepTheirOwnPixels) {
  TPixelPool pool;
  VImage first = pool.Picture(40, 30);
  Fill(first, 10);
  {
    VImage dropped = pool.Picture(40, 30);
    Fill(dropped, 99);
  }
  // The second one's buffer is spare now and taken again; the first one's is still in use.
  VImage second = pool.Picture(20, 30);
  Fill(second, 200);
  EXPECT_EQ(first.avg(), 10.0);
  EXPECT_EQ(second.avg(), 200.0);
  EXPECT_EQ(first.width(), 40);
  EXPECT_EQ(first.bands(), 3);
  EXPECT_EQ(first.interpretation(), VIPS_INTERPRETATION_sRGB);
}

// The pool holds no more buffers than were in use at once, each as large as the largest picture
// it held: a buffer too small makes way for a larger one instead of staying beside it.
TEST(PixelPoolTest, ItKeepsWhatWasInUseAtOnceAndNoMore) {
  TPixelPool pool;
  const size_t small = 10 * 10 * 3, large = 100 * 10 * 3;
  struct Step {
    int width;  // of a picture taken and dropped (10 pixels high)
    size_t spare;
  } steps[] = {{10, small}, {10, small}, {5, small}, {100, large}, {10, large}, {100, large}};
  for (const Step& step : steps) {
    { const VImage picture = pool.Picture(step.width, 10); }
    EXPECT_EQ(pool.SpareBytes(), step.spare) << "after a picture " << step.width << " wide";
  }
  {
    const VImage a = pool.Picture(100, 10), b = pool.Picture(10, 10);
    EXPECT_EQ(pool.SpareBytes(), 0u);
  }
  EXPECT_EQ(pool.SpareBytes(), large + small);
  EXPECT_THROW(pool.Picture(0, 10), vips::VError);
}

// Decoding a photo again while its first decoding is still in use (another scale for another
// copy) leaves the first one's pixels as they were.
TEST(PixelPoolTest, ADecodingInUseIsNotOverwrittenByTheNext) {
  const std::string photo = testing::MakeJpeg(64, 48);
  const VImage whole = DecodeColourJpeg(photo, 8);
  const auto pixels = [](const VImage& picture) {
    const auto* first =
        static_cast<const unsigned char*>(VIPS_IMAGE_ADDR(picture.get_image(), 0, 0));
    return std::vector<unsigned char>(first, first + VIPS_IMAGE_SIZEOF_IMAGE(picture.get_image()));
  };
  const std::vector<unsigned char> saved = pixels(whole);
  {
    // The same size, stored upside down: other pixels for a buffer of the same size.
    testing::TJpegOptions turned;
    turned.stored_for_orientation = 3;
    const VImage other = DecodeColourJpeg(testing::MakeJpeg(64, 48, turned), 8);
    EXPECT_NE(pixels(other), saved);
  }
  const VImage half = DecodeColourJpeg(photo, 4);
  EXPECT_EQ(half.width(), 32);
  EXPECT_EQ(pixels(whole), saved);
}

}  // namespace
}  // namespace vistrel
