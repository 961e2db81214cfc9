// The progress protocol of a gallery run.
//
// Every step of a run is reported through a callback with six arguments: Step, SubStep,
// SubStepCount, Position, Max and Message. A run reports steps 0, 1, 2, 4 and 6, step 7 when it
// empties the output folder first, step 8 when it was cancelled, errors (-1) and notes (9,
// such as a variant cache it could not use); the template engine reports errors only. Step 6 may carry a message: the run's last line when some images
// could not be processed. Callers must not rely on the thread a report arrives on being their
// own unless they run the driver themselves.
#pragma once

#include <functional>
#include <string>

namespace vistrel {

using TReportCallback = std::function<void(int step, int sub_step, int sub_step_count, int position,
                                           int max, const std::string& message)>;

// Step codes.
enum TStep : int {
  kStepError = -1,
  kStepStart = 0,
  kStepImages = 1,
  kStepTemplates = 2,
  kStepWriting = 3,
  kStepCopying = 4,
  kStepCleanup = 5,
  kStepFinished = 6,
  kStepEmptying = 7,
  kStepCancelled = 8,
  kStepNote = 9,  // a line of information for the log (Message), not an error
};

}  // namespace vistrel
