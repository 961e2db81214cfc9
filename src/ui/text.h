// Names and values are bytes in the model; windows show them as text.
//
// Bytes that are valid UTF-8 are decoded as UTF-8; bytes that are not are shown as Latin-1, one
// character per byte, so nothing is ever dropped. Text the user edits goes back as UTF-8.
#pragma once

#include <QString>
#include <string>

namespace vistrel {

QString ToQString(const std::string& bytes);
std::string FromQString(const QString& text);

// File paths as the file system spells them (its bytes), and back.
QString PathToQString(const std::string& path);
std::string PathFromQString(const QString& path);

}  // namespace vistrel
