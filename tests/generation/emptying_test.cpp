// Emptying the output folder before a run: what the request refuses, and what the run does.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "generation/run_fixture.h"
#include "image_fixtures.h"
#include "support/disk.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;

class EmptyingTest : public RunFixture {
 protected:
  void SetUp() override {
    UseSkin({});
    AddPhoto(dir_ / "photos/a.jpg");
  }
};

TEST_F(EmptyingTest, TheOldGalleryGoesToTheTrashAndTheRunReportsItFirst) {
  WriteFile(out_ + "/old.html", "old");
  WriteFile(out_ + "/sub/old.jpg", "old");
  ASSERT_TRUE(Run({.empty = true}));
  EXPECT_EQ(reports_[0], "7,0,0,0,0");
  EXPECT_EQ(reports_[1], "0,0,0,0,0");
  EXPECT_EQ(Output(), (Files{"index.html", "th_a.jpg"}));
  EXPECT_EQ(ListFolder(files_.TrashFiles()), (Files{"old.html", "sub"}));
}

TEST_F(EmptyingTest, AFolderThatDoesNotExistIsNeitherReportedNorEmptied) {
  ASSERT_TRUE(Run({.empty = true, .out = dir_ / "new"}));
  EXPECT_EQ(reports_.front(), "0,0,0,0,0");
}

TEST_F(EmptyingTest, FoldersHoldingWhatMustNotBeLostAreRefusedBeforeAnythingHappens) {
  WriteFile(dir_ / "photos/other.txt", "keep");
  WriteFile(dir_ / "skins/blau/blau.vsk", "keep");
  WriteFile(dir_ / "mnt/data.txt", "keep");
  files_.mount_roots.insert(SystemDisk().RealPath(dir_ / "mnt"));
  // A file system mounted deep below the folder, and a listed photo that the list reaches
  // through a link in another folder.
  WriteFile(dir_ / "deep/sub/mnt/data.txt", "keep");
  files_.mount_roots.insert(SystemDisk().RealPath(dir_ / "deep/sub/mnt"));
  WriteFile(dir_ / "linked/real.jpg", ReadFile(dir_ / "photos/a.jpg"));
  ::mkdir((dir_ / "links").c_str(), 0755);
  ASSERT_EQ(::symlink((dir_ / "linked/real.jpg").c_str(), (dir_ / "links/link.jpg").c_str()), 0);
  AddFile(dir_ / "links/link.jpg");
  const std::vector<std::pair<std::string, std::string>> cases = {
      {dir_ / "deep", "Es enthält ein eingehängtes Dateisystem: " +
                          SystemDisk().RealPath(dir_ / "deep/sub/mnt") + "."},
      {dir_ / "linked", "Es enthält Bilder der Liste."},
      {dir_ / "photos", "Es enthält Bilder der Liste."},
      {dir_.Path(), "Es ist der persönliche Ordner oder ein Ordner, der ihn enthält."},
      {files_.HomeFolder(), "Es ist der persönliche Ordner oder ein Ordner, der ihn enthält."},
      {dir_ / "skin", "Es enthält Skins oder liegt in einem Skin."},
      {dir_ / "skin/files", "Es enthält Skins oder liegt in einem Skin."},
      {dir_ / "skins", "Es enthält Skins oder liegt in einem Skin."},
      {dir_ / "mnt", "Es ist die Wurzel eines Dateisystems."},
  };
  for (const auto& [folder, why] : cases) {
    ::mkdir(folder.c_str(), 0755);
    EXPECT_FALSE(Run({.empty = true, .out = folder})) << folder;
    EXPECT_EQ(refusal_, "Das Verzeichnis " + folder + " kann nicht geleert werden!|" + why);
    EXPECT_TRUE(reports_.empty());
  }
  EXPECT_EQ(ReadFile(dir_ / "photos/other.txt"), "keep");
  EXPECT_EQ(ReadFile(dir_ / "skins/blau/blau.vsk"), "keep");
  EXPECT_EQ(ReadFile(dir_ / "mnt/data.txt"), "keep");
  EXPECT_EQ(ReadFile(dir_ / "deep/sub/mnt/data.txt"), "keep");
  EXPECT_TRUE(Exists(dir_ / "linked/real.jpg"));
  EXPECT_TRUE(ListFolder(files_.TrashFiles()).empty());
}

// Emptying a folder of the trash would trash its entries a second time and leave their
// .trashinfo files without them: the run refuses, and the trash keeps what it had.
TEST_F(EmptyingTest, AnOutputFolderInsideTheTrashIsNotEmptied) {
  WriteFile(out_ + "/old.html", "old");
  ASSERT_TRUE(Run({.empty = true}));
  const std::string trash = files_.HomeFolder() + "/.local/share/Trash";
  const Files info = ListFolder(trash + "/info");
  ASSERT_EQ(info, (Files{"old.html.trashinfo"}));
  for (const std::string& folder : {trash + "/files", trash + "/info", trash}) {
    EXPECT_FALSE(Run({.empty = true, .out = folder})) << folder;
    ASSERT_GE(reports_.size(), 3u) << folder;
    EXPECT_EQ(reports_[1], "-1,0,0,0,0 Das Verzeichnis " + folder + " kann nicht geleert werden!");
    EXPECT_EQ(reports_[2],
              "-1,0,0,0,0 Das Verzeichnis " + folder + " liegt im Papierkorb " + trash + ".");
  }
  EXPECT_EQ(ListFolder(trash + "/files"), (Files{"old.html"}));
  EXPECT_EQ(ListFolder(trash + "/info"), info);
}

// A trash that cannot take anything: the run reports why and stops; nothing moves.
class FullTrash : public TTrash {
 public:
  bool Locate(const std::string& path, std::string&, std::string& reason) override {
    reason = "Kein Papierkorb kann " + path + " aufnehmen.";
    return false;
  }
  bool Move(const std::string&, TTrashed&, std::string&) override { return false; }
  bool Restore(const TTrashed&) override { return false; }
};

class NoTrashFiles : public ScratchFiles {
 public:
  using ScratchFiles::ScratchFiles;
  TTrash& Trash() override { return trash_; }

 private:
  FullTrash trash_;
};

TEST_F(EmptyingTest, WhenNoTrashCanTakeTheFilesTheFolderIsNotEmptiedAndNothingIsMade) {
  NoTrashFiles no_trash(dir_ / "home2");
  WriteFile(out_ + "/old.html", "old");
  TRunInput input;
  input.skin = skin_.get();
  input.records = &records_;
  input.variants = {DefaultVariantSetting(skin_->ImageModifications.Row(0))};
  input.output_path = out_;
  input.empty_output = true;
  const TRequestResult request = BuildRunRequest(input, no_trash);
  ASSERT_TRUE(request.request) << request.message;
  Reports reports;
  TVistrel run(*request.request,
               TRunServices{vips_, no_trash, messages_,
                            [&](int step, int, int, int, int, const std::string& message) {
                              reports.push_back(std::to_string(step) + " " + message);
                            },
                            cancel_});
  EXPECT_FALSE(run.Run());
  EXPECT_EQ(reports, (Reports{"7 ", "-1 Das Verzeichnis " + out_ + " kann nicht geleert werden!",
                              "-1 Kein Papierkorb kann " + out_ + "/old.html aufnehmen."}));
  EXPECT_EQ(Output(), (Files{"old.html"}));
}

}  // namespace
}  // namespace vistrel
