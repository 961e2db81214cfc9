#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "template/template_harness.h"

namespace vistrel {
namespace {

using testing::PageText;
using testing::TemplateHarness;
using Files = std::vector<std::string>;

TEST(PagesTest, OnePagePerImageWithoutSections) {
  TemplateHarness h;
  h.AddImages(5);
  h.AddTemplate("t.html", "bild", "", "<h1>%FNAME_NO_PATH%</h1>");
  ASSERT_TRUE(h.Run());
  EXPECT_EQ(h.OutputFiles(),
            (Files{"img1.html", "img2.html", "img3.html", "img4.html", "img5.html"}));
  // A page starts with a line break, separates lines by CR LF and has no final line break.
  EXPECT_EQ(testing::ReadFile(h.out_dir + "img3.html"), "\r\n<h1>img3.jpg</h1>");
  EXPECT_EQ(h.PageOf(4), "img5.html");
}

TEST(PagesTest, EmptyTemplateGivesOneEmptyPagePerImage) {
  TemplateHarness h;
  h.AddImages(2);
  h.AddTemplate("t.html", "bild", "", "");
  ASSERT_TRUE(h.Run());
  EXPECT_EQ(h.OutputFiles(), (Files{"img1.html", "img2.html"}));
  EXPECT_EQ(testing::ReadFile(h.out_dir + "img1.html"), "");
}

TEST(PagesTest, EmptyImageListWritesNoPage) {
  TemplateHarness h;
  h.AddTemplate("t.html", "index", "index.html",
                "head\n[VTL] NEWSECTION NUMREPEAT:0\nx\n[VTL] ENDSECTION");
  ASSERT_TRUE(h.Run());
  EXPECT_TRUE(h.OutputFiles().empty());
}

TEST(PagesTest, PagingTenImagesByFourWithAFixedName) {
  TemplateHarness h;
  h.AddImages(10);
  h.AddTemplate("t.html", "index", "index.html",
                "<p>%PATTERN_INDEX% von %NUM_PATTERNPAGES%</p>\n"
                "<!--[VTL] NEWSECTION NAME:bilder NUMREPEAT:4 -->\n%IMG_INDEX%\n"
                "<!--[VTL] ENDSECTION -->\n<a href=\"%NEXT_INDEX%\">weiter</a>");
  ASSERT_TRUE(h.Run());
  EXPECT_EQ(h.OutputFiles(), (Files{"index.html", "index2.html", "index3.html"}));
  EXPECT_EQ(h.Page("index.html"),
            PageText({"<p>1 von 3</p>", "0", "1", "2", "3", "<a href=\"index2.html\">weiter</a>"}));
  EXPECT_EQ(h.Page("index2.html"),
            PageText({"<p>2 von 3</p>", "4", "5", "6", "7", "<a href=\"index3.html\">weiter</a>"}));
  EXPECT_EQ(h.Page("index3.html"),
            PageText({"<p>3 von 3</p>", "8", "9", "<a href=\"\">weiter</a>"}));
  EXPECT_EQ(h.PageOf(3), "index.html");
  EXPECT_EQ(h.PageOf(4), "index2.html");
  EXPECT_EQ(h.PageOf(9), "index3.html");
}

TEST(PagesTest, OuterSectionOfTwoAroundALeafOfThreeOverSevenImages) {
  TemplateHarness h;
  h.AddImages(7);
  h.AddTemplate("t.html", "index", "index.html",
                "<table>\n[VTL] NEWSECTION NAME:row NUMREPEAT:2\n<tr>\n"
                "[VTL] NEWSECTION NAME:cell NUMREPEAT:3\n<td>%IMG_INDEX%</td>\n[VTL] ENDSECTION\n"
                "</tr>\n[VTL] ENDSECTION\n</table>");
  ASSERT_TRUE(h.Run());
  EXPECT_EQ(h.OutputFiles(), (Files{"index.html", "index2.html"}));
  EXPECT_EQ(h.Page("index.html"),
            PageText({"<table>", "<tr>", "<td>0</td>", "<td>1</td>", "<td>2</td>", "</tr>", "<tr>",
                      "<td>3</td>", "<td>4</td>", "<td>5</td>", "</tr>", "</table>"}));
  EXPECT_EQ(h.Page("index2.html"),
            PageText({"<table>", "<tr>", "<td>6</td>", "</tr>", "</table>"}));
}

TEST(PagesTest, ACounterResetShowsAllImagesTwiceOnOnePage) {
  TemplateHarness h;
  h.AddImages(3);
  h.AddTemplate("t.html", "index", "index.html",
                "[VTL] NEWSECTION NUMREPEAT:0\nA%IMG_INDEX%\n[VTL] ENDSECTION\n"
                "[VTL] RESETCOUNTER\n"
                "[VTL] NEWSECTION NUMREPEAT:0\nB%IMG_INDEX%\n[VTL] ENDSECTION");
  ASSERT_TRUE(h.Run());
  EXPECT_EQ(h.OutputFiles(), (Files{"index.html"}));
  EXPECT_EQ(h.Page("index.html"), PageText({"A0", "A1", "A2", "B0", "B1", "B2"}));
}

TEST(PagesTest, HeadSeesTheFirstImageOfItsPageAndFootTheNext) {
  TemplateHarness h;
  h.AddImages(5);
  h.AddTemplate("t.html", "index", "",
                "head %FNAME_NO_PATH%[VTL] CONDITION(ISFIRSTIMAGE) first[VTL] END CONDITION\n"
                "[VTL] NEWSECTION NUMREPEAT:2\n- %IMG_INDEX%\n[VTL] ENDSECTION\n"
                "foot %FNAME_NO_PATH%[VTL] CONDITION(ISLASTIMAGE) last[VTL] END CONDITION");
  ASSERT_TRUE(h.Run());
  // Pages are named after their first image.
  EXPECT_EQ(h.OutputFiles(), (Files{"img1.html", "img3.html", "img5.html"}));
  EXPECT_EQ(h.Page("img1.html"), PageText({"head img1.jpg first", "- 0", "- 1", "foot img3.jpg"}));
  EXPECT_EQ(h.Page("img3.html"), PageText({"head img3.jpg", "- 2", "- 3", "foot img5.jpg last"}));
  EXPECT_EQ(h.Page("img5.html"), PageText({"head img5.jpg", "- 4", "foot "}));
}

TEST(PagesTest, PagesLinkToThePagesOfOtherTemplates) {
  TemplateHarness h;
  h.AddImages(5);
  h.AddTemplate(
      "index.tpl", "index", "index.html",
      "[VTL] NEWSECTION NUMREPEAT:2\n<a href=\"%DETAIL%\">%IMG_INDEX%</a>\n[VTL] ENDSECTION");
  h.AddTemplate(
      "detail.tpl", "detail", "bild_%old%.html",
      "back: %INDEX% prev: %PREVIOUSRECORD_DETAIL% first: %FIRST_DETAIL% last: %LAST_INDEX%");
  ASSERT_TRUE(h.Run());
  EXPECT_EQ(h.Page("index2.html"),
            PageText({"<a href=\"bild_img3.html\">2</a>", "<a href=\"bild_img4.html\">3</a>"}));
  EXPECT_EQ(h.Page("bild_img4.html"),
            "\nback: index2.html prev: bild_img3.html first: bild_img1.html last: index3.html");
}

TEST(PagesTest, TwoTemplatesWithTheSameNameGetDifferentPages) {
  TemplateHarness h;
  h.AddImages(1);
  h.AddTemplate("a.tpl", "a", "index.html", "A");
  h.AddTemplate("b.tpl", "b", "index.html", "B");
  ASSERT_TRUE(h.Run());
  EXPECT_EQ(h.Page("index.html"), "\nA");
  EXPECT_EQ(h.Page("index2.html"), "\nB");
}

TEST(PagesTest, ImagesWhoseNamesDifferOnlyInTheExtensionGetNumberedPages) {
  TemplateHarness h;
  h.AddImage("foto.jpg");
  h.AddImage("foto.jpeg");
  h.AddTemplate("t.html", "bild", "", "%FNAME_NO_PATH%");
  ASSERT_TRUE(h.Run());
  EXPECT_EQ(h.Page("foto.html"), "\nfoto.jpg");
  EXPECT_EQ(h.Page("foto2.html"), "\nfoto.jpeg");
}

TEST(PagesTest, ASecondRunNumbersItsPagesInsteadOfReplacingTheFirst) {
  TemplateHarness h;
  h.AddImages(3);
  h.AddTemplate("t.html", "index", "index.html",
                "run %NUM_RECORDS%\n[VTL] NEWSECTION NUMREPEAT:2\n%IMG_INDEX%\n[VTL] ENDSECTION");
  ASSERT_TRUE(h.Run());
  h.AddImage("img4.jpg");
  ASSERT_TRUE(h.Run());
  EXPECT_EQ(h.OutputFiles(), (Files{"index.html", "index2.html", "index3.html", "index4.html"}));
  EXPECT_EQ(h.Page("index.html"), PageText({"run 3", "0", "1"}));
  EXPECT_EQ(h.Page("index3.html"), PageText({"run 4", "0", "1"}));
  EXPECT_EQ(h.PageOf(3), "index4.html");
}

TEST(PagesTest, ALinkInTheOutputFolderIsNeverWrittenThrough) {
  TemplateHarness h;
  h.AddImages(1);
  const std::string victim = h.dir / "victim.txt";
  testing::WriteFile(victim, "keep");
  ASSERT_EQ(::symlink(victim.c_str(), (h.out_dir + "index.html").c_str()), 0);
  ASSERT_EQ(::symlink((h.dir / "nowhere").c_str(), (h.out_dir + "index2.html").c_str()), 0);
  h.AddTemplate("t.html", "index", "index.html", "page");
  ASSERT_TRUE(h.Run());
  EXPECT_EQ(testing::ReadFile(victim), "keep");
  EXPECT_FALSE(testing::Exists(h.dir / "nowhere"));
  EXPECT_EQ(h.Page("index3.html"), "\npage");
}

TEST(PagesTest, NamesOutsideTheOutputFolderEndThePass) {
  for (const std::string pattern : {"../escape.html", "/tmp/absolute.html", "a/../../x.html"}) {
    TemplateHarness h;
    h.AddImages(1);
    h.AddTemplate("t.html", "index", pattern, "x");
    EXPECT_FALSE(h.Run()) << pattern;
    EXPECT_EQ(h.reports, std::vector<std::string>{"-1|Ungültiger Dateiname " + pattern + "!"});
    EXPECT_TRUE(h.OutputFiles().empty()) << pattern;
    EXPECT_FALSE(testing::Exists(h.dir / "escape.html"));
  }
}

TEST(PagesTest, NamesMayLeadIntoSubFolders) {
  TemplateHarness h;
  h.AddImages(2);
  h.AddTemplate("t.html", "bild", "bilder/%old%/seite.html", "x");
  ASSERT_TRUE(h.Run());
  EXPECT_EQ(h.Page("bilder/img2/seite.html"), "\nx");
}

TEST(PagesTest, TemplatesThatNeverRunOutOfImagesAreStopped) {
  const std::string endless[] = {
      // a repetition without count that shows no image
      "[VTL] NEWSECTION NUMREPEAT:0\na\n[VTL] NEWSECTION NUMREPEAT:1\n[VTL] RESETCOUNTER\n"
      "[VTL] ENDSECTION\n[VTL] ENDSECTION",
      // a page of text and a counter reset only
      "text\n[VTL] RESETCOUNTER\nmore",
      // every page starts again from the first image
      "[VTL] NEWSECTION NUMREPEAT:2\nx\n[VTL] ENDSECTION\n[VTL] RESETCOUNTER",
      // pages going round in a circle
      "[VTL] NEWSECTION NUMREPEAT:3\nx\n[VTL] ENDSECTION\n[VTL] RESETCOUNTER\n"
      "[VTL] NEWSECTION NUMREPEAT:1\ny\n[VTL] ENDSECTION",
      // a repetition that shows all images and starts again
      "[VTL] NEWSECTION NUMREPEAT:0\n[VTL] NEWSECTION NUMREPEAT:0\nx\n[VTL] ENDSECTION\n"
      "[VTL] RESETCOUNTER\n[VTL] ENDSECTION",
  };
  for (const std::string& contents : endless) {
    TemplateHarness h;
    h.AddImages(4);
    h.AddTemplate("t.html", "index", "index.html", contents);
    EXPECT_FALSE(h.Run()) << contents;
    EXPECT_EQ(h.reports, std::vector<std::string>{"-1|Endlosschleife in der Vorlagendatei " +
                                                  h.skin_dir + "t.html!"})
        << contents;
    EXPECT_LE(h.OutputFiles().size(), 5u) << contents;
  }
}

// Templates whose repetitions do show images, but far too many times: a huge count around a
// counter reset, or resets nested deep. Each pass stops at its repetition limit, at once.
TEST(PagesTest, RunawayRepetitionsAreStoppedAtTheirLimit) {
  std::string nested = "x\n[VTL] RESETCOUNTER\n";
  for (int depth = 0; depth < 20; ++depth)
    nested = "[VTL] NEWSECTION NUMREPEAT:2\n" + nested + "[VTL] ENDSECTION\n";
  const std::string runaway[] = {
      "[VTL] NEWSECTION NUMREPEAT:2147483647\n[VTL] NEWSECTION NUMREPEAT:0\n%IMG_INDEX%\n"
      "[VTL] ENDSECTION\n[VTL] RESETCOUNTER\n[VTL] ENDSECTION\n"
      "[VTL] NEWSECTION NUMREPEAT:0\nlast\n[VTL] ENDSECTION",
      "[VTL] NEWSECTION NUMREPEAT:1000000\n[VTL] NEWSECTION NUMREPEAT:0\n%IMG_INDEX%\n"
      "[VTL] ENDSECTION\n[VTL] RESETCOUNTER\n[VTL] ENDSECTION",
      nested + "[VTL] NEWSECTION NUMREPEAT:0\ny\n[VTL] ENDSECTION",
  };
  for (const std::string& contents : runaway) {
    TemplateHarness h;
    h.AddImages(2);
    h.AddTemplate("t.html", "index", "index.html", contents);
    EXPECT_FALSE(h.Run()) << contents;
    EXPECT_EQ(h.reports, std::vector<std::string>{"-1|Endlosschleife in der Vorlagendatei " +
                                                  h.skin_dir + "t.html!"});
  }
  // Showing every image many times over within the limit is fine.
  TemplateHarness h;
  h.AddImages(2);
  h.AddTemplate("t.html", "index", "index.html",
                "[VTL] NEWSECTION NUMREPEAT:600\n[VTL] NEWSECTION NUMREPEAT:0\n.\n"
                "[VTL] ENDSECTION\n[VTL] RESETCOUNTER\n[VTL] ENDSECTION\n"
                "[VTL] NEWSECTION NUMREPEAT:0\nlast\n[VTL] ENDSECTION");
  ASSERT_TRUE(h.Run()) << (h.reports.empty() ? "" : h.reports[0]);
  const std::string page = h.Page("index.html");
  EXPECT_EQ(std::count(page.begin(), page.end(), '.'), 600 * 2);
}

TEST(PagesTest, APageNeverGrowsPastItsLimit) {
  TemplateHarness h;
  h.AddImages(3);
  h.AddProperty("Text");
  h.records.Item(1).Details.SetValueOf("Text", std::string(600, 'w'));
  h.AddTemplate("t.html", "index", "index.html",
                "[VTL] NEWSECTION NUMREPEAT:0\n%Text%%Text%\n[VTL] ENDSECTION");
  h.max_page_size = 1000;
  EXPECT_FALSE(h.Run());
  EXPECT_EQ(h.reports, std::vector<std::string>{"-1|Die Seite " + h.out_dir +
                                                "index.html würde größer als 0 MB (Vorlagendatei " +
                                                h.skin_dir + "t.html)!"});
  // Nothing past the limit was written.
  EXPECT_LE(testing::ReadFile(h.out_dir + "index.html").size(), 1000u);
}

TEST(PagesTest, TensOfThousandsOfPagesDoNotExhaustTheStack) {
  TemplateHarness h;
  const int images = 20000;
  for (int i = 0; i < images; ++i) h.AddImage("i" + std::to_string(i) + ".jpg");
  h.AddTemplate("t.html", "bild", "p.html", "%IMG_INDEX%");
  ASSERT_TRUE(h.Run());
  EXPECT_EQ(h.OutputFiles().size(), static_cast<size_t>(images));
  EXPECT_EQ(h.Page("p20000.html"), "\n19999");
}

}  // namespace
}  // namespace vistrel
