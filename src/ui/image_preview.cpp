#include "ui/image_preview.h"

#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

#include "imaging/image_operations.h"
#include "ui/text.h"

namespace vistrel {

TfrmImgPreview::TfrmImgPreview(QWidget* parent) : QDialog(parent), imgPreview(new QLabel(this)) {
  imgPreview->setObjectName("imgPreview");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(imgPreview);
  imgPreview->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  resize(314, 282);
}

void TfrmImgPreview::ShowImage(const QString& file) {
  setWindowTitle(QFileInfo(file).fileName());
  const TBitmap bitmap = RenderFullSizeBitmap(PathFromQString(file));
  const QImage image = ToQImage(bitmap);
  imgPreview->setPixmap(QPixmap::fromImage(image));
  if (!image.isNull()) {
    imgPreview->setFixedSize(bitmap.width, bitmap.height);
    setFixedSize(bitmap.width, bitmap.height);
  }
}

}  // namespace vistrel
