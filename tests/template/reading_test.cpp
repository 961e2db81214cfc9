#include <gtest/gtest.h>

#include "support/disk.h"
#include "template/template_harness.h"

namespace vistrel {
namespace {

using testing::TemplateHarness;
using testing::WriteFile;

// The tree as text: a text block as T"lines joined by /", a section as S(name,count){...}, a
// counter reset as R.
std::string Describe(const TVtlPatternSection& section) {
  if (auto* text = dynamic_cast<const TVTLPatternStringSection*>(&section)) {
    std::string lines = text->Text;
    std::string shown;
    for (size_t i = 0; i < lines.size(); ++i) {
      if (lines.compare(i, 2, "\r\n") == 0) {
        shown += "/";
        ++i;
      } else {
        shown += lines[i];
      }
    }
    return "T\"" + shown + "\"";
  }
  if (auto* repeat = dynamic_cast<const TVTLPatternRepeatSection*>(&section)) {
    std::string result = "S(" + repeat->Name + "," + std::to_string(repeat->NumRepeat) + "){";
    for (size_t i = 0; i < repeat->Sections.size(); ++i)
      result += (i ? " " : "") + Describe(*repeat->Sections[i]);
    return result + "}";
  }
  return "R";
}

class ReadingTest : public ::testing::Test {
 protected:
  // Reads `contents` as a template; the tree, or "error" with the reports.
  std::string Read(const std::string& contents) {
    WriteFile(harness_.skin_dir + "t.html", contents);
    parser_ = std::make_unique<TVTLParser>(Context());
    parser_->RefreshVariables();
    reports_.clear();
    auto report = [this](int step, int, int, int, int, const std::string& message) {
      reports_.push_back(std::to_string(step) + "|" + message);
    };
    if (!parser_->ReadTemplate(harness_.skin_dir + "t.html", report)) return "error";
    return Describe(*parser_->Root());
  }
  TParserContext Context() {
    TParserContext context;
    context.records = ViewOf(harness_.records);
    context.properties = &harness_.properties;
    context.messages = &harness_.messages;
    context.disk = &SystemDisk();
    return context;
  }
  TemplateHarness harness_;
  std::unique_ptr<TVTLParser> parser_ = std::make_unique<TVTLParser>(Context());
  std::vector<std::string> reports_;
};

TEST_F(ReadingTest, TreesOfTheBasicForms) {
  struct Case {
    std::string contents, tree;
  } cases[] = {
      {"", "S(PatternFile,1){}"},
      {"<p>\n<b>\n", "S(PatternFile,1){T\"/<p>/<b>\"}"},
      {"a\n<!--[VTL] NEWSECTION NAME:row NUMREPEAT:3 -->\nb\n<!--[VTL] ENDSECTION -->\nc",
       "S(PatternFile,1){T\"/a\" S(row,3){T\"/b\"} T\"/c\"}"},
      // no comment opener needed
      {"[VTL] NEWSECTION NUMREPEAT:2\nb\n[VTL] ENDSECTION", "S(PatternFile,1){S(,2){T\"/b\"}}"},
      // an ENDSECTION right after NEWSECTION gives one empty text block
      {"[VTL] NEWSECTION NUMREPEAT:2\n[VTL] ENDSECTION", "S(PatternFile,1){S(,2){T\"\"}}"},
      // text between two sections is a block of its own
      {"[VTL] NEWSECTION NUMREPEAT:1\n[VTL] ENDSECTION\nmid\n[VTL] NEWSECTION NUMREPEAT:1\n"
       "[VTL] ENDSECTION",
       "S(PatternFile,1){S(,1){T\"\"} T\"/mid\" S(,1){T\"\"}}"},
      // the counter reset comes first; the lines around it form one block after it
      {"[VTL] NEWSECTION NUMREPEAT:0\nx\n[VTL] RESETCOUNTER\ny\n[VTL] ENDSECTION",
       "S(PatternFile,1){S(,0){R T\"/x/y\"}}"},
      // keywords in any case, the marker in capitals
      {"<!--[VTL] newsection numrepeat:4 -->\nb\n<!--[VTL] EndSection -->",
       "S(PatternFile,1){S(,4){T\"/b\"}}"},
      // an indented directive is text
      {" <!--[VTL] NEWSECTION NUMREPEAT:4 -->",
       "S(PatternFile,1){T\"/ <!--[VTL] NEWSECTION NUMREPEAT:4 -->\"}"},
      // a marker in small letters is text
      {"<!--[vtl] NEWSECTION NUMREPEAT:4 -->",
       "S(PatternFile,1){T\"/<!--[vtl] NEWSECTION NUMREPEAT:4 -->\"}"},
      // a keyword run together with the comment closer is text; the section stays open and the
      // trailing text goes to the top level
      {"[VTL] NEWSECTION NUMREPEAT:2\nb\n<!--[VTL] ENDSECTION-->\nafter",
       "S(PatternFile,1){S(,2){} T\"/b/<!--[VTL] ENDSECTION-->/after\"}"},
      // condition lines are text
      {"<!--[VTL] CONDITION(TRUE)-->x<!--[VTL] END CONDITION-->",
       "S(PatternFile,1){T\"/<!--[VTL] CONDITION(TRUE)-->x<!--[VTL] END CONDITION-->\"}"},
      // the name ends at a blank, ";" or ")"
      {"[VTL] NEWSECTION NAME:a;b NUMREPEAT:1\n[VTL] ENDSECTION",
       "S(PatternFile,1){S(a,1){T\"\"}}"},
      {"[VTL] NEWSECTION (NAME:cells) NUMREPEAT:1)\n[VTL] ENDSECTION",
       "S(PatternFile,1){S(cells,1){T\"\"}}"},
      // hexadecimal counts
      {"[VTL] NEWSECTION NUMREPEAT:$10\n[VTL] ENDSECTION", "S(PatternFile,1){S(,16){T\"\"}}"},
      {"[VTL] NEWSECTION NUMREPEAT:0x0A\n[VTL] ENDSECTION", "S(PatternFile,1){S(,10){T\"\"}}"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Read(c.contents), c.tree) << "template: «" << c.contents << "»";
}

TEST_F(ReadingTest, LineEndsOfAnyKindGiveTheSameTree) {
  const std::string lf = Read("a\n[VTL] NEWSECTION NUMREPEAT:2\nb\n[VTL] ENDSECTION\nc\n");
  EXPECT_EQ(Read("a\r\n[VTL] NEWSECTION NUMREPEAT:2\r\nb\r\n[VTL] ENDSECTION\r\nc\r\n"), lf);
  EXPECT_EQ(Read("a\n[VTL] NEWSECTION NUMREPEAT:2\nb\r\n[VTL] ENDSECTION\nc"), lf);
  EXPECT_EQ(Read("a\rx\n"), "S(PatternFile,1){T\"/ax\"}");  // a lone CR is dropped
  EXPECT_EQ(Read("a\nb\x1A"
                 "c\n[VTL] NEWSECTION\n"),
            "S(PatternFile,1){T\"/a/b\"}");
}

TEST_F(ReadingTest, BadCountsGiveTheNumRepeatError) {
  harness_.SetValue("Spalten", "5");
  for (const char* line :
       {"[VTL] NEWSECTION NAME:x", "[VTL] NEWSECTION NUMREPEAT: 3", "[VTL] NEWSECTION NUMREPEAT:-1",
        "[VTL] NEWSECTION NUMREPEAT:3x", "<!--[VTL] NEWSECTION NUMREPEAT:3-->",
        "[VTL] NEWSECTION NUMREPEAT:%nix%"}) {
    EXPECT_EQ(Read(std::string(line) + "\nb\n[VTL] ENDSECTION"), "error") << line;
    EXPECT_EQ(reports_,
              std::vector<std::string>{
                  "-1|Ungültiger Wert der \"NumRepeat\"-Eigenschaft in der Vorlagendatei " +
                  harness_.skin_dir + "t.html!"})
        << line;
  }
  EXPECT_TRUE(harness_.messages.errors.empty());  // no box for this error
  EXPECT_EQ(Read("[VTL] NEWSECTION NUMREPEAT:%SPALTEN%\n[VTL] ENDSECTION"),
            "S(PatternFile,1){S(,5){T\"\"}}");
  EXPECT_EQ(Read("[VTL] NEWSECTION NUMREPEAT:0\n[VTL] ENDSECTION"),
            "S(PatternFile,1){S(,0){T\"\"}}");
}

TEST_F(ReadingTest, UnreadableTemplatesGiveTheReadingErrorAndABox) {
  const std::string expected =
      "Fehler beim Lesen der Vorlagendatei " + harness_.skin_dir + "t.html!";
  // one ENDSECTION too many, then a directive
  EXPECT_EQ(Read("[VTL] ENDSECTION\ntext\n[VTL] RESETCOUNTER"), "error");
  EXPECT_EQ(reports_, std::vector<std::string>{"-1|" + expected});
  EXPECT_EQ(harness_.messages.errors, std::vector<std::string>{expected});
  // a conditional block without end in a count
  EXPECT_EQ(Read("[VTL] NEWSECTION NUMREPEAT:[VTL]CONDITION(TRUE)3"), "error");
  EXPECT_EQ(reports_.size(), 1u);
  // a missing file
  harness_.messages.errors.clear();
  reports_.clear();
  EXPECT_FALSE(parser_->ReadTemplate(harness_.skin_dir + "none.html", nullptr));
  EXPECT_EQ(harness_.messages.errors.size(), 1u);
  // one ENDSECTION too many followed only by text is fine: the text goes to the top level
  EXPECT_EQ(Read("a\n[VTL] ENDSECTION\nb"), "S(PatternFile,1){T\"/a\" T\"/b\"}");
}

TEST_F(ReadingTest, BinaryAndHugeTemplatesAreReadWithoutTrouble) {
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary.push_back(static_cast<char>((i * 37) % 256));
  EXPECT_NE(Read(binary), "error");
  EXPECT_NE(Read(std::string("a\0b\n\0", 5)), "error");
  const std::string huge(4 * 1024 * 1024, 'x');
  EXPECT_EQ(Read(huge).size(), huge.size() + std::string("S(PatternFile,1){T\"/\"}").size());
  std::string nested, too_deep;
  for (int i = 0; i < 200; ++i) nested += "[VTL] NEWSECTION NUMREPEAT:1\n";
  EXPECT_NE(Read(nested), "error");
  for (int i = 0; i < 100000; ++i) too_deep += "[VTL] NEWSECTION NUMREPEAT:1\n";
  EXPECT_EQ(Read(too_deep), "error");
}

TEST_F(ReadingTest, ATemplateOutsideTheSkinIsNotRead) {
  WriteFile(harness_.dir / "secret.html", "private");
  TParserContext context = Context();
  context.confine_to_folder = harness_.skin_dir;
  TVTLParser parser(std::move(context));
  EXPECT_FALSE(parser.ReadTemplate(harness_.skin_dir + "../secret.html", nullptr));
  EXPECT_FALSE(parser.ReadTemplate(harness_.dir / "secret.html", nullptr));
  WriteFile(harness_.skin_dir + "ok.html", "fine");
  EXPECT_TRUE(parser.ReadTemplate(harness_.skin_dir + "ok.html", nullptr));
}

}  // namespace
}  // namespace vistrel
