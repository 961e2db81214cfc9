// How the thumbnail view of the file list draws its items.
//
// A file's picture is asked for from the TThumbnailLoader when its item is painted, so only the
// entries in view are made (sizing the items asks for every entry's data). Every item has the
// size of a thumbnail with two lines of its name below, whether its picture is there yet or
// not: the view takes one item's size for all. The loader must outlive the delegate.
// User-interface thread only.
#pragma once

#include <QStyledItemDelegate>

namespace vistrel {

class TThumbnailLoader;

// The edge of a thumbnail in the file list, in pixels.
inline constexpr int kThumbnailSize = 72;

class TThumbnailDelegate : public QStyledItemDelegate {
 public:
  TThumbnailDelegate(TThumbnailLoader& loader, QObject* parent);

  // The size of every item, for text in `font`.
  static QSize ItemSize(const QFontMetrics& font);

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

 private:
  TThumbnailLoader& loader_;
};

}  // namespace vistrel
