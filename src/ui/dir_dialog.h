// The directory chooser: a folder tree, "Neuer Ordner..." and "OK". The caller hands in a path
// (DirectoryPath), shows the window modally and reads DirectoryPath back; closing it without
// "OK" gives back what was handed in. A path that is no folder opens the tree at the home
// folder. The folder handed in is selected and shown in the middle of the tree, also while the
// tree is still reading the folders around it. "Neuer Ordner..." makes a folder in the selected
// one (the name asked through TDialogs) and selects it.
#pragma once

#include <QDialog>

class QFileSystemModel;
class QPushButton;
class QTreeView;

namespace vistrel {

class TDialogs;
class TFolderReveal;

class TfrmDirDlg : public QDialog {
 public:
  explicit TfrmDirDlg(TDialogs& dialogs, QWidget* parent = nullptr);

  QString DirectoryPath;

  // Selects DirectoryPath (or the home folder) in the tree; runs when the window is shown.
  void SelectStartFolder();
  // "OK": takes the selected folder and closes.
  void Button1Click();
  // "Neuer Ordner...": asks for a name and makes the folder in the selected one. False when
  // nothing was made (cancelled, or refused with a message).
  bool btnNewFolderClick();
  // The folder selected in the tree, or empty.
  QString SelectedFolder() const;

  QTreeView* ShellTreeView1;
  QPushButton* btnNewFolder;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  TDialogs& dialogs_;
  QFileSystemModel* model_;
  TFolderReveal* reveal_;
};

}  // namespace vistrel
