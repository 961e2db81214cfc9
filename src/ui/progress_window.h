// The progress window: runs one gallery and shows its course.
//
// Shown modally, it starts the run a moment later by itself (one run per showing). The run
// goes on a worker thread, so the window stays responsive; every report comes back to the
// user-interface thread and goes into the step log (TProgressLog), which decides the lines, the
// bar and the buttons. "Galerie anzeigen" opens the skin's start page with the desktop's
// program for HTML files. While a run is going on the window cannot be closed.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "model/progress_log.h"

class QListWidget;
class QProgressBar;
class QPushButton;
class QTimer;

namespace vistrel {

class TDialogs;
class TVistrel;
class TVTLSkin;

// What the create-gallery dialog hands the window for one run.
struct TRunRequest {
  TVistrel* driver = nullptr;
  const TVTLSkin* skin = nullptr;
  bool empty_output = false;                   // "Verzeichnis vor Galerieerzeugung leeren"
  std::string output_path;                     // the output path as typed
  std::vector<std::string> protected_folders;  // never emptied (the program's skins)
};

class TfrmProgress : public QDialog {
 public:
  TfrmProgress(TDialogs& dialogs, QWidget* parent = nullptr);
  ~TfrmProgress() override;

  void SetRequest(const TRunRequest& request) { request_ = request; }
  // Takes one report of the run: the step log, the bar and the buttons follow it.
  void ReportProgress(int step, int sub_step, int sub_step_count, int position, int max,
                      const std::string& message);
  bool Running() const { return running_; }
  const TProgressLog& Log() const { return log_; }
  // "Galerie anzeigen": the start page of the first image.
  void btnShowGalClick();

  QListWidget* lbAction;
  QProgressBar* pbImages;
  QPushButton* btnOk;
  QPushButton* btnShowGal;
  QTimer* CreateGalleryTimer;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void StartRun();
  void RunFinished(const QString& error);
  void ShowLog();

  TDialogs& dialogs_;
  TRunRequest request_;
  TProgressLog log_;
  bool running_ = false;
  std::thread worker_;
};

}  // namespace vistrel
