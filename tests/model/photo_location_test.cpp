#include "model/photo_location.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "model/record.h"
#include "support/logger.h"

namespace vistrel {
namespace {

TEST(PhotoLocationTest, TheEntriesThatNameAPlace) {
  for (const char* name : {"GpsLatitude", "GpsLongitudeRef", "GPSALTITUDE", "GpsVer"})
    EXPECT_TRUE(IsLocationMetadata(name)) << name;
  for (const char* name : {"EquipMake", "Artist", "ImageDescription", "Width", "G"})
    EXPECT_FALSE(IsLocationMetadata(name)) << name;
  EXPECT_TRUE(IsLocationPhotoData("GPS"));
  for (const char* name : {"DATE", "CAMERA", "GPSX", ""})
    EXPECT_FALSE(IsLocationPhotoData(name)) << name;
  for (const char* name : {"CITY", "region", "Country"}) EXPECT_TRUE(IsLocationCaption(name));
  for (const char* name : {"TITLE", "DESCRIPTION", "KEYWORDS", "COPYRIGHT", "CREATOR"})
    EXPECT_FALSE(IsLocationCaption(name)) << name;
}

// A photo names a place when any of its lists holds one with a value.
TEST(PhotoLocationTest, APhotoHasALocationByAnyOfItsLists) {
  TLogger log;
  auto record = [&](const char* list, const char* name, const char* value) {
    auto made = std::make_unique<TVTLRecord>("/f/", "a.jpg", nullptr, log);
    TVTLValueList& target = std::string(list) == "metadata"    ? made->Metadata
                            : std::string(list) == "photodata" ? made->PhotoData
                            : std::string(list) == "captions"  ? made->Captions
                                                               : made->Details;
    target.AddName(name);
    target.SetValueOf(name, value);
    return made;
  };
  EXPECT_TRUE(HasLocation(*record("metadata", "GpsLatitude", "47/1")));
  EXPECT_TRUE(HasLocation(*record("photodata", "GPS", "47.1,8.5")));
  EXPECT_TRUE(HasLocation(*record("captions", "CITY", "Bern")));
  EXPECT_FALSE(HasLocation(*record("captions", "TITLE", "Bern")));
  EXPECT_FALSE(HasLocation(*record("metadata", "GpsLatitude", "")));
  // The user's own property "Ort" is the user's: it does not count.
  EXPECT_FALSE(HasLocation(*record("details", "Ort", "Bern")));
}

TEST(PhotoLocationTest, TemplatesThatShowAPlace) {
  for (const char* text :
       {"<a href=\"https://osm.org/?q=%URL:EXIF:GPS%\">", "[VTL] CONDITION(DoesExist(%exif:gps%))",
        "%HTML:META:CITY%", "%META:Region%", "%meta:COUNTRY%", "%JPGMETA:GpsLatitude%"})
    EXPECT_TRUE(ShowsLocation(text)) << text;
  for (const char* text : {"%EXIF:DATE% %META:TITLE%", "%META:CITYNAME%", "GPS und Stadt", ""})
    EXPECT_FALSE(ShowsLocation(text)) << text;
}

// Each shipped skin shows the place somewhere: the map link of a photo.
TEST(PhotoLocationTest, EveryShippedSkinShowsThePlace) {
  for (const char* skin : {"standard", "klassisch", "einzelseite"}) {
    bool shows = false;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(VISTREL_SKINS_DIR) + "/" + skin)) {
      if (entry.path().extension() != ".tpl") continue;
      std::ifstream file(entry.path());
      std::stringstream text;
      text << file.rdbuf();
      shows = shows || ShowsLocation(text.str());
    }
    EXPECT_TRUE(shows) << skin;
  }
}

}  // namespace
}  // namespace vistrel
