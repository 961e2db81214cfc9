// The progress window: runs one gallery and shows its course.
//
// Shown modally, it starts the run it was given a moment later by itself (one run per
// showing). The run goes on a worker thread, so the window stays responsive; every report
// comes back to the user-interface thread (Reporter()) and goes into the step log
// (TProgressLog), which decides the lines, the bar and the buttons. "Abbrechen" (and closing
// the window) during a run asks the run to stop; it stops between images and pages and ends
// with "Abgebrochen" and what it left in the output folder, and the window can then be closed.
// Above the log the window names the output folder; below it, while photos are made, which
// photo of how many and, once it can be estimated, the time left (TRunStatus). "Galerie anzeigen", offered after a
// finished run whose start page exists, opens that page with the desktop's program for HTML
// files.
#pragma once

#include <QDialog>
#include <QString>
#include <string>
#include <thread>

#include "generation/progress_log.h"
#include "generation/run_status.h"
#include "model/progress.h"

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTimer;

namespace vistrel {

class TCancelFlag;
class TDialogs;
class TVistrel;

class TfrmProgress : public QDialog {
 public:
  TfrmProgress(TDialogs& dialogs, QWidget* parent = nullptr);
  ~TfrmProgress() override;

  // A report callback for the run's progress service: callable from any thread, it hands each
  // report to ReportProgress() on the window's thread.
  TReportCallback Reporter();
  // The run the next showing makes and the flag that cancels it; the caller keeps both alive
  // until the window has been closed.
  void SetRun(TVistrel* run, TCancelFlag* cancel);
  // Takes one report of the run: the step log, the bar and the buttons follow it.
  void ReportProgress(int step, int sub_step, int sub_step_count, int position, int max,
                      const std::string& message);
  bool Running() const { return running_; }
  const TProgressLog& Log() const { return log_; }
  // "Galerie anzeigen": the start page of the first image shown.
  void btnShowGalClick();
  // "Abbrechen": asks the run to stop.
  void CancelRun();
  // Escape and the frame's close button: during a run they ask it to stop.
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void StartRun();
  void RunFinished(const QString& error);
  void ShowLog();

  QLabel* folder_label_;        // where the gallery goes
  QListWidget* lbAction;        // the step log
  QLabel* status_label_;        // "Bild 34 von 480 – noch etwa 2 Minuten"
  QProgressBar* pbImages;       // the progress of the current step
  QPushButton* btnOk;           // "OK"
  QPushButton* cancel_button_;  // "Abbrechen"
  QPushButton* btnShowGal;      // "Galerie anzeigen"
  QTimer* CreateGalleryTimer;   // starts the run a moment after the window is shown

  TDialogs& dialogs_;
  TVistrel* run_ = nullptr;
  TCancelFlag* cancel_ = nullptr;
  TProgressLog log_;
  TRunStatus status_;
  bool running_ = false;
  std::thread worker_;
};

}  // namespace vistrel
