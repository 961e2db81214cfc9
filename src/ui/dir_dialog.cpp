#include "ui/dir_dialog.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "ui/dialogs.h"
#include "ui/folder_tree.h"

namespace vistrel {

TfrmDirDlg::TfrmDirDlg(TDialogs& dialogs, QWidget* parent)
    : QDialog(parent),
      ShellTreeView1(new QTreeView(this)),
      btnNewFolder(new QPushButton("Neuer Ordner...", this)),
      dialogs_(dialogs),
      model_(new QFileSystemModel(this)) {
  setWindowTitle("Verzeichnis wählen...");
  SetUpFolderTree(ShellTreeView1, model_);
  // Folders are made through the model, so the new one has its place in the tree at once; the
  // tree itself renames nothing.
  model_->setReadOnly(false);
  ShellTreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  reveal_ = new TFolderReveal(ShellTreeView1, model_);
  auto* ok = new QPushButton("OK", this);
  ok->setDefault(true);
  btnNewFolder->setAutoDefault(false);
  connect(ok, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(btnNewFolder, &QPushButton::clicked, this, [this] { (void)btnNewFolderClick(); });
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnNewFolder);
  buttons->addStretch();
  buttons->addWidget(ok);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(ShellTreeView1);
  layout->addLayout(buttons);
  resize(320, 380);
  setMinimumSize(272, 308);
}

void TfrmDirDlg::SelectStartFolder() {
  reveal_->Reveal(QFileInfo(DirectoryPath).isDir() ? DirectoryPath : QDir::homePath());
}

QString TfrmDirDlg::SelectedFolder() const {
  const QModelIndex index = ShellTreeView1->currentIndex();
  return index.isValid() ? model_->filePath(index) : QString();
}

void TfrmDirDlg::Button1Click() {
  const QString selected = SelectedFolder();
  if (!selected.isEmpty()) DirectoryPath = selected;
  accept();
}

bool TfrmDirDlg::btnNewFolderClick() {
  const QString parent = SelectedFolder();
  if (parent.isEmpty()) {
    dialogs_.ShowError(this,
                       "Bitte wählen Sie erst den Ordner, in dem der neue Ordner entstehen "
                       "soll.");
    return false;
  }
  QString name;
  if (!dialogs_.GetText(this, "Neuer Ordner", "Name des neuen Ordners in " + parent + ":", name))
    return false;
  name = name.trimmed();
  if (name.isEmpty()) return false;
  if (name == "." || name == ".." || name.contains('/') || name.contains(QChar(0))) {
    dialogs_.ShowError(this, "Der Name " + name + " ist als Ordnername nicht möglich.");
    return false;
  }
  const QString path = QDir(parent).filePath(name);
  if (QFileInfo::exists(path) || QFileInfo(path).isSymLink()) {
    dialogs_.ShowError(this, "Im Ordner " + parent + " gibt es schon " + name + ".");
    return false;
  }
  const QModelIndex made = model_->mkdir(ShellTreeView1->currentIndex(), name);
  if (!made.isValid()) {
    dialogs_.ShowError(this, "Der Ordner " + path + " konnte nicht angelegt werden!");
    return false;
  }
  reveal_->Reveal(path);
  return true;
}

void TfrmDirDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  SelectStartFolder();
}

}  // namespace vistrel
