#include "model/caption_properties.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "model/record.h"
#include "model/value_list.h"
#include "support/logger.h"

namespace vistrel {
namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

Entries EntriesOf(const TVTLValueList& list) {
  Entries entries;
  for (int i = 0; i < list.Count(); ++i) entries.emplace_back(list.Name(i), list.Value(i));
  return entries;
}

class CaptionPropertiesTest : public ::testing::Test {
 protected:
  // Appends a photo without metadata to the list and returns it.
  TVTLRecord& Add(const std::string& name) {
    const int index = list_.Add(std::make_unique<TVTLRecord>("/fotos/", name, nullptr, log_));
    return list_.Item(index);
  }
  static void Set(TVTLValueList& list, const Entries& entries) {
    for (const auto& [name, value] : entries) {
      list.AddName(name);
      list.SetValueOf(name, value);
    }
  }

  TLogger log_;
  TVTLRecordList list_;
};

// Each row: the list's properties before, the record's values there, the photo's captions, and
// what the record holds afterwards.
TEST_F(CaptionPropertiesTest, EmptyPropertiesTakeThePhotosTitleAndDescription) {
  struct Case {
    const char* what;
    std::vector<std::string> properties;
    Entries typed;
    Entries captions;
    Entries expected;
    bool list_changed;
    bool record_changed;
  };
  const Case cases[] = {
      {"a new list gains both",
       {},
       {},
       {{"TITLE", "Abend"}, {"DESCRIPTION", "Die Sonne sinkt."}, {"RATING", "4"}},
       {{"Titel", "Abend"}, {"Beschreibung", "Die Sonne sinkt."}},
       true,
       true},
      {"the list's own spelling and order are kept",
       {"Ort", "beschreibung", "TITEL"},
       {{"Ort", "Bern"}},
       {{"TITLE", "Abend"}, {"DESCRIPTION", "Text"}},
       {{"Ort", "Bern"}, {"beschreibung", "Text"}, {"TITEL", "Abend"}},
       false,
       true},
      {"what the user typed stays",
       {"Titel", "Beschreibung"},
       {{"Titel", "Mein Titel"}},
       {{"TITLE", "Abend"}, {"DESCRIPTION", "Text"}},
       {{"Titel", "Mein Titel"}, {"Beschreibung", "Text"}},
       false,
       true},
      {"a caption the photo lacks adds no property",
       {},
       {},
       {{"DESCRIPTION", "Nur Text"}, {"KEYWORDS", "See"}},
       {{"Beschreibung", "Nur Text"}},
       true,
       true},
      {"no captions, no change", {"Titel"}, {}, {}, {{"Titel", ""}}, false, false},
      {"all typed, no change",
       {"Titel", "Beschreibung"},
       {{"Titel", "A"}, {"Beschreibung", "B"}},
       {{"TITLE", "Abend"}, {"DESCRIPTION", "Text"}},
       {{"Titel", "A"}, {"Beschreibung", "B"}},
       false,
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TVTLRecordList list;
    const int index = list.Add(std::make_unique<TVTLRecord>("/f/", "a.jpg", nullptr, log_));
    TVTLRecord& record = list.Item(index);
    for (const std::string& property : c.properties) list.AddProperty(property);
    for (const auto& [name, value] : c.typed) record.Details.SetValueOf(name, value);
    TVTLValueList captions;
    Set(captions, c.captions);
    const TCaptionAdoption adoption = AdoptPhotoCaptions(list, record, captions);
    EXPECT_EQ(EntriesOf(record.Details), c.expected);
    EXPECT_EQ(adoption.list_changed, c.list_changed);
    EXPECT_EQ(adoption.record_changed, c.record_changed);
  }
}

// The other photos of the list get the new property empty; a photo that had the property taken
// away gets it back with the caption, since there was nothing of the user's in it.
TEST_F(CaptionPropertiesTest, OtherPhotosKeepTheirValuesAndAnAbsentPropertyComesBack) {
  TVTLRecord& first = Add("a.jpg");
  TVTLRecord& second = Add("b.jpg");
  list_.AddProperty("Beschreibung");
  first.Details.SetValueOf("Beschreibung", "Von Hand");
  ASSERT_TRUE(list_.RemovePropertyFrom({&second}, "Beschreibung"));
  ASSERT_FALSE(second.HasDetail("Beschreibung"));

  TVTLValueList captions;
  Set(captions, {{"TITLE", "Hafen"}, {"DESCRIPTION", "Boote"}});
  const TCaptionAdoption adoption = AdoptPhotoCaptions(list_, second, captions);
  EXPECT_TRUE(adoption.record_changed);
  EXPECT_TRUE(adoption.list_changed);
  EXPECT_TRUE(second.HasDetail("Beschreibung"));
  EXPECT_EQ(EntriesOf(second.Details), (Entries{{"Beschreibung", "Boote"}, {"Titel", "Hafen"}}));
  EXPECT_EQ(EntriesOf(first.Details), (Entries{{"Beschreibung", "Von Hand"}, {"Titel", ""}}));
  // Again, as when the same captions arrive twice: nothing changes.
  EXPECT_FALSE(AdoptPhotoCaptions(list_, second, captions).record_changed);
}

TEST_F(CaptionPropertiesTest, FindLooksPhotosUpIgnoringCase) {
  TVTLRecord& photo = Add("Bild.JPG");
  EXPECT_EQ(list_.Find("/FOTOS/", "bild.jpg"), &photo);
  EXPECT_EQ(list_.Find("/fotos/", "other.jpg"), nullptr);
  std::unique_ptr<TVTLRecord> taken;
  list_.Remove(photo, taken);
  EXPECT_EQ(list_.Find("/fotos/", "Bild.JPG"), nullptr);
}

}  // namespace
}  // namespace vistrel
