#include "ui/file_list_filter.h"

#include <QDateTime>
#include <QFileSystemModel>
#include <QLocale>
#include <QPixmap>

#include "model/photo_format.h"
#include "ui/text.h"
#include "ui/thumbnail_loader.h"

namespace vistrel {

bool IsListedInFileList(const QString& path, bool is_folder) {
  return !is_folder && IsPhotoFile(PathFromQString(path));
}

QString GermanFileSize(qint64 bytes) {
  if (bytes < 1024) return GermanLocale().toString(bytes) + (bytes == 1 ? " Byte" : " Bytes");
  return GermanLocale().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

void TFileListFilter::SetRoot(const QString& root) {
  root_ = root;
  invalidateFilter();
}

void TFileListFilter::SetThumbnails(TThumbnailLoader* loader) {
  if (loader == thumbnails_) return;
  thumbnails_ = loader;
  const QModelIndex root = mapFromSource(Files()->index(root_));
  if (rowCount(root) > 0)
    emit dataChanged(index(0, 0, root), index(rowCount(root) - 1, 0, root), {Qt::DecorationRole});
}

void TFileListFilter::ThumbnailReady(const QString& path) {
  const QModelIndex row = mapFromSource(Files()->index(path));
  if (row.isValid()) emit dataChanged(row, row, {Qt::DecorationRole});
}

QVariant TFileListFilter::data(const QModelIndex& index, int role) const {
  // A view asks for many roles per painted cell; only these are answered here.
  const bool ours = (role == Qt::DisplayRole && index.column() >= 1 && index.column() <= 3) ||
                    role == kThumbnailKeyRole ||
                    (role == Qt::DecorationRole && index.column() == 0 && thumbnails_);
  if (!ours) return QSortFilterProxyModel::data(index, role);
  const QModelIndex source = mapToSource(index);
  const QFileSystemModel* files = Files();
  if (source.isValid() && !files->isDir(source)) {
    if (role == Qt::DisplayRole) {
      switch (index.column()) {
        case 1:
          return GermanFileSize(files->size(source));
        case 2:
          // "JPEG-Bild", "HEIF-Bild", ...: only the rows in view are asked.
          return QString::fromUtf8(
              std::string(FormatName(PhotoFormatOfFile(PathFromQString(files->filePath(source))))) +
              "-Bild");
        case 3:
          return GermanLocale().toString(files->lastModified(source), "dd.MM.yyyy HH:mm");
      }
    }
    if (role == kThumbnailKeyRole) {
      // A file changed on disk gets a new picture.
      return files->filePath(source) + '\n' + QString::number(files->size(source)) + '\n' +
             QString::number(files->lastModified(source).toMSecsSinceEpoch());
    }
    if (role == Qt::DecorationRole && index.column() == 0 && thumbnails_) {
      const QPixmap thumbnail = thumbnails_->Cached(data(index, kThumbnailKeyRole).toString());
      if (!thumbnail.isNull()) return thumbnail;
    }
  }
  return QSortFilterProxyModel::data(index, role);
}

QVariant TFileListFilter::headerData(int section, Qt::Orientation orientation, int role) const {
  static const char* const kHeaders[] = {"Name", "Größe", "Typ", "Geändert"};
  if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 4)
    return QString(kHeaders[section]);
  return QSortFilterProxyModel::headerData(section, orientation, role);
}

bool TFileListFilter::filterAcceptsRow(int row, const QModelIndex& parent) const {
  const QFileSystemModel* files = Files();
  const QModelIndex index = files->index(row, 0, parent);
  // Only the entries of the folder shown are filtered, not the folders above it.
  if (files->filePath(parent) != root_) return true;
  return IsListedInFileList(files->filePath(index), files->isDir(index));
}

const QFileSystemModel* TFileListFilter::Files() const {
  return static_cast<const QFileSystemModel*>(sourceModel());
}

}  // namespace vistrel
