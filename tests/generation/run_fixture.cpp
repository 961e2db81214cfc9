#include "generation/run_fixture.h"

#include "generation/gallery_manifest.h"
#include "image_fixtures.h"
#include "imaging/metadata.h"
#include "model/file_naming.h"
#include "support/disk.h"

namespace vistrel::testing {

void RunFixture::UseSkin(const TSkinFixture& fixture) {
  WriteSkin(dir_ / "skin", fixture);
  skin_ = std::make_unique<TVTLSkin>(disk_, dir_ / "skin/", fixture.file, messages_);
  ASSERT_TRUE(skin_->Valid) << skin_->ErrorMessage;
}

void RunFixture::AddPhoto(const std::string& path, int width, int height) {
  WriteFile(path, MakeJpeg(width, height));
  AddFile(path);
}

void RunFixture::AddFile(const std::string& path) {
  records_.Add(std::make_unique<TVTLRecord>(ExtractFilePath(path), ExtractFileName(path),
                                            ReadPhotoMetadata, log_));
}

Files RunFixture::Output() const {
  Files files = ListFolder(out_);
  std::erase(files, std::string(kManifestName));
  return files;
}

bool RunFixture::Run(const RunOptions& options) {
  TRunInput input;
  input.skin = skin_.get();
  input.records = &records_;
  for (int i = 0; i < skin_->RequiredVars.Count(); ++i)
    input.values.push_back(skin_->RequiredVars.Row(i).Value(TRequiredVarsValueList::kDefaultValue));
  input.variants = options.variants;
  for (int i = static_cast<int>(input.variants.size()); i < skin_->ImageModifications.Count(); ++i)
    input.variants.push_back(DefaultVariantSetting(skin_->ImageModifications.Row(i)));
  input.output_path = options.out.empty() ? out_ : options.out;
  input.relative_to = dir_.Path();
  input.skins_folder = dir_ / "skins";
  input.copy_originals = options.copy;
  input.omit_location = options.omit_location;
  input.empty_output = options.empty;
  input.update = options.update;
  input.use_cache = options.cache;
  input.cache_size_limit = options.cache_size;
  reports_.clear();
  refusal_.clear();
  const TRequestResult result = BuildRunRequest(input, files_);
  if (!result.request) {
    refusal_ = result.message + (result.reason.empty() ? "" : "|" + result.reason);
    return false;
  }
  TReportCallback report = [this](int step, int sub, int count, int pos, int max,
                                  const std::string& message) {
    const std::string line = std::to_string(step) + "," + std::to_string(sub) + "," +
                             std::to_string(count) + "," + std::to_string(pos) + "," +
                             std::to_string(max) + (message.empty() ? "" : " " + message);
    if (on_report_) on_report_(line);
    reports_.push_back(line);
  };
  run_ = std::make_unique<TVistrel>(*result.request,
                                    TRunServices{*images_, files_, messages_, report, cancel_});
  run_->SetImageThreads(threads_);
  return run_->Run();
}

}  // namespace vistrel::testing
