#include "csv/csv_file.h"

#include <gtest/gtest.h>

#include "model/value_list.h"
#include "support/disk.h"
#include "support/user_messages.h"
#include "test_support.h"

namespace vistrel {
namespace {

using testing::TempDir;
using testing::WriteFile;
using Fields = std::vector<std::string>;

TEST(CsvSplitLineTest, ReadsEverySampleLineOfTheDialect) {
  struct Case {
    std::string line;
    Fields fields;
  } cases[] = {
      {R"("a";"b";)", {"a", "b"}},
      {"a;b", {"a", "b"}},
      {"a;;b", {"a", "", "b"}},
      {"a;;", {"a", ""}},
      {";", {""}},
      {"", {}},
      {"   \t", {}},
      {R"("x""y")", {"x\"y"}},
      {R"("""")", {"\""}},
      {R"("")", {""}},
      {R"("a;b";c)", {"a;b", "c"}},
      {" a ; b ", {"a ", "b"}},
      {R"("abc;def)", {"\"abc", "def"}},
      {R"( "  keep  " ; x)", {"  keep  ", "x"}},
      {R"("a";"";"c";)", {"a", "", "c"}},
  };
  TCSVBase csv;
  for (const auto& c : cases) {
    Fields fields{"stale"};
    EXPECT_TRUE(csv.SplitLine(c.line, fields)) << "line: «" << c.line << "»";
    EXPECT_EQ(fields, c.fields) << "line: «" << c.line << "»";
  }
}

TEST(CsvSplitLineTest, TextAfterAClosingQuoteIsMalformed) {
  TCSVBase csv;
  Fields fields;
  for (const char* line : {R"("ab" x;c)", R"("a"b";c)", R"(x;"a""b)"})
    EXPECT_FALSE(csv.SplitLine(line, fields)) << "line: «" << line << "»";
}

TEST(CsvQuoteFieldTest, QuotesEveryFieldAndDoublesQuotes) {
  TCSVBase csv;
  EXPECT_EQ(csv.QuoteField("plain"), R"("plain")");
  EXPECT_EQ(csv.QuoteField(R"(say "hi")"), R"("say ""hi""")");
  EXPECT_EQ(csv.QuoteField(""), R"("")");
}

TEST(CsvQuoteFieldTest, QuotedFieldsSplitBackToTheSameText) {
  TCSVBase csv;
  const Fields originals{"a;b", "\"", "", " spaced ", "x\"\"y", "ümlaut;\"", ";"};
  std::string line;
  for (const auto& f : originals) line += csv.QuoteField(f) + csv.Separator;
  Fields fields;
  ASSERT_TRUE(csv.SplitLine(line, fields));
  EXPECT_EQ(fields, originals);
}

class CsvFileTest : public ::testing::Test {
 protected:
  bool Load(const std::string& contents) {
    const std::string path = dir_ / "table.csv";
    WriteFile(path, contents);
    TCSVFile file(table_);
    return file.LoadFromFile(SystemDisk(), path, messages_);
  }
  TempDir dir_;
  TVTL2dValueList table_;
  RecordedMessages messages_;
};

TEST_F(CsvFileTest, LoadsHeaderAndRows) {
  ASSERT_TRUE(
      Load("\"NAME\";\"DESCRIPTION\";\r\n\"thumb\";\"Vorschau; klein\";\r\n\"big\";\"\";\r\n"));
  EXPECT_EQ(*table_.Columns(), (TNamesList{"NAME", "DESCRIPTION"}));
  ASSERT_EQ(table_.Count(), 2);
  EXPECT_EQ(table_.Row(0).ValueOf("description"), "Vorschau; klein");
  EXPECT_EQ(table_.Row(1).Value(0), "big");
  EXPECT_TRUE(messages_.errors.empty());
}

TEST_F(CsvFileTest, CrLfAndLfFilesLoadAlike) {
  const std::string lf = "A;B\nx;y\n\"1\";\"2\"\n";
  std::string crlf;
  for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  TVTL2dValueList from_crlf;
  ASSERT_TRUE(Load(lf));
  {
    WriteFile(dir_ / "crlf.csv", crlf);
    TCSVFile file(from_crlf);
    ASSERT_TRUE(file.LoadFromFile(SystemDisk(), dir_ / "crlf.csv", messages_));
  }
  ASSERT_EQ(from_crlf.Count(), table_.Count());
  EXPECT_EQ(*from_crlf.Columns(), *table_.Columns());
  for (int r = 0; r < table_.Count(); ++r)
    for (int c = 0; c < table_.ColumnCount(); ++c)
      EXPECT_EQ(from_crlf.Row(r).Value(c), table_.Row(r).Value(c));
}

TEST_F(CsvFileTest, WrongFieldCountStopsWithTheMessageAndKeepsEarlierRows) {
  EXPECT_FALSE(Load("A;B;C\n1;2;3\n4;5\n7;8;9\n"));
  EXPECT_EQ(messages_.errors, Fields{"Die CSV-Datei " + (dir_ / "table.csv") + " ist ungültig!"});
  ASSERT_EQ(table_.Count(), 1);
  EXPECT_EQ(table_.Row(0).Value(2), "3");
}

TEST_F(CsvFileTest, AnEmptyLastLineMakesTheFileInvalid) {
  EXPECT_FALSE(Load("A;B\n1;2\n\n"));
  EXPECT_EQ(messages_.errors.size(), 1u);
  EXPECT_EQ(table_.Count(), 1);
}

TEST_F(CsvFileTest, MalformedHeaderIsReported) {
  EXPECT_FALSE(Load("\"A\" x;B\n"));
  EXPECT_EQ(messages_.errors.size(), 1u);
  EXPECT_EQ(table_.ColumnCount(), 0);
}

TEST_F(CsvFileTest, CtrlZEndsTheInput) {
  EXPECT_TRUE(
      Load("A;B\n1;2\n\x1A"
           "garbage;;;\n"));
  EXPECT_EQ(table_.Count(), 1);
}

TEST_F(CsvFileTest, EmptyFileGivesNoColumnsAndNoRows) {
  EXPECT_TRUE(Load(""));
  EXPECT_EQ(table_.ColumnCount(), 0);
  EXPECT_EQ(table_.Count(), 0);
}

TEST_F(CsvFileTest, UnreadableFileFailsWithoutAMessage) {
  TCSVFile file(table_);
  EXPECT_FALSE(file.LoadFromFile(SystemDisk(), dir_ / "missing.csv", messages_));
  EXPECT_FALSE(file.LoadFromFile(SystemDisk(), dir_.Path(), messages_));
  EXPECT_TRUE(messages_.errors.empty());
}

TEST_F(CsvFileTest, VeryLongLinesAreReadWhole) {
  const std::string big(3 * 1024 * 1024, 'x');
  ASSERT_TRUE(Load("A\n\"" + big + "\"\n"));
  EXPECT_EQ(table_.Row(0).Value(0).size(), big.size());
}

}  // namespace
}  // namespace vistrel
