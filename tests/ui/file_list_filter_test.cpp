#include "ui/file_list_filter.h"

#include <gtest/gtest.h>

namespace vistrel {
namespace {

TEST(FileListFilterTest, OnlyFilesWithJpegNamesAreListed) {
  EXPECT_TRUE(IsListedInFileList("x.JPG", false));
  EXPECT_TRUE(IsListedInFileList("x.jpeg", false));
  EXPECT_FALSE(IsListedInFileList("x.jpg", true));
  EXPECT_FALSE(IsListedInFileList("x.png", false));
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
