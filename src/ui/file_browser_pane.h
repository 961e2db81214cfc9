// The file browser of the main window, its left column: the folder tree above, the file list of
// the folder selected in it below, shown as details (sizes and dates the German way) or as
// thumbnails, and the button "Hinzufügen >>".
//
// The pane opens at the folder the user looked at last (else the pictures folder) and in the
// view chosen last, and remembers both. "Hinzufügen >>" and a double-click hand the selected
// files, top to bottom, to the callback given at construction, "Ordner hinzufügen >>" the folder
// shown; dragging them onto the image
// list is the window's to handle (IsFileView tells such a drag by its source). The thumbnails
// are made in the background by a TThumbnailLoader, only for the entries in view.
//
// The pane owns its models (folders, files, the filter) and the loader. User-interface thread
// only.
#pragma once

#include <QSplitter>
#include <QStringList>
#include <functional>

class QAction;
class QFileSystemModel;
class QListView;
class QPushButton;
class QStackedWidget;
class QToolButton;
class QTreeView;

namespace vistrel {

class TFileListFilter;
class TFolderReveal;
class TThumbnailLoader;

class TFileBrowserPane : public QSplitter {
 public:
  // Takes the full paths of the files the user adds.
  using TAddFiles = std::function<void(const QStringList& paths)>;

  explicit TFileBrowserPane(TAddFiles add_files, QWidget* parent = nullptr);

  // The folder selected in the folder tree; the home folder while none is.
  QString SelectedFolder() const;
  void SelectFolder(const QString& folder);
  // The entries selected in the file list, top to bottom, as full paths.
  QStringList SelectedFiles() const;
  // "Hinzufügen >>": the selected files go to the callback.
  void AddSelectedFiles();
  // "Ordner hinzufügen >>": the folder whose files the list shows goes to the callback.
  void AddShownFolder();
  // Details or thumbnails in the file list; the choice is kept for the next start.
  void ShowThumbnails(bool thumbnails);
  bool ShowsThumbnails() const;
  // The commands of the file list's context menu (the window's actions, shared with its
  // menus), in both views.
  void SetContextActions(const QList<QAction*>& actions);
  // Whether `object` is one of the views of the file list (the source of a drag).
  bool IsFileView(const QObject* object) const;

  TThumbnailLoader& Thumbnails() const { return *thumbnails_; }

 private:
  void CreateFolderTree();
  void CreateDetailsView();
  void CreateThumbnailView();
  QWidget* CreateFilePanel();
  void ShowFolderInFileList(const QString& folder);
  void ShowFileListRoot();

  QTreeView* ShellTreeView1;   // the folder tree
  QTreeView* ShellListView1;   // the file list as details
  QListView* thumbnail_view_;  // the same entries as thumbnails
  QStackedWidget* file_views_;
  QToolButton* details_button_;
  QToolButton* thumbnails_button_;
  QPushButton* Button1;  // "Hinzufügen >>"
  QPushButton* add_folder_button_;

  TAddFiles add_files_;
  QFileSystemModel* folders_;
  QFileSystemModel* files_;
  TFileListFilter* file_filter_;
  TThumbnailLoader* thumbnails_;
  TFolderReveal* reveal_ = nullptr;
  QString shown_folder_;  // the folder whose files the file list shows
};

}  // namespace vistrel
