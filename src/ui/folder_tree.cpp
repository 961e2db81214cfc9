#include "ui/folder_tree.h"

#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
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

void RevealFolderInTree(QTreeView* view, QFileSystemModel* model, const QString& folder) {
  const QModelIndex index = model->index(QDir(folder).absolutePath());
  if (!index.isValid()) return;
  for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
    view->expand(parent);
  view->setCurrentIndex(index);
  view->scrollTo(index);
}

}  // namespace vistrel
