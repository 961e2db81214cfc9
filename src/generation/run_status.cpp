#include "generation/run_status.h"

#include <cmath>

#include "model/progress.h"

namespace vistrel {

namespace {

std::string Counted(long count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

std::string TimeLeftText(double seconds) {
  if (seconds < 10) return "noch wenige Sekunden";
  if (seconds < 60) {
    const long rounded = std::min(55L, static_cast<long>(std::ceil(seconds / 5)) * 5);
    return "noch etwa " + Counted(rounded, "Sekunde", "Sekunden");
  }
  const long minutes = std::lround(seconds / 60);
  if (minutes < 90) return "noch etwa " + Counted(minutes, "Minute", "Minuten");
  // Past an hour and a half, to ten minutes.
  const long tens = std::lround(seconds / 600);
  const long hours = tens / 6;
  const long rest = (tens % 6) * 10;
  return "noch etwa " + Counted(hours, "Stunde", "Stunden") +
         (rest > 0 ? " " + Counted(rest, "Minute", "Minuten") : "");
}

void TRunStatus::Report(int step, int sub_step, int position, int max, TClock::time_point now) {
  // Errors and notes leave the step going on.
  if (step == kStepError || step == kStepNote) return;
  // The photos began to be made when the report before the first of them came.
  const TClock::time_point before = seen_ ? now_ : now;
  seen_ = true;
  now_ = now;
  if (step != kStepImages) {
    step_ = step;
    return;
  }
  if (step_ != kStepImages || sub_step != sub_step_) {
    step_ = step;
    sub_step_ = sub_step;
    started_ = false;
  }
  if (!started_ && sub_step <= 1) {
    started_ = true;
    start_ = before;
  }
  position_ = position;
  max_ = max;
}

std::string TRunStatus::ImageLine() const {
  if (step_ != kStepImages || max_ <= 0) return {};
  return "Bild " + std::to_string(position_) + " von " + std::to_string(max_);
}

std::string TRunStatus::TimeLeft() const {
  if (step_ != kStepImages || !started_ || sub_step_ > 1 || position_ < kMinImagesForEstimate ||
      position_ >= max_)
    return {};
  const double elapsed = std::chrono::duration<double>(now_ - start_).count();
  if (elapsed < kMinSecondsForEstimate) return {};
  return TimeLeftText(elapsed / position_ * (max_ - position_));
}

std::string TRunStatus::Line() const {
  const std::string image = ImageLine();
  const std::string left = TimeLeft();
  if (image.empty() || left.empty()) return image + left;
  return image + " – " + left;
}

}  // namespace vistrel
