#include "ui/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QUndoStack>
#include <QVBoxLayout>

#include "csv/record_file.h"
#include "generation/gallery_manifest.h"
#include "generation/run_services.h"
#include "imaging/metadata.h"
#include "model/file_naming.h"
#include "support/disk.h"
#include "support/program_paths.h"
#include "ui/about_box.h"
#include "ui/caption_reader.h"
#include "ui/create_gallery_dialog.h"
#include "ui/dialogs.h"
#include "ui/file_browser_pane.h"
#include "ui/gallery_runner.h"
#include "ui/image_list_pane.h"
#include "ui/list_commands.h"
#include "ui/property_editor.h"
#include "ui/record_list_model.h"
#include "ui/settings.h"
#include "ui/text.h"

namespace vistrel {

namespace {

const QString kListFilter = "Textdateien (*.txt, *.csv; *.asc) (*.txt *.csv *.asc)";
// Why the photo of `record` cannot be used, or empty when it can.
QString PhotoProblem(const TVTLRecord& record) {
  const QFileInfo file(PathToQString(record.FullPath()));
  if (!file.isFile()) return "fehlt";
  if (!file.isReadable()) return "nicht lesbar";
  return QString();
}

}  // namespace

TVTLMainWin::TVTLMainWin(TDialogs& dialogs, QWidget* parent)
    : QMainWindow(parent),
      spbtnSave(new QToolButton),
      spbtnLoad(new QToolButton),
      btnGo(new QPushButton("Galerie erzeugen...")),
      dialogs_(dialogs),
      messages_(std::make_unique<TDialogMessages>(dialogs, this)),
      record_list_(std::make_unique<TVTLRecordList>()),
      logger_(std::make_unique<TLogger>(ProgramFolder() + "log.txt")),
      file_browser_(new TFileBrowserPane([this](const QStringList& paths) { AddFiles(paths); })),
      image_list_(new TImageListPane),
      property_editor_(new TPropertyEditor(dialogs)),
      caption_reader_(std::make_unique<TCaptionReader>(
          [](const std::string& path, TVTLValueList& captions) {
            TVTLValueList metadata, photo_data;
            ReadPhotoMetadata(path, metadata, photo_data, captions);
          },
          [this](std::vector<TPhotoCaptions>& batch) { AdoptCaptions(batch); })) {
  CreateActions();
  CreateEditActions();
  CreateMenus();
  CreateToolBar();
  CreatePanes();
  CreateContextMenus();
  ConnectPanes();
  FillRecordListView();
  UpdateTitle();
  setAcceptDrops(true);
  resize(977, 680);
  RestoreWindowState();
  UpdateGalleryActions();
}

TVTLMainWin::~TVTLMainWin() {
  // The panes outlive the list (they go with the window's base); they must not read it then.
  property_editor_->SetList(nullptr);
  image_list_->SetList(nullptr);
}

QAction* TVTLMainWin::NewAction(const QString& text, const char* name,
                                std::function<void()> triggered) {
  auto* made = new QAction(text, this);
  made->setObjectName(name);
  connect(made, &QAction::triggered, this, std::move(triggered));
  return made;
}

void TVTLMainWin::CreateActions() {
  auto action = [this](const QString& text, const char* name, std::function<void()> triggered) {
    return NewAction(text, name, std::move(triggered));
  };
  new_action_ = action("Neue Bilderliste", "newAction", [this] { NewImageList(); });
  new_action_->setShortcut(QKeySequence::New);
  load_action_ = action("Bilderliste laden...", "loadAction", [this] { LoadImageList(); });
  load_action_->setShortcut(QKeySequence::Open);
  save_action_ = action("Bilderliste speichern", "saveAction", [this] { SaveImageList(); });
  save_action_->setShortcut(QKeySequence::Save);
  save_as_action_ =
      action("Bilderliste speichern unter...", "saveAsAction", [this] { SaveImageListAs(); });
  save_as_action_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
  // Through the window's closing, which asks about unsaved changes.
  quit_action_ = action("Beenden", "quitAction", [this] { close(); });
  quit_action_->setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::Key_Q), QKeySequence(Qt::ALT | Qt::Key_F4)});
  HilfezuVistrel1 =
      action("Hilfe zu Vistrel", "HilfezuVistrel1", [this] { HilfezuVistrel1Click(); });
  HilfezuVistrel1->setShortcut(QKeySequence(Qt::Key_F1));
  info_action_ = action("Info...", "infoAction", [this] { InfoClick(); });
  create_gallery_action_ =
      action("Galerie erzeugen...", "createGalleryAction", [this] { btnGoClick(); });
  update_gallery_action_ =
      action("Galerie aktualisieren", "updateGalleryAction", [this] { UpdateGalleryClick(); });
  update_gallery_action_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
  update_gallery_action_->setToolTip(
      "Erzeugt die Galerie dieser Liste mit ihren Einstellungen neu, an ihrem Ort");
  adopt_captions_action_ =
      action("Titel und Beschreibung aus den Fotos übernehmen", "adoptCaptionsAction",
             [this] { SetAdoptsPhotoCaptions(adopt_captions_action_->isChecked()); });
  adopt_captions_action_->setCheckable(true);
  adopt_captions_action_->setChecked(AdoptsPhotoCaptions());
}

void TVTLMainWin::CreateMenus() {
  QMenu* file_menu = menuBar()->addMenu("Datei");
  file_menu->addAction(new_action_);
  file_menu->addAction(load_action_);
  recent_menu_ = file_menu->addMenu("Zuletzt geöffnet");
  recent_menu_->setObjectName("recentMenu");
  connect(recent_menu_, &QMenu::aboutToShow, this, [this] { FillRecentMenu(); });
  FillRecentMenu();
  file_menu->addAction(save_action_);
  file_menu->addAction(save_as_action_);
  file_menu->addSeparator();
  file_menu->addAction(quit_action_);
  QMenu* edit_menu = menuBar()->addMenu("Bearbeiten");
  edit_menu->setObjectName("editMenu");
  edit_menu->addActions({undo_action_, redo_action_});
  edit_menu->addSeparator();
  edit_menu->addActions({add_files_action_, add_folder_action_, remove_action_});
  edit_menu->addSeparator();
  edit_menu->addActions(
      {move_up_action_, move_down_action_, sort_by_name_action_, sort_by_date_action_});
  edit_menu->addSeparator();
  edit_menu->addActions({new_property_action_, show_in_browser_action_, open_folder_action_});
  QMenu* gallery_menu = menuBar()->addMenu("Galerie");
  gallery_menu->addAction(create_gallery_action_);
  gallery_menu->addAction(update_gallery_action_);
  // The folder may have changed since: whether the gallery is still there is looked at anew.
  connect(gallery_menu, &QMenu::aboutToShow, this, [this] { UpdateGalleryActions(); });
  QMenu* settings_menu = menuBar()->addMenu("Einstellungen");
  settings_menu->addAction(adopt_captions_action_);
  QMenu* help_menu = menuBar()->addMenu("Hilfe");
  help_menu->addAction(HilfezuVistrel1);
  help_menu->addAction(info_action_);
}

void TVTLMainWin::CreateToolBar() {
  QToolBar* tools = addToolBar("Werkzeuge");
  tools->setMovable(false);
  spbtnSave->setObjectName("spbtnSave");
  spbtnSave->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
  spbtnSave->setToolTip(
      "Speichert die Liste der Bilddateien und die dazu eingegebenen Eigenschaften");
  spbtnSave->setAutoRaise(true);
  spbtnLoad->setObjectName("spbtnLoad");
  spbtnLoad->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
  spbtnLoad->setToolTip(
      "Lädt eine Liste von Bilddateien und evtl. dazu eingegebenen Eigenschaften");
  spbtnLoad->setAutoRaise(true);
  btnGo->setObjectName("btnGo");
  tools->addWidget(spbtnSave);
  tools->addWidget(spbtnLoad);
  tools->addSeparator();
  tools->addWidget(btnGo);
  tools->addAction(update_gallery_action_);
  connect(spbtnSave, &QToolButton::clicked, this, [this] { SaveImageList(); });
  connect(spbtnLoad, &QToolButton::clicked, this, [this] { LoadImageList(); });
  connect(btnGo, &QPushButton::clicked, this, [this] { btnGoClick(); });
}

void TVTLMainWin::CreatePanes() {
  // The file browser at the left, the image list with the property box under it at the right.
  auto* right = new QWidget;
  auto* right_layout = new QVBoxLayout(right);
  right_layout->setContentsMargins(0, 0, 0, 0);
  right_layout->addWidget(image_list_, 1);
  right_layout->addWidget(property_editor_);
  splitter_ = new QSplitter(Qt::Horizontal);
  splitter_->setObjectName("mainSplitter");
  splitter_->addWidget(file_browser_);
  splitter_->addWidget(right);
  splitter_->setStretchFactor(1, 1);
  splitter_->setSizes({185, 792});
  setCentralWidget(splitter_);
}

void TVTLMainWin::ConnectPanes() {
  image_list_->SetOnSelectionChanged([this] {
    ShowSelectedRecords();
    UpdateEditActions();
    ++typing_key_;  // what is typed now goes to other images
  });
  image_list_->SetOnListChanged([this] { UpdateEditActions(); });
  image_list_->SetOnDrop(
      [this](const QStringList& paths, const QObject* source) { FilesDropped(paths, source); });
  property_editor_->SetOnAboutToChange(
      [this](const QString& what, bool typing) { PropertiesAboutToChange(what, typing); });
  property_editor_->SetOnChanged([this] { PropertiesChanged(); });
  QUndoStack& undo = image_list_->Model().UndoStack();
  connect(&undo, &QUndoStack::cleanChanged, this, [this] { UpdateTitle(); });
  connect(&undo, &QUndoStack::indexChanged, this, [this] {
    // An undo may have taken the images shown out of the list, or changed their properties; a
    // value being typed stays as it is.
    if (!pushing_properties_) ShowSelectedRecords();
    UpdateEditActions();
    UpdateTitle();
    ++typing_key_;
  });
  UpdateEditActions();
}

void TVTLMainWin::SetWindows(TfrmCreateGallery* create_gallery, TAboutBox* about) {
  create_gallery_ = create_gallery;
  about_ = about;
  if (create_gallery_)
    create_gallery_->Runner().SetOnGalleryMade(
        [this](const TGallerySettings& settings) { GalleryMade(settings); });
}

QString TVTLMainWin::SelectedFolder() const { return file_browser_->SelectedFolder(); }

void TVTLMainWin::SelectFolder(const QString& folder) { file_browser_->SelectFolder(folder); }

void TVTLMainWin::ShowSelectedRecords() {
  property_editor_->ShowRecord(image_list_->ShownRecord(), image_list_->SelectedRecords());
}

void TVTLMainWin::closeEvent(QCloseEvent* event) {
  if (!MaySaveChanges()) {
    event->ignore();
    return;
  }
  SaveWindowState();
  QMainWindow::closeEvent(event);
}

bool TVTLMainWin::HasUnsavedChanges() const {
  return modified_ || !image_list_->Model().UndoStack().isClean();
}

bool TVTLMainWin::MaySaveChanges() {
  if (!HasUnsavedChanges() || record_list_->Count() == 0) return true;
  switch (dialogs_.Ask(this, "Speichern?", "Änderungen an der Bildliste speichern?", true)) {
    case TDialogs::TAnswer::kYes:
      return SaveImageList();  // a cancelled or failed save keeps the window open
    case TDialogs::TAnswer::kNo:
      return true;
    case TDialogs::TAnswer::kCancel:
      break;
  }
  return false;
}

void TVTLMainWin::FillRecordListView() {
  image_list_->SetList(record_list_.get());
  property_editor_->SetList(record_list_.get());
}

bool TVTLMainWin::SaveImageList() {
  if (list_file_.isEmpty() || record_list_->Count() == 0) return SaveImageListAs();
  return WriteList(list_file_);
}

bool TVTLMainWin::SaveImageListAs() {
  if (record_list_->Count() == 0) {
    dialogs_.ShowError(this,
                       "Es sind keine Dateien in der Liste eingefügt. Speichern nicht möglich!");
    return false;
  }
  const QString folder =
      list_file_.isEmpty() ? ImageListFolder() : QFileInfo(list_file_).absolutePath();
  const QString file = dialogs_.GetSaveFileName(this, folder, kListFilter, "csv");
  if (file.isEmpty()) return false;
  if (QFileInfo::exists(file) &&
      dialogs_.Ask(this, "Datei ersetzen?",
                   "Die Datei " + file + " existiert bereits. Möchten Sie sie ersetzen?",
                   false) != TDialogs::TAnswer::kYes)
    return false;
  SetImageListFolder(QFileInfo(file).absolutePath());
  return WriteList(file);
}

bool TVTLMainWin::WriteList(const QString& file) {
  TCSVVTLRecordFile list_file;
  if (!list_file.SaveRecordList(SystemDisk(), *record_list_, PathFromQString(file), *messages_))
    return false;
  list_file_ = QFileInfo(file).absoluteFilePath();
  AddRecentList(list_file_);
  SetModified(false);
  (void)WriteGallerySettings(list_file_);  // the list is saved, whether or not they are
  return true;
}

bool TVTLMainWin::WriteGallerySettings(const QString& file) {
  if (!gallery_) return true;
  const std::string path = GallerySettingsFileOf(PathFromQString(file));
  if (SaveGallerySettings(SystemDisk(), *gallery_, path)) return true;
  messages_->ShowError("Die Datei " + path + " konnte nicht gespeichert werden!");
  return false;
}

void TVTLMainWin::GalleryMade(const TGallerySettings& settings) {
  gallery_ = settings;
  SetLastGallery(settings);
  if (!list_file_.isEmpty()) (void)WriteGallerySettings(list_file_);
}

bool TVTLMainWin::CanUpdateGallery() const {
  return create_gallery_ && gallery_ && !gallery_->output_folder.empty() &&
         ReadFolderManifest(create_gallery_->Runner().Files().Disk(), gallery_->output_folder);
}

void TVTLMainWin::UpdateGalleryActions() { update_gallery_action_->setEnabled(CanUpdateGallery()); }

void TVTLMainWin::UpdateGalleryClick() {
  if (!create_gallery_ || !gallery_) return;
  if (!CanUpdateGallery()) {
    UpdateGalleryActions();
    return;
  }
  if (record_list_->Count() == 0) {
    btnGoClick();  // says that the list needs images
    return;
  }
  // A run takes the photos' metadata from their records.
  if (!image_list_->CompleteMetadata()) return;
  create_gallery_->Runner().Update(*gallery_, *record_list_);
  UpdateGalleryActions();
}

bool TVTLMainWin::MayReplaceList() {
  if (!HasUnsavedChanges() || record_list_->Count() == 0) return true;
  switch (dialogs_.Ask(this, "Speichern?",
                       "Möchten Sie die aktuelle Liste in einer Datei speichern, bevor Sie eine "
                       "neue Liste öffnen?",
                       true)) {
    case TDialogs::TAnswer::kCancel:
      return false;
    case TDialogs::TAnswer::kYes:
      // A cancelled or failed save keeps the list, and no other one is opened.
      return SaveImageList();
    case TDialogs::TAnswer::kNo:
      break;
  }
  return true;
}

void TVTLMainWin::LoadImageList() {
  if (!MayReplaceList()) return;
  const QString file = dialogs_.GetOpenFileName(this, ImageListFolder(), kListFilter);
  if (file.isEmpty()) return;
  SetImageListFolder(QFileInfo(file).absolutePath());
  ReplaceList(file);
}

void TVTLMainWin::NewImageList() {
  if (MayReplaceList()) ReplaceList(QString());
}

void TVTLMainWin::OpenRecentList(const QString& file) {
  if (!QFileInfo(file).isFile()) {
    dialogs_.ShowError(this, "Die Datei " + file + " gibt es nicht mehr.");
    return;
  }
  if (MayReplaceList()) ReplaceList(file);
}

void TVTLMainWin::ReplaceList(const QString& file) {
  // The panes let go of the old records before they are released.
  property_editor_->SetList(nullptr);
  image_list_->SetList(nullptr);
  caption_reader_->Forget();
  record_list_ = std::make_unique<TVTLRecordList>();
  if (!file.isEmpty()) {
    TCSVVTLRecordFile list_file;
    // The image list's model reads the photos' metadata in the background.
    (void)list_file.LoadRecordList(SystemDisk(), *record_list_, PathFromQString(file), nullptr,
                                   *logger_, *messages_);
  }
  FillRecordListView();
  list_file_ = file.isEmpty() ? QString() : QFileInfo(file).absoluteFilePath();
  gallery_.reset();
  if (!file.isEmpty())
    gallery_ = LoadGallerySettings(SystemDisk(), GallerySettingsFileOf(PathFromQString(file)));
  UpdateGalleryActions();
  SetModified(false);
  if (file.isEmpty()) return;
  AddRecentList(list_file_);
  ReportMissingPhotos();
}

void TVTLMainWin::FillRecentMenu() {
  recent_menu_->clear();
  const QStringList lists = RecentLists();
  for (int i = 0; i < lists.size(); ++i) {
    // "&1 urlaub.csv" and so on, the folder in the tip.
    QAction* entry = recent_menu_->addAction("&" + QString::number(i + 1) + " " +
                                             QFileInfo(lists[i]).fileName());
    entry->setToolTip(lists[i]);
    entry->setData(lists[i]);
    connect(entry, &QAction::triggered, this, [this, file = lists[i]] { OpenRecentList(file); });
  }
  recent_menu_->setEnabled(!lists.isEmpty());
}

void TVTLMainWin::RestoreWindowState() {
  const QByteArray geometry = MainWindowGeometry();
  if (!geometry.isEmpty()) restoreGeometry(geometry);
  const QList<QByteArray> splitters = MainWindowSplitters();
  if (splitters.size() == 2) {
    splitter_->restoreState(splitters[0]);
    file_browser_->restoreState(splitters[1]);
  }
}

void TVTLMainWin::SaveWindowState() const {
  SetMainWindowGeometry(saveGeometry());
  SetMainWindowSplitters({splitter_->saveState(), file_browser_->saveState()});
}

void TVTLMainWin::ReportMissingPhotos() {
  QStringList lines;
  int missing = 0;
  for (int i = 0; i < record_list_->Count(); ++i) {
    const TVTLRecord& record = record_list_->Item(i);
    const QString problem = PhotoProblem(record);
    if (problem.isEmpty()) continue;
    if (++missing <= kNamedFiles) lines << PathToQString(record.FullPath()) + " (" + problem + ")";
  }
  if (missing == 0) return;
  const QString count = QString::number(record_list_->Count());
  const QString head = missing == 1
                           ? "Ein Bild der Liste (von " + count + ") fehlt oder ist nicht lesbar:"
                           : QString::number(missing) + " Bilder der Liste (von " + count +
                                 ") fehlen oder sind nicht lesbar:";
  dialogs_.ShowWarning(this, head + "\n" + ShortenedList(lines, missing).join("\n"));
}

void TVTLMainWin::SetModified(bool modified) {
  modified_ = modified;
  if (!modified) image_list_->Model().UndoStack().setClean();
  UpdateTitle();
}

void TVTLMainWin::SetProgramTitle(const QString& title) {
  program_title_ = title;
  UpdateTitle();
}

void TVTLMainWin::UpdateTitle() {
  // "[*]" is where Qt shows the mark of unsaved changes.
  const QString list = list_file_.isEmpty() ? "Neue Bilderliste" : QFileInfo(list_file_).fileName();
  setWindowTitle(list + "[*] - " + program_title_);
  setWindowModified(HasUnsavedChanges());
}

void TVTLMainWin::btnGoClick() {
  if (record_list_->Count() == 0) {
    dialogs_.ShowError(this,
                       "Bitte wählen Sie erst die Bilder aus, die in der Galerie erscheinen sollen "
                       "oder laden Sie über das Menü eine gespeicherte Bilderliste!");
    return;
  }
  // A run takes the photos' metadata from their records.
  if (!create_gallery_ || !image_list_->CompleteMetadata()) return;
  // A list that made no gallery yet starts from the one made last, as a gallery of its own.
  std::optional<TGallerySettings> start = gallery_;
  if (!start && (start = LastGallery())) start->id.clear();
  create_gallery_->SetRemembered(start);
  create_gallery_->exec();
  UpdateGalleryActions();
}

void TVTLMainWin::HilfezuVistrel1Click() {
  const std::string help = HelpFile();
  if (!help.empty()) dialogs_.OpenDocument(PathToQString(help));
}

void TVTLMainWin::InfoClick() {
  if (about_) about_->exec();
}

}  // namespace vistrel
