#include "ui/property_list_model.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QStringList>
#include <string>
#include <vector>

#include "support/logger.h"

namespace vistrel {
namespace {

// Three images with the properties "Titel" and "Ort".
class PropertyListModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
      list_.Add(std::make_unique<TVTLRecord>("/p/", name, nullptr, log_));
    list_.AddProperty("Titel");
    list_.AddProperty("Ort");
    const char* values[][2] = {{"Meer", "Kiel"}, {"Meer", "Husum"}, {"Berg", ""}};
    for (int i = 0; i < 3; ++i)
      for (int property = 0; property < 2; ++property)
        list_.Item(i).Details.SetValue(property, values[i][property]);
  }
  TVTLRecord* Record(int index) { return &list_.Item(index); }
  QStringList Lines(int role = Qt::DisplayRole) const {
    QStringList lines;
    for (int row = 0; row < model_.rowCount(); ++row)
      lines << model_.index(row).data(role).toString();
    return lines;
  }

  TLogger log_;
  TVTLRecordList list_;
  TPropertyListModel model_;
};

TEST_F(PropertyListModelTest, LinesShowTheCommonValueOrThatTheValuesDiffer) {
  const struct {
    int shown;  // -1 for none
    std::vector<int> selected;
    QStringList lines;
    QStringList edited;  // what the edit field starts with
  } cases[] = {
      {-1, {}, {}, {}},
      {0, {}, {"Titel: Meer", "Ort: Kiel"}, {"Meer", "Kiel"}},
      {0, {0}, {"Titel: Meer", "Ort: Kiel"}, {"Meer", "Kiel"}},
      {1, {0, 1}, {"Titel: Meer", "Ort: (verschiedene Werte)"}, {"Meer", ""}},
      {2, {0, 1, 2}, {"Titel: (verschiedene Werte)", "Ort: (verschiedene Werte)"}, {"", ""}},
      {2, {2}, {"Titel: Berg", "Ort: "}, {"Berg", ""}},
  };
  for (const auto& c : cases) {
    std::vector<TVTLRecord*> selected;
    for (int index : c.selected) selected.push_back(Record(index));
    model_.Show(c.shown < 0 ? nullptr : Record(c.shown), selected);
    EXPECT_EQ(Lines(), c.lines) << "shown " << c.shown << ", " << c.selected.size() << " selected";
    EXPECT_EQ(Lines(Qt::EditRole), c.edited) << "shown " << c.shown;
  }
}

TEST_F(PropertyListModelTest, AValueSetIsGivenToEverySelectedImageAndItsLineFollows) {
  model_.Show(Record(0), {Record(0), Record(2)});
  QSignalSpy changed(&model_, &QAbstractItemModel::dataChanged);
  model_.SetValue(1, "Föhr");
  EXPECT_EQ(Record(0)->Details.ValueOf("Ort"), "Föhr");
  EXPECT_EQ(Record(1)->Details.ValueOf("Ort"), "Husum");  // not selected
  EXPECT_EQ(Record(2)->Details.ValueOf("Ort"), "Föhr");
  ASSERT_EQ(changed.size(), 1);
  EXPECT_EQ(changed[0][0].toModelIndex().row(), 1);
  EXPECT_EQ(Lines(), (QStringList{"Titel: (verschiedene Werte)", "Ort: Föhr"}));

  // Rows that are no property, and no image shown, change nothing.
  model_.SetValue(2, "x");
  model_.SetValue(-1, "x");
  model_.Show(nullptr, {Record(1)});
  model_.SetValue(0, "x");
  EXPECT_EQ(changed.size(), 1);
  EXPECT_EQ(Record(1)->Details.ValueOf("Titel"), "Meer");
  EXPECT_TRUE(model_.Selected().empty());
}

TEST_F(PropertyListModelTest, RefreshShowsPropertiesAddedRenamedOrRemoved) {
  model_.Show(Record(1), {Record(1)});
  list_.AddProperty("Motiv");
  ASSERT_TRUE(list_.RenameProperty("Titel", "Name"));
  model_.Refresh();
  EXPECT_EQ(Lines(), (QStringList{"Name: Meer", "Ort: Husum", "Motiv: "}));
  EXPECT_EQ(model_.Name(2), "Motiv");
  ASSERT_TRUE(list_.RemoveProperty("Ort"));
  model_.Refresh();
  EXPECT_EQ(Lines(), (QStringList{"Name: Meer", "Motiv: "}));
  EXPECT_EQ(model_.Name(5), "");
}

}  // namespace
}  // namespace vistrel
