#include "csv/skin.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "skin_fixture.h"
#include "support/disk.h"
#include "support/text.h"
#include "support/user_messages.h"
#include "test_support.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;

class SkinTest : public ::testing::Test {
 protected:
  std::unique_ptr<TVTLSkin> Load(const std::string& folder, const std::string& file = "test.vsk") {
    return std::make_unique<TVTLSkin>(SystemDisk(), folder, file, messages_);
  }
  TempDir dir_;
  RecordedMessages messages_;
};

TEST_F(SkinTest, LoadsAllFieldsAndTables) {
  TSkinFixture fixture;
  fixture.values = {{"TITEL", "Titel", "TEXT", "Hallo"}};
  WriteSkin(dir_ / "s", fixture);
  auto skin = Load(dir_ / "s");  // no trailing "/": it is added
  ASSERT_TRUE(skin->Valid) << skin->ErrorMessage;
  EXPECT_EQ(skin->Directory, dir_ / "s/");
  EXPECT_EQ(skin->FileName, "test.vsk");
  EXPECT_EQ(skin->SkinName, "Testskin");
  EXPECT_EQ(skin->Startpage, "index");
  EXPECT_EQ(skin->Author, "Tester");
  EXPECT_EQ(skin->HTMLPatterns.Count(), 1);
  EXPECT_EQ(skin->RequiredVars.Row(0).ValueOf("defaultvalue"), "Hallo");
  EXPECT_EQ(skin->ImageModifications.Row(0).Value(TImageModificationValueList::kNewName),
            "th_%old%");
  EXPECT_FALSE(skin->CopyOriginalImages);
}

TEST_F(SkinTest, IniErrorsStopAtTheFirstAndKeepWhatWasRead) {
  struct Case {
    std::string ini, suffix;
  } cases[] = {
      {"[General]\nAuthor=x\n", ": Datei enthält keinen Skin-Namen!"},
      {"[General]\nSkinName=Blau\n",
       ": Datei enthält keinen Eintrag HTMLPatterns im Bereich [CSV]!"},
      {"[General]\nSkinName=Blau\n[CSV]\nHTMLPatterns=p.csv\n",
       ": Datei enthält keinen Eintrag ImageModification im Bereich [CSV]!"},
      {"[general]\nskinname=Blau\n[csv]\nhtmlpatterns=p.csv\n",
       ": Datei enthält keinen Eintrag ImageModification im Bereich [CSV]!"},
  };
  for (const auto& c : cases) {
    WriteFile(dir_ / "s/x.vsk", c.ini);
    auto skin = Load(dir_ / "s/", "x.vsk");
    EXPECT_FALSE(skin->Valid);
    EXPECT_EQ(skin->ErrorMessage, "Fehler beim Laden der Datei " + (dir_ / "s/x.vsk") + c.suffix);
  }
  auto named = Load(dir_ / "s/", "x.vsk");
  EXPECT_EQ(named->SkinName, "Blau");  // read before the error
  auto missing = Load(dir_ / "s/", "none.vsk");
  EXPECT_EQ(missing->ErrorMessage, "Fehler beim Laden der Datei " + (dir_ / "s/none.vsk") +
                                       ": Datei enthält keinen Skin-Namen!");
}

TEST_F(SkinTest, TableErrors) {
  WriteSkin(dir_ / "s");
  // No RequiredVars: the folder itself is tried as the table, after the patterns loaded.
  WriteFile(
      dir_ / "s/test.vsk",
      "[General]\nSkinName=A\n[CSV]\nHTMLPatterns=patterns.csv\nImageModification=variants.csv\n");
  auto skin = Load(dir_ / "s");
  EXPECT_EQ(skin->ErrorMessage, "Fehler beim Laden der CSV-Datei " + (dir_ / "s/") + "!");
  EXPECT_EQ(skin->HTMLPatterns.Count(), 1);

  // A table with too few columns.
  WriteSkin(dir_ / "t");
  WriteFile(dir_ / "t/patterns.csv", "\"FILENAME\";\"NAME\";\r\n");
  EXPECT_EQ(
      Load(dir_ / "t")->ErrorMessage,
      "Fehler beim Laden der CSV-Datei " + (dir_ / "t/patterns.csv") + ": Struktur ist ungültig!");

  // Header names in small letters pass.
  WriteFile(dir_ / "t/patterns.csv", "filename;name;newfilename;extra\r\n");
  EXPECT_TRUE(Load(dir_ / "t")->Valid);

  // A malformed line is shown by the reader, then the load fails.
  WriteFile(dir_ / "t/variants.csv",
            "NAME;DESCRIPTION;DEFAULTMAXWIDTH;DEFAULTMAXHEIGHT;NEWNAME\r\n\"a\" b;c\r\n");
  auto broken = Load(dir_ / "t");
  EXPECT_EQ(broken->ErrorMessage,
            "Fehler beim Laden der CSV-Datei " + (dir_ / "t/variants.csv") + "!");
  EXPECT_EQ(messages_.errors, std::vector<std::string>{
                                  "Die CSV-Datei " + (dir_ / "t/variants.csv") + " ist ungültig!"});

  // A NUL byte in a cell, where the system would cut a file name, makes the skin invalid.
  WriteSkin(dir_ / "u");
  WriteFile(
      dir_ / "u/patterns.csv",
      std::string("FILENAME;NAME;NEWFILENAME\r\nindex.tpl;index;x\0/..\0/planted.html\r\n", 64));
  EXPECT_EQ(
      Load(dir_ / "u")->ErrorMessage,
      "Fehler beim Laden der CSV-Datei " + (dir_ / "u/patterns.csv") + ": Struktur ist ungültig!");
}

TEST_F(SkinTest, AVariantsFormatIsReadFromAnyColumnNamedFormatAndAnUnknownOneFailsTheSkin) {
  // Without the column every variant is JPEG, as it always was.
  WriteSkin(dir_ / "a");
  auto plain = Load(dir_ / "a");
  ASSERT_TRUE(plain->Valid) << plain->ErrorMessage;
  EXPECT_EQ(TImageModificationValueList::FormatOf(plain->ImageModifications.Row(0)), "");

  // The column may stand anywhere after the first five and be written in any case.
  WriteSkin(dir_ / "b");
  WriteFile(dir_ / "b/variants.csv", CsvTable({"NAME", "DESCRIPTION", "DEFAULTMAXWIDTH",
                                               "DEFAULTMAXHEIGHT", "NEWNAME", "NOTE", "format"},
                                              {{"A", "a", "10", "10", "a_%old%", "x", "webp"},
                                               {"B", "b", "10", "10", "b_%old%", "y", ""},
                                               {"C", "c", "10", "10", "c_%old%", "z", "AVIF"}}));
  auto formats = Load(dir_ / "b");
  ASSERT_TRUE(formats->Valid) << formats->ErrorMessage;
  std::vector<std::string> cells;
  for (int i = 0; i < formats->ImageModifications.Count(); ++i)
    cells.push_back(TImageModificationValueList::FormatOf(formats->ImageModifications.Row(i)));
  EXPECT_EQ(cells, (std::vector<std::string>{"webp", "", "AVIF"}));

  // A format the program cannot write is the skin author's mistake, named when it loads.
  TSkinFixture fixture;
  fixture.variants = {{"A", "a", "10", "10", "a_%old%", "webp"},
                      {"B", "b", "10", "10", "b_%old%", "gif"}};
  WriteSkin(dir_ / "c", fixture);
  auto unknown = Load(dir_ / "c");
  EXPECT_FALSE(unknown->Valid);
  EXPECT_EQ(unknown->ErrorMessage, "Fehler beim Laden der CSV-Datei " + (dir_ / "c/variants.csv") +
                                       ": Unbekanntes Bildformat gif (erlaubt sind JPEG, WebP "
                                       "oder AVIF)!");
}

TEST_F(SkinTest, CopyOriginalImagesIsTrueOnlyForYes) {
  for (const auto& [value, expected] : std::vector<std::pair<std::string, bool>>{
           {"yes", true}, {"YES", true}, {"Y", false}, {"No", false}, {"", false}}) {
    WriteSkin(dir_ / "s");
    WriteFile(dir_ / "s/test.vsk",
              "[General]\nSkinName=A\nCopyOriginalImages=" + value +
                  "\n[CSV]\nHTMLPatterns=patterns.csv\nImageModification=variants.csv\n"
                  "RequiredVars=values.csv\n");
    EXPECT_EQ(Load(dir_ / "s")->CopyOriginalImages, expected) << value;
  }
}

TEST_F(SkinTest, ASkinReadsOnlyRegularFilesInsideItsFolder) {
  WriteSkin(dir_ / "s");
  WriteFile(dir_ / "private.csv", "FILENAME;NAME;NEWFILENAME\r\nsecret;x;y\r\n");
  for (const std::string& path :
       {std::string("../private.csv"), dir_ / "private.csv", std::string("link.csv"),
        std::string("fifo.csv"), std::string("sub")}) {
    WriteFile(dir_ / "s/test.vsk",
              "[General]\nSkinName=A\n[CSV]\nHTMLPatterns=" + path +
                  "\nImageModification=variants.csv\nRequiredVars=values.csv\n");
    if (path == "link.csv")
      ::symlink((dir_ / "private.csv").c_str(), (dir_ / "s/link.csv").c_str());
    if (path == "fifo.csv") ::mkfifo((dir_ / "s/fifo.csv").c_str(), 0600);
    if (path == "sub") ::mkdir((dir_ / "s/sub").c_str(), 0755);
    auto skin = Load(dir_ / "s");
    EXPECT_FALSE(skin->Valid) << path;
    EXPECT_EQ(skin->ErrorMessage, "Fehler beim Laden der CSV-Datei " + (dir_ / "s/") + path + "!");
    EXPECT_EQ(skin->HTMLPatterns.Count(), 0) << path;
  }
}

TEST_F(SkinTest, PreviewPathOnlyForAFileInTheSkin) {
  WriteSkin(dir_ / "s");
  WriteFile(dir_ / "s/test.vsk", "[General]\nSkinName=A\nPreview=v.jpg\n");
  EXPECT_EQ(Load(dir_ / "s")->PreviewPath(SystemDisk()), "");
  WriteFile(dir_ / "s/v.jpg", "x");
  EXPECT_EQ(Load(dir_ / "s")->PreviewPath(SystemDisk()), dir_ / "s/v.jpg");
  WriteFile(dir_ / "s/test.vsk", "[General]\nSkinName=A\nPreview=../../etc/passwd\n");
  EXPECT_EQ(Load(dir_ / "s")->PreviewPath(SystemDisk()), "");
}

TEST_F(SkinTest, CatalogueListsSubFoldersFirstInByteOrder) {
  TSkinFixture fixture;
  fixture.name = "Top";
  WriteSkin(dir_ / "skins", fixture);
  fixture.name = "Second file";
  fixture.file = "b.vsk";
  WriteSkin(dir_ / "skins", fixture);
  fixture.name = "Hidden file";
  fixture.file = ".hidden.VSK";
  WriteSkin(dir_ / "skins", fixture);
  fixture.file = "s.vsk";
  fixture.name = "Zeta";
  WriteSkin(dir_ / "skins/zeta", fixture);
  fixture.name = "Alpha";
  WriteSkin(dir_ / "skins/Alpha", fixture);
  fixture.name = "Deep";
  WriteSkin(dir_ / "skins/Alpha/inner", fixture);
  fixture.name = "Invisible";
  WriteSkin(dir_ / "skins/.versteckt", fixture);
  WriteFile(dir_ / "skins/broken/x.vsk", "[General]\n");

  TVTLSkinList list;
  list.ScanFolder(SystemDisk(), dir_ / "skins", messages_);
  std::vector<std::string> names;
  for (int i = 0; i < list.Count(); ++i)
    names.push_back(list.Item(i).SkinName + (list.Item(i).Valid ? "" : "!"));
  EXPECT_EQ(names, (std::vector<std::string>{"Deep", "Alpha", "!", "Zeta", "Hidden file",
                                             "Second file", "Top"}));
  EXPECT_EQ(list.Item(5).Directory, list.Item(6).Directory);  // two skins in one folder

  TVTLSkinList none;
  none.ScanFolder(SystemDisk(), dir_ / "missing", messages_);
  EXPECT_EQ(none.Count(), 0);
}

// The skins that ship: each loads, shows a preview, and "Galerie anzeigen" finds its start
// page among its own templates.
TEST_F(SkinTest, ShippedSkinsLoadWithAPreviewAndAStartPageOfTheirOwn) {
  TVTLSkinList list;
  list.ScanFolder(SystemDisk(), VISTREL_SKINS_DIR, messages_);
  ASSERT_GE(list.Count(), 3);
  for (int i = 0; i < list.Count(); ++i) {
    const TVTLSkin& skin = list.Item(i);
    EXPECT_TRUE(skin.Valid) << skin.FullPath() << ": " << skin.ErrorMessage;
    EXPECT_NE(skin.PreviewPath(SystemDisk()), "") << skin.SkinName;
    bool found = false;
    for (int t = 0; t < skin.HTMLPatterns.Count(); ++t)
      found =
          found || SameTextIgnoreCase(skin.HTMLPatterns.Row(t).Value(THTMLPatternValueList::kName),
                                      skin.Startpage);
    EXPECT_TRUE(found) << skin.SkinName << ": Startpage=" << skin.Startpage;
  }
}

}  // namespace
}  // namespace vistrel
