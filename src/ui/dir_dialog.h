// The directory chooser: a folder tree, "Neuer Ordner...", "OK" and "Abbrechen". The caller
// hands in a path (SetDirectoryPath), shows the window modally and reads DirectoryPath() back;
// "Abbrechen" or closing it without "OK" gives back what was handed in. A path that is no folder
// (yet) opens the tree at the nearest folder above it that exists, else at the home folder. The
// folder handed in is selected and shown in the middle of the tree, also while the tree is still
// reading the folders around it. "Neuer Ordner..." makes a folder in the selected one (the name
// asked through TDialogs) and selects it.
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

  // The folder handed in, and after "OK" the folder chosen.
  const QString& DirectoryPath() const { return directory_path_; }
  void SetDirectoryPath(const QString& path) { directory_path_ = path; }

  // Selects DirectoryPath() (or the home folder) in the tree; runs when the window is shown.
  void SelectStartFolder();
  // "OK": takes the selected folder and closes.
  void Button1Click();
  // "Neuer Ordner...": asks for a name and makes the folder in the selected one. False when
  // nothing was made (cancelled, or refused with a message).
  bool NewFolderClick();
  // The folder selected in the tree, or empty.
  QString SelectedFolder() const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QTreeView* ShellTreeView1;        // the folder tree
  QPushButton* new_folder_button_;  // "Neuer Ordner..."
  QPushButton* Button1;             // "OK"
  QPushButton* cancel_button_;      // "Abbrechen"

  QString directory_path_;
  TDialogs& dialogs_;
  QFileSystemModel* model_;
  TFolderReveal* reveal_;
};

}  // namespace vistrel
