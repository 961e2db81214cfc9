// The step log of a gallery run: the lines the progress window shows, and the state of its
// progress bar and buttons, as the reports of a run arrive.
//
// Each new step adds its line ("Erzeuge verkleinerte Bilder..." and so on) and the line of the
// step before receives "fertig"; a new sub-step adds "  Schritt i von n". An error report adds
// its message as a line of its own under the step that was running: it neither ends that step
// nor starts a new one, so the step's line still receives its "fertig" when the next step
// begins, and the step's line is never written twice. A finished run's last line is its step 6
// message when it has one (images that failed); a cancelled run ends with "Abgebrochen", and the
// step it stopped in gets no "fertig". The desktop window and the command-line program both use
// this class, so a run reads the same in both. Plain data; one thread.
#pragma once

#include <string>
#include <vector>

namespace vistrel {

class TProgressLog {
 public:
  // `has_start_page`: whether the skin of the run names a start page ("Galerie anzeigen").
  explicit TProgressLog(bool has_start_page = false) : has_start_page_(has_start_page) {}

  // Back to the state before a run.
  void Reset();
  void Report(int step, int sub_step, int sub_step_count, int position, int max,
              const std::string& message);

  // The line a step adds, or empty for a step that adds none.
  static std::string StepLine(int step);

  const std::vector<std::string>& Lines() const { return lines_; }
  // True for a line that holds the message of an error report.
  bool IsErrorLine(size_t line) const { return line < errors_.size() && errors_[line]; }
  bool OkEnabled() const { return ok_enabled_; }
  bool ShowGalleryVisible() const { return show_gallery_; }
  bool BarVisible() const { return bar_visible_; }
  int BarPosition() const { return bar_position_; }
  int BarMax() const { return bar_max_; }
  // True when the run reported an error (step -1).
  bool HadError() const { return had_error_; }
  // True when the run was cancelled (step 8).
  bool Cancelled() const { return cancelled_; }

  int LastStep = -1;
  int LastStepLine = -1;
  int LastSubStep = -1;

 private:
  void AddLine(std::string line, bool error);

  bool has_start_page_;
  std::vector<std::string> lines_;
  std::vector<bool> errors_;  // by line: an error's message
  bool ok_enabled_ = false;
  bool show_gallery_ = false;
  bool bar_visible_ = false;
  int bar_position_ = 0;
  int bar_max_ = 0;
  bool had_error_ = false;
  bool cancelled_ = false;
};

}  // namespace vistrel
