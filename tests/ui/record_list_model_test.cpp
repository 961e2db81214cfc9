#include "ui/record_list_model.h"

#include <gtest/gtest.h>

#include <QItemSelectionModel>
#include <QPixmap>
#include <QStringList>
#include <QTest>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>

#include "support/cancel_flag.h"
#include "support/logger.h"

namespace vistrel {
namespace {

using Order = std::vector<int>;

TEST(RecordOrderTest, MovingRowsUpAndDown) {
  const struct {
    int count;
    std::vector<int> rows;
    int step;
    Order expected;
  } cases[] = {
      {4, {2}, -1, {0, 2, 1, 3}},
      {4, {0}, -1, {0, 1, 2, 3}},  // the first row stays
      {4, {1, 2}, -1, {1, 2, 0, 3}},
      {4, {0, 2}, -1, {0, 2, 1, 3}},  // the first is held, the other moves
      {4, {0, 1, 3}, -1, {0, 1, 3, 2}},
      {4, {1}, +1, {0, 2, 1, 3}},
      {4, {3}, +1, {0, 1, 2, 3}},
      {4, {0, 1}, +1, {2, 0, 1, 3}},
      {4, {2, 3}, +1, {0, 1, 2, 3}},
      {4, {1, 3}, +1, {0, 2, 1, 3}},
      {3, {}, -1, {0, 1, 2}},
      {3, {5, -1}, +1, {0, 1, 2}},  // rows outside the list are ignored
  };
  for (const auto& c : cases) {
    std::string rows;
    for (int row : c.rows) rows += std::to_string(row) + " ";
    EXPECT_EQ(OrderMovingRows(c.count, c.rows, c.step), c.expected)
        << "rows " << rows << "step " << c.step;
  }
}

TEST(RecordOrderTest, DroppingRowsBeforeARow) {
  const struct {
    int count;
    std::vector<int> rows;
    int before;
    Order expected;
  } cases[] = {
      {4, {0}, 3, {1, 2, 0, 3}},
      {4, {0}, -1, {1, 2, 3, 0}},  // onto the empty space below the
                                   // rows
      {4, {3}, 0, {3, 0, 1, 2}},
      {4, {0, 2}, 4, {1, 3, 0, 2}},
      {4, {1, 3}, 0, {1, 3, 0, 2}},
      {4, {1, 2}, 2, {0, 1, 2, 3}},  // dropped onto themselves
      {4, {2, 1}, 1, {0, 1, 2, 3}},
  };
  for (const auto& c : cases) {
    std::string rows;
    for (int row : c.rows) rows += std::to_string(row) + " ";
    EXPECT_EQ(OrderDroppingRows(c.count, c.rows, c.before), c.expected)
        << "rows " << rows << "before " << c.before;
  }
}

class RecordListModelTest : public ::testing::Test {
 protected:
  void Add(const std::string& folder, const std::string& name, const std::string& taken = "") {
    auto record = std::make_unique<TVTLRecord>(folder, name, nullptr, log_);
    if (!taken.empty()) {
      record->Metadata.AddName("ExifDTOrig");
      record->Metadata.SetValueOf("ExifDTOrig", taken);
    }
    list_.Add(std::move(record));
  }
  QStringList Names(const Order& order) const {
    QStringList names;
    for (int index : order) names << QString::fromStdString(list_.Item(index).FileName());
    return names;
  }
  TLogger log_;
  TVTLRecordList list_;
};

TEST_F(RecordListModelTest, NamesSortAsPeopleReadThem) {
  for (const char* name :
       {"IMG_10.jpg", "img_9.jpg", "Übersicht.jpg", "Ufer.jpg", "a.jpg", "IMG_100.jpg", "Zoo.jpg"})
    Add("/p/", name);
  Add("/a/", "a.jpg");  // the same name in another folder: by folder
  EXPECT_EQ(Names(OrderByFileName(list_)),
            (QStringList{"a.jpg", "a.jpg", "img_9.jpg", "IMG_10.jpg", "IMG_100.jpg",
                         "Übersicht.jpg", "Ufer.jpg", "Zoo.jpg"}));
  EXPECT_EQ(list_.Item(OrderByFileName(list_)[0]).Directory(), "/a/");
}

TEST_F(RecordListModelTest, DatesTakenSortOldestFirstAndPhotosWithoutOneLast) {
  Add("/p/", "c.jpg", "2021:01:01 00:00:00");
  Add("/p/", "b.jpg");
  Add("/p/", "ohne Uhr.jpg", "0000:00:00 00:00:00");
  Add("/p/", "a.jpg", "2019:06:30 23:59:59");
  Add("/p/", "gleich.jpg", "2021:01:01 00:00:00");
  Add("/p/", "kaputt.jpg", "gestern");
  Add("/p/", "Monat 13.jpg", "2021:13:45 10:00:00");  // no real date, however it looks
  EXPECT_EQ(Names(OrderByDateTaken(list_)),
            (QStringList{"a.jpg", "c.jpg", "gleich.jpg", "b.jpg", "kaputt.jpg", "Monat 13.jpg",
                         "ohne Uhr.jpg"}));
}

TEST_F(RecordListModelTest, ReorderingKeepsTheSelectionWithItsRecords) {
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) Add("/p/", name);
  TRecordListModel model;
  model.SetList(&list_);
  QItemSelectionModel selection(&model);
  selection.setCurrentIndex(model.index(0, 0), QItemSelectionModel::NoUpdate);
  selection.select(model.index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
  EXPECT_TRUE(model.Reorder({1, 2, 0}));
  EXPECT_EQ(Names({0, 1, 2}), (QStringList{"b.jpg", "c.jpg", "a.jpg"}));
  EXPECT_EQ(selection.currentIndex().row(), 2);
  EXPECT_TRUE(selection.isRowSelected(2));
  EXPECT_FALSE(selection.isRowSelected(0));
  EXPECT_FALSE(model.Reorder({0, 0, 1}));
  EXPECT_FALSE(model.Reorder({0, 1, 2}));  // the order they have
  EXPECT_EQ(model.index(2, 0).data().toString(), "a.jpg");
  EXPECT_EQ(model.index(2, TRecordListModel::kFolderColumn).data().toString(), "/p/");
  // Removed rows leave the list, the rest keep their selection.
  model.Remove({0, 1});
  ASSERT_EQ(list_.Count(), 1);
  EXPECT_EQ(model.rowCount(), 1);
  EXPECT_TRUE(selection.isRowSelected(0));
}

TEST_F(RecordListModelTest, RemovingARowTakesThatRecordAlsoWhenAnotherHasItsName) {
  // A list file may name a photo twice, with different properties.
  Add("/p/", "a.jpg");
  Add("/p/", "a.jpg");
  list_.AddProperty("Titel");
  list_.Item(0).Details.SetValue(0, "erste");
  list_.Item(1).Details.SetValue(0, "zweite");
  TRecordListModel model;
  model.SetList(&list_);
  model.Remove({1});
  ASSERT_EQ(list_.Count(), 1);
  EXPECT_EQ(list_.Item(0).Details.Value(0), "erste");
}

TEST(SortByNameTest, FolderContentsComeInTheOrderPeopleReadNames) {
  QStringList names{"IMG_10.jpg", "img_9.jpg", "Übersicht.jpg", "Ufer.jpg", "a.jpg"};
  SortByName(names);
  EXPECT_EQ(names, (QStringList{"a.jpg", "img_9.jpg", "IMG_10.jpg", "Übersicht.jpg", "Ufer.jpg"}));
}

// Metadata as a fake reader gives it: a date taken and a title named after the file, nothing
// for "kaputt.jpg"; every call is counted.
struct FakeMetadata {
  TMetadataReader Reader() {
    return [this](const std::string& path, TVTLValueList& metadata, TVTLValueList& photo_data,
                  TVTLValueList& captions) {
      ++reads;
      if (path.ends_with("kaputt.jpg")) return;
      const std::string day = path.ends_with("b.jpg") ? "01" : "02";
      metadata.AddName("ExifDTOrig");
      (void)metadata.SetValueOf("ExifDTOrig", "2023:05:" + day + " 13:36:00");
      photo_data.AddName("DATE");
      (void)photo_data.SetValueOf("DATE", day + ".05.2023");
      photo_data.AddName("TIME");
      (void)photo_data.SetValueOf("TIME", "13:36");
      captions.AddName("TITLE");
      (void)captions.SetValueOf("TITLE", "Titel von " + path);
    };
  }
  std::atomic<int> reads = 0;
};

QImage FakeThumbnail(const QString&, int size, const TCancelFlag&) {
  return QImage(size, size / 2, QImage::Format_RGB32);
}

TEST_F(RecordListModelTest, DatesAndTitlesAreReadInTheBackgroundOncePerRecord) {
  for (const char* name : {"a.jpg", "b.jpg", "kaputt.jpg"}) Add("/p/", name);
  FakeMetadata fake;
  TRecordListModel model;
  model.SetList(&list_);
  model.ReadPhotos(fake.Reader(), FakeThumbnail, 32);
  EXPECT_EQ(model.index(0, TRecordListModel::kDateColumn).data().toString(), "");
  ASSERT_TRUE(QTest::qWaitFor([&] { return model.PendingMetadata() == 0; }, 5000));
  EXPECT_EQ(model.index(0, TRecordListModel::kDateColumn).data().toString(), "02.05.2023 13:36");
  EXPECT_EQ(model.index(1, TRecordListModel::kTitleColumn).data().toString(), "Titel von /p/b.jpg");
  EXPECT_EQ(model.index(2, TRecordListModel::kDateColumn).data().toString(), "");
  EXPECT_EQ(list_.Item(0).Metadata.ValueOf("ExifDTOrig"), "2023:05:02 13:36:00");
  // What was read is what sorting by date uses.
  EXPECT_EQ(Names(OrderByDateTaken(list_)), (QStringList{"b.jpg", "a.jpg", "kaputt.jpg"}));
  // The list's own title goes before the photo's, as in the gallery.
  list_.AddProperty("Titel");
  (void)list_.Item(1).Details.SetValueOf("Titel", "Am Hafen");
  EXPECT_EQ(model.index(1, TRecordListModel::kTitleColumn).data().toString(), "Am Hafen");
  EXPECT_EQ(model.index(0, TRecordListModel::kTitleColumn).data().toString(), "Titel von /p/a.jpg");

  // A record appended later is read; the others are not read again.
  Add("/p/", "d.jpg");
  model.Appended(3, 3);
  ASSERT_TRUE(QTest::qWaitFor([&] { return model.PendingMetadata() == 0; }, 5000));
  EXPECT_EQ(list_.Item(3).Captions.ValueOf("TITLE"), "Titel von /p/d.jpg");
  EXPECT_EQ(fake.reads, 4);

  // The pictures: a blank of the same size at first, the photo fitted into it once made.
  const QPixmap blank = model.index(0, 0).data(Qt::DecorationRole).value<QPixmap>();
  EXPECT_EQ(blank.size(), QSize(32, 32));
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        return model.index(0, 0)
                   .data(Qt::DecorationRole)
                   .value<QPixmap>()
                   .toImage()
                   .pixel(16, 16) != blank.toImage().pixel(16, 16);
      },
      5000));
}

TEST_F(RecordListModelTest, ARecordRemovedBeforeItsMetadataArrivesIsLeftAlone) {
  for (const char* name : {"a.jpg", "b.jpg"}) Add("/p/", name);
  std::mutex mutex;
  std::condition_variable opened;
  bool open = false;
  FakeMetadata fake;
  TRecordListModel model;
  model.SetList(&list_);
  model.ReadPhotos(
      [&](const std::string& path, TVTLValueList& metadata, TVTLValueList& photo_data,
          TVTLValueList& captions) {
        std::unique_lock lock(mutex);
        opened.wait(lock, [&] { return open; });
        fake.Reader()(path, metadata, photo_data, captions);
      },
      FakeThumbnail, 32);
  EXPECT_EQ(model.PendingMetadata(), 2);
  model.Remove({0});
  EXPECT_EQ(model.PendingMetadata(), 1);
  {
    std::lock_guard lock(mutex);
    open = true;
  }
  opened.notify_all();
  ASSERT_TRUE(QTest::qWaitFor([&] { return model.PendingMetadata() == 0; }, 5000));
  EXPECT_EQ(list_.Item(0).Captions.ValueOf("TITLE"), "Titel von /p/b.jpg");
  // A new list: nothing of the old one arrives in it.
  TVTLRecordList other;
  model.SetList(&other);
  EXPECT_EQ(model.PendingMetadata(), 0);
  model.SetList(nullptr);
}

}  // namespace
}  // namespace vistrel
