#include "support/trash.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/disk.h"
#include "support/paths.h"
#include "test_support.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;

std::string ExtractName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

mode_t ModeOf(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

TEST(TrashTest, HomeTrashIsMadeWithItsParentsPrivateAndRecordsWhereEntriesCameFrom) {
  TempDir dir;
  const std::string home = SystemDisk().RealPath(dir.Path()) + "/home";
  WriteFile(dir / "out/a b%.html", "old");
  TFreedesktopTrash trash(SystemDisk(), home + "/.local/share",
                          [&dir](const std::string&) { return SystemDisk().RealPath(dir.Path()); });

  TTrash::TTrashed trashed;
  std::string reason;
  ASSERT_TRUE(trash.Move(dir / "out/a b%.html", trashed, reason)) << reason;
  EXPECT_FALSE(Exists(dir / "out/a b%.html"));
  const std::string bin = home + "/.local/share/Trash";
  EXPECT_EQ(trashed.files_path, bin + "/files/a b%.html");
  EXPECT_EQ(ReadFile(trashed.files_path), "old");
  for (const std::string& folder :
       {home + "/.local", home + "/.local/share", bin, bin + "/files", bin + "/info"})
    EXPECT_EQ(ModeOf(folder), 0700u) << folder;
  const std::string info = ReadFile(bin + "/info/a b%.html.trashinfo");
  EXPECT_EQ(info.substr(0, 18), "[Trash Info]\nPath=");
  // The scratch folder's own name has nothing to encode.
  EXPECT_NE(info.find("Path=" + SystemDisk().RealPath(dir / "out") + "/a%20b%25.html\n"),
            std::string::npos);
  EXPECT_NE(info.find("%20"), std::string::npos);  // the blank, percent-encoded
  EXPECT_NE(info.find("\nDeletionDate=20"), std::string::npos);

  // The same name again takes another name in the trash, and both come back when restored.
  WriteFile(dir / "out/a b%.html", "newer");
  TTrash::TTrashed second;
  ASSERT_TRUE(trash.Move(dir / "out/a b%.html", second, reason)) << reason;
  EXPECT_NE(second.files_path, trashed.files_path);
  EXPECT_TRUE(trash.Restore(second));
  EXPECT_EQ(ReadFile(dir / "out/a b%.html"), "newer");
  EXPECT_FALSE(Exists(second.info_path));
  // Restoring never replaces what took the place meanwhile.
  EXPECT_FALSE(trash.Restore(trashed));
  EXPECT_EQ(ReadFile(dir / "out/a b%.html"), "newer");
}

TEST(TrashTest, WithoutAnAbsoluteDataFolderOnlyATrashAtTheTopOfTheFileSystemCanTakeAnEntry) {
  TempDir dir;
  WriteFile(dir / "disk/out/page.html", "x");
  const std::string top = SystemDisk().RealPath(dir / "disk");
  TFreedesktopTrash trash(SystemDisk(), "relative/share",
                          [top](const std::string&) { return top; });

  std::string folder, reason;
  ASSERT_TRUE(trash.Locate(dir / "disk/out/page.html", folder, reason)) << reason;
  const std::string own = top + "/.Trash-" + std::to_string(::getuid());
  EXPECT_EQ(folder, own);
  EXPECT_EQ(ModeOf(own), 0700u);
  TTrash::TTrashed trashed;
  ASSERT_TRUE(trash.Move(dir / "disk/out/page.html", trashed, reason)) << reason;
  // The trash at the top records the path relative to the top.
  EXPECT_NE(ReadFile(trashed.info_path).find("\nPath=out/page.html\n"), std::string::npos);
}

TEST(TrashTest, AnAdministratorsStickyTrashIsUsedAndAnythingElseIsNotTrusted) {
  TempDir dir;
  WriteFile(dir / "disk/out/a.txt", "a");
  const std::string top = SystemDisk().RealPath(dir / "disk");
  auto top_of = [top](const std::string&) { return top; };
  ASSERT_EQ(::mkdir((top + "/.Trash").c_str(), 01777), 0);
  ASSERT_EQ(::chmod((top + "/.Trash").c_str(), 01777), 0);
  TFreedesktopTrash trash(SystemDisk(), "", top_of);
  std::string folder, reason;
  ASSERT_TRUE(trash.Locate(dir / "disk/out/a.txt", folder, reason)) << reason;
  EXPECT_EQ(folder, top + "/.Trash/" + std::to_string(::getuid()));

  // Without the sticky bit the shared trash is passed over; a link where the own trash should
  // be is refused, and nothing is moved.
  TempDir other;
  WriteFile(other / "disk/out/a.txt", "a");
  const std::string other_top = SystemDisk().RealPath(other / "disk");
  ASSERT_EQ(::mkdir((other_top + "/.Trash").c_str(), 0777), 0);
  ASSERT_EQ(::symlink(other.Path().c_str(),
                      (other_top + "/.Trash-" + std::to_string(::getuid())).c_str()),
            0);
  TFreedesktopTrash untrusted(SystemDisk(), "",
                              [other_top](const std::string&) { return other_top; });
  TTrash::TTrashed trashed;
  EXPECT_FALSE(untrusted.Move(other / "disk/out/a.txt", trashed, reason));
  EXPECT_EQ(reason, "Kein Papierkorb kann " + (other / "disk/out/a.txt") + " aufnehmen.");
  EXPECT_EQ(ReadFile(other / "disk/out/a.txt"), "a");
}

// An entry at the very top of a file system would go into a trash in its own folder, and so
// would one in the folder that holds the data folder: neither trash is made.
TEST(TrashTest, ATrashInTheEntrysOwnFolderIsNeitherMadeNorUsed) {
  TempDir dir;
  WriteFile(dir / "disk/a.txt", "a");
  const std::string top = SystemDisk().RealPath(dir / "disk");
  TFreedesktopTrash at_top(SystemDisk(), "", [top](const std::string&) { return top; });
  std::string folder, reason;
  EXPECT_FALSE(at_top.Locate(dir / "disk/a.txt", folder, reason));
  EXPECT_EQ(reason, "Der Papierkorb " + top + "/.Trash-" + std::to_string(::getuid()) +
                        " liegt im Verzeichnis selbst.");
  EXPECT_EQ(ListFolder(dir / "disk"), (std::vector<std::string>{"a.txt"}));

  // A data folder reached through a folder that does not exist yet and "..".
  WriteFile(dir / "out/a.html", "a");
  const std::string data_home = SystemDisk().RealPath(dir.Path()) + "/missing/../out/share";
  TFreedesktopTrash through_dots(SystemDisk(), data_home,
                                 [top](const std::string&) { return top; });
  EXPECT_FALSE(through_dots.Locate(dir / "out/a.html", folder, reason));
  EXPECT_EQ(reason, "Der Papierkorb " + data_home + "/Trash liegt im Verzeichnis selbst.");
  EXPECT_EQ(ListFolder(dir / "out"), (std::vector<std::string>{"a.html"}));
  EXPECT_FALSE(Exists(dir / "missing"));
}

// A trash gets a long name under a shorter one (its .trashinfo needs 10 bytes more than the
// name), cut at a whole character, and the .trashinfo keeps the whole original path.
TEST(TrashTest, LongNamesGoIntoTheTrashUnderAShortenedName) {
  const struct {
    std::string name;
    std::string trash_name;  // the name in files/
  } cases[] = {
      {std::string(245, 'a'), std::string(245, 'a')},                      // fits exactly
      {std::string(246, 'a'), std::string(245, 'a')},                      // one byte too long
      {std::string(246, 'a') + ".jpeg", std::string(240, 'a') + ".jpeg"},  // extension kept
      // A cut inside a character goes back to its start; a whole one is kept.
      {std::string(240, 'a') + "ü" + "bcd.jpg", std::string(240, 'a') + ".jpg"},
      {std::string(239, 'a') + "ü" + "bcdefghij.jpg", std::string(239, 'a') + "ü.jpg"},
      {std::string(255, 'b'), std::string(245, 'b')},
      // An extension too long to keep is cut with the rest.
      {std::string(200, 'c') + "." + std::string(54, 'd'),
       std::string(200, 'c') + "." + std::string(44, 'd')},
  };
  for (const auto& c : cases) {
    TempDir dir;  // a trash of its own, so the cases do not number each other's names
    const std::string top = SystemDisk().RealPath(dir.Path());
    TFreedesktopTrash trash(SystemDisk(), top + "/home/.local/share",
                            [top](const std::string&) { return top; });
    WriteFile(dir / ("out/" + c.name), c.name);
    TTrash::TTrashed trashed;
    std::string reason;
    ASSERT_TRUE(trash.Move(dir / ("out/" + c.name), trashed, reason)) << c.name << ": " << reason;
    const std::string bin = top + "/home/.local/share/Trash";
    EXPECT_EQ(trashed.files_path, bin + "/files/" + c.trash_name) << c.name;
    EXPECT_EQ(trashed.info_path, bin + "/info/" + c.trash_name + ".trashinfo");
    EXPECT_EQ(ReadFile(trashed.files_path), c.name);
    EXPECT_NE(ReadFile(trashed.info_path)
                  .find("\nPath=" +
                        EncodeTrashPath(SystemDisk().RealPath(dir / "out") + "/" + c.name) + "\n"),
              std::string::npos)
        << c.name;
    // The same long name again takes a numbered name that fits as well, and comes back.
    WriteFile(dir / ("out/" + c.name), "again");
    TTrash::TTrashed again;
    ASSERT_TRUE(trash.Move(dir / ("out/" + c.name), again, reason)) << reason;
    EXPECT_LE(ExtractName(again.info_path).size(), 255u);
    EXPECT_NE(again.files_path, trashed.files_path);
    EXPECT_TRUE(trash.Restore(again));
    EXPECT_EQ(ReadFile(dir / ("out/" + c.name)), "again");
  }
}

// What lies in a trash already is refused: moving it again would lose the trash's record of
// where it came from. Every trash the user has counts, not only the one that would take it.
TEST(TrashTest, AnEntryInsideATrashIsRefused) {
  TempDir dir;
  const std::string top = SystemDisk().RealPath(dir.Path());
  const std::string uid = std::to_string(::getuid());
  const std::string home_trash = top + "/home/.local/share/Trash";
  ASSERT_EQ(::mkdir((top + "/.Trash").c_str(), 01777), 0);
  ASSERT_EQ(::chmod((top + "/.Trash").c_str(), 01777), 0);
  const struct {
    std::string folder;
    std::string trash;
  } cases[] = {
      {home_trash + "/files", home_trash},
      {home_trash + "/info", home_trash},
      {home_trash, home_trash},
      {home_trash + "/files/album/sub", home_trash},
      {top + "/.Trash-" + uid + "/files", top + "/.Trash-" + uid},
      {top + "/.Trash-" + uid + "/info", top + "/.Trash-" + uid},
      {top + "/.Trash/" + uid + "/files", top + "/.Trash"},
      {top + "/.Trash/" + uid, top + "/.Trash"},
  };
  TFreedesktopTrash trash(SystemDisk(), top + "/home/.local/share",
                          [top](const std::string&) { return top; });
  for (const auto& c : cases) {
    WriteFile(c.folder + "/entry.jpg", "kept");
    std::string folder, reason;
    EXPECT_FALSE(trash.Locate(c.folder + "/entry.jpg", folder, reason)) << c.folder;
    EXPECT_EQ(reason, "Das Verzeichnis " + c.folder + " liegt im Papierkorb " + c.trash + ".");
    TTrash::TTrashed trashed;
    EXPECT_FALSE(trash.Move(c.folder + "/entry.jpg", trashed, reason)) << c.folder;
    EXPECT_EQ(ReadFile(c.folder + "/entry.jpg"), "kept");
  }
  // A folder beside the trash, whose name only starts like it, is no trash.
  WriteFile(top + "/.Trash-" + uid + "x/entry.jpg", "x");
  std::string folder, reason;
  EXPECT_TRUE(trash.Locate(top + "/.Trash-" + uid + "x/entry.jpg", folder, reason)) << reason;
}

TEST(TrashTest, TrashPathsArePercentEncoded) {
  EXPECT_EQ(EncodeTrashPath("/home/ü/a b+c%d.txt"), "/home/%C3%BC/a%20b%2Bc%25d.txt");
  EXPECT_EQ(EncodeTrashPath("A-z_0.9!~*'()"), "A-z_0.9!~*'()");
}

TEST(TrashTest, TheDataFolderComesFromTheEnvironmentOnlyWhenAbsolute) {
  ScopedEnv data("XDG_DATA_HOME", "/somewhere/data");
  ScopedEnv home("HOME", "/home/tester");
  EXPECT_EQ(TFreedesktopTrash::DataHomeFromEnvironment(), "/somewhere/data");
  ScopedEnv relative("XDG_DATA_HOME", "data");
  EXPECT_EQ(TFreedesktopTrash::DataHomeFromEnvironment(), "/home/tester/.local/share");
}

// The top of a file system, where its own trash lives: "/", a folder on another device than the
// one above it, or a mount point the mount table lists (a bind mount, on the same device); a
// folder below one is none itself. The table here is the test's own, so nothing depends on how
// this machine is mounted.
TEST(TrashTest, TheTopOfAFileSystemIsWhereTheMountTableSaysIt) {
  TempDir dir;
  WriteFile(dir / "gebunden/a/b/x", "");
  WriteFile(dir / "mit leer/c/x", "");
  WriteFile(dir / "frei/d/x", "");
  const std::string root = SystemDisk().RealPath(dir.Path());
  // Mount points as the kernel writes them, a blank as \040.
  std::string escaped_root;
  for (const char c : root) escaped_root += c == ' ' ? std::string("\\040") : std::string(1, c);
  const std::string table =
      "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n" +
      ("36 22 8:1 /srv " + escaped_root + "/gebunden rw - ext4 /dev/sda1 rw\n") +
      ("37 22 8:1 /var " + escaped_root + "/mit\\040leer rw - ext4 /dev/sda1 rw\n");
  int reads = 0;
  const TMountTable listed = [&] {
    ++reads;
    return ParseMountInfo(table);
  };
  struct Case {
    std::string path;
    bool is_root;
    std::string top;
  } cases[] = {
      {"/", true, "/"},
      {root + "/gebunden", true, root + "/gebunden"},
      {root + "/gebunden/a/b", false, root + "/gebunden"},
      {root + "/mit leer", true, root + "/mit leer"},
      {root + "/mit leer/c", false, root + "/mit leer"},
      {root + "/gebunden/a/b/x", false, ""},  // a file is no folder
      {root + "/fehlt", false, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SystemDisk().IsMountRoot(c.path, listed), c.is_root) << c.path;
    EXPECT_EQ(MountRootOf(SystemDisk(), c.path, listed), c.top) << c.path;
  }
  // The walk up reads the table once, however many levels it passes.
  reads = 0;
  EXPECT_EQ(MountRootOf(SystemDisk(), root + "/gebunden/a/b", listed), root + "/gebunden");
  EXPECT_EQ(reads, 1);
  // A folder the table does not list is no top: the walk goes on above the scratch folder.
  const std::string above = MountRootOf(SystemDisk(), root + "/frei/d", listed);
  EXPECT_FALSE(above.empty());
  EXPECT_FALSE(IsSameOrBelow(above, root)) << above;
  EXPECT_TRUE(IsSameOrBelow(root, above)) << above;
}

}  // namespace
}  // namespace vistrel
