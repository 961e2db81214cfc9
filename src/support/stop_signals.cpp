#include "support/stop_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "support/cancel_flag.h"

namespace vistrel {

namespace {

// What the handler touches: lock-free atomics and a pipe made before it was installed.
std::atomic<int> stop_signals{0};
std::atomic<int> handlers_running{0};
std::atomic<TCancelFlag*> cancel_target{nullptr};
int pipe_read = -1;
int pipe_write = -1;
static_assert(std::atomic<int>::is_always_lock_free);
static_assert(std::atomic<TCancelFlag*>::is_always_lock_free);

void OnStopSignal(int) {
  const int saved_errno = errno;
  if (stop_signals.fetch_add(1) > 0) ::_exit(kStoppedStatus);  // the second one: now
  handlers_running.fetch_add(1);
  if (TCancelFlag* flag = cancel_target.load()) flag->Cancel();
  handlers_running.fetch_sub(1);
  if (pipe_write >= 0) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(pipe_write, &byte, 1);
  }
  errno = saved_errno;
}

// Handles `signal` unless the program was started with it ignored.
void Handle(int signal) {
  struct sigaction old {};
  if (::sigaction(signal, nullptr, &old) != 0) return;
  if (!(old.sa_flags & SA_SIGINFO) && old.sa_handler == SIG_IGN) return;
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  action.sa_flags = SA_RESTART;  // reads and writes go on; the work looks at the flags
  ::sigemptyset(&action.sa_mask);
  ::sigaddset(&action.sa_mask, SIGINT);
  ::sigaddset(&action.sa_mask, SIGTERM);
  ::sigaction(signal, &action, nullptr);
}

}  // namespace

void InstallStopSignals() {
  if (pipe_read < 0) {
    int fds[2];
    if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0) {
      pipe_read = fds[0];
      pipe_write = fds[1];
    }
  }
  Handle(SIGINT);
  Handle(SIGTERM);
  sigset_t stop;
  ::sigemptyset(&stop);
  ::sigaddset(&stop, SIGINT);
  ::sigaddset(&stop, SIGTERM);
  ::pthread_sigmask(SIG_UNBLOCK, &stop, nullptr);
}

bool StopRequested() { return stop_signals.load() > 0; }

int StopSignalFd() { return pipe_read; }

TCancelOnStopSignal::TCancelOnStopSignal(TCancelFlag& flag) {
  cancel_target.store(&flag);
  if (StopRequested()) flag.Cancel();  // a signal that came before the flag was known
}

TCancelOnStopSignal::~TCancelOnStopSignal() {
  cancel_target.store(nullptr);
  // A handler on another thread may still hold the flag; the flag may go once it is done.
  while (handlers_running.load() > 0) {
  }
}

}  // namespace vistrel
