// A request to stop long work, set from anywhere and read by the work between its steps.
//
// The progress window's "Abbrechen" sets it from the user-interface thread, the command-line
// program from its SIGINT/SIGTERM handler (setting it is a single lock-free store, so it is
// safe in a signal handler), and a gallery run reads it between images and between pages.
// Once set it stays set.
#pragma once

#include <atomic>

namespace vistrel {

class TCancelFlag {
 public:
  void Cancel() { cancelled_.store(true, std::memory_order_relaxed); }
  bool Cancelled() const { return cancelled_.load(std::memory_order_relaxed); }

 private:
  std::atomic<bool> cancelled_{false};
  static_assert(std::atomic<bool>::is_always_lock_free);
};

}  // namespace vistrel
