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
      new_folder_button_(new QPushButton("Neuer Ordner...", this)),
      Button1(new QPushButton("OK", this)),
      cancel_button_(new QPushButton("Abbrechen", this)),
      dialogs_(dialogs),
      model_(new QFileSystemModel(this)) {
  setWindowTitle("Verzeichnis wählen...");
  ShellTreeView1->setObjectName("ShellTreeView1");
  new_folder_button_->setObjectName("newFolderButton");
  Button1->setObjectName("Button1");
  cancel_button_->setObjectName("cancelButton");
  SetUpFolderTree(ShellTreeView1, model_);
  // Folders are made through the model, so the new one has its place in the tree at once; the
  // tree itself renames nothing.
  model_->setReadOnly(false);
  ShellTreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  reveal_ = new TFolderReveal(ShellTreeView1, model_);
  Button1->setDefault(true);
  new_folder_button_->setAutoDefault(false);
  cancel_button_->setAutoDefault(false);
  connect(cancel_button_, &QPushButton::clicked, this, &QDialog::reject);
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(new_folder_button_, &QPushButton::clicked, this, [this] { (void)NewFolderClick(); });
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(new_folder_button_);
  buttons->addStretch();
  buttons->addWidget(Button1);
  buttons->addWidget(cancel_button_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(ShellTreeView1);
  layout->addLayout(buttons);
  resize(320, 380);
  setMinimumSize(272, 308);
}

void TfrmDirDlg::SelectStartFolder() {
  // A gallery folder that is yet to be made opens at the folder it will be made in.
  QString folder = directory_path_.isEmpty() ? QString() : QDir::cleanPath(directory_path_);
  while (!folder.isEmpty() && !QFileInfo(folder).isDir()) {
    const QString parent = QFileInfo(folder).path();
    folder = parent == folder || QFileInfo(folder).isRelative() ? QString() : parent;
  }
  reveal_->Reveal(folder.isEmpty() ? QDir::homePath() : folder);
}

QString TfrmDirDlg::SelectedFolder() const {
  const QModelIndex index = ShellTreeView1->currentIndex();
  return index.isValid() ? model_->filePath(index) : QString();
}

void TfrmDirDlg::Button1Click() {
  const QString selected = SelectedFolder();
  if (!selected.isEmpty()) directory_path_ = selected;
  accept();
}

bool TfrmDirDlg::NewFolderClick() {
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
