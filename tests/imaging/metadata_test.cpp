#include "imaging/metadata.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include "image_fixtures.h"
#include "imaging/exiv2_include.h"
#include "imaging/jpeg_header.h"
#include "imaging/property_tags.h"
#include "model/photo_captions.h"
#include "model/value_list.h"
#include "test_support.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;

using Entries = std::vector<std::pair<std::string, std::string>>;

Entries Read(const std::string& path) {
  TVTLValueList list;
  ReadImageMetadata(path, list);
  Entries entries;
  for (int i = 0; i < list.Count(); ++i) entries.emplace_back(list.Name(i), list.Value(i));
  return entries;
}

std::string ValueOf(const Entries& entries, const std::string& name) {
  for (const auto& [n, v] : entries)
    if (n == name) return v;
  return "<missing>";
}

class MetadataTest : public ::testing::Test {
 protected:
  std::string Photo(const std::string& name, const TTiff& tiff, int w = 64, int h = 48) {
    const std::string path = dir_ / name;
    WriteFile(path, WithExif(MakeJpeg(w, h), BuildTiff(tiff)));
    return path;
  }
  // A small JPEG `name` whose EXIF data exiv2 itself wrote, as `fill` sets it.
  std::string PhotoByExiv2(const std::string& name,
                           const std::function<void(Exiv2::ExifData&)>& fill) {
    const std::string path = dir_ / name;
    WriteFile(path, MakeJpeg(60, 40));
    auto image = Exiv2::ImageFactory::open(path);
    image->readMetadata();
    fill(image->exifData());
    image->writeMetadata();
    return path;
  }
  TempDir dir_;
};

TEST_F(MetadataTest, JpegWithoutMetadataGivesExactlyWidthAndHeight) {
  WriteFile(dir_ / "plain.jpg", MakeJpeg(40, 30));
  EXPECT_EQ(Read(dir_ / "plain.jpg"), (Entries{{"Width", "40"}, {"Height", "30"}}));
}

TEST_F(MetadataTest, ConvertsEachItemTypeAsTheTableSays) {
  TTiff tiff;
  tiff.ifd0 = {Ascii(0x010F, "Canon"), Ascii(0x0110, "EOS 550D"),
               Short(0x0112, 1),       Ascii(0x0132, "2023:05:24 10:20:00"),
               Ascii(0x013B, ""),      Bytes(0x0131, 2, std::string("Soft\0ware\0", 10))};
  tiff.exif = {Rational(0x829A, 10, 2500),
               Rational(0x829D, 28, 10),
               Short(0x8827, 65535),
               Rational(0x9202, 0, 0),      // aperture 0/0
               SRational(0x9204, -1, 3),    // exposure bias: SRATIONAL, no text
               Bytes(0x9000, 7, "0232"),    // ExifVer: UNDEFINED, no text
               Long(0xA002, 640),           // LONG, no text
               Ascii(0xA431, "SERIAL123"),  // outside the table
               Ascii(0x9003, "2023:05:24 10:20:00")};
  tiff.gps = {
      Bytes(0x0000, 1, std::string("\2\3\0\0", 4)),  // GpsVer: BYTE, no text
      Ascii(0x0001, "N"),
      {0x0002, 5, 3, std::string("\x30\0\0\0\1\0\0\0\x0B\0\0\0\1\0\0\0\x05\0\0\0\1\0\0\0", 24)}};
  tiff.ifd1 = {Short(0x0103, 6), Rational(0x011A, 72, 1), Ascii(0x0132, "2023:05:24 10:20:01")};
  const Entries entries = Read(Photo("exif.jpg", tiff, 64, 48));

  EXPECT_EQ(ValueOf(entries, "EquipMake"), "Canon");
  EXPECT_EQ(ValueOf(entries, "EquipModel"), "EOS 550D");
  EXPECT_EQ(ValueOf(entries, "Orientation"), "1");
  EXPECT_EQ(ValueOf(entries, "DateTime"), "2023:05:24 10:20:00");
  EXPECT_EQ(ValueOf(entries, "SoftwareUsed"), std::string("Soft\0ware", 9));  // inner NUL kept
  EXPECT_EQ(ValueOf(entries, "Artist"), "<missing>");                         // only its NUL
  EXPECT_EQ(ValueOf(entries, "ExifExposureTime"), "10/2500");
  EXPECT_EQ(ValueOf(entries, "ExifFNumber"), "28/10");
  EXPECT_EQ(ValueOf(entries, "ExifISOSpeed"), "65535");
  EXPECT_EQ(ValueOf(entries, "ExifAperture"), "0/0");
  EXPECT_EQ(ValueOf(entries, "ExifExposureBias"), "<missing>");
  EXPECT_EQ(ValueOf(entries, "ExifVer"), "<missing>");
  EXPECT_EQ(ValueOf(entries, "ExifPixXDim"), "<missing>");
  EXPECT_EQ(ValueOf(entries, "ExifDTOrig"), "2023:05:24 10:20:00");
  EXPECT_EQ(ValueOf(entries, "GpsVer"), "<missing>");
  EXPECT_EQ(ValueOf(entries, "GpsLatitudeRef"), "N");
  EXPECT_EQ(ValueOf(entries, "GpsLatitude"), "48/1");  // degrees only
  EXPECT_EQ(ValueOf(entries, "ThumbnailCompression"), "6");
  EXPECT_EQ(ValueOf(entries, "ThumbnailResolutionX"), "72/1");
  EXPECT_EQ(ValueOf(entries, "ThumbnailDateTime"), "2023:05:24 10:20:01");
  for (const auto& [name, value] : entries) {
    EXPECT_NE(name, "<Unknown>");
    EXPECT_NE(value, "SERIAL123") << name;
  }
  ASSERT_GE(entries.size(), 2u);
  EXPECT_EQ(entries[entries.size() - 2], (std::pair<std::string, std::string>{"Width", "64"}));
  EXPECT_EQ(entries.back(), (std::pair<std::string, std::string>{"Height", "48"}));
}

TEST_F(MetadataTest, ItemsComeInFileOrderDirectoryByDirectory) {
  TTiff tiff;
  tiff.ifd0 = {Ascii(0x010F, "Make"), Ascii(0x0110, "Model")};
  tiff.exif = {Rational(0x829A, 1, 250)};
  tiff.gps = {Ascii(0x0001, "S")};
  tiff.ifd1 = {Short(0x0103, 6)};
  Entries entries = Read(Photo("order.jpg", tiff));
  std::vector<std::string> names;
  for (const auto& e : entries) names.push_back(e.first);
  EXPECT_EQ(names, (std::vector<std::string>{"EquipMake", "EquipModel", "ExifExposureTime",
                                             "GpsLatitudeRef", "ThumbnailCompression", "Width",
                                             "Height"}));
}

TEST_F(MetadataTest, ATagThatADirectoryHoldsTwiceKeepsItsFirstValue) {
  TTiff tiff;
  tiff.ifd0 = {Ascii(0x010F, "Canon"), Ascii(0x010F, "Nikon"), Ascii(0x0110, "EOS 550D")};
  EXPECT_EQ(
      Read(Photo("twice.jpg", tiff)),
      (Entries{
          {"EquipMake", "Canon"}, {"EquipModel", "EOS 550D"}, {"Width", "64"}, {"Height", "48"}}));
}

TEST_F(MetadataTest, SidewaysPhotoReportsItsUprightSize) {
  TTiff tiff;
  tiff.ifd0 = {Short(0x0112, 6)};
  const Entries entries = Read(Photo("orient6.jpg", tiff, 80, 40));
  EXPECT_EQ(ValueOf(entries, "Orientation"), "6");
  EXPECT_EQ(ValueOf(entries, "Width"), "40");
  EXPECT_EQ(ValueOf(entries, "Height"), "80");
  tiff.ifd0 = {Short(0x0112, 3)};  // upside down keeps its size
  const Entries turned = Read(Photo("orient3.jpg", tiff, 80, 40));
  EXPECT_EQ(ValueOf(turned, "Width"), "80");
}

TEST_F(MetadataTest, LongAsciiValuesAreCutAt1001Characters) {
  TTiff tiff;
  tiff.ifd0 = {Ascii(0x010E, std::string(5000, 'x'))};
  EXPECT_EQ(ValueOf(Read(Photo("long.jpg", tiff)), "ImageDescription"), std::string(1001, 'x'));
}

TEST_F(MetadataTest, FilesThatAreNoReadableJpegGiveZeroSize) {
  WriteFile(dir_ / "text.jpg", "this is not an image");
  WriteFile(dir_ / "empty.jpg", "");
  WriteFile(dir_ / "svg.jpg", "<svg xmlns='http://www.w3.org/2000/svg' width='10' height='10'/>");
  const Entries zero{{"Width", "0"}, {"Height", "0"}};
  EXPECT_EQ(Read(dir_ / "text.jpg"), zero);
  EXPECT_EQ(Read(dir_ / "empty.jpg"), zero);
  EXPECT_EQ(Read(dir_ / "svg.jpg"), zero);
  EXPECT_EQ(Read(dir_ / "missing.jpg"), zero);
  EXPECT_EQ(Read(dir_.Path()), zero);
  EXPECT_EQ(Read("-"), zero);
  EXPECT_EQ(Read("http://127.0.0.1:9/x.jpg"), zero);
}

TEST_F(MetadataTest, TruncatedJpegStillGivesItsHeaderSize) {
  const std::string jpeg = MakeJpeg(50, 20);
  const size_t head = ParseJpegHeader(jpeg).head_size;
  ASSERT_GT(head, 0u);
  WriteFile(dir_ / "cut.jpg", jpeg.substr(0, head + 10));  // cut inside the image data
  EXPECT_EQ(Read(dir_ / "cut.jpg"), (Entries{{"Width", "50"}, {"Height", "20"}}));
  WriteFile(dir_ / "head.jpg", jpeg.substr(0, 40));  // cut before the frame header
  EXPECT_EQ(Read(dir_ / "head.jpg"), (Entries{{"Width", "0"}, {"Height", "0"}}));
}

// Broken EXIF blocks: every one must be survived, with Width and Height at the end.
TEST_F(MetadataTest, CorruptExifNeverCrashes) {
  std::string le32_far = std::string("\xF0\xFF\xFF\x7F", 4);
  std::vector<std::string> blocks = {
      "",                                          // empty TIFF
      "II*\0",                                     // cut header
      std::string("II*\0", 4) + le32_far,          // IFD0 outside the block
      std::string("MM\0*\0\0\0\x08\xFF\xFF", 10),  // 65535 entries announced
      std::string("II*\0\x08\0\0\0\x01\0\x0F\x01\x02\0", 14) + le32_far +
          le32_far,  // value far out
      std::string("II*\0\x08\0\0\0\x01\0\x0F\x01\x02\0\0\0\0\0\0\0\0\0\0\0\0\0",
                  26),  // zero-length ASCII
      std::string("II*\0\x08\0\0\0\x01\0\x69\x87\x04\0\x01\0\0\0\x08\0\0\0\0\0\0\0",
                  26),  // Exif IFD loops to IFD0
      std::string("II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\0\0\0\x40\x06\0\0\0\0\0\0\0",
                  26),  // 1 GiB of shorts
      std::string(3000, '\xFF'),
  };
  int i = 0;
  for (const std::string& block : blocks) {
    const std::string path = dir_ / ("corrupt" + std::to_string(i++) + ".jpg");
    WriteFile(path, WithExif(MakeJpeg(32, 16), block));
    const Entries entries = Read(path);
    ASSERT_GE(entries.size(), 2u) << "block " << i;
    EXPECT_EQ(entries[entries.size() - 2].first, "Width") << "block " << i;
    EXPECT_EQ(entries[entries.size() - 2].second, "32") << "block " << i;
    EXPECT_EQ(entries.back(), (std::pair<std::string, std::string>{"Height", "16"}))
        << "block " << i;
  }
}

// A camera-like file written by exiv2 itself reads back as a template author expects.
TEST_F(MetadataTest, ReadsWhatExiv2Wrote) {
  const std::string path = PhotoByExiv2("camera.jpg", [](Exiv2::ExifData& exif) {
    exif["Exif.Image.Make"] = "NIKON CORPORATION";
    exif["Exif.Image.Model"] = "NIKON D5100";
    exif["Exif.Image.DateTime"] = "2024:01:02 03:04:05";
    exif["Exif.Photo.DateTimeOriginal"] = "2024:01:02 03:04:05";
    exif["Exif.Photo.FNumber"] = Exiv2::URational(28, 10);
    exif["Exif.Photo.ExposureTime"] = Exiv2::URational(10, 2500);
    exif["Exif.Photo.ISOSpeedRatings"] = uint16_t(40000);
    exif["Exif.GPSInfo.GPSLatitude"] = "48/1 8/1 30/1";
  });
  const Entries entries = Read(path);
  EXPECT_EQ(ValueOf(entries, "EquipMake"), "NIKON CORPORATION");
  EXPECT_EQ(ValueOf(entries, "EquipModel"), "NIKON D5100");
  EXPECT_EQ(ValueOf(entries, "DateTime"), "2024:01:02 03:04:05");
  EXPECT_EQ(ValueOf(entries, "ExifDTOrig"), "2024:01:02 03:04:05");
  EXPECT_EQ(ValueOf(entries, "ExifFNumber"), "28/10");
  EXPECT_EQ(ValueOf(entries, "ExifExposureTime"), "10/2500");
  EXPECT_EQ(ValueOf(entries, "ExifISOSpeed"), "40000");
  EXPECT_EQ(ValueOf(entries, "GpsLatitude"), "48/1");
  EXPECT_EQ(entries.back().first, "Height");
}

std::vector<std::pair<std::string, std::string>> PhotoDataOf(const std::string& path) {
  TVTLValueList metadata, photo, captions;
  ReadPhotoMetadata(path, metadata, photo, captions);
  std::vector<std::pair<std::string, std::string>> entries;
  for (int i = 0; i < photo.Count(); ++i) entries.emplace_back(photo.Name(i), photo.Value(i));
  return entries;
}

// ISO kept in a maker's note as a code: exiv2 reads out the number the camera used.
TEST_F(MetadataTest, TheIsoOfAMakerNoteAsExiv2ReadsIt) {
  const std::string path = PhotoByExiv2("nikon.jpg", [](Exiv2::ExifData& exif) {
    exif["Exif.Image.Make"] = "NIKON CORPORATION";
    exif["Exif.Image.Model"] = "NIKON D5100";
    Exiv2::UShortValue iso;
    iso.read("0 200");  // the raw first value is 0, which is no ISO
    exif["Exif.Nikon3.ISOSpeed"] = iso;
  });
  EXPECT_EQ(ValueOf(PhotoDataOf(path), "ISO"), "200");
}

// A camera that names its lens only by a number in its maker note: exiv2 reads the name out,
// and a number it does not know gives no lens at all.
TEST_F(MetadataTest, TheLensOfAMakerNoteAsExiv2ReadsIt) {
  for (const auto& [code, expected] : std::vector<std::pair<uint16_t, std::string>>{
           {1, "Canon EF 50mm f/1.8"}, {9999, "<missing>"}}) {
    const std::string path =
        PhotoByExiv2("canon" + std::to_string(code) + ".jpg", [code = code](Exiv2::ExifData& exif) {
          exif["Exif.Image.Make"] = "Canon";
          exif["Exif.Image.Model"] = "Canon EOS 5D";
          exif["Exif.CanonCs.LensType"] = code;
        });
    EXPECT_EQ(ValueOf(PhotoDataOf(path), "LENS"), expected) << code;
  }
}

TEST_F(MetadataTest, PhotoDataIsReadyForDisplay) {
  TTiff tiff;
  tiff.ifd0 = {Ascii(0x010F, "NIKON CORPORATION"), Ascii(0x0110, "NIKON D5100"), Short(0x0112, 6)};
  tiff.exif = {Rational(0x829A, 10, 5000),
               Rational(0x829D, 28, 5),
               Short(0x8827, 400),
               Ascii(0x9003, "2023:05:24 13:36:17"),
               Rational(0x920A, 35, 1),
               Short(0xA405, 52),
               Ascii(0xA434, "18.0-55.0 mm f/3.5-5.6")};
  tiff.gps = {Ascii(0x0001, "N"), Rationals(0x0002, {{47, 1}, {22, 1}, {3679, 100}}),
              Ascii(0x0003, "E"), Rationals(0x0004, {{8, 1}, {32, 1}, {3010, 100}})};
  EXPECT_EQ(PhotoDataOf(Photo("nikon.jpg", tiff, 80, 60)),
            (Entries{{"APERTURE", "f/5,6"},
                     {"EXPOSURE", "1/500 s"},
                     {"FOCALLENGTH", "35 mm"},
                     {"FOCALLENGTH35", "52 mm"},
                     {"ISO", "400"},
                     {"DATE", "24.05.2023"},
                     {"TIME", "13:36"},
                     {"CAMERA", "NIKON D5100"},
                     {"LENS", "18.0-55.0 mm f/3.5-5.6"},
                     {"GPS", "47.376886,8.541694"},
                     {"WIDTH", "60"},
                     {"HEIGHT", "80"}}));
}

// Broken and absurd items give no entry (or are left out), never a crash or a division by 0.
TEST_F(MetadataTest, PhotoDataOfBrokenItemsIsLeftOut) {
  const struct {
    const char* name;
    TTiff tiff;
  } cases[] = {
      {"zero",
       {{},
        {Rational(0x829A, 1, 0), Rational(0x829D, 0, 0), Rational(0x920A, 4294967295, 1)},
        {},
        {}}},
      {"signed", {{}, {SRational(0x829A, -3, 2), SRational(0x829D, -3, 2)}, {}, {}}},
      {"date", {{}, {Ascii(0x9003, "gestern um drei")}, {}, {}}},
      {"gps-count",
       {{},
        {},
        {Ascii(0x0001, "N"), Rational(0x0002, 47, 1), Ascii(0x0003, "E"), Rational(0x0004, 8, 1)},
        {}}},
      {"gps-type",
       {{},
        {},
        {Ascii(0x0001, "N"), Ascii(0x0002, "47,22,36"), Ascii(0x0003, "E"), Ascii(0x0004, "8")},
        {}}},
      {"gps-ref",
       {{},
        {},
        {Ascii(0x0001, "Q"), Rationals(0x0002, {{1, 1}, {1, 1}, {1, 1}}), Ascii(0x0003, "E"),
         Rationals(0x0004, {{1, 1}, {1, 1}, {1, 1}})},
        {}}},
      {"long-make",
       {{Ascii(0x010F, std::string(10000, 'M')), Ascii(0x0110, std::string(10000, 'X'))},
        {},
        {},
        {}}},
      {"empty-count", {{}, {Bytes(0x829D, 5, "")}, {}, {}}},
      {"gps-zero",
       {{},
        {},
        {Ascii(0x0001, "N"), Rationals(0x0002, {{47, 1}, {22, 0}, {0, 0}}), Ascii(0x0003, "E"),
         Rationals(0x0004, {{8, 1}, {0, 1}, {0, 1}})},
        {}}},
  };
  for (const auto& c : cases) {
    const Entries entries = PhotoDataOf(Photo(std::string(c.name) + ".jpg", c.tiff, 40, 30));
    EXPECT_EQ(entries, (Entries{{"WIDTH", "40"}, {"HEIGHT", "30"}})) << c.name;
  }
  // No photo, no data: nothing at all.
  WriteFile(dir_ / "nothing.jpg", "not a photo");
  EXPECT_TRUE(PhotoDataOf(dir_ / "nothing.jpg").empty());
}

// The captions of the photo at `path`, as image records get them.
Entries CaptionsOf(const std::string& path) {
  TVTLValueList metadata, photo, captions;
  ReadPhotoMetadata(path, metadata, photo, captions);
  Entries entries;
  for (int i = 0; i < captions.Count(); ++i)
    entries.emplace_back(captions.Name(i), captions.Value(i));
  return entries;
}

// An XMP property of several values (a bag, a sequence, or language alternatives given as
// "lang=de-DE text").
void AddXmp(Exiv2::XmpData& xmp, const char* key, Exiv2::TypeId type,
            const std::vector<std::string>& values) {
  auto value = Exiv2::Value::create(type);
  for (const std::string& v : values) value->read(v);
  xmp.add(Exiv2::XmpKey(key), value.get());
}

void AddIptc(Exiv2::IptcData& iptc, const char* key, const std::string& text) {
  Exiv2::StringValue value(text);
  iptc.add(Exiv2::IptcKey(key), &value);
}

// An XMP packet as a catalogue writes it beside a photo.
std::string SidecarPacket(const std::string& title, const std::string& rating = "") {
  return "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
         "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
         "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
         "<rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
         "xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\"" +
         (rating.empty() ? std::string() : " xmp:Rating=\"" + rating + "\"") +
         "><dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">" + title +
         "</rdf:li></rdf:Alt></dc:title></rdf:Description></rdf:RDF></x:xmpmeta>\n"
         "<?xpacket end=\"w\"?>";
}

class CaptionsTest : public MetadataTest {
 protected:
  // A JPEG `name` with the XMP, IPTC and EXIF data `fill` sets, written by exiv2.
  std::string PhotoWith(const std::string& name, const std::function<void(Exiv2::Image&)>& fill) {
    const std::string path = dir_ / name;
    WriteFile(path, MakeJpeg(60, 40));
    auto image = Exiv2::ImageFactory::open(path);
    image->readMetadata();
    fill(*image);
    image->writeMetadata();
    return path;
  }
};

TEST_F(CaptionsTest, EachCaptionFromXmpElseIptcElseExif) {
  const std::string path = PhotoWith("all.jpg", [](Exiv2::Image& image) {
    Exiv2::XmpData& xmp = image.xmpData();
    AddXmp(xmp, "Xmp.dc.title", Exiv2::langAlt,
           {"lang=en-US Evening", "lang=de-DE Abend am See", "lang=fr Soir"});
    AddXmp(xmp, "Xmp.dc.description", Exiv2::langAlt,
           {"lang=x-default Die Sonne <geht> & unter", "lang=de-DE Nicht genommen"});
    AddXmp(xmp, "Xmp.dc.subject", Exiv2::xmpBag, {"See", "Abend", "see"});
    xmp["Xmp.xmp.Rating"] = "4";
    AddXmp(xmp, "Xmp.dc.creator", Exiv2::xmpSeq, {"Anna Muster"});
    xmp["Xmp.photoshop.City"] = "Zürich";
    Exiv2::IptcData& iptc = image.iptcData();
    iptc["Iptc.Envelope.CharacterSet"] = "\x1b%G";
    AddIptc(iptc, "Iptc.Application2.ObjectName", "IPTC-Titel");
    AddIptc(iptc, "Iptc.Application2.Keywords", "nicht");
    AddIptc(iptc, "Iptc.Application2.Copyright", "© Anna Muster");
    AddIptc(iptc, "Iptc.Application2.City", "Bern");
    AddIptc(iptc, "Iptc.Application2.ProvinceState", "ZH");
    AddIptc(iptc, "Iptc.Application2.CountryName", "Schweiz");
    image.exifData()["Exif.Image.Artist"] = "Kamera-Besitzer";
    image.exifData()["Exif.Image.Copyright"] = "EXIF-Rechte";
  });
  EXPECT_EQ(CaptionsOf(path), (Entries{{"TITLE", "Abend am See"},
                                       {"DESCRIPTION", "Die Sonne <geht> & unter"},
                                       {"KEYWORDS", "See, Abend"},
                                       {"RATING", "4"},
                                       {"CREATOR", "Anna Muster"},
                                       {"COPYRIGHT", "© Anna Muster"},
                                       {"CITY", "Zürich"},
                                       {"REGION", "ZH"},
                                       {"COUNTRY", "Schweiz"}}));
}

TEST_F(CaptionsTest, IptcAloneWithItsRepeatedDatasets) {
  const std::string path = PhotoWith("iptc.jpg", [](Exiv2::Image& image) {
    Exiv2::IptcData& iptc = image.iptcData();
    AddIptc(iptc, "Iptc.Application2.ObjectName", "Hafen");
    AddIptc(iptc, "Iptc.Application2.Caption", "Boote im Hafen");
    AddIptc(iptc, "Iptc.Application2.Keywords", "Boot");
    AddIptc(iptc, "Iptc.Application2.Keywords", "Hafen");
    AddIptc(iptc, "Iptc.Application2.Byline", "Anna");
    AddIptc(iptc, "Iptc.Application2.Byline", "Ben");
  });
  EXPECT_EQ(CaptionsOf(path), (Entries{{"TITLE", "Hafen"},
                                       {"DESCRIPTION", "Boote im Hafen"},
                                       {"KEYWORDS", "Boot, Hafen"},
                                       {"CREATOR", "Anna, Ben"}}));
}

TEST_F(CaptionsTest, ExifTextsAsCamerasAndWindowsWriteThem) {
  auto utf16 = [](const std::string& ascii) {
    std::string bytes;
    for (char c : ascii) bytes += std::string(1, c) + '\0';
    return bytes + std::string(2, '\0');
  };
  TTiff tiff;
  tiff.ifd0 = {Ascii(0x010E, "OLYMPUS DIGITAL CAMERA"),
               Ascii(0x010F, "OLYMPUS IMAGING CORP."),
               Ascii(0x013B, "Anna"),
               Bytes(0x8298, 2, std::string("Anna\0Ben\0", 9)),
               Bytes(0x9C9B, 1, utf16("Titel")),
               Bytes(0x9C9C, 1, utf16("Kommentar")),
               Bytes(0x9C9E, 1, utf16("Berg;See; ;Berg"))};
  EXPECT_EQ(CaptionsOf(Photo("exif.jpg", tiff)), (Entries{{"TITLE", "Titel"},
                                                          {"DESCRIPTION", "Kommentar"},
                                                          {"KEYWORDS", "Berg, See"},
                                                          {"CREATOR", "Anna"},
                                                          {"COPYRIGHT", "Anna, Ben"}}));
  // A description of its own wins over the comment; Latin-1 becomes UTF-8.
  tiff.ifd0[0] = Ascii(0x010E,
                       "Gr\xFC\xDF"
                       "e vom See");
  EXPECT_EQ(ValueOf(CaptionsOf(Photo("own.jpg", tiff)), "DESCRIPTION"), "Grüße vom See");
}

TEST_F(CaptionsTest, SidecarsWinDarktablesNameFirst) {
  const std::string path = PhotoWith("bild.jpg", [](Exiv2::Image& image) {
    image.xmpData()["Xmp.dc.title"] = "lang=x-default Eingebettet";
    image.xmpData()["Xmp.xmp.Rating"] = "2";
  });
  EXPECT_EQ(CaptionsOf(path), (Entries{{"TITLE", "Eingebettet"}, {"RATING", "2"}}));
  WriteFile(dir_ / "bild.xmp", SidecarPacket("Lightroom"));
  EXPECT_EQ(CaptionsOf(path), (Entries{{"TITLE", "Lightroom"}, {"RATING", "2"}}));
  WriteFile(dir_ / "bild.jpg.xmp", SidecarPacket("darktable", "5"));
  EXPECT_EQ(CaptionsOf(path), (Entries{{"TITLE", "darktable"}, {"RATING", "5"}}));
  // A folder in the sidecar's place is no sidecar.
  ::unlink((dir_ / "bild.jpg.xmp").c_str());
  ::mkdir((dir_ / "bild.jpg.xmp").c_str(), 0755);
  EXPECT_EQ(ValueOf(CaptionsOf(path), "TITLE"), "Lightroom");
}

// Broken or hostile captions give an empty or clamped value, never a crash or a hang.
TEST_F(CaptionsTest, BadCaptionsAreEmptiedOrClamped) {
  const std::string path = PhotoWith("bad.jpg", [](Exiv2::Image& image) {
    image.xmpData()["Xmp.dc.title"] = "lang=x-default Eingebettet";
    image.xmpData()["Xmp.xmp.Rating"] = "99";
    AddXmp(image.xmpData(), "Xmp.dc.subject", Exiv2::xmpBag,
           {"Berg\x01\x02", "\x1b[2J", "See\r\nUfer"});
    // An IPTC record that says it is UTF-8 but is not: what is no UTF-8 goes.
    Exiv2::IptcData& iptc = image.iptcData();
    iptc["Iptc.Envelope.CharacterSet"] = "\x1b%G";
    AddIptc(iptc, "Iptc.Application2.CountryName", "Deutsch\xFFland");
  });
  EXPECT_EQ(CaptionsOf(path), (Entries{{"TITLE", "Eingebettet"},
                                       {"KEYWORDS", "Berg, [2J, See Ufer"},
                                       {"RATING", "5"},
                                       {"COUNTRY", "Deutschland"}}));
  // One that says nothing is read as UTF-8 where it is valid, else as Windows-1252.
  const std::string latin1 = PhotoWith("latin1.jpg", [](Exiv2::Image& image) {
    AddIptc(image.iptcData(), "Iptc.Application2.City", "M\xFCnchen");
    AddIptc(image.iptcData(), "Iptc.Application2.CountryName", "Österreich");
  });
  EXPECT_EQ(CaptionsOf(latin1), (Entries{{"CITY", "München"}, {"COUNTRY", "Österreich"}}));

  // A sidecar that is no XML, one that is cut short, and one of 10 MB: the photo's own
  // captions count.
  const std::string sidecar = dir_ / "bad.jpg.xmp";
  for (const std::string& broken :
       {std::string("\x89PNG kein XMP"), SidecarPacket("abgeschnitten").substr(0, 200),
        SidecarPacket(std::string(10 * 1024 * 1024, 'x'))}) {
    WriteFile(sidecar, broken);
    EXPECT_EQ(ValueOf(CaptionsOf(path), "TITLE"), "Eingebettet") << broken.size();
  }
  // A rating below 0 (a rejected photo) is 0.
  WriteFile(sidecar, SidecarPacket("Abgelehnt", "-1"));
  EXPECT_EQ(ValueOf(CaptionsOf(path), "RATING"), "0");
}

// A packet that defines entities within entities would grow to gigabytes if expanded, and one
// of 10 MB inside the photo itself (PNG keeps XMP in a text chunk of any size): the reading
// ends, with the captions the other sources give.
TEST_F(CaptionsTest, HugeOrExplodingPacketsAreNoCaptions) {
  const std::string path = PhotoWith("laughs.jpg", [](Exiv2::Image& image) {
    AddIptc(image.iptcData(), "Iptc.Application2.ObjectName", "IPTC-Titel");
  });
  std::string entities = "<?xml version=\"1.0\"?><!DOCTYPE x:xmpmeta [<!ENTITY a \"lol\">";
  std::string previous = "a";
  for (const char* entity : {"b", "c", "d", "e", "f", "g", "h", "i", "j"}) {
    entities += std::string("<!ENTITY ") + entity + " \"";
    for (int i = 0; i < 10; ++i) entities += "&" + previous + ";";
    entities += "\">";
    previous = entity;
  }
  entities += "]>" + SidecarPacket("&j;").substr(SidecarPacket("").find("<x:xmpmeta"));
  WriteFile(dir_ / "laughs.jpg.xmp", entities);
  EXPECT_EQ(ValueOf(CaptionsOf(path), "TITLE"), "IPTC-Titel");

  const std::string png = dir_ / "gross.png";
  WriteFile(png, MakePhoto(TImageFormat::kPng, 16, 12));
  {
    auto image = Exiv2::ImageFactory::open(png);
    image->readMetadata();
    image->xmpData()["Xmp.dc.title"] = "lang=x-default " + std::string(10 * 1024 * 1024, 'x');
    image->xmpData()["Xmp.xmp.Rating"] = "-1";
    image->xmpData()["Xmp.photoshop.City"] = "Bern";
    image->writeMetadata();
  }
  const Entries captions = CaptionsOf(png);
  EXPECT_EQ(ValueOf(captions, "TITLE").size(), kMaxCaptionBytes);
  EXPECT_EQ(ValueOf(captions, "RATING"), "0");
  EXPECT_EQ(ValueOf(captions, "CITY"), "Bern");
}

TEST_F(CaptionsTest, NoCaptionsWithoutAPhoto) {
  WriteFile(dir_ / "nothing.jpg", "not a photo");
  WriteFile(dir_ / "nothing.jpg.xmp", SidecarPacket("verwaist"));
  EXPECT_EQ(CaptionsOf(dir_ / "nothing.jpg"), Entries{});
  EXPECT_EQ(CaptionsOf(dir_ / "missing.jpg"), Entries{});
}

// The reading the fuzz target drives: a sidecar's packet, an IPTC record and a photo's head in
// memory, in this order of precedence.
TEST_F(CaptionsTest, PartsInMemoryInTheirOrderOfPrecedence) {
  auto dataset = [](int number, const std::string& text) {
    return std::string("\x1c\x02", 2) + static_cast<char>(number) + '\0' +
           static_cast<char>(text.size()) + text;
  };
  const std::string iptc = dataset(5, "IPTC") + dataset(25, "Boot") + dataset(90, "M\xFCnchen");
  const std::string head = ReadFile(PhotoWith("head.jpg", [](Exiv2::Image& image) {
    image.xmpData()["Xmp.dc.title"] = "lang=x-default Foto";
    image.xmpData()["Xmp.photoshop.Country"] = "Schweiz";
  }));
  auto read = [](const std::string& sidecar, const std::string& record, const std::string& jpeg) {
    TVTLValueList captions;
    ReadCaptionsFromParts(sidecar, record, jpeg, captions);
    Entries entries;
    for (int i = 0; i < captions.Count(); ++i)
      entries.emplace_back(captions.Name(i), captions.Value(i));
    return entries;
  };
  EXPECT_EQ(read(SidecarPacket("Sidecar", "2"), iptc, head), (Entries{{"TITLE", "Sidecar"},
                                                                      {"KEYWORDS", "Boot"},
                                                                      {"RATING", "2"},
                                                                      {"CITY", "München"},
                                                                      {"COUNTRY", "Schweiz"}}));
  EXPECT_EQ(ValueOf(read("", iptc, head), "TITLE"), "IPTC");
  EXPECT_EQ(ValueOf(read("", "", head), "TITLE"), "Foto");
  EXPECT_EQ(read("<x:xmpmeta", iptc.substr(0, 7), head.substr(0, 30)), Entries{});
}

// A caption property written as a structure, or as an array of structures, holds no text of
// its own: the next source's caption counts, and exiv2's type marker never shows.
TEST_F(CaptionsTest, StructuresInPlaceOfTextsAreNoCaptions) {
  const std::string head = ReadFile(PhotoWith("own.jpg", [](Exiv2::Image& image) {
    image.xmpData()["Xmp.photoshop.City"] = "Zegama";
    image.xmpData()["Xmp.dc.rights"] = "lang=x-default CC BY 4.0";
  }));
  const std::string ns =
      "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
      "xmlns:photoshop=\"http://ns.adobe.com/photoshop/1.0/\" "
      "xmlns:ex=\"http://example.com/ns/\"";
  for (const std::string& property :
       {std::string("<photoshop:City rdf:parseType=\"Resource\"></photoshop:City>"),
        std::string("<photoshop:City rdf:parseType=\"Resource\"><ex:Name>Ort</ex:Name>"
                    "</photoshop:City>"),
        std::string("<dc:rights><rdf:Bag><rdf:li rdf:parseType=\"Resource\"><ex:Name>x"
                    "</ex:Name></rdf:li></rdf:Bag></dc:rights>")}) {
    const std::string sidecar =
        "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
        "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"><rdf:Description "
        "rdf:about=\"\" " +
        ns + ">" + property + "</rdf:Description></rdf:RDF></x:xmpmeta>";
    TVTLValueList captions;
    ReadCaptionsFromParts(sidecar, "", head, captions);
    EXPECT_EQ(captions.ValueOf("CITY"), "Zegama") << property;
    EXPECT_EQ(captions.ValueOf("COPYRIGHT"), "CC BY 4.0") << property;
  }
}

TEST(MetadataTableTest, TagNamesKeepTheirLiteralSpelling) {
  EXPECT_EQ(PropertyTagName(0x010F), "PropertyTagEquipMake");
  EXPECT_EQ(PropertyTagName(0x8769), "PropertyTagExifIFD");
  EXPECT_EQ(PropertyTagName(0x0107), "PropertyTagThreshHolding");
  EXPECT_EQ(PropertyTagName(0x012D), "PropertyTagTransferFuncition");
  EXPECT_EQ(PropertyTagName(0x0214), "PropertyTagREFBlackWhite");
  EXPECT_EQ(PropertyTagName(0x503B), "PropertyTagThumbnailCopyRight");
  EXPECT_EQ(PropertyTagName(0x0000), "PropertyTagGpsVer");
  EXPECT_EQ(PropertyTagName(0xA302), "PropertyTagExifCfaPattern");
  EXPECT_EQ(PropertyTagName(0xA431), "<Unknown>");
  EXPECT_EQ(PropertyTagName(0x0104), "<Unknown>");
  int known = 0;
  for (uint32_t id = 0; id <= 0xFFFF; ++id) known += PropertyTagName(id) != "<Unknown>";
  EXPECT_EQ(known, 214);

  // Entries are keyed without the prefix; the thumbnail's directory has IDs of its own only
  // for the tags it carries.
  EXPECT_EQ(PropertyKey(0x010F), "EquipMake");
  EXPECT_EQ(PropertyKey(0xA431), "");
  uint32_t id = 0;
  EXPECT_TRUE(ThumbnailTagId(0x0100, id));
  EXPECT_EQ(id, 0x5020u);
  EXPECT_TRUE(ThumbnailTagId(0x8298, id));
  EXPECT_EQ(id, 0x503Bu);
  EXPECT_FALSE(ThumbnailTagId(0x0107, id));
}

TEST(MetadataTableTest, TypeNames) {
  EXPECT_EQ(PropertyTypeName(0), "Nothing");
  EXPECT_EQ(PropertyTypeName(6), "Nothing");
  EXPECT_EQ(PropertyTypeName(8), "Nothing");
  EXPECT_EQ(PropertyTypeName(2), "PropertyTagTypeASCII");
  EXPECT_EQ(PropertyTypeName(10), "PropertyTagTypeSRational");
  EXPECT_EQ(PropertyTypeName(11), "<UnKnown>");
}

}  // namespace
}  // namespace vistrel
