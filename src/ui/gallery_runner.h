// Makes galleries in the progress window, for the create-gallery dialog and for "Galerie
// aktualisieren" of the main window alike.
//
// The runner owns the services of a run (the image library, the machine's files and trash, the
// message boxes, the cancel flag) and, while the progress window shows it, the run itself.
// Every run started tells its settings (remembered_gallery.h) to the listener set with
// SetOnGalleryMade(), so the image list keeps the settings of the gallery it made last.
// Update() makes a remembered gallery again in its folder, replacing it in place
// (manifest_keeper.h), without the create-gallery dialog.
//
// User-interface thread only; the progress window outlives the runner.
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "csv/gallery_settings_file.h"

class QWidget;

namespace vistrel {

class TCancelFlag;
class TDialogs;
class TFileServices;
class TfrmProgress;
class TImageProcessor;
class TVistrel;
class TVTLRecordList;
class UserMessages;
struct TRunRequest;

class TGalleryRunner {
 public:
  TGalleryRunner(TDialogs& dialogs, TfrmProgress& progress, QWidget* parent);
  ~TGalleryRunner();
  TGalleryRunner(const TGalleryRunner&) = delete;
  TGalleryRunner& operator=(const TGalleryRunner&) = delete;

  // The machine's files for runs (home, mount roots, trash); tests hand in a fake.
  TFileServices& Files() const { return *files_; }
  void SetFileServices(std::unique_ptr<TFileServices> files);
  using TOnGalleryMade = std::function<void(const TGallerySettings& settings)>;
  void SetOnGalleryMade(TOnGalleryMade listener) { on_made_ = std::move(listener); }

  // Makes the gallery of `request` in the progress window.
  void Run(const TRunRequest& request);
  // "Galerie aktualisieren": makes the gallery of `settings` for `records` again in its folder.
  // What keeps it from being made (a skin that is gone, a folder without the gallery) is said
  // in a "Fehler" box.
  void Update(const TGallerySettings& settings, TVTLRecordList& records);

 private:
  TDialogs& dialogs_;
  TfrmProgress& progress_;
  QWidget* parent_;
  std::unique_ptr<UserMessages> messages_;
  std::unique_ptr<TImageProcessor> images_;
  std::unique_ptr<TFileServices> files_;
  std::unique_ptr<TCancelFlag> cancel_;
  std::unique_ptr<TVistrel> gallery_;
  TOnGalleryMade on_made_;
};

}  // namespace vistrel
