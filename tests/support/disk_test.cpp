#include "support/disk.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "fault_disk.h"
#include "test_support.h"

namespace vistrel {
namespace {

using testing::ReadFile;
using testing::TDiskOperation;
using testing::TempDir;
using testing::TFaultDisk;
using testing::WriteFile;

TEST(DiskTest, ReadsOnlyRegularFiles) {
  TempDir dir;
  TDisk& disk = SystemDisk();
  WriteFile(dir / "a.txt", std::string("x\0y", 3));
  std::string contents;
  ASSERT_TRUE(disk.ReadFile(dir / "a.txt", contents).Ok());
  EXPECT_EQ(contents, std::string("x\0y", 3));
  EXPECT_EQ(disk.ReadFile(dir / "missing", contents).Error(), ENOENT);
  EXPECT_EQ(disk.ReadFile(dir.Path(), contents).Error(), EISDIR);
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  EXPECT_FALSE(disk.ReadFile(dir / "fifo", contents).Ok());  // must not block
  // Below a held folder, a link is not followed.
  ASSERT_EQ(::symlink((dir / "a.txt").c_str(), (dir / "link.txt").c_str()), 0);
  TFd folder;
  ASSERT_TRUE(disk.OpenFolder(dir.Path(), folder).Ok());
  EXPECT_EQ(disk.ReadFileAt(folder.get(), "link.txt", contents).Error(), ELOOP);
  EXPECT_TRUE(disk.ReadFileAt(folder.get(), "a.txt", contents).Ok());
}

TEST(DiskTest, ReadFileInsideRefusesEveryWayOut) {
  TempDir dir;
  TDisk& disk = SystemDisk();
  WriteFile(dir / "skin/table.csv", "inside");
  WriteFile(dir / "skin/sub/t.html", "nested");
  WriteFile(dir / "secret.txt", "private");
  ASSERT_EQ(::symlink((dir / "secret.txt").c_str(), (dir / "skin/link.csv").c_str()), 0);
  ASSERT_EQ(::symlink((dir / "skin/table.csv").c_str(), (dir / "skin/inner-link.csv").c_str()), 0);
  ASSERT_EQ(::mkfifo((dir / "skin/fifo.csv").c_str(), 0600), 0);
  const std::string root = dir / "skin/";
  std::string contents;
  EXPECT_TRUE(disk.ReadFileInside(root, "table.csv", contents).Ok());
  EXPECT_EQ(contents, "inside");
  EXPECT_TRUE(disk.ReadFileInside(root, "sub/t.html", contents).Ok());
  EXPECT_TRUE(disk.ReadFileInside(root, "inner-link.csv", contents).Ok());  // stays inside
  for (const std::string& refused :
       {std::string("../secret.txt"), dir / "secret.txt", std::string("link.csv"),
        std::string("fifo.csv"), std::string("sub"), std::string()}) {
    EXPECT_FALSE(disk.ReadFileInside(root, refused, contents).Ok()) << refused;
    EXPECT_TRUE(contents.empty()) << refused;
  }
  EXPECT_FALSE(disk.IsRegularFileInside(root, "../secret.txt"));
  EXPECT_TRUE(disk.IsRegularFileInside(root, "table.csv"));
}

// The old file stays whatever step of the replacing fails, and no temporary file is left.
TEST(DiskTest, WriteFileReplacingKeepsTheOldFileWhenAnyStepFails) {
  TempDir dir;
  const std::string path = dir / "list.csv";
  WriteFile(path, "old");
  TFaultDisk disk;
  ASSERT_TRUE(disk.WriteFileReplacing(path, "new contents").Ok());
  EXPECT_EQ(ReadFile(path), "new contents");
  EXPECT_EQ(testing::ListFolder(dir.Path()), std::vector<std::string>{"list.csv"});

  struct Case {
    TDiskOperation operation;
    int error;
  };
  for (const Case& c : {Case{TDiskOperation::kCreate, EACCES}, Case{TDiskOperation::kWrite, ENOSPC},
                        Case{TDiskOperation::kSync, EIO}, Case{TDiskOperation::kClose, EDQUOT},
                        Case{TDiskOperation::kRename, EXDEV}}) {
    disk.Heal();
    disk.Fail(c.operation, "*/list.csv.*", c.error);
    EXPECT_EQ(disk.WriteFileReplacing(path, "lost").Error(), c.error);
    EXPECT_EQ(ReadFile(path), "new contents");
    EXPECT_EQ(testing::ListFolder(dir.Path()), std::vector<std::string>{"list.csv"});
  }
  disk.Heal();
  EXPECT_FALSE(disk.WriteFileReplacing(dir / "no/such/folder/list.csv", "x").Ok());
  EXPECT_EQ(testing::ListFolder(dir.Path()), std::vector<std::string>{"list.csv"});
}

TEST(DiskTest, FilesLongerThanTheLimitAreRefusedWhole) {
  TempDir dir;
  TDisk& disk = SystemDisk();
  WriteFile(dir / "ten.txt", "0123456789");
  std::string contents;
  EXPECT_TRUE(disk.ReadFile(dir / "ten.txt", contents, 10).Ok());
  EXPECT_EQ(contents, "0123456789");
  EXPECT_EQ(disk.ReadFile(dir / "ten.txt", contents, 9).Error(), EFBIG);
  EXPECT_TRUE(contents.empty());
  EXPECT_FALSE(disk.ReadFileInside(dir.Path(), "ten.txt", contents, 9).Ok());
  // A file read on past its length as the listing saw it: read whole, within the limit.
  WriteFile(dir / "large.txt", std::string(200000, 'x'));
  EXPECT_TRUE(disk.ReadFile(dir / "large.txt", contents).Ok());
  EXPECT_EQ(contents.size(), 200000u);
}

TEST(DiskTest, PathsHoldingANulAreNeverHandedToTheSystem) {
  TempDir dir;
  TDisk& disk = SystemDisk();
  WriteFile(dir / "a", "secret");
  const std::string cut = dir / std::string("a\0/../b", 8);
  std::string contents;
  EXPECT_EQ(disk.ReadFile(cut, contents).Error(), EINVAL);
  EXPECT_FALSE(disk.IsRegularFile(cut));
  EXPECT_FALSE(disk.Exists(cut));
  EXPECT_EQ(disk.RealPath(cut), "");
  EXPECT_TRUE(disk.ListFolder(dir / std::string("\0", 1)).empty());
  EXPECT_FALSE(disk.WriteFileReplacing(cut, "x").Ok());
  TFd fd;
  EXPECT_EQ(disk.Open(kByPath, cut, TOpen::kCreate, fd).Error(), EINVAL);
  EXPECT_EQ(disk.MakeFolder(kByPath, cut, 0700).Error(), EINVAL);
  EXPECT_EQ(ReadFile(dir / "a"), "secret");
}

// The folders on the way are made inside the held folder and never through a link; the one
// that failed is named.
TEST(DiskTest, TheParentFolderIsReachedWithoutFollowingLinks) {
  TempDir dir;
  TDisk& disk = SystemDisk();
  TFd root;
  ASSERT_TRUE(disk.OpenFolder(dir.Path(), root).Ok());
  TParentFolder parent;
  ASSERT_TRUE(disk.OpenParentFolder(root.get(), "a/b/c.txt", true, parent).Ok());
  EXPECT_EQ(parent.leaf, "c.txt");
  EXPECT_NE(parent.fd, root.get());
  EXPECT_TRUE(disk.IsFolder(dir / "a/b"));

  ::mkdir((dir / "elsewhere").c_str(), 0700);
  ASSERT_EQ(::symlink((dir / "elsewhere").c_str(), (dir / "link").c_str()), 0);
  std::string failed;
  // The system says a link opened as a folder without following it is no folder.
  EXPECT_EQ(disk.OpenParentFolder(root.get(), "link/x/c.txt", true, parent, &failed).Error(),
            ENOTDIR);
  EXPECT_EQ(failed, "link");
  EXPECT_EQ(testing::ListFolder(dir / "elsewhere"), std::vector<std::string>{});
  EXPECT_EQ(disk.OpenParentFolder(root.get(), "a/missing/c.txt", false, parent, &failed).Error(),
            ENOENT);
  EXPECT_EQ(failed, "a/missing");
}

// The fake disk fails what a test asks, by kind and path, every time or only the nth time,
// and is the machine's disk otherwise.
TEST(DiskTest, TheFaultDiskFailsTheChosenCallsOnly) {
  TempDir dir;
  TFaultDisk disk;
  WriteFile(dir / "a.txt", "a");
  WriteFile(dir / "b.txt", "b");
  std::string contents;
  disk.Fail(TDiskOperation::kRead, "*/b.txt", EIO);
  EXPECT_TRUE(disk.ReadFile(dir / "a.txt", contents).Ok());
  EXPECT_EQ(disk.ReadFile(dir / "b.txt", contents).Error(), EIO);

  disk.Fail(TDiskOperation::kCreate, "*/new*", ENOSPC, 2);
  TFd fd;
  EXPECT_TRUE(disk.Open(kByPath, dir / "new1", TOpen::kCreate, fd).Ok());
  EXPECT_EQ(disk.Open(kByPath, dir / "new2", TOpen::kCreate, fd).Error(), ENOSPC);
  EXPECT_EQ(fd.get(), -1);
  EXPECT_TRUE(disk.Open(kByPath, dir / "new3", TOpen::kCreate, fd).Ok());
  // A held folder's calls are matched by its path.
  TFd folder;
  ASSERT_TRUE(disk.OpenFolder(dir.Path(), folder).Ok());
  disk.Fail(TDiskOperation::kMakeFolder, "*/sub", EROFS);
  EXPECT_EQ(disk.MakeFolder(folder.get(), "sub", 0700).Error(), EROFS);
  EXPECT_EQ(disk.Calls(TDiskOperation::kMakeFolder, "*/sub"), 1);

  disk.Heal();
  EXPECT_TRUE(disk.ReadFile(dir / "b.txt", contents).Ok());
  EXPECT_TRUE(disk.MakeFolder(folder.get(), "sub", 0700).Ok());
}

// Lines as the kernel writes them, with optional fields before the "-" and blanks, tabs,
// newlines and backslashes in a mount point written as \ooo.
TEST(DiskTest, MountPointsAreTheFifthFieldOfTheMountTable) {
  struct Case {
    const char* table;
    std::vector<std::string> points;
  } cases[] = {
      {"22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n", {"/"}},
      {"36 22 8:1 /srv /mnt/data rw - ext4 /dev/sda1 rw\n37 22 0:5 / /tmp rw - tmpfs tmpfs rw",
       {"/mnt/data", "/tmp"}},
      {"40 22 0:6 / /media/USB\\040Stick rw - vfat /dev/sdb1 rw\n", {"/media/USB Stick"}},
      {"41 22 0:7 / /a\\011b\\012c\\134d rw - tmpfs x rw\n", {"/a\tb\nc\\d"}},
      // what is no complete octal escape stays as it is
      {"42 22 0:8 / /x\\04 rw - tmpfs x rw\n43 22 0:9 / /y\\999 rw - tmpfs x rw\n",
       {"/x\\04", "/y\\999"}},
      // lines without a fifth field are skipped
      {"\n44 22 0:10 /\n45 22 0:11 / /z rw\n", {"/z"}},
      {"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseMountInfo(c.table), c.points) << c.table;
}

}  // namespace
}  // namespace vistrel
