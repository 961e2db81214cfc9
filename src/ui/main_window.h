// The main window: browse folders, collect JPEG files into the image list, put them in order,
// attach properties, save and load the list, and open the create-gallery dialog.
//
// The window owns the image list (RecordList) for the whole run of the program and replaces it
// only when a list file is loaded; TRecordListModel shows it. Every way of adding images
// (button, double-click, drag from the file list, files dropped from the desktop) goes through
// AddRecordToList, which drops duplicates and non-JPEG files silently. The order of the list is
// the order of the gallery: rows are moved with "nach oben"/"nach unten" or by dragging them,
// and the list can be sorted by file name or by the date the photos were taken.
//
// The property box shows and edits the user's properties of the selected images: with several
// images selected, a value typed is given to all of them. A property is added to every image
// at once; it is renamed or removed for the selected images or for all. The window opens at the
// folder the user looked at last (else the pictures folder). The file list shows
// details (sizes and dates the German way) or thumbnails, which a TThumbnailLoader makes in the
// background. The window remembers whether the list has changes that are not saved, and
// "Beenden" and closing the window ask whether to save them. Questions and messages go through
// TDialogs.
#pragma once

#include <QMainWindow>
#include <memory>
#include <string>
#include <vector>

#include "model/record.h"
#include "support/logger.h"
#include "ui/thumbnail_loader.h"

class QAction;
class QFileSystemModel;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QPushButton;
class QStackedWidget;
class QToolButton;
class QTreeView;

namespace vistrel {

class TAboutBox;
class TDialogs;
class TFileListFilter;
class TFolderReveal;
class TRecordListModel;
class TfrmCreateGallery;
class UserMessages;

// The file list shows an entry only when it is a file with a JPEG name.
bool IsListedInFileList(const QString& name, bool is_folder);

// A file's size as the file list shows it: "812 Bytes", "35,4 kB", "3,2 MB".
QString GermanFileSize(qint64 bytes);

// The edge of a thumbnail in the file list, in pixels.
inline constexpr int kThumbnailSize = 72;

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
  // True when the list was written to a file.
  bool SaveImageList();
  void LoadImageList();
  void btnGoClick();
  void btnNeueEigenschaftClick();
  // "Eigenschaft umbenennen" and "Eigenschaft entfernen" for the selected property line.
  void btnEigenschaftUmbenennenClick();
  void btnEigenschaftEntfernenClick();
  // Delete in the image list: the selected images leave the list.
  void DeleteCurrentRecord();
  // "nach oben" (-1) and "nach unten" (+1): the selected images move one place.
  void MoveSelectedRecords(int step);
  void SortByFileName();
  void SortByDateTaken();
  void HilfezuVistrel1Click();
  void InfoClick();
  // Details or thumbnails in the file list.
  void ShowThumbnails(bool thumbnails);

  // Whether the list has changes that have not been saved.
  bool HasUnsavedChanges() const { return modified_; }
  // Asks "Änderungen an der Bildliste speichern?" when there are unsaved changes and saves on
  // "Ja"; false when the user cancelled or the list could not be saved (the window then stays).
  bool MaySaveChanges();

  // The rows selected in the image list, top to bottom, and their records.
  std::vector<int> SelectedRowNumbers() const;
  std::vector<TVTLRecord*> SelectedRecords() const;

  TVTLRecord* CurrentRecord = nullptr;
  int CurrentDetailIndex = -1;

  QTreeView* ShellTreeView1;
  QTreeView* ShellListView1;
  QListView* ShellIconView;  // the same entries as thumbnails
  QStackedWidget* FileViews;
  QToolButton* btnDetails;
  QToolButton* btnThumbnails;
  QPushButton* Button1;
  QTreeView* lvRecordList;
  QPushButton* btnMoveUp;
  QPushButton* btnMoveDown;
  QPushButton* btnSortByName;
  QPushButton* btnSortByDate;
  QGroupBox* gbRecord;
  QLabel* imgPreview;
  QListWidget* lbDetails;
  QLineEdit* edDetailEdit;
  QPushButton* btnNeueEigenschaft;
  QPushButton* btnEigenschaftUmbenennen;
  QPushButton* btnEigenschaftEntfernen;
  QToolButton* spbtnSave;
  QToolButton* spbtnLoad;
  QPushButton* btnGo;
  QAction* actLoad;
  QAction* actSave;
  QAction* actQuit;
  QAction* HilfezuVistrel1;
  QAction* actInfo;

  TRecordListModel& RecordListModel() const { return *records_model_; }
  TThumbnailLoader& Thumbnails() const { return *thumbnails_; }

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateActions();
  void CreateFileList();
  void CreateImageList();
  void CreatePropertyBox();
  void SelectionChanged();
  void DetailClicked();
  void DetailEdited(const QString& text);
  void ShowFolderInFileList(const QString& folder);
  void ShowFileListRoot();
  // The line of property `index` in the property box, for the records `selected`.
  QString DetailLine(const std::vector<TVTLRecord*>& selected, int index) const;
  // The value of property `index` when the current image and every one of `selected` have the
  // same one.
  bool CommonValue(const std::vector<TVTLRecord*>& selected, int index, std::string& value) const;
  void SetModified() { modified_ = true; }
  void Reorder(const std::vector<int>& order);
  void SelectRows(const std::vector<int>& rows);
  // "nur bei diesem Bild" or "nur bei den markierten Bildern", by the selection.
  QString OnlySelectedText() const;
  void UpdateButtons();

  TDialogs& dialogs_;
  std::unique_ptr<UserMessages> messages_;
  std::unique_ptr<TVTLRecordList> record_list_;
  std::unique_ptr<TLogger> logger_;
  TfrmCreateGallery* create_gallery_ = nullptr;
  TAboutBox* about_ = nullptr;
  QFileSystemModel* folders_;
  QFileSystemModel* files_;
  TFileListFilter* file_filter_;
  TThumbnailLoader* thumbnails_;
  TFolderReveal* reveal_;
  TRecordListModel* records_model_;
  QString shown_folder_;  // the folder whose files the file list shows
  bool modified_ = false;
};

}  // namespace vistrel
