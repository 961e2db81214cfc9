#include "support/output_file.h"

#include <gtest/gtest.h>

#include "fault_disk.h"
#include "test_support.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;

TOutputFile Create(TDisk& disk, const std::string& path) {
  TFd fd;
  EXPECT_TRUE(disk.Open(kByPath, path, TOpen::kCreate, fd, 0644).Ok()) << path;
  return TOutputFile(disk, std::move(fd), path);
}

// Text in small pieces and pictures in large ones arrive whole and in order.
TEST(OutputFileTest, SmallAndLargePiecesArriveInOrder) {
  TempDir dir;
  const std::string path = dir / "seite.html";
  TOutputFile file = Create(SystemDisk(), path);
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
// for gathered text when it is closed, and also when only the closing reports it; none is
// taken for finished.
TEST(OutputFileTest, AFileThatCannotBeWrittenThrows) {
  TempDir dir;
  TFaultDisk disk;
  disk.Fail(TDiskOperation::kWrite, "*/full*", ENOSPC);
  disk.Fail(TDiskOperation::kClose, "*/late.html", EIO);
  TOutputFile large = Create(disk, dir / "full-large.jpg");
  EXPECT_THROW(large.Write(std::string(512 * 1024, 'x')), EOutputError);
  TOutputFile small = Create(disk, dir / "full-small.html");
  small.Write("<p>Text</p>");
  try {
    small.Close();
    FAIL() << "no error";
  } catch (const EOutputError& error) {
    EXPECT_EQ(std::string(error.what()),
              "Die Datei " + (dir / "full-small.html") +
                  " konnte nicht geschrieben werden (kein Platz mehr auf dem Datenträger)!");
    EXPECT_EQ(error.Path(), dir / "full-small.html");
    EXPECT_EQ(error.Reason(), "kein Platz mehr auf dem Datenträger");
  }
  TOutputFile late = Create(disk, dir / "late.html");
  late.Write("<p>Text</p>");
  EXPECT_THROW(late.Close(), EOutputError);
  EXPECT_FALSE(late.IsOpen());
  TOutputFile closed;
  EXPECT_THROW(closed.Write("x"), EOutputError);
}

}  // namespace
}  // namespace vistrel
