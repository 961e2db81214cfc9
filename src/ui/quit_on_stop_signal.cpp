#include "ui/quit_on_stop_signal.h"

#include <unistd.h>

#include <QCoreApplication>

#include "support/stop_signals.h"
#include "ui/progress_window.h"

namespace vistrel {

namespace {

constexpr int kRetryMilliseconds = 50;
constexpr int kPollMilliseconds = 200;

}  // namespace

TQuitOnStopSignal::TQuitOnStopSignal(TfrmProgress& progress, int signal_fd, TQuit quit)
    : progress_(progress), signal_fd_(signal_fd), quit_(std::move(quit)) {
  if (!quit_) quit_ = [](int status) { QCoreApplication::exit(status); };
  retry_.setInterval(kRetryMilliseconds);
  QObject::connect(&retry_, &QTimer::timeout, [this] { Stop(); });
  if (signal_fd_ >= 0) {
    notifier_ = std::make_unique<QSocketNotifier>(signal_fd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
      char bytes[64];
      while (::read(signal_fd_, bytes, sizeof bytes) > 0) {
      }
      Stop();
    });
  } else {
    QObject::connect(&poll_, &QTimer::timeout, [this] {
      if (StopRequested()) Stop();
    });
    poll_.start(kPollMilliseconds);
  }
}

void TQuitOnStopSignal::Stop() {
  poll_.stop();
  if (progress_.Running()) {
    progress_.CancelRun();  // the run stops between images and pages, and cleans up
    retry_.start();
    return;
  }
  retry_.stop();
  quit_(kStoppedStatus);
}

}  // namespace vistrel
