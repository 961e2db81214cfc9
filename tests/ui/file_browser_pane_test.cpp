#include "ui/file_browser_pane.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QListView>
#include <QPixmap>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <cstdio>

#include "image_fixtures.h"
#include "test_support.h"
#include "ui/file_list_filter.h"
#include "ui/find_child.h"
#include "ui/thumbnail_delegate.h"
#include "ui/thumbnail_loader.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;

// The pane over folders of the test; what it hands on is collected in `added_`.
class FileBrowserPaneTest : public ::testing::Test {
 protected:
  QString Path(const std::string& relative) const {
    return QString::fromStdString(dir_ / relative);
  }
  // The names the file list shows once it has read `folder`, in list order.
  QStringList Listed(QAbstractItemView& view, int expected) {
    QAbstractItemModel* model = view.model();
    // The folder is read in the background; the list shows it once it has been read.
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return model->rowCount(view.rootIndex()) == expected; }, 5000))
        << model->rowCount(view.rootIndex()) << " rows in «"
        << view.rootIndex().data(QFileSystemModel::FilePathRole).toString().toStdString() << "»";
    QStringList names;
    for (int i = 0; i < model->rowCount(view.rootIndex()); ++i)
      names << model->index(i, 0, view.rootIndex()).data().toString();
    return names;
  }
  QTreeView& Files() const { return Child<QTreeView>(pane_, "ShellListView1"); }

  TempDir dir_;
  bool fresh_settings_ = (QSettings().clear(), true);  // before the pane reads them
  QList<QStringList> added_;
  TFileBrowserPane pane_{[this](const QStringList& paths) { added_ << paths; }};
};

TEST_F(FileBrowserPaneTest, TheFileListShowsOnlyJpegFilesAndHandsOnTheSelectedOnesInListOrder) {
  for (const char* name : {"c.jpg", "a.jpg", "b.JPEG"})
    WriteFile(dir_ / (std::string("photos/") + name), MakeJpeg(64, 48));
  WriteFile(dir_ / "photos/notes.txt", "x");
  WriteFile(dir_ / "photos/picture.png", "x");
  WriteFile(dir_ / "photos/folder.jpg/inside.jpg", MakeJpeg(8, 8));
  pane_.SelectFolder(Path("photos"));
  EXPECT_EQ(Listed(Files(), 3), (QStringList{"a.jpg", "b.JPEG", "c.jpg"}));
  EXPECT_EQ(pane_.SelectedFolder(), Path("photos"));

  Child<QPushButton>(pane_, "Button1").click();  // nothing selected: nothing handed on
  EXPECT_TRUE(added_.isEmpty());
  Files().selectAll();
  Child<QPushButton>(pane_, "Button1").click();
  const QStringList all{Path("photos/a.jpg"), Path("photos/b.JPEG"), Path("photos/c.jpg")};
  EXPECT_EQ(added_, (QList<QStringList>{all}));
  // A double-click on an entry adds the selection too.
  emit Files().doubleClicked(Files().model()->index(0, 0, Files().rootIndex()));
  EXPECT_EQ(added_.size(), 2);
  EXPECT_TRUE(pane_.IsFileView(&Files()));
  EXPECT_TRUE(pane_.IsFileView(&Child<QListView>(pane_, "thumbnailView")));
  EXPECT_FALSE(pane_.IsFileView(&pane_));
  EXPECT_FALSE(pane_.IsFileView(nullptr));
}

// The thumbnails select an entry's name only, not its whole row: clicks there must reach the
// button, a double-click and a drag (which hands on the selection as the button does) alike.
TEST_F(FileBrowserPaneTest, EntriesClickedInTheThumbnailsAreHandedOnLikeThoseOfTheDetails) {
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
    WriteFile(dir_ / (std::string("photos/") + name), MakeJpeg(64, 48));
  pane_.resize(400, 600);
  pane_.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&pane_));
  pane_.ShowThumbnails(true);
  pane_.SelectFolder(Path("photos"));
  QListView& view = Child<QListView>(pane_, "thumbnailView");
  ASSERT_EQ(Listed(view, 3), (QStringList{"a.jpg", "b.jpg", "c.jpg"}));
  auto centre = [&](int row) {
    return view.visualRect(view.model()->index(row, 0, view.rootIndex())).center();
  };
  // c, then b with Ctrl: handed on in list order.
  QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, centre(2));
  QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ControlModifier, centre(1));
  EXPECT_EQ(pane_.SelectedFiles(), (QStringList{Path("photos/b.jpg"), Path("photos/c.jpg")}));
  Child<QPushButton>(pane_, "Button1").click();
  // A double-click: the press of its first click selects the entry, the second adds it.
  QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, centre(0));
  QTest::mouseDClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, centre(0));
  EXPECT_EQ(added_, (QList<QStringList>{{Path("photos/b.jpg"), Path("photos/c.jpg")},
                                        {Path("photos/a.jpg")}}));
}

TEST_F(FileBrowserPaneTest, OpensAtTheFolderLookedAtLastElseAtThePictures) {
  ScopedEnv home("HOME", dir_ / "home");
  ASSERT_TRUE(QDir().mkpath(Path("home/Pictures")));
  ASSERT_TRUE(QDir().mkpath(Path("photos")));
  QSettings().clear();
  TFileBrowserPane first({});
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return first.SelectedFolder() == Path("home/Pictures"); }, 5000));
  first.SelectFolder(Path("photos"));
  TFileBrowserPane next({});
  EXPECT_TRUE(QTest::qWaitFor([&] { return next.SelectedFolder() == Path("photos"); }, 5000))
      << next.SelectedFolder().toStdString();
}

TEST_F(FileBrowserPaneTest, TheFileListShowsSizesAndDatesTheGermanWay) {
  // Files of known sizes, changed at a known time; they begin as JPEGs do, so they are listed.
  const struct {
    const char* name;
    size_t bytes;
    QString size;
  } files[] = {{"eins.jpg", 4, "4 Bytes"},
               {"klein.jpg", 812, "812 Bytes"},
               {"mittel.jpg", 36270, "35,4 kB"}};
  const QDateTime changed(QDate(2022, 11, 3), QTime(9, 5));
  for (const auto& file : files) {
    WriteFile(dir_ / (std::string("groessen/") + file.name),
              "\xFF\xD8\xFF" + std::string(file.bytes - 3, 'x'));
    QFile written(Path(std::string("groessen/") + file.name));
    ASSERT_TRUE(written.open(QIODevice::ReadWrite));
    ASSERT_TRUE(written.setFileTime(changed, QFileDevice::FileModificationTime));
  }

  pane_.SelectFolder(Path("groessen"));
  ASSERT_EQ(Listed(Files(), 3).size(), 3);
  QAbstractItemModel* model = Files().model();
  auto root = [this] { return Files().rootIndex(); };
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
TEST_F(FileBrowserPaneTest, ThumbnailsOfTheEntriesInViewFillInAsTheyAreMade) {
  const std::string photo = MakeJpeg(96, 64);
  for (int i = 0; i < 1000; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "viele/foto%04d.jpg", i);
    WriteFile(dir_ / name, photo);
  }
  pane_.resize(185, 600);  // the main window's left column
  pane_.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&pane_));
  Child<QToolButton>(pane_, "thumbnailsButton").click();
  EXPECT_TRUE(pane_.ShowsThumbnails());
  pane_.SelectFolder(Path("viele"));
  QListView& view = Child<QListView>(pane_, "thumbnailView");
  QAbstractItemModel* model = view.model();
  auto root = [&] { return view.rootIndex(); };
  ASSERT_TRUE(QTest::qWaitFor([&] { return model->rowCount(root()) == 1000; }, 10000));
  auto thumbnail = [&](int row) {
    const QVariant decoration = model->index(row, 0, root()).data(Qt::DecorationRole);
    return decoration.typeId() == QMetaType::QPixmap ? decoration.value<QPixmap>() : QPixmap();
  };
  ASSERT_TRUE(QTest::qWaitFor([&] { return !thumbnail(0).isNull(); }, 10000))
      << model->index(0, 0, root()).data(Qt::DecorationRole).typeName() << " | "
      << pane_.Thumbnails().Rendered() << " made; view " << view.isVisible() << " "
      << view.size().width() << "x" << view.size().height();
  EXPECT_EQ(thumbnail(0).size(), QSize(kThumbnailSize, kThumbnailSize * 2 / 3));
  // Each item has room for a whole thumbnail and its name, also one whose picture came late.
  const QRect item = view.visualRect(model->index(0, 0, root()));
  EXPECT_GE(item.height(), kThumbnailSize + pane_.fontMetrics().height()) << item.height();
  // Once the pictures asked for are made, no more are asked for: only those in view were.
  ASSERT_TRUE(QTest::qWaitFor([&] { return pane_.Thumbnails().Pending() == 0; }, 10000));
  EXPECT_LT(pane_.Thumbnails().Rendered(), 200);
  EXPECT_TRUE(thumbnail(999).isNull());  // far out of view: not made
  // The choice is kept for the next start.
  TFileBrowserPane next({});
  EXPECT_TRUE(next.ShowsThumbnails());
  Child<QToolButton>(next, "detailsButton").click();
  EXPECT_FALSE(TFileBrowserPane({}).ShowsThumbnails());
}

}  // namespace
}  // namespace vistrel
