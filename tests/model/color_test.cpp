#include "model/color.h"

#include <gtest/gtest.h>

namespace vistrel {
namespace {

TEST(ColorTest, ColorToHtmlWritesRedGreenBlueInUpperCase) {
  EXPECT_EQ(ColorToHtml(0xFFFFFF), "#FFFFFF");
  EXPECT_EQ(ColorToHtml(255), "#FF0000");
  EXPECT_EQ(ColorToHtml(0x80FF00), "#00FF80");
  EXPECT_EQ(ColorToHtml(0xAB123456), "#563412");  // bits above 23 are ignored
}

TEST(ColorTest, RoundTripGivesTheLow24Bits) {
  for (TColor c : {0u, 1u, 0x123456u, 0xFFFFFFu, 0x7F000001u, 0x02ABCDEFu})
    EXPECT_EQ(HtmlToColor(ColorToHtml(c)), c & 0xFFFFFF) << c;
}

TEST(ColorTest, HtmlToColorReadsLenientColourText) {
  EXPECT_EQ(HtmlToColor("#00ff80"), 0x80FF00u);
  EXPECT_EQ(HtmlToColor("  #FF0000 \t"), 0xFFu);
  EXPECT_EQ(HtmlToColor("x0000FF"), 0xFF0000u);     // the first character is not examined
  EXPECT_EQ(HtmlToColor("#102030trailing"), 0x302010u);
  EXPECT_EQ(HtmlToColor("#00ff8"), 0x08FF00u);      // blue cut to one digit
}

TEST(ColorTest, HtmlToColorRefusesShortOrNonHexText) {
  for (const char* text : {"", "#", "#00ff", "#12", "#GG0000", "#00 000", "#0000-1"})
    EXPECT_THROW(HtmlToColor(text), EConvertError) << "input: «" << text << "»";
}

TEST(ColorTest, InvertColorGivesTheComplementWithThePaletteFlag) {
  EXPECT_EQ(InvertColor(0x000000), 0x2FFFFFFu);
  EXPECT_EQ(InvertColor(0xFFFFFF), 0x2000000u);
  EXPECT_EQ(InvertColor(0x102030) & 0xFFFFFF, 0xEFDFCFu);
}

}  // namespace
}  // namespace vistrel
