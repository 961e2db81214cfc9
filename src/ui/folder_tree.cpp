#include "ui/folder_tree.h"

#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTimer>
#include <QTreeView>

namespace vistrel {

void SetUpFolderTree(QTreeView* view, QFileSystemModel* model) {
  model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  model->setRootPath("/");
  view->setModel(model);
  for (int column = 1; column < model->columnCount(); ++column) view->hideColumn(column);
  view->header()->hide();
  view->setContextMenuPolicy(Qt::CustomContextMenu);
  QObject::connect(view, &QWidget::customContextMenuRequested, view, [view](const QPoint& point) {
    const QModelIndex index = view->indexAt(point);
    if (index.isValid()) view->setCurrentIndex(index);
  });
}

TFolderReveal::TFolderReveal(QTreeView* view, QFileSystemModel* model)
    : QObject(view), view_(view), model_(model) {
  connect(model_, &QFileSystemModel::directoryLoaded, this, [this](const QString& path) {
    if (!pending_.isEmpty() && pending_.startsWith(path)) Step();
  });
  // Folders read later are inserted and sorted around the one shown; it stays in view.
  connect(model_, &QAbstractItemModel::rowsInserted, this, [this] { KeepInView(); });
  connect(model_, &QAbstractItemModel::layoutChanged, this, [this] { KeepInView(); });
  connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (current != shown_) {  // the user chose another folder
              pending_.clear();
              shown_ = QPersistentModelIndex();
            }
          });
}

void TFolderReveal::Reveal(const QString& folder) {
  pending_ = QDir(folder).absolutePath();
  keeping_.start();
  Step();
}

void TFolderReveal::Step() {
  const QModelIndex index = model_->index(pending_);
  if (!index.isValid()) return;
  for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
    view_->expand(parent);
  shown_ = index;
  view_->setCurrentIndex(index);
  KeepInView();
  // Once the view has laid out the rows just opened.
  QTimer::singleShot(0, this, [this] { KeepInView(); });
}

void TFolderReveal::KeepInView() {
  if (shown_.isValid() && view_->currentIndex() == shown_ && keeping_.isValid() &&
      keeping_.elapsed() < kKeepMs)
    view_->scrollTo(shown_, QAbstractItemView::PositionAtCenter);
}

}  // namespace vistrel
