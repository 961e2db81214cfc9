// The about box ("Info"): the program's logo, name and version.
#pragma once

#include <QDialog>
#include <QPixmap>

class QLabel;

namespace vistrel {

// The program's logo drawn at `size`: a framed photo of hills under a sky.
QPixmap DrawLogo(int size);

class TAboutBox : public QDialog {
 public:
  explicit TAboutBox(QWidget* parent = nullptr);
  // The version line, "Version 0.33 (beta)".
  void SetVersionText(const QString& text);

 private:
  QLabel* version_;
};

}  // namespace vistrel
