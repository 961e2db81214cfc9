#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "csv/record_file.h"
#include "imaging/image_operations.h"
#include "imaging/metadata.h"
#include "model/file_naming.h"
#include "support/program_paths.h"
#include "ui/about_box.h"
#include "ui/create_gallery_dialog.h"
#include "ui/dialogs.h"
#include "ui/folder_tree.h"
#include "ui/text.h"

namespace vistrel {

namespace {

constexpr int kPreviewWidth = 121;
constexpr int kPreviewHeight = 105;
const QString kListFilter = "Textdateien (*.txt, *.csv; *.asc) (*.txt *.csv *.asc)";

// Shows only the entries of the file list that IsListedInFileList admits.
class TFileListFilter : public QSortFilterProxyModel {
 public:
  using QSortFilterProxyModel::QSortFilterProxyModel;

 protected:
  bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
    auto* model = static_cast<QFileSystemModel*>(sourceModel());
    const QModelIndex index = model->index(row, 0, parent);
    // Only the entries of the folder shown are filtered, not the folders above it.
    if (model->filePath(parent) != root_) return true;
    return IsListedInFileList(model->fileName(index), model->isDir(index));
  }

 public:
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    static const char* const kHeaders[] = {"Name", "Größe", "Typ", "Geändert"};
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 4)
      return QString(kHeaders[section]);
    return QSortFilterProxyModel::headerData(section, orientation, role);
  }

  void SetRoot(const QString& root) {
    root_ = root;
    invalidateFilter();
  }

 private:
  QString root_;
};

}  // namespace

bool IsListedInFileList(const QString& name, bool is_folder) {
  return !is_folder && IsJpegFileName(PathFromQString(name));
}

TVTLMainWin::TVTLMainWin(TDialogs& dialogs, QWidget* parent)
    : QMainWindow(parent),
      ShellTreeView1(new QTreeView),
      ShellListView1(new QTreeView),
      Button1(new QPushButton("Hinzufügen >>")),
      lvRecordList(new QTreeWidget),
      gbRecord(new QGroupBox("Bildeigenschaften ")),
      imgPreview(new QLabel),
      lbDetails(new QListWidget),
      edDetailEdit(new QLineEdit),
      btnNeueEigenschaft(new QPushButton("neue Eigenschaft")),
      spbtnSave(new QToolButton),
      spbtnLoad(new QToolButton),
      btnGo(new QPushButton("Galerie erzeugen...")),
      dialogs_(dialogs),
      messages_(std::make_unique<TDialogMessages>(dialogs, this)),
      record_list_(std::make_unique<TVTLRecordList>()),
      logger_(std::make_unique<TLogger>(ProgramFolder() + "log.txt")),
      folders_(new QFileSystemModel(this)),
      files_(new QFileSystemModel(this)),
      file_filter_(new TFileListFilter(this)) {
  // Menu bar.
  QMenu* file_menu = menuBar()->addMenu("Datei");
  actLoad = file_menu->addAction("Bilderliste laden...", this, [this] { LoadImageList(); });
  actSave = file_menu->addAction("Bilderliste speichern...", this, [this] { SaveImageList(); });
  file_menu->addSeparator();
  actQuit = file_menu->addAction("Beenden", qApp, &QApplication::quit);
  actQuit->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
  QMenu* help_menu = menuBar()->addMenu("Hilfe");
  HilfezuVistrel1 =
      help_menu->addAction("Hilfe zu Vistrel", this, [this] { HilfezuVistrel1Click(); });
  actInfo = help_menu->addAction("Info...", this, [this] { InfoClick(); });

  // Tool bar.
  QToolBar* tools = addToolBar("Werkzeuge");
  tools->setMovable(false);
  spbtnSave->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
  spbtnSave->setToolTip(
      "Speichert die Liste der Bilddateien und die dazu eingegebenen Eigenschaften");
  spbtnSave->setAutoRaise(true);
  spbtnLoad->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
  spbtnLoad->setToolTip(
      "Lädt eine Liste von Bilddateien und evtl. dazu eingegebenen Eigenschaften");
  spbtnLoad->setAutoRaise(true);
  tools->addWidget(spbtnSave);
  tools->addWidget(spbtnLoad);
  tools->addSeparator();
  tools->addWidget(btnGo);
  connect(spbtnSave, &QToolButton::clicked, this, [this] { SaveImageList(); });
  connect(spbtnLoad, &QToolButton::clicked, this, [this] { LoadImageList(); });
  connect(btnGo, &QPushButton::clicked, this, [this] { btnGoClick(); });

  // Folder tree.
  SetUpFolderTree(ShellTreeView1, folders_);
  // The tree reads folders in the background; a folder to be shown is opened as its parents load.
  connect(folders_, &QFileSystemModel::directoryLoaded, this, [this](const QString& path) {
    if (!pending_folder_.isEmpty() && pending_folder_.startsWith(path)) RevealFolder();
  });
  connect(ShellTreeView1->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& index) {
            const QString folder = folders_->filePath(index);
            if (folder != pending_folder_) pending_folder_.clear();  // the user chose another
            ShowFolderInFileList(folder);
          });

  // File list.
  files_->setFilter(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
  files_->setReadOnly(false);  // entries can be renamed in place
  file_filter_->setSourceModel(files_);
  connect(files_, &QFileSystemModel::directoryLoaded, this, [this] { ShowFileListRoot(); });
  ShellListView1->setModel(file_filter_);
  ShellListView1->setRootIsDecorated(false);
  ShellListView1->setItemsExpandable(false);
  ShellListView1->setSortingEnabled(true);
  ShellListView1->sortByColumn(0, Qt::AscendingOrder);
  ShellListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
  ShellListView1->setEditTriggers(QAbstractItemView::EditKeyPressed);
  ShellListView1->setDragEnabled(true);
  ShellListView1->setDragDropMode(QAbstractItemView::DragOnly);
  ShellListView1->setAlternatingRowColors(true);
  connect(ShellListView1, &QTreeView::doubleClicked, this, [this] { AddSelectedFiles(); });
  connect(Button1, &QPushButton::clicked, this, [this] { AddSelectedFiles(); });

  auto* left_splitter = new QSplitter(Qt::Vertical);
  left_splitter->addWidget(ShellTreeView1);
  auto* file_panel = new QWidget;
  auto* file_layout = new QVBoxLayout(file_panel);
  file_layout->setContentsMargins(0, 0, 0, 0);
  file_layout->addWidget(ShellListView1);
  file_layout->addWidget(Button1);
  left_splitter->addWidget(file_panel);

  // Image list.
  lvRecordList->setColumnCount(2);
  lvRecordList->setHeaderLabels({"Dateiname", "Pfad"});
  lvRecordList->setRootIsDecorated(false);
  lvRecordList->setSelectionMode(QAbstractItemView::SingleSelection);
  lvRecordList->setSelectionBehavior(QAbstractItemView::SelectRows);
  lvRecordList->setUniformRowHeights(true);
  lvRecordList->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  lvRecordList->setAcceptDrops(true);
  lvRecordList->viewport()->setAcceptDrops(true);
  lvRecordList->viewport()->installEventFilter(this);
  lvRecordList->installEventFilter(this);
  connect(lvRecordList, &QTreeWidget::itemSelectionChanged, this, [this] { SelectionChanged(); });

  // Property box.
  imgPreview->setFixedSize(kPreviewWidth, kPreviewHeight);
  imgPreview->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  QPixmap blank(kPreviewWidth, kPreviewHeight);
  blank.fill(Qt::white);
  imgPreview->setPixmap(blank);
  connect(lbDetails, &QListWidget::itemSelectionChanged, this, [this] { DetailClicked(); });
  connect(edDetailEdit, &QLineEdit::textEdited, this,
          [this](const QString& text) { DetailEdited(text); });
  connect(btnNeueEigenschaft, &QPushButton::clicked, this, [this] { btnNeueEigenschaftClick(); });
  auto* details = new QVBoxLayout;
  details->addWidget(lbDetails);
  details->addWidget(edDetailEdit);
  auto* box = new QHBoxLayout(gbRecord);
  box->addWidget(imgPreview, 0, Qt::AlignTop);
  box->addLayout(details, 1);
  box->addWidget(btnNeueEigenschaft, 0, Qt::AlignTop);
  lbDetails->setMinimumHeight(40);
  const QMargins margins = box->contentsMargins();
  gbRecord->setFixedHeight(std::max(145, kPreviewHeight + margins.top() + margins.bottom() +
                                             gbRecord->fontMetrics().height() + 8));
  gbRecord->hide();

  auto* right = new QWidget;
  auto* right_layout = new QVBoxLayout(right);
  right_layout->setContentsMargins(0, 0, 0, 0);
  right_layout->addWidget(lvRecordList, 1);
  right_layout->addWidget(gbRecord);

  auto* splitter = new QSplitter(Qt::Horizontal);
  splitter->addWidget(left_splitter);
  splitter->addWidget(right);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({185, 792});
  setCentralWidget(splitter);
  setAcceptDrops(true);
  resize(977, 680);
  SelectFolder(QDir::homePath());
}

TVTLMainWin::~TVTLMainWin() = default;

void TVTLMainWin::SetWindows(TfrmCreateGallery* create_gallery, TAboutBox* about) {
  create_gallery_ = create_gallery;
  about_ = about;
}

QString TVTLMainWin::SelectedFolder() const {
  const QModelIndex index = ShellTreeView1->currentIndex();
  return index.isValid() ? folders_->filePath(index) : QDir::homePath();
}

void TVTLMainWin::SelectFolder(const QString& folder) {
  pending_folder_ = QDir(folder).absolutePath();
  RevealFolder();
  ShowFolderInFileList(folder);
}

void TVTLMainWin::RevealFolder() { RevealFolderInTree(ShellTreeView1, folders_, pending_folder_); }

void TVTLMainWin::ShowFolderInFileList(const QString& folder) {
  shown_folder_ = QDir(folder).absolutePath();
  static_cast<TFileListFilter*>(file_filter_)->SetRoot(shown_folder_);
  files_->setRootPath(shown_folder_);
  ShowFileListRoot();
}

void TVTLMainWin::ShowFileListRoot() {
  // The file model reads folders in the background: until it has read the folder's parent the
  // folder has no place in the list yet, and the list waits for it.
  const QModelIndex root = file_filter_->mapFromSource(files_->index(shown_folder_));
  if (root.isValid() && root != ShellListView1->rootIndex()) ShellListView1->setRootIndex(root);
}

void TVTLMainWin::AddRecordToList(const std::string& file_name, const std::string& folder_path) {
  const int index =
      AddImageFile(*record_list_, file_name, folder_path, ReadPhotoMetadata, *logger_);
  if (index < 0) return;
  auto* row = new QTreeWidgetItem(lvRecordList);
  logger_->Log("| Added to Record list UI");
  row->setText(0, ToQString(file_name));
  row->setText(1, ToQString(folder_path));
  logger_->Log("| Set Data...");
}

void TVTLMainWin::AddSelectedFiles() {
  QModelIndexList rows = ShellListView1->selectionModel()->selectedRows();
  std::sort(rows.begin(), rows.end(),
            [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  for (const QModelIndex& row : rows) {
    const QFileInfo info(files_->filePath(file_filter_->mapToSource(row)));
    AddRecordToList(PathFromQString(info.fileName()),
                    IncludeTrailingPathDelimiter(PathFromQString(info.absolutePath())));
  }
}

void TVTLMainWin::DropPaths(const QStringList& paths) {
  for (const QString& path : paths) {
    const QFileInfo info(path.left(5000));
    if (info.isDir()) {
      dialogs_.ShowError(this,
                         path + " ist ein Ordner. Bitte fügen Sie die Dateien einzeln hinzu.");
      continue;
    }
    AddRecordToList(PathFromQString(info.fileName()),
                    IncludeTrailingPathDelimiter(PathFromQString(info.absolutePath())));
  }
}

void TVTLMainWin::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TVTLMainWin::dropEvent(QDropEvent* event) {
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile()) paths.append(url.toLocalFile());
  event->acceptProposedAction();
  if (event->source() == ShellListView1) {
    logger_->Log("Entering DragDrop.");
    logger_->Log("| Source is TShellListView.");
    AddSelectedFiles();
  } else {
    DropPaths(paths);
  }
}

bool TVTLMainWin::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lvRecordList->viewport()) {
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
      auto* drag = static_cast<QDragMoveEvent*>(event);
      if (drag->mimeData()->hasUrls()) drag->acceptProposedAction();
      return true;
    }
    if (event->type() == QEvent::Drop) {
      dropEvent(static_cast<QDropEvent*>(event));
      return true;
    }
  }
  if (watched == lvRecordList && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
    DeleteCurrentRecord();
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

void TVTLMainWin::SelectionChanged() {
  const QList<QTreeWidgetItem*> selected = lvRecordList->selectedItems();
  CurrentRecord = selected.isEmpty()
                      ? nullptr
                      : &record_list_->Item(lvRecordList->indexOfTopLevelItem(selected.first()));
  CurrentDetailIndex = -1;
  if (CurrentRecord) ShowPreview();
  ShowRecordDetails();
}

void TVTLMainWin::ShowPreview() {
  QImage image(kPreviewWidth, kPreviewHeight, QImage::Format_RGB32);
  image.fill(Qt::white);
  if (CurrentRecord) {
    const TBitmap bitmap =
        RenderPreviewBitmap(CurrentRecord->FullPath(), kPreviewWidth, kPreviewHeight);
    QImage picture;
    if (!bitmap.Empty() && picture.loadFromData(reinterpret_cast<const uchar*>(bitmap.bmp.data()),
                                                static_cast<int>(bitmap.bmp.size()), "BMP")) {
      QPainter painter(&image);
      painter.drawImage(0, 0, picture);  // unscaled, at the top left corner
    }
  }
  imgPreview->setPixmap(QPixmap::fromImage(image));
}

QString TVTLMainWin::DetailLine(int index) const {
  return ToQString(CurrentRecord->Details.Name(index)) + ": " +
         ToQString(CurrentRecord->Details.Value(index));
}

void TVTLMainWin::ShowRecordDetails() {
  if (!CurrentRecord) {
    gbRecord->hide();
    return;
  }
  gbRecord->show();
  lbDetails->blockSignals(true);
  lbDetails->clear();
  lbDetails->blockSignals(false);
  CurrentDetailIndex = -1;
  edDetailEdit->hide();
  edDetailEdit->clear();
  for (int i = 0; i < CurrentRecord->Details.Count(); ++i) lbDetails->addItem(DetailLine(i));
}

void TVTLMainWin::DetailClicked() {
  const QList<QListWidgetItem*> selected = lbDetails->selectedItems();
  CurrentDetailIndex = selected.isEmpty() ? -1 : lbDetails->row(selected.first());
  edDetailEdit->setVisible(CurrentDetailIndex >= 0);
  if (CurrentDetailIndex >= 0 && CurrentRecord) {
    edDetailEdit->setText(ToQString(CurrentRecord->Details.Value(CurrentDetailIndex)));
    edDetailEdit->setFocus();
  }
}

void TVTLMainWin::DetailEdited(const QString& text) {
  if (CurrentDetailIndex < 0 || !CurrentRecord) return;
  CurrentRecord->Details.SetValue(CurrentDetailIndex, FromQString(text));
  lbDetails->item(CurrentDetailIndex)->setText(DetailLine(CurrentDetailIndex));
}

void TVTLMainWin::btnNeueEigenschaftClick() {
  QString name;
  if (!dialogs_.GetText(this, "Neue Eigenschaft", "Bitte Namen für neue Eigenschaft eingeben!",
                        name) ||
      name.isEmpty())
    return;
  record_list_->AddProperty(FromQString(name));
  ShowRecordDetails();
}

void TVTLMainWin::DeleteCurrentRecord() {
  if (!CurrentRecord) return;
  const QList<QTreeWidgetItem*> selected = lvRecordList->selectedItems();
  const int remembered =
      selected.isEmpty() ? -1 : lvRecordList->indexOfTopLevelItem(selected.first());
  std::unique_ptr<TVTLRecord> removed;
  const int index = record_list_->Remove(*CurrentRecord, removed);
  if (index < 0) return;
  lvRecordList->blockSignals(true);
  delete lvRecordList->takeTopLevelItem(index);
  lvRecordList->blockSignals(false);
  removed.reset();
  CurrentRecord = nullptr;
  CurrentDetailIndex = -1;
  ShowRecordDetails();
  if (remembered >= 0 && remembered < lvRecordList->topLevelItemCount()) {
    lvRecordList->clearSelection();
    lvRecordList->topLevelItem(remembered)->setSelected(true);
    lvRecordList->setCurrentItem(lvRecordList->topLevelItem(remembered));
  } else {
    lvRecordList->clearSelection();
  }
}

void TVTLMainWin::FillRecordListView() {
  lvRecordList->blockSignals(true);
  lvRecordList->clear();
  for (int i = 0; i < record_list_->Count(); ++i) {
    const TVTLRecord& record = record_list_->Item(i);
    auto* row = new QTreeWidgetItem(lvRecordList);
    row->setText(0, ToQString(record.FileName));
    row->setText(1, ToQString(record.Directory));
  }
  lvRecordList->blockSignals(false);
  CurrentRecord = nullptr;
  CurrentDetailIndex = -1;
  ShowRecordDetails();
}

void TVTLMainWin::SaveImageList() {
  if (record_list_->Count() == 0) {
    dialogs_.ShowError(this,
                       "Es sind keine Dateien in der Liste eingefügt. Speichern nicht möglich!");
    return;
  }
  const QString file = dialogs_.GetSaveFileName(this, kListFilter, "csv");
  if (file.isEmpty()) return;
  if (QFileInfo::exists(file) &&
      dialogs_.Ask(this, "Datei ersetzen?",
                   "Die Datei " + file + " existiert bereits. Möchten Sie sie ersetzen?",
                   false) != TDialogs::TAnswer::kYes)
    return;
  TCSVVTLRecordFile list_file;
  (void)list_file.SaveRecordList(*record_list_, PathFromQString(file), *messages_);
}

void TVTLMainWin::LoadImageList() {
  if (record_list_->Count() > 0) {
    switch (dialogs_.Ask(this, "Speichern?",
                         "Möchten Sie die aktuelle Liste in einer Datei speichern, bevor Sie eine "
                         "neue Liste öffnen?",
                         true)) {
      case TDialogs::TAnswer::kCancel:
        return;
      case TDialogs::TAnswer::kYes:
        SaveImageList();
        break;
      case TDialogs::TAnswer::kNo:
        break;
    }
  }
  const QString file = dialogs_.GetOpenFileName(this, QString(), kListFilter);
  if (file.isEmpty()) return;
  CurrentRecord = nullptr;
  record_list_ = std::make_unique<TVTLRecordList>();
  TCSVVTLRecordFile list_file;
  (void)list_file.LoadRecordList(*record_list_, PathFromQString(file), ReadPhotoMetadata, *logger_,
                                 *messages_);
  FillRecordListView();
}

void TVTLMainWin::btnGoClick() {
  if (record_list_->Count() == 0) {
    dialogs_.ShowError(this,
                       "Bitte wählen Sie erst die Bilder aus, die in der Galerie erscheinen sollen "
                       "oder laden Sie über das Menü eine Liste aus einer Datenbank!");
    return;
  }
  if (create_gallery_) create_gallery_->exec();
}

void TVTLMainWin::HilfezuVistrel1Click() {
  const std::string help = HelpFile();
  if (!help.empty()) dialogs_.OpenDocument(PathToQString(help));
}

void TVTLMainWin::InfoClick() {
  if (about_) about_->exec();
}

}  // namespace vistrel
