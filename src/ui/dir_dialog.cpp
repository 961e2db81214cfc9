#include "ui/dir_dialog.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "ui/folder_tree.h"

namespace vistrel {

TfrmDirDlg::TfrmDirDlg(QWidget* parent)
    : QDialog(parent), ShellTreeView1(new QTreeView(this)), model_(new QFileSystemModel(this)) {
  setWindowTitle("Verzeichnis wählen...");
  SetUpFolderTree(ShellTreeView1, model_);
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
  RevealFolderInTree(ShellTreeView1, model_, folder);
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
