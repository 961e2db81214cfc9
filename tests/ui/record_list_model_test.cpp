#include "ui/record_list_model.h"

#include <gtest/gtest.h>

#include <QItemSelectionModel>
#include <QStringList>
#include <string>

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
    for (int index : order) names << QString::fromStdString(list_.Item(index).FileName);
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
  EXPECT_EQ(list_.Item(OrderByFileName(list_)[0]).Directory, "/a/");
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
  EXPECT_EQ(model.index(2, 1).data().toString(), "/p/");
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

}  // namespace
}  // namespace vistrel
