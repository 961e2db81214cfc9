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
const char* const kCacheSizeKey = "GalerieErzeugen/ZwischenspeicherMB";

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

QString FileListFolder() { return KeptFolder(kFileListFolderKey); }

void SetFileListFolder(const QString& folder) { QSettings().setValue(kFileListFolderKey, folder); }

bool FileListShowsThumbnails() { return QSettings().value(kThumbnailsKey, false).toBool(); }

void SetFileListShowsThumbnails(bool thumbnails) {
  QSettings().setValue(kThumbnailsKey, thumbnails);
}

QSize CreateGalleryDialogSize() { return QSettings().value(kDialogSizeKey).toSize(); }

void SetCreateGalleryDialogSize(const QSize& size) { QSettings().setValue(kDialogSizeKey, size); }

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
