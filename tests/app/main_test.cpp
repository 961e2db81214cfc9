// The desktop program as a whole, started as a user starts it (offscreen, with a home of the
// test): how it ends when asked to stop, and what it answers on its command line.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include "support/version.h"
#include "test_support.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;

class DesktopProgramTest : public ::testing::Test {
 protected:
  pid_t Start(bool ignore_sigint = false, const std::vector<std::string>& args = {}) {
    std::vector<std::string> argv = {VISTREL_APP};
    argv.insert(argv.end(), args.begin(), args.end());
    return StartProgram(argv, dir_ / "out.txt", dir_ / "err.txt", ignore_sigint);
  }
  int ExitCode(pid_t child) {
    const int status = WaitForProgram(child, 60);
    EXPECT_TRUE(WIFEXITED(status)) << status << "\n" << ReadFile(dir_ / "err.txt");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  TempDir dir_;
  ScopedEnv home_{"HOME", dir_ / "home"};
  ScopedEnv config_{"XDG_CONFIG_HOME", std::nullopt};
  ScopedEnv data_{"XDG_DATA_HOME", std::nullopt};
  ScopedEnv cache_{"XDG_CACHE_HOME", std::nullopt};
  ScopedEnv platform_{"QT_QPA_PLATFORM", "offscreen"};
};

// During start-up, with its window up, and whichever of the two signals: status 130.
TEST_F(DesktopProgramTest, AStopSignalAtAnyMomentOfItsLifeEndsItWithStatus130) {
  const struct {
    int delay_ms;
    int signal;
  } moments[] = {{0, SIGTERM}, {0, SIGINT}, {100, SIGTERM}, {1500, SIGINT}, {4000, SIGTERM}};
  for (const auto& moment : moments) {
    const pid_t child = Start();
    ASSERT_GT(child, 0);
    ::usleep(static_cast<useconds_t>(moment.delay_ms) * 1000);
    ::kill(child, moment.signal);
    EXPECT_EQ(ExitCode(child), 130) << moment.delay_ms << " ms";
  }
}

// Started with SIGINT ignored (nohup), the program keeps ignoring it; SIGTERM still ends it.
TEST_F(DesktopProgramTest, AnInheritedIgnoreOfSigintIsKept) {
  const pid_t child = Start(true);
  ASSERT_GT(child, 0);
  ::kill(child, SIGINT);  // held back until the program lets signals through
  ::usleep(1500000);
  ::kill(child, SIGINT);
  ::usleep(500000);
  int status = 0;
  EXPECT_EQ(::waitpid(child, &status, WNOHANG), 0) << "ended by an ignored SIGINT";
  ::kill(child, SIGTERM);
  EXPECT_EQ(ExitCode(child), 130);
}

// Help and version come before the toolkit starts, so they work without any display; what the
// program does not take is refused with status 2 before a window opens.
TEST_F(DesktopProgramTest, AnswersHelpAndVersionWithoutADisplayAndRefusesOtherArguments) {
  {
    ScopedEnv no_platform("QT_QPA_PLATFORM", std::nullopt);
    ScopedEnv no_x("DISPLAY", std::nullopt);
    ScopedEnv no_wayland("WAYLAND_DISPLAY", std::nullopt);
    for (const char* ask : {"--help", "-h"}) {
      EXPECT_EQ(ExitCode(Start(false, {ask})), 0) << ask;
      EXPECT_EQ(ReadFile(dir_ / "out.txt").substr(0, 38), "Aufruf: vistrel [--help | --version]\nF")
          << ask;
      EXPECT_EQ(ReadFile(dir_ / "err.txt"), "") << ask;
    }
    EXPECT_EQ(ExitCode(Start(false, {"--version"})), 0);
    EXPECT_EQ(ReadFile(dir_ / "out.txt"), std::string("vistrel ") + kVersionText + "\n");
  }
  const struct {
    std::vector<std::string> args;
    std::string err;
  } refused[] = {
      {{"--bogus"}, "Fehler: Unbekannte Option --bogus\n„vistrel --help“ zeigt alle Optionen.\n"},
      {{"liste.csv"},
       "Fehler: Unerwartetes Argument liste.csv\n„vistrel --help“ zeigt alle Optionen.\n"},
      {{"--", "--help"},
       "Fehler: Unerwartetes Argument --help\n„vistrel --help“ zeigt alle Optionen.\n"},
  };
  for (const auto& each : refused) {
    EXPECT_EQ(ExitCode(Start(false, each.args)), 2) << each.args.back();
    // The toolkit may note things about the machine before.
    const std::string err = ReadFile(dir_ / "err.txt");
    EXPECT_EQ(err.substr(err.size() - std::min(err.size(), each.err.size())), each.err);
    EXPECT_EQ(ReadFile(dir_ / "out.txt"), "");
  }
}

}  // namespace
}  // namespace vistrel
