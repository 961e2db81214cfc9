#include "model/copy_format.h"

#include <gtest/gtest.h>

namespace vistrel {
namespace {

TEST(ImageFormatTest, CellsNameAFormatInAnyCaseAndEmptyIsJpeg) {
  const struct {
    const char* cell;
    std::optional<TImageFormat> format;
  } cases[] = {
      {"", TImageFormat::kJpeg},       {"  ", TImageFormat::kJpeg},
      {"JPEG", TImageFormat::kJpeg},   {"jpg", TImageFormat::kJpeg},
      {" WebP ", TImageFormat::kWebp}, {"webp", TImageFormat::kWebp},
      {"AVIF", TImageFormat::kAvif},   {"avif", TImageFormat::kAvif},
      {"gif", std::nullopt},           {"web p", std::nullopt},
      {"jpeg2000", std::nullopt},      {"AVIF\n", TImageFormat::kAvif},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseImageFormat(c.cell), c.format) << c.cell;
  for (TImageFormat format : {TImageFormat::kJpeg, TImageFormat::kWebp, TImageFormat::kAvif})
    EXPECT_EQ(ParseImageFormat(ImageFormatName(format)), format);
}

TEST(ImageFormatTest, ACopyTakesTheExtensionOfItsFormatAndAJpegThePhotosOwn) {
  const struct {
    TImageFormat format;
    const char* photo;
    const char* copy;
  } cases[] = {
      {TImageFormat::kJpeg, ".jpg", ".jpg"},  {TImageFormat::kJpeg, ".JPEG", ".JPEG"},
      {TImageFormat::kJpeg, "", ".jpg"},      {TImageFormat::kJpeg, ".png", ".jpg"},
      {TImageFormat::kWebp, ".JPG", ".webp"}, {TImageFormat::kAvif, ".jpeg", ".avif"},
      {TImageFormat::kWebp, "", ".webp"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ImageFormatExtension(c.format, c.photo), c.copy)
        << ImageFormatName(c.format) << " " << c.photo;
}

}  // namespace
}  // namespace vistrel
