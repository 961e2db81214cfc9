#include <gtest/gtest.h>

#include "template/template_harness.h"

namespace vistrel {
namespace {

using testing::PageText;
using testing::TemplateHarness;

// A parser over three images (the second is upright) on two pages, standing where At() puts it.
class ConditionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    harness_.AddImage("a.jpg", 800, 600);
    harness_.AddImage("b.jpg", 600, 800);
    harness_.AddImage("c.jpg", 500, 500);
    harness_.AddProperty("Titel");
    harness_.AddProperty("Leer");
    harness_.AddProperty("Mit Blank");
    harness_.records.Item(0).Details.SetValueOf("Titel", "See");
    harness_.records.Item(0).Details.SetValueOf("Mit Blank", "x");
    // Two pages: the first shows a and b, the second c.
    harness_.AddTemplate("t.html", "seite", "",
                         "[VTL] NEWSECTION NUMREPEAT:2\n%IMG_INDEX%\n[VTL] ENDSECTION");
    ASSERT_TRUE(harness_.Run());
    parser_ = harness_.parsers.front().get();
    ASSERT_EQ(parser_->PageList().size(), 2u);
    At(0, 1);
  }
  void At(int image, int page) { parser_->MoveTo(image, page); }
  std::string Apply(const std::string& text) { return parser_->ApplyConditions(text); }
  // "kept" or "gone" for a block with this condition.
  std::string Block(const std::string& condition) {
    return Apply("<[VTL] CONDITION(" + condition + ")kept[VTL] END CONDITION>") == "<kept>"
               ? "kept"
               : "gone";
  }
  TemplateHarness harness_;
  TVTLParser* parser_ = nullptr;
};

TEST_F(ConditionsTest, SlotsFollowTheCurrentImageAndPage) {
  EXPECT_EQ(Block("ISFIRSTIMAGE"), "kept");
  EXPECT_EQ(Block("ISLASTIMAGE"), "gone");
  EXPECT_EQ(Block("IMGINDEXISEVEN"), "kept");
  EXPECT_EQ(Block("ISFIRSTPATTERNPAGE"), "kept");
  EXPECT_EQ(Block("ISLASTPATTERNPAGE"), "gone");
  EXPECT_EQ(Block("ISLANDSCAPE"), "kept");
  EXPECT_EQ(Block("ISPORTRAIT"), "gone");
  EXPECT_EQ(Block("TRUE"), "kept");
  EXPECT_EQ(Block("FALSE"), "gone");
  At(1, 2);
  EXPECT_EQ(Block("ISFIRSTIMAGE"), "gone");
  EXPECT_EQ(Block("IMGINDEXISEVEN=FALSE"), "kept");
  EXPECT_EQ(Block("ISPORTRAIT"), "kept");
  EXPECT_EQ(Block("ISLASTPATTERNPAGE"), "kept");
  At(2, 2);
  EXPECT_EQ(Block("ISLASTIMAGE"), "kept");
  EXPECT_EQ(Block("ISLANDSCAPE"), "kept");  // a square image counts as wide
  At(3, 2);                                 // after the last image
  EXPECT_EQ(Block("ISLANDSCAPE"), "gone");
  EXPECT_EQ(Block("ISPORTRAIT"), "gone");
  EXPECT_EQ(Block("ISPORTRAIT=FALSE"), "gone");  // unknown name: false whatever it is compared to
}

TEST_F(ConditionsTest, ComparisonsOperandsAndBlanks) {
  EXPECT_EQ(Block("isfirstimage"), "kept");
  EXPECT_EQ(Block(" ISFIRSTIMAGE = TRUE "), "kept");
  EXPECT_EQ(Block("ISLASTIMAGE=FALSE"), "kept");
  EXPECT_EQ(Block("FALSE=FALSE"), "kept");
  EXPECT_EQ(Block("TRUE=FALSE"), "gone");
  EXPECT_EQ(Block("NOSUCHNAME"), "gone");
  EXPECT_EQ(Block("NOSUCHNAME=FALSE"), "gone");
  EXPECT_EQ(Block("%TITEL%"), "gone");  // a placeholder is no operand
  EXPECT_EQ(Block(""), "gone");
  EXPECT_EQ(Block("=FALSE"), "kept");  // the empty operand is an empty slot: false
}

TEST_F(ConditionsTest, DoesExistExpandsItsArgument) {
  EXPECT_EQ(Block("DoesExist(%Titel%)"), "kept");
  EXPECT_EQ(Block("doesexist( %titel% )"), "kept");
  EXPECT_EQ(Block("DoesExist(%Leer%)"), "gone");
  EXPECT_EQ(Block("DoesExist(%Nirgends%)"), "gone");
  EXPECT_EQ(Block("DoesExist(%Leer%)=FALSE"), "kept");
  EXPECT_EQ(Block("DoesExist(%Mit Blank%)"), "gone");  // looked up without its blank
  harness_.AddProperty("MitBlank");
  harness_.records.Item(0).Details.SetValueOf("MitBlank", "y");
  parser_->RefreshVariables();
  EXPECT_EQ(Block("DoesExist(%Mit Blank%)"), "kept");
  At(1, 1);
  EXPECT_EQ(Block("DoesExist(%Titel%)"), "gone");
  EXPECT_EQ(Block("DoesExist(x)"), "kept");
}

TEST_F(ConditionsTest, WhatAroundTheBlockStays) {
  EXPECT_EQ(Apply("a<!--[VTL] CONDITION(TRUE)-->b<!--[VTL] END CONDITION-->c"),
            "a<!---->b<!---->c");
  EXPECT_EQ(Apply("a<!--[VTL] CONDITION(FALSE)-->b<!--[VTL] END CONDITION-->c"), "a<!---->c");
  EXPECT_EQ(Apply("[vtl] condition junk (TRUE)x[Vtl] End Condition"), "x");
  EXPECT_EQ(Apply("no blocks [VTL] END CONDITION here"), "no blocks [VTL] END CONDITION here");
  EXPECT_EQ(Apply("[VTL] CONDITION(TRUE)1[VTL] END CONDITION[VTL] CONDITION(FALSE)2"
                  "[VTL] END CONDITION[VTL] CONDITION(ISFIRSTIMAGE)3[VTL] END CONDITION"),
            "13");
}

TEST_F(ConditionsTest, BlocksDoNotNest) {
  const std::string nested =
      "A[VTL] CONDITION(%1%)B[VTL] CONDITION(TRUE)C[VTL] END CONDITIOND[VTL] END CONDITIONE";
  auto with = [&](const std::string& outer) {
    std::string text = nested;
    text.replace(text.find("%1%"), 3, outer);
    return Apply(text);
  };
  // The outer block ends at the inner end; its own end stays as text.
  EXPECT_EQ(with("FALSE"), "AD[VTL] END CONDITIONE");
  // With a true outer block the inner one ends at the outer end.
  EXPECT_EQ(with("TRUE"), "ABCDE");
}

TEST_F(ConditionsTest, AMissingEndIsAnError) {
  for (const char* text : {"[VTL] CONDITION(TRUE) no end", "[VTL] CONDITION no parenthesis",
                           "[VTL] END CONDITION [VTL] CONDITION(TRUE)x[VTL] END CONDITION"}) {
    try {
      Apply(text);
      ADD_FAILURE() << "no error for «" << text << "»";
    } catch (const EParserError& error) {
      EXPECT_STREQ(error.what(), "Fehler beim Lesen der Vorlagendatei! Bedingungsende fehlt!");
    }
  }
}

TEST_F(ConditionsTest, ManyBlocksInOneTextAreResolvedQuickly) {
  std::string text;
  for (int i = 0; i < 20000; ++i)
    text +=
        "<[VTL] CONDITION(IMGINDEXISEVEN)e[VTL] END CONDITION[VTL] CONDITION(FALSE)x"
        "[VTL] END CONDITION>";
  const std::string result = Apply(text);
  EXPECT_EQ(result.size(), 20000u * 3);
}

TEST_F(ConditionsTest, MarkersThatARemovalJoinsCountLikeWrittenOnes) {
  // Removing the first block joins "[VTL] CONDI" and "TION(FALSE)" into a new start marker.
  EXPECT_EQ(Apply("a[VTL] CONDI[VTL] CONDITION(TRUE)TION(FALSE)b[VTL] END CONDITIONc"
                  "[VTL] END CONDITION"),
            "a");
  // A joined end marker in front of the block leaves the block without an end.
  EXPECT_THROW(Apply("[VTL] END CON[VTL] CONDITION(x)DITION y[VTL] END CONDITION"), EParserError);
}

// Thousands of true blocks inside each other: every block keeps its content.
TEST_F(ConditionsTest, DeeplyNestedTrueBlocksKeepTheirContent) {
  const int depth = 8000;
  std::string text;
  for (int i = 0; i < depth; ++i) text += "<!--[VTL] CONDITION(TRUE)-->(";
  text += "x";
  for (int i = 0; i < depth; ++i) text += ")<!--[VTL] END CONDITION-->";
  std::string expected;
  for (int i = 0; i < depth; ++i) expected += "<!---->(";
  expected += "x";
  for (int i = 0; i < depth; ++i) expected += ")<!---->";
  EXPECT_EQ(Apply(text), expected);
}

TEST(ConditionsInPagesTest, BlocksSeeTheImageTheyAreWrittenFor) {
  TemplateHarness h;
  h.AddImages(4);
  h.AddTemplate("t.html", "index", "index.html",
                "<!--[VTL] CONDITION(ISFIRSTIMAGE)-->first!<!--[VTL] END CONDITION-->\n"
                "[VTL] NEWSECTION NUMREPEAT:0\n"
                "%IMG_INDEX%[VTL] CONDITION(IMGINDEXISEVEN=FALSE) odd[VTL] END CONDITION\n"
                "[VTL] ENDSECTION\n"
                "[VTL] CONDITION(ISLASTIMAGE)last?[VTL] END CONDITION"
                "[VTL] CONDITION(ISLASTPATTERNPAGE=TRUE)only page[VTL] END CONDITION");
  ASSERT_TRUE(h.Run());
  EXPECT_EQ(h.Page("index.html"),
            PageText({"<!---->first!<!---->", "0", "1 odd", "2", "3 odd", "only page"}));
}

TEST(ConditionsInPagesTest, AMissingEndWhileWritingEndsTheRunWithTheError) {
  TemplateHarness h;
  h.AddImages(1);
  h.AddTemplate("t.html", "p", "", "[VTL] CONDITION(TRUE) forever");
  EXPECT_THROW(h.Run(), EParserError);
}

}  // namespace
}  // namespace vistrel
