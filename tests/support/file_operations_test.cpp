#include "support/file_operations.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/disk.h"
#include "support/trash.h"
#include "test_support.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;

// Emptying goes into a trash under a scratch home, so tests never fill the user's trash.
class FileOperationsTest : public ::testing::Test {
 protected:
  TempDir scratch_;
  ScratchFiles files_{scratch_ / "home"};
};

TEST_F(FileOperationsTest, EmptyDirectoryMovesEverythingIntoTheTrashAndKeepsTheFolder) {
  TempDir dir;
  WriteFile(dir / "out/a.html", "a");
  WriteFile(dir / "out/.hidden", "h");
  WriteFile(dir / "out/noext", "n");
  WriteFile(dir / "out/sub/deep/b.jpg", "b");
  WriteFile(dir / "beside.txt", "keep");
  WriteFile(dir / "out2/c.txt", "keep");
  ASSERT_EQ(::symlink((dir / "beside.txt").c_str(), (dir / "out/link").c_str()), 0);

  std::string reason;
  EXPECT_TRUE(EmptyDirectory(SystemDisk(), dir / "out", files_.Trash(), reason)) << reason;
  EXPECT_TRUE(Exists(dir / "out"));
  EXPECT_TRUE(ListFolder(dir / "out").empty());
  // Nothing is lost: it is all in the trash, the link as a link.
  EXPECT_EQ(ListFolder(files_.TrashFiles()),
            (std::vector<std::string>{".hidden", "a.html", "link", "noext", "sub"}));
  EXPECT_EQ(ReadFile(files_.TrashFiles() + "/sub/deep/b.jpg"), "b");
  // Nothing outside the folder is touched, also not the target of a link inside it.
  EXPECT_EQ(ReadFile(dir / "beside.txt"), "keep");
  EXPECT_EQ(ReadFile(dir / "out2/c.txt"), "keep");

  // With and without a trailing slash alike.
  WriteFile(dir / "out/b.html", "b");
  EXPECT_TRUE(EmptyDirectory(SystemDisk(), dir / "out/", files_.Trash(), reason));
  EXPECT_TRUE(ListFolder(dir / "out").empty());
}

// Run from inside the folder, with a home that has no ~/.local/share yet (a fresh server): the
// old gallery must end in the home trash, not in "files" and "info" folders of the current
// folder, which is the gallery itself.
TEST_F(FileOperationsTest, EmptyingFromInsideTheFolderWithAFreshHomeNeverUsesTheCurrentFolder) {
  TempDir dir;
  WriteFile(dir / "out/private.txt", "secret");
  WriteFile(dir / "out/index.html", "old");
  ScopedCurrentFolder inside(dir / "out");
  std::string reason;
  ASSERT_TRUE(EmptyDirectory(SystemDisk(), dir / "out", files_.Trash(), reason)) << reason;
  EXPECT_TRUE(ListFolder(dir / "out").empty());
  EXPECT_EQ(ReadFile(files_.TrashFiles() + "/private.txt"), "secret");
}

// A trash that takes the first entry and refuses the second.
class RefusingTrash : public TTrash {
 public:
  explicit RefusingTrash(TTrash& real) : real_(real) {}
  bool Locate(const std::string& path, std::string& folder, std::string& reason) override {
    if (refuse_to_locate) {
      reason = "Kein Papierkorb kann " + path + " aufnehmen.";
      return false;
    }
    return real_.Locate(path, folder, reason);
  }
  bool Move(const std::string& path, TTrashed& trashed, std::string& reason) override {
    if (++moves > 1) {
      reason = "voll";
      return false;
    }
    return real_.Move(path, trashed, reason);
  }
  bool Restore(const TTrashed& trashed) override { return real_.Restore(trashed); }
  bool refuse_to_locate = false;
  int moves = 0;

 private:
  TTrash& real_;
};

TEST_F(FileOperationsTest, AFolderIsEmptiedCompletelyOrNotAtAll) {
  TempDir dir;
  WriteFile(dir / "out/a.html", "a");
  WriteFile(dir / "out/b.html", "b");
  RefusingTrash trash(files_.Trash());
  std::string reason;
  EXPECT_FALSE(EmptyDirectory(SystemDisk(), dir / "out", trash, reason));
  EXPECT_EQ(reason, "voll");
  EXPECT_EQ(trash.moves, 2);
  // The entry moved first is back.
  EXPECT_EQ(ListFolder(dir / "out"), (std::vector<std::string>{"a.html", "b.html"}));
  EXPECT_TRUE(ListFolder(files_.TrashFiles()).empty());

  // When no trash can take an entry, nothing moves at all.
  trash.refuse_to_locate = true;
  trash.moves = 0;
  EXPECT_FALSE(EmptyDirectory(SystemDisk(), dir / "out", trash, reason));
  EXPECT_EQ(trash.moves, 0);
  EXPECT_EQ(reason, "Kein Papierkorb kann " + (dir / "out/a.html") + " aufnehmen.");
}

TEST_F(FileOperationsTest, AFolderHoldingItsOwnTrashIsNotEmptied) {
  TempDir dir;
  WriteFile(dir / "out/a.html", "a");
  const std::string top = SystemDisk().RealPath(dir.Path());  // no real mount point is ever tried
  TFreedesktopTrash inside(SystemDisk(), SystemDisk().RealPath(dir / "out") + "/share",
                           [top](const std::string&) { return top; });
  std::string reason;
  EXPECT_FALSE(EmptyDirectory(SystemDisk(), dir / "out", inside, reason));
  EXPECT_EQ(reason, "Der Papierkorb " + SystemDisk().RealPath(dir / "out") +
                        "/share/Trash liegt im Verzeichnis selbst.");
  EXPECT_EQ(ReadFile(dir / "out/a.html"), "a");
  // The trash was not made either: the folder holds what it held.
  EXPECT_EQ(ListFolder(dir / "out"), (std::vector<std::string>{"a.html"}));
}

TEST_F(FileOperationsTest, OnlyDeletionWorksWithoutATarget) {
  TempDir dir;
  WriteFile(dir / "a.txt", "a");
  WriteFile(dir / "b.dat", "b");
  std::string reason;
  EXPECT_FALSE(ShellFileOperation(SystemDisk(), dir / "a.txt", TFileOperation::kCopy,
                                  files_.Trash(), reason));
  EXPECT_FALSE(ShellFileOperation(SystemDisk(), dir / "a.txt", TFileOperation::kMove,
                                  files_.Trash(), reason));
  EXPECT_TRUE(Exists(dir / "a.txt"));
  EXPECT_TRUE(ShellFileOperation(SystemDisk(), dir / "*.txt", TFileOperation::kDelete,
                                 files_.Trash(), reason));
  EXPECT_EQ(ListFolder(dir.Path()), std::vector<std::string>{"b.dat"});
}

}  // namespace
}  // namespace vistrel
