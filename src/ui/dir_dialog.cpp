#include "ui/dir_dialog.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace vistrel {

TfrmDirDlg::TfrmDirDlg(QWidget* parent)
    : QDialog(parent), ShellTreeView1(new QTreeView(this)), model_(new QFileSystemModel(this)) {
  setWindowTitle("Verzeichnis wählen...");
  model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  model_->setRootPath("/");
  ShellTreeView1->setModel(model_);
  for (int column = 1; column < model_->columnCount(); ++column) ShellTreeView1->hideColumn(column);
  ShellTreeView1->header()->hide();
  ShellTreeView1->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(ShellTreeView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& point) {
    const QModelIndex index = ShellTreeView1->indexAt(point);
    if (index.isValid()) ShellTreeView1->setCurrentIndex(index);  // a right click selects
  });
  auto* ok = new QPushButton("OK", this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, [this] { Button1Click(); });
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(ShellTreeView1);
  layout->addLayout(buttons);
  resize(272, 308);
  setMinimumSize(272, 308);
}

void TfrmDirDlg::SelectStartFolder() {
  const QString folder = QFileInfo(DirectoryPath).isDir() ? DirectoryPath : QDir::homePath();
  const QModelIndex index = model_->index(QDir(folder).absolutePath());
  if (!index.isValid()) return;
  ShellTreeView1->setCurrentIndex(index);
  ShellTreeView1->scrollTo(index);
}

void TfrmDirDlg::Button1Click() {
  const QModelIndex index = ShellTreeView1->currentIndex();
  if (index.isValid()) DirectoryPath = model_->filePath(index);
  accept();
}

void TfrmDirDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  SelectStartFolder();
}

}  // namespace vistrel
