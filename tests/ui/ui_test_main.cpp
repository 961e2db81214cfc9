// The UI tests run in one QApplication on the offscreen platform, with the image library started.
#include <QApplication>
#include <gtest/gtest.h>

#include "imaging/image_library.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  vistrel::TImageLibrary image_library(argv[0]);
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
