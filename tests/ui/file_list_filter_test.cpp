#include "ui/file_list_filter.h"

#include <gtest/gtest.h>

#include "image_fixtures.h"
#include "test_support.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;

// Photos are listed by what they hold, whatever their names say.
TEST(FileListFilterTest, OnlyPhotoFilesAreListedByTheirContents) {
  TempDir dir;
  WriteFile(dir / "x.JPG", MakeJpeg(8, 8));
  WriteFile(dir / "IMG_0001", std::string("\0\0\0\x18"
                                          "ftypheic\0\0\0\0mif1heic",
                                          24));
  WriteFile(dir / "text.jpg", "Urlaub");
  WriteFile(dir / "empty.png", "");
  const struct {
    const char* name;
    bool is_folder;
    bool listed;
  } cases[] = {{"x.JPG", false, true},      {"IMG_0001", false, true},
               {"x.JPG", true, false},      {"text.jpg", false, false},
               {"empty.png", false, false}, {"missing.jpg", false, false}};
  for (const auto& c : cases)
    EXPECT_EQ(IsListedInFileList(QString::fromStdString(dir / c.name), c.is_folder), c.listed)
        << c.name;
}

TEST(FileListFilterTest, SizesAreWrittenTheGermanWay) {
  const struct {
    qint64 bytes;
    const char* shown;
  } cases[] = {{0, "0 Bytes"},        {1, "1 Byte"},      {812, "812 Bytes"},
               {1023, "1.023 Bytes"}, {36270, "35,4 kB"}, {3355443, "3,2 MB"}};
  for (const auto& c : cases) EXPECT_EQ(GermanFileSize(c.bytes), c.shown) << c.bytes;
}

}  // namespace
}  // namespace vistrel
