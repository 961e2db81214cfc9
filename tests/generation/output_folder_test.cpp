#include "generation/output_folder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>

#include "support/disk.h"
#include "test_support.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;
using Files = std::vector<std::string>;

// Runs `body` in a child process, which must end with Die(): at once, as a killed run ends,
// without a destructor or any cleanup. Fails the test when the body failed.
void InDyingProcess(const std::function<void()>& body) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    body();
    ::_exit(2);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

[[noreturn]] void Die(bool ok) { ::_exit(ok ? 0 : 1); }

// The journals in `folder`.
Files Journals(const std::string& folder) {
  Files journals;
  for (const std::string& name : ListFolder(folder))
    if (name.starts_with(TRunJournal::kJournalPrefix)) journals.push_back(name);
  return journals;
}

// Creates a file by the pattern "%old%" in `folder` and writes `contents`; finished or not.
std::string Make(TOutputFolder& folder, const std::string& name, const std::string& contents,
                 bool finish, const std::string& pattern = "%old%") {
  std::string path;
  if (folder.Create(pattern, name, ".jpg", path) != TPageFolder::TResult::kCreated) return {};
  if (contents.empty() && !finish) return path;
  TOutputFile file = folder.OpenCreated(path);
  file.Write(contents);
  if (finish)
    folder.Finish(file);
  else
    file.Close();
  return path;
}

class OutputFolderTest : public ::testing::Test {
 protected:
  void SetUp() override { std::filesystem::create_directories(out_); }
  TempDir dir_;
  std::string out_ = dir_ / "out/";
};

// What a dead run reserved or half wrote goes; what it finished, what the user put there (also
// in place of a file of the run, and a file that merely has a journal's name) stays, and the
// next run takes the plain names again, also those of the files the dead run finished.
TEST_F(OutputFolderTest, TheNextRunClearsWhatADeadRunLeftAndNothingElse) {
  WriteFile(out_ + "eigene.txt", "vom Benutzer");
  WriteFile(out_ + ".vistrel-lauf-notiz", "kein Journal");
  InDyingProcess([&] {
    TOutputFolder folder(SystemDisk(), out_);
    Die(folder.BeginRun().Ok() && !Make(folder, "fertig", "ganz", true).empty() &&
        !Make(folder, "halb", std::string(5000, 'h'), false).empty() &&
        !Make(folder, "leer", "", false).empty() &&
        !Make(folder, "tief", "", false, "unter/%old%").empty() &&
        !Make(folder, "50% Rabatt ä", "", false).empty() &&
        !Make(folder, "ersetzt", "", false).empty());
  });
  ASSERT_EQ(Journals(out_).size(), 2u);  // the dead run's and the user's file
  // The user's own file in place of one the run began, empty as the run's was.
  WriteFile(dir_ / "ersatz.jpg", "");
  ASSERT_EQ(::rename((dir_ / "ersatz.jpg").c_str(), (out_ + "ersetzt.jpg").c_str()), 0);

  TOutputFolder next(SystemDisk(), out_);
  ASSERT_TRUE(next.BeginRun().Ok());
  Files left = ListFolder(out_);
  std::erase_if(left, [](const std::string& name) {
    return name.starts_with(TRunJournal::kJournalPrefix) && name != ".vistrel-lauf-notiz";
  });
  EXPECT_EQ(left,
            (Files{".vistrel-lauf-notiz", "eigene.txt", "ersetzt.jpg", "fertig.jpg", "unter"}));
  EXPECT_EQ(ListFolder(out_ + "unter"), Files{});
  EXPECT_EQ(ReadFile(out_ + "fertig.jpg"), "ganz");
  EXPECT_EQ(ReadFile(out_ + ".vistrel-lauf-notiz"), "kein Journal");
  EXPECT_EQ(Journals(out_).size(), 2u);  // this run's and the user's file

  EXPECT_EQ(Make(next, "halb", "neu", true), out_ + "halb.jpg");
  EXPECT_EQ(Make(next, "50% Rabatt ä", "neu", true), out_ + "50% Rabatt ä.jpg");
  EXPECT_EQ(Make(next, "fertig", "neu", true), out_ + "fertig.jpg");
  EXPECT_EQ(ReadFile(out_ + "fertig.jpg"), "neu");
  next.EndRun();
  EXPECT_EQ(Journals(out_), Files{".vistrel-lauf-notiz"});
}

// A finished file of a dead run is the next run's to replace only while nobody changed it; a
// run that inherits finished files and dies in turn passes them on.
TEST_F(OutputFolderTest, OnlyUnchangedFilesOfADeadRunAreReplaced) {
  InDyingProcess([&] {
    TOutputFolder folder(SystemDisk(), out_);
    Die(folder.BeginRun().Ok() && !Make(folder, "bearbeitet", "vom Lauf", true).empty() &&
        !Make(folder, "ausgetauscht", "vom Lauf", true).empty() &&
        !Make(folder, "weitergegeben", "vom Lauf", true).empty());
  });
  // Edited in place (same inode, other size) and replaced by the user's own file.
  {
    TFd edited(::open((out_ + "bearbeitet.jpg").c_str(), O_WRONLY | O_APPEND | O_CLOEXEC));
    ASSERT_GE(edited.get(), 0);
    ASSERT_EQ(::write(edited.get(), "!", 1), 1);
  }
  WriteFile(dir_ / "eigen.jpg", "vom Lauf");
  ASSERT_EQ(::rename((dir_ / "eigen.jpg").c_str(), (out_ + "ausgetauscht.jpg").c_str()), 0);
  // A second run inherits what is left and dies before it needs the name.
  InDyingProcess([&] {
    TOutputFolder folder(SystemDisk(), out_);
    Die(folder.BeginRun().Ok());
  });

  TOutputFolder next(SystemDisk(), out_);
  ASSERT_TRUE(next.BeginRun().Ok());
  EXPECT_EQ(Make(next, "bearbeitet", "neu", true), out_ + "bearbeitet2.jpg");
  EXPECT_EQ(Make(next, "ausgetauscht", "neu", true), out_ + "ausgetauscht2.jpg");
  EXPECT_EQ(Make(next, "weitergegeben", "neu", true), out_ + "weitergegeben.jpg");
  next.EndRun();
  EXPECT_EQ(ReadFile(out_ + "bearbeitet.jpg"), "vom Lauf!");
  EXPECT_EQ(ReadFile(out_ + "ausgetauscht.jpg"), "vom Lauf");
  EXPECT_EQ(ReadFile(out_ + "weitergegeben.jpg"), "neu");
}

// A run that dies between noting a name and noting its file leaves the name reserved: its
// file goes only while it is the empty file just made, never a file that was there before.
TEST_F(OutputFolderTest, AReservedNameIsClearedOnlyWhileItsFileIsEmpty) {
  WriteFile(out_ + "vorher.jpg", "schon da");
  InDyingProcess([&] {
    TFd root(::open(out_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    TRunJournal journal(SystemDisk());
    bool ok = journal.Start(root.get(), out_).Ok();
    journal.Reserve("leer.jpg");
    ok = ok &&
         TFd(::open((out_ + "leer.jpg").c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644)).get() >= 0;
    journal.Reserve("vorher.jpg");  // its creation would have failed: the name is taken
    Die(ok);
  });
  TOutputFolder next(SystemDisk(), out_);
  ASSERT_TRUE(next.BeginRun().Ok());
  next.EndRun();
  EXPECT_EQ(ListFolder(out_), Files{"vorher.jpg"});
}

// A run that lives keeps its names: another run into the folder leaves its begun files alone
// and numbers around them.
TEST_F(OutputFolderTest, TwoRunsAtOnceNeverTakeEachOthersNames) {
  TOutputFolder first(SystemDisk(), out_);
  TOutputFolder second(SystemDisk(), out_);
  ASSERT_TRUE(first.BeginRun().Ok());
  const std::string begun = Make(first, "bild", "", false);
  ASSERT_EQ(begun, out_ + "bild.jpg");
  ASSERT_TRUE(second.BeginRun().Ok());
  EXPECT_TRUE(Exists(begun));
  EXPECT_EQ(Journals(out_).size(), 2u);
  EXPECT_EQ(Make(second, "bild", "zwei", true), out_ + "bild2.jpg");
  TOutputFile file = first.OpenCreated(begun);
  file.Write("eins");
  first.Finish(file);
  EXPECT_EQ(Make(first, "bild", "drei", true), out_ + "bild3.jpg");
  EXPECT_EQ(Make(second, "rest", "", false), out_ + "rest.jpg");
  first.EndRun();
  second.EndRun();
  EXPECT_EQ(ListFolder(out_), (Files{".vistrel-inhalt", "bild.jpg", "bild2.jpg", "bild3.jpg"}));
  EXPECT_EQ(ReadFile(out_ + "bild.jpg"), "eins");
}

// A folder on the way that is no folder fails every file alike: an error naming it. A name
// the file system will not take fails that file only.
TEST_F(OutputFolderTest, TheFolderRefusingThrowsAndANameRefusedFailsOneFile) {
  WriteFile(out_ + "klein", "eine Datei");
  TOutputFolder folder(SystemDisk(), out_);
  ASSERT_TRUE(folder.BeginRun().Ok());
  std::string path;
  try {
    (void)folder.Create("klein/%old%", "a", ".jpg", path);
    FAIL() << "no error";
  } catch (const EOutputError& error) {
    EXPECT_EQ(error.Path(), out_ + "klein/a.jpg");
    EXPECT_EQ(error.Reason(), out_ + "klein ist kein Ordner");
  }
  errno = 0;
  EXPECT_EQ(folder.Create("%old%", std::string(300, 'x'), ".jpg", path),
            TPageFolder::TResult::kFailed);
  EXPECT_EQ(errno, ENAMETOOLONG);
  EXPECT_EQ(Make(folder, "b", "", false), out_ + "b.jpg");
  EXPECT_THROW((void)folder.CreateNamed("b.jpg"), EOutputError);  // taken: never replaced
  folder.EndRun();
  EXPECT_EQ(ListFolder(out_), Files{"klein"});
}

TEST_F(OutputFolderTest, AFolderThatTakesNoFileCannotBeginARun) {
  TOutputFolder gone(SystemDisk(), dir_ / "nirgends/");
  EXPECT_EQ(gone.BeginRun().Error(), ENOENT);
  TOutputFolder full(SystemDisk(), out_);
  {
    ScopedFileSizeLimit limit(0);
    EXPECT_EQ(full.BeginRun().Error(), EFBIG);
  }
  EXPECT_EQ(ListFolder(out_), Files{});
}

}  // namespace
}  // namespace vistrel
