#include "model/gallery_run.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "image_fixtures.h"
#include "imaging/image_operations.h"
#include "model/gallery_setup.h"
#include "skin_fixture.h"
#include "support/logger.h"
#include "support/user_messages.h"
#include "test_support.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;

class GalleryRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("XDG_DATA_HOME", (dir_ / "trash-home").c_str(), 1);
    WriteSkin(dir_ / "skin");
    skin_ = std::make_unique<TVTLSkin>(dir_ / "skin", "test.vsk", messages_);
    WriteFile(dir_ / "photos/a.jpg", MakeJpeg(40, 30));
    records_.Add(std::make_unique<TVTLRecord>(dir_ / "photos/", "a.jpg", nullptr, log_));
  }
  bool Run(const std::string& out, bool empty) {
    settings_ = std::make_unique<TVTLGalleryProperties>();
    FillGallerySettings(settings_.get()[0], *skin_, out, false, {},
                        {DefaultVariantSetting(skin_->ImageModifications.Row(0))});
    driver_.Records = &records_;
    driver_.Properties = settings_.get();
    driver_.Skin = skin_.get();
    driver_.Images = &images_;
    reports_.clear();
    return RunGallery(driver_, empty, out, {dir_ / "skin"},
                      [this](int step, int, int, int, int, const std::string& message) {
                        reports_.push_back(std::to_string(step) + (message.empty() ? "" : " " + message));
                      });
  }
  TempDir dir_;
  RecordedMessages messages_;
  TLogger log_;
  TVTLRecordList records_;
  std::unique_ptr<TVTLSkin> skin_;
  std::unique_ptr<TVTLGalleryProperties> settings_;
  TVistrel driver_;
  TVipsImageProcessor images_;
  std::vector<std::string> reports_;
};

TEST_F(GalleryRunTest, EmptyingIsReportedFirstAndRemovesTheOldGallery) {
  WriteFile(dir_ / "out/old.html", "old");
  WriteFile(dir_ / "out/sub/old.jpg", "old");
  ASSERT_TRUE(Run(dir_ / "out", true));
  EXPECT_EQ(reports_.front(), "7");
  EXPECT_EQ(reports_[1], "0");
  EXPECT_EQ(ListFolder(dir_ / "out"), (std::vector<std::string>{"index.html", "th_a.jpg"}));
}

TEST_F(GalleryRunTest, AFolderThatDoesNotExistIsNeitherReportedNorEmptied) {
  ASSERT_TRUE(Run(dir_ / "new", true));
  EXPECT_EQ(reports_.front(), "0");
}

TEST_F(GalleryRunTest, EmptyingFoldersThatHoldWhatMustNotBeLostIsRefused) {
  WriteFile(dir_ / "photos/other.txt", "keep");
  for (const std::string& folder : {dir_ / "photos", dir_.Path(), dir_ / "skin", std::string("/")}) {
    EXPECT_FALSE(Run(folder, true)) << folder;
    EXPECT_EQ(reports_, (std::vector<std::string>{"-1 Das Verzeichnis " + folder + " kann nicht geleert werden!"}));
  }
  EXPECT_EQ(ReadFile(dir_ / "photos/other.txt"), "keep");
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "/root";
  EXPECT_FALSE(MayEmptyFolder(home, records_, {}));
  WriteFile(dir_ / "gallery/old.html", "");
  EXPECT_TRUE(MayEmptyFolder(dir_ / "photos/../gallery", records_, {dir_ / "skin"}));
  EXPECT_FALSE(MayEmptyFolder(dir_ / "missing", records_, {}));
}

}  // namespace
}  // namespace vistrel
