#include "cli/cli.h"

#include <gtest/gtest.h>

#include <sstream>

#include "image_fixtures.h"
#include "test_support.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;

struct CliResult {
  int status;
  std::string out, err;
};

CliResult RunCommand(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  int status = RunCli(args, out, err);
  return {status, out.str(), err.str()};
}

TEST(CliMetadataTest, PrintsOneLinePerEntryWithEscapes) {
  TempDir dir;
  TTiff tiff;
  tiff.ifd0 = {Ascii(0x010E, std::string("a\\b\r\nc\td\0e", 10)), Ascii(0x010F, "Canon")};
  WriteFile(dir / "a.jpg", WithExif(MakeJpeg(20, 10), BuildTiff(tiff)));
  CliResult result = RunCommand({"metadata", dir / "a.jpg"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "ImageDescription=a\\\\b\\r\\nc\\td\\0e\nEquipMake=Canon\nWidth=20\nHeight=10\n");
}

TEST(CliMetadataTest, SeveralFilesGetAHeaderLineEach) {
  TempDir dir;
  WriteFile(dir / "a.jpg", MakeJpeg(4, 3));
  CliResult result = RunCommand({"metadata", dir / "a.jpg", dir / "missing.jpg"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "# " + (dir / "a.jpg") + "\nWidth=4\nHeight=3\n# " + (dir / "missing.jpg") +
                            "\nWidth=0\nHeight=0\n");
}

TEST(CliUsageTest, UnknownCommandsAndMissingArgumentsAreUsageErrors) {
  EXPECT_EQ(RunCommand({}).status, 2);
  EXPECT_EQ(RunCommand({"metadata"}).status, 2);
  CliResult unknown = RunCommand({"frobnicate"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.err.find("Aufruf:"), std::string::npos);
}

}  // namespace
}  // namespace vistrel
