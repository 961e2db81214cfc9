#include "generation/progress_log.h"

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
    case kStepCancelled:
      return "Abgebrochen";
    default:
      return {};
  }
}

void TProgressLog::Reset() {
  lines_.clear();
  errors_.clear();
  ok_enabled_ = false;
  show_gallery_ = false;
  bar_visible_ = false;
  bar_position_ = 0;
  bar_max_ = 0;
  had_error_ = false;
  cancelled_ = false;
  LastStep = -1;
  LastStepLine = -1;
  LastSubStep = -1;
}

void TProgressLog::AddLine(std::string line, bool error) {
  lines_.push_back(std::move(line));
  errors_.push_back(error);
}

void TProgressLog::Report(int step, int sub_step, int sub_step_count, int position, int max,
                          const std::string& message) {
  if (step == kStepError) {
    // The step that was running goes on (or the run ends); its line and sub-step stay current.
    ok_enabled_ = true;
    had_error_ = true;
    AddLine(message, true);
    return;
  }
  if (step == kStepNote) {  // a line for the user that is no error; the step goes on
    AddLine(message, false);
    return;
  }
  if (step != LastStep) {
    // A cancelled step did not finish.
    if (LastStepLine >= 0 && step != kStepCancelled) lines_[LastStepLine] += "fertig";
    LastStepLine = -1;
    if (step >= kStepStart && step <= kStepCancelled) {
      // The last line of a finished run says so, or how many images could not be processed;
      // that of a cancelled one what it left.
      const bool own_line = (step == kStepFinished || step == kStepCancelled) && !message.empty();
      AddLine(own_line ? message : StepLine(step), false);
      LastStepLine = static_cast<int>(lines_.size()) - 1;
      if (step == kStepFinished) {
        ok_enabled_ = true;
        show_gallery_ = has_start_page_;
      }
      if (step == kStepCancelled) {
        ok_enabled_ = true;
        cancelled_ = true;
      }
    }
    LastSubStep = -1;
    LastStep = step;
    bar_visible_ = false;
  }
  if (sub_step > 0 && sub_step != LastSubStep) {
    AddLine(sub_step_count > 0
                ? "  Schritt " + std::to_string(sub_step) + " von " + std::to_string(sub_step_count)
                : "  Schritt " + std::to_string(sub_step),
            false);
    LastSubStep = sub_step;
  }
  if (position > 0 && max > 0) {
    bar_visible_ = true;
    bar_position_ = position;
    bar_max_ = max;
  }
}

}  // namespace vistrel
