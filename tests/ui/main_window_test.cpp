#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>

#include "image_fixtures.h"
#include "test_support.h"
#include "ui/fake_dialogs.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"a.jpg", "b.JPEG", "c.jpg"})
      WriteFile(dir_ / (std::string("photos/") + name), MakeJpeg(64, 48));
    WriteFile(dir_ / "photos/notes.txt", "x");
    WriteFile(dir_ / "photos/picture.png", "x");
    WriteFile(dir_ / "photos/folder.jpg/inside.jpg", MakeJpeg(8, 8));
  }
  QString Path(const std::string& relative) const {
    return QString::fromStdString(dir_ / relative);
  }
  // Adds photos/<names> the way a drop from the desktop does.
  void Drop(std::initializer_list<const char*> names) {
    QStringList paths;
    for (const char* name : names) paths << Path(std::string("photos/") + name);
    window_.DropPaths(paths);
  }
  QStringList Rows() const {
    QStringList rows;
    for (int i = 0; i < window_.lvRecordList->topLevelItemCount(); ++i)
      rows << window_.lvRecordList->topLevelItem(i)->text(0);
    return rows;
  }
  void SelectRow(int row) {
    window_.lvRecordList->clearSelection();
    window_.lvRecordList->topLevelItem(row)->setSelected(true);
  }

  TempDir dir_;
  FakeDialogs dialogs_;
  TVTLMainWin window_{dialogs_};
};

TEST_F(MainWindowTest, TheFileListShowsOnlyJpegFilesAndAddsTheSelectedOnes) {
  window_.SelectFolder(Path("photos"));
  // The folder is read in the background; the list shows it once it has been read.
  QAbstractItemModel* model = window_.ShellListView1->model();
  auto root = [this] { return window_.ShellListView1->rootIndex(); };
  ASSERT_TRUE(QTest::qWaitFor([&] { return model->rowCount(root()) == 3; }, 5000))
      << model->rowCount(root()) << " rows in «"
      << root().data(QFileSystemModel::FilePathRole).toString().toStdString() << "»";
  QStringList listed;
  for (int i = 0; i < model->rowCount(root()); ++i)
    listed << model->index(i, 0, root()).data().toString();
  listed.sort();
  EXPECT_EQ(listed, (QStringList{"a.jpg", "b.JPEG", "c.jpg"}));
  window_.ShellListView1->selectAll();
  window_.Button1->click();
  EXPECT_EQ(Rows(), (QStringList{"a.jpg", "b.JPEG", "c.jpg"}));
  EXPECT_EQ(window_.lvRecordList->topLevelItem(0)->text(1), Path("photos/"));
  window_.AddSelectedFiles();  // again: all duplicates
  EXPECT_EQ(window_.RecordList().Count(), 3);
}

TEST_F(MainWindowTest, DroppedFoldersAreRefusedAndOtherFilesIgnoredSilently) {
  Drop({"folder.jpg", "a.jpg", "notes.txt", "picture.png", "c.jpg"});
  EXPECT_EQ(dialogs_.errors,
            (QStringList{Path("photos/folder.jpg") +
                         " ist ein Ordner. Bitte fügen Sie die Dateien einzeln hinzu."}));
  EXPECT_EQ(Rows(), (QStringList{"a.jpg", "c.jpg"}));
  // The same file in other letter case is a duplicate.
  window_.AddRecordToList("A.JPG", (dir_ / "PHOTOS/"));
  window_.AddRecordToList("a.jpg", (dir_ / "photos/"));
  EXPECT_EQ(window_.RecordList().Count(), 2);
}

TEST_F(MainWindowTest, SelectingAnImageShowsItsPropertiesAndPreview) {
  Drop({"a.jpg", "b.JPEG", "c.jpg"});
  EXPECT_FALSE(window_.gbRecord->isVisibleTo(&window_));
  dialogs_.texts = {"Titel"};
  window_.btnNeueEigenschaftClick();
  dialogs_.texts = {""};
  window_.btnNeueEigenschaftClick();  // an empty name adds nothing
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(window_.RecordList().Item(i).Details.Names(), TNamesList{"Titel"});

  SelectRow(1);
  EXPECT_EQ(window_.CurrentRecord, &window_.RecordList().Item(1));
  EXPECT_TRUE(window_.gbRecord->isVisibleTo(&window_));
  ASSERT_EQ(window_.lbDetails->count(), 1);
  EXPECT_EQ(window_.lbDetails->item(0)->text(), "Titel: ");
  EXPECT_FALSE(window_.edDetailEdit->isVisibleTo(&window_));
  EXPECT_FALSE(window_.imgPreview->pixmap().isNull());

  window_.lbDetails->item(0)->setSelected(true);
  EXPECT_EQ(window_.CurrentDetailIndex, 0);
  EXPECT_TRUE(window_.edDetailEdit->isVisibleTo(&window_));
  QTest::keyClicks(window_.edDetailEdit, "D");
  QKeyEvent umlaut(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, "ü");
  QApplication::sendEvent(window_.edDetailEdit, &umlaut);
  QTest::keyClicks(window_.edDetailEdit, "ne");
  EXPECT_EQ(window_.RecordList().Item(1).Details.Value(0), "Düne");  // stored on every keystroke
  EXPECT_EQ(window_.lbDetails->item(0)->text(), "Titel: Düne");

  // A property added while an image is shown appears at once.
  dialogs_.texts = {"Ort"};
  window_.btnNeueEigenschaftClick();
  EXPECT_EQ(window_.lbDetails->count(), 2);
  window_.lvRecordList->clearSelection();
  EXPECT_EQ(window_.CurrentRecord, nullptr);
  EXPECT_FALSE(window_.gbRecord->isVisibleTo(&window_));
}

TEST_F(MainWindowTest, DeleteSelectsTheRowThatMovesUpAndNothingAfterTheLast) {
  Drop({"a.jpg", "b.JPEG", "c.jpg"});
  SelectRow(1);
  QTest::keyClick(window_.lvRecordList, Qt::Key_Delete);
  EXPECT_EQ(Rows(), (QStringList{"a.jpg", "c.jpg"}));
  ASSERT_NE(window_.CurrentRecord, nullptr);
  EXPECT_EQ(window_.CurrentRecord->FileName, "c.jpg");
  EXPECT_TRUE(window_.gbRecord->isVisibleTo(&window_));
  QTest::keyClick(window_.lvRecordList, Qt::Key_Delete);
  EXPECT_EQ(Rows(), (QStringList{"a.jpg"}));
  EXPECT_EQ(window_.CurrentRecord, nullptr);
  EXPECT_TRUE(window_.lvRecordList->selectedItems().isEmpty());
  EXPECT_FALSE(window_.gbRecord->isVisibleTo(&window_));
}

TEST_F(MainWindowTest, SavingAndLoadingAskWhatTheUserWants) {
  dialogs_.errors.clear();
  window_.SaveImageList();
  EXPECT_EQ(
      dialogs_.errors,
      (QStringList{"Es sind keine Dateien in der Liste eingefügt. Speichern nicht möglich!"}));
  Drop({"a.jpg", "c.jpg"});
  dialogs_.texts = {"Titel"};
  window_.btnNeueEigenschaftClick();
  window_.RecordList().Item(1).Details.SetValue(0, "See; \"blau\"");
  dialogs_.save_files = {Path("list.csv")};
  window_.SaveImageList();
  EXPECT_EQ(dialogs_.saved, (QStringList{"Textdateien (*.txt, *.csv; *.asc) (*.txt *.csv *.asc)"}));
  ASSERT_TRUE(Exists(dir_ / "list.csv"));

  // The file exists now: "No" keeps it, "Yes" replaces it.
  dialogs_.save_files = {Path("list.csv")};
  dialogs_.answers = {TDialogs::TAnswer::kNo};
  window_.RecordList().Item(0).Details.SetValue(0, "changed");
  window_.SaveImageList();
  EXPECT_EQ(dialogs_.questions.back(), "Datei ersetzen?|Die Datei " + Path("list.csv") +
                                           " existiert bereits. Möchten Sie sie ersetzen?");
  EXPECT_EQ(ReadFile(dir_ / "list.csv").find("changed"), std::string::npos);

  // Loading: Cancel stops; No goes straight to the open dialog.
  dialogs_.answers = {TDialogs::TAnswer::kCancel};
  window_.LoadImageList();
  EXPECT_TRUE(dialogs_.opened.isEmpty());
  dialogs_.answers = {TDialogs::TAnswer::kNo};
  dialogs_.open_files = {Path("list.csv")};
  window_.LoadImageList();
  EXPECT_EQ(dialogs_.questions.back(),
            "Speichern?|Möchten Sie die aktuelle Liste in einer Datei speichern, "
            "bevor Sie eine neue Liste öffnen?");
  EXPECT_EQ(Rows(), (QStringList{"a.jpg", "c.jpg"}));
  EXPECT_EQ(window_.RecordList().Item(1).Details.ValueOf("Titel"), "See; \"blau\"");
  EXPECT_EQ(window_.CurrentRecord, nullptr);
  EXPECT_TRUE(window_.lvRecordList->selectedItems().isEmpty());

  // Yes with a cancelled save dialog still shows the open dialog.
  dialogs_.answers = {TDialogs::TAnswer::kYes};
  dialogs_.save_files = {QString()};
  dialogs_.open_files = {QString()};
  const int opened = dialogs_.opened.size();
  window_.LoadImageList();
  EXPECT_EQ(dialogs_.opened.size(), opened + 1);
  EXPECT_EQ(window_.RecordList().Count(), 2);  // cancelled: the list stays
}

TEST_F(MainWindowTest, LoadingIntoAnEmptyListAsksNothing) {
  WriteFile(dir_ / "l.csv",
            "\"Dateiname\";\"Pfad\";\r\n\"a.jpg\";\"" + (dir_ / "photos/") + "\";\r\n");
  dialogs_.open_files = {Path("l.csv")};
  window_.LoadImageList();
  EXPECT_TRUE(dialogs_.questions.isEmpty());
  EXPECT_EQ(Rows(), (QStringList{"a.jpg"}));
}

TEST_F(MainWindowTest, AFailedSaveIsReported) {
  Drop({"a.jpg"});
  dialogs_.save_files = {Path("no/such/folder/list.csv")};
  window_.SaveImageList();
  EXPECT_EQ(dialogs_.errors, (QStringList{"Die Datei " + Path("no/such/folder/list.csv") +
                                          " konnte nicht gespeichert werden!"}));
}

TEST_F(MainWindowTest, AGalleryNeedsImages) {
  window_.btnGoClick();
  EXPECT_EQ(dialogs_.errors,
            (QStringList{"Bitte wählen Sie erst die Bilder aus, die in der Galerie "
                         "erscheinen sollen oder laden Sie über das Menü eine Liste "
                         "aus einer Datenbank!"}));
}

TEST(FileListRuleTest, OnlyFilesWithJpegNames) {
  EXPECT_TRUE(IsListedInFileList("x.JPG", false));
  EXPECT_TRUE(IsListedInFileList("x.jpeg", false));
  EXPECT_FALSE(IsListedInFileList("x.jpg", true));
  EXPECT_FALSE(IsListedInFileList("x.png", false));
}

}  // namespace
}  // namespace vistrel
