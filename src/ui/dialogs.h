// Everything a window asks the user through a modal dialog of the desktop: message boxes,
// questions, the text prompt, file and colour dialogs, and opening a document in its program.
//
// Windows get a TDialogs from the program and never open such dialogs themselves, so tests
// answer them instead of a user and never block on a modal window. TQtDialogs is the real one.
// TDialogMessages turns a TDialogs into the UserMessages of the core, and can be called from a
// worker thread: the box then opens on the user-interface thread while the worker waits.
//
// All methods except TDialogMessages::ShowError are called on the user-interface thread.
#pragma once

#include <QColor>
#include <QString>
#include <QStringList>

#include "support/user_messages.h"

class QWidget;

namespace vistrel {

class TDialogs {
 public:
  enum class TAnswer { kYes, kNo, kCancel };

  virtual ~TDialogs() = default;
  // A box with the caption "Fehler", the error icon and OK.
  virtual void ShowError(QWidget* parent, const QString& text) = 0;
  // A box with the caption "Fehler", the warning icon and OK.
  virtual void ShowWarning(QWidget* parent, const QString& text) = 0;
  // A question with the question icon and Yes and No (and Cancel when `with_cancel`).
  virtual TAnswer Ask(QWidget* parent, const QString& title, const QString& text,
                      bool with_cancel) = 0;
  // A question whose answers are the buttons `buttons`, in this order; the last one cancels, as
  // Enter, Escape and closing the box do. Returns the index of the button chosen.
  virtual int Choose(QWidget* parent, const QString& title, const QString& text,
                     const QStringList& buttons) = 0;
  // A one-line text prompt, showing `text` at first; false when cancelled. The box is wide enough
  // for its whole title.
  virtual bool GetText(QWidget* parent, const QString& title, const QString& prompt,
                       QString& text) = 0;
  // File dialogs, starting in `folder`; an empty name when cancelled. `filter` as Qt writes it
  // ("Name (*.a *.b)").
  virtual QString GetOpenFileName(QWidget* parent, const QString& folder,
                                  const QString& filter) = 0;
  virtual QString GetSaveFileName(QWidget* parent, const QString& folder, const QString& filter,
                                  const QString& default_suffix) = 0;
  // The colour dialog, opening at `color` (at the colour last chosen in it when `color` is not
  // valid); `color` is the colour chosen. False, and `color` unchanged, when cancelled.
  virtual bool GetColor(QWidget* parent, QColor& color) = 0;
  // Opens a file with the desktop's program for it.
  virtual void OpenDocument(const QString& path) = 0;
};

// The dialogs of the desktop.
class TQtDialogs : public TDialogs {
 public:
  void ShowError(QWidget* parent, const QString& text) override;
  void ShowWarning(QWidget* parent, const QString& text) override;
  TAnswer Ask(QWidget* parent, const QString& title, const QString& text,
              bool with_cancel) override;
  int Choose(QWidget* parent, const QString& title, const QString& text,
             const QStringList& buttons) override;
  bool GetText(QWidget* parent, const QString& title, const QString& prompt,
               QString& text) override;
  QString GetOpenFileName(QWidget* parent, const QString& folder, const QString& filter) override;
  QString GetSaveFileName(QWidget* parent, const QString& folder, const QString& filter,
                          const QString& default_suffix) override;
  bool GetColor(QWidget* parent, QColor& color) override;
  void OpenDocument(const QString& path) override;

 private:
  QColor last_color_ = Qt::white;
};

// UserMessages shown as "Fehler" boxes through a TDialogs.
class TDialogMessages : public UserMessages {
 public:
  TDialogMessages(TDialogs& dialogs, QWidget* parent) : dialogs_(dialogs), parent_(parent) {}
  void ShowError(const std::string& text) override;

 private:
  TDialogs& dialogs_;
  QWidget* parent_;
};

}  // namespace vistrel
