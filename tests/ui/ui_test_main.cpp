// The UI tests run in one QApplication on the offscreen platform, with the image library
// started, and with a home folder of their own: no window of a test ever reads the user's home
// (nor its trash or cache).
#include <gtest/gtest.h>

#include <QApplication>

#include "imaging/image_library.h"
#include "test_support.h"

int main(int argc, char** argv) {
  vistrel::testing::TempDir home;
  vistrel::testing::ScopedEnv env_home("HOME", home.Path());
  vistrel::testing::ScopedEnv env_data("XDG_DATA_HOME", std::nullopt);
  vistrel::testing::ScopedEnv env_cache("XDG_CACHE_HOME", std::nullopt);
  vistrel::testing::ScopedEnv env_platform("QT_QPA_PLATFORM", "offscreen");
  vistrel::TImageLibrary image_library(argv[0]);
  int result = 0;
  {
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    result = RUN_ALL_TESTS();
  }
  return result;
}
