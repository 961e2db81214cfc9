#include "ui/caption_reader.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QSettings>
#include <QTest>
#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "image_fixtures.h"
#include "model/record.h"
#include "test_support.h"
#include "ui/fake_dialogs.h"
#include "ui/find_child.h"
#include "ui/main_window.h"
#include "ui/settings.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;

// A read function that gives each photo its path as title, and can be held at a gate.
struct FakeRead {
  std::mutex mutex;
  std::vector<std::string> paths;
  std::atomic<bool> open{true};
  TCaptionReader::TRead Function() {
    return [this](const std::string& path, TVTLValueList& captions) {
      while (!open) QThread::msleep(1);
      std::lock_guard lock(mutex);
      paths.push_back(path);
      captions.AddName("TITLE");
      captions.SetValueOf("TITLE", path);
    };
  }
};

TEST(CaptionReaderTest, ReadsInTheOrderAskedAndHandsBackInBatches) {
  FakeRead read;
  std::vector<std::string> titles;
  size_t largest_batch = 0;
  TCaptionReader reader(read.Function(), [&](std::vector<TPhotoCaptions>& batch) {
    largest_batch = std::max(largest_batch, batch.size());
    for (const TPhotoCaptions& photo : batch) {
      EXPECT_EQ(photo.captions->ValueOf("TITLE"), photo.directory + photo.file_name);
      titles.push_back(photo.file_name);
    }
  });
  read.open = false;
  const int count = static_cast<int>(TCaptionReader::kBatchSize) * 2 + 5;
  std::vector<std::string> asked;
  for (int i = 0; i < count; ++i) {
    asked.push_back(std::to_string(i) + ".jpg");
    reader.Request("/fotos/", asked.back());
  }
  EXPECT_EQ(reader.Pending(), count);
  read.open = true;
  ASSERT_TRUE(QTest::qWaitFor([&] { return reader.Pending() == 0; }, 10000));
  EXPECT_EQ(titles, asked);
  EXPECT_LE(largest_batch, TCaptionReader::kBatchSize);
}

TEST(CaptionReaderTest, ForgottenRequestsNeverArrive) {
  FakeRead read;
  std::vector<std::string> delivered;
  auto reader =
      std::make_unique<TCaptionReader>(read.Function(), [&](std::vector<TPhotoCaptions>& batch) {
        for (const TPhotoCaptions& photo : batch) delivered.push_back(photo.file_name);
      });
  read.open = false;
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) reader->Request("/alt/", name);
  reader->Forget();
  reader->Request("/neu/", "d.jpg");
  read.open = true;
  ASSERT_TRUE(QTest::qWaitFor([&] { return reader->Pending() == 0; }, 10000));
  // "a.jpg" may have been in work when the list changed; it is read but not handed over.
  EXPECT_EQ(delivered, std::vector<std::string>{"d.jpg"});

  // Going away with requests queued and one in work neither hangs nor delivers.
  read.open = false;
  for (const char* name : {"e.jpg", "f.jpg"}) reader->Request("/neu/", name);
  QThread::msleep(5);
  read.open = true;
  reader.reset();
  QCoreApplication::processEvents();
  EXPECT_EQ(delivered, std::vector<std::string>{"d.jpg"});
}

// An XMP sidecar as a catalogue writes it beside a photo.
std::string Sidecar(const std::string& title, const std::string& description) {
  return "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
         "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
         "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
         "<rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">"
         "<dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">" +
         title +
         "</rdf:li></rdf:Alt></dc:title><dc:description><rdf:Alt><rdf:li "
         "xml:lang=\"x-default\">" +
         description +
         "</rdf:li></rdf:Alt></dc:description></rdf:Description></rdf:RDF></x:xmpmeta>\n"
         "<?xpacket end=\"w\"?>";
}

class AdoptCaptionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) {
      WriteFile(dir_ / (std::string("fotos/") + name), MakeJpeg(32, 24));
      WriteFile(dir_ / (std::string("fotos/") + name + ".xmp"),
                Sidecar(std::string("Titel ") + name, std::string("Text ") + name));
    }
    WriteFile(dir_ / "fotos/ohne.jpg", MakeJpeg(32, 24));
  }
  void Add(const char* name) { window_.AddRecordToList(name, folder_); }
  // Waits until the captions of every photo added have been handled.
  void Settle() {
    ASSERT_TRUE(QTest::qWaitFor([&] { return window_.PendingCaptions() == 0; }, 10000));
    QCoreApplication::processEvents();
  }
  std::string Detail(int index, const char* name) {
    return window_.RecordList().Item(index).Details.ValueOf(name);
  }
  QAction& Setting() { return Child<QAction>(window_, "adoptCaptionsAction"); }

  TempDir dir_;
  std::string folder_ = dir_ / "fotos/";
  FakeDialogs dialogs_;
  bool fresh_settings_ = (QSettings().clear(), true);  // before the window reads them
  TVTLMainWin window_{dialogs_};
};

TEST_F(AdoptCaptionsTest, PhotosAddedBringTheirTitleAndDescription) {
  EXPECT_TRUE(Setting().isChecked());
  Add("a.jpg");
  Add("ohne.jpg");
  Settle();
  TVTLRecordList& list = window_.RecordList();
  EXPECT_GE(list.PropertyIndex("Titel"), 0);
  EXPECT_EQ(Detail(0, "Titel"), "Titel a.jpg");
  EXPECT_EQ(Detail(0, "Beschreibung"), "Text a.jpg");
  EXPECT_EQ(Detail(1, "Titel"), "");
  EXPECT_TRUE(window_.HasUnsavedChanges());
}

// The user's value is kept: typed before the captions arrive, and when the photo is added again.
TEST_F(AdoptCaptionsTest, WhatTheUserTypedIsNeverOverwritten) {
  Add("a.jpg");
  Settle();
  window_.RecordList().Item(0).Details.SetValueOf("Titel", "Mein Titel");
  Add("b.jpg");
  // Typed while the photo's captions are still being read: they arrive on the event loop only.
  window_.RecordList().Item(1).Details.SetValueOf("Beschreibung", "Getippt");
  Add("a.jpg");  // already in the list
  Settle();
  ASSERT_EQ(window_.RecordList().Count(), 2);
  EXPECT_EQ(Detail(0, "Titel"), "Mein Titel");
  EXPECT_EQ(Detail(1, "Titel"), "Titel b.jpg");
  EXPECT_EQ(Detail(1, "Beschreibung"), "Getippt");
}

TEST_F(AdoptCaptionsTest, TheSettingTurnsItOffAndIsKept) {
  Setting().trigger();
  EXPECT_FALSE(Setting().isChecked());
  EXPECT_FALSE(AdoptsPhotoCaptions());
  Add("a.jpg");
  Settle();
  EXPECT_LT(window_.RecordList().PropertyIndex("Titel"), 0);
  TVTLMainWin second(dialogs_);
  EXPECT_FALSE(Child<QAction>(second, "adoptCaptionsAction").isChecked());
}

// Every way of adding takes the captions: a file dropped, a folder dropped or added.
TEST_F(AdoptCaptionsTest, PhotosOfADroppedFileOrFolderBringTheirCaptionsToo) {
  const QString folder = QString::fromStdString(folder_);
  window_.DropPaths({folder + "b.jpg"});
  window_.DropPaths({folder});  // b.jpg is listed already; the sidecars are no photos
  Settle();
  ASSERT_EQ(window_.RecordList().Count(), 4);
  const char* const names[] = {"b.jpg", "a.jpg", "c.jpg", "ohne.jpg"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(window_.RecordList().Item(i).FileName(), names[i]);
    EXPECT_EQ(Detail(i, "Titel"), std::string("Titel ") + names[i]);
    EXPECT_EQ(Detail(i, "Beschreibung"), std::string("Text ") + names[i]);
  }
  EXPECT_EQ(Detail(3, "Titel"), "");
  EXPECT_TRUE(dialogs_.warnings.isEmpty()) << dialogs_.warnings.join("\n").toStdString();
}

// A photo removed, or a list replaced, before its captions arrive gets nothing.
TEST_F(AdoptCaptionsTest, CaptionsOfPhotosThatLeftTheListAreDropped) {
  Add("a.jpg");
  Add("b.jpg");
  std::unique_ptr<TVTLRecord> taken;
  window_.RecordList().Remove(window_.RecordList().Item(0), taken);
  window_.FillRecordListView();
  Settle();
  ASSERT_EQ(window_.RecordList().Count(), 1);
  EXPECT_EQ(Detail(0, "Titel"), "Titel b.jpg");
  EXPECT_EQ(taken->Details.ValueOf("Titel"), "");

  Add("c.jpg");
  dialogs_.answers.push_back(TDialogs::TAnswer::kNo);  // "Änderungen ... speichern?"
  window_.NewImageList();
  Settle();
  EXPECT_EQ(window_.RecordList().Count(), 0);
  EXPECT_LT(window_.RecordList().PropertyIndex("Titel"), 0);
}

}  // namespace
}  // namespace vistrel
