#include "model/photo_data.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vistrel {
namespace {

struct RationalCase {
  int64_t numerator, denominator;
  std::string expected;
};

TEST(PhotoDataTest, RationalValuesAsAGalleryShowsThem) {
  const std::vector<RationalCase> apertures = {
      {28, 5, "f/5,6"}, {8, 1, "f/8"}, {18, 10, "f/1,8"},   {110, 10, "f/11"}, {1, 0, ""},
      {0, 0, ""},       {-3, 2, ""},   {4294967295, 1, ""}, {0, 1, ""},        {56, 10, "f/5,6"}};
  for (const auto& c : apertures)
    EXPECT_EQ(FormatAperture({c.numerator, c.denominator}), c.expected)
        << c.numerator << "/" << c.denominator;

  const std::vector<RationalCase> exposures = {
      {1, 500, "1/500 s"}, {10, 2500, "1/250 s"}, {1, 4, "1/4 s"}, {1, 2, "0,5 s"},
      {2, 1, "2 s"},       {13, 10, "1,3 s"},     {30, 1, "30 s"}, {1, 0, ""},
      {0, 0, ""},          {-3, 2, ""},           {0, 5, ""},      {4294967295, 1, ""},
      {1, 4294967295, ""}};
  for (const auto& c : exposures)
    EXPECT_EQ(FormatExposureTime({c.numerator, c.denominator}), c.expected)
        << c.numerator << "/" << c.denominator;

  const std::vector<RationalCase> focal_lengths = {
      {35, 1, "35 mm"}, {425, 100, "4,2 mm"}, {550, 10, "55 mm"}, {1, 0, ""},
      {-3, 2, ""},      {0, 1, ""},           {4294967295, 1, ""}};
  for (const auto& c : focal_lengths)
    EXPECT_EQ(FormatFocalLength({c.numerator, c.denominator}), c.expected)
        << c.numerator << "/" << c.denominator;

  EXPECT_EQ(FormatIso(400), "400");
  EXPECT_EQ(FormatIso(40000), "40000");
  EXPECT_EQ(FormatIso(0), "");
  EXPECT_EQ(FormatIso(-100), "");
  EXPECT_EQ(FormatIso(4294967295), "");
}

TEST(PhotoDataTest, DatesAndTimesOnlyFromRealMoments) {
  const struct {
    std::string text, date, time, sortable;
  } cases[] = {
      {"2023:05:24 13:36:17", "24.05.2023", "13:36", "2023-05-24 13:36:17"},
      {"2024:02:29 00:00:00", "29.02.2024", "00:00", "2024-02-29 00:00:00"},
      {"2023-05-24T13:36", "24.05.2023", "13:36", "2023-05-24 13:36:00"},
      {"2023:05:24 13:36:xx", "24.05.2023", "13:36", "2023-05-24 13:36:00"},
      {"2023:02:29 12:00:00", "", "", ""},  // not a leap year
      {"0000:00:00 00:00:00", "", "", ""},  // what cameras write when they do not know
      {"2023:13:01 10:00:00", "", "", ""},
      {"2021:04:31 10:00:00", "", "", ""},
      {"2023:05:24 24:00:00", "", "", ""},
      {"gestern", "", "", ""},
      {"", "", "", ""},
      {std::string("2023:05:24\0"
                   "13:36:17",
                   19),
       "", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatDate(c.text), c.date) << c.text;
    EXPECT_EQ(FormatTime(c.text), c.time) << c.text;
    EXPECT_EQ(SortableDateTime(c.text).value_or(""), c.sortable) << c.text;
  }
}

TEST(PhotoDataTest, CameraNamesTheMakerOnlyWhenTheModelDoesNot) {
  const struct {
    std::string make, model, expected;
  } cases[] = {
      {"NIKON CORPORATION", "NIKON D5100", "NIKON D5100"},
      {"Canon", "Canon EOS 550D", "Canon EOS 550D"},
      {"FUJIFILM", "X-T20", "FUJIFILM X-T20"},
      {"OLYMPUS IMAGING CORP.  ", "E-M10", "OLYMPUS E-M10"},
      {"EASTMAN KODAK COMPANY", "KODAK EASYSHARE C340", "KODAK EASYSHARE C340"},
      {"Apple", " iPhone 11\n", "Apple iPhone 11"},
      {"", "SM-G991B", "SM-G991B"},
      {"samsung", "", "samsung"},
      {std::string(10000, 'M'), "D5100", "D5100"},
      {std::string(10000, 'M'), std::string(10000, 'X'), ""},
      {std::string("Ni\0kon", 6), "D70", "Ni kon D70"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatCamera(c.make, c.model), c.expected) << c.model;
  EXPECT_EQ(FormatName("  18.0-55.0 mm\tf/3.5-5.6 "), "18.0-55.0 mm f/3.5-5.6");
  EXPECT_EQ(FormatName(std::string(10000, 'L')), "");
  // What the metadata library reads out of a maker's lens or ISO code, and what it shows when
  // it knows no name for the code.
  EXPECT_EQ(FormatInterpretedName(" Canon EF 50mm f/1.8"), "Canon EF 50mm f/1.8");
  for (const char* unknown : {"(9999)", "n/a", "Unknown Lens", "Bad value", "0", "", "  ",
                              "Minolta AF DT 18-70mm F3.5-5.6 (D) | Sony AF DT 18-200mm"})
    EXPECT_EQ(FormatInterpretedName(unknown), "") << unknown;
  EXPECT_EQ(FormatInterpretedIso("200"), "200");
  EXPECT_EQ(FormatInterpretedIso(" 1600 "), "1600");
  for (const char* unknown : {"(3)", "Auto", "200 Hi", "0", "", "99999999999999999999"})
    EXPECT_EQ(FormatInterpretedIso(unknown), "") << unknown;
}

TEST(PhotoDataTest, GpsPositionsInDecimalDegreesForAMapLink) {
  const TRational zurich_lat[3] = {{47, 1}, {22, 1}, {3679, 100}};
  const TRational zurich_lon[3] = {{8, 1}, {32, 1}, {3010, 100}};
  EXPECT_EQ(FormatGpsPosition(zurich_lat, "N", zurich_lon, "E"), "47.376886,8.541694");
  EXPECT_EQ(FormatGpsPosition(zurich_lat, "S", zurich_lon, "W"), "-47.376886,-8.541694");
  const TRational minutes_only[3] = {{33, 1}, {5160, 100}, {0, 1}};
  EXPECT_EQ(FormatGpsPosition(minutes_only, "S", zurich_lon, "e"), "-33.860000,8.541694");
  const TRational zero_denominator[3] = {{47, 1}, {22, 0}, {0, 1}};
  const TRational too_far[3] = {{91, 1}, {0, 1}, {0, 1}};
  const TRational negative[3] = {{-3, 2}, {0, 1}, {0, 1}};
  const TRational sixty[3] = {{47, 1}, {60, 1}, {0, 1}};
  for (const TRational* bad : {zero_denominator, too_far, negative, sixty})
    EXPECT_EQ(FormatGpsPosition(bad, "N", zurich_lon, "E"), "");
  EXPECT_EQ(FormatGpsPosition(zurich_lat, "X", zurich_lon, "E"), "");
  EXPECT_EQ(FormatGpsPosition(zurich_lat, "", zurich_lon, "E"), "");
}

}  // namespace
}  // namespace vistrel
