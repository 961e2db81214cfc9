// Dialogs answered by the test: every message and question is recorded, and answers come from
// queues the test fills. An unexpected question fails the test instead of blocking.
#pragma once

#include <QStringList>
#include <deque>
#include <vector>

#include "ui/dialogs.h"

namespace vistrel::testing {

class FakeDialogs : public TDialogs {
 public:
  void ShowError(QWidget*, const QString& text) override { errors.append(text); }
  void ShowWarning(QWidget*, const QString& text) override { warnings.append(text); }
  TAnswer Ask(QWidget*, const QString& title, const QString& text, bool) override {
    questions.append(title + "|" + text);
    return Next(answers, TAnswer::kCancel);
  }
  int Choose(QWidget*, const QString& title, const QString& text,
             const QStringList& buttons) override {
    questions.append(title + "|" + text);
    choice_buttons.append(buttons);
    return Next(choices, static_cast<int>(buttons.size()) - 1);
  }
  bool GetText(QWidget*, const QString& title, const QString&, QString& text) override {
    questions.append(title);
    if (texts.empty()) return false;
    text = Next(texts, QString());
    return true;
  }
  QString GetOpenFileName(QWidget*, const QString& folder, const QString& filter) override {
    opened.append(filter);
    folders.append(folder);
    return Next(open_files, QString());
  }
  QString GetSaveFileName(QWidget*, const QString& folder, const QString& filter,
                          const QString&) override {
    saved.append(filter);
    folders.append(folder);
    return Next(save_files, QString());
  }
  bool GetColor(QWidget*, QColor& color) override {
    colors_shown.push_back(color);
    if (colors.empty()) return false;
    color = Next(colors, QColor());
    return true;
  }
  void OpenDocument(const QString& path) override { documents.append(path); }

  // `folders`: where each file dialog started; `choice_buttons`: the buttons of each Choose().
  QStringList errors, warnings, questions, opened, saved, documents, folders;
  QList<QStringList> choice_buttons;
  std::deque<TAnswer> answers;
  std::deque<int> choices;
  std::deque<QString> texts, open_files, save_files;
  std::deque<QColor> colors;
  std::vector<QColor> colors_shown;  // the colour each colour dialog opened at

 private:
  template <typename T>
  static T Next(std::deque<T>& queue, T fallback) {
    if (queue.empty()) return fallback;
    T value = queue.front();
    queue.pop_front();
    return value;
  }
};

}  // namespace vistrel::testing
