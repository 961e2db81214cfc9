#include "generation/skin_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "generation/run_fixture.h"
#include "image_fixtures.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;

class SkinFilesTest : public RunFixture {
 protected:
  void SetUp() override {
    TSkinFixture fixture;
    fixture.variants = {{"THUMB", "k", "40", "40", "th_%old%"}};
    fixture.static_files = {{"stil.css", "body{}"}, {"bilder/hg.png", "png"}};
    UseSkin(fixture);
    AddPhoto(dir_ / "p/a.jpg");
  }
  ino_t Inode(const std::string& path) {
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st.st_ino;
  }
  std::string target_ = out_ + "/files";  // where the skin's files go
};

// The user's edited stylesheet is kept in the trash; a file that holds the skin's bytes already
// stays as it is.
TEST_F(SkinFilesTest, AChangedFileGoesToTheTrashAndAnEqualOneStays) {
  WriteFile(target_ + "/stil.css", "body{color:red} /* meine Änderung */");
  WriteFile(target_ + "/bilder/hg.png", "png");
  const ino_t picture = Inode(target_ + "/bilder/hg.png");
  ASSERT_TRUE(Run());
  const std::string note = "9,0,0,0,0 Die Datei " + target_ +
                           "/stil.css unterschied sich von der des Skins und wurde in den "
                           "Papierkorb verschoben.";
  EXPECT_EQ(std::count(reports_.begin(), reports_.end(), note), 1)
      << ::testing::PrintToString(reports_);
  EXPECT_EQ(reports_.back(), "6,0,0,0,0");
  EXPECT_EQ(ReadFile(target_ + "/stil.css"), "body{}");
  EXPECT_EQ(ReadFile(files_.TrashFiles() + "/stil.css"), "body{color:red} /* meine Änderung */");
  EXPECT_EQ(Inode(target_ + "/bilder/hg.png"), picture);
  EXPECT_EQ(ListFolder(target_), (Files{"bilder", "stil.css"}));

  // The next run finds the skin's own files: nothing to replace, nothing numbered.
  ASSERT_TRUE(Run());
  EXPECT_EQ(std::count_if(reports_.begin(), reports_.end(),
                          [](const std::string& line) { return line.starts_with("9,"); }),
            0);
  EXPECT_EQ(ListFolder(target_), (Files{"bilder", "stil.css"}));
  EXPECT_EQ(ListFolder(files_.TrashFiles()), Files{"stil.css"});
}

// Whatever else stands in the way stops the run before any picture is made, and names it.
TEST_F(SkinFilesTest, AnythingElseInTheWayStopsTheRunBeforeAnyPicture) {
  WriteFile(dir_ / "fremd.txt", "untouched");
  std::filesystem::create_directories(dir_ / "anderswo");
  struct Case {
    std::string name;
    std::function<void()> arrange;
    std::string reason;
    std::string file = "stil.css";  // the first of the skin's files that is kept out
  };
  const std::string trash_top = files_.HomeFolder() + "/.Trash-" + std::to_string(::getuid());
  const std::vector<Case> cases = {
      {"files is a file", [&] { WriteFile(target_, "no folder"); }, target_ + " ist kein Ordner",
       "bilder/hg.png"},
      {"stylesheet is a folder",
       [&] { std::filesystem::create_directories(target_ + "/stil.css"); },
       "an ihrer Stelle ist ein Ordner"},
      {"stylesheet is a link",
       [&] {
         std::filesystem::create_directories(target_);
         ASSERT_EQ(::symlink((dir_ / "fremd.txt").c_str(), (target_ + "/stil.css").c_str()), 0);
       },
       "an ihrer Stelle ist eine Verknüpfung"},
      {"files is a link",
       [&] {
         std::filesystem::create_directories(out_);
         ASSERT_EQ(::symlink((dir_ / "anderswo").c_str(), target_.c_str()), 0);
       },
       target_ + " ist eine Verknüpfung", "bilder/hg.png"},
      {"no trash takes the changed stylesheet",
       [&] {
         WriteFile(target_ + "/stil.css", "meins");
         WriteFile(files_.HomeFolder() + "/.local/share/Trash", "no trash");
         WriteFile(trash_top, "no trash either");
       },
       "die vorhandene Datei kann nicht in den Papierkorb: Kein Papierkorb kann " + target_ +
           "/stil.css aufnehmen"},
  };
  for (const Case& c : cases) {
    std::filesystem::remove_all(out_);
    std::filesystem::remove_all(files_.HomeFolder() + "/.local");
    std::filesystem::remove(trash_top);
    c.arrange();
    const Files before = Output();
    EXPECT_FALSE(Run()) << c.name;
    EXPECT_EQ(
        reports_,
        (Reports{"0,0,0,0,0", "-1,0,0,0,0 Keine Galerie erstellt: Die Datei " + target_ + "/" +
                                  c.file + " konnte nicht geschrieben werden (" + c.reason + ")."}))
        << c.name;
    EXPECT_EQ(Output(), before) << c.name;
  }
  EXPECT_EQ(ReadFile(dir_ / "fremd.txt"), "untouched");
  EXPECT_EQ(ListFolder(dir_ / "anderswo"), Files{});
  EXPECT_EQ(ReadFile(target_ + "/stil.css"), "meins");
}

// A skin file the disk does not take completely is a failure naming it, and no part of it
// stays.
TEST_F(SkinFilesTest, ASkinFileTheDiskDoesNotTakeFailsTheRun) {
  TSkinFixture fixture;
  fixture.variants = {{"THUMB", "k", "40", "40", "th_%old%"}};
  fixture.static_files = {{"klein.css", "p{}"}, {"skript.js", std::string(40000, ';')}};
  UseSkin(fixture);
  {
    ScopedFileSizeLimit full(16384);
    EXPECT_FALSE(Run({.cache = false}));
  }
  EXPECT_EQ(reports_.back(), "-1,0,0,0,0 Keine Galerie erstellt: Die Datei " + target_ +
                                 "/skript.js konnte nicht geschrieben werden (Datei zu groß).");
  EXPECT_EQ(ListFolder(target_), (Files{"bilder", "klein.css"}));
  EXPECT_FALSE(Exists(out_ + "/index.html"));
}

}  // namespace
}  // namespace vistrel
