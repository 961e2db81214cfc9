#include "ui/fram_empty.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>
#include <memory>
#include <vector>

namespace vistrel {
namespace {

// An area in a window of a given height, with rows of 30 pixels.
class FramEmptyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto* layout = new QVBoxLayout(&window_);
    layout->addWidget(area_);
    layout->addStretch();
  }
  QWidget* AddRow(int width, bool stretched) {
    auto* row = new QLabel("Zeile", area_->Content());
    row->setFixedHeight(30);
    row->setMinimumWidth(width);
    area_->AddRow(row, stretched);
    return row;
  }

  QWidget window_;
  TframEmpty* area_ = new TframEmpty(&window_);
};

TEST_F(FramEmptyTest, IsAsHighAsItsRowsAndScrollsWhenTheyDoNotFit) {
  std::vector<std::unique_ptr<QWidget>> rows;
  for (int i = 0; i < 3; ++i) rows.emplace_back(AddRow(200, false));
  area_->FitContent();
  const int three_rows = area_->maximumHeight();
  EXPECT_GE(three_rows, 3 * 30 + 2 * 4);
  EXPECT_LE(area_->minimumHeight(), 64);
  EXPECT_GE(area_->minimumWidth(), 200);  // never cut at the side
  for (int i = 0; i < 20; ++i) rows.emplace_back(AddRow(200, false));
  area_->FitContent();
  EXPECT_GE(area_->maximumHeight(), 23 * 30);
  EXPECT_EQ(area_->minimumHeight(), 64);
  EXPECT_LE(area_->sizeHint().height(), 240);

  // In a window too low for its rows, it scrolls.
  window_.resize(400, 300);
  window_.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
  EXPECT_LT(area_->height(), 23 * 30);
  EXPECT_GT(area_->verticalScrollBar()->maximum(), 0);
  EXPECT_EQ(area_->horizontalScrollBar()->maximum(), 0);

  // Rows that go leave the area; it shrinks with them.
  rows.resize(2);
  area_->FitContent();
  EXPECT_LT(area_->maximumHeight(), three_rows);
}

TEST_F(FramEmptyTest, StretchedRowsSpanItsWidthOthersKeepTheirOwn) {
  QWidget* fixed = AddRow(150, false);
  QWidget* stretched = AddRow(150, true);
  area_->FitContent();
  window_.resize(500, 300);
  window_.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
  EXPECT_EQ(fixed->x(), stretched->x());
  EXPECT_LT(fixed->width(), stretched->width());
  EXPECT_GE(stretched->geometry().right(), area_->viewport()->width() - 4 - 1 - 1);
  EXPECT_GT(fixed->y(), -1);
  EXPECT_GT(stretched->y(), fixed->geometry().bottom());
}

}  // namespace
}  // namespace vistrel
