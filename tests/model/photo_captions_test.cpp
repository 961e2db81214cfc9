#include "model/photo_captions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/value_list.h"

namespace vistrel {
namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

Entries Merge(const std::vector<TCaptionSource>& sources) {
  TVTLValueList captions;
  MergeCaptions(sources, captions);
  Entries entries;
  for (int i = 0; i < captions.Count(); ++i)
    entries.emplace_back(captions.Name(i), captions.Value(i));
  return entries;
}

TEST(PhotoCaptionsTest, TextsAreMadeReadyForDisplay) {
  const struct {
    std::string raw, clean;
  } cases[] = {
      {"Sonnenuntergang am See", "Sonnenuntergang am See"},
      {"  zwei\t\tWörter \r\n", "zwei Wörter"},
      {"Zeile 1\nZeile 2", "Zeile 1 Zeile 2"},
      {std::string("vor\0nach", 8), "vor nach"},
      {"\x1B[31mrot\x7F", "[31mrot"},
      {"C1\xC2\x85Steuerzeichen\xC2\x9F", "C1 Steuerzeichen"},
      {"Absatz\xE2\x80\xA9Trenner", "Absatz Trenner"},
      {"kaputt\xFF\xC3", "kaputt"},  // bytes that are no UTF-8 go
      {" \t\r\n", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(CleanCaption(c.raw), c.clean) << c.raw;

  // A long text is cut to the limit, at a character.
  const std::string long_text(kMaxCaptionBytes - 1, 'a');
  EXPECT_EQ(CleanCaption(long_text + "ü und mehr"), long_text);
  EXPECT_EQ(CleanCaption(long_text + "b und mehr"), long_text + "b");
}

TEST(PhotoCaptionsTest, RatingsAreWholeStarsFromZeroToFive) {
  const struct {
    std::string raw, stars;
  } cases[] = {
      {"3", "3"},  {"0", "0"},  {"5", "5"},    {"3.0", "3"}, {"2.6", "3"}, {" 4 ", "4"},
      {"99", "5"}, {"-1", "0"}, {"-99", "0"},  {"", ""},     {"drei", ""}, {"3 Sterne", ""},
      {"nan", ""}, {"inf", ""}, {"1e300", ""}, {"0x3", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatRating(c.raw), c.stars) << c.raw;
}

TEST(PhotoCaptionsTest, KeywordsAreCleanedOnceEachAndJoined) {
  EXPECT_EQ(JoinKeywords({"Alpen", "Schnee", "Winter"}), "Alpen, Schnee, Winter");
  EXPECT_EQ(JoinKeywords({"Alpen", "alpen", "ALPEN", "Übersee", "übersee"}), "Alpen, Übersee");
  EXPECT_EQ(JoinKeywords({" Berg\x01", "", "\t", "See\nUfer"}), "Berg, See Ufer");
  EXPECT_EQ(JoinKeywords({}), "");

  std::vector<std::string> many;
  for (size_t i = 0; i < kMaxKeywords + 50; ++i) many.push_back("k" + std::to_string(i));
  const std::string joined = JoinKeywords(many);
  EXPECT_TRUE(joined.ends_with(", k" + std::to_string(kMaxKeywords - 1))) << joined;
  std::vector<std::string> long_ones;
  for (int i = 0; i < 50; ++i) long_ones.push_back(std::string(500, 'x') + std::to_string(i));
  const std::string cut = JoinKeywords(long_ones);
  EXPECT_LE(cut.size(), kMaxCaptionBytes);
  EXPECT_TRUE(cut.ends_with("x6")) << cut.size();  // whole keywords only
}

TEST(PhotoCaptionsTest, LanguageDefaultThenGermanThenTheFirst) {
  using Alternatives = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(ChooseLanguage(Alternatives{{"en-US", "Lake"}, {"de-DE", "See"}, {"x-default", "Lac"}}),
            "Lac");
  EXPECT_EQ(ChooseLanguage(Alternatives{{"en-US", "Lake"}, {"de-CH", "See"}}), "See");
  EXPECT_EQ(ChooseLanguage(Alternatives{{"en-US", "Lake"}, {"DE", "See"}}), "See");
  EXPECT_EQ(ChooseLanguage(Alternatives{{"en-US", "Lake"}, {"fr", "Lac"}}), "Lake");
  EXPECT_EQ(ChooseLanguage(Alternatives{{"deu", "kein Deutsch-Kürzel"}, {"fr", "Lac"}}),
            "kein Deutsch-Kürzel");
  EXPECT_EQ(ChooseLanguage(Alternatives{}), "");
}

TEST(PhotoCaptionsTest, CameraTextsAreNoDescription) {
  const struct {
    std::string description;
    bool boilerplate;
  } cases[] = {
      {"OLYMPUS DIGITAL CAMERA", true},
      {"KONICA MINOLTA DIGITAL CAMERA  ", true},
      {"SONY DSC", true},
      {"          ", true},
      {"Canon EOS 550D", true},  // maker and model
      {"EOS 550D", true},
      {"Mein Hund mit der digital camera", false},
      {"Abendrot über dem See", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsCameraBoilerplate(c.description, "Canon", "EOS 550D"), c.boilerplate)
        << c.description;
}

TEST(PhotoCaptionsTest, EachCaptionComesFromTheFirstSourceThatHasIt) {
  TCaptionSource sidecar;
  sidecar.title = "Titel aus dem Sidecar";
  sidecar.keywords = {" ", "\t"};  // nothing left once cleaned: the next source's count
  TCaptionSource xmp;
  xmp.title = "Titel aus XMP";
  xmp.description = "  ";
  xmp.rating = "drei";
  xmp.city = "Zürich";
  TCaptionSource iptc;
  iptc.description = "Beschreibung aus IPTC";
  iptc.keywords = {"See", "Boot"};
  iptc.creators = {"Anna", "Ben"};
  iptc.country = "Schweiz";
  TCaptionSource exif;
  exif.keywords = {"nicht", "genommen"};
  exif.rating = "4";
  exif.copyright = "CC-BY-4.0";
  exif.region = "ZH";
  EXPECT_EQ(Merge({sidecar, xmp, iptc, exif}), (Entries{{"TITLE", "Titel aus dem Sidecar"},
                                                        {"DESCRIPTION", "Beschreibung aus IPTC"},
                                                        {"KEYWORDS", "See, Boot"},
                                                        {"RATING", "4"},
                                                        {"CREATOR", "Anna, Ben"},
                                                        {"COPYRIGHT", "CC-BY-4.0"},
                                                        {"CITY", "Zürich"},
                                                        {"REGION", "ZH"},
                                                        {"COUNTRY", "Schweiz"}}));
  EXPECT_EQ(Merge({}), Entries{});
  EXPECT_EQ(Merge({TCaptionSource{}, TCaptionSource{}}), Entries{});
}

}  // namespace
}  // namespace vistrel
