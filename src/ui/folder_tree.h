// The folder tree shared by the main window and the directory chooser: the machine's folders
// from the root down, folders only, where a right click selects a folder.
//
// QFileSystemModel reads folders in the background, so a folder deep down has no place in the
// tree until the folders above it have been read, and folders read later are sorted in around
// it. TFolderReveal waits for them: it opens the tree down to the folder, selects it, and keeps
// it in the middle of the view for the moment the reading takes (kKeepMs), unless the user
// selects something else first.
// User-interface thread only.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPersistentModelIndex>
#include <QString>

class QFileSystemModel;
class QTreeView;

namespace vistrel {

// Fills `model` with the folders below "/" and shows it in `view`.
void SetUpFolderTree(QTreeView* view, QFileSystemModel* model);

class TFolderReveal : public QObject {
 public:
  // A child of `view`; `model` must outlive it.
  TFolderReveal(QTreeView* view, QFileSystemModel* model);

  // Opens the tree down to `folder` (absolute) and selects it, now as far as the folders have
  // been read, the rest as they come.
  void Reveal(const QString& folder);

 private:
  void Step();
  void KeepInView();

  static constexpr int kKeepMs = 2000;

  QTreeView* view_;
  QFileSystemModel* model_;
  QString pending_;
  QPersistentModelIndex shown_;  // the folder revealed last
  QElapsedTimer keeping_;        // since the last Reveal()
};

}  // namespace vistrel
