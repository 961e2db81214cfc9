#include "generation/vistrel.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

#include "generation/run_fixture.h"
#include "image_fixtures.h"
#include "imaging/metadata.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;

using DriverTest = RunFixture;

TEST_F(DriverTest, ReportsOfTwoVariantsThreeImagesAndTwoTemplates) {
  TSkinFixture fixture;
  fixture.variants = {{"THUMB", "klein", "100", "100", "th_%old%"},
                      {"BIG", "groß", "400", "400", "%old%"}};
  fixture.templates = {{"index.tpl", "index", "index.html"}, {"detail.tpl", "detail", ""}};
  fixture.template_files = {
      {"index.tpl", "[VTL] NEWSECTION NUMREPEAT:0\n%THUMB%\n[VTL] ENDSECTION"},
      {"detail.tpl", "%BIG% %INDEX%"}};
  UseSkin(fixture);
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
    AddPhoto(dir_ / (std::string("photos/") + name));
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
  TSkinFixture fixture;
  fixture.variants = {{"BIG", "groß", "800", "600", "big_%old%"},
                      {"THUMB", "klein", "160", "160", "th_%old%"}};
  UseSkin(fixture);
  WriteFile(dir_ / "p/small.jpg",
            WithExif(MakeJpeg(400, 300), BuildTiff({{Ascii(0x010F, "Canon")}, {}, {}, {}})));
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
  TSkinFixture fixture;
  fixture.variants = {{"BIG", "groß", "64", "64", "%old%"}};
  fixture.template_files = {
      {"index.tpl", "[VTL] NEWSECTION NUMREPEAT:0\n%BIG%|%ORIGINAL%\n[VTL] ENDSECTION"}};
  UseSkin(fixture);
  AddPhoto(dir_ / "one/bild.jpg");
  AddPhoto(dir_ / "two/bild.jpg");
  ASSERT_TRUE(Run({.copy = true}));
  // Two images of one name; the copies of the originals come after the variant files, and
  // each page knows where its photo's copy went.
  EXPECT_EQ(Output(), (Files{"bild.jpg", "bild2.jpg", "bild3.jpg", "bild4.jpg", "index.html"}));
  EXPECT_EQ(ReadFile(out_ + "/index.html"), "\r\nbild.jpg|bild3.jpg\r\nbild2.jpg|bild4.jpg");
  const std::string first_run = ReadFile(out_ + "/bild.jpg");
  EXPECT_EQ(ReadFile(out_ + "/bild3.jpg"), ReadFile(dir_ / "one/bild.jpg"));
  // A second run into the same folder numbers everything anew.
  ASSERT_TRUE(Run());
  EXPECT_EQ(Output(), (Files{"bild.jpg", "bild2.jpg", "bild3.jpg", "bild4.jpg", "bild5.jpg",
                             "bild6.jpg", "index.html", "index2.html"}));
  EXPECT_EQ(ReadFile(out_ + "/bild.jpg"), first_run);
  EXPECT_EQ(ReadFile(out_ + "/index2.html"), "\r\nbild5.jpg|\r\nbild6.jpg|");
}

TEST_F(DriverTest, WithoutVariantsOrTemplatesThoseStepsAreLeftOut) {
  TSkinFixture fixture;
  fixture.variants = {};
  fixture.template_files = {
      {"index.tpl", "[VTL] NEWSECTION NUMREPEAT:0\n%FNAME_NO_PATH%\n[VTL] ENDSECTION"}};
  UseSkin(fixture);
  AddPhoto(dir_ / "p/a.jpg");
  ASSERT_TRUE(Run());
  EXPECT_EQ(reports_, (Reports{"0,0,0,0,0", "2,1,1,0,0", "6,0,0,0,0"}));
  EXPECT_EQ(Output(), (Files{"index.html"}));

  fixture.variants = {{"THUMB", "k", "10", "10", "t_%old%"}};
  fixture.templates = {};
  UseSkin(fixture);
  ASSERT_TRUE(Run());
  EXPECT_EQ(reports_, (Reports{"0,0,0,0,0", "1,1,1,1,1", "6,0,0,0,0"}));
}

TEST_F(DriverTest, TheSkinsStaticFilesAreCopiedWithAReport) {
  TSkinFixture fixture;
  fixture.static_files = {{"stil.css", "body{}"}, {"bilder/hg.png", "png"}};
  UseSkin(fixture);
  WriteFile(dir_ / "secret.txt", "private");
  ASSERT_EQ(::symlink((dir_ / "secret.txt").c_str(), (dir_ / "skin/files/gestohlen.txt").c_str()),
            0);
  AddPhoto(dir_ / "p/a.jpg");
  ASSERT_TRUE(Run());
  EXPECT_EQ(reports_[2], "4,0,0,0,0");
  EXPECT_EQ(ReadFile(out_ + "/files/stil.css"), "body{}");
  EXPECT_EQ(ReadFile(out_ + "/files/bilder/hg.png"), "png");
  EXPECT_FALSE(Exists(out_ + "/files/gestohlen.txt"));
}

// A listed photo that is not there fails without taking a name: the photo of the same name
// after it gets the plain one, and the folder never held a file for the missing photo.
TEST_F(DriverTest, AMissingPhotoTakesNoNameFromThePhotosAfterIt) {
  UseSkin({});
  AddFile(dir_ / "gone/a.jpg");
  AddPhoto(dir_ / "p/a.jpg");
  std::vector<Files> seen;  // the output folder at each report
  on_report_ = [&](const std::string&) { seen.push_back(Output()); };
  EXPECT_TRUE(Run());
  EXPECT_EQ(reports_[2],
            "-1,0,0,0,0 Fehler beim Verarbeiten der Bilddatei " + (dir_ / "gone/a.jpg") + "!");
  EXPECT_EQ(Output(), (Files{"index.html", "th_a.jpg"}));
  for (const Files& files : seen)
    EXPECT_EQ(std::find(files.begin(), files.end(), "th_a2.jpg"), files.end());
}

TEST_F(DriverTest, FailedImagesAreReportedAndLeftOutOfTheGallery) {
  TSkinFixture fixture;
  fixture.templates = {{"index.tpl", "index", "index.html"}, {"bild.tpl", "bild", ""}};
  fixture.template_files = {
      {"index.tpl", "%NUM_RECORDS%\n[VTL] NEWSECTION NUMREPEAT:0\n%THUMB%\n[VTL] ENDSECTION"},
      {"bild.tpl", "%PREVIOUSRECORD_bild%<%FNAME_NO_PATH%>%NEXTRECORD_bild%"}};
  UseSkin(fixture);
  AddPhoto(dir_ / "p/good.jpg");
  WriteFile(dir_ / "p/fake.jpg", "<svg xmlns='http://www.w3.org/2000/svg'/>");
  AddFile(dir_ / "p/fake.jpg");
  AddFile(dir_ / "p/gone.jpg");  // disappeared after it was listed
  const std::string jpeg = MakeJpeg(200, 200);
  WriteFile(dir_ / "p/cut.jpg", jpeg.substr(0, jpeg.size() - 200));
  AddFile(dir_ / "p/cut.jpg");
  AddPhoto(dir_ / "p/last.jpg");
  EXPECT_TRUE(Run());
  EXPECT_EQ(
      reports_,
      (Reports{"0,0,0,0,0", "1,1,1,1,5", "1,1,1,2,5",
               "-1,0,0,0,0 Fehler beim Verarbeiten der Bilddatei " + (dir_ / "p/fake.jpg") +
                   "! Format nicht unterstützt",
               "1,1,1,3,5",
               "-1,0,0,0,0 Fehler beim Verarbeiten der Bilddatei " + (dir_ / "p/gone.jpg") + "!",
               "1,1,1,4,5",
               "-1,0,0,0,0 Fehler beim Verarbeiten der Bilddatei " + (dir_ / "p/cut.jpg") + "!",
               "1,1,1,5,5", "2,1,2,0,0", "2,2,2,0,0",
               "6,0,0,0,0 Galerie erstellt, 3 Bilder konnten nicht verarbeitet werden."}));
  // Nothing of the failed images: no empty files, no pages, no links, not counted.
  EXPECT_EQ(Output(),
            (Files{"good.html", "index.html", "last.html", "th_good.jpg", "th_last.jpg"}));
  EXPECT_EQ(ReadFile(out_ + "/index.html"), "\r\n2\r\nth_good.jpg\r\nth_last.jpg");
  EXPECT_EQ(ReadFile(out_ + "/good.html"), "\r\n<good.jpg>last.html");
  EXPECT_EQ(ReadFile(out_ + "/last.html"), "\r\ngood.html<last.jpg>");
  EXPECT_EQ(run_->FailedImages(), 3);
  EXPECT_EQ(run_->StartPage(), out_ + "/index.html");
  // A single failure is told in the singular.
  EXPECT_EQ(FailedImagesLine(1), "Galerie erstellt, 1 Bild konnte nicht verarbeitet werden.");
}

TEST_F(DriverTest, PagesKnowThePixelSizeOfEachCopyAsWritten) {
  TSkinFixture fixture;
  fixture.variants = {{"THUMB", "k", "100", "100", "th_%old%"},
                      {"BIG", "g", "400", "400", "%old%"}};
  fixture.templates = {{"bild.tpl", "bild", ""}};
  fixture.template_files = {{"bild.tpl", "%THUMB:WIDTH% %THUMB:HEIGHT% %BIG:WIDTH% %BIG:HEIGHT%"}};
  UseSkin(fixture);
  AddPhoto(dir_ / "p/quer.jpg", 300, 200);
  TTiff sideways;
  sideways.ifd0 = {Short(0x0112, 6)};
  WriteFile(dir_ / "p/hoch.jpg", WithExif(MakeJpeg(160, 80), BuildTiff(sideways)));
  AddFile(dir_ / "p/hoch.jpg");
  ASSERT_TRUE(Run());
  for (const std::string name : {"quer", "hoch"}) {
    const TImageInfo thumb = InspectJpeg(out_ + "/th_" + name + ".jpg");
    const TImageInfo big = InspectJpeg(out_ + "/" + name + ".jpg");
    EXPECT_EQ(ReadFile(out_ + "/" + name + ".html"),
              "\r\n" + std::to_string(thumb.width) + " " + std::to_string(thumb.height) + " " +
                  std::to_string(big.width) + " " + std::to_string(big.height));
  }
  EXPECT_EQ(ReadFile(out_ + "/hoch.html"), "\r\n50 100 200 400");  // upright
}

TEST_F(DriverTest, ACopyIsNamedAndWrittenByItsFormatAndPagesKnowItsSize) {
  TSkinFixture fixture;
  fixture.variants = {{"THUMB", "k", "100", "100", "th_%old%", "webp"},
                      {"BIG", "g", "400", "400", "%old%", "AVIF"},
                      {"MID", "m", "50", "50", "m_%old%", ""}};
  fixture.templates = {{"bild.tpl", "bild", "seite_%old%.html"}};
  fixture.template_files = {
      {"bild.tpl", "%THUMB% %THUMB:WIDTH% %BIG% %BIG:HEIGHT% %MID% %MID:WIDTH%"}};
  UseSkin(fixture);
  AddPhoto(dir_ / "p/quer.JPG", 300, 200);
  ASSERT_TRUE(Run());
  EXPECT_EQ(Output(), (Files{"m_quer.JPG", "quer.avif", "seite_quer.html", "th_quer.webp"}));
  EXPECT_EQ(ReadFile(out_ + "/seite_quer.html"),
            "\r\nth_quer.webp 100 quer.avif 267 m_quer.JPG 50");
  EXPECT_EQ(ReadFile(out_ + "/th_quer.webp").substr(8, 4), "WEBP");
  EXPECT_EQ(ReadFile(out_ + "/quer.avif").substr(4, 8), "ftypavif");
  EXPECT_EQ(InspectJpeg(out_ + "/quer.avif").width, 400);

  // The user's choice wins over the skin's.
  ASSERT_TRUE(Run({.variants = {{"100", "100", "80", "jpeg"}}, .out = dir_ / "o2"}));
  EXPECT_EQ(ListFolder(dir_ / "o2"), (Files{".vistrel-inhalt", "m_quer.JPG", "quer.avif",
                                            "seite_quer.html", "th_quer.JPG"}));
}

TEST_F(DriverTest, WithoutImageVariantsMissingPhotosStillGetTheirPages) {
  TSkinFixture fixture;
  fixture.variants = {};
  fixture.templates = {{"bild.tpl", "bild", ""}};
  fixture.template_files = {{"bild.tpl", "%JPGMETA:WIDTH%x%JPGMETA:HEIGHT%"}};
  UseSkin(fixture);
  AddFile(dir_ / "p/gone.jpg");
  EXPECT_TRUE(Run());
  EXPECT_EQ(ReadFile(out_ + "/gone.html"), "\r\n0x0");
}

// Photos of other formats than JPEG become JPEG variants named ".jpg"; their originals are
// copied unchanged under their own names. A file of a format the program does not take fails
// with that reason.
TEST_F(DriverTest, PhotosOfOtherFormatsGiveJpegVariantsAndKeepTheirOriginals) {
  TSkinFixture fixture;
  fixture.template_files = {
      {"index.tpl", "[VTL] NEWSECTION NUMREPEAT:0\n%THUMB%|%ORIGINAL%\n[VTL] ENDSECTION"}};
  UseSkin(fixture);
  WriteFile(dir_ / "p/IMG_0001.HEIC", MakePhoto(TImageFormat::kHeif, 300, 200));
  WriteFile(dir_ / "p/Grafik.png", MakePhoto(TImageFormat::kPng, 300, 200));
  WriteFile(dir_ / "p/IMG_0002", MakePhoto(TImageFormat::kAvif, 300, 200));
  WriteFile(dir_ / "p/anim.gif", std::string("GIF89a\x01\0\x01\0\x80\0\0", 13));
  for (const char* name : {"IMG_0001.HEIC", "Grafik.png", "IMG_0002", "anim.gif"})
    AddFile(dir_ / ("p/" + std::string(name)));
  EXPECT_TRUE(Run({.copy = true}));
  EXPECT_EQ(reports_[5], "-1,0,0,0,0 Fehler beim Verarbeiten der Bilddatei " +
                             (dir_ / "p/anim.gif") + "! Format nicht unterstützt");
  // A photo without an extension is published with its format's.
  EXPECT_EQ(Output(), (Files{"Grafik.png", "IMG_0001.HEIC", "IMG_0002.avif", "index.html",
                             "th_Grafik.jpg", "th_IMG_0001.jpg", "th_IMG_0002.jpg"}));
  EXPECT_EQ(ReadFile(out_ + "/index.html"),
            "\r\nth_IMG_0001.jpg|IMG_0001.HEIC\r\nth_Grafik.jpg|Grafik.png\r\n"
            "th_IMG_0002.jpg|IMG_0002.avif");
  EXPECT_EQ(ReadFile(out_ + "/IMG_0002.avif"), ReadFile(dir_ / "p/IMG_0002"));
  EXPECT_EQ(ReadFile(out_ + "/IMG_0001.HEIC"), ReadFile(dir_ / "p/IMG_0001.HEIC"));
  EXPECT_EQ(InspectJpeg(out_ + "/th_IMG_0001.jpg").bands, 3);
  EXPECT_EQ(ReadFile(out_ + "/th_Grafik.jpg").substr(0, 3), "\xFF\xD8\xFF");
}

TEST_F(DriverTest, ACopyOfTheOriginalThatFailsTakesTheImageOutWithItsVariants) {
  UseSkin({});
  AddPhoto(dir_ / "p/a.jpg");
  AddPhoto(dir_ / "p/b.jpg");
  // The copies are made from the photos; b's original is gone before it can be copied.
  on_report_ = [this](const std::string& line) {
    if (line == "1,1,1,2,2") ::unlink((dir_ / "p/b.jpg").c_str());
  };
  EXPECT_TRUE(Run({.copy = true}));
  EXPECT_EQ(reports_.back(), "6,0,0,0,0 Galerie erstellt, 1 Bild konnte nicht verarbeitet werden.");
  EXPECT_EQ(Output(), (Files{"a.jpg", "index.html", "th_a.jpg"}));
}

// Names holding a NUL would be cut by the system: "..<NUL>" becomes "..". Such an image fails;
// nothing is written outside the output folder and the run ends.
TEST_F(DriverTest, ImagesWhoseNamesHoldANulFailWithoutWritingAnywhereElse) {
  TSkinFixture fixture;
  fixture.variants = {{"THUMB", "k", "40", "40", "%old%_thumb"}};
  UseSkin(fixture);
  // The photos are there; the list names them with a NUL and what follows it.
  WriteFile(dir_ / "p/payload.jpg", MakeJpeg(300, 200));
  WriteFile(dir_ / "p/valid.jpg", MakeJpeg(300, 200));
  for (const std::string& name : {std::string("payload.jpg\0/..\0/..\0/planted.sh\0.jpg", 36),
                                  std::string("valid\0seed.jpg", 14)})
    records_.Add(std::make_unique<TVTLRecord>(dir_ / "p/", name, ReadPhotoMetadata, log_));
  AddPhoto(dir_ / "p/ok.jpg");
  EXPECT_TRUE(Run({.copy = true}));
  EXPECT_EQ(reports_[1], "-1,0,0,0,0 Fehler beim Verarbeiten der Bilddatei " + (dir_ / "p/") +
                             "payload.jpg\\x00/..\\x00/..\\x00/planted.sh\\x00.jpg!");
  EXPECT_EQ(reports_.back(),
            "6,0,0,0,0 Galerie erstellt, 2 Bilder konnten nicht verarbeitet werden.");
  EXPECT_EQ(Output(), (Files{"index.html", "ok.jpg", "ok_thumb.jpg"}));
  EXPECT_FALSE(Exists(dir_ / "planted.sh"));
  EXPECT_FALSE(Exists(dir_ / "p/planted.sh"));
}

TEST_F(DriverTest, ControlCharactersNeverReachAGeneratedName) {
  UseSkin({});
  AddPhoto(dir_ / "p/a\nb\x1b.jpg");
  EXPECT_TRUE(Run());
  EXPECT_EQ(Output(), (Files{"index.html", "th_a_b_.jpg"}));
}

// Makes the copies through the real processor and sets the cancel flag on its second photo.
struct CancellingImages : TImageProcessor {
  TImageProcessor* real = nullptr;
  TCancelFlag* cancel = nullptr;
  int calls = 0;
  bool ScaleImage(const std::string& source, const std::vector<TScaleRequest>& requests,
                  std::vector<TScaledCopy>& copies) override {
    if (++calls == 2) cancel->Cancel();
    return real->ScaleImage(source, requests, copies);
  }
};

TEST_F(DriverTest, CancellingWhileImagesAreMadeKeepsFinishedFilesOnly) {
  TSkinFixture fixture;
  fixture.variants = {{"THUMB", "k", "40", "40", "th_%old%"}, {"BIG", "g", "80", "80", "%old%"}};
  UseSkin(fixture);
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) AddPhoto(dir_ / (std::string("p/") + name));
  threads_ = 1;
  CancellingImages images;
  images.real = &vips_;
  images.cancel = &cancel_;
  images_ = &images;
  EXPECT_FALSE(Run());
  EXPECT_TRUE(run_->Cancelled());
  EXPECT_EQ(reports_.back(), "8,0,0,0,0 Abgebrochen: 4 Bilddateien bleiben in " + out_ + "/.");
  // The second image was finished as the user cancelled; the third was never begun, and its
  // reserved names are gone again.
  EXPECT_EQ(Output(), (Files{"a.jpg", "b.jpg", "th_a.jpg", "th_b.jpg"}));
  for (const std::string& name : Output())
    EXPECT_GT(ReadFile(out_ + "/" + name).size(), 100u) << name;
}

// Holds every photo until all of them are being made, then (a moment later, while the run
// waits for the first) cancels the run and fails them all, the first one first.
struct CancellingWhenAllStarted : TImageProcessor {
  int images = 0;
  TCancelFlag* cancel = nullptr;
  std::atomic<int> started{0};
  std::atomic<int> returned{0};
  bool ScaleImage(const std::string& source, const std::vector<TScaleRequest>&,
                  std::vector<TScaledCopy>&) override {
    using std::chrono::milliseconds;
    if (++started == images) {
      std::this_thread::sleep_for(milliseconds(100));
      cancel->Cancel();
    }
    while (!cancel->Cancelled()) std::this_thread::sleep_for(milliseconds(1));
    if (!source.ends_with("/a.jpg")) {
      while (returned == 0) std::this_thread::sleep_for(milliseconds(1));
      std::this_thread::sleep_for(milliseconds(50));
    }
    ++returned;
    return false;
  }
};

// Images cut short by the user make a cancelled run, not a run without any image.
TEST_F(DriverTest, CancellingWhileEveryImageIsMadeEndsAsCancelled) {
  UseSkin({});
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) AddPhoto(dir_ / (std::string("p/") + name));
  CancellingWhenAllStarted images;
  images.images = threads_ = 3;
  images.cancel = &cancel_;
  images_ = &images;
  // The first image's report waits until every image has come back failed.
  on_report_ = [&](const std::string& line) {
    if (line != "1,1,1,1,3") return;
    for (int i = 0; i < 5000 && images.returned < 3; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // and its state is noted
  };
  EXPECT_FALSE(Run({.cache = false}));
  EXPECT_EQ(reports_.back(), "8,0,0,0,0 Abgebrochen: In " + out_ + "/ bleibt nichts davon.")
      << ::testing::PrintToString(reports_);
  EXPECT_EQ(Output(), Files{});
}

TEST_F(DriverTest, CancellingBetweenPagesRemovesThePagesNotWritten) {
  TSkinFixture fixture;
  fixture.templates = {{"index.tpl", "index", "index.html"}, {"bild.tpl", "bild", ""}};
  fixture.template_files = {
      {"index.tpl", "[VTL] NEWSECTION NUMREPEAT:1\n%THUMB%\n[VTL] ENDSECTION"},
      {"bild.tpl", "%FNAME_NO_PATH%"}};
  UseSkin(fixture);
  for (const char* name : {"a.jpg", "b.jpg"}) AddPhoto(dir_ / (std::string("p/") + name));
  on_report_ = [this](const std::string& line) {
    if (line == "2,2,2,0,0") cancel_.Cancel();  // the index is planned, the image pages not
  };
  EXPECT_FALSE(Run());
  EXPECT_EQ(reports_.back(), "8,0,0,0,0 Abgebrochen: 2 Bilddateien bleiben in " + out_ + "/.");
  // The images were finished and stay; no page was written, so none is left, not even empty.
  EXPECT_EQ(Output(), (Files{"th_a.jpg", "th_b.jpg"}));
}

TEST_F(DriverTest, ARunCancelledBeforeItStartsWritesNothing) {
  UseSkin({});
  AddPhoto(dir_ / "p/a.jpg");
  cancel_.Cancel();
  EXPECT_FALSE(Run());
  EXPECT_EQ(reports_, (Reports{"8,0,0,0,0"}));
  EXPECT_FALSE(Exists(out_));
}

TEST_F(DriverTest, InvalidVariantSizesAndNamesAreRefusedBeforeAnythingIsWritten) {
  UseSkin({});
  AddPhoto(dir_ / "p/a.jpg");
  EXPECT_FALSE(Run({.variants = {{"0", "100", "80", ""}}}));
  EXPECT_EQ(refusal_,
            "Ungültige Werte für die Bildvariante „Vorschau“ (THUMB)!|Maximale Breite und Höhe: 1 "
            "bis 16384 "
            "Pixel, JPG-Qualität: 0 bis 100.");
  EXPECT_TRUE(reports_.empty());
  EXPECT_FALSE(Exists(out_));

  TSkinFixture fixture;
  fixture.variants = {{"THUMB", "k", "10", "10", "../%old%"}};
  UseSkin(fixture);
  EXPECT_FALSE(Run());
  EXPECT_EQ(refusal_, "Ungültiger Dateiname ../%old%!");
  EXPECT_FALSE(Exists(dir_ / "a.jpg"));

  fixture.variants = {{"THUMB", "k", "10", "10", "klein/%old%"}};  // sub-folders are made
  UseSkin(fixture);
  ASSERT_TRUE(Run());
  EXPECT_TRUE(Exists(out_ + "/klein/a.jpg"));
}

TEST_F(DriverTest, AnOutputFolderThatCannotBeMadeIsReportedWithItsReason) {
  UseSkin({});
  AddPhoto(dir_ / "p/a.jpg");
  WriteFile(out_, "a file, not a folder");
  EXPECT_FALSE(Run());
  EXPECT_EQ(reports_,
            (Reports{"0,0,0,0,0", "-1,0,0,0,0 Kann Ausgabeverzeichnis nicht erstellen!",
                     "-1,0,0,0,0 Keine Galerie erstellt: Das Ausgabeverzeichnis " + out_ +
                         "/ kann nicht angelegt werden (" + out_ + " ist kein Ordner)."}));
  EXPECT_FALSE(Run({.out = out_ + "/unter"}));
  EXPECT_EQ(reports_.back(), "-1,0,0,0,0 Keine Galerie erstellt: Das Ausgabeverzeichnis " + out_ +
                                 "/unter/ kann nicht angelegt werden (kein Ordner).");
  EXPECT_EQ(ReadFile(out_), "a file, not a folder");
}

// The last line says what the run made: a whole gallery, a gallery without some images, or no
// gallery and why. Only a finished gallery offers its start page.
TEST_F(DriverTest, TheLastLineSaysWhetherAGalleryWasMade) {
  TSkinFixture fixture;
  fixture.templates = {{"index.tpl", "index", "index.html"}, {"bild.tpl", "bild", ""}};
  fixture.template_files = {
      {"index.tpl", "[VTL] NEWSECTION NUMREPEAT:0\n%THUMB%\n[VTL] ENDSECTION"},
      {"bild.tpl", "%FNAME_NO_PATH%"}};
  UseSkin(fixture);
  WriteFile(dir_ / "p/good.jpg", MakeJpeg(80, 60));
  WriteFile(dir_ / "p/bad.jpg", "no photo");
  struct Case {
    std::vector<std::string> photos;
    std::string last;
    Files files;
  };
  const std::vector<Case> cases = {
      {{"good.jpg"}, "6,0,0,0,0", {"good.html", "index.html", "th_good.jpg"}},
      {{"good.jpg", "bad.jpg", "gone.jpg"},
       "6,0,0,0,0 Galerie erstellt, 2 Bilder konnten nicht verarbeitet werden.",
       {"good.html", "index.html", "th_good.jpg"}},
      {{"bad.jpg", "gone.jpg"},
       "-1,0,0,0,0 Keine Galerie erstellt: Keines der 2 Bilder konnte verarbeitet werden.",
       {}},
      {{"gone.jpg"},
       "-1,0,0,0,0 Keine Galerie erstellt: Das Bild konnte nicht verarbeitet werden.",
       {}},
  };
  for (const Case& c : cases) {
    std::filesystem::remove_all(out_);
    while (records_.Count() > 0) records_.RemoveAt(0);
    for (const std::string& photo : c.photos) AddFile(dir_ / ("p/" + photo));
    EXPECT_EQ(Run(), c.last.starts_with("6,")) << c.last;
    EXPECT_EQ(reports_.back(), c.last);
    EXPECT_EQ(Output(), c.files) << c.last;
    EXPECT_EQ(run_->StartPage().empty(), c.files.empty()) << c.last;
  }
  // Nothing to show is refused before anything is made.
  while (records_.Count() > 0) records_.RemoveAt(0);
  std::filesystem::remove_all(out_);
  EXPECT_FALSE(Run());
  EXPECT_EQ(refusal_, "Keine Galerie erstellt: Die Bildliste ist leer.");
  EXPECT_FALSE(Exists(out_));
}

// A skin whose start page names no page finishes, but offers no page to open.
TEST_F(DriverTest, AStartPageThatWasNotWrittenIsNotOffered) {
  TSkinFixture fixture;
  fixture.start_page = "uebersicht";
  UseSkin(fixture);
  AddPhoto(dir_ / "p/a.jpg");
  ASSERT_TRUE(Run());
  EXPECT_EQ(run_->StartPage(), "");
}

// The output side fails alike for every photo: it is told once, naming the file and the
// system's reason, and the run ends there, leaving no begun file behind.
TEST_F(DriverTest, AFileTheDiskDoesNotTakeEndsTheRunWithOneLine) {
  TSkinFixture fixture;
  fixture.variants = {{"BIG", "g", "600", "600", "%old%"}};
  UseSkin(fixture);
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"})
    AddPhoto(dir_ / (std::string("p/") + name), 1200, 900);
  threads_ = 1;
  {
    ScopedFileSizeLimit full(4096);  // far less than a copy of 600 x 450 pixels
    EXPECT_FALSE(Run({.cache = false}));
  }
  const auto error = [](const std::string& line) { return line.starts_with("-1,"); };
  ASSERT_EQ(std::count_if(reports_.begin(), reports_.end(), error), 1)
      << ::testing::PrintToString(reports_);
  EXPECT_EQ(reports_.back(), "-1,0,0,0,0 Keine Galerie erstellt: Die Datei " + out_ +
                                 "/a.jpg konnte nicht geschrieben werden (Datei zu groß).");
  EXPECT_EQ(Output(), Files{});
}

TEST_F(DriverTest, APageTheDiskDoesNotTakeIsTheLastLine) {
  TSkinFixture fixture;
  fixture.variants = {};
  fixture.template_files = {{"index.tpl", std::string(20000, 'x')}};
  UseSkin(fixture);
  AddPhoto(dir_ / "p/a.jpg");
  {
    ScopedFileSizeLimit full(8192);
    EXPECT_FALSE(Run());
  }
  EXPECT_EQ(reports_.back(), "-1,0,0,0,0 Keine Galerie erstellt: Die Datei " + out_ +
                                 "/index.html konnte nicht geschrieben werden (Datei zu groß).");
  EXPECT_EQ(Output(), Files{});
}

TEST_F(DriverTest, AFolderThatTakesNoFileMakesNoGallery) {
  UseSkin({});
  AddPhoto(dir_ / "p/a.jpg");
  std::filesystem::create_directories(out_);
  {
    ScopedFileSizeLimit full(0);
    EXPECT_FALSE(Run());
  }
  EXPECT_EQ(reports_, (Reports{"0,0,0,0,0",
                               "-1,0,0,0,0 Keine Galerie erstellt: In das "
                               "Ausgabeverzeichnis " +
                                   out_ + "/ kann nicht geschrieben werden (Datei zu groß)."}));
  EXPECT_EQ(Output(), Files{});
}

// A folder of the pattern that is a link: nothing is written through it, and the run says so
// once instead of failing every photo.
TEST_F(DriverTest, ALinkInTheOutputStopsTheRunAndIsNotFollowed) {
  TSkinFixture fixture;
  fixture.variants = {{"THUMB", "k", "40", "40", "klein/%old%"}};
  UseSkin(fixture);
  AddPhoto(dir_ / "p/a.jpg");
  AddPhoto(dir_ / "p/b.jpg");
  std::filesystem::create_directories(out_);
  std::filesystem::create_directories(dir_ / "elsewhere");
  ASSERT_EQ(::symlink((dir_ / "elsewhere").c_str(), (out_ + "/klein").c_str()), 0);
  EXPECT_FALSE(Run());
  EXPECT_EQ(reports_, (Reports{"0,0,0,0,0", "-1,0,0,0,0 Keine Galerie erstellt: Die Datei " + out_ +
                                                "/klein/a.jpg konnte nicht geschrieben werden (" +
                                                out_ + "/klein ist eine Verknüpfung)."}));
  EXPECT_EQ(ListFolder(dir_ / "elsewhere"), Files{});
  EXPECT_EQ(Output(), Files{"klein"});
}

TEST_F(DriverTest, OnlyJpegNamesAreCopiedAsOriginals) {
  UseSkin({});
  AddPhoto(dir_ / "p/a.jpg");
  WriteFile(dir_ / "p/notes.txt", "private notes");
  AddFile(dir_ / "p/notes.txt");  // a list file can name anything
  EXPECT_TRUE(Run({.copy = true}));
  EXPECT_FALSE(Exists(out_ + "/notes.txt"));
  EXPECT_TRUE(Exists(out_ + "/a.jpg"));
}

// A skin without variants never decodes the photos: a text file with a JPEG name is still not
// published as an original, but fails like a photo that cannot be read.
TEST_F(DriverTest, AnOriginalThatIsNoJpegFailsAlsoWithoutVariants) {
  TSkinFixture fixture;
  fixture.variants = {};
  UseSkin(fixture);
  AddPhoto(dir_ / "p/a.jpg");
  WriteFile(dir_ / "p/secret.jpg", "private notes");
  AddFile(dir_ / "p/secret.jpg");
  EXPECT_TRUE(Run({.copy = true}));
  EXPECT_EQ(reports_.back(), "6,0,0,0,0 Galerie erstellt, 1 Bild konnte nicht verarbeitet werden.");
  EXPECT_EQ(Output(), (Files{"a.jpg", "index.html"}));
  EXPECT_EQ(ReadFile(out_ + "/index.html").find("secret"), std::string::npos);
}

TEST_F(DriverTest, AMissingTemplateEndsTheRunWithTheReadingError) {
  TSkinFixture fixture;
  fixture.template_files = {};
  UseSkin(fixture);
  AddPhoto(dir_ / "p/a.jpg");
  EXPECT_FALSE(Run());
  const std::string message =
      "Fehler beim Lesen der Vorlagendatei " + (dir_ / "skin/index.tpl") + "!";
  EXPECT_EQ(reports_.back(), "-1,0,0,0,0 " + message);
  EXPECT_EQ(messages_.errors, (std::vector<std::string>{message}));
}

TEST_F(DriverTest, ATemplateOutsideTheSkinIsNotRead) {
  TSkinFixture fixture;
  fixture.templates = {{"../secret.tpl", "index", "index.html"}};
  UseSkin(fixture);
  WriteFile(dir_ / "secret.tpl", "private %FNAME%");
  AddPhoto(dir_ / "p/a.jpg");
  EXPECT_FALSE(Run());
  EXPECT_EQ(reports_.back(), "-1,0,0,0,0 Fehler beim Lesen der Vorlagendatei " +
                                 (dir_ / "skin/../secret.tpl") + "!");
}

TEST_F(DriverTest, AnEndlessTemplateAddsTheDriversError) {
  TSkinFixture fixture;
  fixture.template_files = {{"index.tpl", "x\n[VTL] RESETCOUNTER\ny"}};
  UseSkin(fixture);
  AddPhoto(dir_ / "p/a.jpg");
  EXPECT_FALSE(Run());
  EXPECT_EQ(reports_[reports_.size() - 2],
            "-1,0,0,0,0 Endlosschleife in der Vorlagendatei " + (dir_ / "skin/index.tpl") + "!");
  EXPECT_EQ(reports_.back(), "-1,0,0,0,0 Fehler!");
  // The page the pass had begun is gone again; the finished image stays.
  EXPECT_EQ(Output(), (Files{"th_a.jpg"}));
}

// The real processor, counting the photos it scales from bytes for the variant cache.
struct CountingImages : TImageProcessor {
  TImageProcessor* real = nullptr;
  std::atomic<int> scaled{0};
  std::atomic<int> copies_made{0};
  bool ScaleImage(const std::string& source, const std::vector<TScaleRequest>& requests,
                  std::vector<TScaledCopy>& copies) override {
    ++scaled;
    copies_made += static_cast<int>(requests.size());
    return real->ScaleImage(source, requests, copies);
  }
  std::string Identity() const override { return real->Identity(); }
  bool PlanCopies(const std::string& bytes, const std::vector<TScaleRequest>& requests,
                  TCopyPlan& plan) override {
    return real->PlanCopies(bytes, requests, plan);
  }
  bool ScaleImageData(const std::string& bytes, const std::vector<TScaleRequest>& requests,
                      const TCopyPlan& plan, std::vector<TScaledCopy>& copies) override {
    ++scaled;
    // The copies given were found in the cache; only the empty ones are made.
    copies_made += static_cast<int>(std::count_if(
        copies.begin(), copies.end(), [](const TScaledCopy& copy) { return copy.jpeg.empty(); }));
    return real->ScaleImageData(bytes, requests, plan, copies);
  }
};

class CacheRunTest : public RunFixture {
 protected:
  void SetUp() override {
    TSkinFixture fixture;
    fixture.variants = {{"THUMB", "k", "80", "80", "th_%old%"},
                        {"BIG", "g", "400", "300", "%old%"}};
    fixture.template_files = {{"index.tpl",
                               "%TITEL%\n[VTL] NEWSECTION NUMREPEAT:0\n%THUMB%\n"
                               "[VTL] ENDSECTION"}};
    fixture.values = {{"TITEL", "Titel", "TEXT", "Urlaub"}};
    UseSkin(fixture);
    AddPhoto(dir_ / "p/a.jpg", 1200, 900);
    AddPhoto(dir_ / "p/b.jpg", 900, 1200);
    TTiff upside_down;
    upside_down.ifd0 = {Short(0x0112, 3)};
    TJpegOptions stored;
    stored.stored_for_orientation = 3;
    WriteFile(dir_ / "p/c.jpg", WithExif(MakeJpeg(1000, 700, stored), BuildTiff(upside_down)));
    AddFile(dir_ / "p/c.jpg");
    counting_.real = &vips_;
    images_ = &counting_;
  }
  // The copies of a run into `out`: name and a hash of the bytes.
  std::map<std::string, std::string> Copies(const std::string& out) const {
    std::map<std::string, std::string> copies;
    for (const std::string& name : ListFolder(out))
      if (name.ends_with(".jpg")) copies[name] = Hash128(ReadFile(out + "/" + name)).Hex();
    return copies;
  }
  CountingImages counting_;
};

TEST_F(CacheRunTest, ARepeatedRunTakesEveryCopyFromTheCacheByteForByte) {
  ASSERT_TRUE(Run({.out = dir_ / "without", .cache = false}));
  EXPECT_FALSE(Exists(files_.cache_folder));
  ASSERT_TRUE(Run({.out = dir_ / "first"}));
  EXPECT_EQ(counting_.scaled, 6);
  EXPECT_EQ(ListFolder(files_.cache_folder).size(), 6u);
  ASSERT_TRUE(Run({.out = dir_ / "second"}));
  EXPECT_EQ(counting_.scaled, 6);  // nothing decoded
  EXPECT_EQ(Copies(dir_ / "first"), Copies(dir_ / "without"));
  EXPECT_EQ(Copies(dir_ / "second"), Copies(dir_ / "without"));
  // The pages know the copies' sizes from the cache as well.
  EXPECT_EQ(ReadFile(dir_ / "second/index.html"), ReadFile(dir_ / "first/index.html"));
  EXPECT_EQ(reports_, (Reports{"0,0,0,0,0", "1,1,2,1,3", "1,1,2,2,3", "1,1,2,3,3", "1,2,2,1,3",
                               "1,2,2,2,3", "1,2,2,3,3", "2,1,1,0,0", "6,0,0,0,0"}));
}

TEST_F(CacheRunTest, AChangedVariantIsMadeAgainAndOnlyIt) {
  ASSERT_TRUE(Run({.out = dir_ / "first"}));
  const int made = counting_.copies_made;
  ASSERT_TRUE(Run({.variants = {{"100", "100", "80", ""}}, .out = dir_ / "second"}));
  EXPECT_EQ(counting_.copies_made - made, 3);  // one thumbnail per photo
  ASSERT_TRUE(
      Run({.variants = {{"100", "100", "80", ""}}, .out = dir_ / "without", .cache = false}));
  EXPECT_EQ(Copies(dir_ / "second"), Copies(dir_ / "without"));
  EXPECT_EQ(InspectJpeg(dir_ / "second/th_a.jpg").width, 100);
  EXPECT_EQ(InspectJpeg(dir_ / "second/th_c.jpg").height, 70);
  // Another quality is another copy too.
  const int before = counting_.copies_made;
  ASSERT_TRUE(Run({.variants = {{"100", "100", "50", ""}}, .out = dir_ / "third"}));
  EXPECT_EQ(counting_.copies_made - before, 3);
}

TEST_F(CacheRunTest, AnotherFormatIsAnotherCopyAndNeverTheJpegOne) {
  ASSERT_TRUE(Run({.out = dir_ / "first"}));
  const int made = counting_.copies_made;
  ASSERT_TRUE(Run({.variants = {{"80", "80", "80", "webp"}}, .out = dir_ / "second"}));
  EXPECT_EQ(counting_.copies_made - made, 3);  // one thumbnail per photo
  for (const std::string name : {"a", "b", "c"}) {
    EXPECT_FALSE(Exists(dir_ / ("second/th_" + name + ".jpg")));
    EXPECT_EQ(ReadFile(dir_ / ("second/th_" + name + ".webp")).substr(8, 4), "WEBP") << name;
  }
  // Kept as WebP: the next run takes it from the cache, and AVIF is another copy again.
  ASSERT_TRUE(Run({.variants = {{"80", "80", "80", "webp"}}, .out = dir_ / "third"}));
  EXPECT_EQ(counting_.copies_made - made, 3);
  EXPECT_EQ(ReadFile(dir_ / "third/th_c.webp"), ReadFile(dir_ / "second/th_c.webp"));
  ASSERT_TRUE(Run({.variants = {{"80", "80", "80", "avif"}}, .out = dir_ / "fourth"}));
  EXPECT_EQ(counting_.copies_made - made, 6);
  EXPECT_EQ(ReadFile(dir_ / "fourth/th_b.avif").substr(4, 8), "ftypavif");
}

TEST_F(CacheRunTest, ACacheThatCannotBeUsedIsNotedOnceAndCostsNothingElse) {
  WriteFile(dir_ / "not-a-folder", "x");
  files_.cache_folder = dir_ / "not-a-folder";
  ASSERT_TRUE(Run());
  EXPECT_EQ(Output(),
            (Files{"a.jpg", "b.jpg", "c.jpg", "index.html", "th_a.jpg", "th_b.jpg", "th_c.jpg"}));
  const std::string note = "9,0,0,0,0 Der Zwischenspeicher " + (dir_ / "not-a-folder") +
                           " ist kein Ordner; die Bilder werden ohne ihn erzeugt.";
  EXPECT_EQ(std::count(reports_.begin(), reports_.end(), note), 1)
      << ::testing::PrintToString(reports_);
  EXPECT_EQ(reports_.back(), "6,0,0,0,0");
  EXPECT_EQ(ReadFile(dir_ / "not-a-folder"), "x");
}

TEST_F(CacheRunTest, TheCacheStaysWithinItsLimit) {
  ASSERT_TRUE(Run({.cache_size = 20000}));
  uint64_t total = 0;
  for (const std::string& name : ListFolder(files_.cache_folder))
    total += ReadFile(files_.cache_folder + "/" + name).size();
  EXPECT_LE(total, 20000u);
  EXPECT_GT(total, 0u);
}

}  // namespace
}  // namespace vistrel
