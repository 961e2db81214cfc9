// What the model and the imaging module hand the windows, as Qt shows it.
//
// Names and values are bytes in the model; windows show them as text. Bytes that are valid
// UTF-8 are decoded as UTF-8; bytes that are not are shown as Latin-1, one character per byte,
// so nothing is ever dropped. Text the user edits goes back as UTF-8. Pictures come from the
// imaging module as BMP data (TBitmap) and become QImages. Free functions without state.
#pragma once

#include <QImage>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <string>

namespace vistrel {

struct TBitmap;
class TCancelFlag;

QString ToQString(const std::string& bytes);
std::string FromQString(const QString& text);

// File paths as the file system spells them (its bytes), and back.
QString PathToQString(const std::string& path);
std::string PathFromQString(const QString& path);

// The picture of `bitmap`; a null image when it is empty or cannot be read.
QImage ToQImage(const TBitmap& bitmap);
// The picture of the photo at `path` fitted into size x size pixels (decoded shrunk while
// loading), for the thumbnail loaders: a null image when it cannot be read, or when `cancel`
// is set before it starts. Safe on a worker thread.
QImage RenderThumbnail(const QString& path, int size, const TCancelFlag& cancel);

// How many files a message names one by one.
inline constexpr int kNamedFiles = 10;
// The first kNamedFiles of `lines`, which name `total` files, and for the others
// "... und N weitere".
QStringList ShortenedList(QStringList lines, qsizetype total);

// The German of Germany, in which the windows show numbers, sizes, dates and sort names.
const QLocale& GermanLocale();

}  // namespace vistrel
