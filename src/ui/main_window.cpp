#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QLocale>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QStackedWidget>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
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
#include "ui/record_list_model.h"
#include "ui/settings.h"
#include "ui/text.h"

namespace vistrel {

namespace {

constexpr int kPreviewWidth = 121;
constexpr int kPreviewHeight = 105;
const QString kListFilter = "Textdateien (*.txt, *.csv; *.asc) (*.txt *.csv *.asc)";
const QString kDifferentValues = "(verschiedene Werte)";

// The picture of a photo for the file list: decoded shrunk while loading, fitted into the box.
// Nothing is decoded once the loader is going.
QImage RenderThumbnail(const QString& path, int size, const TCancelFlag& cancel) {
  if (cancel.Cancelled()) return QImage();
  return ToQImage(RenderPreviewBitmap(PathFromQString(path), size, size));
}

}  // namespace

namespace {

// The data role that names a file's version for its thumbnail (clear of QFileSystemModel's own
// roles, which start at Qt::UserRole + 1).
constexpr int kThumbnailKeyRole = Qt::UserRole + 100;

// The thumbnail view's items: a file's picture is asked for when its item is painted, so only
// the entries in view are made (sizing the items asks for every entry's data). Every item has
// the size of a thumbnail with two lines of its name below, whether its picture is there yet
// or not: the view takes one item's size for all.
class TThumbnailDelegate : public QStyledItemDelegate {
 public:
  TThumbnailDelegate(TThumbnailLoader& loader, QObject* parent)
      : QStyledItemDelegate(parent), loader_(loader) {}

  static QSize ItemSize(const QFontMetrics& font) {
    return QSize(kThumbnailSize + 6, kThumbnailSize + 2 * font.height() + 6);
  }

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
    return ItemSize(option.fontMetrics);
  }

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    const QString key = index.data(kThumbnailKeyRole).toString();
    if (!key.isEmpty()) loader_.Request(index.data(QFileSystemModel::FilePathRole).toString(), key);
    QStyledItemDelegate::paint(painter, option, index);
  }

 protected:
  // Every picture in a square of the thumbnail's size, upright and landscape photos alike, so
  // the names stand in one line.
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    option->decorationSize = QSize(kThumbnailSize, kThumbnailSize);
    option->decorationAlignment = Qt::AlignCenter;
  }

 private:
  TThumbnailLoader& loader_;
};

}  // namespace

// The entries of the file list: only those IsListedInFileList admits, sizes, types and dates
// written the German way, and thumbnails when the list shows them.
class TFileListFilter : public QSortFilterProxyModel {
 public:
  using QSortFilterProxyModel::QSortFilterProxyModel;

  void SetRoot(const QString& root) {
    root_ = root;
    invalidateFilter();
  }

  // Pictures from `loader` in place of the file icons; nullptr for the icons.
  void SetThumbnails(TThumbnailLoader* loader) {
    if (loader == thumbnails_) return;
    thumbnails_ = loader;
    const QModelIndex root = mapFromSource(Files()->index(root_));
    if (rowCount(root) > 0)
      emit dataChanged(index(0, 0, root), index(rowCount(root) - 1, 0, root), {Qt::DecorationRole});
  }

  // The thumbnail of `path` has been made.
  void ThumbnailReady(const QString& path) {
    const QModelIndex row = mapFromSource(Files()->index(path));
    if (row.isValid()) emit dataChanged(row, row, {Qt::DecorationRole});
  }

  QVariant data(const QModelIndex& index, int role) const override {
    // A view asks for many roles per painted cell; only these are answered here.
    const bool ours = (role == Qt::DisplayRole && index.column() >= 1 && index.column() <= 3) ||
                      role == kThumbnailKeyRole ||
                      (role == Qt::DecorationRole && index.column() == 0 && thumbnails_);
    if (!ours) return QSortFilterProxyModel::data(index, role);
    const QModelIndex source = mapToSource(index);
    const QFileSystemModel* files = Files();
    if (source.isValid() && !files->isDir(source)) {
      if (role == Qt::DisplayRole) {
        switch (index.column()) {
          case 1:
            return GermanFileSize(files->size(source));
          case 2:
            return QString("JPEG-Bild");
          case 3:
            return GermanLocale().toString(files->lastModified(source), "dd.MM.yyyy HH:mm");
        }
      }
      if (role == kThumbnailKeyRole) {
        // A file changed on disk gets a new picture.
        return files->filePath(source) + '\n' + QString::number(files->size(source)) + '\n' +
               QString::number(files->lastModified(source).toMSecsSinceEpoch());
      }
      if (role == Qt::DecorationRole && index.column() == 0 && thumbnails_) {
        const QPixmap thumbnail = thumbnails_->Cached(data(index, kThumbnailKeyRole).toString());
        if (!thumbnail.isNull()) return thumbnail;
      }
    }
    return QSortFilterProxyModel::data(index, role);
  }

  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    static const char* const kHeaders[] = {"Name", "Größe", "Typ", "Geändert"};
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 4)
      return QString(kHeaders[section]);
    return QSortFilterProxyModel::headerData(section, orientation, role);
  }

 protected:
  bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
    const QFileSystemModel* files = Files();
    const QModelIndex index = files->index(row, 0, parent);
    // Only the entries of the folder shown are filtered, not the folders above it.
    if (files->filePath(parent) != root_) return true;
    return IsListedInFileList(files->fileName(index), files->isDir(index));
  }

 private:
  const QFileSystemModel* Files() const {
    return static_cast<const QFileSystemModel*>(sourceModel());
  }

  QString root_;
  TThumbnailLoader* thumbnails_ = nullptr;
};

bool IsListedInFileList(const QString& name, bool is_folder) {
  return !is_folder && IsJpegFileName(PathFromQString(name));
}

QString GermanFileSize(qint64 bytes) {
  if (bytes < 1024) return GermanLocale().toString(bytes) + (bytes == 1 ? " Byte" : " Bytes");
  return GermanLocale().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

TVTLMainWin::TVTLMainWin(TDialogs& dialogs, QWidget* parent)
    : QMainWindow(parent),
      ShellTreeView1(new QTreeView),
      ShellListView1(new QTreeView),
      ShellIconView(new QListView),
      FileViews(new QStackedWidget),
      btnDetails(new QToolButton),
      btnThumbnails(new QToolButton),
      Button1(new QPushButton("Hinzufügen >>")),
      lvRecordList(new QTreeView),
      btnMoveUp(new QPushButton("nach oben")),
      btnMoveDown(new QPushButton("nach unten")),
      btnSortByName(new QPushButton("nach Dateiname")),
      btnSortByDate(new QPushButton("nach Aufnahmedatum")),
      gbRecord(new QGroupBox("Bildeigenschaften ")),
      imgPreview(new QLabel),
      lbDetails(new QListWidget),
      edDetailEdit(new QLineEdit),
      btnNeueEigenschaft(new QPushButton("neue Eigenschaft")),
      btnEigenschaftUmbenennen(new QPushButton("Eigenschaft umbenennen")),
      btnEigenschaftEntfernen(new QPushButton("Eigenschaft entfernen")),
      spbtnSave(new QToolButton),
      spbtnLoad(new QToolButton),
      btnGo(new QPushButton("Galerie erzeugen...")),
      dialogs_(dialogs),
      messages_(std::make_unique<TDialogMessages>(dialogs, this)),
      record_list_(std::make_unique<TVTLRecordList>()),
      logger_(std::make_unique<TLogger>(ProgramFolder() + "log.txt")),
      folders_(new QFileSystemModel(this)),
      files_(new QFileSystemModel(this)),
      file_filter_(new TFileListFilter(this)),
      thumbnails_(new TThumbnailLoader(
          RenderThumbnail, kThumbnailSize,
          [this](const QString& path) { file_filter_->ThumbnailReady(path); }, this)),
      records_model_(new TRecordListModel(this)) {
  CreateActions();
  CreateFileList();
  CreateImageList();
  CreatePropertyBox();

  auto* left_splitter = new QSplitter(Qt::Vertical);
  left_splitter->addWidget(ShellTreeView1);
  auto* file_panel = new QWidget;
  auto* file_layout = new QVBoxLayout(file_panel);
  file_layout->setContentsMargins(0, 0, 0, 0);
  auto* view_choice = new QHBoxLayout;
  view_choice->addWidget(btnDetails);
  view_choice->addWidget(btnThumbnails);
  view_choice->addStretch();
  file_layout->addLayout(view_choice);
  file_layout->addWidget(FileViews);
  file_layout->addWidget(Button1);
  left_splitter->addWidget(file_panel);

  auto* order = new QHBoxLayout;
  order->addWidget(btnMoveUp);
  order->addWidget(btnMoveDown);
  order->addStretch();
  order->addWidget(new QLabel("Sortieren:"));
  order->addWidget(btnSortByName);
  order->addWidget(btnSortByDate);

  auto* right = new QWidget;
  auto* right_layout = new QVBoxLayout(right);
  right_layout->setContentsMargins(0, 0, 0, 0);
  right_layout->addWidget(lvRecordList, 1);
  right_layout->addLayout(order);
  right_layout->addWidget(gbRecord);

  auto* splitter = new QSplitter(Qt::Horizontal);
  splitter->addWidget(left_splitter);
  splitter->addWidget(right);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({185, 792});
  setCentralWidget(splitter);
  setAcceptDrops(true);
  resize(977, 680);
  ShowThumbnails(FileListShowsThumbnails());
  UpdateButtons();
  SelectFolder(FileListFolder());
}

TVTLMainWin::~TVTLMainWin() {
  // The views outlive the list (they go with the window's base); they must not read it then.
  records_model_->SetList(nullptr);
}

void TVTLMainWin::CreateActions() {
  QMenu* file_menu = menuBar()->addMenu("Datei");
  actLoad = file_menu->addAction("Bilderliste laden...", this, [this] { LoadImageList(); });
  actSave = file_menu->addAction("Bilderliste speichern...", this, [this] { SaveImageList(); });
  file_menu->addSeparator();
  // Through the window's closing, which asks about unsaved changes.
  actQuit = file_menu->addAction("Beenden", this, [this] { close(); });
  actQuit->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
  QMenu* help_menu = menuBar()->addMenu("Hilfe");
  HilfezuVistrel1 =
      help_menu->addAction("Hilfe zu Vistrel", this, [this] { HilfezuVistrel1Click(); });
  actInfo = help_menu->addAction("Info...", this, [this] { InfoClick(); });

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
}

void TVTLMainWin::CreateFileList() {
  SetUpFolderTree(ShellTreeView1, folders_);
  reveal_ = new TFolderReveal(ShellTreeView1, folders_);
  connect(ShellTreeView1->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& index) { ShowFolderInFileList(folders_->filePath(index)); });

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
  // Name and size fit the narrow column; the type and date are a scroll away.
  ShellListView1->header()->resizeSection(0, 105);
  ShellListView1->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);

  // The thumbnails: the same entries and the same selection, as pictures with their names.
  ShellIconView->setModel(file_filter_);
  ShellIconView->setSelectionModel(ShellListView1->selectionModel());
  ShellIconView->setViewMode(QListView::IconMode);
  ShellIconView->setIconSize(QSize(kThumbnailSize, kThumbnailSize));
  ShellIconView->setGridSize(TThumbnailDelegate::ItemSize(fontMetrics()) + QSize(2, 2));
  ShellIconView->setResizeMode(QListView::Adjust);
  ShellIconView->setMovement(QListView::Static);
  ShellIconView->setUniformItemSizes(true);
  ShellIconView->setWordWrap(true);
  ShellIconView->setLayoutMode(QListView::Batched);  // a large folder shows at once
  ShellIconView->setSelectionMode(QAbstractItemView::ExtendedSelection);
  ShellIconView->setEditTriggers(QAbstractItemView::EditKeyPressed);
  ShellIconView->setDragEnabled(true);
  ShellIconView->setDragDropMode(QAbstractItemView::DragOnly);
  ShellIconView->setItemDelegate(new TThumbnailDelegate(*thumbnails_, ShellIconView));
  FileViews->addWidget(ShellListView1);
  FileViews->addWidget(ShellIconView);

  btnDetails->setText("Details");
  btnDetails->setToolTip("Die Dateien als Liste mit Größe und Datum");
  btnThumbnails->setText("Miniaturen");
  btnThumbnails->setToolTip("Die Dateien als kleine Bilder");
  for (QToolButton* button : {btnDetails, btnThumbnails}) {
    button->setCheckable(true);
    button->setAutoExclusive(true);
    button->setAutoRaise(true);
  }
  connect(btnDetails, &QToolButton::clicked, this, [this] { ShowThumbnails(false); });
  connect(btnThumbnails, &QToolButton::clicked, this, [this] { ShowThumbnails(true); });

  for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(ShellListView1),
                                  static_cast<QAbstractItemView*>(ShellIconView)})
    connect(view, &QAbstractItemView::doubleClicked, this, [this] { AddSelectedFiles(); });
  connect(Button1, &QPushButton::clicked, this, [this] { AddSelectedFiles(); });
}

void TVTLMainWin::CreateImageList() {
  records_model_->SetList(record_list_.get());
  lvRecordList->setModel(records_model_);
  lvRecordList->setRootIsDecorated(false);
  lvRecordList->setItemsExpandable(false);
  lvRecordList->setSelectionMode(QAbstractItemView::ExtendedSelection);
  lvRecordList->setSelectionBehavior(QAbstractItemView::SelectRows);
  lvRecordList->setUniformRowHeights(true);
  lvRecordList->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  lvRecordList->header()->setSectionsMovable(false);
  // Rows are dragged within the list to reorder it; files are dropped onto it from the file
  // list and the desktop (see eventFilter).
  lvRecordList->setDragEnabled(true);
  lvRecordList->setAcceptDrops(true);
  lvRecordList->viewport()->setAcceptDrops(true);
  lvRecordList->setDropIndicatorShown(true);
  lvRecordList->setDragDropMode(QAbstractItemView::DragDrop);
  lvRecordList->setDefaultDropAction(Qt::MoveAction);
  lvRecordList->setDragDropOverwriteMode(false);
  lvRecordList->viewport()->installEventFilter(this);
  lvRecordList->installEventFilter(this);
  connect(lvRecordList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { SelectionChanged(); });

  btnMoveUp->setToolTip("Die markierten Bilder eine Stelle nach oben (Strg+Pfeil hoch)");
  btnMoveDown->setToolTip("Die markierten Bilder eine Stelle nach unten (Strg+Pfeil runter)");
  btnMoveUp->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Up));
  btnMoveDown->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Down));
  btnSortByName->setToolTip("Die Liste nach Dateinamen sortieren");
  btnSortByDate->setToolTip(
      "Die Liste nach dem Aufnahmedatum sortieren, Bilder ohne Datum ans Ende");
  connect(btnMoveUp, &QPushButton::clicked, this, [this] { MoveSelectedRecords(-1); });
  connect(btnMoveDown, &QPushButton::clicked, this, [this] { MoveSelectedRecords(+1); });
  connect(btnSortByName, &QPushButton::clicked, this, [this] { SortByFileName(); });
  connect(btnSortByDate, &QPushButton::clicked, this, [this] { SortByDateTaken(); });
}

void TVTLMainWin::CreatePropertyBox() {
  imgPreview->setFixedSize(kPreviewWidth, kPreviewHeight);
  imgPreview->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  QPixmap blank(kPreviewWidth, kPreviewHeight);
  blank.fill(Qt::white);
  imgPreview->setPixmap(blank);
  connect(lbDetails, &QListWidget::itemSelectionChanged, this, [this] { DetailClicked(); });
  connect(edDetailEdit, &QLineEdit::textEdited, this,
          [this](const QString& text) { DetailEdited(text); });
  connect(btnNeueEigenschaft, &QPushButton::clicked, this, [this] { btnNeueEigenschaftClick(); });
  connect(btnEigenschaftUmbenennen, &QPushButton::clicked, this,
          [this] { btnEigenschaftUmbenennenClick(); });
  connect(btnEigenschaftEntfernen, &QPushButton::clicked, this,
          [this] { btnEigenschaftEntfernenClick(); });
  auto* details = new QVBoxLayout;
  details->addWidget(lbDetails);
  details->addWidget(edDetailEdit);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(btnNeueEigenschaft);
  buttons->addWidget(btnEigenschaftUmbenennen);
  buttons->addWidget(btnEigenschaftEntfernen);
  buttons->addStretch();
  auto* box = new QHBoxLayout(gbRecord);
  box->addWidget(imgPreview, 0, Qt::AlignTop);
  box->addLayout(details, 1);
  box->addLayout(buttons);
  lbDetails->setMinimumHeight(40);
  const QMargins margins = box->contentsMargins();
  const int buttons_height = 3 * btnNeueEigenschaft->sizeHint().height() + 2 * buttons->spacing();
  gbRecord->setFixedHeight(std::max(145, std::max(kPreviewHeight, buttons_height) + margins.top() +
                                             margins.bottom() + gbRecord->fontMetrics().height() +
                                             8));
  gbRecord->hide();
}

void TVTLMainWin::SetWindows(TfrmCreateGallery* create_gallery, TAboutBox* about) {
  create_gallery_ = create_gallery;
  about_ = about;
}

QString TVTLMainWin::SelectedFolder() const {
  const QModelIndex index = ShellTreeView1->currentIndex();
  return index.isValid() ? folders_->filePath(index) : QDir::homePath();
}

void TVTLMainWin::SelectFolder(const QString& folder) {
  reveal_->Reveal(folder);
  ShowFolderInFileList(folder);
}

void TVTLMainWin::ShowFolderInFileList(const QString& folder) {
  const QString absolute = QDir(folder).absolutePath();
  if (absolute == shown_folder_) return;
  shown_folder_ = absolute;
  SetFileListFolder(absolute);
  thumbnails_->Forget();  // the pictures of the folder left are no longer wanted
  file_filter_->SetRoot(shown_folder_);
  files_->setRootPath(shown_folder_);
  ShowFileListRoot();
}

void TVTLMainWin::ShowFileListRoot() {
  // The file model reads folders in the background: until it has read the folder's parent the
  // folder has no place in the list yet, and the list waits for it.
  const QModelIndex root = file_filter_->mapFromSource(files_->index(shown_folder_));
  if (!root.isValid() || root == ShellListView1->rootIndex()) return;
  ShellListView1->setRootIndex(root);
  ShellIconView->setRootIndex(root);
}

void TVTLMainWin::ShowThumbnails(bool thumbnails) {
  FileViews->setCurrentWidget(thumbnails ? static_cast<QWidget*>(ShellIconView)
                                         : static_cast<QWidget*>(ShellListView1));
  btnThumbnails->setChecked(thumbnails);
  btnDetails->setChecked(!thumbnails);
  file_filter_->SetThumbnails(thumbnails ? thumbnails_ : nullptr);
  if (thumbnails != FileListShowsThumbnails()) SetFileListShowsThumbnails(thumbnails);
}

void TVTLMainWin::AddRecordToList(const std::string& file_name, const std::string& folder_path) {
  const int index =
      AddImageFile(*record_list_, file_name, folder_path, ReadPhotoMetadata, *logger_);
  if (index < 0) return;
  records_model_->Appended(index);
  logger_->Log("| Added to Record list UI");
  logger_->Log("| Set Data...");
  SetModified();
  UpdateButtons();
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
  if (event->source() == ShellListView1 || event->source() == ShellIconView) {
    logger_->Log("Entering DragDrop.");
    logger_->Log("| Source is TShellListView.");
    AddSelectedFiles();
  } else {
    DropPaths(paths);
  }
}

bool TVTLMainWin::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lvRecordList->viewport()) {
    // Files go to AddRecordToList; rows dragged within the list are the view's (and the
    // model's) business.
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
      auto* drag = static_cast<QDragMoveEvent*>(event);
      if (!drag->mimeData()->hasUrls()) return false;
      drag->acceptProposedAction();
      return true;
    }
    if (event->type() == QEvent::Drop) {
      auto* drop = static_cast<QDropEvent*>(event);
      if (!drop->mimeData()->hasUrls()) return false;
      dropEvent(drop);
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

void TVTLMainWin::closeEvent(QCloseEvent* event) {
  if (!MaySaveChanges()) {
    event->ignore();
    return;
  }
  QMainWindow::closeEvent(event);
}

bool TVTLMainWin::MaySaveChanges() {
  if (!modified_ || record_list_->Count() == 0) return true;
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

std::vector<int> TVTLMainWin::SelectedRowNumbers() const {
  std::vector<int> rows;
  for (const QModelIndex& row : lvRecordList->selectionModel()->selectedRows())
    if (row.row() < record_list_->Count()) rows.push_back(row.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

std::vector<TVTLRecord*> TVTLMainWin::SelectedRecords() const {
  std::vector<TVTLRecord*> records;
  for (int row : SelectedRowNumbers()) records.push_back(&record_list_->Item(row));
  return records;
}

void TVTLMainWin::SelectionChanged() {
  const std::vector<TVTLRecord*> selected = SelectedRecords();
  // The image shown is the one last clicked, when it is selected.
  const QModelIndex current = lvRecordList->currentIndex();
  TVTLRecord* record = nullptr;
  if (current.isValid() && lvRecordList->selectionModel()->isRowSelected(current.row()))
    record = &record_list_->Item(current.row());
  else if (!selected.empty())
    record = selected.front();
  CurrentRecord = record;
  CurrentDetailIndex = -1;
  if (CurrentRecord) ShowPreview();
  ShowRecordDetails();
}

void TVTLMainWin::ShowPreview() {
  QImage image(kPreviewWidth, kPreviewHeight, QImage::Format_RGB32);
  image.fill(Qt::white);
  if (CurrentRecord) {
    const QImage picture =
        ToQImage(RenderPreviewBitmap(CurrentRecord->FullPath(), kPreviewWidth, kPreviewHeight));
    if (!picture.isNull()) {
      QPainter painter(&image);
      painter.drawImage(0, 0, picture);  // unscaled, at the top left corner
    }
  }
  imgPreview->setPixmap(QPixmap::fromImage(image));
}

bool TVTLMainWin::CommonValue(const std::vector<TVTLRecord*>& selected, int index,
                              std::string& value) const {
  // The window's records share the list's property names, so a property has one index in all.
  value = CurrentRecord->Details.Value(index);
  for (const TVTLRecord* record : selected)
    if (record->Details.Value(index) != value) return false;
  return true;
}

QString TVTLMainWin::DetailLine(const std::vector<TVTLRecord*>& selected, int index) const {
  std::string value;
  const bool common = CommonValue(selected, index, value);
  return ToQString(CurrentRecord->Details.Name(index)) + ": " +
         (common ? ToQString(value) : kDifferentValues);
}

void TVTLMainWin::ShowRecordDetails() {
  if (!CurrentRecord) {
    gbRecord->hide();
    UpdateButtons();
    return;
  }
  const std::vector<TVTLRecord*> selected = SelectedRecords();
  gbRecord->setTitle(selected.size() > 1
                         ? "Bildeigenschaften (" + QString::number(selected.size()) +
                               " Bilder markiert) "
                         : QString("Bildeigenschaften "));
  gbRecord->show();
  {
    const QSignalBlocker quiet(lbDetails);
    lbDetails->clear();
  }
  CurrentDetailIndex = -1;
  edDetailEdit->hide();
  edDetailEdit->clear();
  for (int i = 0; i < CurrentRecord->Details.Count(); ++i)
    lbDetails->addItem(DetailLine(selected, i));
  UpdateButtons();
}

void TVTLMainWin::DetailClicked() {
  const QList<QListWidgetItem*> selected = lbDetails->selectedItems();
  CurrentDetailIndex = selected.isEmpty() ? -1 : lbDetails->row(selected.first());
  edDetailEdit->setVisible(CurrentDetailIndex >= 0);
  if (CurrentDetailIndex >= 0 && CurrentRecord) {
    std::string value;
    const bool common = CommonValue(SelectedRecords(), CurrentDetailIndex, value);
    edDetailEdit->setText(common ? ToQString(value) : QString());
    edDetailEdit->setPlaceholderText(
        common ? QString() : "verschiedene Werte – was Sie eingeben, gilt für alle markierten");
    edDetailEdit->setFocus();
  }
  UpdateButtons();
}

void TVTLMainWin::DetailEdited(const QString& text) {
  if (CurrentDetailIndex < 0 || !CurrentRecord) return;
  // Every selected image gets the value.
  const std::string value = FromQString(text);
  const std::vector<TVTLRecord*> selected = SelectedRecords();  // the shown one among them
  for (TVTLRecord* record : selected) record->Details.SetValue(CurrentDetailIndex, value);
  lbDetails->item(CurrentDetailIndex)->setText(DetailLine(selected, CurrentDetailIndex));
  SetModified();
}

void TVTLMainWin::btnNeueEigenschaftClick() {
  QString name;
  if (!dialogs_.GetText(this, "Neue Eigenschaft", "Bitte Namen für neue Eigenschaft eingeben!",
                        name) ||
      name.isEmpty())
    return;
  // Two properties of one name could never be told apart (in templates neither).
  if (record_list_->PropertyIndex(FromQString(name)) >= 0) {
    dialogs_.ShowError(this, "Eine Eigenschaft " + name + " gibt es bereits!");
    return;
  }
  record_list_->AddProperty(FromQString(name));
  SetModified();
  ShowRecordDetails();
}

QString TVTLMainWin::OnlySelectedText() const {
  return SelectedRecords().size() > 1 ? "nur bei den markierten Bildern" : "nur bei diesem Bild";
}

void TVTLMainWin::btnEigenschaftUmbenennenClick() {
  if (!CurrentRecord || CurrentDetailIndex < 0) return;
  const std::string old_name = CurrentRecord->Details.Name(CurrentDetailIndex);
  const QString shown = ToQString(old_name);
  bool all = true;
  if (record_list_->Count() > 1) {
    const int scope =
        dialogs_.Choose(this, "Eigenschaft umbenennen", "Die Eigenschaft " + shown + " umbenennen:",
                        {OnlySelectedText(), "bei allen Bildern", "Abbrechen"});
    if (scope == 2) return;
    all = scope == 1;
  }
  QString entered = shown;
  if (!dialogs_.GetText(this, "Eigenschaft umbenennen",
                        "Neuer Name für die Eigenschaft " + shown + ":", entered) ||
      entered.isEmpty() || entered == shown)
    return;
  const std::string new_name = FromQString(entered);
  const TVTLRecord* blocking = nullptr;
  // For the selected images the values move to the property of the new name (made for every
  // image when there is none); a value there is never overwritten.
  if (all ? !record_list_->RenameProperty(old_name, new_name)
          : !record_list_->MovePropertyValues(SelectedRecords(), old_name, new_name, blocking)) {
    dialogs_.ShowError(this, blocking ? "Die Eigenschaft " + entered + " hat bei " +
                                            ToQString(blocking->FileName) +
                                            " schon einen Wert. Es wurde nichts umbenannt."
                                      : "Eine Eigenschaft " + entered + " gibt es bereits!");
    return;
  }
  SetModified();
  ShowRecordDetails();
}

void TVTLMainWin::btnEigenschaftEntfernenClick() {
  if (!CurrentRecord || CurrentDetailIndex < 0) return;
  const std::string name = CurrentRecord->Details.Name(CurrentDetailIndex);
  const int scope =
      dialogs_.Choose(this, "Eigenschaft entfernen",
                      "Die Eigenschaft " + ToQString(name) + " mit ihrem Wert entfernen:",
                      {OnlySelectedText(), "bei allen Bildern", "Abbrechen"});
  if (scope == 2) return;
  if (scope == 1) {
    (void)record_list_->RemoveProperty(name);
  } else {
    // The other images keep the property; these have no value for it any more.
    for (TVTLRecord* record : SelectedRecords()) record->Details.SetValueOf(name, "");
  }
  SetModified();
  ShowRecordDetails();
}

void TVTLMainWin::DeleteCurrentRecord() {
  const std::vector<int> rows = SelectedRowNumbers();
  if (!CurrentRecord || rows.empty()) return;
  const int remembered = rows.front();
  CurrentRecord = nullptr;
  CurrentDetailIndex = -1;
  {
    const QSignalBlocker quiet(lvRecordList->selectionModel());
    lvRecordList->selectionModel()->clear();
    records_model_->Remove(rows);
  }
  SetModified();
  ShowRecordDetails();
  if (remembered < record_list_->Count())
    SelectRows({remembered});
  else
    lvRecordList->clearSelection();
}

void TVTLMainWin::SelectRows(const std::vector<int>& rows) {
  if (rows.empty()) return;
  QItemSelection selection;
  for (int row : rows)
    selection.select(records_model_->index(row, 0),
                     records_model_->index(row, records_model_->columnCount() - 1));
  lvRecordList->selectionModel()->setCurrentIndex(records_model_->index(rows.front(), 0),
                                                  QItemSelectionModel::NoUpdate);
  lvRecordList->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void TVTLMainWin::Reorder(const std::vector<int>& order) {
  // An order that moves nothing (sorting a sorted list) leaves the list unchanged.
  if (!records_model_->Reorder(order)) return;
  SetModified();
  if (lvRecordList->currentIndex().isValid()) lvRecordList->scrollTo(lvRecordList->currentIndex());
}

void TVTLMainWin::MoveSelectedRecords(int step) {
  const std::vector<int> rows = SelectedRowNumbers();
  if (rows.empty()) return;
  Reorder(OrderMovingRows(record_list_->Count(), rows, step));
}

void TVTLMainWin::SortByFileName() { Reorder(OrderByFileName(*record_list_)); }

void TVTLMainWin::SortByDateTaken() { Reorder(OrderByDateTaken(*record_list_)); }

void TVTLMainWin::UpdateButtons() {
  const bool selected = lvRecordList->selectionModel()->hasSelection();
  btnMoveUp->setEnabled(selected);
  btnMoveDown->setEnabled(selected);
  btnSortByName->setEnabled(record_list_->Count() > 1);
  btnSortByDate->setEnabled(record_list_->Count() > 1);
  btnEigenschaftUmbenennen->setEnabled(CurrentRecord && CurrentDetailIndex >= 0);
  btnEigenschaftEntfernen->setEnabled(CurrentRecord && CurrentDetailIndex >= 0);
}

void TVTLMainWin::FillRecordListView() {
  records_model_->SetList(record_list_.get());
  CurrentRecord = nullptr;
  CurrentDetailIndex = -1;
  ShowRecordDetails();
}

bool TVTLMainWin::SaveImageList() {
  if (record_list_->Count() == 0) {
    dialogs_.ShowError(this,
                       "Es sind keine Dateien in der Liste eingefügt. Speichern nicht möglich!");
    return false;
  }
  const QString file = dialogs_.GetSaveFileName(this, ImageListFolder(), kListFilter, "csv");
  if (file.isEmpty()) return false;
  if (QFileInfo::exists(file) &&
      dialogs_.Ask(this, "Datei ersetzen?",
                   "Die Datei " + file + " existiert bereits. Möchten Sie sie ersetzen?",
                   false) != TDialogs::TAnswer::kYes)
    return false;
  SetImageListFolder(QFileInfo(file).absolutePath());
  TCSVVTLRecordFile list_file;
  if (!list_file.SaveRecordList(*record_list_, PathFromQString(file), *messages_)) return false;
  modified_ = false;
  return true;
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
        (void)SaveImageList();
        break;
      case TDialogs::TAnswer::kNo:
        break;
    }
  }
  const QString file = dialogs_.GetOpenFileName(this, ImageListFolder(), kListFilter);
  if (file.isEmpty()) return;
  SetImageListFolder(QFileInfo(file).absolutePath());
  // The views let go of the old records before they are released.
  CurrentRecord = nullptr;
  records_model_->SetList(nullptr);
  record_list_ = std::make_unique<TVTLRecordList>();
  TCSVVTLRecordFile list_file;
  (void)list_file.LoadRecordList(*record_list_, PathFromQString(file), ReadPhotoMetadata, *logger_,
                                 *messages_);
  FillRecordListView();
  modified_ = false;
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
