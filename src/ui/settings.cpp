#include "ui/settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>

namespace vistrel {

namespace {

const char* const kListFolderKey = "Bilderliste/Ordner";
const char* const kFileListFolderKey = "Dateiliste/Ordner";
const char* const kThumbnailsKey = "Dateiliste/Miniaturen";
const char* const kDialogSizeKey = "GalerieErzeugen/Groesse";
const char* const kLastGalleryKey = "GalerieErzeugen/LetzteGalerie";
const char* const kCacheSizeKey = "GalerieErzeugen/ZwischenspeicherMB";
const char* const kRecentListsKey = "Bilderliste/ZuletztGeoeffnet";
const char* const kGeometryKey = "Hauptfenster/Geometrie";
const char* const kSplittersKey = "Hauptfenster/Teiler";
const char* const kAdoptCaptionsKey = "Bilderliste/TitelAusFotos";

// The folder kept under `key` when it still exists, else the pictures folder, else home.
QString KeptFolder(const char* key) {
  const QString kept = QSettings().value(key).toString();
  if (!kept.isEmpty() && QFileInfo(kept).isDir()) return kept;
  // The desktop's pictures folder is only worth starting in when it exists; otherwise the home
  // folder, never the folder the program happened to be started from.
  const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
  if (!pictures.isEmpty() && QFileInfo(pictures).isDir() &&
      QDir(pictures).absolutePath() != QDir::homePath())
    return pictures;
  return QDir::homePath();
}

}  // namespace

QString ImageListFolder() { return KeptFolder(kListFolderKey); }

void SetImageListFolder(const QString& folder) { QSettings().setValue(kListFolderKey, folder); }

QStringList RecentLists() {
  QStringList lists = QSettings().value(kRecentListsKey).toStringList();
  lists.removeAll(QString());
  lists.removeDuplicates();
  return lists.mid(0, kRecentListCount);
}

void AddRecentList(const QString& file) {
  QStringList lists = RecentLists();
  lists.removeAll(file);
  lists.prepend(file);
  QSettings().setValue(kRecentListsKey, lists.mid(0, kRecentListCount));
}

QByteArray MainWindowGeometry() { return QSettings().value(kGeometryKey).toByteArray(); }

void SetMainWindowGeometry(const QByteArray& geometry) {
  QSettings().setValue(kGeometryKey, geometry);
}

QList<QByteArray> MainWindowSplitters() {
  QList<QByteArray> states;
  for (const QVariant& state : QSettings().value(kSplittersKey).toList())
    states << state.toByteArray();
  return states;
}

void SetMainWindowSplitters(const QList<QByteArray>& states) {
  QVariantList kept;
  for (const QByteArray& state : states) kept << state;
  QSettings().setValue(kSplittersKey, kept);
}

QString FileListFolder() { return KeptFolder(kFileListFolderKey); }

void SetFileListFolder(const QString& folder) { QSettings().setValue(kFileListFolderKey, folder); }

bool FileListShowsThumbnails() { return QSettings().value(kThumbnailsKey, false).toBool(); }

void SetFileListShowsThumbnails(bool thumbnails) {
  QSettings().setValue(kThumbnailsKey, thumbnails);
}

QSize CreateGalleryDialogSize() { return QSettings().value(kDialogSizeKey).toSize(); }

void SetCreateGalleryDialogSize(const QSize& size) { QSettings().setValue(kDialogSizeKey, size); }

std::optional<TGallerySettings> LastGallery() {
  // Kept in the settings file's own format, so that one reader decides what is usable.
  // Bytes, not text: a path need not be UTF-8.
  return ParseGallerySettings(QSettings().value(kLastGalleryKey).toByteArray().toStdString());
}

void SetLastGallery(const TGallerySettings& settings) {
  QSettings().setValue(kLastGalleryKey, QByteArray::fromStdString(FormatGallerySettings(settings)));
}

bool AdoptsPhotoCaptions() { return QSettings().value(kAdoptCaptionsKey, true).toBool(); }

void SetAdoptsPhotoCaptions(bool adopt) { QSettings().setValue(kAdoptCaptionsKey, adopt); }

int CacheSizeMb() {
  bool ok = false;
  const int megabytes = QSettings().value(kCacheSizeKey, kDefaultCacheSizeMb).toInt(&ok);
  return ok ? std::clamp(megabytes, kMinCacheSizeMb, kMaxCacheSizeMb) : kDefaultCacheSizeMb;
}

void SetCacheSizeMb(int megabytes) { QSettings().setValue(kCacheSizeKey, megabytes); }

std::uint64_t CacheSizeBytes(int megabytes) {
  return static_cast<std::uint64_t>(std::max(megabytes, 0)) * 1'000'000u;
}

}  // namespace vistrel
