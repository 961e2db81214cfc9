// What a gallery run is doing now, in words for the person waiting: which photo of how many is
// being made ("Bild 34 von 480") and, once it can be estimated, how long that will take
// ("noch etwa 2 Minuten").
//
// The reports of the run (progress.h) come in with the time they arrived; the photos count from
// the report before the first of them. The time left is estimated from the photos of the first
// image variant alone: that pass waits for every photo
// to be decoded and scaled, the later ones only name files. It is given once at least
// kMinImagesForEstimate photos and kMinSecondsForEstimate seconds have passed, and not in the
// later passes, which take no time worth telling. The desktop's progress window and the command
// line's bar both use this class. Plain data; one thread.
#pragma once

#include <chrono>
#include <string>

namespace vistrel {

class TRunStatus {
 public:
  using TClock = std::chrono::steady_clock;
  static constexpr int kMinImagesForEstimate = 3;
  static constexpr double kMinSecondsForEstimate = 2.0;

  void Report(int step, int sub_step, int position, int max, TClock::time_point now);

  // "Bild 34 von 480" while photos are made; empty otherwise.
  std::string ImageLine() const;
  // "noch etwa 2 Minuten" once it can be estimated; empty otherwise.
  std::string TimeLeft() const;
  // Both, joined by " – ", or whichever there is.
  std::string Line() const;

 private:
  int step_ = -1;
  int sub_step_ = 0;
  int position_ = 0;
  int max_ = 0;
  bool seen_ = false;     // a report came
  bool started_ = false;  // the first variant's photos are being made
  TClock::time_point start_;
  TClock::time_point now_;
};

// `seconds` left, rounded as a person says it: "noch wenige Sekunden", "noch etwa 25 Sekunden",
// "noch etwa 1 Minute", "noch etwa 7 Minuten", "noch etwa 2 Stunden 10 Minuten".
std::string TimeLeftText(double seconds);

}  // namespace vistrel
