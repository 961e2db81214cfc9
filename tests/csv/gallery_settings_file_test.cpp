#include "csv/gallery_settings_file.h"

#include <gtest/gtest.h>

#include "fault_disk.h"
#include "support/disk.h"
#include "test_support.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;

TGallerySettings Sample() {
  TGallerySettings settings;
  settings.id = "0123456789abcdef0123456789abcdef";
  settings.skin_file = "/skins/Standard/standard.vsk";
  settings.output_folder = "/home/anna/Bilder/urlaub; \"web\"/";
  settings.copy_originals = true;
  settings.omit_location = true;
  settings.use_cache = false;
  settings.values = {{"TITLE", "Urlaub \"2026\"; Süd"}, {"EMPTY", ""}};
  settings.variants = {{"THUMB", "160", "120", "80", "JPEG"}, {"BIG", "1024", "768", "85", "AVIF"}};
  return settings;
}

TEST(GallerySettingsFileTest, SettingsComeBackAsTheyWereWritten) {
  TempDir dir;
  const std::string path = GallerySettingsFileOf(dir / "liste.csv");
  EXPECT_EQ(path, dir / "liste.csv.vistrel-galerie");
  ASSERT_TRUE(SaveGallerySettings(SystemDisk(), Sample(), path));
  const std::optional<TGallerySettings> read = LoadGallerySettings(SystemDisk(), path);
  ASSERT_TRUE(read);
  EXPECT_EQ(*read, Sample());
  // A line break typed into a value cannot end the setting's line.
  TGallerySettings broken = Sample();
  broken.values[0].value = "zwei\r\nZeilen";
  const std::optional<TGallerySettings> flat = ParseGallerySettings(FormatGallerySettings(broken));
  ASSERT_TRUE(flat);
  EXPECT_EQ(flat->values[0].value, "zwei  Zeilen");
  EXPECT_EQ(flat->values.size(), 2u);
}

TEST(GallerySettingsFileTest, LinesOfUnknownKindsAndShortLinesAreSkipped) {
  const std::optional<TGallerySettings> read = ParseGallerySettings(
      "\"Vistrel-Galerie\";\"1\";\r\n"
      "\"Skin\";\"/s/a.vsk\";\r\n"
      "\"Künftig\";\"etwas\";\"Neues\";\r\n"
      "\"Wert\";\"NUR_NAME\";\r\n"
      "\"Variante\";\"THUMB\";\"160\";\r\n"
      "\r\n"
      "\"Wert\";\"TITLE\";\"Ja\";\r\n"
      "kaputt\"zeile;\r\n");
  ASSERT_TRUE(read);
  EXPECT_EQ(read->skin_file, "/s/a.vsk");
  ASSERT_EQ(read->values.size(), 1u);
  EXPECT_EQ(read->values[0], (TGallerySettings::TValue{"TITLE", "Ja"}));
  EXPECT_TRUE(read->variants.empty());
  EXPECT_TRUE(read->use_cache);
  EXPECT_FALSE(read->copy_originals);
  EXPECT_FALSE(read->omit_location);
}

TEST(GallerySettingsFileTest, WhatIsNoSettingsFileIsRefused) {
  const std::string big_field(kMaxSettingLength + 1, 'x');
  const std::vector<std::pair<const char*, std::string>> cases = {
      {"empty", ""},
      {"an image list", "\"Dateiname\";\"Pfad\";\r\n\"a.jpg\";\"/p/\";\r\n"},
      {"a later version", "\"Vistrel-Galerie\";\"2\";\r\n\"Skin\";\"/s/a.vsk\";\r\n"},
      {"no skin", "\"Vistrel-Galerie\";\"1\";\r\n\"Wert\";\"A\";\"b\";\r\n"},
      {"a field too long", "\"Vistrel-Galerie\";\"" + big_field + "\";\r\n"},
      {"binary", std::string("\x89PNG\r\n\x1a\n\0\0", 10)},
  };
  for (const auto& [what, text] : cases) EXPECT_FALSE(ParseGallerySettings(text)) << what;
  TempDir dir;
  EXPECT_FALSE(LoadGallerySettings(SystemDisk(), dir / "fehlt.vistrel-galerie"));
  WriteFile(dir / "ordner.vistrel-galerie/x", "x");
  EXPECT_FALSE(LoadGallerySettings(SystemDisk(), dir / "ordner.vistrel-galerie"));
  // A file too large for settings is not read at all.
  WriteFile(dir / "gross.vistrel-galerie",
            FormatGallerySettings(Sample()) + std::string(kMaxGallerySettingsSize, ' '));
  EXPECT_FALSE(LoadGallerySettings(SystemDisk(), dir / "gross.vistrel-galerie"));
}

TEST(GallerySettingsFileTest, IdentitiesDiffer) {
  const std::string first = NewGalleryId();
  EXPECT_EQ(first.size(), 32u);
  EXPECT_EQ(first.find_first_not_of("0123456789abcdef"), std::string::npos);
  EXPECT_NE(first, NewGalleryId());
}

// A save the disk refuses at any step says so and leaves the settings saved before, and no
// half-written file beside them.
TEST(GallerySettingsFileTest, ASaveTheDiskRefusesKeepsTheSettingsBefore) {
  const std::vector<std::pair<TDiskOperation, int>> cases = {
      {TDiskOperation::kCreate, EACCES},
      {TDiskOperation::kWrite, ENOSPC},
      {TDiskOperation::kSync, EIO},
      {TDiskOperation::kRename, EXDEV},
  };
  for (const auto& [operation, error] : cases) {
    TempDir dir;
    TFaultDisk disk;
    const std::string path = dir / "liste.csv.vistrel-galerie";
    ASSERT_TRUE(SaveGallerySettings(disk, Sample(), path));
    TGallerySettings changed = Sample();
    changed.output_folder = "/anderswo/";
    disk.Fail(operation, path + "*", error);
    EXPECT_FALSE(SaveGallerySettings(disk, changed, path)) << static_cast<int>(operation);
    disk.Heal();
    EXPECT_EQ(LoadGallerySettings(disk, path), Sample()) << static_cast<int>(operation);
    EXPECT_EQ(disk.ListFolder(dir.Path()), std::vector<std::string>{"liste.csv.vistrel-galerie"});
  }
}

}  // namespace
}  // namespace vistrel
