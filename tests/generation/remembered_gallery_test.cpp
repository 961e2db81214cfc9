#include "generation/remembered_gallery.h"

#include <gtest/gtest.h>

#include "skin_fixture.h"
#include "support/disk.h"
#include "support/logger.h"
#include "support/user_messages.h"
#include "test_support.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;

class RememberedGalleryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TSkinFixture fixture;
    fixture.values = {{"TITEL", "Titel", "TEXT", "Vorgabe"},
                      {"FARBE", "Farbe", "COLOR", "#000000"},
                      {"SPALTEN", "Spalten", "NUMBER", "4"},
                      {"DATUM", "Datum", "DATE", "heute"}};
    fixture.variants = {{"THUMB", "k", "160", "120", "th_%old%", ""},
                        {"BIG", "g", "800", "600", "%old%", "webp"}};
    WriteSkin(dir_ / "skin", fixture);
    skin_ = std::make_unique<TVTLSkin>(SystemDisk(), dir_ / "skin/", "test.vsk", messages_);
    ASSERT_TRUE(skin_->Valid) << skin_->ErrorMessage;
    records_.Add(std::make_unique<TVTLRecord>(dir_ / "p/", "a.jpg", nullptr, log_));
  }

  TempDir dir_;
  RecordedMessages messages_;
  TLogger log_;
  TVTLRecordList records_;
  std::unique_ptr<TVTLSkin> skin_;
};

TEST_F(RememberedGalleryTest, ARunsSettingsGiveTheSameRequestAgain) {
  TRunInput input;
  input.skin = skin_.get();
  input.records = &records_;
  input.values = {"Urlaub", "#ff0000", "7", "heute"};
  input.variants = {{"100", "90", "70", "AVIF"}, {"1024", "768", "85", "JPEG"}};
  input.output_path = dir_ / "out";
  input.copy_originals = true;
  input.omit_location = true;
  input.use_cache = false;
  ScratchFiles files(dir_ / "home");
  const TRequestResult first = BuildRunRequest(input, files);
  ASSERT_TRUE(first.request) << first.message;
  const TGallerySettings settings = SettingsOfRequest(*first.request, "id1");
  EXPECT_EQ(settings.id, "id1");
  EXPECT_EQ(settings.skin_file, skin_->FullPath());

  // Through the file and back, as the next start of the program reads them.
  const std::optional<TGallerySettings> read =
      ParseGallerySettings(FormatGallerySettings(settings));
  ASSERT_TRUE(read);
  TRunInput again;
  again.records = &records_;
  ApplyGallerySettings(*read, *skin_, again);
  const TRequestResult second = BuildRunRequest(again, files);
  ASSERT_TRUE(second.request) << second.message;
  EXPECT_EQ(second.request->values, first.request->values);
  EXPECT_EQ(second.request->output_folder, first.request->output_folder);
  EXPECT_TRUE(second.request->copy_originals);
  EXPECT_TRUE(second.request->omit_location);
  EXPECT_FALSE(second.request->use_cache);
  ASSERT_EQ(second.request->variants.size(), 2u);
  EXPECT_EQ(second.request->variants, first.request->variants);
}

TEST_F(RememberedGalleryTest, WhatNoLongerFitsTheSkinGivesWayToItsDefaults) {
  TGallerySettings settings;
  settings.skin_file = skin_->FullPath();
  settings.values = {{"spalten", "12"},                      // another case: still the same value
                     {"FARBE", "keine"},                     // no colour
                     {"GONE", "vergessen"},                  // the skin asks no more
                     {"DATUM", "morgen"}};                   // no control: always the default
  settings.variants = {{"BIG", "99999", "x", "101", "GIF"},  // every field out of its range
                       {"thumb", "200", "150", "60", "avif"},
                       {"OLD", "1", "1", "1", "JPEG"}};
  TRunInput input;
  ApplyGallerySettings(settings, *skin_, input);
  EXPECT_EQ(input.skin, skin_.get());
  EXPECT_EQ(input.values, (std::vector<std::string>{"Vorgabe", "#000000", "12", "heute"}));
  ASSERT_EQ(input.variants.size(), 2u);
  EXPECT_EQ(input.variants[0].max_width, "200");
  EXPECT_EQ(input.variants[0].max_height, "150");
  EXPECT_EQ(input.variants[0].quality, "60");
  EXPECT_EQ(input.variants[0].format, "AVIF");
  EXPECT_EQ(input.variants[1].max_width, "800");
  EXPECT_EQ(input.variants[1].max_height, "600");
  EXPECT_EQ(input.variants[1].quality, "80");
  EXPECT_EQ(input.variants[1].format, "webp");
  // Numbers out of range are not clamped into it but forgotten.
  settings.values = {{"SPALTEN", "20000000"}};
  ApplyGallerySettings(settings, *skin_, input);
  EXPECT_EQ(input.values[2], "4");
}

}  // namespace
}  // namespace vistrel
