#include "generation/gallery_manifest.h"

#include <gtest/gtest.h>

namespace vistrel {
namespace {

TEST(GalleryManifestTest, EveryNameComesBackAsItWasWritten) {
  TGalleryManifest manifest;
  manifest.id = "5c0e9a";
  manifest.entries = {{"index.html", 1843, 1765155845123456789, 0x9f0c00000000abcdULL},
                      {"bilder/Straße am Meer 100%.jpg", 0, -5, 0},
                      {"zwei\nZeilen und\tTab", 7, 0, ~0ULL}};
  const std::string text = FormatManifest(manifest);
  EXPECT_TRUE(
      text.starts_with("vistrel-inhalt 1\nkennung 5c0e9a\n1843 1765155845123456789 "
                       "9f0c00000000abcd index.html\n"));
  EXPECT_TRUE(text.ends_with("ende 3\n"));
  const std::optional<TGalleryManifest> read = ParseManifest(text);
  ASSERT_TRUE(read);
  EXPECT_EQ(*read, manifest);
  manifest.id.clear();
  manifest.entries.clear();
  EXPECT_EQ(ParseManifest(FormatManifest(manifest)), manifest);
}

TEST(GalleryManifestTest, AManifestThatIsNotWhollyRightIsNone) {
  const std::string head = "vistrel-inhalt 1\nkennung -\n";
  const std::string good = "1 2 0000000000000001 a.jpg\n";
  const std::vector<std::pair<const char*, std::string>> cases = {
      {"empty", ""},
      {"another header", "vistrel-inhalt 2\nkennung -\nende 0\n"},
      {"no identity line", "vistrel-inhalt 1\nende 0\n"},
      {"cut short", head + good},
      {"a line cut short", head + "1 2 0000000000000001 a.jpg"},
      {"count differs", head + good + "ende 2\n"},
      {"more after the end", head + good + "ende 1\n" + good},
      {"a name leaving the folder", head + "1 2 0000000000000001 ../a.jpg\nende 1\n"},
      {"a name inside then out", head + "1 2 0000000000000001 a/../../b\nende 1\n"},
      {"an absolute name", head + "1 2 0000000000000001 /etc/passwd\nende 1\n"},
      {"a name with a NUL", head + "1 2 0000000000000001 a%00.jpg\nende 1\n"},
      {"a broken escape", head + "1 2 0000000000000001 a%2\nende 1\n"},
      {"a name twice", head + good + good + "ende 2\n"},
      {"the manifest itself", head + "1 2 0000000000000001 .vistrel-inhalt\nende 1\n"},
      {"a run's journal", head + "1 2 0000000000000001 .vistrel-lauf-abc\nende 1\n"},
      {"an empty name", head + "1 2 0000000000000001 \nende 1\n"},
      {"a negative size", head + "-1 2 0000000000000001 a.jpg\nende 1\n"},
      {"a short checksum", head + "1 2 01 a.jpg\nende 1\n"},
      {"no checksum", head + "1 2 a.jpg\nende 1\n"},
      {"a size too large", head + "99999999999999999999 2 0000000000000001 a\nende 1\n"},
      {"a line too long", head + "1 2 0000000000000001 " + std::string(20000, 'a') + "\nende 1\n"},
      {"binary", std::string("\0\xff\n\n", 4)},
  };
  for (const auto& [what, text] : cases) EXPECT_FALSE(ParseManifest(text)) << what;
  EXPECT_TRUE(ParseManifest(head + good + "ende 1\n"));
}

}  // namespace
}  // namespace vistrel
