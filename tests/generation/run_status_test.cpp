#include "generation/run_status.h"

#include <gtest/gtest.h>

#include "model/progress.h"

namespace vistrel {
namespace {

using TClock = TRunStatus::TClock;

TEST(RunStatusTest, TimeLeftIsSaidAsAPersonSaysIt) {
  const std::vector<std::pair<double, const char*>> cases = {
      {0, "noch wenige Sekunden"},          {9.9, "noch wenige Sekunden"},
      {10, "noch etwa 10 Sekunden"},        {21, "noch etwa 25 Sekunden"},
      {59, "noch etwa 55 Sekunden"},        {61, "noch etwa 1 Minute"},
      {7 * 60 + 20, "noch etwa 7 Minuten"}, {89 * 60, "noch etwa 89 Minuten"},
      {2 * 3600 + 9 * 60, "noch etwa 2 Stunden 10 Minuten"},
      {3 * 3600, "noch etwa 3 Stunden"},
  };
  for (const auto& [seconds, text] : cases) EXPECT_EQ(TimeLeftText(seconds), text) << seconds;
}

TEST(RunStatusTest, ThePhotosCountAndTheirTimeIsEstimatedOnceItCanBe) {
  TRunStatus status;
  const TClock::time_point start{};
  auto at = [&](double seconds) {
    return start + std::chrono::duration_cast<TClock::duration>(
                       std::chrono::duration<double>(seconds));
  };
  status.Report(kStepStart, 0, 0, 0, at(0));
  EXPECT_EQ(status.Line(), "");
  // 10 seconds a photo, counted from the step before the photos.
  status.Report(kStepImages, 1, 1, 480, at(10));
  EXPECT_EQ(status.Line(), "Bild 1 von 480");  // too early to tell
  status.Report(kStepImages, 1, 2, 480, at(20));
  EXPECT_EQ(status.Line(), "Bild 2 von 480");
  status.Report(kStepError, 0, 0, 0, at(25));  // an error of a photo leaves the count
  status.Report(kStepImages, 1, 34, 480, at(340));
  EXPECT_EQ(status.ImageLine(), "Bild 34 von 480");
  EXPECT_EQ(status.TimeLeft(), "noch etwa 74 Minuten");  // 446 photos at 10 s
  EXPECT_EQ(status.Line(), "Bild 34 von 480 – noch etwa 74 Minuten");
  // The second variant's pass only names files: counted, but no time is told.
  status.Report(kStepImages, 2, 5, 480, at(4801));
  EXPECT_EQ(status.Line(), "Bild 5 von 480");
  status.Report(kStepTemplates, 1, 0, 0, at(4802));
  EXPECT_EQ(status.Line(), "");

  // Fast photos (from the cache) get no estimate in their first two seconds.
  TRunStatus quick;
  quick.Report(kStepStart, 0, 0, 0, at(0));
  quick.Report(kStepImages, 1, 200, 480, at(1));
  EXPECT_EQ(quick.Line(), "Bild 200 von 480");
}

}  // namespace
}  // namespace vistrel
