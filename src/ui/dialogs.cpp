#include "ui/dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QUrl>

#include "ui/text.h"

namespace vistrel {

namespace {

// Room a window's title bar takes besides its title: the window's icon and its buttons, with
// the frame's margins, as the usual window managers draw them.
constexpr int kTitleBarExtra = 160;
// The margins of a dialog's layout at its left and right, together.
constexpr int kDialogMargins = 24;

// The width a window needs for `title` to show whole in its title bar (drawn in bold, often
// larger than the window's own font).
int TitleWidth(const QWidget& window, const QString& title) {
  QFont font = window.font();
  font.setBold(true);
  font.setPointSizeF(font.pointSizeF() * 1.2);
  return QFontMetrics(font).horizontalAdvance(title) + kTitleBarExtra;
}

// A message box with German button texts, whatever translations are installed. The letters
// after "&" answer the box from the keyboard (J, N, A).
QMessageBox::StandardButton ShowBox(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                    const QString& text, QMessageBox::StandardButtons buttons) {
  QMessageBox box(icon, title, text, buttons, parent);
  const std::pair<QMessageBox::StandardButton, const char*> names[] = {
      {QMessageBox::Ok, "OK"},
      {QMessageBox::Yes, "&Ja"},
      {QMessageBox::No, "&Nein"},
      {QMessageBox::Cancel, "&Abbrechen"}};
  for (const auto& [button, name] : names)
    if (QAbstractButton* widget = box.button(button)) widget->setText(name);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace

void TQtDialogs::ShowError(QWidget* parent, const QString& text) {
  ShowBox(parent, QMessageBox::Critical, "Fehler", text, QMessageBox::Ok);
}

void TQtDialogs::ShowWarning(QWidget* parent, const QString& text) {
  ShowBox(parent, QMessageBox::Warning, "Fehler", text, QMessageBox::Ok);
}

TDialogs::TAnswer TQtDialogs::Ask(QWidget* parent, const QString& title, const QString& text,
                                  bool with_cancel) {
  QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
  if (with_cancel) buttons |= QMessageBox::Cancel;
  switch (ShowBox(parent, QMessageBox::Question, title, text, buttons)) {
    case QMessageBox::Yes:
      return TAnswer::kYes;
    case QMessageBox::No:
      return TAnswer::kNo;
    default:
      return with_cancel ? TAnswer::kCancel : TAnswer::kNo;
  }
}

int TQtDialogs::Choose(QWidget* parent, const QString& title, const QString& text,
                       const QStringList& buttons) {
  QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
  QList<QAbstractButton*> added;
  for (int i = 0; i < buttons.size(); ++i)
    added.append(box.addButton(
        buttons[i], i + 1 == buttons.size() ? QMessageBox::RejectRole : QMessageBox::AcceptRole));
  // Enter and Escape both take the last answer, which changes nothing.
  if (!added.isEmpty()) {
    box.setEscapeButton(added.back());
    box.setDefaultButton(static_cast<QPushButton*>(added.back()));
  }
  box.exec();
  const int chosen = static_cast<int>(added.indexOf(box.clickedButton()));
  return chosen < 0 ? static_cast<int>(buttons.size()) - 1 : chosen;
}

bool TQtDialogs::GetText(QWidget* parent, const QString& title, const QString& prompt,
                         QString& text) {
  QInputDialog dialog(parent);
  dialog.setWindowTitle(title);
  dialog.setLabelText(prompt);
  dialog.setTextValue(text);
  // The prompt alone makes a narrow box, whose title bar would cut the title: the box is wide
  // enough for the title and the title bar's buttons. The box takes the width its layout
  // needs, so the text field asks for it.
  if (auto* field = dialog.findChild<QLineEdit*>())
    field->setMinimumWidth(TitleWidth(dialog, title) - kDialogMargins);
  if (dialog.exec() != QDialog::Accepted) return false;
  text = dialog.textValue();
  return true;
}

QString TQtDialogs::GetOpenFileName(QWidget* parent, const QString& folder, const QString& filter) {
  QFileDialog dialog(parent, QString(), folder, filter);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  // A filter may repeat its patterns in a second pair of parentheses for the dialog to use; only
  // the caption before them is shown.
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

QString TQtDialogs::GetSaveFileName(QWidget* parent, const QString& folder, const QString& filter,
                                    const QString& default_suffix) {
  QFileDialog dialog(parent, QString(), folder, filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(default_suffix);
  dialog.setOption(QFileDialog::DontConfirmOverwrite);  // the caller asks in its own words
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

bool TQtDialogs::GetColor(QWidget* parent, QColor& color) {
  const QColor chosen = QColorDialog::getColor(color.isValid() ? color : last_color_, parent);
  if (!chosen.isValid()) return false;
  last_color_ = color = chosen;
  return true;
}

void TQtDialogs::OpenDocument(const QString& path) {
  QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void TDialogMessages::ShowError(const std::string& text) {
  const QString message = ToQString(text);
  if (QThread::currentThread() == qApp->thread()) {
    dialogs_.ShowError(parent_, message);
    return;
  }
  QMetaObject::invokeMethod(
      qApp, [this, message] { dialogs_.ShowError(parent_, message); },
      Qt::BlockingQueuedConnection);
}

}  // namespace vistrel
