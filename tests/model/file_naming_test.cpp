#include "model/file_naming.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/disk.h"
#include "test_support.h"

namespace vistrel {
namespace {

using testing::TempDir;
using testing::WriteFile;

TEST(FileNamingTest, IsJpegFileNameLooksOnlyAtTheExtension) {
  for (const char* name : {"a.jpg", "B.JPG", "c.Jpeg", "/x/y.z/pic.jPg", "Äpfel.JPEG"})
    EXPECT_TRUE(IsJpegFileName(name)) << name;
  for (const char* name : {"a.jpe", "b.png", "noext", "/folder.jpg/file", "a.jpg.txt", ""})
    EXPECT_FALSE(IsJpegFileName(name)) << name;
}

TEST(FileNamingTest, PathParts) {
  EXPECT_EQ(ExtractFileExt("/a.b/c"), "");
  EXPECT_EQ(ExtractFileExt("/a/c.tar.gz"), ".gz");
  EXPECT_EQ(ExtractFileName("/a/b/c.jpg"), "c.jpg");
  EXPECT_EQ(ExtractFilePath("/a/b/c.jpg"), "/a/b/");
  EXPECT_EQ(ExtractFilePath("c.jpg"), "");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/a"), "/a/");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/a/"), "/a/");
}

TEST(FileNamingTest, ReplaceTextIgnoreCaseReplacesEveryOccurrence) {
  std::string text = "%old%_x_%OLD%_%Old%";
  ReplaceTextIgnoreCase(text, "%old%", "IMG");
  EXPECT_EQ(text, "IMG_x_IMG_IMG");
}

TEST(FileNamingTest, ReplaceTextIgnoreCaseEndsWhenTheReplacementHoldsThePattern) {
  std::string text = "a%old%b%old%";
  ReplaceTextIgnoreCase(text, "%old%", "[%OLD%]");
  EXPECT_EQ(text, "a[%OLD%]b[%OLD%]");
}

TEST(FileNamingTest, ReplaceTextIgnoreCaseReplacesEveryPlaceInALongText) {
  std::string text;
  for (int i = 0; i < 32000 / 5; ++i) text += i % 2 ? "%OLD%" : "%old%";
  ReplaceTextIgnoreCase(text, "%old%", "Bild_0001");
  EXPECT_EQ(text.size(), 32000u / 5 * 9);
  EXPECT_EQ(text.substr(0, 18), "Bild_0001Bild_0001");
}

TEST(FileNamingTest, NumbersGoBeforeTheImageExtension) {
  TempDir dir;
  const std::string out = dir.Path();
  EXPECT_EQ(MakeUniqueFileName(SystemDisk(), out, "%old%_thumb", "IMG_1", ".JPG"),
            out + "IMG_1_thumb.JPG");
  WriteFile(out + "IMG_1_thumb.JPG", "");
  EXPECT_EQ(MakeUniqueFileName(SystemDisk(), out, "%old%_thumb", "IMG_1", ".JPG"),
            out + "IMG_1_thumb2.JPG");
  WriteFile(out + "IMG_1_thumb2.JPG", "");
  EXPECT_EQ(MakeUniqueFileName(SystemDisk(), out, "%OLD%_thumb", "IMG_1", ".JPG"),
            out + "IMG_1_thumb3.JPG");
}

TEST(FileNamingTest, EmptyPatternStandsForTheOldName) {
  TempDir dir;
  EXPECT_EQ(MakeUniqueFileName(SystemDisk(), dir.Path(), "", "IMG_1", ".jpg"), dir / "IMG_1.jpg");
  WriteFile(dir / "IMG_1.jpg", "");
  EXPECT_EQ(MakeUniqueFileName(SystemDisk(), dir.Path(), "", "IMG_1", ".jpg"), dir / "IMG_12.jpg");
}

TEST(FileNamingTest, WithoutAnExtensionArgumentTheNumberGoesBeforeThePatternsOwnExtension) {
  TempDir dir;
  EXPECT_EQ(MakeUniqueFileName(SystemDisk(), dir.Path(), "index.html", "x", ""),
            dir / "index.html");
  WriteFile(dir / "index.html", "");
  EXPECT_EQ(MakeUniqueFileName(SystemDisk(), dir.Path(), "index.html", "x", ""),
            dir / "index2.html");
  // A pattern without an extension of its own is numbered at its end.
  WriteFile(dir / "page", "");
  EXPECT_EQ(MakeUniqueFileName(SystemDisk(), dir.Path(), "page", "x", ""), dir / "page2");
}

TEST(FileNamingTest, AnyEntryCountsAsTakenAlsoAFolderOrADanglingLink) {
  TempDir dir;
  ASSERT_EQ(::mkdir((dir / "a.html").c_str(), 0755), 0);
  EXPECT_EQ(MakeUniqueFileName(SystemDisk(), dir.Path(), "a.html", "", ""), dir / "a2.html");
  ASSERT_EQ(::symlink((dir / "nowhere").c_str(), (dir / "b.html").c_str()), 0);
  EXPECT_EQ(MakeUniqueFileName(SystemDisk(), dir.Path(), "b.html", "", ""), dir / "b2.html");
}

TEST(FileNamingTest, TheFreeFunctionDoesNotReserveTheName) {
  TempDir dir;
  EXPECT_EQ(MakeUniqueFileName(SystemDisk(), dir.Path(), "p.html", "", ""),
            MakeUniqueFileName(SystemDisk(), dir.Path(), "p.html", "", ""));
}

TEST(FileNamingTest, NamerCountsItsOwnNamesAsTakenAndRemembersNumbers) {
  TempDir dir;
  TUniqueNamer namer(SystemDisk());
  EXPECT_EQ(namer.Make(dir.Path(), "p.html", "", ""), dir / "p.html");
  EXPECT_EQ(namer.Make(dir.Path(), "p.html", "", ""), dir / "p2.html");
  EXPECT_EQ(namer.Make(dir.Path(), "p.html", "", ""), dir / "p3.html");
  // A file made by someone else in between is seen too.
  WriteFile(dir / "p4.html", "");
  EXPECT_EQ(namer.Make(dir.Path(), "p.html", "", ""), dir / "p5.html");
  // Another pattern reaching the same names sees them as taken.
  EXPECT_EQ(namer.Make(dir.Path(), "%old%", "p", ".html"), dir / "p6.html");
}

TEST(FileNamingTest, NamerStaysLinearForThousandsOfPages) {
  TempDir dir;
  TUniqueNamer namer(SystemDisk());
  std::string last;
  for (int i = 0; i < 5000; ++i) last = namer.Make(dir.Path(), "page.html", "", "");
  EXPECT_EQ(last, dir / "page5000.html");
}

// Hostile names: a NUL would be cut by the system, control characters would reach the name,
// and a name whose every number is taken must not be searched for ever.
TEST(FileNamingTest, HostileNamesGiveAnErrorOrACleanNameNeverALoop) {
  TempDir dir;
  WriteFile(dir / "payload.jpg", "taken");
  TUniqueNamer namer(SystemDisk());
  EXPECT_EQ(namer.Make(dir.Path(), "%old%_thumb", std::string("valid\0seed", 10), ".jpg"), "");
  EXPECT_EQ(namer.Make(dir.Path(), std::string("x\0/../planted", 14), "a", ".html"), "");
  EXPECT_EQ(MakeUniqueFileName(SystemDisk(), dir.Path(), "%old%", "a\tb\nc\x7f", ".jpg"),
            dir / "a_b_c\x7f.jpg");
  // Every candidate of this pattern is taken: the namer gives up after its last number.
  std::string last;
  for (int i = 0; i < 100001 && (i == 0 || !last.empty()); ++i)
    last = namer.Make(dir.Path(), "payload", "", ".jpg");
  EXPECT_EQ(last, "");
}

}  // namespace
}  // namespace vistrel
