#include "imaging/image_operations.h"

#include <gtest/gtest.h>
#include <lcms2.h>

#include <vips/vips8>

#include "image_fixtures.h"
#include "test_support.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;

TEST(FitIntoBoxTest, ExamplesOfTheSizingRule) {
  struct Case {
    int64_t w, h, box_w, box_h, out_w, out_h;
  } cases[] = {
      {4000, 3000, 800, 600, 800, 600},  // equal quotients: the height binds
      {3000, 4000, 800, 600, 450, 600},
      {1000, 500, 800, 600, 800, 400},
      {400, 300, 800, 600, 800, 600},  // smaller images are enlarged
      {2, 1, 3, 3, 3, 2},              // 1.5 rounds up
      {1001, 333, 100, 100, 100, 33},
      {3000, 2000, 160, 160, 160, 107},
      {600, 800, 800, 600, 450, 600},
      {1600, 1200, 800, 600, 800, 600},
      {10000, 1, 100, 100, 100, 0},  // a side may round to 0
      {0, 0, 100, 100, -1, 100},     // an unreadable image: the divisor is 0
  };
  for (const auto& c : cases)
    EXPECT_EQ(FitIntoBox(c.w, c.h, c.box_w, c.box_h), (TSize{c.out_w, c.out_h}))
        << c.w << "x" << c.h << " into " << c.box_w << "x" << c.box_h;
}

TEST(FitIntoBoxTest, MulDivRoundsHalvesAwayFromZero) {
  EXPECT_EQ(MulDiv(3, 1, 2), 2);
  EXPECT_EQ(MulDiv(-3, 1, 2), -2);
  EXPECT_EQ(MulDiv(5, 1, 4), 1);
  EXPECT_EQ(MulDiv(160, 2000, 3000), 107);
  EXPECT_EQ(MulDiv(7, 3, 0), -1);
  EXPECT_EQ(MulDiv(0x7FFFFFFF, 4, 2), -1);  // does not fit in 32 bits
  EXPECT_EQ(MulDiv(0x40000000, 0x40000000, 0x40000000), 0x40000000);
}

class ImageOperationsTest : public ::testing::Test {
 protected:
  std::string Photo(const std::string& name, int w, int h, const TJpegOptions& options = {}) {
    WriteFile(dir_ / name, MakeJpeg(w, h, options));
    return dir_ / name;
  }
  // The copy of `source` for one box and quality, as the run makes it, written to `target` so
  // that libvips can inspect it; false when no copy was made.
  static bool ScaledCopy(const std::string& source, const std::string& target, uint32_t max_width,
                         uint32_t max_height, int quality) {
    std::vector<TScaledCopy> copies;
    if (!ScaleToJpegs(source, {{max_width, max_height, quality}}, copies) || copies.size() != 1 ||
        copies[0].jpeg.empty())
      return false;
    WriteFile(target, copies[0].jpeg);
    return true;
  }
  TempDir dir_;
};

TEST_F(ImageOperationsTest, CopiesHaveExactlyTheFittedSize) {
  struct Case {
    int w, h;
    uint32_t box_w, box_h;
    int out_w, out_h;
  } cases[] = {{400, 300, 800, 600, 800, 600},
               {600, 800, 800, 600, 450, 600},
               {3000, 2000, 160, 160, 160, 107},
               {1001, 333, 100, 100, 100, 33},
               {2, 1, 3, 3, 3, 2}};
  int i = 0;
  for (const auto& c : cases) {
    const std::string source = Photo("s" + std::to_string(i) + ".jpg", c.w, c.h);
    const std::string target = dir_ / ("t" + std::to_string(i++) + ".jpg");
    ASSERT_TRUE(ScaledCopy(source, target, c.box_w, c.box_h, 80)) << c.w << "x" << c.h;
    const TImageInfo info = InspectJpeg(target);
    EXPECT_EQ(info.width, c.out_w) << c.w << "x" << c.h;
    EXPECT_EQ(info.height, c.out_h) << c.w << "x" << c.h;
    EXPECT_EQ(info.bands, 3);
  }
}

TEST_F(ImageOperationsTest, CopiesCarryNoMetadata) {
  TTiff tiff;
  tiff.ifd0 = {Ascii(0x010F, "Canon"), Short(0x0112, 1)};
  tiff.exif = {Rational(0x829A, 1, 250)};
  WriteFile(dir_ / "exif.jpg", WithExif(MakeJpeg(300, 200), BuildTiff(tiff)));
  ASSERT_TRUE(InspectJpeg(dir_ / "exif.jpg").has_exif);
  ASSERT_TRUE(ScaledCopy(dir_ / "exif.jpg", dir_ / "copy.jpg", 100, 100, 80));
  const TImageInfo info = InspectJpeg(dir_ / "copy.jpg");
  EXPECT_FALSE(info.has_exif);
  EXPECT_FALSE(info.has_icc);
}

TEST_F(ImageOperationsTest, GreyAndCmykSourcesGiveColourCopies) {
  TJpegOptions grey;
  grey.bands = 1;
  TJpegOptions cmyk;
  cmyk.bands = 4;
  ASSERT_TRUE(ScaledCopy(Photo("grey.jpg", 200, 100, grey), dir_ / "g.jpg", 50, 50, 80));
  ASSERT_TRUE(ScaledCopy(Photo("cmyk.jpg", 200, 100, cmyk), dir_ / "c.jpg", 50, 50, 80));
  EXPECT_EQ(InspectJpeg(dir_ / "g.jpg").bands, 3);
  EXPECT_EQ(InspectJpeg(dir_ / "c.jpg").bands, 3);
  // The CMYK picture keeps its colours: the left half is red-ish, the right half blue-ish.
  const auto left = MeanColor(dir_ / "c.jpg", 0, 0, 20, 25);
  const auto right = MeanColor(dir_ / "c.jpg", 30, 0, 20, 25);
  EXPECT_GT(left[0], left[2] + 20);
  EXPECT_GT(right[2], right[0] + 20);
}

// A CMYK photo comes out as browsers show it, the colours of the sRGB picture it was made of:
// without a profile by the plain formula (a print profile would make it duller), with one
// through that profile.
TEST_F(ImageOperationsTest, CmykPhotosComeOutAsBrowsersShowThem) {
  TJpegOptions rgb;
  rgb.quality = 98;
  ASSERT_TRUE(ScaledCopy(Photo("rgb.jpg", 300, 200, rgb), dir_ / "rgb-copy.jpg", 150, 100, 98));
  struct Case {
    const char* name;
    TJpegOptions::TCmyk cmyk;
    bool has_icc;
    double most;  // mean difference of a channel, of 255
  } cases[] = {
      {"plain", TJpegOptions::TCmyk::kPlain, false, 2.0},
      // the print profile's gamut clips the brightest red and blue a little
      {"embedded", TJpegOptions::TCmyk::kProfileEmbedded, true, 8.0},
  };
  for (const Case& c : cases) {
    TJpegOptions cmyk;
    cmyk.bands = 4;
    cmyk.cmyk = c.cmyk;
    cmyk.quality = 98;
    const std::string photo = Photo(std::string(c.name) + ".jpg", 300, 200, cmyk);
    ASSERT_EQ(InspectJpeg(photo).bands, 4) << c.name;
    ASSERT_EQ(InspectJpeg(photo).has_icc, c.has_icc) << c.name;
    const std::string copy = dir_ / (std::string(c.name) + "-copy.jpg");
    ASSERT_TRUE(ScaledCopy(photo, copy, 150, 100, 98)) << c.name;
    const std::vector<double> difference = MeanDifference(copy, dir_ / "rgb-copy.jpg");
    ASSERT_EQ(difference.size(), 3u);
    for (double d : difference) EXPECT_LT(d, c.most) << c.name;
  }
}

// For every EXIF orientation, a photo stored as a camera writes it comes out upright: fitted by
// its upright size, red on the left, blue on the right, bright at the top. Copy and photo are
// large enough that the photo is decoded while it is read, as for camera photos.
TEST_F(ImageOperationsTest, EveryOrientationGivesAnUprightCopy) {
  for (int orientation = 1; orientation <= 8; ++orientation) {
    TJpegOptions stored;
    stored.stored_for_orientation = orientation;
    TTiff tiff;
    tiff.ifd0 = {Short(0x0112, static_cast<uint16_t>(orientation))};
    const std::string name = "o" + std::to_string(orientation);
    WriteFile(dir_ / (name + ".jpg"), WithExif(MakeJpeg(1280, 640, stored), BuildTiff(tiff)));
    ASSERT_TRUE(ScaledCopy(dir_ / (name + ".jpg"), dir_ / (name + "-up.jpg"), 1000, 1000, 90));
    const std::string up = dir_ / (name + "-up.jpg");
    const TImageInfo info = InspectJpeg(up);
    EXPECT_EQ(info.width, 1000) << orientation;
    EXPECT_EQ(info.height, 500) << orientation;
    const auto left = MeanColor(up, 50, 50, 350, 400);
    const auto right = MeanColor(up, 600, 50, 350, 400);
    EXPECT_GT(left[0], left[2] + 20) << orientation;
    EXPECT_GT(right[2], right[0] + 20) << orientation;
    const auto top = MeanColor(up, 0, 0, 1000, 100);
    const auto bottom = MeanColor(up, 0, 400, 1000, 100);
    EXPECT_GT(top[1], bottom[1] + 20) << orientation;
    // The preview of the image list is upright too.
    const TBitmap preview = RenderPreviewBitmap(dir_ / (name + ".jpg"), 121, 105);
    EXPECT_EQ(preview.width, 121) << orientation;
    EXPECT_EQ(preview.height, 61) << orientation;
  }
}

// Smaller copies are scaled from larger ones of at least their quality and twice their size;
// whichever of the copies are given (the variant cache found them), making the others gives
// byte for byte what making all of them gives, from a file as from its bytes in memory.
TEST_F(ImageOperationsTest, CopiesComeOutTheSameWhicheverOfThemAreGiven) {
  TTiff sideways;
  sideways.ifd0 = {Short(0x0112, 6)};
  TJpegOptions stored;
  stored.stored_for_orientation = 6;
  const std::string photos[] = {
      Photo("wide.jpg", 2400, 1600),
      (WriteFile(dir_ / "turned.jpg", WithExif(MakeJpeg(1200, 1800, stored), BuildTiff(sideways))),
       dir_ / "turned.jpg")};
  const std::vector<TScaleRequest> requests = {
      {1024, 768, 85}, {160, 160, 80}, {400, 400, 80}, {300, 300, 80}, {1024, 768, 60}};
  const TSize first_sizes[] = {{1024, 683}, {512, 768}};  // upright, fitted into 1024 x 768
  for (size_t p = 0; p < 2; ++p) {
    const std::string& photo = photos[p];
    const std::string bytes = ReadFile(photo);
    TCopyPlan plan;
    ASSERT_TRUE(PlanJpegCopies(bytes, requests, plan));
    const std::vector<int>& sources = plan.sources;
    // 160 from 400 (the smallest twice as large), 300 from the first 1024, nothing from the
    // copy of quality 60, and the largest from the photo; 400 from the first 1024 only where
    // that is twice as large (not for the upright photo, 512 wide against 267).
    EXPECT_EQ(sources,
              p == 0 ? (std::vector<int>{-1, 2, 0, 0, -1}) : (std::vector<int>{-1, 2, -1, 0, -1}))
        << photo;
    std::vector<TScaledCopy> all;
    ASSERT_TRUE(ScaleJpegData(bytes, requests, all)) << photo;
    EXPECT_EQ((TSize{all[0].width, all[0].height}), first_sizes[p]);
    std::vector<TScaledCopy> from_file;
    ASSERT_TRUE(ScaleToJpegs(photo, requests, from_file));
    for (unsigned given = 0; given < (1u << requests.size()); ++given) {
      std::vector<TScaledCopy> copies = all;
      for (size_t i = 0; i < requests.size(); ++i)
        if (!(given & (1u << i))) copies[i] = TScaledCopy();
      ASSERT_TRUE(ScaleJpegData(bytes, requests, plan, copies));
      for (size_t i = 0; i < requests.size(); ++i) {
        EXPECT_TRUE(copies[i].jpeg == all[i].jpeg) << photo << " given " << given << " copy " << i;
        EXPECT_EQ(copies[i].width, all[i].width);
        EXPECT_EQ(copies[i].height, all[i].height);
      }
    }
    for (size_t i = 0; i < requests.size(); ++i) {
      EXPECT_FALSE(all[i].jpeg.empty()) << i;
      EXPECT_TRUE(from_file[i].jpeg == all[i].jpeg) << photo << " " << i;
    }
  }
  std::vector<TScaledCopy> none;
  EXPECT_FALSE(ScaleJpegData("not a photo", requests, none));
  EXPECT_EQ(none.size(), requests.size());
  TCopyPlan no_plan;
  EXPECT_FALSE(PlanJpegCopies("not a photo", requests, no_plan));
}

// The file format of a copy, told by its first bytes.
std::string FormatOfBytes(const std::string& bytes) {
  if (bytes.rfind("\xFF\xD8\xFF", 0) == 0) return "JPEG";
  if (bytes.size() > 12 && bytes.compare(0, 4, "RIFF") == 0 && bytes.compare(8, 4, "WEBP") == 0)
    return "WebP";
  if (bytes.size() > 12 && bytes.compare(4, 8, "ftypavif") == 0) return "AVIF";
  return "?";
}

// Every format's copy is the photo upright and fitted into its box; copies of one size in
// several formats are scaled once, which leaves the JPEG copy as it is when made alone; only a
// JPEG copy serves as the source of smaller ones, since only JPEGs are decoded.
TEST_F(ImageOperationsTest, CopiesInEveryFormatAreUprightAndFitted) {
  TTiff sideways;
  sideways.ifd0 = {Short(0x0112, 6)};
  TJpegOptions stored;
  stored.stored_for_orientation = 6;
  const std::string bytes = WithExif(MakeJpeg(1280, 640, stored), BuildTiff(sideways));
  const std::vector<TScaleRequest> requests = {{1000, 1000, 90, TImageFormat::kJpeg},
                                               {1000, 1000, 90, TImageFormat::kWebp},
                                               {1000, 1000, 90, TImageFormat::kAvif},
                                               {160, 160, 80, TImageFormat::kWebp},
                                               {160, 160, 80, TImageFormat::kAvif}};
  TCopyPlan plan;
  ASSERT_TRUE(PlanJpegCopies(bytes, requests, plan));
  EXPECT_EQ(plan.sources, (std::vector<int>{-1, -1, -1, 0, 0}));
  std::vector<TScaledCopy> copies;
  ASSERT_TRUE(ScaleJpegData(bytes, requests, plan, copies));
  const std::string names[] = {"JPEG", "WebP", "AVIF", "WebP", "AVIF"};
  for (size_t i = 0; i < requests.size(); ++i) {
    ASSERT_EQ(FormatOfBytes(copies[i].jpeg), names[i]) << i;
    const std::string file = dir_ / ("copy" + std::to_string(i) + "." + names[i]);
    WriteFile(file, copies[i].jpeg);
    const TImageInfo info = InspectJpeg(file);
    const int width = i < 3 ? 1000 : 160;
    EXPECT_EQ(info.width, width) << i;
    EXPECT_EQ(info.height, width / 2) << i;
    EXPECT_EQ((std::pair{copies[i].width, copies[i].height}),
              (std::pair{static_cast<uint32_t>(width), static_cast<uint32_t>(width / 2)}));
    EXPECT_EQ(info.bands, 3) << i;
    EXPECT_FALSE(info.has_exif) << i;
    const auto left = MeanColor(file, width / 20, width / 20, width / 3, width / 3);
    const auto right = MeanColor(file, width * 3 / 5, width / 20, width / 3, width / 3);
    EXPECT_GT(left[0], left[2] + 20) << i;
    EXPECT_GT(right[2], right[0] + 20) << i;
    if (i > 0 && i < 3) {
      // At quality 90 every format keeps the picture close to the JPEG's.
      for (double difference : MeanDifference(file, dir_ / "copy0.JPEG"))
        EXPECT_LT(difference, 4.0) << i;
    }
  }
  std::vector<TScaledCopy> alone;
  ASSERT_TRUE(ScaleJpegData(bytes, {requests[0]}, alone));
  EXPECT_TRUE(alone[0].jpeg == copies[0].jpeg);

  // Without a large JPEG copy a thumbnail is scaled from the photo.
  ASSERT_TRUE(PlanJpegCopies(bytes, {requests[1], {160, 160, 80}}, plan));
  EXPECT_EQ(plan.sources, (std::vector<int>{-1, -1}));
}

// A copy scaled from a larger one is still the photo fitted into its own box, upright, and
// looks like it.
TEST_F(ImageOperationsTest, CopiesMadeFromLargerCopiesAreFittedByThePhoto) {
  TTiff upside_down;
  upside_down.ifd0 = {Short(0x0112, 3)};
  TJpegOptions stored;
  stored.stored_for_orientation = 3;
  WriteFile(dir_ / "p.jpg", WithExif(MakeJpeg(4000, 2667, stored), BuildTiff(upside_down)));
  std::vector<TScaledCopy> copies;
  ASSERT_TRUE(ScaleToJpegs(dir_ / "p.jpg", {{1000, 1000, 85}, {160, 160, 80}}, copies));
  EXPECT_EQ(copies[0].width, 1000u);
  EXPECT_EQ(copies[0].height, 667u);
  EXPECT_EQ(copies[1].width, 160u);
  EXPECT_EQ(copies[1].height, 107u);  // 106.68 rounded, as FitIntoBox says for the photo
  WriteFile(dir_ / "t.jpg", copies[1].jpeg);
  const auto left = MeanColor(dir_ / "t.jpg", 5, 5, 60, 60);
  const auto right = MeanColor(dir_ / "t.jpg", 95, 5, 60, 60);
  EXPECT_GT(left[0], left[2] + 20);
  EXPECT_GT(right[2], right[0] + 20);
  EXPECT_GT(MeanColor(dir_ / "t.jpg", 0, 0, 160, 15)[1],
            MeanColor(dir_ / "t.jpg", 0, 90, 160, 15)[1] + 20);
}

// An Adobe RGB (1998) profile, made the way that colour space is defined.
std::string WriteAdobeRgbProfile(const std::string& path) {
  cmsCIExyY white = {0.3127, 0.3290, 1.0};
  cmsCIExyYTRIPLE primaries = {{0.64, 0.33, 1.0}, {0.21, 0.71, 1.0}, {0.15, 0.06, 1.0}};
  cmsToneCurve* curve = cmsBuildGamma(nullptr, 563.0 / 256.0);
  cmsToneCurve* curves[3] = {curve, curve, curve};
  cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
  cmsSaveProfileToFile(profile, path.c_str());
  cmsCloseProfile(profile);
  cmsFreeToneCurve(curve);
  return path;
}

TEST_F(ImageOperationsTest, EmbeddedColourProfilesAreConvertedToSrgb) {
  TJpegOptions adobe;
  adobe.icc_profile = WriteAdobeRgbProfile(dir_ / "adobe.icc");
  adobe.quality = 98;
  TJpegOptions srgb;
  srgb.quality = 98;
  const std::string adobe_photo = Photo("adobe.jpg", 200, 100, adobe);
  const std::string srgb_photo = Photo("srgb.jpg", 200, 100, srgb);
  ASSERT_TRUE(InspectJpeg(adobe_photo).has_icc);
  ASSERT_TRUE(ScaledCopy(adobe_photo, dir_ / "a.jpg", 200, 100, 98));
  const auto stored = MeanColor(adobe_photo, 10, 10, 40, 20);
  const auto wanted = MeanColor(srgb_photo, 10, 10, 40, 20);
  const auto converted = MeanColor(dir_ / "a.jpg", 10, 10, 40, 20);
  double stored_error = 0, converted_error = 0;
  for (int b = 0; b < 3; ++b) {
    stored_error = std::max(stored_error, std::abs(stored[b] - wanted[b]));
    converted_error = std::max(converted_error, std::abs(converted[b] - wanted[b]));
  }
  EXPECT_GT(stored_error, 10) << "the fixture must hold Adobe RGB values";
  EXPECT_LT(converted_error, 4);
  EXPECT_FALSE(InspectJpeg(dir_ / "a.jpg").has_icc);
}

TEST_F(ImageOperationsTest, QualityOutsideTheRangeIsTakenAsTheNearestValue) {
  const std::string source = Photo("q.jpg", 300, 200);
  ASSERT_TRUE(ScaledCopy(source, dir_ / "q0.jpg", 300, 200, 0));
  ASSERT_TRUE(ScaledCopy(source, dir_ / "q1.jpg", 300, 200, 1));
  ASSERT_TRUE(ScaledCopy(source, dir_ / "q100.jpg", 300, 200, 100));
  ASSERT_TRUE(ScaledCopy(source, dir_ / "q150.jpg", 300, 200, 150));
  EXPECT_EQ(ReadFile(dir_ / "q0.jpg"), ReadFile(dir_ / "q1.jpg"));
  EXPECT_EQ(ReadFile(dir_ / "q150.jpg"), ReadFile(dir_ / "q100.jpg"));
  EXPECT_LT(ReadFile(dir_ / "q1.jpg").size(), ReadFile(dir_ / "q100.jpg").size());
}

TEST_F(ImageOperationsTest, OneDecodeServesSeveralCopiesAndTellsTheirSizes) {
  std::vector<TScaledCopy> copies;
  ASSERT_TRUE(ScaleToJpegs(Photo("m.jpg", 1200, 900), {{160, 160, 80}, {1024, 768, 85}}, copies));
  ASSERT_EQ(copies.size(), 2u);
  WriteFile(dir_ / "small.jpg", copies[0].jpeg);
  WriteFile(dir_ / "large.jpg", copies[1].jpeg);
  EXPECT_EQ(InspectJpeg(dir_ / "small.jpg").width, 160);
  EXPECT_EQ(InspectJpeg(dir_ / "small.jpg").height, 120);
  EXPECT_EQ(InspectJpeg(dir_ / "large.jpg").width, 1024);
  // The sizes told are those of the files written.
  EXPECT_EQ(copies[0].width, 160u);
  EXPECT_EQ(copies[0].height, 120u);
  EXPECT_EQ(copies[1].height, 768u);
  // A side that rounds to 0 gives no copy; the others are made.
  ASSERT_TRUE(ScaleToJpegs(Photo("line.jpg", 2000, 4), {{100, 100, 80}, {2000, 4, 80}}, copies));
  EXPECT_TRUE(copies[0].jpeg.empty());
  EXPECT_FALSE(copies[1].jpeg.empty());
}

TEST_F(ImageOperationsTest, WhatIsNoDecodableJpegGivesNoCopy) {
  WriteFile(dir_ / "svg.jpg", "<svg xmlns='http://www.w3.org/2000/svg' width='10' height='10'/>");
  WriteFile(dir_ / "pdf.jpg", "%PDF-1.4\n1 0 obj << >> endobj\n");
  const std::string jpeg = MakeJpeg(400, 300);
  WriteFile(dir_ / "cut.jpg", jpeg.substr(0, jpeg.size() / 2));
  std::string bomb = MakeJpeg(16, 16);
  for (size_t i = 2; i + 9 < bomb.size(); ++i) {
    if (bomb[i] == '\xFF' && bomb[i + 1] == '\xC0') {
      bomb[i + 5] = bomb[i + 7] = '\xEA';  // 60000 x 60000
      bomb[i + 6] = bomb[i + 8] = '\x60';
      break;
    }
  }
  WriteFile(dir_ / "bomb.jpg", bomb);
  for (const char* name : {"svg.jpg", "pdf.jpg", "cut.jpg", "bomb.jpg", "missing.jpg"}) {
    std::vector<TScaledCopy> copies;
    EXPECT_FALSE(ScaleToJpegs(dir_ / name, {{100, 100, 80}, {50, 50, 80}}, copies)) << name;
    ASSERT_EQ(copies.size(), 2u) << name;
    EXPECT_TRUE(copies[0].jpeg.empty() && copies[1].jpeg.empty()) << name;
  }
}

TEST_F(ImageOperationsTest, BitmapsForTheWindows) {
  const TBitmap preview = RenderPreviewBitmap(Photo("p.jpg", 800, 600), 121, 105);
  EXPECT_EQ(preview.width, 121);
  EXPECT_EQ(preview.height, 91);
  ASSERT_GE(preview.bmp.size(), 54u);
  EXPECT_EQ(preview.bmp.substr(0, 2), "BM");
  EXPECT_EQ(preview.bmp.size(), 54u + ((121 * 3 + 3) / 4 * 4) * 91);
  const TBitmap full = RenderFullSizeBitmap(dir_ / "p.jpg");
  EXPECT_EQ(full.width, 800);
  EXPECT_EQ(full.height, 600);
  EXPECT_TRUE(RenderPreviewBitmap(dir_ / "missing.jpg", 121, 105).Empty());
  WriteFile(dir_ / "text.jpg", "hello");
  EXPECT_TRUE(RenderFullSizeBitmap(dir_ / "text.jpg").Empty());
}

// The full-size view of a PNG is a bitmap too, its transparent parts on white.
TEST_F(ImageOperationsTest, APngIsShownFullSizeOnWhite) {
  // Red all over; opaque on the left half, fully transparent on the right.
  using vips::VImage;
  const VImage red =
      VImage::black(40, 20, VImage::option()->set("bands", 3)) + std::vector<double>{255, 0, 0};
  const VImage alpha = (VImage::black(20, 20) + 255).embed(0, 0, 40, 20);
  red.bandjoin(alpha).cast(VIPS_FORMAT_UCHAR).pngsave((dir_ / "alpha.png").c_str());
  const TBitmap full = RenderFullSizeBitmap(dir_ / "alpha.png");
  ASSERT_EQ(full.width, 40);
  ASSERT_EQ(full.height, 20);
  ASSERT_EQ(full.bmp.size(), 54u + 40 * 3 * 20);
  EXPECT_EQ(full.bmp.substr(0, 2), "BM");
  // Rows are stored bottom-up, each pixel as blue, green, red.
  const auto pixel = [&](int x, int y) { return full.bmp.substr(54 + (19 - y) * 120 + x * 3, 3); };
  EXPECT_EQ(pixel(5, 2), std::string("\x00\x00\xFF", 3));
  EXPECT_EQ(pixel(30, 17), std::string("\xFF\xFF\xFF", 3));
}

}  // namespace
}  // namespace vistrel
