// The image preview: a picture at its full size, in a window that takes the picture's size and
// the file's name as its title. Not modal, and reused; the create-gallery dialog shows it as a
// window of its own, so that it takes input while the dialog is modal. Escape closes it.
#pragma once

#include <QDialog>

class QLabel;

namespace vistrel {

class TfrmImgPreview : public QDialog {
 public:
  explicit TfrmImgPreview(QWidget* parent = nullptr);
  // Shows the picture of `file` at full size; a file that cannot be read shows nothing.
  void ShowImage(const QString& file);

 private:
  QLabel* imgPreview;  // the picture
};

}  // namespace vistrel
