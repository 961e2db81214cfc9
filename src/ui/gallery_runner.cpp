#include "ui/gallery_runner.h"

#include "generation/remembered_gallery.h"
#include "generation/run_request.h"
#include "generation/run_services.h"
#include "generation/vistrel.h"
#include "imaging/image_operations.h"
#include "support/cancel_flag.h"
#include "ui/dialogs.h"
#include "ui/progress_window.h"

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

void TGalleryRunner::Run(const TRunRequest& request, const std::string& id) {
  // Remembered before the run: also a run the user cancels was made with these settings.
  if (on_made_) on_made_(SettingsOfRequest(request, id));
  cancel_ = std::make_unique<TCancelFlag>();
  gallery_ = std::make_unique<TVistrel>(
      request, TRunServices{*images_, *files_, *messages_, progress_.Reporter(), *cancel_});
  progress_.SetRun(gallery_.get(), cancel_.get());
  progress_.exec();
  progress_.SetRun(nullptr, nullptr);
  gallery_.reset();
  cancel_.reset();
}

}  // namespace vistrel
