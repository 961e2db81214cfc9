#include "generation/run_request.h"

#include <gtest/gtest.h>

#include "model/color.h"
#include "skin_fixture.h"
#include "support/disk.h"
#include "support/logger.h"
#include "support/text.h"
#include "support/user_messages.h"
#include "test_support.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;

TEST(RunRequestTest, ValuesAreHandedOverAsTheControlsWouldHoldThem) {
  EXPECT_EQ(ValueTypeOf("color"), TValueType::kColor);
  EXPECT_EQ(ValueTypeOf("Number"), TValueType::kNumber);
  EXPECT_EQ(ValueTypeOf("TEXT"), TValueType::kText);
  EXPECT_EQ(ValueTypeOf("DATE"), TValueType::kOther);
  EXPECT_EQ(NormalizeValue(TValueType::kColor, " #00ff80 "), "#00FF80");
  EXPECT_EQ(NormalizeValue(TValueType::kNumber, "20000000"), "16777215");
  EXPECT_EQ(NormalizeValue(TValueType::kNumber, "-4"), "0");
  EXPECT_EQ(NormalizeValue(TValueType::kText, " as is "), " as is ");
  EXPECT_THROW(NormalizeValue(TValueType::kNumber, "vier"), EConvertError);
  EXPECT_THROW(NormalizeValue(TValueType::kColor, "#12"), EConvertError);
}

class RunRequestFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    TSkinFixture fixture;
    fixture.variants = {{"THUMB", "k", "160", "120", "th_%old%"},
                        {"BIG", "g", "0", "600", "%old%"}};
    UseSkin(fixture);
    records_.Add(std::make_unique<TVTLRecord>(dir_ / "p/", "a.jpg", nullptr, log_));
  }
  void UseSkin(TSkinFixture fixture) {
    fixture.values = {{"TITEL", "Titel", "TEXT", "x"},
                      {"FARBE", "Farbe", "COLOR", "#000000"},
                      {"SPALTEN", "Spalten", "NUMBER", "4"}};
    WriteSkin(dir_ / "skin", fixture);
    skin_ = std::make_unique<TVTLSkin>(SystemDisk(), dir_ / "skin", "test.vsk", messages_);
    ASSERT_TRUE(skin_->Valid) << skin_->ErrorMessage;
  }
  TRunInput Input() {
    TRunInput input;
    input.skin = skin_.get();
    input.records = &records_;
    input.values = {"Urlaub", "#ff0000", "99999999"};
    input.variants = {{"160", "120", "80", ""}, {"800", "600", "90", ""}};
    input.output_path = "galerie";
    input.relative_to = dir_ / "home";
    input.skins_folder = dir_ / "skins";
    return input;
  }
  std::string Refusal(const TRunInput& input) {
    const TRequestResult result = BuildRunRequest(input, files_);
    EXPECT_FALSE(result.request);
    return result.message + (result.reason.empty() ? "" : "|" + result.reason);
  }

  TempDir dir_;
  ScratchFiles files_{dir_ / "home"};
  RecordedMessages messages_;
  TLogger log_;
  TVTLRecordList records_;
  std::unique_ptr<TVTLSkin> skin_;
};

TEST_F(RunRequestFixture, ARequestHoldsCheckedValuesAndBecomesTheSettingsOfTheRun) {
  const TRequestResult result = BuildRunRequest(Input(), files_);
  ASSERT_TRUE(result.request) << result.message;
  const TRunRequest& request = *result.request;
  EXPECT_EQ(request.output_folder, files_.HomeFolder() + "/galerie/");  // relative to the base
  // "~" is the home folder, wherever relative paths start.
  for (const auto& [typed, folder] : std::vector<std::pair<std::string, std::string>>{
           {"~", files_.HomeFolder() + "/"},
           {"~//Web/./g", files_.HomeFolder() + "/Web/g/"},
           {"~x/g", "/srv/~x/g/"},  // another user's home is not looked up
           {"www/../g", "/srv/g/"}}) {
    TRunInput input = Input();
    input.relative_to = "/srv";
    input.output_path = typed;
    const TRequestResult other = BuildRunRequest(input, files_);
    ASSERT_TRUE(other.request) << typed;
    EXPECT_EQ(other.request->output_folder, folder) << typed;
  }
  EXPECT_EQ(request.values,
            (std::vector<TEnteredValue>{
                {"TITEL", "Urlaub"}, {"FARBE", "#FF0000"}, {"SPALTEN", "16777215"}}));
  EXPECT_EQ(request.variants, (std::vector<TImageVariant>{{"THUMB", "th_%old%", {160, 120, 80}},
                                                          {"BIG", "%old%", {800, 600, 90}}}));

  TVTLGalleryProperties settings;
  FillGallerySettings(settings, request);
  EXPECT_EQ(settings.OutputDirectory, request.output_folder);
  EXPECT_EQ(settings.HTMLPatterns, &skin_->HTMLPatterns);  // borrowed, not copied
  EXPECT_EQ(settings.ImageVariants, request.variants);
  EXPECT_EQ(settings.RequiredValues, request.values);
}

// What the user typed is read as a number once; the variant holds the number, whatever the
// spelling.
TEST_F(RunRequestFixture, VariantsHoldTheTypedSizesAsNumbers) {
  struct Case {
    TVariantSetting typed;
    TScaleRequest scale;
  } cases[] = {
      {{" 0160 ", "\t120", "080", ""}, {160, 120, 80}},
      {{"1", "16384", "0", ""}, {1, 16384, 0}},
      {{"7", "9", "100", ""}, {7, 9, 100}},
  };
  for (const Case& c : cases) {
    TRunInput input = Input();
    input.variants[0] = c.typed;
    const TRequestResult result = BuildRunRequest(input, files_);
    ASSERT_TRUE(result.request) << c.typed.max_width << " " << result.message;
    EXPECT_EQ(result.request->variants[0].scale, c.scale) << c.typed.max_width;
  }
}

TEST_F(RunRequestFixture, SkinOutputValuesAndVariantsAreRefusedWithTheUsersMessages) {
  TRunInput input = Input();
  input.skin = nullptr;
  EXPECT_EQ(Refusal(input), "Bitte wählen Sie einen Skin aus der Liste oben aus!");
  input = Input();
  input.output_path = "  \t ";
  EXPECT_EQ(Refusal(input), "Bitte geben Sie ein Ausgabeverzeichnis an!");
  input.output_path = std::string("out\0/..", 7);
  EXPECT_EQ(Refusal(input), "Ungültiges Ausgabeverzeichnis out\\x00/..!");
  input = Input();
  input.values[2] = "vier";
  EXPECT_EQ(Refusal(input), "\"vier\" ist keine gültige Zahl! (SPALTEN)");
  input = Input();
  input.values[1] = "#zz";
  EXPECT_EQ(BuildRunRequest(input, files_).problem, TRequestProblem::kValue);

  for (const TVariantSetting& setting :
       {TVariantSetting{"0", "100", "80", ""}, TVariantSetting{"100", "-5", "80", ""},
        TVariantSetting{"abc", "100", "80", ""}, TVariantSetting{"100", "100", "gut", ""},
        TVariantSetting{"16385", "100", "80", ""}, TVariantSetting{"100", "100", "101", ""},
        TVariantSetting{"1.5", "100", "80", ""}}) {
    input = Input();
    input.variants[1] = setting;
    EXPECT_EQ(
        Refusal(input),
        "Ungültige Werte für die Bildvariante „g“ (BIG)!|Maximale Breite und Höhe: 1 bis 16384 "
        "Pixel, JPG-Qualität: 0 bis 100.")
        << setting.max_width;
  }
  input = Input();
  input.variants[1] = {"16384", "1", "0", ""};
  EXPECT_TRUE(BuildRunRequest(input, files_).request);

  // Nothing to show: refused before a folder is made or emptied.
  TVTLRecordList none;
  input.records = &none;
  input.empty_output = true;
  WriteFile(files_.HomeFolder() + "/galerie/alt.html", "alt");
  EXPECT_EQ(Refusal(input), "Keine Galerie erstellt: Die Bildliste ist leer.");
  EXPECT_EQ(BuildRunRequest(input, files_).problem, TRequestProblem::kEmptyList);
}

TEST_F(RunRequestFixture, AVariantsFormatStartsAsTheSkinSaysAndIsHandedOn) {
  TSkinFixture fixture;
  fixture.variants = {{"THUMB", "k", "160", "120", "th_%old%", "avif"},
                      {"BIG", "g", "800", "600", "%old%", "webp"}};
  UseSkin(fixture);
  EXPECT_EQ(DefaultVariantSetting(skin_->ImageModifications.Row(0)).format, "avif");
  EXPECT_EQ(DefaultVariantSetting(skin_->ImageModifications.Row(1)).format, "webp");

  TRunInput input = Input();
  input.variants = {DefaultVariantSetting(skin_->ImageModifications.Row(0)),
                    {"800", "600", "80", " JPG "}};
  TRequestResult result = BuildRunRequest(input, files_);
  ASSERT_TRUE(result.request) << result.message;
  TVTLGalleryProperties settings;
  FillGallerySettings(settings, *result.request);
  EXPECT_EQ(settings.ImageVariants[0].scale.format, TImageFormat::kAvif);
  EXPECT_EQ(settings.ImageVariants[1].scale.format, TImageFormat::kJpeg);

  // Settings without a format (a caller of before) make JPEG copies; variants the caller left
  // out take the skin's.
  input.variants = {{"160", "120", "80", ""}};
  result = BuildRunRequest(input, files_);
  ASSERT_TRUE(result.request) << result.message;
  EXPECT_EQ(result.request->variants[0].scale.format, TImageFormat::kJpeg);
  EXPECT_EQ(result.request->variants[1].scale.format, TImageFormat::kWebp);

  for (const char* format : {"gif", "webp2", "jpeg xl"}) {
    input.variants = {{"160", "120", "80", format}};
    EXPECT_EQ(Refusal(input),
              "Ungültige Werte für die Bildvariante „k“ (THUMB)!|Unbekanntes Bildformat " +
                  std::string(format) + ", erlaubt sind JPEG, WebP oder AVIF.");
    EXPECT_EQ(BuildRunRequest(input, files_).problem, TRequestProblem::kVariant);
  }
}

TEST_F(RunRequestFixture, PatternsThatLeaveTheFolderOrHoldANulAreSkinErrors) {
  // A skin file with a NUL does not load; one that got it another way is refused here too.
  const std::string nul_page("x\0/..\0/..\0/planted.html", 24);
  for (const auto& [variant, page] :
       std::vector<std::pair<std::string, std::string>>{{"../%old%", "index.html"},
                                                        {"/tmp/%old%", "index.html"},
                                                        {"th_%old%", nul_page},
                                                        {std::string("a\0b", 3), "index.html"}}) {
    TSkinFixture fixture;
    fixture.variants = {{"THUMB", "k", "160", "120", "th_%old%"}};
    fixture.templates = {{"index.tpl", "index", "index.html"}};
    UseSkin(fixture);
    skin_->ImageModifications.Row(0).SetValue(4, variant);
    skin_->HTMLPatterns.Row(0).SetValue(2, page);
    TRunInput input = Input();
    input.variants.resize(1);
    const bool page_bad = page != "index.html";
    EXPECT_EQ(Refusal(input),
              "Ungültiger Dateiname " + PrintableName(page_bad ? page : variant) + "!");
  }
}

}  // namespace
}  // namespace vistrel
