// The directory chooser: a folder tree and "OK". The caller hands in a path (DirectoryPath),
// shows the window modally and reads DirectoryPath back; closing it without "OK" gives back
// what was handed in. A path that is no folder opens the tree at the home folder.
#pragma once

#include <QDialog>

class QFileSystemModel;
class QTreeView;

namespace vistrel {

class TfrmDirDlg : public QDialog {
 public:
  explicit TfrmDirDlg(QWidget* parent = nullptr);

  QString DirectoryPath;

  // Selects DirectoryPath (or the home folder) in the tree; runs when the window is shown.
  void SelectStartFolder();
  // "OK": takes the selected folder and closes.
  void Button1Click();

  QTreeView* ShellTreeView1;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QFileSystemModel* model_;
};

}  // namespace vistrel
