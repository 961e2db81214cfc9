#include "model/vistrel.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "image_fixtures.h"
#include "imaging/image_operations.h"
#include "imaging/metadata.h"
#include "model/gallery_setup.h"
#include "skin_fixture.h"
#include "support/logger.h"
#include "support/user_messages.h"
#include "test_support.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;
using Reports = std::vector<std::string>;
using Files = std::vector<std::string>;

// A skin, photos and a driver, run as the create-gallery dialog and progress window run it.
class DriverTest : public ::testing::Test {
 protected:
  void UseSkin(const TSkinSpec& spec) {
    WriteSkin(dir_ / "skin", spec);
    skin_ = std::make_unique<TVTLSkin>(dir_ / "skin/", spec.file, messages_);
    ASSERT_TRUE(skin_->Valid) << skin_->ErrorMessage;
  }
  void AddPhoto(const std::string& path, int w = 300, int h = 200) {
    WriteFile(path, MakeJpeg(w, h));
    AddFile(path);
  }
  void AddFile(const std::string& path) {
    records_.Add(std::make_unique<TVTLRecord>(ExtractFilePath(path), ExtractFileName(path),
                                              ReadImageMetadata, log_));
  }
  // Runs with the skin's default variant settings unless `variants` is given.
  bool Run(std::vector<TVariantSetting> variants = {}, bool copy = false) {
    if (variants.empty())
      for (int i = 0; i < skin_->ImageModifications.Count(); ++i)
        variants.push_back(DefaultVariantSetting(skin_->ImageModifications.Row(i)));
    std::vector<std::string> values;
    for (int i = 0; i < skin_->RequiredVars.Count(); ++i)
      values.push_back(skin_->RequiredVars.Row(i).Value(3));
    settings_ = std::make_unique<TVTLGalleryProperties>();
    FillGallerySettings(*settings_, *skin_, out_, copy, values, variants);
    driver_ = std::make_unique<TVistrel>();
    driver_->Records = &records_;
    driver_->Properties = settings_.get();
    driver_->Skin = skin_.get();
    driver_->Images = &images_;
    driver_->Messages = &messages_;
    reports_.clear();
    return driver_->Generate([this](int step, int sub, int count, int pos, int max, const std::string& message) {
      reports_.push_back(std::to_string(step) + "," + std::to_string(sub) + "," + std::to_string(count) + "," +
                         std::to_string(pos) + "," + std::to_string(max) + (message.empty() ? "" : " " + message));
    });
  }
  Files Output() const { return ListFolder(out_); }

  TempDir dir_;
  std::string out_ = dir_ / "out";
  RecordedMessages messages_;
  TLogger log_;
  TVTLRecordList records_;
  std::unique_ptr<TVTLSkin> skin_;
  std::unique_ptr<TVTLGalleryProperties> settings_;
  std::unique_ptr<TVistrel> driver_;
  TVipsImageProcessor images_;
  Reports reports_;
};

TEST_F(DriverTest, ReportsOfTwoVariantsThreeImagesAndTwoTemplates) {
  TSkinSpec spec;
  spec.variants = {{"THUMB", "klein", "100", "100", "th_%old%"}, {"BIG", "groß", "400", "400", "%old%"}};
  spec.templates = {{"index.tpl", "index", "index.html"}, {"detail.tpl", "detail", ""}};
  spec.template_files = {{"index.tpl", "[VTL] NEWSECTION NUMREPEAT:0\n%THUMB%\n[VTL] ENDSECTION"},
                         {"detail.tpl", "%BIG% %INDEX%"}};
  UseSkin(spec);
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) AddPhoto(dir_ / (std::string("photos/") + name));
  ASSERT_TRUE(Run());
  EXPECT_EQ(reports_, (Reports{"0,0,0,0,0", "1,1,2,1,3", "1,1,2,2,3", "1,1,2,3,3", "1,2,2,1,3",
                               "1,2,2,2,3", "1,2,2,3,3", "2,1,2,0,0", "2,2,2,0,0", "6,0,0,0,0"}));
  EXPECT_EQ(Output(), (Files{"a.html", "a.jpg", "b.html", "b.jpg", "c.html", "c.jpg", "index.html",
                             "th_a.jpg", "th_b.jpg", "th_c.jpg"}));
  EXPECT_EQ(ReadFile(out_ + "/b.html"), "\r\nb.jpg index.html");
  // After the run: no variant lists, one page entry per template.
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(records_.Item(i).VariantFiles, nullptr);
    ASSERT_NE(records_.Item(i).PageFiles, nullptr);
    EXPECT_EQ(records_.Item(i).PageFiles->Count(), 2);
  }
  EXPECT_EQ(records_.Item(2).PageFiles->ValueOf("index"), out_ + "/index.html");
  EXPECT_EQ(records_.Item(2).PageFiles->ValueOf("detail"), out_ + "/c.html");
}

TEST_F(DriverTest, CopiesHaveTheFittedSizesAndNoMetadata) {
  TSkinSpec spec;
  spec.variants = {{"BIG", "groß", "800", "600", "big_%old%"}, {"THUMB", "klein", "160", "160", "th_%old%"}};
  UseSkin(spec);
  WriteFile(dir_ / "p/small.jpg", WithExif(MakeJpeg(400, 300), BuildTiff({{Ascii(0x010F, "Canon")}, {}, {}, {}})));
  AddFile(dir_ / "p/small.jpg");
  AddPhoto(dir_ / "p/wide.jpg", 3000, 2000);
  ASSERT_TRUE(Run());
  EXPECT_EQ(InspectJpeg(out_ + "/big_small.jpg").width, 800);  // enlarged
  EXPECT_EQ(InspectJpeg(out_ + "/big_small.jpg").height, 600);
  EXPECT_FALSE(InspectJpeg(out_ + "/big_small.jpg").has_exif);
  EXPECT_EQ(InspectJpeg(out_ + "/th_wide.jpg").width, 160);
  EXPECT_EQ(InspectJpeg(out_ + "/th_wide.jpg").height, 107);
}

TEST_F(DriverTest, NamesAreNumberedAndNothingIsOverwritten) {
  TSkinSpec spec;
  spec.variants = {{"BIG", "groß", "64", "64", "%old%"}};
  spec.template_files = {{"index.tpl", "[VTL] NEWSECTION NUMREPEAT:0\n%BIG%\n[VTL] ENDSECTION"}};
  UseSkin(spec);
  AddPhoto(dir_ / "one/bild.jpg");
  AddPhoto(dir_ / "two/bild.jpg");
  ASSERT_TRUE(Run({}, /*copy=*/true));
  // Two images of one name; the copies of the originals come after the variant files.
  EXPECT_EQ(Output(), (Files{"bild.jpg", "bild2.jpg", "bild3.jpg", "bild4.jpg", "index.html"}));
  const std::string first_run = ReadFile(out_ + "/bild.jpg");
  EXPECT_EQ(ReadFile(out_ + "/bild3.jpg"), ReadFile(dir_ / "one/bild.jpg"));
  // A second run into the same folder numbers everything anew.
  ASSERT_TRUE(Run());
  EXPECT_EQ(Output(), (Files{"bild.jpg", "bild2.jpg", "bild3.jpg", "bild4.jpg", "bild5.jpg",
                             "bild6.jpg", "index.html", "index2.html"}));
  EXPECT_EQ(ReadFile(out_ + "/bild.jpg"), first_run);
  EXPECT_EQ(ReadFile(out_ + "/index2.html"), "\r\nbild5.jpg\r\nbild6.jpg");
}

TEST_F(DriverTest, WithoutVariantsOrTemplatesThoseStepsAreLeftOut) {
  TSkinSpec spec;
  spec.variants = {};
  spec.template_files = {{"index.tpl", "[VTL] NEWSECTION NUMREPEAT:0\n%FNAME_NO_PATH%\n[VTL] ENDSECTION"}};
  UseSkin(spec);
  AddPhoto(dir_ / "p/a.jpg");
  ASSERT_TRUE(Run());
  EXPECT_EQ(reports_, (Reports{"0,0,0,0,0", "2,1,1,0,0", "6,0,0,0,0"}));
  EXPECT_EQ(Output(), (Files{"index.html"}));

  spec.variants = {{"THUMB", "k", "10", "10", "t_%old%"}};
  spec.templates = {};
  UseSkin(spec);
  ASSERT_TRUE(Run());
  EXPECT_EQ(reports_, (Reports{"0,0,0,0,0", "1,1,1,1,1", "6,0,0,0,0"}));
}

TEST_F(DriverTest, TheSkinsStaticFilesAreCopiedWithAReport) {
  TSkinSpec spec;
  spec.static_files = {{"stil.css", "body{}"}, {"bilder/hg.png", "png"}};
  UseSkin(spec);
  WriteFile(dir_ / "secret.txt", "private");
  ASSERT_EQ(::symlink((dir_ / "secret.txt").c_str(), (dir_ / "skin/files/gestohlen.txt").c_str()), 0);
  AddPhoto(dir_ / "p/a.jpg");
  ASSERT_TRUE(Run());
  EXPECT_EQ(reports_[2], "4,0,0,0,0");
  EXPECT_EQ(ReadFile(out_ + "/files/stil.css"), "body{}");
  EXPECT_EQ(ReadFile(out_ + "/files/bilder/hg.png"), "png");
  EXPECT_FALSE(Exists(out_ + "/files/gestohlen.txt"));
}

TEST_F(DriverTest, FailedImagesAreReportedAndTheRunGoesOn) {
  UseSkin({});
  AddPhoto(dir_ / "p/good.jpg");
  WriteFile(dir_ / "p/fake.jpg", "<svg xmlns='http://www.w3.org/2000/svg'/>");
  AddFile(dir_ / "p/fake.jpg");
  AddFile(dir_ / "p/gone.jpg");  // disappeared after it was listed
  const std::string jpeg = MakeJpeg(200, 200);
  WriteFile(dir_ / "p/cut.jpg", jpeg.substr(0, jpeg.size() - 200));
  AddFile(dir_ / "p/cut.jpg");
  AddPhoto(dir_ / "p/last.jpg");
  EXPECT_TRUE(Run());
  EXPECT_EQ(reports_, (Reports{"0,0,0,0,0", "1,1,1,1,5",
                               "-1,0,0,0,0 Fehler beim Verarbeiten der Bilddatei " + (dir_ / "p/fake.jpg") + "!",
                               "1,1,1,2,5",
                               "-1,0,0,0,0 Fehler beim Verarbeiten der Bilddatei " + (dir_ / "p/gone.jpg") + "!",
                               "1,1,1,3,5",
                               "-1,0,0,0,0 Fehler beim Verarbeiten der Bilddatei " + (dir_ / "p/cut.jpg") + "!",
                               "1,1,1,4,5", "1,1,1,5,5", "2,1,1,0,0", "6,0,0,0,0"}));
  EXPECT_GT(ReadFile(out_ + "/th_last.jpg").size(), 100u);
}

TEST_F(DriverTest, InvalidVariantSizesEndTheRunBeforeAnythingIsWritten) {
  UseSkin({});
  AddPhoto(dir_ / "p/a.jpg");
  for (const TVariantSetting& setting : {TVariantSetting{"0", "100", "80"}, TVariantSetting{"100", "-5", "80"},
                                         TVariantSetting{"abc", "100", "80"}, TVariantSetting{"100", "100", "gut"},
                                         TVariantSetting{"16385", "100", "80"}}) {
    EXPECT_FALSE(Run({setting}));
    EXPECT_EQ(reports_, (Reports{"0,0,0,0,0", "-1,0,0,0,0 Ungültige Werte für die Bildvariante THUMB!"}));
    EXPECT_FALSE(Exists(out_));
  }
  EXPECT_TRUE(Run({TVariantSetting{"16384", "1", "500"}}));  // quality is brought into range
}

TEST_F(DriverTest, NamesLeavingTheOutputFolderEndTheRun) {
  TSkinSpec spec;
  spec.variants = {{"THUMB", "k", "10", "10", "../%old%"}};
  UseSkin(spec);
  AddPhoto(dir_ / "p/a.jpg");
  EXPECT_FALSE(Run());
  EXPECT_EQ(reports_.back(), "-1,0,0,0,0 Ungültiger Dateiname ../%old%!");
  EXPECT_FALSE(Exists(dir_ / "a.jpg"));

  spec.variants = {{"THUMB", "k", "10", "10", "klein/%old%"}};  // sub-folders are made
  UseSkin(spec);
  ASSERT_TRUE(Run());
  EXPECT_TRUE(Exists(out_ + "/klein/a.jpg"));
}

TEST_F(DriverTest, AnOutputFolderThatCannotBeMadeIsReported) {
  UseSkin({});
  AddPhoto(dir_ / "p/a.jpg");
  WriteFile(out_, "a file, not a folder");
  EXPECT_FALSE(Run());
  EXPECT_EQ(reports_, (Reports{"0,0,0,0,0", "-1,0,0,0,0 Kann Ausgabeverzeichnis nicht erstellen!"}));
}

TEST_F(DriverTest, OnlyJpegNamesAreCopiedAsOriginals) {
  UseSkin({});
  AddPhoto(dir_ / "p/a.jpg");
  WriteFile(dir_ / "p/notes.txt", "private notes");
  AddFile(dir_ / "p/notes.txt");  // a list file can name anything
  EXPECT_TRUE(Run({}, true));
  EXPECT_FALSE(Exists(out_ + "/notes.txt"));
  EXPECT_TRUE(Exists(out_ + "/a.jpg"));
}

TEST_F(DriverTest, AMissingTemplateEndsTheRunWithTheReadingError) {
  TSkinSpec spec;
  spec.template_files = {};
  UseSkin(spec);
  AddPhoto(dir_ / "p/a.jpg");
  EXPECT_FALSE(Run());
  const std::string message = "Fehler beim Lesen der Vorlagendatei " + (dir_ / "skin/index.tpl") + "!";
  EXPECT_EQ(reports_.back(), "-1,0,0,0,0 " + message);
  EXPECT_EQ(messages_.errors, (std::vector<std::string>{message}));
}

TEST_F(DriverTest, ATemplateOutsideTheSkinIsNotRead) {
  TSkinSpec spec;
  spec.templates = {{"../secret.tpl", "index", "index.html"}};
  UseSkin(spec);
  WriteFile(dir_ / "secret.tpl", "private %FNAME%");
  AddPhoto(dir_ / "p/a.jpg");
  EXPECT_FALSE(Run());
  EXPECT_EQ(reports_.back(), "-1,0,0,0,0 Fehler beim Lesen der Vorlagendatei " + (dir_ / "skin/../secret.tpl") + "!");
}

TEST_F(DriverTest, AnEndlessTemplateAddsTheDriversError) {
  TSkinSpec spec;
  spec.template_files = {{"index.tpl", "x\n[VTL] RESETCOUNTER\ny"}};
  UseSkin(spec);
  AddPhoto(dir_ / "p/a.jpg");
  EXPECT_FALSE(Run());
  EXPECT_EQ(reports_[reports_.size() - 2],
            "-1,0,0,0,0 Endlosschleife in der Vorlagendatei " + (dir_ / "skin/index.tpl") + "!");
  EXPECT_EQ(reports_.back(), "-1,0,0,0,0 Fehler!");
}

}  // namespace
}  // namespace vistrel
