// The desktop program as a whole, started as a user starts it (offscreen, with a home of the
// test): how it ends when asked to stop.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "test_support.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;

class DesktopProgramTest : public ::testing::Test {
 protected:
  pid_t Start(bool ignore_sigint = false) {
    return StartProgram({VISTREL_APP}, dir_ / "out.txt", dir_ / "err.txt", ignore_sigint);
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

}  // namespace
}  // namespace vistrel
