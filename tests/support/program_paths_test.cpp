#include "support/program_paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "test_support.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;

// The program's data beside it (a build tree) wins; installed, it is found in
// ../share/vistrel and named without "..", since the skin's folder is shown to the user.
TEST(ProgramPathsTest, FindsDataBesideTheProgramElseInTheInstalledFolder) {
  TempDir dir;
  const std::string bin = dir / "usr/bin/";
  ::mkdir((dir / "usr").c_str(), 0755);
  ::mkdir(bin.c_str(), 0755);
  EXPECT_EQ(FindProgramData(bin, "skins", true), bin + "skins");
  EXPECT_EQ(FindProgramData(bin, "doc/vistrel.html", false), "");

  WriteFile(dir / "usr/share/vistrel/skins/a/a.vsk", "");
  WriteFile(dir / "usr/share/vistrel/doc/vistrel.html", "<html>");
  EXPECT_EQ(FindProgramData(bin, "skins", true), dir / "usr/share/vistrel/skins");
  EXPECT_EQ(FindProgramData(bin, "doc/vistrel.html", false),
            dir / "usr/share/vistrel/doc/vistrel.html");

  WriteFile(bin + "skins/b/b.vsk", "");
  ::mkdir((bin + "doc").c_str(), 0755);
  ::mkdir((bin + "doc/vistrel.html").c_str(), 0755);  // a folder is no guide
  EXPECT_EQ(FindProgramData(bin, "skins", true), bin + "skins");
  EXPECT_EQ(FindProgramData(bin, "doc/vistrel.html", false),
            dir / "usr/share/vistrel/doc/vistrel.html");
}

}  // namespace
}  // namespace vistrel
