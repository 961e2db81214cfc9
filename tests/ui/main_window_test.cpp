#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <cstdio>
#include <memory>

#include "image_fixtures.h"
#include "test_support.h"
#include "ui/fake_dialogs.h"
#include "ui/record_list_model.h"

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
  // The file names as the image list shows them, top to bottom.
  QStringList Rows() const {
    QStringList rows;
    const QAbstractItemModel* model = window_.lvRecordList->model();
    for (int i = 0; i < model->rowCount(); ++i) rows << model->index(i, 0).data().toString();
    return rows;
  }
  QStringList ListFileNames() {
    QStringList names;
    for (int i = 0; i < window_.RecordList().Count(); ++i)
      names << QString::fromStdString(window_.RecordList().Item(i).FileName);
    return names;
  }
  // Selects `rows` as clicks with Ctrl would, the first one last clicked.
  void SelectRows(std::initializer_list<int> rows) {
    QItemSelectionModel* selection = window_.lvRecordList->selectionModel();
    const QAbstractItemModel* model = window_.lvRecordList->model();
    selection->clear();
    selection->setCurrentIndex(model->index(*rows.begin(), 0), QItemSelectionModel::NoUpdate);
    for (int row : rows)
      selection->select(model->index(row, 0),
                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
  void SelectRow(int row) { SelectRows({row}); }
  QModelIndexList SelectedRows() const {
    return window_.lvRecordList->selectionModel()->selectedRows();
  }

  TempDir dir_;
  FakeDialogs dialogs_;
  bool fresh_settings_ = (QSettings().clear(), true);  // before the window reads them
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
  EXPECT_EQ(window_.lvRecordList->model()->index(0, 1).data().toString(), Path("photos/"));
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
  window_.lvRecordList->selectionModel()->clearSelection();
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
  EXPECT_TRUE(SelectedRows().isEmpty());
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
  EXPECT_TRUE(SelectedRows().isEmpty());

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

// A photo taken at `date` ("YYYY:MM:DD HH:MM:SS"), or without a date when it is empty.
std::string PhotoTakenAt(const std::string& date) {
  if (date.empty()) return MakeJpeg(32, 24);
  TTiff tiff;
  tiff.exif = {Ascii(0x9003, date)};
  return WithExif(MakeJpeg(32, 24), BuildTiff(tiff));
}

TEST_F(MainWindowTest, TheOrderIsChangedByMovingDraggingAndSortingAndIsWhatTheListSaves) {
  const std::pair<const char*, const char*> photos[] = {{"Zebra.jpg", "2020:03:01 08:00:00"},
                                                        {"bild 2.jpg", ""},
                                                        {"Äpfel.jpg", "2019:11:30 17:45:10"},
                                                        {"Bild 10.jpg", "2021:05:01 10:00:00"}};
  QStringList paths;
  for (const auto& [name, date] : photos) {
    WriteFile(dir_ / (std::string("order/") + name), PhotoTakenAt(date));
    paths << Path(std::string("order/") + name);
  }
  window_.DropPaths(paths);
  EXPECT_EQ(Rows(), (QStringList{"Zebra.jpg", "bild 2.jpg", "Äpfel.jpg", "Bild 10.jpg"}));

  // "nach oben" and "nach unten"; the selection moves with its images.
  SelectRow(3);
  window_.btnMoveUp->click();
  EXPECT_EQ(Rows(), (QStringList{"Zebra.jpg", "bild 2.jpg", "Bild 10.jpg", "Äpfel.jpg"}));
  EXPECT_EQ(window_.CurrentRecord->FileName, "Bild 10.jpg");
  SelectRows({0, 1});
  window_.btnMoveDown->click();
  EXPECT_EQ(Rows(), (QStringList{"Bild 10.jpg", "Zebra.jpg", "bild 2.jpg", "Äpfel.jpg"}));
  EXPECT_EQ(SelectedRows().size(), 2);
  EXPECT_TRUE(window_.lvRecordList->selectionModel()->isRowSelected(1));
  EXPECT_TRUE(window_.lvRecordList->selectionModel()->isRowSelected(2));
  SelectRow(3);
  window_.MoveSelectedRecords(+1);  // the last one stays where it is
  EXPECT_EQ(Rows(), (QStringList{"Bild 10.jpg", "Zebra.jpg", "bild 2.jpg", "Äpfel.jpg"}));

  // Dragging a row to the end of the list, as the view hands the drop to its model.
  TRecordListModel& model = window_.RecordListModel();
  std::unique_ptr<QMimeData> dragged(model.mimeData({model.index(0, 0), model.index(0, 1)}));
  ASSERT_TRUE(model.canDropMimeData(dragged.get(), Qt::MoveAction, -1, -1, QModelIndex()));
  ASSERT_TRUE(model.dropMimeData(dragged.get(), Qt::MoveAction, -1, -1, QModelIndex()));
  EXPECT_EQ(Rows(), (QStringList{"Zebra.jpg", "bild 2.jpg", "Äpfel.jpg", "Bild 10.jpg"}));
  // Rows of another list are no rows of this one.
  TRecordListModel other;
  std::unique_ptr<QMimeData> foreign(other.mimeData({}));
  EXPECT_FALSE(model.canDropMimeData(foreign.get(), Qt::MoveAction, 0, 0, QModelIndex()));

  // Sorted by name as people read names, and by the date the photos were taken.
  window_.btnSortByName->click();
  EXPECT_EQ(Rows(), (QStringList{"Äpfel.jpg", "bild 2.jpg", "Bild 10.jpg", "Zebra.jpg"}));
  window_.btnSortByDate->click();
  EXPECT_EQ(Rows(), (QStringList{"Äpfel.jpg", "Zebra.jpg", "Bild 10.jpg", "bild 2.jpg"}));
  EXPECT_EQ(ListFileNames(), Rows());  // the list itself is in this order

  // The order is what the list file keeps.
  EXPECT_TRUE(window_.HasUnsavedChanges());
  dialogs_.save_files = {Path("reihenfolge.csv")};
  ASSERT_TRUE(window_.SaveImageList());
  EXPECT_FALSE(window_.HasUnsavedChanges());
  dialogs_.answers = {TDialogs::TAnswer::kNo};
  dialogs_.open_files = {Path("reihenfolge.csv")};
  window_.LoadImageList();
  EXPECT_EQ(Rows(), (QStringList{"Äpfel.jpg", "Zebra.jpg", "Bild 10.jpg", "bild 2.jpg"}));
}

TEST_F(MainWindowTest, PropertiesAreSetForEverySelectedImageAndRenamedOrRemovedWhereAsked) {
  Drop({"a.jpg", "b.JPEG", "c.jpg"});
  for (const char* property : {"Titel", "Ort"}) {
    dialogs_.texts = {property};
    window_.btnNeueEigenschaftClick();
  }
  dialogs_.texts = {"ort"};  // a name that is taken makes no second property
  window_.btnNeueEigenschaftClick();
  EXPECT_EQ(dialogs_.errors.back(), "Eine Eigenschaft ort gibt es bereits!");
  auto value = [&](int record, const char* name) {
    return window_.RecordList().Item(record).Details.ValueOf(name);
  };

  // Two images selected: the value typed is theirs.
  SelectRows({0, 2});
  EXPECT_EQ(window_.gbRecord->title(), "Bildeigenschaften (2 Bilder markiert) ");
  window_.lbDetails->item(0)->setSelected(true);
  QTest::keyClicks(window_.edDetailEdit, "Meer");
  EXPECT_EQ(value(0, "Titel"), "Meer");
  EXPECT_EQ(value(1, "Titel"), "");
  EXPECT_EQ(value(2, "Titel"), "Meer");
  SelectRows({0, 1});
  EXPECT_EQ(window_.lbDetails->item(0)->text(), "Titel: (verschiedene Werte)");
  EXPECT_EQ(window_.lbDetails->item(1)->text(), "Ort: ");

  // Renamed for one image: its value moves to a property of the new name.
  SelectRow(0);
  EXPECT_FALSE(window_.btnEigenschaftUmbenennen->isEnabled());  // no property chosen yet
  window_.lbDetails->item(0)->setSelected(true);
  dialogs_.choices = {0};
  dialogs_.texts = {"Motiv"};
  window_.btnEigenschaftUmbenennen->click();
  EXPECT_EQ(dialogs_.choice_buttons.back(),
            (QStringList{"nur bei diesem Bild", "bei allen Bildern", "Abbrechen"}));
  EXPECT_EQ(window_.RecordList().Item(1).Details.Names(), (TNamesList{"Titel", "Ort", "Motiv"}));
  EXPECT_EQ(value(0, "Motiv"), "Meer");
  EXPECT_EQ(value(0, "Titel"), "");
  EXPECT_EQ(value(2, "Titel"), "Meer");

  // Renamed for all images.
  window_.lbDetails->item(1)->setSelected(true);
  dialogs_.choices = {1};
  dialogs_.texts = {"Stadt"};
  window_.btnEigenschaftUmbenennenClick();
  EXPECT_EQ(window_.RecordList().Item(2).Details.Names(), (TNamesList{"Titel", "Stadt", "Motiv"}));
  EXPECT_EQ(window_.lbDetails->item(1)->text(), "Stadt: ");
  // ... but never onto a name that is taken.
  window_.lbDetails->item(0)->setSelected(true);
  dialogs_.choices = {1};
  dialogs_.texts = {"motiv"};
  window_.btnEigenschaftUmbenennenClick();
  EXPECT_EQ(dialogs_.errors.back(), "Eine Eigenschaft motiv gibt es bereits!");
  EXPECT_EQ(value(2, "Titel"), "Meer");

  // Removed for one image: the others keep it and their values.
  SelectRow(2);
  window_.lbDetails->item(0)->setSelected(true);
  dialogs_.choices = {0};
  window_.btnEigenschaftEntfernenClick();
  EXPECT_EQ(value(2, "Titel"), "");
  EXPECT_EQ(window_.RecordList().Item(2).Details.Names(), (TNamesList{"Titel", "Stadt", "Motiv"}));
  // Cancelled: nothing changes. Removed for all: gone from every image.
  window_.lbDetails->item(2)->setSelected(true);
  window_.btnEigenschaftEntfernenClick();
  EXPECT_EQ(value(0, "Motiv"), "Meer");
  window_.lbDetails->item(2)->setSelected(true);
  dialogs_.choices = {1};
  window_.btnEigenschaftEntfernenClick();
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(window_.RecordList().Item(i).Details.Names(), (TNamesList{"Titel", "Stadt"})) << i;
  EXPECT_EQ(window_.lbDetails->count(), 2);
  EXPECT_TRUE(window_.HasUnsavedChanges());
}

TEST_F(MainWindowTest, ClosingAsksToSaveChangesAndStaysOpenUnlessTheyAreSavedOrGivenUp) {
  window_.show();
  EXPECT_TRUE(window_.close());  // nothing to save: nothing asked
  EXPECT_TRUE(dialogs_.questions.isEmpty());
  window_.show();
  Drop({"a.jpg"});
  const QString question = "Speichern?|Änderungen an der Bildliste speichern?";

  dialogs_.answers = {TDialogs::TAnswer::kCancel};
  EXPECT_FALSE(window_.close());
  EXPECT_EQ(dialogs_.questions, (QStringList{question}));
  EXPECT_TRUE(window_.isVisible());

  // "Ja", but the save dialog is cancelled: nothing is lost, the window stays.
  dialogs_.answers = {TDialogs::TAnswer::kYes};
  dialogs_.save_files = {QString()};
  window_.actQuit->trigger();
  EXPECT_TRUE(window_.isVisible());
  EXPECT_EQ(dialogs_.questions.size(), 2);

  dialogs_.answers = {TDialogs::TAnswer::kYes};
  dialogs_.save_files = {Path("liste.csv")};
  window_.actQuit->trigger();
  EXPECT_FALSE(window_.isVisible());
  EXPECT_TRUE(Exists(dir_ / "liste.csv"));

  // Saved and unchanged: closing asks nothing; a change asks again, "Nein" closes.
  window_.show();
  EXPECT_TRUE(window_.close());
  EXPECT_EQ(dialogs_.questions.size(), 3);
  window_.show();
  dialogs_.texts = {"Titel"};
  window_.btnNeueEigenschaftClick();
  dialogs_.answers = {TDialogs::TAnswer::kNo};
  EXPECT_TRUE(window_.close());
  EXPECT_EQ(dialogs_.questions.back(), question);
  EXPECT_EQ(ReadFile(dir_ / "liste.csv").find("Titel"), std::string::npos);
}

TEST_F(MainWindowTest, ListDialogsStartInTheFolderLastUsedElseInPicturesOrHome) {
  ScopedEnv home("HOME", dir_ / "home");
  ASSERT_TRUE(QDir().mkpath(Path("home")));
  Drop({"a.jpg"});
  dialogs_.save_files = {QString()};
  window_.SaveImageList();
  EXPECT_EQ(dialogs_.folders.back(), Path("home"));  // not the folder the program started in
  ASSERT_TRUE(QDir().mkpath(Path("home/Pictures")));
  window_.SaveImageList();
  EXPECT_EQ(dialogs_.folders.back(), Path("home/Pictures"));

  dialogs_.save_files = {Path("listen/urlaub.csv")};
  ASSERT_TRUE(QDir().mkpath(Path("listen")));
  ASSERT_TRUE(window_.SaveImageList());
  dialogs_.answers = {TDialogs::TAnswer::kNo};
  window_.LoadImageList();
  EXPECT_EQ(dialogs_.folders.back(), Path("listen"));
  // Also after the program has been started anew.
  TVTLMainWin next(dialogs_);
  next.LoadImageList();
  EXPECT_EQ(dialogs_.folders.back(), Path("listen"));
}

TEST_F(MainWindowTest, OpensAtTheFolderLookedAtLastElseAtThePictures) {
  ScopedEnv home("HOME", dir_ / "home");
  ASSERT_TRUE(QDir().mkpath(Path("home/Pictures")));
  QSettings().clear();
  TVTLMainWin first(dialogs_);
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return first.SelectedFolder() == Path("home/Pictures"); }, 5000));
  first.SelectFolder(Path("photos"));
  TVTLMainWin next(dialogs_);
  EXPECT_TRUE(QTest::qWaitFor([&] { return next.SelectedFolder() == Path("photos"); }, 5000))
      << next.SelectedFolder().toStdString();
}

TEST_F(MainWindowTest, TheFileListShowsSizesAndDatesTheGermanWay) {
  EXPECT_EQ(GermanFileSize(1), "1 Byte");
  EXPECT_EQ(GermanFileSize(812), "812 Bytes");
  EXPECT_EQ(GermanFileSize(36270), "35,4 kB");
  EXPECT_EQ(GermanFileSize(3355443), "3,2 MB");

  // Files of known sizes, changed at a known time.
  const struct {
    const char* name;
    size_t bytes;
    QString size;
  } files[] = {
      {"eins.jpg", 1, "1 Byte"}, {"klein.jpg", 812, "812 Bytes"}, {"mittel.jpg", 36270, "35,4 kB"}};
  const QDateTime changed(QDate(2022, 11, 3), QTime(9, 5));
  for (const auto& file : files) {
    WriteFile(dir_ / (std::string("groessen/") + file.name), std::string(file.bytes, 'x'));
    QFile written(Path(std::string("groessen/") + file.name));
    ASSERT_TRUE(written.open(QIODevice::ReadWrite));
    ASSERT_TRUE(written.setFileTime(changed, QFileDevice::FileModificationTime));
  }

  window_.SelectFolder(Path("groessen"));
  QAbstractItemModel* model = window_.ShellListView1->model();
  auto root = [this] { return window_.ShellListView1->rootIndex(); };
  ASSERT_TRUE(QTest::qWaitFor([&] { return model->rowCount(root()) == 3; }, 5000));
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return !model->index(0, 3, root()).data().toString().isEmpty(); }, 5000));
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(model->index(row, 0, root()).data().toString(), files[row].name);
    EXPECT_EQ(model->index(row, 1, root()).data().toString(), files[row].size);
    EXPECT_EQ(model->index(row, 2, root()).data().toString(), "JPEG-Bild");
    EXPECT_EQ(model->index(row, 3, root()).data().toString(), "03.11.2022 09:05");
  }
  EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), "Größe");
}

// A folder of a thousand photos: the list is there at once, and the thumbnails of the entries
// in view are made one by one in the background, not those of the whole folder.
TEST_F(MainWindowTest, ThumbnailsOfTheEntriesInViewFillInAsTheyAreMade) {
  const std::string photo = MakeJpeg(96, 64);
  for (int i = 0; i < 1000; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "viele/foto%04d.jpg", i);
    WriteFile(dir_ / name, photo);
  }
  window_.resize(977, 680);
  window_.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
  window_.btnThumbnails->click();
  EXPECT_EQ(window_.FileViews->currentWidget(), window_.ShellIconView);
  window_.SelectFolder(Path("viele"));
  QAbstractItemModel* model = window_.ShellIconView->model();
  auto root = [this] { return window_.ShellIconView->rootIndex(); };
  ASSERT_TRUE(QTest::qWaitFor([&] { return model->rowCount(root()) == 1000; }, 10000));
  auto thumbnail = [&](int row) {
    const QVariant decoration = model->index(row, 0, root()).data(Qt::DecorationRole);
    return decoration.typeId() == QMetaType::QPixmap ? decoration.value<QPixmap>() : QPixmap();
  };
  ASSERT_TRUE(QTest::qWaitFor([&] { return !thumbnail(0).isNull(); }, 10000))
      << model->index(0, 0, root()).data(Qt::DecorationRole).typeName() << " | "
      << window_.Thumbnails().Rendered() << " made; view " << window_.ShellIconView->isVisible()
      << " " << window_.ShellIconView->size().width() << "x"
      << window_.ShellIconView->size().height();
  EXPECT_EQ(thumbnail(0).size(), QSize(kThumbnailSize, kThumbnailSize * 2 / 3));
  // Each item has room for a whole thumbnail and its name, also one whose picture came late.
  const QRect item = window_.ShellIconView->visualRect(model->index(0, 0, root()));
  EXPECT_GE(item.height(), kThumbnailSize + window_.fontMetrics().height()) << item.height();
  // Once the pictures asked for are made, no more are asked for: only those in view were.
  ASSERT_TRUE(QTest::qWaitFor([&] { return window_.Thumbnails().Pending() == 0; }, 10000));
  EXPECT_LT(window_.Thumbnails().Rendered(), 200);
  EXPECT_TRUE(thumbnail(999).isNull());  // far out of view: not made
  // The choice is kept for the next start.
  TVTLMainWin next(dialogs_);
  EXPECT_EQ(next.FileViews->currentWidget(), next.ShellIconView);
}

TEST(FileListRuleTest, OnlyFilesWithJpegNames) {
  EXPECT_TRUE(IsListedInFileList("x.JPG", false));
  EXPECT_TRUE(IsListedInFileList("x.jpeg", false));
  EXPECT_FALSE(IsListedInFileList("x.jpg", true));
  EXPECT_FALSE(IsListedInFileList("x.png", false));
}

}  // namespace
}  // namespace vistrel
