#include "ui/location_option.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <memory>

#include "skin_fixture.h"
#include "support/logger.h"
#include "support/system_disk.h"
#include "support/user_messages.h"
#include "test_support.h"
#include "ui/find_child.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;

TEST(LocationCountTextTest, SaysHowManyPhotosNameAPlace) {
  EXPECT_EQ(LocationCountText(12, 48), "12 von 48 Fotos enthalten Ortsangaben.");
  EXPECT_EQ(LocationCountText(1, 3), "1 von 3 Fotos enthält Ortsangaben.");
  EXPECT_EQ(LocationCountText(0, 3), "0 von 3 Fotos enthalten Ortsangaben.");
}

class LocationOptionTest : public ::testing::Test {
 protected:
  // A skin whose page shows `page`.
  std::unique_ptr<TVTLSkin> Skin(const std::string& folder, const std::string& page) {
    TSkinFixture fixture;
    fixture.template_files = {{"index.tpl", page}};
    WriteSkin(dir_ / folder, fixture);
    return std::make_unique<TVTLSkin>(disk_, dir_ / (folder + "/"), fixture.file, messages_);
  }
  void AddPhoto(const char* name, const char* city) {
    const int index = records_.Add(std::make_unique<TVTLRecord>("/f/", name, nullptr, log_));
    if (!*city) return;
    records_.Item(index).Captions.AddName("CITY");
    records_.Item(index).Captions.SetValueOf("CITY", city);
  }
  QLabel& Note() { return Child<QLabel>(option_, "locationNote"); }

  TempDir dir_;
  TSystemDisk disk_;
  RecordedMessages messages_;
  TLogger log_;
  TVTLRecordList records_;
  TLocationOption option_;
};

TEST_F(LocationOptionTest, TheNoteCountsPhotosWithAPlaceWhenTheSkinShowsOne) {
  AddPhoto("a.jpg", "Bern");
  AddPhoto("b.jpg", "");
  AddPhoto("c.jpg", "Basel");
  option_.Update(*Skin("karte", "<a href=\"%URL:EXIF:GPS%\">%META:CITY%</a>"), records_);
  EXPECT_FALSE(Note().isHidden());
  EXPECT_EQ(Note().text(), "2 von 3 Fotos enthalten Ortsangaben.");
  // A skin that shows no place needs no note; the choice itself stays for the originals.
  option_.Update(*Skin("schlicht", "%META:TITLE%"), records_);
  EXPECT_TRUE(Note().isHidden());
  EXPECT_FALSE(option_.Omit());
  Child<QCheckBox>(option_, "omitLocationBox").click();
  EXPECT_TRUE(option_.Omit());
}

}  // namespace
}  // namespace vistrel
