#include "model/progress_log.h"

#include "model/progress.h"

namespace vistrel {

std::string TProgressLog::StepLine(int step) {
  switch (step) {
    case kStepStart:
      return "Initialisiere...";
    case kStepImages:
      return "Erzeuge verkleinerte Bilder...";
    case kStepTemplates:
      return "Initialisiere Parser und erzeuge Ausgabedateien...";
    case kStepWriting:
      return "Schreibe Ausgabedateien...";
    case kStepCopying:
      return "Kopiere Dateien...";
    case kStepCleanup:
      return "Aufräumen...";
    case kStepFinished:
      return "Galerie erfolgreich erstellt!";
    case kStepEmptying:
      return "Leere Ausgabeverzeichnis...";
    default:
      return {};
  }
}

void TProgressLog::Reset() {
  lines_.clear();
  ok_enabled_ = false;
  show_gallery_ = false;
  bar_visible_ = false;
  bar_position_ = 0;
  bar_max_ = 0;
  had_error_ = false;
  LastStep = -1;
  LastStepLine = -1;
  LastSubStep = -1;
}

void TProgressLog::Report(int step, int sub_step, int sub_step_count, int position, int max,
                          const std::string& message) {
  if (step == kStepError) {
    ok_enabled_ = true;
    had_error_ = true;
    lines_.push_back(message);
  }
  if (step != LastStep) {
    if (LastStepLine >= 0) lines_[LastStepLine] += "fertig";
    if (step >= kStepStart && step <= kStepEmptying) {
      lines_.push_back(StepLine(step));
      if (step == kStepFinished) {
        ok_enabled_ = true;
        show_gallery_ = has_start_page_;
      }
    }
    LastSubStep = -1;
    LastStep = step;
    LastStepLine = static_cast<int>(lines_.size()) - 1;
    bar_visible_ = false;
  }
  if (sub_step > 0 && sub_step != LastSubStep) {
    lines_.push_back(sub_step_count > 0 ? "  Schritt " + std::to_string(sub_step) + " von " +
                                              std::to_string(sub_step_count)
                                        : "  Schritt " + std::to_string(sub_step));
    LastSubStep = sub_step;
  }
  if (position > 0 && max > 0) {
    bar_visible_ = true;
    bar_position_ = position;
    bar_max_ = max;
  }
}

}  // namespace vistrel
