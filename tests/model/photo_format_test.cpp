#include "model/photo_format.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "test_support.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;

std::string Bytes(const char* text, size_t size) { return std::string(text, size); }

// A file type box of `size` declared bytes with these brands after the minor version.
std::string Ftyp(const std::string& major, const std::string& compatible) {
  const size_t size = 16 + compatible.size();
  return Bytes("\0\0\0", 3) + static_cast<char>(size) + "ftyp" + major + Bytes("\0\0\0\0", 4) +
         compatible;
}

TEST(PhotoFormatTest, SignaturesTellTheFormat) {
  const struct {
    std::string bytes;
    TImageFormat format;
  } cases[] = {
      {Bytes("\xFF\xD8\xFF\xE0", 4), TImageFormat::kJpeg},
      {Bytes("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16), TImageFormat::kPng},
      {Bytes("II*\0\x08\0\0\0", 8), TImageFormat::kTiff},
      {Bytes("MM\0*\0\0\0\x08", 8), TImageFormat::kTiff},
      {Bytes("II+\0\x08\0\0\0", 8), TImageFormat::kTiff},  // BigTIFF
      {Bytes("RIFF\x10\0\0\0WEBPVP8 ", 16), TImageFormat::kWebp},
      {Bytes("\xFF\x0A\xFA", 3), TImageFormat::kJxl},
      {Bytes("\0\0\0\x0CJXL \x0D\x0A\x87\x0A", 12), TImageFormat::kJxl},
      {Ftyp("heic", "mif1heic"), TImageFormat::kHeif},
      {Ftyp("mif1", "miafheic"), TImageFormat::kHeif},  // a compatible brand suffices
      {Ftyp("avif", "mif1avif"), TImageFormat::kAvif},
      {Ftyp("mif1", "avifmiaf"), TImageFormat::kAvif},
      // No photos the program takes.
      {Ftyp("isom", "isomiso2mp41"), TImageFormat::kUnknown},        // a video
      {Ftyp("mp42", "heix").substr(0, 19), TImageFormat::kUnknown},  // cut in its brands
      {Bytes("\0\0\0\x08"
             "ftypheic",
             12),
       TImageFormat::kUnknown},  // too short to be one
      {"GIF89a\x01\0\x01\0", TImageFormat::kUnknown},
      {"<svg xmlns='http://www.w3.org/2000/svg'/>", TImageFormat::kUnknown},
      {"%PDF-1.4", TImageFormat::kUnknown},
      {Bytes("RIFF\x10\0\0\0WAVEfmt ", 16), TImageFormat::kUnknown},
      {Bytes("\xFF\xD8", 2), TImageFormat::kUnknown},
      {"", TImageFormat::kUnknown},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SniffImageFormat(c.bytes), c.format) << ::testing::PrintToString(c.bytes);
}

// A file is a photo by its first bytes, whatever its name; what cannot be read is none.
TEST(PhotoFormatTest, FilesAreTakenByTheirContents) {
  TempDir dir;
  WriteFile(dir / "IMG_0001", Ftyp("heic", "mif1heic") + std::string(400, 'x'));
  WriteFile(dir / "notes.jpg", "Urlaub 2024");
  WriteFile(dir / "bild.png", Bytes("\xFF\xD8\xFF\xDB", 4));
  WriteFile(dir / "empty.jpg", "");
  ASSERT_EQ(::mkfifo((dir / "fifo.jpg").c_str(), 0600), 0);
  EXPECT_EQ(PhotoFormatOfFile(dir / "IMG_0001"), TImageFormat::kHeif);
  EXPECT_EQ(PhotoFormatOfFile(dir / "bild.png"), TImageFormat::kJpeg);
  EXPECT_TRUE(IsPhotoFile(dir / "bild.png"));
  for (const char* name : {"notes.jpg", "empty.jpg", "fifo.jpg", "missing.jpg"})
    EXPECT_FALSE(IsPhotoFile(dir / name)) << name;
  EXPECT_FALSE(IsPhotoFile(dir.Path()));
}

TEST(PhotoFormatTest, NamesForMessagesAndExtensionsForFiles) {
  EXPECT_EQ(FormatName(TImageFormat::kHeif), "HEIF");
  EXPECT_EQ(FormatName(TImageFormat::kJxl), "JPEG XL");
  EXPECT_EQ(FormatName(TImageFormat::kUnknown), "");
  EXPECT_EQ(FormatExtension(TImageFormat::kHeif), ".heic");
  EXPECT_EQ(FormatExtension(TImageFormat::kTiff), ".tif");
  EXPECT_EQ(FormatExtension(TImageFormat::kUnknown), "");
}

}  // namespace
}  // namespace vistrel
