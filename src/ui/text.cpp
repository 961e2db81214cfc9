#include "ui/text.h"

#include <QFile>
#include <QStringDecoder>

#include "imaging/image_operations.h"
#include "support/cancel_flag.h"

namespace vistrel {

QString ToQString(const std::string& bytes) {
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString text =
      decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
  if (!decoder.hasError()) return text;
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string FromQString(const QString& text) { return text.toUtf8().toStdString(); }

QString PathToQString(const std::string& path) {
  return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

std::string PathFromQString(const QString& path) { return QFile::encodeName(path).toStdString(); }

QImage ToQImage(const TBitmap& bitmap) {
  QImage image;
  if (!bitmap.Empty())
    (void)image.loadFromData(reinterpret_cast<const uchar*>(bitmap.bmp.data()),
                             static_cast<qsizetype>(bitmap.bmp.size()), "BMP");
  return image;
}

QImage RenderThumbnail(const QString& path, int size, const TCancelFlag& cancel) {
  if (cancel.Cancelled()) return QImage();
  return ToQImage(RenderPreviewBitmap(PathFromQString(path), size, size));
}

const QLocale& GermanLocale() {
  static const QLocale locale(QLocale::German, QLocale::Germany);
  return locale;
}

QStringList ShortenedList(QStringList lines, qsizetype total) {
  if (lines.size() > kNamedFiles) lines.resize(kNamedFiles);
  if (total > kNamedFiles) lines << "... und " + QString::number(total - kNamedFiles) + " weitere";
  return lines;
}

}  // namespace vistrel
