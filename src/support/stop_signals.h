// SIGINT and SIGTERM as the user's request to stop, for both programs.
//
// InstallStopSignals() is the first thing main() does, so no moment of the program's life is
// left to the signals' default action (which would end it with status 143 for SIGTERM and
// leave half-made files). After it, a stop signal only notes the request: a flag that work
// looks at between its steps (StopRequested()), the cancel flag of a run going on
// (TCancelOnStopSignal), and a byte on a pipe that an event loop can watch (StopSignalFd()).
// How the program then ends is its own business; both end with kStoppedStatus. A second stop
// signal ends the program at once with that status, for a user who does not want to wait.
//
// A signal that the program was started with as ignored (nohup, a shell's background job)
// stays ignored. Signals held back (blocked) by whoever started the program are let through
// once the handlers are in place, so one sent during start-up is handled, not lost.
//
// The handler does only what is safe in a signal handler (lock-free atomic stores, write(2),
// _exit(2)) and may run on any thread. Everything here is process-wide state; call
// InstallStopSignals() once, from main(), before any thread is started.
#pragma once

namespace vistrel {

class TCancelFlag;

// The exit status of a program stopped by SIGINT or SIGTERM.
inline constexpr int kStoppedStatus = 130;

void InstallStopSignals();

// True once SIGINT or SIGTERM came (and was not ignored).
bool StopRequested();

// The read end of a pipe that gets a byte for every stop signal, non-blocking; -1 before
// InstallStopSignals() or when no pipe could be made.
int StopSignalFd();

// While it lives, a stop signal also cancels `flag`; when one came before, `flag` is cancelled
// at once. One at a time; `flag` must outlive it.
class TCancelOnStopSignal {
 public:
  explicit TCancelOnStopSignal(TCancelFlag& flag);
  ~TCancelOnStopSignal();
  TCancelOnStopSignal(const TCancelOnStopSignal&) = delete;
  TCancelOnStopSignal& operator=(const TCancelOnStopSignal&) = delete;
};

}  // namespace vistrel
