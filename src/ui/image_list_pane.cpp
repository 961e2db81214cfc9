#include "ui/image_list_pane.h"

#include <QDropEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "imaging/metadata.h"
#include "ui/record_list_model.h"
#include "ui/text.h"

namespace vistrel {

TImageListPane::TImageListPane(QWidget* parent)
    : QWidget(parent),
      count_label_(new QLabel),
      lvRecordList(new QTreeView),
      move_up_button_(new QPushButton("nach oben")),
      move_down_button_(new QPushButton("nach unten")),
      sort_by_name_button_(new QPushButton("nach Dateiname")),
      sort_by_date_button_(new QPushButton("nach Aufnahmedatum")),
      records_model_(new TRecordListModel(this)) {
  records_model_->ReadPhotos(ReadPhotoMetadata, RenderThumbnail, kListThumbnailSize);
  CreateTable();
  count_label_->setObjectName("photoCountLabel");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(count_label_);
  layout->addWidget(lvRecordList, 1);
  layout->addLayout(CreateOrderButtons());
  for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
    connect(records_model_, signal, this, [this] { UpdateCount(); });
  connect(records_model_, &QAbstractItemModel::modelReset, this, [this] { UpdateCount(); });
  UpdateCount();
  UpdateButtons();
}

TImageListPane::~TImageListPane() {
  // The table outlives the list's owner when the window goes; it must not read the list then.
  records_model_->SetList(nullptr);
}

void TImageListPane::CreateTable() {
  lvRecordList->setObjectName("lvRecordList");
  lvRecordList->setModel(records_model_);
  lvRecordList->setRootIsDecorated(false);
  lvRecordList->setItemsExpandable(false);
  lvRecordList->setSelectionMode(QAbstractItemView::ExtendedSelection);
  lvRecordList->setSelectionBehavior(QAbstractItemView::SelectRows);
  lvRecordList->setUniformRowHeights(true);
  lvRecordList->setIconSize(QSize(kListThumbnailSize, kListThumbnailSize));
  // Fixed widths the user may change: fitting the columns to their contents would ask every
  // row of a long list for its text whenever a date or title arrives.
  QHeaderView* header = lvRecordList->header();
  header->setSectionsMovable(false);
  header->setStretchLastSection(true);
  const QFontMetrics font = fontMetrics();
  header->resizeSection(
      TRecordListModel::kNameColumn,
      kListThumbnailSize + font.horizontalAdvance("IMG_20230524_133617.jpg") + 16);
  header->resizeSection(TRecordListModel::kDateColumn,
                        font.horizontalAdvance("Aufnahmedatum 00.00.0000") + 8);
  header->resizeSection(TRecordListModel::kTitleColumn,
                        font.horizontalAdvance("Ein Titel von einiger Länge") + 8);
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
  connect(lvRecordList->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
    UpdateButtons();
    if (on_selection_changed_) on_selection_changed_();
  });
}

QLayout* TImageListPane::CreateOrderButtons() {
  move_up_button_->setObjectName("moveUpButton");
  move_up_button_->setToolTip("Die markierten Bilder eine Stelle nach oben (Strg+Pfeil hoch)");
  move_down_button_->setObjectName("moveDownButton");
  move_down_button_->setToolTip("Die markierten Bilder eine Stelle nach unten (Strg+Pfeil runter)");
  sort_by_name_button_->setObjectName("sortByNameButton");
  sort_by_name_button_->setToolTip("Die Liste nach Dateinamen sortieren");
  sort_by_date_button_->setObjectName("sortByDateButton");
  sort_by_date_button_->setToolTip(
      "Die Liste nach dem Aufnahmedatum sortieren, Bilder ohne Datum ans Ende");
  connect(move_up_button_, &QPushButton::clicked, this, [this] { MoveSelectedRecords(-1); });
  connect(move_down_button_, &QPushButton::clicked, this, [this] { MoveSelectedRecords(+1); });
  connect(sort_by_name_button_, &QPushButton::clicked, this, [this] { SortByFileName(); });
  connect(sort_by_date_button_, &QPushButton::clicked, this, [this] { SortByDateTaken(); });

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(move_up_button_);
  buttons->addWidget(move_down_button_);
  buttons->addStretch();
  buttons->addWidget(new QLabel("Sortieren:"));
  buttons->addWidget(sort_by_name_button_);
  buttons->addWidget(sort_by_date_button_);
  return buttons;
}

void TImageListPane::SetList(TVTLRecordList* list) {
  list_ = list;
  records_model_->SetList(list);  // a reset: the selection is gone, without a signal
  UpdateButtons();
}

void TImageListPane::Appended(int first, int last) {
  records_model_->Appended(first, last);
  UpdateButtons();
}

bool TImageListPane::CompleteMetadata() {
  const int total = records_model_->PendingMetadata();
  if (total == 0) return true;
  // Shown only when the rest takes a while; once shown, it handles its own "Abbrechen" while
  // the window stays blocked.
  QProgressDialog progress("Die Aufnahmedaten der Bilder werden gelesen …", "Abbrechen", 0, total,
                           this);
  progress.setWindowTitle("Bitte warten");
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(500);
  return records_model_->ReadMetadataNow([&](int waiting) {
    progress.setValue(total - std::min(total, waiting));
    return !progress.wasCanceled();
  });
}

void TImageListPane::UpdateCount() {
  const int count = records_model_->rowCount();
  count_label_->setText(count == 1 ? QString("1 Bild")
                                   : GermanLocale().toString(count) + " Bilder");
}

void TImageListPane::SetContextActions(const QList<QAction*>& actions) {
  lvRecordList->addActions(actions);
  lvRecordList->setContextMenuPolicy(Qt::ActionsContextMenu);
}

void TImageListPane::SetOnSelectionChanged(TNotify on_selection_changed) {
  on_selection_changed_ = std::move(on_selection_changed);
}

void TImageListPane::SetOnListChanged(TNotify on_list_changed) {
  on_list_changed_ = std::move(on_list_changed);
}

void TImageListPane::SetOnDrop(TDrop on_drop) { on_drop_ = std::move(on_drop); }

std::vector<int> TImageListPane::SelectedRowNumbers() const {
  std::vector<int> rows;
  const int count = list_ ? list_->Count() : 0;
  for (const QModelIndex& row : lvRecordList->selectionModel()->selectedRows())
    if (row.row() < count) rows.push_back(row.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

std::vector<TVTLRecord*> TImageListPane::SelectedRecords() const {
  std::vector<TVTLRecord*> records;
  for (int row : SelectedRowNumbers()) records.push_back(&list_->Item(row));
  return records;
}

TVTLRecord* TImageListPane::ShownRecord() const {
  const QModelIndex current = lvRecordList->currentIndex();
  if (list_ && current.isValid() && current.row() < list_->Count() &&
      lvRecordList->selectionModel()->isRowSelected(current.row()))
    return &list_->Item(current.row());
  const std::vector<int> rows = SelectedRowNumbers();
  return rows.empty() ? nullptr : &list_->Item(rows.front());
}

void TImageListPane::SelectRows(const std::vector<int>& rows) {
  if (rows.empty()) return;
  QItemSelection selection;
  for (int row : rows)
    selection.select(records_model_->index(row, 0),
                     records_model_->index(row, records_model_->columnCount() - 1));
  lvRecordList->selectionModel()->setCurrentIndex(records_model_->index(rows.front(), 0),
                                                  QItemSelectionModel::NoUpdate);
  lvRecordList->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void TImageListPane::DeleteSelectedRecords() {
  const std::vector<int> rows = SelectedRowNumbers();
  if (rows.empty()) return;
  const int remembered = rows.front();
  {
    const QSignalBlocker quiet(lvRecordList->selectionModel());
    lvRecordList->selectionModel()->clear();
  }
  // Whoever shows the selected records lets go of them before they are released.
  if (on_selection_changed_) on_selection_changed_();
  records_model_->Remove(rows);
  ListChanged();
  if (remembered < records_model_->rowCount()) SelectRows({remembered});
}

void TImageListPane::Reorder(const std::vector<int>& order, const QString& text) {
  // An order that moves nothing (sorting a sorted list) leaves the list unchanged.
  if (!records_model_->Reorder(order, text)) return;
  ListChanged();
  if (lvRecordList->currentIndex().isValid()) lvRecordList->scrollTo(lvRecordList->currentIndex());
}

void TImageListPane::MoveSelectedRecords(int step) {
  const std::vector<int> rows = SelectedRowNumbers();
  if (rows.empty()) return;
  Reorder(OrderMovingRows(records_model_->rowCount(), rows, step),
          step < 0 ? "Nach oben verschieben" : "Nach unten verschieben");
}

void TImageListPane::SortByFileName() {
  if (list_) Reorder(OrderByFileName(*list_), "Nach Dateiname sortieren");
}

void TImageListPane::SortByDateTaken() {
  if (list_ && CompleteMetadata())
    Reorder(OrderByDateTaken(*list_), "Nach Aufnahmedatum sortieren");
}

void TImageListPane::ListChanged() {
  UpdateButtons();
  if (on_list_changed_) on_list_changed_();
}

void TImageListPane::UpdateButtons() {
  const bool selected = lvRecordList->selectionModel()->hasSelection();
  move_up_button_->setEnabled(selected);
  move_down_button_->setEnabled(selected);
  const bool sortable = records_model_->rowCount() > 1;
  sort_by_name_button_->setEnabled(sortable);
  sort_by_date_button_->setEnabled(sortable);
}

bool TImageListPane::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lvRecordList->viewport()) {
    // Files go to the window; rows dragged within the list are the view's (and the model's)
    // business.
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
      auto* drag = static_cast<QDragMoveEvent*>(event);
      if (!drag->mimeData()->hasUrls()) return false;
      drag->acceptProposedAction();
      return true;
    }
    if (event->type() == QEvent::Drop) {
      auto* drop = static_cast<QDropEvent*>(event);
      if (!drop->mimeData()->hasUrls()) return false;
      QStringList paths;
      for (const QUrl& url : drop->mimeData()->urls())
        if (url.isLocalFile()) paths.append(url.toLocalFile());
      drop->acceptProposedAction();
      if (on_drop_) on_drop_(paths, drop->source());
      return true;
    }
  }
  if (watched == lvRecordList && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
    DeleteSelectedRecords();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace vistrel
