// Gallery runs as the create-gallery dialog makes them: a skin and photos in a scratch folder,
// the request built by BuildRunRequest(), the run made through services of the test (a disk
// that fails what the test asks, a scratch home with its own trash, recorded messages and
// reports, a cancel flag).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "csv/skin.h"
#include "fault_disk.h"
#include "generation/run_request.h"
#include "generation/run_services.h"
#include "generation/vistrel.h"
#include "imaging/image_operations.h"
#include "model/record.h"
#include "skin_fixture.h"
#include "support/cancel_flag.h"
#include "support/logger.h"
#include "support/user_messages.h"
#include "test_support.h"

namespace vistrel::testing {

using Reports = std::vector<std::string>;
using Files = std::vector<std::string>;

struct RunOptions {
  std::vector<TVariantSetting> variants{};  // none: the skin's defaults
  bool copy = false;
  bool empty = false;
  std::string out{};  // none: the fixture's output folder
  bool cache = true;
  uint64_t cache_size = kDefaultCacheSizeLimit;
  bool update = false;
  bool omit_location = false;
};

class RunFixture : public ::testing::Test {
 protected:
  void UseSkin(const TSkinFixture& fixture);
  void AddPhoto(const std::string& path, int width = 300, int height = 200);
  void AddFile(const std::string& path);  // a record as a list file would make it
  // Builds the request and runs it. False when the request was refused (its message and
  // reason are then in `refusal_`, separated by "|") or the run failed.
  bool Run(const RunOptions& options = {});
  // The gallery's files in the output folder, without the manifest every run keeps there.
  Files Output() const;

  TempDir dir_;
  std::string out_ = dir_ / "out";
  TFaultDisk disk_;
  ScratchFiles files_{dir_ / "home", disk_};
  RecordedMessages messages_;
  TLogger log_;
  TVTLRecordList records_;
  std::unique_ptr<TVTLSkin> skin_;
  TVipsImageProcessor vips_;
  TImageProcessor* images_ = &vips_;  // what makes the copies
  TCancelFlag cancel_;
  std::unique_ptr<TVistrel> run_;
  int threads_ = 0;
  Reports reports_;  // "step,sub,count,position,max" and " message" when there is one
  std::string refusal_;
  // Called with each report before it is recorded.
  std::function<void(const std::string&)> on_report_;
};

}  // namespace vistrel::testing
