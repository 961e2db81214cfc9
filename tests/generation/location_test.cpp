// A gallery without the places where its photos were taken: no place variable on its pages, no
// map link, and copied originals without their GPS and place tags.
#include <gtest/gtest.h>

#include <string>

#include "generation/run_fixture.h"
#include "image_fixtures.h"
#include "imaging/metadata.h"
#include "model/value_list.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;

// A catalogue's sidecar with a title and a city.
std::string Sidecar(const std::string& title, const std::string& city) {
  return "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
         "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"><rdf:Description "
         "rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
         "xmlns:photoshop=\"http://ns.adobe.com/photoshop/1.0/\" photoshop:City=\"" +
         city + "\"><dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">" + title +
         "</rdf:li></rdf:Alt></dc:title></rdf:Description></rdf:RDF></x:xmpmeta>";
}

class LocationRunTest : public RunFixture {
 protected:
  void SetUp() override {
    TSkinFixture fixture;
    fixture.template_files = {
        {"index.tpl",
         "[VTL] NEWSECTION NUMREPEAT:0\n"
         "%FNAME_NO_PATH%|%EXIF:GPS%|%URL:EXIF:GPS%|%META:CITY%|%JPGMETA:GpsLatitudeRef%|"
         "%META:TITLE%|[VTL] CONDITION(DoesExist(%EXIF:GPS%))Karte[VTL] END CONDITION|"
         "%ORIGINAL%\n[VTL] ENDSECTION"}};
    UseSkin(fixture);
    TTiff tiff;
    tiff.ifd0 = {Ascii(0x013B, "Anna")};
    tiff.gps = {Ascii(0x0001, "N"), Rationals(0x0002, {{47, 1}, {30, 1}, {0, 1}}),
                Ascii(0x0003, "E"), Rationals(0x0004, {{8, 1}, {15, 1}, {0, 1}})};
    WriteFile(dir_ / "p/a.jpg", WithExif(MakeJpeg(120, 80), BuildTiff(tiff)));
    WriteFile(dir_ / "p/a.jpg.xmp", Sidecar("Abend", "Bern"));
    AddFile(dir_ / "p/a.jpg");
    // exiv2 does not write HEIF: its place cannot be taken out.
    WriteFile(dir_ / "p/b.heic",
              MakePhoto(TImageFormat::kHeif, 120, 80, {.exif = BuildTiff(tiff)}));
    AddFile(dir_ / "p/b.heic");
    AddPhoto(dir_ / "p/c.jpg", 120, 80);  // no place at all
  }
  std::string Page(const std::string& out) { return ReadFile(out + "/index.html"); }
  // The metadata entries of a copied original.
  std::string GpsOf(const std::string& path) {
    TVTLValueList list;
    ReadImageMetadata(path, list);
    return list.ValueOf("GpsLatitudeRef");
  }
};

TEST_F(LocationRunTest, AGalleryWithPlacesShowsThemAndCopiesOriginalsUnchanged) {
  ASSERT_TRUE(Run({.copy = true}));
  const std::string page = Page(out_);
  EXPECT_NE(page.find("a.jpg|47.500000,8.250000|47.500000%2C8.250000|Bern|N|Abend|Karte|a.jpg"),
            std::string::npos)
      << page;
  EXPECT_NE(page.find("b.heic|47.500000,8.250000|"), std::string::npos) << page;
  EXPECT_EQ(ReadFile(out_ + "/a.jpg"), ReadFile(dir_ / "p/a.jpg"));
  EXPECT_EQ(ReadFile(out_ + "/b.heic"), ReadFile(dir_ / "p/b.heic"));
}

// Asked after a run with places, through the same variant cache: nothing of that run comes back.
TEST_F(LocationRunTest, WithoutPlacesNoVariableMapLinkOrTagRemains) {
  ASSERT_TRUE(Run({.copy = true, .out = dir_ / "mit"}));
  ASSERT_TRUE(Run({.copy = true, .out = dir_ / "ohne", .omit_location = true}));
  const std::string page = Page(dir_ / "ohne");
  EXPECT_NE(page.find("a.jpg|||||Abend||a.jpg"), std::string::npos) << page;
  EXPECT_NE(page.find("b.heic|||||||\r\n"), std::string::npos) << page;
  EXPECT_NE(page.find("c.jpg|||||||c.jpg"), std::string::npos) << page;
  EXPECT_EQ(page.find("Karte"), std::string::npos);
  EXPECT_EQ(page.find("Bern"), std::string::npos);
  EXPECT_EQ(page.find("47."), std::string::npos);

  // The JPEG's original keeps its picture and its other tags, not its GPS position.
  EXPECT_EQ(GpsOf(dir_ / "p/a.jpg"), "N");
  EXPECT_EQ(GpsOf(dir_ / "ohne/a.jpg"), "");
  TVTLValueList copied;
  ReadImageMetadata(dir_ / "ohne/a.jpg", copied);
  EXPECT_EQ(copied.ValueOf("Artist"), "Anna");
  EXPECT_EQ(copied.ValueOf("Width"), "120");
  // The original without a place is copied as it is; the HEIC is not copied, and the log says
  // which, without failing the run.
  EXPECT_EQ(ReadFile(dir_ / "ohne/c.jpg"), ReadFile(dir_ / "p/c.jpg"));
  EXPECT_FALSE(Exists(dir_ / "ohne/b.heic"));
  const std::string note = "9,0,0,0,0 Das Original " + (dir_ / "p/b.heic") +
                           " wird nicht kopiert: Seine Ortsangaben lassen sich nicht entfernen.";
  EXPECT_NE(std::find(reports_.begin(), reports_.end(), note), reports_.end());
  EXPECT_EQ(reports_.back(), "6,0,0,0,0");
}

}  // namespace
}  // namespace vistrel
