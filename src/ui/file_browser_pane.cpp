#include "ui/file_browser_pane.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QListView>
#include <QPushButton>
#include <QStackedWidget>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/file_list_filter.h"
#include "ui/folder_tree.h"
#include "ui/settings.h"
#include "ui/text.h"
#include "ui/thumbnail_delegate.h"
#include "ui/thumbnail_loader.h"

namespace vistrel {

TFileBrowserPane::TFileBrowserPane(TAddFiles add_files, QWidget* parent)
    : QSplitter(Qt::Vertical, parent),
      ShellTreeView1(new QTreeView),
      ShellListView1(new QTreeView),
      thumbnail_view_(new QListView),
      file_views_(new QStackedWidget),
      details_button_(new QToolButton),
      thumbnails_button_(new QToolButton),
      Button1(new QPushButton("Hinzufügen >>")),
      add_folder_button_(new QPushButton("Ordner hinzufügen >>")),
      add_files_(std::move(add_files)),
      folders_(new QFileSystemModel(this)),
      files_(new QFileSystemModel(this)),
      file_filter_(new TFileListFilter(this)),
      thumbnails_(new TThumbnailLoader(
          RenderThumbnail, kThumbnailSize,
          [this](const QString& path) { file_filter_->ThumbnailReady(path); }, this)) {
  CreateFolderTree();
  CreateDetailsView();
  CreateThumbnailView();
  addWidget(ShellTreeView1);
  addWidget(CreateFilePanel());
  ShowThumbnails(FileListShowsThumbnails());
  SelectFolder(FileListFolder());
}

void TFileBrowserPane::CreateFolderTree() {
  ShellTreeView1->setObjectName("ShellTreeView1");
  SetUpFolderTree(ShellTreeView1, folders_);
  reveal_ = new TFolderReveal(ShellTreeView1, folders_);
  connect(ShellTreeView1->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& index) { ShowFolderInFileList(folders_->filePath(index)); });
}

void TFileBrowserPane::CreateDetailsView() {
  files_->setFilter(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
  files_->setReadOnly(false);  // entries can be renamed in place
  file_filter_->setSourceModel(files_);
  connect(files_, &QFileSystemModel::directoryLoaded, this, [this] { ShowFileListRoot(); });
  ShellListView1->setObjectName("ShellListView1");
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
  connect(ShellListView1, &QAbstractItemView::doubleClicked, this, [this] { AddSelectedFiles(); });
}

void TFileBrowserPane::CreateThumbnailView() {
  // The same entries and the same selection as the details, as pictures with their names.
  thumbnail_view_->setObjectName("thumbnailView");
  thumbnail_view_->setModel(file_filter_);
  thumbnail_view_->setSelectionModel(ShellListView1->selectionModel());
  thumbnail_view_->setViewMode(QListView::IconMode);
  thumbnail_view_->setIconSize(QSize(kThumbnailSize, kThumbnailSize));
  thumbnail_view_->setGridSize(TThumbnailDelegate::ItemSize(fontMetrics()) + QSize(2, 2));
  thumbnail_view_->setResizeMode(QListView::Adjust);
  thumbnail_view_->setMovement(QListView::Static);
  thumbnail_view_->setUniformItemSizes(true);
  thumbnail_view_->setWordWrap(true);
  thumbnail_view_->setLayoutMode(QListView::Batched);  // a large folder shows at once
  thumbnail_view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  thumbnail_view_->setEditTriggers(QAbstractItemView::EditKeyPressed);
  thumbnail_view_->setDragEnabled(true);
  thumbnail_view_->setDragDropMode(QAbstractItemView::DragOnly);
  thumbnail_view_->setItemDelegate(new TThumbnailDelegate(*thumbnails_, thumbnail_view_));
  connect(thumbnail_view_, &QAbstractItemView::doubleClicked, this, [this] { AddSelectedFiles(); });
}

QWidget* TFileBrowserPane::CreateFilePanel() {
  file_views_->addWidget(ShellListView1);
  file_views_->addWidget(thumbnail_view_);
  details_button_->setObjectName("detailsButton");
  details_button_->setText("Details");
  details_button_->setToolTip("Die Dateien als Liste mit Größe und Datum");
  thumbnails_button_->setObjectName("thumbnailsButton");
  thumbnails_button_->setText("Miniaturen");
  thumbnails_button_->setToolTip("Die Dateien als kleine Bilder");
  for (QToolButton* button : {details_button_, thumbnails_button_}) {
    button->setCheckable(true);
    button->setAutoExclusive(true);
    button->setAutoRaise(true);
  }
  connect(details_button_, &QToolButton::clicked, this, [this] { ShowThumbnails(false); });
  connect(thumbnails_button_, &QToolButton::clicked, this, [this] { ShowThumbnails(true); });
  Button1->setObjectName("Button1");
  connect(Button1, &QPushButton::clicked, this, [this] { AddSelectedFiles(); });
  add_folder_button_->setObjectName("addFolderButton");
  add_folder_button_->setToolTip("Alle Fotos des gewählten Ordners, nach ihren Namen geordnet");
  connect(add_folder_button_, &QPushButton::clicked, this, [this] { AddShownFolder(); });

  auto* view_choice = new QHBoxLayout;
  view_choice->addWidget(details_button_);
  view_choice->addWidget(thumbnails_button_);
  view_choice->addStretch();
  auto* panel = new QWidget;
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(view_choice);
  layout->addWidget(file_views_);
  auto* add_buttons = new QHBoxLayout;
  add_buttons->addWidget(Button1);
  add_buttons->addWidget(add_folder_button_);
  layout->addLayout(add_buttons);
  return panel;
}

QString TFileBrowserPane::SelectedFolder() const {
  const QModelIndex index = ShellTreeView1->currentIndex();
  return index.isValid() ? folders_->filePath(index) : QDir::homePath();
}

void TFileBrowserPane::SelectFolder(const QString& folder) {
  reveal_->Reveal(folder);
  ShowFolderInFileList(folder);
}

void TFileBrowserPane::ShowFolderInFileList(const QString& folder) {
  const QString absolute = QDir(folder).absolutePath();
  if (absolute == shown_folder_) return;
  shown_folder_ = absolute;
  SetFileListFolder(absolute);
  thumbnails_->Forget();  // the pictures of the folder left are no longer wanted
  file_filter_->SetRoot(shown_folder_);
  files_->setRootPath(shown_folder_);
  ShowFileListRoot();
}

void TFileBrowserPane::ShowFileListRoot() {
  // The file model reads folders in the background: until it has read the folder's parent the
  // folder has no place in the list yet, and the list waits for it.
  const QModelIndex root = file_filter_->mapFromSource(files_->index(shown_folder_));
  if (!root.isValid() || root == ShellListView1->rootIndex()) return;
  ShellListView1->setRootIndex(root);
  thumbnail_view_->setRootIndex(root);
}

void TFileBrowserPane::ShowThumbnails(bool thumbnails) {
  file_views_->setCurrentWidget(thumbnails ? static_cast<QWidget*>(thumbnail_view_)
                                           : static_cast<QWidget*>(ShellListView1));
  thumbnails_button_->setChecked(thumbnails);
  details_button_->setChecked(!thumbnails);
  file_filter_->SetThumbnails(thumbnails ? thumbnails_ : nullptr);
  if (thumbnails != FileListShowsThumbnails()) SetFileListShowsThumbnails(thumbnails);
}

bool TFileBrowserPane::ShowsThumbnails() const {
  return file_views_->currentWidget() == thumbnail_view_;
}

void TFileBrowserPane::SetContextActions(const QList<QAction*>& actions) {
  for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(ShellListView1),
                                  static_cast<QAbstractItemView*>(thumbnail_view_)}) {
    view->addActions(actions);
    view->setContextMenuPolicy(Qt::ActionsContextMenu);
  }
}

bool TFileBrowserPane::IsFileView(const QObject* object) const {
  return object && (object == ShellListView1 || object == thumbnail_view_);
}

QStringList TFileBrowserPane::SelectedFiles() const {
  // The details select whole rows, the thumbnails only the name of an entry (the one column
  // they show): an entry counts when its name is selected.
  QModelIndexList rows;
  for (const QModelIndex& index : ShellListView1->selectionModel()->selectedIndexes())
    if (index.column() == 0) rows << index;
  std::sort(rows.begin(), rows.end(),
            [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  QStringList paths;
  for (const QModelIndex& row : rows) paths << files_->filePath(file_filter_->mapToSource(row));
  return paths;
}

void TFileBrowserPane::AddShownFolder() {
  if (!shown_folder_.isEmpty() && add_files_) add_files_({shown_folder_});
}

void TFileBrowserPane::AddSelectedFiles() {
  const QStringList paths = SelectedFiles();
  if (!paths.isEmpty() && add_files_) add_files_(paths);
}

}  // namespace vistrel
