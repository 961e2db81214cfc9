// The main window: browse folders, collect JPEG files into the image list, attach properties,
// save and load the list, and open the create-gallery dialog.
//
// The window owns the image list (RecordList) for the whole run of the program and replaces it
// only when a list file is loaded. Every way of adding images (button, double-click, drag from
// the file list, files dropped from the desktop) goes through AddRecordToList, which drops
// duplicates and non-JPEG files silently. The property box shows and edits the user's
// properties of the selected image; a property is added to every image at once. Questions and
// messages go through TDialogs.
#pragma once

#include <QMainWindow>
#include <memory>
#include <string>

#include "model/record.h"
#include "support/logger.h"

class QAction;
class QFileSystemModel;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSortFilterProxyModel;
class QToolButton;
class QTreeView;
class QTreeWidget;

namespace vistrel {

class TAboutBox;
class TDialogs;
class TfrmCreateGallery;
class UserMessages;

// The file list shows an entry only when it is a file with a JPEG name.
bool IsListedInFileList(const QString& name, bool is_folder);

class TVTLMainWin : public QMainWindow {
 public:
  explicit TVTLMainWin(TDialogs& dialogs, QWidget* parent = nullptr);
  ~TVTLMainWin() override;

  void SetWindows(TfrmCreateGallery* create_gallery, TAboutBox* about);

  TVTLRecordList& RecordList() { return *record_list_; }
  // The folder selected in the folder tree.
  QString SelectedFolder() const;
  void SelectFolder(const QString& folder);

  void AddRecordToList(const std::string& file_name, const std::string& folder_path);
  // "Hinzufügen >>" and double-click: the selected entries of the file list, top to bottom.
  void AddSelectedFiles();
  // Files dropped from the desktop: folders are refused with a message, files added.
  void DropPaths(const QStringList& paths);
  void ShowPreview();
  void ShowRecordDetails();
  void FillRecordListView();
  void SaveImageList();
  void LoadImageList();
  void btnGoClick();
  void btnNeueEigenschaftClick();
  // Delete in the image list.
  void DeleteCurrentRecord();
  void HilfezuVistrel1Click();
  void InfoClick();

  TVTLRecord* CurrentRecord = nullptr;
  int CurrentDetailIndex = -1;

  QTreeView* ShellTreeView1;
  QTreeView* ShellListView1;
  QPushButton* Button1;
  QTreeWidget* lvRecordList;
  QGroupBox* gbRecord;
  QLabel* imgPreview;
  QListWidget* lbDetails;
  QLineEdit* edDetailEdit;
  QPushButton* btnNeueEigenschaft;
  QToolButton* spbtnSave;
  QToolButton* spbtnLoad;
  QPushButton* btnGo;
  QAction* actLoad;
  QAction* actSave;
  QAction* actQuit;
  QAction* HilfezuVistrel1;
  QAction* actInfo;

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SelectionChanged();
  void DetailClicked();
  void DetailEdited(const QString& text);
  void ShowFolderInFileList(const QString& folder);
  void ShowFileListRoot();
  // Opens the folder tree down to pending_folder_ and selects it, as far as it has loaded.
  void RevealFolder();
  QString DetailLine(int index) const;

  TDialogs& dialogs_;
  std::unique_ptr<UserMessages> messages_;
  std::unique_ptr<TVTLRecordList> record_list_;
  std::unique_ptr<TLogger> logger_;
  TfrmCreateGallery* create_gallery_ = nullptr;
  TAboutBox* about_ = nullptr;
  QFileSystemModel* folders_;
  QFileSystemModel* files_;
  QSortFilterProxyModel* file_filter_;
  QString pending_folder_;
  QString shown_folder_;  // the folder whose files the file list shows
};

}  // namespace vistrel
