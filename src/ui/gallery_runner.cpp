#include "ui/gallery_runner.h"

#include "generation/remembered_gallery.h"
#include "generation/run_request.h"
#include "generation/run_services.h"
#include "generation/vistrel.h"
#include "imaging/image_operations.h"
#include "support/cancel_flag.h"
#include "ui/dialogs.h"
#include "ui/progress_window.h"
#include "ui/text.h"

namespace vistrel {

TGalleryRunner::TGalleryRunner(TDialogs& dialogs, TfrmProgress& progress, QWidget* parent)
    : dialogs_(dialogs),
      progress_(progress),
      parent_(parent),
      messages_(std::make_unique<TDialogMessages>(dialogs, parent)),
      images_(std::make_unique<TVipsImageProcessor>()),
      files_(std::make_unique<TSystemFiles>()) {}

TGalleryRunner::~TGalleryRunner() = default;

void TGalleryRunner::SetFileServices(std::unique_ptr<TFileServices> files) {
  files_ = std::move(files);
}

void TGalleryRunner::Run(const TRunRequest& request) {
  // Remembered before the run: also a run the user cancels was made with these settings.
  if (on_made_) on_made_(SettingsOfRequest(request, request.gallery_id));
  cancel_ = std::make_unique<TCancelFlag>();
  gallery_ = std::make_unique<TVistrel>(
      request, TRunServices{*images_, *files_, *messages_, progress_.Reporter(), *cancel_});
  progress_.SetRun(gallery_.get(), cancel_.get());
  progress_.exec();
  progress_.SetRun(nullptr, nullptr);
  gallery_.reset();
  cancel_.reset();
}

void TGalleryRunner::Update(const TGallerySettings& settings, TVTLRecordList& records) {
  const size_t slash = settings.skin_file.rfind('/');
  const TVTLSkin skin(files_->Disk(), settings.skin_file.substr(0, slash + 1),
                      settings.skin_file.substr(slash + 1), *messages_);
  const std::string problem = skin.Valid ? SkinDefaultsProblem(skin) : skin.ErrorMessage;
  if (!problem.empty()) {
    dialogs_.ShowError(parent_,
                       ToQString("Der Skin " + settings.skin_file +
                                 " konnte nicht geladen werden. Fehlermeldung: " + problem));
    return;
  }
  TRunInput input;
  input.records = &records;
  ApplyGallerySettings(settings, skin, input);
  input.relative_to = files_->HomeFolder();
  input.update = true;
  input.gallery_id = settings.id;
  const TRequestResult result = BuildRunRequest(input, *files_);
  if (!result.request) {
    dialogs_.ShowError(
        parent_, ToQString(result.message + (result.reason.empty() ? "" : "\n") + result.reason));
    return;
  }
  Run(*result.request);
}

}  // namespace vistrel
