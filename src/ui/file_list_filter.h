// The model of the main window's file list: the entries of one folder of a QFileSystemModel
// that IsListedInFileList admits, with their size, type and date written the German way, and
// the thumbnails of a TThumbnailLoader in place of the file icons when the list shows them.
//
// The filter applies to the folder set with SetRoot only; the folders above it pass, so the
// view can reach the folder through them. It does not own the file model or the loader.
// User-interface thread only.
#pragma once

#include <QSortFilterProxyModel>
#include <QString>

class QFileSystemModel;

namespace vistrel {

class TThumbnailLoader;

// The file list shows an entry only when it is a photo file (photo_format.h), by its contents.
bool IsListedInFileList(const QString& path, bool is_folder);

// A file's size as the file list shows it: "812 Bytes", "35,4 kB", "3,2 MB".
QString GermanFileSize(qint64 bytes);

// The data role that names a file's version for its thumbnail: its path, size and time of
// change (clear of QFileSystemModel's own roles, which start at Qt::UserRole + 1).
inline constexpr int kThumbnailKeyRole = Qt::UserRole + 100;

class TFileListFilter : public QSortFilterProxyModel {
 public:
  using QSortFilterProxyModel::QSortFilterProxyModel;

  // The folder whose entries are filtered (absolute).
  void SetRoot(const QString& root);
  // Pictures from `loader` in place of the file icons; nullptr for the icons.
  void SetThumbnails(TThumbnailLoader* loader);
  // The thumbnail of `path` has been made: the views draw its entry again.
  void ThumbnailReady(const QString& path);

  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 protected:
  bool filterAcceptsRow(int row, const QModelIndex& parent) const override;

 private:
  const QFileSystemModel* Files() const;

  QString root_;
  TThumbnailLoader* thumbnails_ = nullptr;
};

}  // namespace vistrel
