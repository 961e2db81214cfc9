#include "ui/thumbnail_delegate.h"

#include <QFileSystemModel>

#include "ui/file_list_filter.h"
#include "ui/thumbnail_loader.h"

namespace vistrel {

TThumbnailDelegate::TThumbnailDelegate(TThumbnailLoader& loader, QObject* parent)
    : QStyledItemDelegate(parent), loader_(loader) {}

QSize TThumbnailDelegate::ItemSize(const QFontMetrics& font) {
  return QSize(kThumbnailSize + 6, kThumbnailSize + 2 * font.height() + 6);
}

QSize TThumbnailDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
  return ItemSize(option.fontMetrics);
}

void TThumbnailDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
  const QString key = index.data(kThumbnailKeyRole).toString();
  if (!key.isEmpty()) loader_.Request(index.data(QFileSystemModel::FilePathRole).toString(), key);
  QStyledItemDelegate::paint(painter, option, index);
}

// Every picture in a square of the thumbnail's size, upright and landscape photos alike, so the
// names stand in one line.
void TThumbnailDelegate::initStyleOption(QStyleOptionViewItem* option,
                                         const QModelIndex& index) const {
  QStyledItemDelegate::initStyleOption(option, index);
  option->decorationSize = QSize(kThumbnailSize, kThumbnailSize);
  option->decorationAlignment = Qt::AlignCenter;
}

}  // namespace vistrel
