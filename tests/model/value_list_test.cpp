#include "model/value_list.h"

#include <gtest/gtest.h>

#include "model/gallery_properties.h"

namespace vistrel {
namespace {

TEST(ValueListTest, ListOnSharedNamesStartsWithOneEmptyValuePerName) {
  auto names = std::make_shared<TNamesList>(TNamesList{"a", "b", "c"});
  TVTLValueList list(names);
  EXPECT_FALSE(list.OwnsNames());
  ASSERT_EQ(list.Count(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(list.Value(i), "");
  EXPECT_EQ(list.Name(2), "c");
}

TEST(ValueListTest, LookupTakesFirstOfNamesDifferingInCase) {
  TVTLValueList list;
  list.AddName("Width");
  list.AddName("WIDTH");
  list.SetValue(0, "640");
  list.SetValue(1, "999");
  EXPECT_EQ(list.ValueOf("width"), "640");
  EXPECT_TRUE(list.SetValueOf("wIdTh", "800"));
  EXPECT_EQ(list.Value(0), "800");
  EXPECT_EQ(list.Value(1), "999");
  EXPECT_EQ(list.ValueOf("Höhe"), "");
}

TEST(ValueListTest, LookupFoldsUmlauts) {
  TVTLValueList list;
  list.AddName("Größe");
  list.SetValueOf("GRÖßE", "gross");
  EXPECT_EQ(list.ValueOf("größe"), "gross");
}

TEST(ValueListTest, SetValueOfUnknownNameChangesNothing) {
  TVTLValueList list;
  list.AddName("a");
  EXPECT_FALSE(list.SetValueOf("b", "x"));
  EXPECT_EQ(list.Count(), 1);
}

TEST(ValueListTest, AddNameNeverChecksForDuplicates) {
  TVTLValueList list;
  list.AddName("x");
  list.AddName("x");
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Name(1), "x");
}

TEST(ValueListTest, IndexOutsideTheListThrows) {
  TVTLValueList list;
  list.AddName("a");
  EXPECT_THROW(list.Value(1), std::out_of_range);
  EXPECT_THROW(list.Name(-1), std::out_of_range);
  EXPECT_THROW(list.SetValue(5, "x"), std::out_of_range);
}

TEST(ValueListTableTest, AddColumnExtendsEveryRow) {
  TVTL2dValueList table;
  table.AddColumn("A");
  for (int i = 0; i < 3; ++i) table.AppendRow().SetValue(0, std::to_string(i));
  table.AddColumn("B");
  EXPECT_EQ(table.ColumnCount(), 2);
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(table.Row(i).Count(), 2);
    EXPECT_EQ(table.Row(i).Value(0), std::to_string(i));
    EXPECT_EQ(table.Row(i).Value(1), "");
    EXPECT_EQ(table.Row(i).ValueOf("b"), "");
  }
}

TEST(ValueListTableTest, AddRowAcceptsOnlyRowsOnItsOwnColumnList) {
  TVTL2dValueList table;
  TVTL2dValueList other;
  for (auto* t : {&table, &other}) {
    t->AddColumn("NAME");
    t->AddColumn("VALUE");
  }
  auto foreign = std::make_unique<TVTLValueList>(other.Columns());
  EXPECT_EQ(table.AddRow(std::move(foreign)), -1);
  ASSERT_NE(foreign, nullptr);  // a refused row stays with the caller
  auto own_names = std::make_unique<TVTLValueList>();
  own_names->AddName("NAME");
  EXPECT_EQ(table.AddRow(std::move(own_names)), -1);

  auto row = std::make_unique<TVTLValueList>(table.Columns());
  row->SetValue(1, "v");
  EXPECT_EQ(table.AddRow(std::move(row)), 0);
  EXPECT_EQ(table.Row(0).ValueOf("value"), "v");
  EXPECT_EQ(table.Count(), 1);
}

TEST(ValueListTableTest, ColumnsOutliveTheTableWhileARowUsesThem) {
  std::unique_ptr<TVTLValueList> row;
  {
    TVTL2dValueList table;
    table.AddColumn("X");
    row = std::make_unique<TVTLValueList>(table.Columns());
  }
  EXPECT_EQ(row->Name(0), "X");
}

TEST(GalleryPropertiesTest, NewSettingsHoldNothing) {
  TVTLGalleryProperties settings;
  EXPECT_TRUE(settings.RequiredValues.empty());
  EXPECT_TRUE(settings.ImageVariants.empty());
  EXPECT_EQ(settings.HTMLPatterns, nullptr);
  EXPECT_FALSE(settings.CopyOriginals);
}

TEST(GalleryPropertiesTest, ReleasingTheSettingsLeavesTheBorrowedPatternTable) {
  TVTL2dValueList patterns;
  patterns.AddColumn("FILENAME");
  patterns.AppendRow().SetValue(0, "index.html");
  {
    TVTLGalleryProperties settings;
    settings.HTMLPatterns = &patterns;
  }
  EXPECT_EQ(patterns.Row(0).Value(0), "index.html");
}

TEST(ValueListTest, ListsWithEqualOwnNamesKeepThemOnceUntilOneChanges) {
  TVTLValueList a, b, c;
  for (TVTLValueList* list : {&a, &b}) {
    list->AddName("Width");
    list->AddName("Height");
  }
  c.AddName("Width");
  EXPECT_TRUE(b.ShareEqualNames(a.NamesStorage()));
  EXPECT_FALSE(c.ShareEqualNames(a.NamesStorage()));
  EXPECT_EQ(a.NamesList(), b.NamesList());
  EXPECT_TRUE(b.OwnsNames());
  b.AddName("Orientation");  // b's names are copied first
  EXPECT_NE(a.NamesList(), b.NamesList());
  EXPECT_EQ(a.Count(), 2);
  EXPECT_EQ(b.Name(2), "Orientation");
}

}  // namespace
}  // namespace vistrel
