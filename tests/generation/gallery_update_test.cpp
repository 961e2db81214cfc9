// A run into the folder of a gallery made before replaces it in place: the folder then holds
// what a run into an empty folder writes, under the same names, and the user's own files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "generation/gallery_manifest.h"
#include "generation/run_fixture.h"
#include "image_fixtures.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;

class GalleryUpdateTest : public RunFixture {
 protected:
  void SetUp() override {
    TSkinFixture fixture;
    fixture.variants = {{"THUMB", "klein", "100", "100", "th_%old%"},
                        {"BIG", "groß", "400", "400", "bilder/%old%"}};
    fixture.templates = {{"index.tpl", "index", "index.html"}, {"detail.tpl", "detail", ""}};
    fixture.template_files = {
        {"index.tpl", "[VTL] NEWSECTION NUMREPEAT:0\n%THUMB%\n[VTL] ENDSECTION"},
        {"detail.tpl", "%BIG% %INDEX%"}};
    fixture.static_files = {{"stil.css", "body {}"}};
    UseSkin(fixture);
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
      AddPhoto(dir_ / (std::string("photos/") + name));
  }
  // Every file below `folder`, as relative paths, sorted.
  static Files Tree(const std::string& folder, const std::string& prefix = "") {
    Files names;
    for (const std::string& name : ListFolder(folder + "/" + prefix)) {
      const std::string path = prefix + name;
      const Files below = Tree(folder, path + "/");
      if (below.empty() && !IsDirectory(folder + "/" + path)) names.push_back(path);
      names.insert(names.end(), below.begin(), below.end());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  static bool IsDirectory(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }
  Files Trashed() const { return ListFolder(files_.TrashFiles()); }
  // The notes of the last run.
  Files Notes() const {
    Files notes;
    for (const std::string& report : reports_)
      if (report.starts_with("9,")) notes.push_back(report.substr(report.find(' ') + 1));
    return notes;
  }
};

TEST_F(GalleryUpdateTest, TheFolderHoldsWhatAnEmptyFolderWouldAndTheUsersFiles) {
  ASSERT_TRUE(Run());
  const Files first = Tree(out_);
  EXPECT_TRUE(std::count(first.begin(), first.end(), std::string(kManifestName)));
  WriteFile(out_ + "/notiz.txt", "meins");
  WriteFile(out_ + "/bilder/eigenes.jpg", "meins");
  // A caption changed and a photo added: the pages change, the photos stay.
  AddPhoto(dir_ / "photos/d.jpg");
  ASSERT_TRUE(Run({.update = true})) << refusal_;
  ASSERT_TRUE(Run({.out = dir_ / "frisch"}));
  Files expected = Tree(dir_ / "frisch");
  expected.push_back("bilder/eigenes.jpg");
  expected.push_back("notiz.txt");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Tree(out_), expected);  // no numbered name
  EXPECT_EQ(ReadFile(out_ + "/notiz.txt"), "meins");
  EXPECT_EQ(ReadFile(out_ + "/d.html"), ReadFile(dir_ / "frisch/d.html"));
  EXPECT_TRUE(Trashed().empty());

  // Without updating, a run writes beside the gallery as it always did.
  ASSERT_TRUE(Run());
  EXPECT_TRUE(Exists(out_ + "/index2.html"));
}

TEST_F(GalleryUpdateTest, FilesNoLongerMadeGoAndChangedOnesGoToTheTrash) {
  ASSERT_TRUE(Run());
  WriteFile(out_ + "/th_b.jpg", "vom Nutzer bearbeitet");  // made again
  WriteFile(out_ + "/bilder/c.jpg", "auch bearbeitet");    // made no more
  (void)records_.RemoveAt(2);                              // c.jpg leaves the list
  ASSERT_TRUE(Run({.update = true})) << refusal_;
  const Files tree = Tree(out_);
  for (const char* gone : {"c.html", "th_c.jpg", "bilder/c.jpg"})
    EXPECT_FALSE(std::count(tree.begin(), tree.end(), gone)) << gone;
  EXPECT_NE(ReadFile(out_ + "/th_b.jpg"), "vom Nutzer bearbeitet");
  EXPECT_EQ(Trashed(), (Files{"c.jpg", "th_b.jpg"}));
  EXPECT_EQ(ReadFile(files_.TrashFiles() + "/th_b.jpg"), "vom Nutzer bearbeitet");
  EXPECT_EQ(Notes(), (Files{"Die Datei " + out_ +
                                "/th_b.jpg wurde seit der letzten Erzeugung "
                                "geändert und liegt jetzt im Papierkorb.",
                            "Die Datei " + out_ +
                                "/bilder/c.jpg wurde seit der letzten "
                                "Erzeugung geändert und liegt jetzt im Papierkorb."}));
}

TEST_F(GalleryUpdateTest, AFolderTheOldGalleryLeavesEmptyGoesAndOneWithTheUsersFilesStays) {
  TSkinFixture fixture;
  fixture.variants = {{"THUMB", "klein", "100", "100", "kleine/th_%old%"},
                      {"BIG", "groß", "400", "400", "bilder/tief/%old%"}};
  fixture.templates = {{"index.tpl", "index", "index.html"}};
  fixture.template_files = {
      {"index.tpl", "[VTL] NEWSECTION NUMREPEAT:0\n%THUMB% %BIG%\n[VTL] ENDSECTION"}};
  UseSkin(fixture);
  ASSERT_TRUE(Run());
  WriteFile(out_ + "/kleine/notiz.txt", "meins");
  ASSERT_EQ(::mkdir((out_ + "/leer").c_str(), 0755), 0);  // the user's own empty folder
  // The copies move to other folders: the old ones are no longer made.
  fixture.variants = {{"THUMB", "klein", "100", "100", "mini/th_%old%"},
                      {"BIG", "groß", "400", "400", "gross/%old%"}};
  UseSkin(fixture);
  ASSERT_TRUE(Run({.update = true})) << refusal_;
  EXPECT_FALSE(Exists(out_ + "/bilder"));
  EXPECT_EQ(ListFolder(out_ + "/kleine"), Files{"notiz.txt"});
  EXPECT_TRUE(IsDirectory(out_ + "/leer"));
  EXPECT_EQ(ListFolder(out_ + "/gross"), (Files{"a.jpg", "b.jpg", "c.jpg"}));
  EXPECT_TRUE(Trashed().empty());
}

TEST_F(GalleryUpdateTest, AFileOfTheUsersInTheWayGoesToTheTrashAndOthersStay) {
  ASSERT_TRUE(Run());
  WriteFile(out_ + "/th_d.jpg", "mein Bild");
  WriteFile(out_ + "/anderes.jpg", "bleibt");
  const std::string outside = dir_ / "geheim.txt";
  WriteFile(outside, "geheim");
  ASSERT_EQ(::symlink(outside.c_str(), (out_ + "/d.html").c_str()), 0);
  AddPhoto(dir_ / "photos/d.jpg");
  ASSERT_TRUE(Run({.update = true})) << refusal_;
  EXPECT_EQ(Trashed(), (Files{"d.html", "th_d.jpg"}));
  EXPECT_EQ(ReadFile(outside), "geheim");  // the link went, never what it leads to
  EXPECT_EQ(ReadFile(out_ + "/anderes.jpg"), "bleibt");
  EXPECT_FALSE(Exists(out_ + "/th_d2.jpg"));
  EXPECT_EQ(Notes().size(), 2u);
  EXPECT_NE(Notes()[0].find("stand einer Datei der Galerie im Weg"), std::string::npos);
}

TEST_F(GalleryUpdateTest, OnlyAFolderWithAGalleryOrNothingCanBeUpdated) {
  // Nothing there yet: the first update is a first run.
  ASSERT_TRUE(Run({.update = true})) << refusal_;
  WriteFile(dir_ / "fremd/brief.txt", "x");
  EXPECT_FALSE(Run({.out = dir_ / "fremd", .update = true}));
  EXPECT_EQ(refusal_, "Das Verzeichnis " + (dir_ / "fremd/") +
                          " enthält keine mit Vistrel erzeugte Galerie, die sich aktualisieren "
                          "ließe!");
  // A manifest that is not wholly right is none: nothing is taken for the gallery's.
  const std::vector<std::string> hostile = {
      "vistrel-inhalt 1\nkennung -\n5 0 0000000000000000 ../brief.txt\nende 1\n",
      "vistrel-inhalt 1\nkennung -\n5 0 0000000000000000 brief.txt\n", std::string(2048, '\xff')};
  for (const std::string& manifest : hostile) {
    WriteFile(dir_ / "fremd/.vistrel-inhalt", manifest);
    EXPECT_FALSE(Run({.out = dir_ / "fremd", .update = true})) << manifest;
    EXPECT_EQ(ReadFile(dir_ / "fremd/brief.txt"), "x");
  }
  // A manifest naming a file that became a link names it no more: the link is in the way
  // like any file of the user's, and what it leads to stays.
  ASSERT_EQ(::unlink((out_ + "/th_a.jpg").c_str()), 0);
  ASSERT_EQ(::symlink((dir_ / "fremd/brief.txt").c_str(), (out_ + "/th_a.jpg").c_str()), 0);
  ASSERT_TRUE(Run({.update = true})) << refusal_;
  EXPECT_EQ(ReadFile(dir_ / "fremd/brief.txt"), "x");
  EXPECT_EQ(Trashed(), Files{"th_a.jpg"});
}

TEST_F(GalleryUpdateTest, ACancelledUpdateLeavesAManifestThatStillNamesTheGallery) {
  ASSERT_TRUE(Run());
  (void)records_.RemoveAt(2);
  on_report_ = [this](const std::string& report) {
    if (report.starts_with("1,1,2,1,")) cancel_.Cancel();
  };
  EXPECT_FALSE(Run({.update = true}));
  // c's files were not made again, but the gallery is not complete: they stay, and the
  // manifest still names them for the next update to take away.
  EXPECT_TRUE(Exists(out_ + "/th_c.jpg"));
  const std::optional<TGalleryManifest> manifest =
      ParseManifest(ReadFile(out_ + "/.vistrel-inhalt"));
  ASSERT_TRUE(manifest);
  Files named;
  for (const TManifestEntry& entry : manifest->entries) named.push_back(entry.name);
  for (const char* name : {"th_a.jpg", "th_c.jpg", "bilder/c.jpg", "c.html", "index.html"})
    EXPECT_TRUE(std::count(named.begin(), named.end(), name)) << name;
  EXPECT_TRUE(Trashed().empty());
}

}  // namespace
}  // namespace vistrel
