#include "csv/record_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/disk.h"
#include "support/logger.h"
#include "support/user_messages.h"
#include "test_support.h"

namespace vistrel {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

class RecordFileTest : public ::testing::Test {
 protected:
  std::unique_ptr<TVTLRecord> Make(const std::string& dir, const std::string& name) {
    return std::make_unique<TVTLRecord>(dir, name, reader_, log_);
  }
  bool Load(TVTLRecordList& list, const std::string& contents) {
    WriteFile(dir_ / "list.csv", contents);
    return file_.LoadRecordList(SystemDisk(), list, dir_ / "list.csv", reader_, log_, messages_);
  }
  TMetadataReader reader_ = [this](const std::string& path, TVTLValueList&, TVTLValueList&,
                                   TVTLValueList&) { read_paths_.push_back(path); };
  std::vector<std::string> read_paths_;
  TLogger log_;
  RecordedMessages messages_;
  TCSVVTLRecordFile file_;
  TempDir dir_;
};

TEST_F(RecordFileTest, SavedListLoadsBackWithImagesPropertiesAndValues) {
  TVTLRecordList list;
  list.Add(Make("/fotos/", "IMG_0001.JPG"));
  list.AddProperty("Titel");
  list.AddProperty("Ort");
  list.Add(Make("/fotos/andere/", "b;c.jpg"));
  list.Add(Make("/fotos/", "x.jpg"));
  list.Item(0).Details.SetValue(0, "Am See");
  list.Item(1).Details.SetValue(0, "Er sagte \"Hallo\"; dann ging er");
  list.Item(1).Details.SetValue(1, "  München  ");
  list.Item(2).Details.SetValue(1, "\"");
  ASSERT_TRUE(file_.SaveRecordList(SystemDisk(), list, dir_ / "saved.csv", messages_));
  const std::string start =
      "\"Dateiname\";\"Pfad\";\"Titel\";\"Ort\";\r\n\"IMG_0001.JPG\";\"/fotos/\";\"Am "
      "See\";\"\";\r\n";
  EXPECT_EQ(ReadFile(dir_ / "saved.csv").substr(0, start.size()), start);

  TVTLRecordList loaded;
  ASSERT_TRUE(
      file_.LoadRecordList(SystemDisk(), loaded, dir_ / "saved.csv", reader_, log_, messages_));
  ASSERT_EQ(loaded.Count(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(loaded.Item(i).FileName(), list.Item(i).FileName());
    EXPECT_EQ(loaded.Item(i).Directory(), list.Item(i).Directory());
    EXPECT_EQ(loaded.Item(i).Details.Names(), (TNamesList{"Titel", "Ort"}));
    for (int k = 0; k < 2; ++k)
      EXPECT_EQ(loaded.Item(i).Details.Value(k), list.Item(i).Details.Value(k));
  }
  // Loading reads each image's metadata anew.
  EXPECT_EQ(read_paths_.back(), "/fotos/x.jpg");
  EXPECT_TRUE(messages_.errors.empty());
}

TEST_F(RecordFileTest, EmptyListWritesOnlyTheFixedHeader) {
  TVTLRecordList list;
  ASSERT_TRUE(file_.SaveRecordList(SystemDisk(), list, dir_ / "e.csv", messages_));
  EXPECT_EQ(ReadFile(dir_ / "e.csv"), "\"Dateiname\";\"Pfad\";\r\n");
}

TEST_F(RecordFileTest, FailedSaveKeepsTheOldFileAndSaysSo) {
  TVTLRecordList list;
  list.Add(Make("/p/", "a.jpg"));
  const std::string target = dir_ / "missing-folder/list.csv";
  EXPECT_FALSE(file_.SaveRecordList(SystemDisk(), list, target, messages_));
  EXPECT_EQ(messages_.errors,
            std::vector<std::string>{"Die Datei " + target + " konnte nicht gespeichert werden!"});

  WriteFile(dir_ / "old.csv", "old contents");
  ASSERT_EQ(::mkdir((dir_ / "old.csv.dir").c_str(), 0700), 0);
  if (::geteuid() != 0) {
    ASSERT_EQ(::chmod(dir_.Path().c_str(), 0500), 0);
    EXPECT_FALSE(file_.SaveRecordList(SystemDisk(), list, dir_ / "old.csv", messages_));
    ::chmod(dir_.Path().c_str(), 0700);
    EXPECT_EQ(ReadFile(dir_ / "old.csv"), "old contents");
  }
  // Saving over a folder fails as a whole and leaves nothing behind.
  EXPECT_FALSE(file_.SaveRecordList(SystemDisk(), list, dir_ / "old.csv.dir", messages_));
  EXPECT_EQ(testing::ListFolder(dir_.Path()), (std::vector<std::string>{"old.csv", "old.csv.dir"}));
}

TEST_F(RecordFileTest, HeaderOfTheTwoFixedColumnsLoadsImagesWithoutProperties) {
  TVTLRecordList list;
  ASSERT_TRUE(
      Load(list, "\"Dateiname\";\"Pfad\";\r\n\"a.jpg\";\"/p/\";\r\n\"a.jpg\";\"/p/\";\r\n"));
  ASSERT_EQ(list.Count(), 2);  // the same image twice gives two records
  EXPECT_EQ(list.Item(1).Details.Count(), 0);
}

TEST_F(RecordFileTest, OnlyAHeaderLoadsNothingAndSucceeds) {
  TVTLRecordList list;
  EXPECT_TRUE(Load(list, "Dateiname;Pfad;Titel\n"));
  EXPECT_EQ(list.Count(), 0);
}

TEST_F(RecordFileTest, UnknownHeadersAreRefused) {
  for (const char* header :
       {"Pfad;Dateiname\n", "dateiname;Pfad\n", "Dateiname\n", "", "Dateiname;Pfad \n"}) {
    messages_.errors.clear();
    TVTLRecordList list;
    const bool trailing_blank = std::string(header) == "Dateiname;Pfad \n";
    // The last field of a line loses its trailing blanks, so that header is known.
    EXPECT_EQ(Load(list, header), trailing_blank) << header;
    if (!trailing_blank) {
      EXPECT_EQ(messages_.errors,
                std::vector<std::string>{
                    "Die angegebene CSV-Datei enthält keine dem Programm bekannten Überschriften!"})
          << header;
    }
  }
}

TEST_F(RecordFileTest, BadLineStopsWithTheMessageKeepingEarlierImages) {
  TVTLRecordList list;
  EXPECT_FALSE(Load(list, "Dateiname;Pfad;Titel\na.jpg;/p/;x\nb.jpg;/p/\nc.jpg;/p/;z\n"));
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Item(0).Details.ValueOf("Titel"), "x");
  EXPECT_EQ(messages_.errors, std::vector<std::string>{"Die angegebene CSV-Datei ist ungültig!"});
  messages_.errors.clear();
  TVTLRecordList malformed;
  EXPECT_FALSE(Load(malformed, "\"Dateiname\" x;Pfad\n"));
  EXPECT_EQ(messages_.errors, std::vector<std::string>{"Die angegebene CSV-Datei ist ungültig!"});
}

TEST_F(RecordFileTest, UnreadableFileFailsSilently) {
  TVTLRecordList list;
  EXPECT_FALSE(
      file_.LoadRecordList(SystemDisk(), list, dir_ / "none.csv", reader_, log_, messages_));
  EXPECT_TRUE(messages_.errors.empty());
}

}  // namespace
}  // namespace vistrel
