// The main window: browse folders, collect JPEG files into the image list, put them in order,
// attach properties, save and load the list, and open the create-gallery dialog.
//
// The window is composed of three panes and wires them: the file browser (TFileBrowserPane,
// the left column), the image list (TImageListPane) and, under it, the property box
// (TPropertyEditor), which shows the images selected in the list. The window owns the image list
// (RecordList) for the whole run of the program and replaces it only when a list file is
// loaded. Every way of adding images (button, double-click, drag from the file list, files and
// folders dropped from the desktop, "Ordner hinzufügen") goes through AddFiles: a folder brings
// the photos directly in it in the order of their names, files listed already are left out
// silently, and files that are no photos are named in one message. Records come in without
// their metadata, which the image list reads in the background; a gallery run waits for it.
//
// The list's commands are actions shared by the menus ("Bearbeiten") and the context menus of
// the file list and the image list. Every edit of the list (photos added, removed, moved,
// sorted, properties changed) can be undone and redone ("Rückgängig", "Wiederholen"); the
// list has unsaved changes when its undo stack is not where it was when the list was saved or
// opened.
//
// The window remembers the file the list was loaded from or last saved to, and whether the list
// has changes that are not saved there; its title names the file and marks such changes.
// "Beenden", closing the window, a new list and opening another list ask whether to save them,
// and "Ja" saves to that file (a name is asked only for a list that has none). A list opened
// whose photos are missing or cannot be read says which. The last lists opened or saved are
// offered under "Zuletzt geöffnet"; the window's size, place and splitters are kept from one
// start to the next. Questions and messages go through TDialogs.
//
// The list keeps the settings of the gallery it made last (gallery_settings_file.h), in a file
// beside its list file: they are read when the list is opened, written when a gallery is made
// from a list that has a file and when the list is saved, and the create-gallery dialog opens
// with them. A list without such settings starts from the gallery made last. "Galerie
// aktualisieren" (Ctrl+G) makes the list's gallery again in its folder with these settings,
// without the dialog; it is offered while that folder holds the gallery (its manifest).
#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "csv/gallery_settings_file.h"
#include "model/record.h"
#include "support/logger.h"

class QAction;
class QMenu;
class QSplitter;
class QFileInfo;
class QPushButton;
class QToolButton;

namespace vistrel {

class TAboutBox;
class TCaptionReader;
struct TPhotoCaptions;
class TDialogs;
class TFileBrowserPane;
class TImageListPane;
class TPropertyEditor;
class TfrmCreateGallery;
class UserMessages;

class TVTLMainWin : public QMainWindow {
 public:
  explicit TVTLMainWin(TDialogs& dialogs, QWidget* parent = nullptr);
  ~TVTLMainWin() override;

  // The create-gallery dialog ("Galerie erzeugen...") and the about box ("Info...").
  void SetWindows(TfrmCreateGallery* create_gallery, TAboutBox* about);

  TVTLRecordList& RecordList() { return *record_list_; }
  // The folder selected in the folder tree.
  QString SelectedFolder() const;
  void SelectFolder(const QString& folder);

  void AddRecordToList(const std::string& file_name, const std::string& folder_path);
  // Adds the files and folders at `paths` (full paths), in this order.
  void AddFiles(const QStringList& paths);
  // Files and folders dropped from the desktop.
  void DropPaths(const QStringList& paths);
  // Shows RecordList anew in the image list; no image is selected then.
  void FillRecordListView();
  // "Bilderliste speichern": to the list's own file, asking for a name only when it has none.
  // True when the list was written.
  bool SaveImageList();
  // "Bilderliste speichern unter...": always asks for the file.
  bool SaveImageListAs();
  // "Bilderliste laden...". Changes not saved are asked about first; when the user wants them
  // saved and that does not happen, no list is opened.
  void LoadImageList();
  // "Neue Bilderliste": an empty list without a file, after the same question.
  void NewImageList();
  // An entry of "Zuletzt geöffnet": the list `file`, after the same question.
  void OpenRecentList(const QString& file);
  // The file the list was loaded from or last saved to; empty for a new list.
  const QString& ListFile() const { return list_file_; }
  // The program's name and version, shown in the title after the list's name.
  void SetProgramTitle(const QString& title);
  // "Galerie erzeugen...": the create-gallery dialog, when the list has images.
  void btnGoClick();
  // "Galerie aktualisieren": the list's gallery made again in place, when it can be.
  void UpdateGalleryClick();
  // Whether "Galerie aktualisieren" can be chosen (checked anew when the menu opens).
  bool CanUpdateGallery() const;
  void HilfezuVistrel1Click();
  void InfoClick();

  // The settings of the gallery the list made last; nullopt when it made none.
  const std::optional<TGallerySettings>& Gallery() const { return gallery_; }

  // Whether the list has changes that have not been saved.
  bool HasUnsavedChanges() const;
  // Asks "Änderungen an der Bildliste speichern?" when there are unsaved changes and saves on
  // "Ja"; false when the user cancelled or the list could not be saved (the window then stays).
  bool MaySaveChanges();

  TFileBrowserPane& FileBrowser() const { return *file_browser_; }
  TImageListPane& ImageList() const { return *image_list_; }
  TPropertyEditor& PropertyEditor() const { return *property_editor_; }
  // How many photos added are still waiting for their captions to be read and taken over.
  int PendingCaptions() const;

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // An action of the window named `name` for the tests, calling `triggered`.
  QAction* NewAction(const QString& text, const char* name, std::function<void()> triggered);
  void CreateActions();
  void CreateEditActions();
  void CreateMenus();
  void CreateContextMenus();
  void UpdateEditActions();
  // The properties are about to change, and have changed: the change goes onto the undo stack.
  void PropertiesAboutToChange(const QString& what, bool typing);
  void PropertiesChanged();
  // "Im Dateibrowser zeigen": the folder of the image shown, in the file browser.
  void ShowInFileBrowser();
  // "Ordner öffnen": the folder the file browser shows, in the desktop's file manager.
  void OpenShownFolder();
  void CreateToolBar();
  void CreatePanes();
  void ConnectPanes();
  // Adds one photo to the list without telling the image list, and asks for its captions when
  // they are taken over; its row, or -1 when the file is listed already or no photo.
  int AddPhoto(const std::string& file_name, const std::string& folder_path);
  void AddFolder(const QString& folder);
  void ReportNoPhotos(const QStringList& files);
  // Files dropped onto the window or the image list; `source` is the widget the drag came from.
  void FilesDropped(const QStringList& paths, const QObject* source);
  void ShowSelectedRecords();
  void SetModified(bool modified = true);
  // Writes the list to `file`, which becomes the list's own file.
  bool WriteList(const QString& file);
  void UpdateTitle();
  // Asks about changes not saved before the list is replaced; false when it must stay.
  bool MayReplaceList();
  // Replaces the list with the one read from `file` (none when `file` is empty).
  void ReplaceList(const QString& file);
  void FillRecentMenu();
  // The captions read for photos added: their title and description where the list has none.
  void AdoptCaptions(std::vector<TPhotoCaptions>& batch);
  // Puts back the size, place and splitters of the last start, and keeps them.
  void RestoreWindowState();
  void SaveWindowState() const;
  // Names the photos of the list that are missing or cannot be read, when there are any.
  void ReportMissingPhotos();
  // Enables "Galerie aktualisieren" as CanUpdateGallery() says.
  void UpdateGalleryActions();
  // A gallery was made from the list with `settings`: the list keeps them.
  void GalleryMade(const TGallerySettings& settings);
  // Writes the list's gallery settings beside the list file `file`, when it has any.
  bool WriteGallerySettings(const QString& file);

  QAction* new_action_;
  QAction* load_action_;
  QMenu* recent_menu_ = nullptr;
  QAction* save_action_;
  QAction* save_as_action_;
  QAction* quit_action_;
  QAction* HilfezuVistrel1;  // "Hilfe zu Vistrel"
  QAction* info_action_;
  QAction* create_gallery_action_;  // "Galerie erzeugen..."
  QAction* update_gallery_action_;  // "Galerie aktualisieren"
  QAction* adopt_captions_action_;  // "Titel und Beschreibung aus den Fotos übernehmen"
  QAction* undo_action_;
  QAction* redo_action_;
  QAction* add_files_action_;
  QAction* add_folder_action_;
  QAction* open_folder_action_;
  QAction* remove_action_;
  QAction* move_up_action_;
  QAction* move_down_action_;
  QAction* sort_by_name_action_;
  QAction* sort_by_date_action_;
  QAction* new_property_action_;
  QAction* show_in_browser_action_;
  QToolButton* spbtnSave;  // the tool bar's save button
  QToolButton* spbtnLoad;  // the tool bar's load button
  QPushButton* btnGo;      // "Galerie erzeugen..."

  TDialogs& dialogs_;
  std::unique_ptr<UserMessages> messages_;
  std::unique_ptr<TVTLRecordList> record_list_;
  std::unique_ptr<TLogger> logger_;
  TFileBrowserPane* file_browser_;
  TImageListPane* image_list_;
  TPropertyEditor* property_editor_;
  // Before the list in destruction: its worker is stopped while the list still exists.
  std::unique_ptr<TCaptionReader> caption_reader_;
  QSplitter* splitter_ = nullptr;  // the file browser | the image list and property box
  TfrmCreateGallery* create_gallery_ = nullptr;
  TAboutBox* about_ = nullptr;
  bool modified_ = false;  // changes that are not on the undo stack
  // The properties before the change under way, and the key that lets letters typed into one
  // value, with the same images selected, be undone together.
  std::optional<TPropertyState> properties_before_;
  QString property_change_;
  bool property_typing_ = false;
  int typing_key_ = 0;
  bool pushing_properties_ = false;
  QString list_file_;
  std::optional<TGallerySettings> gallery_;
  QString program_title_ = "Vistrel";
};

}  // namespace vistrel
