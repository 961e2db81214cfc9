#include "support/file_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "test_support.h"

namespace vistrel {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

TEST(FileIoTest, ReadsOnlyRegularFiles) {
  TempDir dir;
  WriteFile(dir / "a.txt", std::string("x\0y", 3));
  std::string contents;
  ASSERT_TRUE(ReadWholeFile(dir / "a.txt", contents));
  EXPECT_EQ(contents, std::string("x\0y", 3));
  EXPECT_FALSE(ReadWholeFile(dir / "missing", contents));
  EXPECT_FALSE(ReadWholeFile(dir.Path(), contents));
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  EXPECT_FALSE(ReadWholeFile(dir / "fifo", contents));  // must not block
}

TEST(FileIoTest, ReadFileInsideRefusesEveryWayOut) {
  TempDir dir;
  WriteFile(dir / "skin/table.csv", "inside");
  WriteFile(dir / "skin/sub/t.html", "nested");
  WriteFile(dir / "secret.txt", "private");
  ASSERT_EQ(::symlink((dir / "secret.txt").c_str(), (dir / "skin/link.csv").c_str()), 0);
  ASSERT_EQ(::symlink((dir / "skin/table.csv").c_str(), (dir / "skin/inner-link.csv").c_str()), 0);
  ASSERT_EQ(::mkfifo((dir / "skin/fifo.csv").c_str(), 0600), 0);
  const std::string root = dir / "skin/";
  std::string contents;
  EXPECT_TRUE(ReadFileInside(root, "table.csv", contents));
  EXPECT_EQ(contents, "inside");
  EXPECT_TRUE(ReadFileInside(root, "sub/t.html", contents));
  EXPECT_TRUE(ReadFileInside(root, "inner-link.csv", contents));  // a link that stays inside
  EXPECT_FALSE(ReadFileInside(root, "../secret.txt", contents));
  EXPECT_FALSE(ReadFileInside(root, dir / "secret.txt", contents));
  EXPECT_FALSE(ReadFileInside(root, "link.csv", contents));
  EXPECT_FALSE(ReadFileInside(root, "fifo.csv", contents));
  EXPECT_FALSE(ReadFileInside(root, "sub", contents));
  EXPECT_FALSE(ReadFileInside(root, "", contents));
  EXPECT_FALSE(IsRegularFileInside(root, "../secret.txt"));
  EXPECT_TRUE(IsRegularFileInside(root, "table.csv"));
}

TEST(FileIoTest, WriteFileReplacingKeepsTheOldFileWhenWritingFails) {
  TempDir dir;
  const std::string path = dir / "list.csv";
  WriteFile(path, "old");
  ASSERT_TRUE(WriteFileReplacing(path, "new contents"));
  EXPECT_EQ(ReadFile(path), "new contents");
  EXPECT_EQ(testing::ListFolder(dir.Path()), std::vector<std::string>{"list.csv"});

  if (::geteuid() != 0) {  // root may write into a read-only folder
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0500), 0);
    EXPECT_FALSE(WriteFileReplacing(path, "lost"));
    ::chmod(dir.Path().c_str(), 0700);
    EXPECT_EQ(ReadFile(path), "new contents");
  }
  EXPECT_FALSE(WriteFileReplacing(dir / "no/such/folder/list.csv", "x"));
  EXPECT_EQ(testing::ListFolder(dir.Path()), std::vector<std::string>{"list.csv"});
}

TEST(FileIoTest, FilesLongerThanTheLimitAreRefusedWhole) {
  TempDir dir;
  WriteFile(dir / "ten.txt", "0123456789");
  std::string contents;
  EXPECT_TRUE(ReadWholeFile(dir / "ten.txt", contents, 10));
  EXPECT_EQ(contents, "0123456789");
  EXPECT_FALSE(ReadWholeFile(dir / "ten.txt", contents, 9));
  EXPECT_TRUE(contents.empty());
  EXPECT_FALSE(ReadFileInside(dir.Path(), "ten.txt", contents, 9));
}

TEST(FileIoTest, PathsHoldingANulAreNeverHandedToTheSystem) {
  TempDir dir;
  WriteFile(dir / "a", "secret");
  const std::string cut = dir / std::string("a\0/../b", 8);
  std::string contents;
  EXPECT_FALSE(ReadWholeFile(cut, contents));
  EXPECT_FALSE(IsRegularFile(cut));
  EXPECT_EQ(RealPath(cut), "");
  EXPECT_TRUE(ListFolderEntries(dir / std::string("\0", 1)).empty());
  EXPECT_FALSE(WriteFileReplacing(cut, "x"));
  EXPECT_EQ(ReadFile(dir / "a"), "secret");
}

// Lines as the kernel writes them, with optional fields before the "-" and blanks, tabs,
// newlines and backslashes in a mount point written as \ooo.
TEST(FileIoTest, MountPointsAreTheFifthFieldOfTheMountTable) {
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
