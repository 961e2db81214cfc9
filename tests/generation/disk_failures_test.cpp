// A gallery run on a disk that fails: every operation the run makes through its disk can be
// refused, and the run says what could not be done, naming the file and the system's reason,
// and leaves nothing unfinished behind.
#include <gtest/gtest.h>

#include <filesystem>

#include "generation/run_fixture.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;

class DiskFailureTest : public RunFixture {
 protected:
  void SetUp() override {
    TSkinFixture fixture;
    fixture.variants = {{"THUMB", "k", "40", "40", "th_%old%"}};
    fixture.static_files = {{"stil.css", "body{}"}};
    UseSkin(fixture);
    AddPhoto(dir_ / "p/a.jpg");
  }
};

// What a run into a folder makes, in this order: the copy, the original, the skin's file, the
// page. A refusal at each step ends the run with one line; what was finished before stays.
TEST_F(DiskFailureTest, AnOutputTheDiskRefusesEndsTheRunWithOneLine) {
  struct Case {
    TDiskOperation operation;
    std::string pattern;  // below the output folder
    int error;
    std::string last;  // the last line, after "-1,0,0,0,0 Keine Galerie erstellt: "
    Files left;
    Files left_in_files = {};  // the skin's files finished
  };
  const std::string cannot_write = " konnte nicht geschrieben werden (";
  const std::vector<Case> cases = {
      {TDiskOperation::kWrite,
       "/th_a.jpg",
       ENOSPC,
       "Die Datei %OUT%/th_a.jpg" + cannot_write + "kein Platz mehr auf dem Datenträger).",
       {}},
      {TDiskOperation::kWrite,
       "/a.jpg",
       EFBIG,
       "Die Datei %OUT%/a.jpg" + cannot_write + "Datei zu groß).",
       {"th_a.jpg"}},
      {TDiskOperation::kWrite,
       "/files/stil.css",
       EDQUOT,
       "Die Datei %OUT%/files/stil.css" + cannot_write + "Speicherkontingent erschöpft).",
       {"a.jpg", "files", "th_a.jpg"}},
      {TDiskOperation::kWrite,
       "/index.html",
       ENOSPC,
       "Die Datei %OUT%/index.html" + cannot_write + "kein Platz mehr auf dem Datenträger).",
       {"a.jpg", "files", "th_a.jpg"},
       {"stil.css"}},
      // A file system that reports a lost write only when the file is closed.
      {TDiskOperation::kClose,
       "/index.html",
       EIO,
       "Die Datei %OUT%/index.html" + cannot_write + "Ein-/Ausgabefehler).",
       {"a.jpg", "files", "th_a.jpg"},
       {"stil.css"}},
      {TDiskOperation::kMakeFolder,
       "",
       EACCES,
       "Das Ausgabeverzeichnis %OUT%/ kann nicht angelegt werden (keine Berechtigung).",
       {}},
      {TDiskOperation::kCreate,
       "/.vistrel-lauf-*",
       EROFS,
       "In das Ausgabeverzeichnis %OUT%/ kann nicht geschrieben werden (nur lesbares "
       "Dateisystem).",
       {}},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    const std::string out = dir_ / ("out" + std::to_string(i));
    disk_.Heal();
    disk_.Fail(c.operation, out + c.pattern, c.error);
    EXPECT_FALSE(Run({.copy = true, .out = out, .cache = false})) << c.last;
    std::string last = c.last;
    last.replace(last.find("%OUT%"), 5, out);
    EXPECT_EQ(reports_.back(), "-1,0,0,0,0 Keine Galerie erstellt: " + last);
    // What a failed run leaves is still named in the folder's manifest.
    Files left = c.left;
    if (!left.empty()) left.insert(left.begin(), ".vistrel-inhalt");
    EXPECT_EQ(ListFolder(out), left) << c.last;
    EXPECT_EQ(ListFolder(out + "/files"), c.left_in_files) << c.last;
  }
}

// What the run reads, makes or keeps beyond the gallery's own files: the skin's file it copies,
// a folder inside the output folder, the template, the manifest. A refusal ends the run with
// one line saying what and why, and no line says that a gallery was made.
TEST_F(DiskFailureTest, WhatTheRunCannotReadOrKeepEndsItWithOneLine) {
  struct Case {
    TDiskOperation operation;
    std::string pattern;  // %DIR%: the test's folder; %OUT%: the output folder
    int error;
    std::string last;  // the last report, after "-1,0,0,0,0 "
  };
  const std::vector<Case> cases = {
      {TDiskOperation::kRead, "%DIR%/skin/files/stil.css", EIO,
       "Keine Galerie erstellt: Die Datei %OUT%/files/stil.css konnte nicht geschrieben werden "
       "(%DIR%/skin/files/stil.css ist nicht lesbar)."},
      {TDiskOperation::kMakeFolder, "%OUT%/files", EACCES,
       "Keine Galerie erstellt: Die Datei %OUT%/files/stil.css konnte nicht geschrieben werden "
       "(keine Berechtigung)."},
      {TDiskOperation::kRead, "%DIR%/skin/index.tpl", EIO,
       "Fehler beim Lesen der Vorlagendatei %DIR%/skin/index.tpl!"},
      {TDiskOperation::kCreate, "%OUT%/.vistrel-inhalt.*", ENOSPC,
       "Galerie erstellt, aber ihre Inhaltsliste %OUT%/.vistrel-inhalt konnte nicht geschrieben "
       "werden (kein Platz mehr auf dem Datenträger); an Ort und Stelle aktualisieren lässt sie "
       "sich so nicht."},
      {TDiskOperation::kRename, "%OUT%/.vistrel-inhalt", EIO,
       "Galerie erstellt, aber ihre Inhaltsliste %OUT%/.vistrel-inhalt konnte nicht geschrieben "
       "werden (Ein-/Ausgabefehler); an Ort und Stelle aktualisieren lässt sie sich so nicht."},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    const std::string out = dir_ / ("out" + std::to_string(i));
    auto expand = [&](std::string text) {
      for (const auto& [key, value] : {std::pair<std::string, std::string>{"%DIR%/", dir_ / ""},
                                       std::pair<std::string, std::string>{"%OUT%", out}})
        for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at))
          text.replace(at, key.size(), value);
      return text;
    };
    disk_.Heal();
    disk_.Fail(c.operation, expand(c.pattern), c.error);
    EXPECT_FALSE(Run({.out = out, .cache = false})) << c.last;
    EXPECT_EQ(reports_.back(), "-1,0,0,0,0 " + expand(c.last));
    EXPECT_EQ(std::count_if(reports_.begin(), reports_.end(),
                            [](const std::string& r) { return r.starts_with("-1,"); }),
              1)
        << ::testing::PrintToString(reports_);
    EXPECT_EQ(std::count_if(reports_.begin(), reports_.end(),
                            [](const std::string& r) { return r.starts_with("6,"); }),
              0)
        << ::testing::PrintToString(reports_);
  }
}

// A manifest that cannot be written leaves none behind: an old one would name files that are
// gone, and an update would take the folder for the gallery it no longer is.
TEST_F(DiskFailureTest, AManifestThatCannotBeWrittenLeavesNoneBehind) {
  ASSERT_TRUE(Run({.cache = false}));
  ASSERT_TRUE(Exists(out_ + "/.vistrel-inhalt"));
  disk_.Fail(TDiskOperation::kWrite, out_ + "/.vistrel-inhalt.*", ENOSPC);
  EXPECT_FALSE(Run({.cache = false, .update = true}));
  EXPECT_FALSE(Exists(out_ + "/.vistrel-inhalt"));
  EXPECT_EQ(Output(), (Files{"files", "index.html", "th_a.jpg"}));
}

// The journal must know every file before it is made: a journal that cannot take a record
// makes no file at all.
TEST_F(DiskFailureTest, AJournalThatCannotBeWrittenMakesNoFile) {
  disk_.Fail(TDiskOperation::kWrite, out_ + "/.vistrel-lauf-*", ENOSPC, 2);  // after its header
  EXPECT_FALSE(Run({.copy = true, .cache = false}));
  const std::string prefix =
      "-1,0,0,0,0 Keine Galerie erstellt: Die Datei " + out_ + "/.vistrel-lauf-";
  EXPECT_TRUE(reports_.back().starts_with(prefix)) << reports_.back();
  EXPECT_TRUE(reports_.back().ends_with(
      " konnte nicht geschrieben werden (kein Platz mehr auf dem Datenträger)."))
      << reports_.back();
  EXPECT_EQ(Output(), Files{});
}

// A cache that cannot keep a copy costs a note, never the gallery, and leaves no half entry.
TEST_F(DiskFailureTest, ACacheEntryThatCannotBeWrittenIsNotedAndTheGalleryIsMade) {
  disk_.Fail(TDiskOperation::kWrite, files_.cache_folder + "/.tmp-*", ENOSPC);
  ASSERT_TRUE(Run());
  const std::string note = "9,0,0,0,0 Der Zwischenspeicher " + files_.cache_folder +
                           " kann nicht beschrieben werden (kein Platz mehr auf dem "
                           "Datenträger); verkleinerte Bilder werden diesmal nicht darin "
                           "aufbewahrt.";
  EXPECT_EQ(std::count(reports_.begin(), reports_.end(), note), 1)
      << ::testing::PrintToString(reports_);
  EXPECT_EQ(reports_.back(), "6,0,0,0,0");
  EXPECT_EQ(Output(), (Files{"files", "index.html", "th_a.jpg"}));
  EXPECT_EQ(ListFolder(files_.cache_folder), Files{});
}

// A cache folder that cannot be made costs a note, never the gallery.
TEST_F(DiskFailureTest, ACacheFolderThatCannotBeMadeIsNotedAndTheGalleryIsMade) {
  disk_.Fail(TDiskOperation::kMakeFolder, files_.cache_folder, EACCES);
  ASSERT_TRUE(Run());
  EXPECT_EQ(
      std::count_if(reports_.begin(), reports_.end(),
                    [&](const std::string& r) {
                      return r.starts_with("9,0,0,0,0 Der Zwischenspeicher " + files_.cache_folder);
                    }),
      1)
      << ::testing::PrintToString(reports_);
  EXPECT_EQ(reports_.back(), "6,0,0,0,0");
  EXPECT_EQ(Output(), (Files{"files", "index.html", "th_a.jpg"}));
}

// Emptying is all or nothing also when the trash's move of one entry is refused.
TEST_F(DiskFailureTest, AnEntryTheTrashCannotTakeLeavesTheFolderAsItWas) {
  WriteFile(out_ + "/a.html", "a");
  WriteFile(out_ + "/b.html", "b");
  disk_.Fail(TDiskOperation::kRename, out_ + "/b.html", EACCES);
  EXPECT_FALSE(Run({.empty = true}));
  EXPECT_EQ(reports_, (Reports{"7,0,0,0,0",
                               "-1,0,0,0,0 Das Verzeichnis " + out_ + " kann nicht geleert werden!",
                               "-1,0,0,0,0 " + out_ +
                                   "/b.html kann nicht in den Papierkorb verschoben werden "
                                   "(keine Berechtigung)."}));
  EXPECT_EQ(Output(), (Files{"a.html", "b.html"}));
  EXPECT_EQ(ListFolder(files_.TrashFiles()), Files{});
}

TEST_F(DiskFailureTest, ATemplateThatCannotBeReadIsTheReadingError) {
  disk_.Fail(TDiskOperation::kRead, dir_ / "skin/index.tpl", EIO);
  EXPECT_FALSE(Run());
  const std::string message =
      "Fehler beim Lesen der Vorlagendatei " + (dir_ / "skin/index.tpl") + "!";
  EXPECT_EQ(reports_.back(), "-1,0,0,0,0 " + message);
  EXPECT_EQ(messages_.errors, (std::vector<std::string>{message}));
}

}  // namespace
}  // namespace vistrel
