// The UI tests run in one QApplication on the offscreen platform, with the image library
// started, and with a home folder of their own: no window of a test ever reads the user's home
// (nor its trash, cache or settings). The offscreen screen is a common laptop screen of
// 1366 x 768 pixels, on which every window must fit.
#include <gtest/gtest.h>

#include <QApplication>

#include "imaging/image_library.h"
#include "test_support.h"

int main(int argc, char** argv) {
  vistrel::testing::TempDir home;
  vistrel::testing::ScopedEnv env_home("HOME", home.Path());
  vistrel::testing::ScopedEnv env_data("XDG_DATA_HOME", std::nullopt);
  vistrel::testing::ScopedEnv env_cache("XDG_CACHE_HOME", std::nullopt);
  vistrel::testing::ScopedEnv env_config("XDG_CONFIG_HOME", std::nullopt);
  const std::string screen = home / "offscreen.json";
  vistrel::testing::WriteFile(screen,
                              R"({"screens": [{"name": "Bildschirm", "x": 0, "y": 0, "width": 1366,
                  "height": 768, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
  vistrel::testing::ScopedEnv env_platform("QT_QPA_PLATFORM", "offscreen:configfile=" + screen);
  vistrel::TImageLibrary image_library(argv[0]);
  int result = 0;
  {
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    result = RUN_ALL_TESTS();
  }
  return result;
}
