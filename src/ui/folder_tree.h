// The folder tree shared by the main window and the directory chooser: the machine's folders
// from the root down, folders only, where a right click selects a folder.
#pragma once

#include <QString>

class QFileSystemModel;
class QTreeView;

namespace vistrel {

// Fills `model` with the folders below "/" and shows it in `view`.
void SetUpFolderTree(QTreeView* view, QFileSystemModel* model);

// Opens the tree down to `folder` and selects it, as far as the model has read the folders.
void RevealFolderInTree(QTreeView* view, QFileSystemModel* model, const QString& folder);

}  // namespace vistrel
