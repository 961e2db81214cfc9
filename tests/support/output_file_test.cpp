#include "support/output_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include "test_support.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;

// Text in small pieces and pictures in large ones arrive whole and in order.
TEST(OutputFileTest, SmallAndLargePiecesArriveInOrder) {
  TempDir dir;
  const std::string path = dir / "seite.html";
  TOutputFile file(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644), path);
  std::string expected;
  for (const std::string& piece :
       {std::string("<p>"), std::string(300 * 1024, 'x'), std::string("</p>"),
        std::string(200 * 1024, 'y'), std::string(100 * 1024, 'z'), std::string("\r\n")}) {
    file.Write(piece);
    expected += piece;
  }
  EXPECT_EQ(file.Size(), expected.size());
  file.Close();
  EXPECT_FALSE(file.IsOpen());
  EXPECT_TRUE(ReadFile(path) == expected);
}

// A file the system refuses to take (a full disk) is an error, for a large piece at once and
// for gathered text when it is closed; neither is taken for finished.
TEST(OutputFileTest, AFileThatCannotBeWrittenThrows) {
  TOutputFile large(::open("/dev/full", O_WRONLY | O_CLOEXEC), "/dev/full");
  EXPECT_THROW(large.Write(std::string(512 * 1024, 'x')), EOutputError);
  TOutputFile small(::open("/dev/full", O_WRONLY | O_CLOEXEC), "/dev/full");
  small.Write("<p>Text</p>");
  try {
    small.Close();
    FAIL() << "no error";
  } catch (const EOutputError& error) {
    EXPECT_STREQ(error.what(),
                 "Die Datei /dev/full konnte nicht geschrieben werden (kein Platz mehr auf dem "
                 "Datenträger)!");
    EXPECT_EQ(error.Path(), "/dev/full");
    EXPECT_EQ(error.Reason(), "kein Platz mehr auf dem Datenträger");
  }
  TOutputFile closed;
  EXPECT_THROW(closed.Write("x"), EOutputError);
}

}  // namespace
}  // namespace vistrel
