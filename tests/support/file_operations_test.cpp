#include "support/file_operations.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <gtest/gtest.h>

#include "test_support.h"

namespace vistrel {
namespace {

using testing::Exists;
using testing::ListFolder;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

// Points the desktop trash at a folder of the test, so tests never fill the user's trash.
class FileOperationsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    old_data_home_ = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
    ::setenv("XDG_DATA_HOME", (trash_home_ / "data").c_str(), 1);
  }
  void TearDown() override {
    if (old_data_home_.empty()) ::unsetenv("XDG_DATA_HOME");
    else ::setenv("XDG_DATA_HOME", old_data_home_.c_str(), 1);
  }
  TempDir trash_home_;
  std::string old_data_home_;
};

TEST_F(FileOperationsTest, EmptyDirectoryRemovesFilesAndSubfoldersButKeepsTheFolder) {
  TempDir dir;
  WriteFile(dir / "out/a.html", "a");
  WriteFile(dir / "out/.hidden", "h");
  WriteFile(dir / "out/noext", "n");
  WriteFile(dir / "out/sub/deep/b.jpg", "b");
  WriteFile(dir / "beside.txt", "keep");
  WriteFile(dir / "out2/c.txt", "keep");
  ASSERT_EQ(::symlink((dir / "beside.txt").c_str(), (dir / "out/link").c_str()), 0);

  EXPECT_TRUE(EmptyDirectory(dir / "out"));
  EXPECT_TRUE(Exists(dir / "out"));
  EXPECT_TRUE(ListFolder(dir / "out").empty());
  // Nothing outside the folder is touched, also not the target of a link inside it.
  EXPECT_EQ(ReadFile(dir / "beside.txt"), "keep");
  EXPECT_EQ(ReadFile(dir / "out2/c.txt"), "keep");
}

TEST_F(FileOperationsTest, EmptyDirectoryWithAndWithoutTrailingSlashIsTheSame) {
  TempDir dir;
  WriteFile(dir / "out/a.html", "a");
  EXPECT_TRUE(EmptyDirectory(dir / "out/"));
  EXPECT_TRUE(ListFolder(dir / "out").empty());
  WriteFile(dir / "out/b.html", "b");
  EXPECT_TRUE(EmptyDirectory(dir / "out"));
  EXPECT_TRUE(ListFolder(dir / "out").empty());
}

TEST_F(FileOperationsTest, OnlyDeletionWorksWithoutATarget) {
  TempDir dir;
  WriteFile(dir / "a.txt", "a");
  WriteFile(dir / "b.dat", "b");
  EXPECT_FALSE(ShellFileOperation(dir / "a.txt", TFileOperation::kCopy));
  EXPECT_FALSE(ShellFileOperation(dir / "a.txt", TFileOperation::kMove));
  EXPECT_TRUE(Exists(dir / "a.txt"));
  EXPECT_TRUE(ShellFileOperation(dir / "*.txt", TFileOperation::kDelete));
  EXPECT_EQ(ListFolder(dir.Path()), std::vector<std::string>{"b.dat"});
}

TEST_F(FileOperationsTest, CopyFolderCopiesTreeAndSkipsLinks) {
  TempDir dir;
  WriteFile(dir / "skin/files/style.css", "css");
  WriteFile(dir / "skin/files/img/bg.png", "png");
  WriteFile(dir / "private.txt", "secret");
  ASSERT_EQ(::symlink((dir / "private.txt").c_str(), (dir / "skin/files/steal.txt").c_str()), 0);

  EXPECT_FALSE(CopyFolder(dir / "skin/files", dir / "out/files/"));  // the link is not copied
  EXPECT_EQ(ReadFile(dir / "out/files/style.css"), "css");
  EXPECT_EQ(ReadFile(dir / "out/files/img/bg.png"), "png");
  EXPECT_FALSE(Exists(dir / "out/files/steal.txt"));
}

TEST_F(FileOperationsTest, CopyFolderNeverWritesThroughALinkInTheTarget) {
  TempDir dir;
  WriteFile(dir / "skin/files/style.css", "new css");
  WriteFile(dir / "skin/files/sub/x.txt", "x");
  WriteFile(dir / "victim.txt", "untouched");
  WriteFile(dir / "victimdir/keep", "k");
  WriteFile(dir / "out/files/old.css", "old");
  ASSERT_EQ(::symlink((dir / "victim.txt").c_str(), (dir / "out/files/style.css").c_str()), 0);
  ASSERT_EQ(::symlink((dir / "victimdir").c_str(), (dir / "out/files/sub").c_str()), 0);

  EXPECT_FALSE(CopyFolder(dir / "skin/files", dir / "out/files/"));
  EXPECT_EQ(ReadFile(dir / "victim.txt"), "untouched");
  EXPECT_EQ(ReadFile(dir / "out/files/style.css"), "new css");  // the link was replaced
  EXPECT_EQ(ListFolder(dir / "victimdir"), std::vector<std::string>{"keep"});
  EXPECT_EQ(ReadFile(dir / "out/files/old.css"), "old");
}

TEST_F(FileOperationsTest, CopyFolderOfAMissingSourceFails) {
  TempDir dir;
  EXPECT_FALSE(CopyFolder(dir / "nothing", dir / "out/files/"));
}

}  // namespace
}  // namespace vistrel
