#include "imaging/location_remover.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "image_fixtures.h"
#include "imaging/exiv2_include.h"
#include "model/photo_format.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;

// `bytes` with the metadata `fill` adds, written by exiv2.
std::string WithMetadata(const std::string& bytes, const std::function<void(Exiv2::Image&)>& fill) {
  auto image = Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte*>(bytes.data()),
                                         static_cast<long>(bytes.size()));
  image->readMetadata();
  fill(*image);
  image->writeMetadata();
  Exiv2::BasicIo& io = image->io();
  std::string written(static_cast<size_t>(io.size()), '\0');
  io.seek(0, Exiv2::BasicIo::beg);
  io.read(reinterpret_cast<Exiv2::byte*>(written.data()), static_cast<long>(written.size()));
  return written;
}

// The metadata keys exiv2 reads from `bytes`.
std::vector<std::string> Keys(const std::string& bytes) {
  auto image = Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte*>(bytes.data()),
                                         static_cast<long>(bytes.size()));
  image->readMetadata();
  std::vector<std::string> keys;
  for (const auto& datum : image->exifData()) keys.push_back(datum.key());
  for (const auto& datum : image->xmpData()) keys.push_back(datum.key());
  for (const auto& datum : image->iptcData()) keys.push_back(datum.key());
  return keys;
}

bool HasKeyStarting(const std::vector<std::string>& keys, const std::string& start) {
  for (const std::string& key : keys)
    if (key.rfind(start, 0) == 0) return true;
  return false;
}

// Every place a photo can name, beside data that must stay.
void AddPlaces(Exiv2::Image& image, bool iptc) {
  Exiv2::ExifData& exif = image.exifData();
  exif["Exif.Image.Artist"] = "Anna";
  exif["Exif.GPSInfo.GPSLatitudeRef"] = "N";
  exif["Exif.GPSInfo.GPSLatitude"] = "47/1 22/1 3600/100";
  exif["Exif.GPSInfo.GPSLongitudeRef"] = "E";
  exif["Exif.GPSInfo.GPSLongitude"] = "8/1 32/1 3000/100";
  Exiv2::XmpData& xmp = image.xmpData();
  xmp["Xmp.dc.title"] = "lang=x-default Abend";
  xmp["Xmp.photoshop.City"] = "Zürich";
  xmp["Xmp.photoshop.Country"] = "Schweiz";
  xmp["Xmp.exif.GPSLatitude"] = "47,22.6N";
  xmp["Xmp.iptc.Location"] = "Seeufer";
  if (iptc) {
    Exiv2::IptcData& record = image.iptcData();
    record["Iptc.Application2.ObjectName"] = "Abend";
    record["Iptc.Application2.City"] = "Zürich";
    record["Iptc.Application2.CountryName"] = "Schweiz";
    record["Iptc.Application2.SubLocation"] = "Seeufer";
  }
}

TEST(LocationRemoverTest, TakesEveryPlaceOutOfTheFormatsExiv2Writes) {
  for (TImageFormat format :
       {TImageFormat::kJpeg, TImageFormat::kPng, TImageFormat::kTiff, TImageFormat::kWebp}) {
    SCOPED_TRACE(FormatExtension(format));
    const bool iptc = format != TImageFormat::kWebp;  // exiv2 keeps no IPTC in WebP
    std::string bytes = WithMetadata(MakePhoto(format, 16, 12),
                                     [&](Exiv2::Image& image) { AddPlaces(image, iptc); });
    ASSERT_TRUE(HasKeyStarting(Keys(bytes), "Exif.GPSInfo."));
    ASSERT_TRUE(HasKeyStarting(Keys(bytes), "Xmp.photoshop.City"));
    const std::string before = bytes;
    ASSERT_EQ(RemoveLocation(bytes), TLocationRemoval::kRemoved);
    EXPECT_EQ(SniffImageFormat(bytes), format);
    const std::vector<std::string> keys = Keys(bytes);
    for (const char* place : {"Exif.GPSInfo.", "Xmp.photoshop.City", "Xmp.photoshop.Country",
                              "Xmp.exif.GPS", "Xmp.iptc.Location", "Iptc.Application2.City",
                              "Iptc.Application2.CountryName", "Iptc.Application2.SubLocation"})
      EXPECT_FALSE(HasKeyStarting(keys, place)) << place;
    for (const char* kept : {"Exif.Image.Artist", "Xmp.dc.title"})
      EXPECT_TRUE(HasKeyStarting(keys, kept)) << kept;
    if (iptc) {
      EXPECT_TRUE(HasKeyStarting(keys, "Iptc.Application2.ObjectName"));
    }
    // A second time there is nothing left to take.
    EXPECT_EQ(RemoveLocation(bytes), TLocationRemoval::kNone);
  }
}

TEST(LocationRemoverTest, APhotoWithoutAPlaceStaysByteForByte) {
  for (TImageFormat format : kPhotoFormats) {
    if (format == TImageFormat::kJxl) continue;
    SCOPED_TRACE(FormatExtension(format));
    std::string bytes = MakePhoto(format, 16, 12);
    if (format == TImageFormat::kJpeg)
      bytes = WithMetadata(bytes, [](Exiv2::Image& image) {
        image.exifData()["Exif.Image.Artist"] = "Anna";
        image.xmpData()["Xmp.dc.title"] = "lang=x-default Abend";
      });
    const std::string before = bytes;
    EXPECT_EQ(RemoveLocation(bytes), TLocationRemoval::kNone);
    EXPECT_EQ(bytes, before);
  }
}

// exiv2 only reads HEIF and AVIF, and does not read JPEG XL: such a photo with a place, or one
// whose metadata cannot be read, is left as it is and said to be unclean.
TEST(LocationRemoverTest, WhatCannotBeCleanedIsSaidSoAndLeftAlone) {
  TTiff tiff;
  tiff.ifd0 = {Ascii(0x013B, "Anna")};
  tiff.gps = {Ascii(0x0001, "N"), Rationals(0x0002, {{47, 1}, {22, 1}, {36, 1}}),
              Ascii(0x0003, "E"), Rationals(0x0004, {{8, 1}, {32, 1}, {30, 1}})};
  for (TImageFormat format : {TImageFormat::kHeif, TImageFormat::kAvif}) {
    SCOPED_TRACE(FormatExtension(format));
    std::string bytes = MakePhoto(format, 16, 12, {.exif = BuildTiff(tiff)});
    const std::string before = bytes;
    EXPECT_EQ(RemoveLocation(bytes), TLocationRemoval::kCannotRemove);
    EXPECT_EQ(bytes, before);
  }
  std::string jxl = MakePhoto(TImageFormat::kJxl, 16, 12);
  EXPECT_EQ(RemoveLocation(jxl), TLocationRemoval::kCannotRemove);
  std::string text = "kein Foto";
  EXPECT_EQ(RemoveLocation(text), TLocationRemoval::kCannotRemove);
}

}  // namespace
}  // namespace vistrel
