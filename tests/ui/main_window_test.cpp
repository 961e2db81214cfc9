#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QTest>
#include <QTreeView>
#include <QUrl>
#include <memory>

#include "image_fixtures.h"
#include "test_support.h"
#include "ui/fake_dialogs.h"
#include "ui/file_browser_pane.h"
#include "ui/find_child.h"
#include "ui/image_list_pane.h"
#include "ui/property_editor.h"
#include "ui/record_list_model.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;

// A photo taken at `date` ("YYYY:MM:DD HH:MM:SS"), or without a date when it is empty.
std::string PhotoTakenAt(const std::string& date);

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
    const QAbstractItemModel* model = List().model();
    for (int i = 0; i < model->rowCount(); ++i) rows << model->index(i, 0).data().toString();
    return rows;
  }
  QStringList ListFileNames() {
    QStringList names;
    for (int i = 0; i < window_.RecordList().Count(); ++i)
      names << QString::fromStdString(window_.RecordList().Item(i).FileName());
    return names;
  }
  // Selects `rows` as clicks with Ctrl would, the first one last clicked.
  void SelectRows(std::initializer_list<int> rows) {
    QItemSelectionModel* selection = List().selectionModel();
    const QAbstractItemModel* model = List().model();
    selection->clear();
    selection->setCurrentIndex(model->index(*rows.begin(), 0), QItemSelectionModel::NoUpdate);
    for (int row : rows)
      selection->select(model->index(row, 0),
                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
  void SelectRow(int row) { SelectRows({row}); }
  QModelIndexList SelectedRows() const { return List().selectionModel()->selectedRows(); }

  // The property box and its parts.
  TPropertyEditor& Editor() const { return window_.PropertyEditor(); }
  TVTLRecord* Shown() const { return Editor().CurrentRecord(); }
  bool BoxVisible() const { return Child<QGroupBox>(window_, "gbRecord").isVisibleTo(&window_); }
  QListView& Details() const { return Child<QListView>(window_, "lbDetails"); }
  int DetailCount() const { return Details().model()->rowCount(); }
  QString DetailLine(int line) const { return Details().model()->index(line, 0).data().toString(); }
  // A click on a line of the property list.
  void SelectDetail(int line) {
    Details().selectionModel()->select(Details().model()->index(line, 0),
                                       QItemSelectionModel::ClearAndSelect);
  }
  QLineEdit& DetailEdit() const { return Child<QLineEdit>(window_, "edDetailEdit"); }
  QTreeView& List() const { return Child<QTreeView>(window_, "lvRecordList"); }
  QPushButton& Button(const char* name) const { return Child<QPushButton>(window_, name); }

  TempDir dir_;
  FakeDialogs dialogs_;
  bool fresh_settings_ = (QSettings().clear(), true);  // before the window reads them
  TVTLMainWin window_{dialogs_};
};

// The panes are wired: files chosen in the file browser reach the image list, and the images
// selected there reach the property box.
TEST_F(MainWindowTest, HinzufuegenPutsTheFilesSelectedInTheFileBrowserIntoTheImageList) {
  window_.SelectFolder(Path("photos"));
  QTreeView& files = Child<QTreeView>(window_, "ShellListView1");
  // The folder is read in the background; the list shows it once it has been read.
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return files.model()->rowCount(files.rootIndex()) == 3; }, 5000));
  files.selectAll();
  Button("Button1").click();
  EXPECT_EQ(Rows(), (QStringList{"a.jpg", "b.JPEG", "c.jpg"}));
  EXPECT_EQ(List().model()->index(0, TRecordListModel::kFolderColumn).data().toString(),
            Path("photos/"));
  EXPECT_TRUE(window_.HasUnsavedChanges());
  window_.FileBrowser().AddSelectedFiles();  // again: all duplicates
  EXPECT_EQ(window_.RecordList().Count(), 3);
  EXPECT_TRUE(Button("sortByNameButton").isEnabled());

  SelectRow(2);
  EXPECT_EQ(Shown(), &window_.RecordList().Item(2));
  EXPECT_TRUE(BoxVisible());
}

// Files dragged onto the image list from another program arrive as a drop on its viewport.
TEST_F(MainWindowTest, FilesAndFoldersDroppedOntoTheImageListAreAdded) {
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(Path("photos/a.jpg")),
                QUrl::fromLocalFile(Path("photos/folder.jpg")),
                QUrl::fromLocalFile(Path("photos/c.jpg"))});
  QWidget* viewport = List().viewport();
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(viewport, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(viewport, &drop);
  EXPECT_EQ(Rows(), (QStringList{"a.jpg", "inside.jpg", "c.jpg"}));
  EXPECT_TRUE(dialogs_.errors.isEmpty());
  EXPECT_TRUE(dialogs_.warnings.isEmpty());
  EXPECT_EQ(Child<QLabel>(window_, "photoCountLabel").text(), "3 Bilder");
}

// A folder brings the photos directly in it, of every format by their contents, in the order
// people read names; what else it holds stays out without a word. Files dropped that are no
// photos are named, all in one message.
TEST_F(MainWindowTest, AFolderBringsItsPhotosInNameOrderAndFilesThatAreNoPhotosAreNamedOnce) {
  WriteFile(dir_ / "mixed/Bild 10.png", MakePhoto(TImageFormat::kPng, 16, 12));
  WriteFile(dir_ / "mixed/Bild 9", MakePhoto(TImageFormat::kPng, 16, 12));  // no extension
  WriteFile(dir_ / "mixed/bild 1.jpg", MakeJpeg(16, 12));
  WriteFile(dir_ / "mixed/text.jpg", "kein Bild");
  WriteFile(dir_ / "mixed/tiefer/d.jpg", MakeJpeg(16, 12));
  window_.DropPaths({Path("mixed")});
  EXPECT_EQ(Rows(), (QStringList{"bild 1.jpg", "Bild 9", "Bild 10.png"}));
  EXPECT_TRUE(dialogs_.warnings.isEmpty());

  Drop({"folder.jpg", "a.jpg", "notes.txt", "picture.png", "c.jpg", "a.jpg"});
  EXPECT_EQ(Rows(),
            (QStringList{"bild 1.jpg", "Bild 9", "Bild 10.png", "inside.jpg", "a.jpg", "c.jpg"}));
  EXPECT_EQ(dialogs_.warnings,
            (QStringList{"2 Dateien sind keine Fotos und wurden nicht hinzugefügt:\n" +
                         Path("photos/notes.txt") + "\n" + Path("photos/picture.png")}));
  // The same file in other letter case is a duplicate, and a duplicate is no news.
  window_.AddRecordToList("A.JPG", (dir_ / "PHOTOS/"));
  window_.DropPaths({Path("photos/a.jpg"), Path("mixed")});
  EXPECT_EQ(window_.RecordList().Count(), 6);
  EXPECT_EQ(dialogs_.warnings.size(), 1);

  QStringList many;
  for (int i = 1; i <= 12; ++i) {
    const std::string name = "text" + std::to_string(i) + ".jpg";
    WriteFile(dir_ / name, "kein Bild");
    many << Path(name);
  }
  window_.DropPaths(many);
  const QStringList lines = dialogs_.warnings.back().split('\n');
  ASSERT_EQ(lines.size(), 12);
  EXPECT_EQ(lines.front(), "12 Dateien sind keine Fotos und wurden nicht hinzugefügt:");
  EXPECT_EQ(lines[1], Path("text1.jpg"));
  EXPECT_EQ(lines.back(), "... und 2 weitere");
  window_.DropPaths({Path("text1.jpg")});
  EXPECT_EQ(dialogs_.warnings.back(),
            "Diese Datei ist kein Foto und wurde nicht hinzugefügt:\n" + Path("text1.jpg"));
  EXPECT_EQ(Child<QLabel>(window_, "photoCountLabel").text(), "6 Bilder");
}

// "Ordner hinzufügen >>" adds the folder the file browser shows.
TEST_F(MainWindowTest, TheFolderShownInTheFileBrowserIsAddedWithItsButton) {
  window_.SelectFolder(Path("photos"));
  Button("addFolderButton").click();
  EXPECT_EQ(Rows(), (QStringList{"a.jpg", "b.JPEG", "c.jpg"}));
  EXPECT_TRUE(window_.HasUnsavedChanges());
  EXPECT_TRUE(dialogs_.warnings.isEmpty());
}

// The list shows each photo's date and title once its metadata has been read in the
// background; a gallery is made only with all of it.
TEST_F(MainWindowTest, TheImageListShowsDateAndTitleReadInTheBackground) {
  WriteFile(dir_ / "dated/meer.jpg", PhotoTakenAt("2023:05:24 13:36:17"));
  WriteFile(dir_ / "dated/meer.jpg.xmp",
            "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
            "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/"
            "02/22-rdf-syntax-ns#\"><rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/"
            "dc/elements/1.1/\"><dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">Am Meer"
            "</rdf:li></rdf:Alt></dc:title></rdf:Description></rdf:RDF></x:xmpmeta>\n"
            "<?xpacket end=\"w\"?>");
  window_.DropPaths({Path("dated/meer.jpg"), Path("photos/a.jpg")});
  EXPECT_EQ(window_.RecordList().Item(0).Metadata.Count(), 0);  // not read while adding
  TRecordListModel& model = window_.ImageList().Model();
  ASSERT_TRUE(QTest::qWaitFor([&] { return model.PendingMetadata() == 0; }, 10000));
  EXPECT_EQ(model.index(0, TRecordListModel::kDateColumn).data().toString(), "24.05.2023 13:36");
  EXPECT_EQ(model.index(0, TRecordListModel::kTitleColumn).data().toString(), "Am Meer");
  EXPECT_EQ(model.index(1, TRecordListModel::kDateColumn).data().toString(), "");
  EXPECT_EQ(window_.RecordList().Item(0).Metadata.ValueOf("ExifDTOrig"), "2023:05:24 13:36:17");
}

TEST_F(MainWindowTest, SelectingAnImageShowsItsPropertiesAndPreview) {
  Drop({"a.jpg", "b.JPEG", "c.jpg"});
  EXPECT_FALSE(BoxVisible());
  dialogs_.texts = {"Titel"};
  Editor().btnNeueEigenschaftClick();
  dialogs_.texts = {""};
  Editor().btnNeueEigenschaftClick();  // an empty name adds nothing
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(window_.RecordList().Item(i).Details.Names(), TNamesList{"Titel"});

  SelectRow(1);
  EXPECT_EQ(Shown(), &window_.RecordList().Item(1));
  EXPECT_TRUE(BoxVisible());
  ASSERT_EQ(DetailCount(), 1);
  EXPECT_EQ(DetailLine(0), "Titel: ");
  EXPECT_FALSE(DetailEdit().isVisibleTo(&window_));
  EXPECT_FALSE(Child<QLabel>(window_, "imgPreview").pixmap().isNull());

  SelectDetail(0);
  EXPECT_EQ(Editor().CurrentDetailIndex(), 0);
  EXPECT_TRUE(DetailEdit().isVisibleTo(&window_));
  QTest::keyClicks(&DetailEdit(), "D");
  QKeyEvent umlaut(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, "ü");
  QApplication::sendEvent(&DetailEdit(), &umlaut);
  QTest::keyClicks(&DetailEdit(), "ne");
  EXPECT_EQ(window_.RecordList().Item(1).Details.Value(0), "Düne");  // stored on every keystroke
  EXPECT_EQ(DetailLine(0), "Titel: Düne");

  // A property added while an image is shown appears at once.
  dialogs_.texts = {"Ort"};
  Editor().btnNeueEigenschaftClick();
  EXPECT_EQ(DetailCount(), 2);
  List().selectionModel()->clearSelection();
  EXPECT_EQ(Shown(), nullptr);
  EXPECT_FALSE(BoxVisible());
}

TEST_F(MainWindowTest, DeleteSelectsTheRowThatMovesUpAndNothingAfterTheLast) {
  Drop({"a.jpg", "b.JPEG", "c.jpg"});
  SelectRow(1);
  QTest::keyClick(&List(), Qt::Key_Delete);
  EXPECT_EQ(Rows(), (QStringList{"a.jpg", "c.jpg"}));
  ASSERT_NE(Shown(), nullptr);
  EXPECT_EQ(Shown()->FileName(), "c.jpg");
  EXPECT_TRUE(BoxVisible());
  QTest::keyClick(&List(), Qt::Key_Delete);
  EXPECT_EQ(Rows(), (QStringList{"a.jpg"}));
  EXPECT_EQ(Shown(), nullptr);
  EXPECT_TRUE(SelectedRows().isEmpty());
  EXPECT_FALSE(BoxVisible());
}

TEST_F(MainWindowTest, SavingAndLoadingAskWhatTheUserWants) {
  dialogs_.errors.clear();
  window_.SaveImageList();
  EXPECT_EQ(
      dialogs_.errors,
      (QStringList{"Es sind keine Dateien in der Liste eingefügt. Speichern nicht möglich!"}));
  Drop({"a.jpg", "c.jpg"});
  dialogs_.texts = {"Titel"};
  Editor().btnNeueEigenschaftClick();
  window_.RecordList().Item(1).Details.SetValue(0, "See; \"blau\"");
  dialogs_.save_files = {Path("list.csv")};
  window_.SaveImageList();
  EXPECT_EQ(dialogs_.saved, (QStringList{"Textdateien (*.txt, *.csv; *.asc) (*.txt *.csv *.asc)"}));
  ASSERT_TRUE(Exists(dir_ / "list.csv"));

  // The file exists now: "No" keeps it, "Yes" replaces it.
  dialogs_.save_files = {Path("list.csv")};
  dialogs_.answers = {TDialogs::TAnswer::kNo};
  window_.RecordList().Item(0).Details.SetValue(0, "changed");
  window_.SaveImageListAs();
  EXPECT_EQ(dialogs_.questions.back(), "Datei ersetzen?|Die Datei " + Path("list.csv") +
                                           " existiert bereits. Möchten Sie sie ersetzen?");
  EXPECT_EQ(ReadFile(dir_ / "list.csv").find("changed"), std::string::npos);

  // Loading a list over one with changes: Cancel stops; No goes straight to the open dialog.
  Drop({"b.JPEG"});
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
  EXPECT_EQ(Shown(), nullptr);
  EXPECT_TRUE(SelectedRows().isEmpty());
  EXPECT_EQ(window_.ListFile(), Path("list.csv"));
}

TEST_F(MainWindowTest, AListIsOpenedOverChangesOnlyOnceTheyAreSavedOrGivenUp) {
  WriteFile(dir_ / "andere.csv",
            "\"Dateiname\";\"Pfad\";\r\n\"c.jpg\";\"" + (dir_ / "photos/") + "\";\r\n");
  Drop({"a.jpg"});
  // "Ja", then "Abbrechen" in the save dialog: the list stays and nothing is opened.
  dialogs_.answers = {TDialogs::TAnswer::kYes};
  dialogs_.save_files = {QString()};
  dialogs_.open_files = {Path("andere.csv")};
  window_.LoadImageList();
  EXPECT_EQ(dialogs_.questions.size(), 1);
  EXPECT_EQ(dialogs_.saved.size(), 1);
  EXPECT_TRUE(dialogs_.opened.isEmpty());
  EXPECT_EQ(Rows(), (QStringList{"a.jpg"}));
  EXPECT_TRUE(window_.HasUnsavedChanges());

  // "Ja" and a file chosen: saved there, then the other list opens.
  dialogs_.answers = {TDialogs::TAnswer::kYes};
  dialogs_.save_files = {Path("eigene.csv")};
  window_.LoadImageList();
  EXPECT_NE(ReadFile(dir_ / "eigene.csv").find("a.jpg"), std::string::npos);
  EXPECT_EQ(Rows(), (QStringList{"c.jpg"}));
  EXPECT_FALSE(window_.HasUnsavedChanges());

  // A list without changes is replaced without a question.
  dialogs_.open_files = {Path("eigene.csv")};
  window_.LoadImageList();
  EXPECT_EQ(dialogs_.questions.size(), 2);
  EXPECT_EQ(Rows(), (QStringList{"a.jpg"}));
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
                         "erscheinen sollen oder laden Sie über das Menü eine "
                         "gespeicherte Bilderliste!"}));
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
  Button("moveUpButton").click();
  EXPECT_EQ(Rows(), (QStringList{"Zebra.jpg", "bild 2.jpg", "Bild 10.jpg", "Äpfel.jpg"}));
  EXPECT_EQ(Shown()->FileName(), "Bild 10.jpg");
  SelectRows({0, 1});
  Button("moveDownButton").click();
  EXPECT_EQ(Rows(), (QStringList{"Bild 10.jpg", "Zebra.jpg", "bild 2.jpg", "Äpfel.jpg"}));
  EXPECT_EQ(SelectedRows().size(), 2);
  EXPECT_TRUE(List().selectionModel()->isRowSelected(1));
  EXPECT_TRUE(List().selectionModel()->isRowSelected(2));
  SelectRow(3);
  window_.ImageList().MoveSelectedRecords(+1);  // the last one stays where it is
  EXPECT_EQ(Rows(), (QStringList{"Bild 10.jpg", "Zebra.jpg", "bild 2.jpg", "Äpfel.jpg"}));

  // Dragging a row to the end of the list, as the view hands the drop to its model.
  TRecordListModel& model = window_.ImageList().Model();
  std::unique_ptr<QMimeData> dragged(model.mimeData({model.index(0, 0), model.index(0, 1)}));
  ASSERT_TRUE(model.canDropMimeData(dragged.get(), Qt::MoveAction, -1, -1, QModelIndex()));
  ASSERT_TRUE(model.dropMimeData(dragged.get(), Qt::MoveAction, -1, -1, QModelIndex()));
  EXPECT_EQ(Rows(), (QStringList{"Zebra.jpg", "bild 2.jpg", "Äpfel.jpg", "Bild 10.jpg"}));
  // Rows of another list are no rows of this one.
  TRecordListModel other;
  std::unique_ptr<QMimeData> foreign(other.mimeData({}));
  EXPECT_FALSE(model.canDropMimeData(foreign.get(), Qt::MoveAction, 0, 0, QModelIndex()));

  // Sorted by name as people read names, and by the date the photos were taken.
  Button("sortByNameButton").click();
  EXPECT_EQ(Rows(), (QStringList{"Äpfel.jpg", "bild 2.jpg", "Bild 10.jpg", "Zebra.jpg"}));
  Button("sortByDateButton").click();
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

// Three images with the properties "Titel" and "Ort"; the first and the last have the title
// "Meer", typed with both selected.
class PropertyBoxTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    Drop({"a.jpg", "b.JPEG", "c.jpg"});
    for (const char* property : {"Titel", "Ort"}) {
      dialogs_.texts = {property};
      Editor().btnNeueEigenschaftClick();
    }
    SelectRows({0, 2});
    SelectDetail(0);
    QTest::keyClicks(&DetailEdit(), "Meer");
  }
  std::string Value(int record, const char* name) {
    return window_.RecordList().Item(record).Details.ValueOf(name);
  }
};

TEST_F(PropertyBoxTest, AValueTypedIsSetForEverySelectedImage) {
  dialogs_.texts = {"ort"};  // a name that is taken makes no second property
  Editor().btnNeueEigenschaftClick();
  EXPECT_EQ(dialogs_.errors.back(), "Eine Eigenschaft ort gibt es bereits!");
  EXPECT_EQ(window_.RecordList().Item(1).Details.Names(), (TNamesList{"Titel", "Ort"}));

  // Two images selected: the value typed is theirs.
  EXPECT_EQ(Child<QGroupBox>(window_, "gbRecord").title(),
            "Bildeigenschaften (2 Bilder markiert) ");
  SelectRows({0, 2});
  EXPECT_EQ(Child<QGroupBox>(window_, "gbRecord").title(),
            "Bildeigenschaften (2 Bilder markiert) ");
  EXPECT_EQ(Value(0, "Titel"), "Meer");
  EXPECT_EQ(Value(1, "Titel"), "");
  EXPECT_EQ(Value(2, "Titel"), "Meer");
  EXPECT_EQ(DetailLine(0), "Titel: Meer");
  SelectRows({0, 1});
  EXPECT_EQ(DetailLine(0), "Titel: (verschiedene Werte)");
  EXPECT_EQ(DetailLine(1), "Ort: ");
  // A line whose values differ starts empty; what is typed then is every selected image's.
  SelectDetail(0);
  EXPECT_EQ(DetailEdit().text(), "");
  QTest::keyClicks(&DetailEdit(), "See");
  EXPECT_EQ(Value(0, "Titel"), "See");
  EXPECT_EQ(Value(1, "Titel"), "See");
  EXPECT_EQ(Value(2, "Titel"), "Meer");
  EXPECT_EQ(DetailLine(0), "Titel: See");
  EXPECT_TRUE(window_.HasUnsavedChanges());
}

// The lines of the property box, top to bottom.
QStringList Lines(const QListView& details) {
  QStringList lines;
  for (int i = 0; i < details.model()->rowCount(); ++i)
    lines << details.model()->index(i, 0).data().toString();
  return lines;
}

TEST_F(PropertyBoxTest, APropertyIsRenamedOrRemovedForTheSelectedImagesOrForAll) {
  // Renamed for one image: its value moves to a property of the new name, which that image
  // alone has; it no longer has the old one, the others keep it and do not get the new one.
  SelectRow(0);
  EXPECT_FALSE(Button("renamePropertyButton").isEnabled());  // no property chosen yet
  SelectDetail(0);
  dialogs_.choices = {0};
  dialogs_.texts = {"Motiv"};
  Button("renamePropertyButton").click();
  EXPECT_EQ(dialogs_.choice_buttons.back(),
            (QStringList{"nur bei diesem Bild", "bei allen Bildern", "Abbrechen"}));
  EXPECT_EQ(Value(0, "Motiv"), "Meer");
  EXPECT_EQ(Value(0, "Titel"), "");
  EXPECT_EQ(Value(2, "Titel"), "Meer");
  EXPECT_EQ(Lines(Details()), (QStringList{"Ort: ", "Motiv: Meer"}));
  SelectRow(1);
  EXPECT_EQ(Lines(Details()), (QStringList{"Titel: ", "Ort: "}));

  // Renamed for all images.
  SelectRow(0);
  SelectDetail(0);
  dialogs_.choices = {1};
  dialogs_.texts = {"Stadt"};
  Editor().RenameProperty();
  EXPECT_EQ(window_.RecordList().Item(2).Details.Names(), (TNamesList{"Titel", "Stadt", "Motiv"}));
  EXPECT_EQ(DetailLine(0), "Stadt: ");
  // ... but never onto a name that is taken.
  SelectDetail(0);
  dialogs_.choices = {1};
  dialogs_.texts = {"motiv"};
  Editor().RenameProperty();
  EXPECT_EQ(dialogs_.errors.back(), "Eine Eigenschaft motiv gibt es bereits!");
  EXPECT_EQ(Value(2, "Titel"), "Meer");

  // Removed for the two marked images: gone from their lines; the third keeps it and its value.
  SelectRows({2, 1});
  SelectDetail(0);
  EXPECT_EQ(DetailLine(0), "Titel: (verschiedene Werte)");
  dialogs_.choices = {0};
  Editor().RemoveProperty();
  EXPECT_EQ(dialogs_.choice_buttons.back(),
            (QStringList{"nur bei den markierten Bildern", "bei allen Bildern", "Abbrechen"}));
  EXPECT_EQ(Value(2, "Titel"), "");
  EXPECT_EQ(Lines(Details()), (QStringList{"Stadt: "}));
  SelectRow(1);
  EXPECT_EQ(Lines(Details()), (QStringList{"Stadt: "}));
  // No image has "Titel" now: it has left the list.
  EXPECT_EQ(window_.RecordList().PropertyIndex("Titel"), -1);
  // Made anew for a marked image that lost it, the name comes back to it alone.
  dialogs_.texts = {"Motiv"};
  Editor().btnNeueEigenschaftClick();
  EXPECT_EQ(Lines(Details()), (QStringList{"Stadt: ", "Motiv: "}));
  EXPECT_FALSE(window_.RecordList().Item(2).HasDetail("Motiv"));

  // Cancelled: nothing changes. Removed for all: gone from every image.
  SelectRow(0);
  SelectDetail(1);
  Editor().RemoveProperty();
  EXPECT_EQ(Value(0, "Motiv"), "Meer");
  SelectDetail(1);
  dialogs_.choices = {1};
  Editor().RemoveProperty();
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(window_.RecordList().Item(i).Details.Names(), (TNamesList{"Stadt"})) << i;
  EXPECT_EQ(DetailCount(), 1);
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
  Child<QAction>(window_, "quitAction").trigger();
  EXPECT_TRUE(window_.isVisible());
  EXPECT_EQ(dialogs_.questions.size(), 2);

  dialogs_.answers = {TDialogs::TAnswer::kYes};
  dialogs_.save_files = {Path("liste.csv")};
  Child<QAction>(window_, "quitAction").trigger();
  EXPECT_FALSE(window_.isVisible());
  EXPECT_TRUE(Exists(dir_ / "liste.csv"));

  // Saved and unchanged: closing asks nothing; a change asks again, "Nein" closes.
  window_.show();
  EXPECT_TRUE(window_.close());
  EXPECT_EQ(dialogs_.questions.size(), 3);
  window_.show();
  dialogs_.texts = {"Titel"};
  Editor().btnNeueEigenschaftClick();
  dialogs_.answers = {TDialogs::TAnswer::kNo};
  EXPECT_TRUE(window_.close());
  EXPECT_EQ(dialogs_.questions.back(), question);
  EXPECT_EQ(ReadFile(dir_ / "liste.csv").find("Titel"), std::string::npos);
}

// A list that came from a file or was saved to one is saved there again, asking nothing more;
// the title names the list and marks changes that are not saved.
TEST_F(MainWindowTest, JaOnClosingSavesToTheListsOwnFile) {
  window_.SetProgramTitle("Vistrel - V9");
  EXPECT_EQ(window_.windowTitle(), "Neue Bilderliste[*] - Vistrel - V9");
  window_.show();
  Drop({"a.jpg"});
  EXPECT_TRUE(window_.isWindowModified());
  dialogs_.save_files = {Path("liste.csv")};
  ASSERT_TRUE(window_.SaveImageList());
  EXPECT_EQ(window_.windowTitle(), "liste.csv[*] - Vistrel - V9");
  EXPECT_FALSE(window_.isWindowModified());
  Drop({"c.jpg"});
  EXPECT_TRUE(window_.isWindowModified());
  dialogs_.answers = {TDialogs::TAnswer::kYes};
  EXPECT_TRUE(window_.close());
  EXPECT_EQ(dialogs_.saved.size(), 1);  // no second save dialog, no replace question
  EXPECT_EQ(dialogs_.questions.size(), 1);
  EXPECT_NE(ReadFile(dir_ / "liste.csv").find("c.jpg"), std::string::npos);

  // The same for a list that was opened.
  TVTLMainWin opened(dialogs_);
  opened.show();
  dialogs_.open_files = {Path("liste.csv")};
  opened.LoadImageList();
  EXPECT_EQ(opened.ListFile(), Path("liste.csv"));
  opened.DropPaths({Path("photos/b.JPEG")});
  dialogs_.answers = {TDialogs::TAnswer::kYes};
  EXPECT_TRUE(opened.close());
  EXPECT_EQ(dialogs_.saved.size(), 1);
  EXPECT_NE(ReadFile(dir_ / "liste.csv").find("b.JPEG"), std::string::npos);
}

TEST_F(MainWindowTest, AListWhosePhotosAreMissingSaysWhichWhenOpened) {
  const std::string folder = dir_ / "photos/";
  auto list = [&](std::initializer_list<std::string> names) {
    std::string text = "\"Dateiname\";\"Pfad\";\r\n";
    for (const std::string& name : names) text += "\"" + name + "\";\"" + folder + "\";\r\n";
    WriteFile(dir_ / "liste.csv", text);
    dialogs_.open_files = {Path("liste.csv")};
    window_.LoadImageList();
  };
  list({"a.jpg", "c.jpg"});
  EXPECT_TRUE(dialogs_.warnings.isEmpty());
  // A name that is gone, and one that is a folder: named, and the list keeps them.
  list({"a.jpg", "weg.jpg", "folder.jpg"});
  EXPECT_EQ(dialogs_.warnings, (QStringList{"2 Bilder der Liste (von 3) fehlen oder sind nicht "
                                            "lesbar:\n" +
                                            Path("photos/weg.jpg") + " (fehlt)\n" +
                                            Path("photos/folder.jpg") + " (fehlt)"}));
  EXPECT_EQ(Rows(), (QStringList{"a.jpg", "weg.jpg", "folder.jpg"}));
  // Many: the first ten by name, then how many more.
  std::initializer_list<std::string> many = {"1.jpg",  "2.jpg",  "3.jpg", "4.jpg", "5.jpg",
                                             "6.jpg",  "7.jpg",  "8.jpg", "9.jpg", "10.jpg",
                                             "11.jpg", "12.jpg", "c.jpg"};
  list(many);
  const QStringList lines = dialogs_.warnings.back().split('\n');
  ASSERT_EQ(lines.size(), 12);
  EXPECT_EQ(lines.front(), "12 Bilder der Liste (von 13) fehlen oder sind nicht lesbar:");
  EXPECT_EQ(lines[10], Path("photos/10.jpg") + " (fehlt)");
  EXPECT_EQ(lines.back(), "... und 2 weitere");
  list({"weg.jpg"});
  EXPECT_EQ(dialogs_.warnings.back(), "Ein Bild der Liste (von 1) fehlt oder ist nicht lesbar:\n" +
                                          Path("photos/weg.jpg") + " (fehlt)");
}

// "Neue Bilderliste" asks like opening does, and starts a list without a file; the lists saved
// and opened last are offered, newest first, also after a new start.
TEST_F(MainWindowTest, ANewListAndTheListsOpenedLast) {
  Drop({"a.jpg"});
  dialogs_.answers = {TDialogs::TAnswer::kCancel};
  Child<QAction>(window_, "newAction").trigger();
  EXPECT_EQ(window_.RecordList().Count(), 1);
  dialogs_.answers = {TDialogs::TAnswer::kNo};
  window_.NewImageList();
  EXPECT_EQ(window_.RecordList().Count(), 0);
  EXPECT_EQ(window_.ListFile(), "");
  EXPECT_FALSE(window_.HasUnsavedChanges());

  for (const char* name : {"eins.csv", "zwei.csv"}) {
    window_.NewImageList();
    Drop({"a.jpg"});
    dialogs_.save_files = {Path(name)};
    ASSERT_TRUE(window_.SaveImageList());
  }
  dialogs_.open_files = {Path("eins.csv")};
  window_.LoadImageList();
  TVTLMainWin next(dialogs_);
  QMenu& recent = Child<QMenu>(next, "recentMenu");
  emit recent.aboutToShow();
  QStringList entries, tips;
  for (const QAction* entry : recent.actions()) {
    entries << entry->text();
    tips << entry->toolTip();
  }
  EXPECT_EQ(entries, (QStringList{"&1 eins.csv", "&2 zwei.csv"}));
  EXPECT_EQ(tips, (QStringList{Path("eins.csv"), Path("zwei.csv")}));
  recent.actions()[1]->trigger();
  EXPECT_EQ(next.ListFile(), Path("zwei.csv"));
  EXPECT_EQ(next.windowTitle(), "zwei.csv[*] - Vistrel");
  // A list that is gone is named, and the list shown stays.
  ASSERT_TRUE(QFile::remove(Path("eins.csv")));
  next.OpenRecentList(Path("eins.csv"));
  EXPECT_EQ(dialogs_.errors.back(), "Die Datei " + Path("eins.csv") + " gibt es nicht mehr.");
  EXPECT_EQ(next.ListFile(), Path("zwei.csv"));
}

TEST_F(MainWindowTest, TheWindowKeepsItsSizeAndSplittersFromOneStartToTheNext) {
  window_.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
  window_.resize(1100, 700);
  QSplitter& splitter = Child<QSplitter>(window_, "mainSplitter");
  splitter.setSizes({300, 800});
  const QList<int> sizes = splitter.sizes();
  window_.FileBrowser().setSizes({100, 500});
  const QList<int> browser = window_.FileBrowser().sizes();
  ASSERT_TRUE(window_.close());

  TVTLMainWin next(dialogs_);
  next.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&next));
  EXPECT_EQ(next.size(), QSize(1100, 700));
  EXPECT_EQ(Child<QSplitter>(next, "mainSplitter").sizes(), sizes);
  EXPECT_EQ(next.FileBrowser().sizes(), browser);
}

// The keys a photographer expects reach the window's commands.
TEST_F(MainWindowTest, CommandsHaveTheUsualKeys) {
  const std::pair<const char*, QList<QKeySequence>> keys[] = {
      {"newAction", {QKeySequence(Qt::CTRL | Qt::Key_N)}},
      {"loadAction", {QKeySequence(Qt::CTRL | Qt::Key_O)}},
      {"saveAction", {QKeySequence(Qt::CTRL | Qt::Key_S)}},
      {"saveAsAction", {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)}},
      {"quitAction", {QKeySequence(Qt::CTRL | Qt::Key_Q), QKeySequence(Qt::ALT | Qt::Key_F4)}},
      {"HilfezuVistrel1", {QKeySequence(Qt::Key_F1)}},
      {"undoAction", {QKeySequence(Qt::CTRL | Qt::Key_Z)}},
      {"redoAction",
       {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)}},
      {"removeAction", {QKeySequence(Qt::Key_Delete)}},
      {"moveUpAction", {QKeySequence(Qt::CTRL | Qt::Key_Up)}},
      {"moveDownAction", {QKeySequence(Qt::CTRL | Qt::Key_Down)}}};
  for (const auto& [name, expected] : keys)
    EXPECT_EQ(Child<QAction>(window_, name).shortcuts(), expected) << name;
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

// Both lists offer their commands in a context menu: the very actions of the menu "Bearbeiten".
TEST_F(MainWindowTest, TheListsContextMenusHoldTheActionsOfTheMenus) {
  QMenu& edit = Child<QMenu>(window_, "editMenu");
  auto names = [](const QList<QAction*>& actions) {
    QStringList named;
    for (const QAction* action : actions)
      if (!action->isSeparator()) named << action->objectName();
    return named;
  };
  const QStringList in_menu = names(edit.actions());
  QTreeView& files = Child<QTreeView>(window_, "ShellListView1");
  QListView& thumbnails = Child<QListView>(window_, "thumbnailView");
  for (QWidget* view : {static_cast<QWidget*>(&files), static_cast<QWidget*>(&thumbnails),
                        static_cast<QWidget*>(&List())}) {
    EXPECT_EQ(view->contextMenuPolicy(), Qt::ActionsContextMenu);
    ASSERT_FALSE(names(view->actions()).isEmpty());
    for (const QString& name : names(view->actions()))
      EXPECT_TRUE(in_menu.contains(name)) << name.toStdString();
  }
  EXPECT_TRUE(names(files.actions()).contains("addFolderAction"));
  EXPECT_TRUE(names(List().actions()).contains("sortByDateAction"));

  // What needs a selection waits for one; "Ordner öffnen" opens the folder the browser shows.
  Drop({"a.jpg", "b.JPEG"});
  QAction& remove = Child<QAction>(window_, "removeAction");
  EXPECT_FALSE(remove.isEnabled());
  SelectRow(1);
  EXPECT_TRUE(remove.isEnabled());
  remove.trigger();
  EXPECT_EQ(Rows(), (QStringList{"a.jpg"}));
  window_.SelectFolder(Path("photos"));
  Child<QAction>(window_, "openFolderAction").trigger();
  EXPECT_EQ(dialogs_.documents, (QStringList{Path("photos")}));
  SelectRow(0);
  window_.SelectFolder(Path("mixed-up"));
  Child<QAction>(window_, "showInBrowserAction").trigger();
  EXPECT_EQ(window_.SelectedFolder() + "/", Path("photos/"));
}

// Every edit of the list can be undone and redone, and the list counts as unsaved exactly when
// it is not as it was saved.
TEST_F(MainWindowTest, EditsOfTheListAreUndoneAndRedone) {
  QAction& undo = Child<QAction>(window_, "undoAction");
  QAction& redo = Child<QAction>(window_, "redoAction");
  EXPECT_FALSE(undo.isEnabled());
  Drop({"a.jpg", "b.JPEG", "c.jpg"});
  EXPECT_EQ(undo.text(), "Rückgängig Bilder hinzufügen");
  undo.trigger();
  EXPECT_TRUE(Rows().isEmpty());
  EXPECT_FALSE(window_.HasUnsavedChanges());
  redo.trigger();
  EXPECT_EQ(Rows(), (QStringList{"a.jpg", "b.JPEG", "c.jpg"}));
  dialogs_.save_files = {Path("liste.csv")};
  ASSERT_TRUE(window_.SaveImageList());

  // Removing, moving and sorting.
  SelectRows({0, 2});
  QTest::keyClick(&List(), Qt::Key_Delete);
  EXPECT_EQ(Rows(), (QStringList{"b.JPEG"}));
  EXPECT_TRUE(window_.HasUnsavedChanges());
  undo.trigger();
  EXPECT_EQ(Rows(), (QStringList{"a.jpg", "b.JPEG", "c.jpg"}));
  EXPECT_FALSE(window_.HasUnsavedChanges());  // as saved
  SelectRow(2);
  Button("moveUpButton").click();
  Button("sortByNameButton").click();
  EXPECT_EQ(Rows(), (QStringList{"a.jpg", "b.JPEG", "c.jpg"}));
  undo.trigger();
  EXPECT_EQ(Rows(), (QStringList{"a.jpg", "c.jpg", "b.JPEG"}));
  undo.trigger();
  EXPECT_EQ(Rows(), (QStringList{"a.jpg", "b.JPEG", "c.jpg"}));

  // A property added, and a value typed letter by letter: two steps.
  SelectRows({0, 2});
  dialogs_.texts = {"Titel"};
  Editor().btnNeueEigenschaftClick();
  SelectDetail(0);
  QTest::keyClicks(&DetailEdit(), "Meer");
  EXPECT_EQ(window_.RecordList().Item(2).Details.ValueOf("Titel"), "Meer");
  EXPECT_EQ(undo.text(), "Rückgängig Wert von Titel");
  undo.trigger();
  EXPECT_EQ(window_.RecordList().Item(2).Details.ValueOf("Titel"), "");
  EXPECT_EQ(window_.RecordList().PropertyIndex("Titel"), 0);
  undo.trigger();
  EXPECT_EQ(window_.RecordList().PropertyIndex("Titel"), -1);
  EXPECT_FALSE(window_.HasUnsavedChanges());
  redo.trigger();
  redo.trigger();
  EXPECT_EQ(window_.RecordList().Item(0).Details.ValueOf("Titel"), "Meer");
  EXPECT_EQ(window_.RecordList().Item(1).Details.ValueOf("Titel"), "");

  // A photo removed, then a property removed: undone in turn, the photo comes back with its
  // value and the list's properties.
  SelectRow(0);
  QTest::keyClick(&List(), Qt::Key_Delete);
  SelectRow(0);
  SelectDetail(0);
  dialogs_.choices = {1};  // "bei allen Bildern"
  Editor().RemoveProperty();
  EXPECT_EQ(window_.RecordList().PropertyIndex("Titel"), -1);
  undo.trigger();
  undo.trigger();
  EXPECT_EQ(Rows(), (QStringList{"a.jpg", "b.JPEG", "c.jpg"}));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(window_.RecordList().Item(i).Details.Count(), 1) << i;
  EXPECT_EQ(window_.RecordList().Item(0).Details.ValueOf("Titel"), "Meer");
  EXPECT_EQ(window_.RecordList().Item(2).Details.ValueOf("Titel"), "Meer");

  // A new list starts with nothing to undo.
  dialogs_.answers = {TDialogs::TAnswer::kNo};
  window_.NewImageList();
  EXPECT_FALSE(undo.isEnabled());
}

}  // namespace
}  // namespace vistrel
