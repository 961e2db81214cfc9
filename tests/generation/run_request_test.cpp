#include "model/gallery_setup.h"

#include <gtest/gtest.h>

#include "model/color.h"
#include "skin_fixture.h"
#include "support/user_messages.h"
#include "test_support.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;

TEST(GallerySetupTest, ValuesAreHandedOverAsTheControlsWouldHoldThem) {
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

TEST(GallerySetupTest, SettingsFollowTheSkinsRows) {
  TempDir dir;
  TSkinSpec spec;
  spec.values = {{"TITEL", "Titel", "TEXT", "x"}, {"FARBE", "Farbe", "COLOR", "#000000"}};
  spec.variants = {{"THUMB", "k", "160", "120", "th_%old%"}, {"BIG", "g", "0", "600", "%old%"}};
  WriteSkin(dir / "s", spec);
  RecordedMessages messages;
  TVTLSkin skin(dir / "s", "test.vsk", messages);
  ASSERT_TRUE(skin.Valid);
  TVTLGalleryProperties settings;
  const std::vector<TVariantSetting> variants = {DefaultVariantSetting(skin.ImageModifications.Row(0)),
                                                 {"800", "600", "90"}};
  FillGallerySettings(settings, skin, " /out ", true, {"Urlaub", "#FF0000"}, variants);
  EXPECT_EQ(settings.OutputDirectory, " /out ");
  EXPECT_TRUE(settings.CopyOriginals);
  EXPECT_EQ(settings.HTMLPatterns, &skin.HTMLPatterns);  // borrowed, not copied
  ASSERT_EQ(settings.ImageVariants.Count(), 2);
  const TVTLValueList& thumb = settings.ImageVariants.Row(0);
  EXPECT_EQ((std::vector<std::string>{thumb.Value(0), thumb.Value(1), thumb.Value(2), thumb.Value(3), thumb.Value(4)}),
            (std::vector<std::string>{"THUMB", "160", "120", "th_%old%", "80"}));
  EXPECT_EQ(settings.ImageVariants.Row(1).Value(1), "800");
  ASSERT_EQ(settings.RequiredValues.Count(), 2);
  EXPECT_EQ(settings.RequiredValues.Row(1).Value(0), "FARBE");
  EXPECT_EQ(settings.RequiredValues.Row(1).Value(1), "#FF0000");
}

}  // namespace
}  // namespace vistrel
