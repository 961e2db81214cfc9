#include <gtest/gtest.h>

#include "template/template_harness.h"

namespace vistrel {
namespace {

using testing::PageText;
using testing::TemplateHarness;

TEST(PlaceholderTest, ScanRules) {
  TemplateHarness h;
  h.AddImage("a.jpg");
  h.AddTemplate("t.html", "page", "",
                "100%% sicher\n[%fname_no_path%]\nx%unknown%y\n50 % off % now\nend %FNAME");
  ASSERT_TRUE(h.Run());
  EXPECT_EQ(h.Page("a.html"), PageText({"100% sicher", "[a.jpg]", "xy", "50  now", "end FNAME"}));
}

TEST(PlaceholderTest, ValuesAreInsertedAsTheyAre) {
  TemplateHarness h;
  h.AddImage("a.jpg");
  h.AddProperty("Titel");
  h.records.Item(0).Details.SetValueOf("Titel", "<b>%FNAME% & 100%</b>");
  h.AddTemplate("t.html", "page", "", "%TITEL%");
  ASSERT_TRUE(h.Run());
  EXPECT_EQ(h.Page("a.html"), "\n<b>%FNAME% & 100%</b>");
}

TEST(VariableTableTest, EnteredValuesHideEverythingElseAndPropertiesHideBuiltIns) {
  TemplateHarness h;
  h.AddImage("a.jpg");
  h.AddProperty("Farbe");
  h.AddProperty("IMG_INDEX");
  h.records.Item(0).Details.SetValueOf("Farbe", "from image");
  h.records.Item(0).Details.SetValueOf("IMG_INDEX", "property");
  h.SetValue("fname", "entered");
  h.SetValue("FARBE", "#FF0000");
  h.AddTemplate("t.html", "page", "", "%FNAME%|%Farbe%|%img_index%");
  ASSERT_TRUE(h.Run());
  EXPECT_EQ(h.Page("a.html"), "\nentered|#FF0000|property");
}

TEST(VariableTableTest, FirstEntryOfANameWins) {
  TVTLParser parser;
  parser.SetVariable("x", "first");
  parser.SetVariable("X", "second");
  EXPECT_EQ(parser.VariableValue("x"), "first");
  EXPECT_EQ(parser.VarNames(), (std::vector<std::string>{"%X%", "%X%"}));
  EXPECT_EQ(parser.ExpandText("%x%"), "first");
}

TEST(VariableTableTest, ImageVariablesOfTheCurrentImage) {
  TemplateHarness h;
  h.AddImage("urlaub.jpg", 800, 600);  // in "/photos/"
  h.AddVariant("thumb");
  h.AddTemplate("t.html", "detail", "",
                "%FNAME%|%FNAME_NO_PATH%|%THUMB%|%DETAIL%|%IMG_INDEX%|%NUM_RECORDS%|"
                "%JPGMETA:width%x%jpgmeta:HEIGHT%|%JPGMETA:DateTime%");
  ASSERT_TRUE(h.Run());
  EXPECT_EQ(h.Page("urlaub.html"),
            "\n/photos/urlaub.jpg|urlaub.jpg|thumb_urlaub.jpg|urlaub.html|0|1|800x600|"
            "2024:01:01 12:00:00");
}

TEST(VariableTableTest, MetadataValuesAreEscapedAndOthersAreNot) {
  TemplateHarness h;
  TVTLRecord& image = h.AddImage("a.jpg");
  image.Metadata.AddName("ImageDescription");
  image.Metadata.SetValueOf("ImageDescription", "<script>alert('x')</script> & \"q\"");
  h.AddProperty("Titel");
  image.Details.SetValueOf("Titel", "<i>mine</i>");
  h.AddTemplate("t.html", "page", "", "%JPGMETA:ImageDescription%\n%Titel%");
  ASSERT_TRUE(h.Run());
  EXPECT_EQ(h.Page("a.html"),
            PageText({"&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt; &amp; &quot;q&quot;",
                      "<i>mine</i>"}));
}

// A list with long property names: each image's page gets its own values, and the names are
// not worked through again for every image (a list of a megabyte took most of a minute).
TEST(VariableTableTest, LongPropertyNamesOverManyImages) {
  TemplateHarness h;
  const int images = 1000;
  h.AddImages(images);
  const std::string long_name(100000, 'n');
  h.AddProperty(long_name + "1");
  h.AddProperty(long_name + "2");
  h.AddProperty("NUM_RECORDS");  // a built-in of the table before the properties: it wins
  h.AddProperty("fname");        // a built-in after them: the property wins
  for (int i = 0; i < images; ++i) {
    TVTLValueList& details = h.records.Item(i).Details;
    details.SetValue(1, "wert" + std::to_string(i));
    details.SetValue(2, "property");
    details.SetValue(3, "property");
  }
  h.AddTemplate("t.html", "seite", "", "%num_records%|%FName%|%IMG_NUMBER%");
  ASSERT_TRUE(h.Run());
  EXPECT_EQ(h.Page("img1.html"), "\n1000|property|1");
  EXPECT_EQ(h.Page("img1000.html"), "\n1000|property|1000");
  // The long names themselves, looked up for an image (a page naming one would spend its
  // length on every page).
  TVTLParser& parser = *h.parsers.front();
  parser.MoveTo(999, 1);
  EXPECT_EQ(parser.VariableValue(long_name + "2"), "wert999");
  EXPECT_EQ(parser.VariableValue(long_name + "1"), "");
  EXPECT_EQ(parser.VariableValue(long_name), std::nullopt);
}

TEST(VariableTableTest, NeighbourImagesAndPagesExistOnlyWhereThereAreNeighbours) {
  TemplateHarness h;
  h.AddImages(3);
  h.AddTemplate("t.html", "bild", "",
                "<%PREVIOUSRECORD_BILD%|%NEXTRECORD_BILD%|%PREVIOUS_BILD%|%NEXT_BILD%|"
                "%PATTERN_INDEX%/%NUM_PATTERNPAGES%|%FIRST_BILD%|%LAST_BILD%>");
  ASSERT_TRUE(h.Run());
  EXPECT_EQ(h.Page("img1.html"), "\n<|img2.html||img2.html|1/3|img1.html|img3.html>");
  EXPECT_EQ(h.Page("img2.html"),
            "\n<img1.html|img3.html|img1.html|img3.html|2/3|img1.html|img3.html>");
  EXPECT_EQ(h.Page("img3.html"), "\n<img2.html||img2.html||3/3|img1.html|img3.html>");
}

TEST(VariableTableTest, ASinglePageHasNoNeighbourPages) {
  TemplateHarness h;
  h.AddImages(2);
  h.AddTemplate("t.html", "index", "index.html",
                "<%PREVIOUS_INDEX%|%NEXT_INDEX%|%PATTERN_INDEX%|%NUM_PATTERNPAGES%>\n"
                "[VTL] NEWSECTION NUMREPEAT:0\n%IMG_INDEX%\n[VTL] ENDSECTION");
  ASSERT_TRUE(h.Run());
  EXPECT_EQ(h.Page("index.html"), PageText({"<||1|1>", "0", "1"}));
}

TEST(VariableTableTest, PagesInSubFoldersAreRelativeToTheOutputFolder) {
  TemplateHarness h;
  h.AddImages(2);
  h.AddTemplate("t.html", "bild", "seiten/%old%.html", "%BILD%|%NEXTRECORD_BILD%");
  ASSERT_TRUE(h.Run());
  EXPECT_EQ(h.Page("seiten/img1.html"), "\nseiten/img1.html|seiten/img2.html");
}

TEST(VariableTableTest, WithoutImagesFirstAndLastAreLeftOutAndNoPageIsWritten) {
  TemplateHarness h;
  h.AddTemplate("t.html", "index", "index.html", "%FIRST_INDEX%");
  TParserContext context;
  context.records = ViewOf(h.records);
  context.properties = &h.properties;
  TVTLParser parser(std::move(context));
  parser.RefreshVariables();
  EXPECT_EQ(parser.VariableValue("FIRST_INDEX"), std::nullopt);
  EXPECT_EQ(parser.VariableValue("LAST_INDEX"), std::nullopt);
  EXPECT_EQ(parser.VariableValue("NUM_RECORDS"), "0");
  ASSERT_TRUE(h.Run());
  EXPECT_TRUE(h.OutputFiles().empty());
}

TEST(VariableTableTest, FootOfTheLastPageSeesNoImage) {
  TemplateHarness h;
  h.AddImages(3);
  h.AddTemplate("t.html", "index", "index.html",
                "head %IMG_INDEX%\n[VTL] NEWSECTION NUMREPEAT:2\n[%FNAME_NO_PATH%]\n"
                "[VTL] ENDSECTION\nfoot <%IMG_INDEX%|%FNAME_NO_PATH%|%NUM_RECORDS%>");
  ASSERT_TRUE(h.Run());
  EXPECT_EQ(h.Page("index.html"),
            PageText({"head 0", "[img1.jpg]", "[img2.jpg]", "foot <2|img3.jpg|3>"}));
  EXPECT_EQ(h.Page("index2.html"), PageText({"head 2", "[img3.jpg]", "foot <||3>"}));
}

// The variables for modern skins: pixel sizes of the copies, photo data, escaped values and the
// image's number, all after the other variables.
TEST(VariableTableTest, SizesPhotoDataCaptionsAndTheNumberOfTheImage) {
  TemplateHarness h;
  h.AddVariant("THUMB");
  for (const char* name : {"a.jpg", "b.jpg"}) {
    TVTLRecord& image = h.AddImage(name);
    image.PhotoData.AddName("APERTURE");
    image.PhotoData.SetValueOf("APERTURE", "f/5,6");
    image.PhotoData.AddName("CAMERA");
    image.PhotoData.SetValueOf("CAMERA", "Nikon <D5100>");
  }
  h.records.Item(0).Captions.AddName("TITLE");
  h.records.Item(0).Captions.SetValueOf("TITLE", "Fisch & \"Chips\"");
  h.sizes = {{160, 120}};
  h.AddTemplate("t.html", "seite", "",
                "%IMG_NUMBER%/%NUM_RECORDS% %THUMB:WIDTH%x%thumb:height% %EXIF:APERTURE% "
                "%EXIF:CAMERA% %EXIF:GPS%<!--[VTL] CONDITION(DoesExist(%EXIF:GPS%))-->map"
                "<!--[VTL] END CONDITION--> %meta:title%"
                "<!--[VTL] CONDITION(DoesExist(%META:TITLE%))-->!<!--[VTL] END CONDITION-->");
  ASSERT_TRUE(h.Run());
  EXPECT_EQ(h.Page("a.html"),
            "\n1/2 160x120 f/5,6 Nikon &lt;D5100&gt; <!----> Fisch &amp; "
            "&quot;Chips&quot;<!---->!<!---->");
  EXPECT_EQ(h.Page("b.html"), "\n2/2 160x120 f/5,6 Nikon &lt;D5100&gt; <!----> <!---->");
}

TEST(VariableTableTest, NamesOfTheSkinOrTheImageWinOverTheNewVariables) {
  TemplateHarness h;
  h.AddVariant("THUMB");
  TVTLRecord& image = h.AddImage("a.jpg");
  image.PhotoData.AddName("ISO");
  image.PhotoData.SetValueOf("ISO", "400");
  h.AddProperty("EXIF:ISO");
  h.records.Item(0).Details.SetValueOf("EXIF:ISO", "from the list");
  h.SetValue("IMG_NUMBER", "entered");
  h.SetValue("THUMB:WIDTH", "also entered");
  h.sizes = {{160, 120}};
  h.AddTemplate("t.html", "seite", "", "%EXIF:ISO%|%IMG_NUMBER%|%THUMB:WIDTH%|%THUMB:HEIGHT%");
  ASSERT_TRUE(h.Run());
  EXPECT_EQ(h.Page("a.html"), "\nfrom the list|entered|also entered|120");
}

TEST(VariableTableTest, HtmlGivesAnyValueEscapedForAttributesAndText) {
  TemplateHarness h;
  h.AddImage("a.jpg");
  h.AddProperty("Titel");
  h.AddProperty("Leer");
  h.records.Item(0).Details.SetValueOf("Titel", "Fisch & Chips \"am Hafen\" <frisch> l'eau äöü");
  h.SetValue("Wert", "a<b");
  h.AddTemplate(
      "t.html", "seite", "",
      "<img alt=\"%HTML:Titel%\" title=\"%html:wert%\">%Titel%|%HTML:HTML:Wert%|"
      "%HTML:Leer%|%HTML:gibtsnicht%|%HTML:FNAME_NO_PATH%"
      "<!--[VTL] CONDITION(DoesExist(%HTML:Leer%)=FALSE)-->leer<!--[VTL] END CONDITION-->");
  ASSERT_TRUE(h.Run());
  EXPECT_EQ(h.Page("a.html"),
            "\n<img alt=\"Fisch &amp; Chips &quot;am Hafen&quot; &lt;frisch&gt; l&#39;eau äöü\" "
            "title=\"a&lt;b\">Fisch & Chips \"am Hafen\" <frisch> l'eau äöü|a&amp;lt;b||"
            "|a.jpg<!---->leer<!---->");
}

TEST(UrlPathTest, EveryByteButTheUnreservedOnesAndTheSlashIsPercentEncoded) {
  struct Case {
    std::string in, out;
  };
  const Case cases[] = {
      {"", ""},
      {"bild_bach.html", "bild_bach.html"},
      {"AZaz09-._~", "AZaz09-._~"},
      {"klein_Urlaub #3 100%.jpg", "klein_Urlaub%20%233%20100%25.jpg"},
      {"x\" onmouseover=\"alert(1).jpg", "x%22%20onmouseover%3D%22alert%281%29.jpg"},
      {"a&b <c>.jpg", "a%26b%20%3Cc%3E.jpg"},
      {"Ölbild ß.jpg", "%C3%96lbild%20%C3%9F.jpg"},
      {"l'eau.jpg", "l%27eau.jpg"},
      // srcset separates candidates at commas and spaces
      {"a,b 2x.jpg", "a%2Cb%202x.jpg"},
      {"frage?antwort=ja#oben", "frage%3Fantwort%3Dja%23oben"},
      {"+;=@!$*[]{}|^`", "%2B%3B%3D%40%21%24%2A%5B%5D%7B%7D%7C%5E%60"},
      // sub-folders keep their separators
      {"seiten/bild 1.html", "seiten/bild%201.html"},
      {"a/b/c.jpg", "a/b/c.jpg"},
      {"../hoch.jpg", "../hoch.jpg"},
      // neither a scheme nor a host
      {"javascript:alert(1)", "javascript%3Aalert%281%29"},
      {"c:/bilder/a.jpg", "c%3A/bilder/a.jpg"},
      {"//example.org/a.jpg", "/%2Fexample.org/a.jpg"},
      {"///a", "/%2F/a"},
      {"\\\\example.org\\a.jpg", "%5C%5Cexample.org%5Ca.jpg"},
      // control characters and bytes that are no UTF-8
      {std::string("\t\n\r\x7f\xff", 5) + std::string(1, '\0'), "%09%0A%0D%7F%FF%00"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(EncodeUrlPath(c.in), c.out);
    EXPECT_EQ(EscapeHtml(c.out), c.out) << "HTML would have to escape the result";
  }
}

TEST(VariableTableTest, UrlGivesPagesAndVariantsAsLinksThatReachTheirFiles) {
  TemplateHarness h;
  h.AddVariant("thumb");
  h.AddImage("x\" onmouseover=\"alert(1).jpg");
  h.AddImage("Urlaub #3 100%.jpg");
  h.AddTemplate("t.html", "seite", "seiten/%old%.html",
                "<a href=\"%URL:SEITE%\"><img src=\"%url:thumb%\" srcset=\"%URL:THUMB% 1x\" "
                "alt=\"%HTML:FNAME_NO_PATH%\"></a>"
                "<!--[VTL] CONDITION(ISLASTIMAGE=FALSE)-->|%URL:NEXTRECORD_SEITE%"
                "<!--[VTL] END CONDITION-->");
  ASSERT_TRUE(h.Run());
  EXPECT_EQ(h.Page("seiten/x\" onmouseover=\"alert(1).html"),
            "\n<a href=\"seiten/x%22%20onmouseover%3D%22alert%281%29.html\">"
            "<img src=\"thumb_x%22%20onmouseover%3D%22alert%281%29.jpg\" "
            "srcset=\"thumb_x%22%20onmouseover%3D%22alert%281%29.jpg 1x\" "
            "alt=\"x&quot; onmouseover=&quot;alert(1).jpg\"></a><!---->"
            "|seiten/Urlaub%20%233%20100%25.html<!---->");
}

TEST(VariableTableTest, UrlFormStandsBesideTheHtmlForm) {
  TemplateHarness h;
  h.AddImage("a.jpg");
  h.AddProperty("Datei");
  h.AddProperty("URL:EIGEN");
  h.AddProperty("Leer");
  h.records.Item(0).Details.SetValueOf("Datei", "a&b <c>.jpg");
  h.records.Item(0).Details.SetValueOf("URL:EIGEN", "so wie es steht");
  h.SetValue("EIGEN", "ein anderer Wert");
  h.AddTemplate(
      "t.html", "seite", "",
      "%URL:Datei%|%URL:URL:Datei%|%URL:HTML:Datei%|%HTML:URL:Datei%|%URL:EIGEN%|%URL:Leer%|"
      "%URL:gibtsnicht%|%URL:%|%URL:FNAME_NO_PATH%"
      "<!--[VTL] CONDITION(DoesExist(%URL:Leer%)=FALSE)-->leer<!--[VTL] END CONDITION-->");
  ASSERT_TRUE(h.Run());
  EXPECT_EQ(h.Page("a.html"),
            "\na%26b%20%3Cc%3E.jpg|a%2526b%2520%253Cc%253E.jpg|a%26amp%3Bb%20%26lt%3Bc%26gt%3B.jpg|"
            "a%26b%20%3Cc%3E.jpg|so wie es steht||||a.jpg<!---->leer<!---->");
}

TEST(VariableTableTest, ManyFormsInFrontOfANameGiveNothingInsteadOfWorkingWithoutEnd) {
  TVTLParser parser;
  parser.SetVariable("x", "a b");
  EXPECT_EQ(parser.VariableValue("URL:HTML:URL:x"), "a%2520b");
  std::string forms;
  for (int i = 0; i < 8; ++i) forms += i % 2 ? "HTML:" : "url:";
  EXPECT_EQ(parser.VariableValue(forms + "x"), "a%25252520b");
  EXPECT_EQ(parser.VariableValue("URL:" + forms + "x"), std::nullopt);
  std::string endless;
  for (int i = 0; i < 10000; ++i) endless += "URL:";
  EXPECT_EQ(parser.ExpandText("<%" + endless + "x%>"), "<>");
}

}  // namespace
}  // namespace vistrel
