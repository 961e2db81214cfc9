// Ends the desktop program when SIGINT or SIGTERM asks it to stop (see stop_signals.h).
//
// The event loop watches the signals' pipe. When a signal has come and a run is going on in
// the progress window, the run is cancelled as its "Abbrechen" button does, and the program
// ends only once the run has stopped and removed what it began; otherwise it ends at once.
// It ends through `quit` with kStoppedStatus (QCoreApplication::exit, which ends every event
// loop, a dialog's too). Lives on the user-interface thread, as long as the progress window.
#pragma once

#include <QSocketNotifier>
#include <QTimer>
#include <functional>
#include <memory>

namespace vistrel {

class TfrmProgress;

class TQuitOnStopSignal {
 public:
  using TQuit = std::function<void(int status)>;

  // `signal_fd` is the pipe a stop signal writes to (StopSignalFd()); without one (-1) the
  // request is looked for now and then. `quit` defaults to QCoreApplication::exit.
  TQuitOnStopSignal(TfrmProgress& progress, int signal_fd, TQuit quit = {});
  TQuitOnStopSignal(const TQuitOnStopSignal&) = delete;
  TQuitOnStopSignal& operator=(const TQuitOnStopSignal&) = delete;

 private:
  void Stop();

  TfrmProgress& progress_;
  int signal_fd_;
  TQuit quit_;
  std::unique_ptr<QSocketNotifier> notifier_;
  QTimer retry_;  // while the cancelled run is still stopping
  QTimer poll_;   // without a pipe
};

}  // namespace vistrel
