#include "model/record.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "support/logger.h"

namespace vistrel {
namespace {

// A metadata reader that remembers the paths it was asked for and gives a fixed size.
struct FakeReader {
  std::vector<std::string> paths;
  std::string width = "640";
  TMetadataReader Reader() {
    return
        [this](const std::string& path, TVTLValueList& metadata, TVTLValueList&, TVTLValueList&) {
          paths.push_back(path);
          metadata.AddName("Width");
          metadata.SetValueOf("Width", width);
          metadata.AddName("Height");
          metadata.SetValueOf("Height", "480");
        };
  }
};

class RecordTest : public ::testing::Test {
 protected:
  std::unique_ptr<TVTLRecord> Make(const std::string& dir, const std::string& name) {
    return std::make_unique<TVTLRecord>(dir, name, reader_.Reader(), log_);
  }
  FakeReader reader_;
  TLogger log_;
};

TEST_F(RecordTest, CreationReadsTheMetadataOfTheFile) {
  auto record = Make("/photos", "a.jpg");
  EXPECT_EQ(reader_.paths, std::vector<std::string>{"/photos/a.jpg"});
  EXPECT_EQ(record->FullPath(), "/photosa.jpg");  // plain concatenation
  EXPECT_EQ(record->Width(), 640);
  EXPECT_EQ(record->Height(), 480);
  EXPECT_EQ(record->Details.Count(), 0);
  EXPECT_EQ(record->VariantFiles, nullptr);
  EXPECT_EQ(record->PageFiles, nullptr);
}

TEST_F(RecordTest, WidthIsZeroWhenMissingOrNotANumber) {
  reader_.width = "wide";
  EXPECT_EQ(Make("/p/", "a.jpg")->Width(), 0);
  TLogger log;
  TVTLRecord bare("/p/", "b.jpg", nullptr, log);
  EXPECT_EQ(bare.Width(), 0);
  EXPECT_EQ(bare.Height(), 0);
}

TEST_F(RecordTest, AddGivesNewRecordsTheFirstRecordsPropertyNames) {
  TVTLRecordList list;
  list.Add(Make("/p/", "1.jpg"));
  EXPECT_EQ(list.Item(0).Details.Count(), 0);
  for (const char* name : {"Titel", "Ort", "Datum", "Notiz"}) list.AddProperty(name);
  list.Item(0).Details.SetValueOf("Titel", "See");
  EXPECT_EQ(list.Add(Make("/p/", "2.jpg")), 1);
  list.Add(Make("/p/", "3.jpg"));
  const TVTLValueList& third = list.Item(2).Details;
  ASSERT_EQ(third.Count(), 4);
  EXPECT_EQ(third.Names(), (TNamesList{"Titel", "Ort", "Datum", "Notiz"}));
  EXPECT_EQ(third.Value(0), "");
}

TEST_F(RecordTest, ContainsIgnoresLetterCaseOfFolderAndName) {
  TVTLRecordList list;
  list.Add(Make("/Fotos/Urlaub/", "IMG_1.JPG"));
  EXPECT_TRUE(list.Contains(*Make("/fotos/urlaub/", "img_1.jpg")));
  EXPECT_TRUE(list.Contains(*Make("/FOTOS/URLAUB/", "Img_1.Jpg")));
  EXPECT_FALSE(list.Contains(*Make("/fotos/urlaub", "img_1.jpg")));
  EXPECT_FALSE(list.Contains(*Make("/fotos/", "urlaub/img_1.jpg")));
  list.Add(Make("/Bilder/Größe/", "Ä.jpg"));
  EXPECT_TRUE(list.Contains(*Make("/bilder/grÖße/", "ä.JPG")));
}

TEST_F(RecordTest, RemoveTakesTheFirstMatchingRecordOut) {
  TVTLRecordList list;
  list.Add(Make("/p/", "a.jpg"));
  list.Add(Make("/p/", "b.jpg"));
  list.Add(Make("/p/", "B.JPG"));
  std::unique_ptr<TVTLRecord> taken;
  EXPECT_EQ(list.Remove(*Make("/P/", "b.jpg"), taken), 1);
  ASSERT_NE(taken, nullptr);
  EXPECT_EQ(taken->FileName(), "b.jpg");
  EXPECT_EQ(list.Count(), 2);
  EXPECT_TRUE(list.Contains(*Make("/p/", "b.jpg")));  // the second one is still there
  EXPECT_EQ(list.Remove(list.Item(1), taken), 1);     // removing a listed record itself
  EXPECT_FALSE(list.Contains(*Make("/p/", "b.jpg")));
  taken.reset();
  EXPECT_EQ(list.Remove(*Make("/p/", "zzz.jpg"), taken), -1);
  EXPECT_EQ(taken, nullptr);
  EXPECT_EQ(list.Count(), 1);
}

TEST_F(RecordTest, RemoveAtTakesTheRecordAtItsIndexEvenAmongRecordsOfOneName) {
  // A list file may name one photo twice, with different properties.
  TVTLRecordList list;
  list.Add(Make("/p/", "a.jpg"));
  list.Add(Make("/p/", "a.jpg"));
  list.AddProperty("Titel");
  list.Item(0).Details.SetValue(0, "erste");
  list.Item(1).Details.SetValue(0, "zweite");
  const std::unique_ptr<TVTLRecord> second = list.RemoveAt(1);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->Details.Value(0), "zweite");
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Item(0).Details.Value(0), "erste");
  // The one left is still found by its name, and goes when it is taken out too.
  EXPECT_TRUE(list.Contains("/p/", "a.jpg"));
  EXPECT_NE(list.RemoveAt(0), nullptr);
  EXPECT_FALSE(list.Contains("/p/", "a.jpg"));
  EXPECT_THROW(list.RemoveAt(0), std::out_of_range);
}

TEST_F(RecordTest, ARecordTakenOutGoesBackAsItWasAndIsFoundAgain) {
  TVTLRecordList list;
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) list.Add(Make("/p/", name));
  list.AddProperty("Titel");
  (void)list.Item(1).Details.SetValue(0, "Mitte");
  EXPECT_TRUE(list.Contains("/p/", "a.jpg"));  // the index exists from here on
  std::unique_ptr<TVTLRecord> middle = list.RemoveAt(1);
  list.InsertAt(1, std::move(middle));
  EXPECT_EQ(list.Item(1).FileName(), "b.jpg");
  EXPECT_EQ(list.Item(1).Details.ValueOf("Titel"), "Mitte");
  EXPECT_TRUE(list.Contains("/p/", "B.JPG"));
  EXPECT_THROW(list.InsertAt(5, Make("/p/", "d.jpg")), std::out_of_range);

  // A list emptied and given another record meanwhile takes the old records' names back.
  std::vector<std::unique_ptr<TVTLRecord>> taken;
  while (list.Count() > 0) taken.push_back(list.RemoveAt(list.Count() - 1));
  list.Add(Make("/p/", "fremd.jpg"));
  std::unique_ptr<TVTLRecord> stranger = list.RemoveAt(0);
  for (int i = 0; i < 3; ++i) list.InsertAt(i, std::move(taken[static_cast<size_t>(2 - i)]));
  list.AddProperty("Ort");
  EXPECT_EQ(list.PropertyIndex("Ort"), 1);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(list.Item(i).Details.Count(), 2) << i;
}

TEST_F(RecordTest, SavedPropertiesArePutBackIntoTheRecordsOfTheList) {
  TVTLRecordList list;
  for (const char* name : {"a.jpg", "b.jpg"}) list.Add(Make("/p/", name));
  list.AddProperty("Titel");
  (void)list.Item(0).Details.SetValue(0, "Meer");
  list.Item(1).SetHasDetail("Titel", false);
  const TPropertyState before = list.SaveProperties();

  list.AddProperty("Ort");
  (void)list.Item(1).Details.SetValueOf("Ort", "Bern");
  list.Item(1).SetHasDetail("Titel", true);
  ASSERT_TRUE(list.RemoveProperty("Titel"));
  const TPropertyState after = list.SaveProperties();

  list.RestoreProperties(before);
  EXPECT_EQ(list.PropertyIndex("Ort"), -1);
  EXPECT_EQ(list.Item(0).Details.Count(), 1);
  EXPECT_EQ(list.Item(0).Details.ValueOf("Titel"), "Meer");
  EXPECT_FALSE(list.Item(1).HasDetail("Titel"));
  list.RestoreProperties(after);
  EXPECT_EQ(list.PropertyIndex("Titel"), -1);
  EXPECT_EQ(list.Item(1).Details.ValueOf("Ort"), "Bern");
  EXPECT_TRUE(list.Item(1).HasDetail("Ort"));
  // The names stay shared: a property added now reaches every record.
  list.AddProperty("Jahr");
  EXPECT_EQ(list.Item(0).Details.Count(), 2);
  EXPECT_EQ(list.Item(1).Details.Count(), 2);
}

// The index behind Contains() is made on the first look-up (a list file is read without
// one): records taken out before it and records added after it are found exactly when they
// are in the list.
TEST_F(RecordTest, ContainsIsRightBeforeAndAfterTheFirstLookUp) {
  TVTLRecordList list;
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) list.Add(Make("/p/", name));
  EXPECT_NE(list.RemoveAt(1), nullptr);  // before any look-up
  EXPECT_FALSE(list.Contains("/p/", "b.jpg"));
  EXPECT_TRUE(list.Contains("/P/", "A.jpg"));
  EXPECT_TRUE(list.Contains("/p/", "c.jpg"));
  list.Add(Make("/p/", "d.jpg"));  // after it
  EXPECT_TRUE(list.Contains("/p/", "d.jpg"));
  EXPECT_NE(list.RemoveAt(0), nullptr);
  EXPECT_FALSE(list.Contains("/p/", "a.jpg"));
  std::unique_ptr<TVTLRecord> taken;
  EXPECT_EQ(list.Remove(*Make("/p/", "D.JPG"), taken), 1);
  EXPECT_FALSE(list.Contains("/p/", "d.jpg"));
  EXPECT_EQ(list.Count(), 1);
}

TEST_F(RecordTest, ManyImagesAreAddedWithoutDuplicates) {
  TVTLRecordList list;
  for (int i = 0; i < 20000; ++i) {
    auto record = Make("/p/", "img" + std::to_string(i % 10000) + ".jpg");
    if (!list.Contains(*record)) list.Add(std::move(record));
  }
  EXPECT_EQ(list.Count(), 10000);
}

TEST(RecordListTest, TheRecordsOfAListShareOnePropertyNamesList) {
  TLogger log;
  TVTLRecordList list;
  for (const char* name : {"a.jpg", "b.jpg"})
    list.Add(std::make_unique<TVTLRecord>("/p/", name, nullptr, log));
  list.AddProperty(std::string(10000, 'T'));
  list.Add(std::make_unique<TVTLRecord>("/p/", "c.jpg", nullptr, log));
  list.AddProperty("Ort");
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(list.Item(i).Details.NamesList(), list.Item(0).Details.NamesList()) << i;
    EXPECT_EQ(list.Item(i).Details.Count(), 2) << i;
    EXPECT_EQ(list.Item(i).Details.Name(1), "Ort");
  }
  // Values stay each record's own.
  list.Item(1).Details.SetValueOf("Ort", "Bern");
  EXPECT_EQ(list.Item(0).Details.ValueOf("Ort"), "");
  EXPECT_EQ(list.Item(1).Details.ValueOf("ort"), "Bern");
  // With the first record gone, the others keep the names.
  std::unique_ptr<TVTLRecord> taken;
  EXPECT_EQ(list.Remove(list.Item(0), taken), 0);
  list.AddProperty("Datum");
  EXPECT_EQ(list.Item(1).Details.Name(2), "Datum");
  EXPECT_EQ(list.Item(1).Details.Count(), 3);
}

TEST(RecordListTest, PropertiesAreRenamedAndRemovedInEveryRecordWithTheirValues) {
  TLogger log;
  TVTLRecordList list;
  for (const char* name : {"a.jpg", "b.jpg"})
    list.Add(std::make_unique<TVTLRecord>("/p/", name, nullptr, log));
  for (const char* property : {"Titel", "Ort", "Datum"}) list.AddProperty(property);
  // A record that brings properties of its own keeps its own names list.
  auto own = std::make_unique<TVTLRecord>("/p/", "c.jpg", nullptr, log);
  own->Details.AddName("Kamera");
  own->Details.SetValueOf("Kamera", "X100");
  list.Add(std::move(own));
  list.Item(0).Details.SetValueOf("Ort", "Bern");  // values stored up to "Ort" only
  list.Item(1).Details.SetValueOf("Datum", "Mai");
  list.Item(2).Details.SetValueOf("Ort", "Genf");

  EXPECT_TRUE(list.RenameProperty("ORT", "Stadt"));
  EXPECT_FALSE(list.RenameProperty("Stadt", "titel"));  // taken by another property
  EXPECT_FALSE(list.RenameProperty("Stadt", ""));
  EXPECT_FALSE(list.RenameProperty("Land", "Staat"));
  EXPECT_TRUE(list.RenameProperty("datum", "DATUM"));  // letter case only
  EXPECT_EQ(list.Item(0).Details.Names(), (TNamesList{"Titel", "Stadt", "DATUM"}));
  EXPECT_EQ(list.Item(2).Details.Names(), (TNamesList{"Kamera", "Titel", "Stadt", "DATUM"}));
  EXPECT_EQ(list.Item(0).Details.ValueOf("Stadt"), "Bern");
  EXPECT_EQ(list.Item(2).Details.ValueOf("Stadt"), "Genf");

  EXPECT_TRUE(list.RemoveProperty("titel"));
  EXPECT_FALSE(list.RemoveProperty("Titel"));
  EXPECT_EQ(list.PropertyIndex("Stadt"), 0);
  EXPECT_EQ(list.Item(1).Details.Names(), (TNamesList{"Stadt", "DATUM"}));
  EXPECT_EQ(list.Item(2).Details.Names(), (TNamesList{"Kamera", "Stadt", "DATUM"}));
  EXPECT_EQ(list.Item(0).Details.Value(0), "Bern");
  EXPECT_EQ(list.Item(0).Details.Value(1), "");
  EXPECT_EQ(list.Item(1).Details.Value(1), "Mai");
  EXPECT_EQ(list.Item(2).Details.ValueOf("Kamera"), "X100");
  EXPECT_EQ(list.Item(2).Details.ValueOf("Stadt"), "Genf");
  // A property added afterwards reaches every record once.
  list.AddProperty("Motiv");
  EXPECT_EQ(list.Item(1).Details.Names(), (TNamesList{"Stadt", "DATUM", "Motiv"}));
}

// A property taken from some images only stays with the others; once no image has it, it
// leaves the list. Renaming or removing it for all carries that along.
TEST(RecordListTest, APropertyTakenFromSomeRecordsStaysWithTheOthersUntilNoneHasIt) {
  TLogger log;
  TVTLRecordList list;
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
    list.Add(std::make_unique<TVTLRecord>("/p/", name, nullptr, log));
  list.AddProperty("Ort");
  list.AddProperty("Titel");
  for (int i = 0; i < 3; ++i) list.Item(i).Details.SetValueOf("Ort", "Bern");

  EXPECT_FALSE(list.RemovePropertyFrom({&list.Item(0)}, "Land"));
  EXPECT_TRUE(list.RemovePropertyFrom({&list.Item(0), &list.Item(2)}, "ort"));
  EXPECT_FALSE(list.Item(0).HasDetail("Ort"));
  EXPECT_TRUE(list.Item(1).HasDetail("Ort"));
  EXPECT_FALSE(list.Item(2).HasDetail("Ort"));
  EXPECT_EQ(list.Item(0).Details.ValueOf("Ort"), "");
  EXPECT_EQ(list.Item(1).Details.ValueOf("Ort"), "Bern");
  EXPECT_TRUE(list.Item(0).HasDetail("Titel"));

  // Renamed for all: the records without it stay without it under its new name.
  EXPECT_TRUE(list.RenameProperty("Ort", "Stadt"));
  EXPECT_FALSE(list.Item(0).HasDetail("Stadt"));
  EXPECT_TRUE(list.Item(0).HasDetail("Ort"));  // no such property now: nothing taken
  EXPECT_TRUE(list.Item(1).HasDetail("Stadt"));

  // The last record that has it: the property leaves the list.
  EXPECT_TRUE(list.RemovePropertyFrom({&list.Item(1)}, "Stadt"));
  EXPECT_EQ(list.PropertyIndex("Stadt"), -1);
  EXPECT_EQ(list.Item(0).Details.Names(), (TNamesList{"Titel"}));
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(list.Item(i).AbsentDetails.empty()) << i;
  // Made again later, every record has it.
  list.AddProperty("Stadt");
  EXPECT_TRUE(list.Item(2).HasDetail("Stadt"));
}

// Renaming for some images moves their values to the new name; one image that has a value
// under both names stops it all, so no value is ever overwritten.
TEST(RecordListTest, ValuesOfSomeRecordsMoveToAnotherPropertyWithoutOverwriting) {
  TLogger log;
  TVTLRecordList list;
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
    list.Add(std::make_unique<TVTLRecord>("/p/", name, nullptr, log));
  list.AddProperty("Ort");
  list.Item(0).Details.SetValueOf("Ort", "Bern");
  list.Item(1).Details.SetValueOf("Ort", "Genf");
  list.Item(2).Details.SetValueOf("Ort", "Chur");
  const TVTLRecord* blocking = &list.Item(0);

  // A new name: the chosen records have it with their values, and no longer the old one; the
  // other record keeps the old one and does not get the new one.
  EXPECT_TRUE(list.MovePropertyValues({&list.Item(0), &list.Item(1)}, "ort", "Stadt", blocking));
  EXPECT_EQ(blocking, nullptr);
  EXPECT_EQ(list.Item(2).Details.Names(), (TNamesList{"Ort", "Stadt"}));
  EXPECT_EQ(list.Item(0).Details.ValueOf("Stadt"), "Bern");
  EXPECT_EQ(list.Item(0).Details.ValueOf("Ort"), "");
  EXPECT_EQ(list.Item(2).Details.ValueOf("Ort"), "Chur");
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(list.Item(i).HasDetail("Stadt"), i < 2) << i;
    EXPECT_EQ(list.Item(i).HasDetail("ORT"), i == 2) << i;
  }

  // An existing name where one chosen record has a value under both: nothing moves.
  list.Item(1).Details.SetValueOf("Ort", "Thun");
  EXPECT_FALSE(list.MovePropertyValues({&list.Item(2), &list.Item(1)}, "Ort", "Stadt", blocking));
  EXPECT_EQ(blocking, &list.Item(1));
  EXPECT_EQ(list.Item(2).Details.ValueOf("Ort"), "Chur");
  EXPECT_EQ(list.Item(2).Details.ValueOf("Stadt"), "");
  // Without it, the value joins the others under the existing name.
  EXPECT_TRUE(list.MovePropertyValues({&list.Item(2)}, "Ort", "stadt", blocking));
  EXPECT_EQ(list.Item(2).Details.ValueOf("Stadt"), "Chur");
  // The same name in other letters, or none, is no move.
  EXPECT_FALSE(list.MovePropertyValues({&list.Item(1)}, "Ort", "ORT", blocking));
  EXPECT_FALSE(list.MovePropertyValues({&list.Item(1)}, "Ort", "", blocking));
  EXPECT_EQ(blocking, nullptr);
  EXPECT_EQ(list.Item(1).Details.ValueOf("Ort"), "Thun");
}

TEST(RecordListTest, ReorderTakesOnlyAWholePermutation) {
  TLogger log;
  TVTLRecordList list;
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
    list.Add(std::make_unique<TVTLRecord>("/p/", name, nullptr, log));
  auto names = [&] {
    std::string joined;
    for (int i = 0; i < list.Count(); ++i) joined += list.Item(i).FileName() + " ";
    return joined;
  };
  EXPECT_TRUE(list.Reorder({2, 0, 1}));
  EXPECT_EQ(names(), "c.jpg a.jpg b.jpg ");
  for (const std::vector<int>& bad :
       {std::vector<int>{0, 1}, std::vector<int>{0, 0, 1}, std::vector<int>{0, 1, 3}})
    EXPECT_FALSE(list.Reorder(bad));
  EXPECT_EQ(names(), "c.jpg a.jpg b.jpg ");
  EXPECT_TRUE(list.Contains("/P/", "B.JPG"));
  std::unique_ptr<TVTLRecord> taken;
  EXPECT_EQ(list.Remove(list.Item(2), taken), 2);
}

}  // namespace
}  // namespace vistrel
