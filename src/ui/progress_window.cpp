#include "ui/progress_window.h"

#include <QCloseEvent>
#include <QColor>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <exception>

#include "generation/vistrel.h"
#include "csv/skin.h"
#include "support/cancel_flag.h"
#include "ui/dialogs.h"
#include "ui/text.h"

namespace vistrel {

TfrmProgress::TfrmProgress(TDialogs& dialogs, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      folder_label_(new QLabel(this)),
      lbAction(new QListWidget(this)),
      status_label_(new QLabel(this)),
      pbImages(new QProgressBar(this)),
      btnOk(new QPushButton("OK", this)),
      cancel_button_(new QPushButton("Abbrechen", this)),
      btnShowGal(new QPushButton("Galerie anzeigen", this)),
      CreateGalleryTimer(new QTimer(this)),
      dialogs_(dialogs) {
  setWindowTitle("Erzeuge Galerie...");
  folder_label_->setObjectName("folderLabel");
  folder_label_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  folder_label_->setWordWrap(true);
  lbAction->setObjectName("lbAction");
  lbAction->setWordWrap(true);  // a long line (a path) wraps instead of being cut
  status_label_->setObjectName("statusLabel");
  pbImages->setObjectName("pbImages");
  btnOk->setObjectName("btnOk");
  cancel_button_->setObjectName("cancelButton");
  btnShowGal->setObjectName("btnShowGal");
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnOk);
  buttons->addWidget(cancel_button_);
  buttons->addStretch();
  buttons->addWidget(btnShowGal);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(folder_label_);
  layout->addWidget(lbAction);
  layout->addWidget(status_label_);
  layout->addWidget(pbImages);
  layout->addLayout(buttons);
  // Enter closes the window once the run is over; it never opens the gallery by itself.
  btnOk->setDefault(true);
  cancel_button_->setAutoDefault(false);
  btnShowGal->setAutoDefault(false);
  resize(460, 320);
  CreateGalleryTimer->setInterval(1);
  CreateGalleryTimer->setSingleShot(true);
  connect(CreateGalleryTimer, &QTimer::timeout, this, [this] { StartRun(); });
  connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
  connect(btnShowGal, &QPushButton::clicked, this, [this] { btnShowGalClick(); });
  connect(cancel_button_, &QPushButton::clicked, this, [this] { CancelRun(); });
}

TfrmProgress::~TfrmProgress() {
  if (worker_.joinable()) worker_.join();
}

TReportCallback TfrmProgress::Reporter() {
  return
      [this](int step, int sub_step, int count, int position, int max, const std::string& message) {
        QMetaObject::invokeMethod(
            this, [=, this] { ReportProgress(step, sub_step, count, position, max, message); },
            Qt::QueuedConnection);
      };
}

void TfrmProgress::SetRun(TVistrel* run, TCancelFlag* cancel) {
  run_ = run;
  cancel_ = cancel;
}

void TfrmProgress::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  btnOk->setEnabled(false);
  btnShowGal->hide();
  log_ = TProgressLog(run_ && !run_->Skin().Startpage.empty());
  status_ = TRunStatus();
  folder_label_->setText(run_ ? "Ausgabeordner: " + PathToQString(run_->Properties().OutputDirectory)
                              : QString());
  folder_label_->setVisible(run_ != nullptr);
  ShowLog();
  cancel_button_->setVisible(run_ != nullptr);
  cancel_button_->setEnabled(run_ != nullptr);
  CreateGalleryTimer->start();
}

void TfrmProgress::StartRun() {
  CreateGalleryTimer->stop();
  if (!run_ || running_) return;
  running_ = true;
  worker_ = std::thread([this, run = run_] {
    QString error;
    try {
      (void)run->Run();
    } catch (const std::exception& exception) {
      error = ToQString(exception.what());
    } catch (...) {
      error = "Unbekannter Fehler!";
    }
    QMetaObject::invokeMethod(
        this, [this, error] { RunFinished(error); }, Qt::QueuedConnection);
  });
}

void TfrmProgress::RunFinished(const QString& error) {
  if (worker_.joinable()) worker_.join();
  running_ = false;
  cancel_button_->hide();
  ShowLog();
  btnOk->setFocus();
  // An error that ended the run leaves the log as it is; the window can be closed.
  if (!error.isEmpty()) dialogs_.ShowError(this, error);
}

void TfrmProgress::ReportProgress(int step, int sub_step, int sub_step_count, int position, int max,
                                  const std::string& message) {
  log_.Report(step, sub_step, sub_step_count, position, max, message);
  status_.Report(step, sub_step, position, max, TRunStatus::TClock::now());
  ShowLog();
}

void TfrmProgress::ShowLog() {
  const auto& lines = log_.Lines();
  // Lines are only added, and only the line of the last step changes, so the list is updated
  // rather than rebuilt.
  while (lbAction->count() > static_cast<int>(lines.size()))
    delete lbAction->takeItem(lbAction->count() - 1);
  for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
    const QString text = ToQString(lines[static_cast<size_t>(i)]);
    if (i < lbAction->count()) {
      if (lbAction->item(i)->text() != text) lbAction->item(i)->setText(text);
    } else {
      lbAction->addItem(text);
    }
    // Errors stand out in red.
    const QBrush colour =
        log_.IsErrorLine(static_cast<size_t>(i)) ? QBrush(QColor(176, 0, 0)) : QBrush();
    if (lbAction->item(i)->foreground() != colour) lbAction->item(i)->setForeground(colour);
  }
  if (lbAction->count() > 0) lbAction->setCurrentRow(lbAction->count() - 1);
  const QString status = running_ ? ToQString(status_.Line()) : QString();
  status_label_->setText(status);
  status_label_->setVisible(!status.isEmpty());
  pbImages->setVisible(log_.BarVisible());
  if (log_.BarVisible()) {
    pbImages->setRange(0, log_.BarMax());
    pbImages->setValue(log_.BarPosition());
  }
  btnOk->setEnabled(log_.OkEnabled());
  // Offered once the run is over, and only when its start page is there to be opened.
  btnShowGal->setVisible(log_.ShowGalleryVisible() && !running_ && run_ &&
                         !run_->StartPage().empty());
}

void TfrmProgress::btnShowGalClick() {
  if (!run_ || running_) return;
  const std::string page = run_->StartPage();
  if (!page.empty()) dialogs_.OpenDocument(PathToQString(page));
}

void TfrmProgress::CancelRun() {
  if (!running_ || !cancel_) return;
  cancel_->Cancel();
  cancel_button_->setEnabled(false);
}

void TfrmProgress::closeEvent(QCloseEvent* event) {
  if (running_) {
    CancelRun();  // closing during a run stops it; the window closes once it has stopped
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void TfrmProgress::reject() {
  if (running_) {
    CancelRun();
    return;
  }
  QDialog::reject();
}

}  // namespace vistrel
