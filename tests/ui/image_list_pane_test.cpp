#include "ui/image_list_pane.h"

#include <gtest/gtest.h>

#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include "support/logger.h"
#include "ui/find_child.h"
#include "ui/record_list_model.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;

// The pane over a list of the test; its notifications are counted.
class ImageListPaneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pane_.SetList(&list_);
    pane_.SetOnSelectionChanged([this] {
      ++selection_changes_;
      shown_at_change_ = pane_.ShownRecord();
      count_at_change_ = list_.Count();
    });
    pane_.SetOnListChanged([this] { ++list_changes_; });
  }
  void Add(const char* name) {
    pane_.Appended(list_.Add(std::make_unique<TVTLRecord>("/p/", name, nullptr, log_)));
  }
  QTreeView& Table() { return Child<QTreeView>(pane_, "lvRecordList"); }
  bool Enabled(const char* button) { return Child<QPushButton>(pane_, button).isEnabled(); }

  TLogger log_;
  TVTLRecordList list_;
  TImageListPane pane_;
  int selection_changes_ = 0;
  int list_changes_ = 0;
  TVTLRecord* shown_at_change_ = nullptr;
  int count_at_change_ = -1;
};

TEST_F(ImageListPaneTest, TheOrderButtonsAreEnabledWhenTheyCanDoSomething) {
  Add("b.jpg");
  EXPECT_FALSE(Enabled("moveUpButton"));
  EXPECT_FALSE(Enabled("sortByNameButton"));  // one image: nothing to sort
  Add("a.jpg");
  EXPECT_TRUE(Enabled("sortByNameButton"));
  EXPECT_TRUE(Enabled("sortByDateButton"));
  EXPECT_FALSE(Enabled("moveDownButton"));
  pane_.SelectRows({1});
  EXPECT_TRUE(Enabled("moveUpButton"));
  EXPECT_TRUE(Enabled("moveDownButton"));
}

TEST_F(ImageListPaneTest, OnlyChangesOfTheOrderAreReported) {
  for (const char* name : {"b.jpg", "a.jpg", "c.jpg"}) Add(name);
  pane_.SortByFileName();
  EXPECT_EQ(list_changes_, 1);
  pane_.SortByFileName();         // sorted already
  pane_.MoveSelectedRecords(-1);  // nothing selected
  pane_.SelectRows({0});
  pane_.MoveSelectedRecords(-1);  // the first stays
  EXPECT_EQ(list_changes_, 1);
  pane_.MoveSelectedRecords(+1);
  EXPECT_EQ(list_changes_, 2);
  EXPECT_EQ(list_.Item(1).FileName(), "a.jpg");
  EXPECT_EQ(pane_.ShownRecord(), &list_.Item(1));  // the selection went with its image
}

TEST_F(ImageListPaneTest, TheImageShownIsTheOneLastClickedWhileItIsSelected) {
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) Add(name);
  EXPECT_EQ(pane_.ShownRecord(), nullptr);
  pane_.SelectRows({2, 0});
  EXPECT_EQ(pane_.ShownRecord(), &list_.Item(2));
  EXPECT_EQ(pane_.SelectedRecords(), (std::vector<TVTLRecord*>{&list_.Item(0), &list_.Item(2)}));
  Table().selectionModel()->select(Table().model()->index(2, 0),
                                   QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
  EXPECT_EQ(pane_.ShownRecord(), &list_.Item(0));  // the current row is no longer selected
}

// Whoever shows the selected images hears of the deletion while they still exist.
TEST_F(ImageListPaneTest, DeletingTellsOfTheEmptySelectionBeforeTheImagesAreReleased) {
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) Add(name);
  pane_.SelectRows({0, 1});
  selection_changes_ = 0;
  QTest::keyClick(&Table(), Qt::Key_Delete);
  ASSERT_EQ(list_.Count(), 1);
  ASSERT_GE(selection_changes_, 1);
  EXPECT_EQ(list_changes_, 1);
  // The last notification selects "c.jpg", which moved into the place of the first.
  EXPECT_EQ(pane_.ShownRecord(), &list_.Item(0));
  EXPECT_EQ(shown_at_change_, &list_.Item(0));
  EXPECT_EQ(selection_changes_, 2);

  // The first notification came with nothing selected and the images still in the list.
  pane_.SelectRows({0});
  selection_changes_ = 0;
  pane_.SetOnSelectionChanged([this] {
    if (++selection_changes_ == 1) {
      shown_at_change_ = pane_.ShownRecord();
      count_at_change_ = list_.Count();
    }
  });
  pane_.DeleteSelectedRecords();
  EXPECT_EQ(shown_at_change_, nullptr);
  EXPECT_EQ(count_at_change_, 1);
  EXPECT_EQ(list_.Count(), 0);
  EXPECT_EQ(selection_changes_, 1);  // nothing left to select
}

}  // namespace
}  // namespace vistrel
