#include "support/ini_file.h"

#include <gtest/gtest.h>

#include "support/disk.h"

namespace vistrel {
namespace {

TEST(IniFileTest, SectionsAndKeysIgnoreCaseAndMissingKeysGiveTheDefault) {
  const TIniFile ini = TIniFile::FromText(
      "\xEF\xBB\xBF; comment\r\n[General]\r\n  SkinName = Blau grün  \r\nEmpty=\r\n"
      "Quoted=\"  a b \"\r\nSkinName=second\r\n# note\r\n[CSV]\r\nHTMLPatterns=p.csv\r\nno "
      "equals\r\n");
  EXPECT_EQ(ini.ReadString("general", "SKINNAME", "x"), "Blau grün");  // the first one counts
  EXPECT_EQ(ini.ReadString("General", "Empty", "x"), "");
  EXPECT_EQ(ini.ReadString("General", "Quoted", "x"), "  a b ");
  EXPECT_EQ(ini.ReadString("General", "Missing", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadString("csv", "htmlpatterns", ""), "p.csv");
  EXPECT_EQ(ini.ReadString("General", "HTMLPatterns", "none"), "none");
}

TEST(IniFileTest, ValuesAreCutAt2047Characters) {
  const TIniFile ini = TIniFile::FromText("[A]\nk=" + std::string(5000, 'v') + "\n");
  EXPECT_EQ(ini.ReadString("A", "k", "").size(), 2047u);
}

TEST(IniFileTest, AnUnreadableFileHasNoKeys) {
  const TIniFile ini(SystemDisk(), "/nonexistent/skin.vsk");
  EXPECT_EQ(ini.ReadString("General", "SkinName", "d"), "d");
}

}  // namespace
}  // namespace vistrel
