#include "ui/record_list_model.h"

#include <QCollator>
#include <QDataStream>
#include <QIODevice>
#include <QLocale>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <numeric>
#include <optional>
#include <set>

#include "model/caption_properties.h"
#include "model/photo_captions.h"
#include "model/photo_data.h"
#include "ui/list_commands.h"
#include "ui/metadata_loader.h"
#include "ui/text.h"

namespace vistrel {

namespace {

// How many edits can be undone.
constexpr int kUndoSteps = 100;

// The metadata entries that may say when a photo was taken, best first.
constexpr const char* kDateEntries[] = {"ExifDTOrig", "ExifDTDigitized", "DateTime"};

// When the photo was taken, as text that sorts by time; none when no entry holds a real moment
// (cameras without a clock write zeros).
std::optional<std::string> DateTaken(const TVTLRecord& record) {
  for (const char* entry : kDateEntries) {
    std::optional<std::string> moment = SortableDateTime(record.Metadata.ValueOf(entry));
    if (moment) return moment;
  }
  return std::nullopt;
}

// "24.05.2023 13:36" as the photo data has it; empty when the photo has no date (or its
// metadata has not been read yet).
std::string DateTakenText(const TVTLRecord& record) {
  std::string text = record.PhotoData.ValueOf(kPhotoDate);
  const std::string time = record.PhotoData.ValueOf(kPhotoTime);
  if (!text.empty() && !time.empty()) text += " " + time;
  return text;
}

std::vector<int> Identity(int count) {
  std::vector<int> order(static_cast<size_t>(std::max(count, 0)));
  std::iota(order.begin(), order.end(), 0);
  return order;
}

// `rows` within 0..count-1, each once, ascending.
std::vector<int> ValidRows(int count, const std::vector<int>& rows) {
  std::set<int> valid;
  for (int row : rows)
    if (row >= 0 && row < count) valid.insert(row);
  return {valid.begin(), valid.end()};
}

// The title a gallery gives the photo: the list's, else the photo's own.
std::string ShownTitle(const TVTLRecord& record) {
  std::string title = record.Details.ValueOf(kTitleProperty);
  return title.empty() ? record.Captions.ValueOf(kCaptionTitle) : title;
}

}  // namespace

TRecordListModel::TRecordListModel(QObject* parent)
    : QAbstractTableModel(parent), undo_stack_(new QUndoStack(this)) {
  // Removed records stay with their commands; a long day's edits need not all be kept.
  undo_stack_->setUndoLimit(kUndoSteps);
}

TRecordListModel::~TRecordListModel() = default;

void TRecordListModel::ReadPhotos(TMetadataReader read, TThumbnailLoader::TRender render,
                                  int thumbnail_size) {
  metadata_ = std::make_unique<TMetadataLoader>(
      std::move(read), [this](std::vector<TReadMetadata>& batch) { MetadataArrived(batch); });
  thumbnail_size_ = thumbnail_size;
  thumbnails_ = std::make_unique<TThumbnailLoader>(std::move(render), thumbnail_size,
                                                   [this](const QString&) { ThumbnailArrived(); });
  if (list_) RequestMetadata(0, list_->Count() - 1);
}

void TRecordListModel::SetList(TVTLRecordList* list) {
  // The commands belong to the list shown so far, and hold records of it.
  undo_stack_->clear();
  beginResetModel();
  if (metadata_) metadata_->Forget();
  awaiting_.clear();
  list_ = list;
  endResetModel();
  if (list_) RequestMetadata(0, list_->Count() - 1);
}

void TRecordListModel::Appended(int first, int last) {
  // The list has the records already; the views learn of them now.
  beginInsertRows(QModelIndex(), first, last);
  endInsertRows();
  RequestMetadata(first, last);
  undo_stack_->push(new TAddRowsCommand(*this, first, last));
}

void TRecordListModel::RequestMetadata(int first, int last) {
  if (!metadata_ || !list_) return;
  for (int row = std::max(first, 0); row <= last && row < list_->Count(); ++row) {
    const TVTLRecord& record = list_->Item(row);
    if (record.Metadata.Count() == 0 && awaiting_.insert(&record).second)
      metadata_->Request(&record, record.FullPath());
  }
}

bool TRecordListModel::ReadMetadataNow(const std::function<bool(int waiting)>& go_on) {
  if (metadata_ && !awaiting_.empty()) {
    // Requests of records removed meanwhile may still be pending; they need not be waited for.
    (void)metadata_->ReadRest([&](int) {
      return !awaiting_.empty() && (!go_on || go_on(static_cast<int>(awaiting_.size())));
    });
  }
  return awaiting_.empty();
}

void TRecordListModel::MetadataArrived(std::vector<TReadMetadata>& batch) {
  bool changed = false;
  for (TReadMetadata& read : batch) {
    const auto waiting = awaiting_.find(static_cast<const TVTLRecord*>(read.token));
    if (waiting == awaiting_.end()) continue;  // left the list meanwhile
    // The loader only passes the token back; the record is the list's, and this is its thread.
    auto* record = const_cast<TVTLRecord*>(*waiting);
    awaiting_.erase(waiting);
    if (record->FullPath() != read.path) continue;
    list_->SetMetadata(*record, std::move(read.metadata), std::move(read.photo_data),
                       std::move(read.captions));
    changed = true;
  }
  // One signal for the batch: a view repaints what it shows, whichever rows these were.
  if (changed && rowCount() > 0)
    emit dataChanged(index(0, kDateColumn), index(rowCount() - 1, kTitleColumn), {Qt::DisplayRole});
}

QVariant TRecordListModel::Thumbnail(const TVTLRecord& record) const {
  // Every row shows a picture of the same size, blank until the photo's is made, so that the
  // names stay in line.
  QPixmap picture(thumbnail_size_, thumbnail_size_);
  picture.fill(Qt::transparent);
  const QString path = PathToQString(record.FullPath());
  const QPixmap thumbnail = thumbnails_->Cached(path);
  if (thumbnail.isNull()) {
    thumbnails_->Request(path, path);
    return picture;
  }
  QPainter painter(&picture);
  painter.drawPixmap((thumbnail_size_ - thumbnail.width()) / 2,
                     (thumbnail_size_ - thumbnail.height()) / 2, thumbnail);
  return picture;
}

void TRecordListModel::ThumbnailArrived() {
  if (rowCount() > 0)
    emit dataChanged(index(0, kNameColumn), index(rowCount() - 1, kNameColumn),
                     {Qt::DecorationRole});
}

void TRecordListModel::Remove(std::vector<int> rows) {
  if (!list_) return;
  rows = ValidRows(list_->Count(), rows);
  if (!rows.empty()) undo_stack_->push(new TRemoveRowsCommand(*this, std::move(rows)));
}

std::vector<std::unique_ptr<TVTLRecord>> TRecordListModel::TakeRows(const std::vector<int>& rows) {
  std::vector<std::unique_ptr<TVTLRecord>> taken(rows.size());
  // Each run of adjacent rows goes in one step, the last run first, so the rows still to go
  // keep their numbers; within a run the last row goes first, so all of a long list leaves
  // from its end.
  for (size_t last = rows.size(); last > 0;) {
    size_t first = last - 1;
    while (first > 0 && rows[first - 1] == rows[first] - 1) --first;
    beginRemoveRows(QModelIndex(), rows[first], rows[last - 1]);
    for (size_t i = last; i > first; --i) {
      taken[i - 1] = list_->RemoveAt(rows[i - 1]);
      awaiting_.erase(taken[i - 1].get());
    }
    endRemoveRows();
    last = first;
  }
  return taken;
}

void TRecordListModel::PutRows(const std::vector<int>& rows,
                               std::vector<std::unique_ptr<TVTLRecord>> records) {
  // Ascending: each record goes to its final row, the ones before it being in place already.
  for (size_t first = 0; first < rows.size();) {
    size_t last = first;
    while (last + 1 < rows.size() && rows[last + 1] == rows[last] + 1) ++last;
    beginInsertRows(QModelIndex(), rows[first], rows[last]);
    for (size_t i = first; i <= last; ++i) list_->InsertAt(rows[i], std::move(records[i]));
    endInsertRows();
    RequestMetadata(rows[first], rows[last]);
    first = last + 1;
  }
}

bool TRecordListModel::Reorder(const std::vector<int>& order, const QString& text) {
  // A whole permutation in rising order leaves every record where it is.
  if (!list_ || !IsPermutation(order, list_->Count()) || std::is_sorted(order.begin(), order.end()))
    return false;
  undo_stack_->push(new TReorderCommand(*this, order, text));
  return true;
}

bool TRecordListModel::ApplyOrder(const std::vector<int>& order) {
  if (!list_ || !IsPermutation(order, list_->Count())) return false;
  std::vector<int> new_row(order.size());
  for (size_t i = 0; i < order.size(); ++i)
    new_row[static_cast<size_t>(order[i])] = static_cast<int>(i);
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const QModelIndexList before = persistentIndexList();
  QModelIndexList after;
  for (const QModelIndex& index : before)
    after.append(index.isValid()
                     ? createIndex(new_row[static_cast<size_t>(index.row())], index.column())
                     : QModelIndex());
  (void)list_->Reorder(order);
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
  return true;
}

int TRecordListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !list_ ? 0 : list_->Count();
}

int TRecordListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant TRecordListModel::data(const QModelIndex& index, int role) const {
  if (!list_ || !index.isValid() || index.row() >= list_->Count()) return {};
  const TVTLRecord& record = list_->Item(index.row());
  switch (role) {
    case Qt::DisplayRole:
      switch (index.column()) {
        case kNameColumn:
          return ToQString(record.FileName());
        case kDateColumn:
          return ToQString(DateTakenText(record));
        case kTitleColumn:
          return ToQString(ShownTitle(record));
        case kFolderColumn:
          return ToQString(record.Directory());
      }
      return {};
    case Qt::DecorationRole:
      if (index.column() == kNameColumn && thumbnails_) return Thumbnail(record);
      return {};
    case Qt::ToolTipRole:
      return PathToQString(record.FullPath());
    default:
      return {};
  }
}

QVariant TRecordListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  static const char* const kHeaders[kColumnCount] = {"Dateiname", "Aufnahmedatum", "Titel", "Pfad"};
  if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
      section < kColumnCount)
    return QString(kHeaders[section]);
  return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags TRecordListModel::flags(const QModelIndex& index) const {
  // Rows are dropped between rows, never onto one.
  if (!index.isValid()) return Qt::ItemIsDropEnabled;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}

QStringList TRecordListModel::mimeTypes() const { return {kRowsMimeType}; }

QMimeData* TRecordListModel::mimeData(const QModelIndexList& indexes) const {
  std::set<int> rows;
  for (const QModelIndex& index : indexes)
    if (index.isValid()) rows.insert(index.row());
  QByteArray bytes;
  QDataStream stream(&bytes, QIODevice::WriteOnly);
  stream << quint64(reinterpret_cast<quintptr>(this)) << qint32(rows.size());
  for (int row : rows) stream << qint32(row);
  auto* data = new QMimeData;  // the view's drag takes it over
  data->setData(kRowsMimeType, bytes);
  return data;
}

std::vector<int> TRecordListModel::DraggedRows(const QMimeData* data) const {
  if (!data || !data->hasFormat(kRowsMimeType)) return {};
  QDataStream stream(data->data(kRowsMimeType));
  quint64 model = 0;
  qint32 count = 0;
  stream >> model >> count;
  if (model != quint64(reinterpret_cast<quintptr>(this)) || count < 0) return {};
  std::vector<int> rows;
  for (qint32 i = 0; i < count && stream.status() == QDataStream::Ok; ++i) {
    qint32 row = -1;
    stream >> row;
    rows.push_back(row);
  }
  return stream.status() == QDataStream::Ok ? rows : std::vector<int>();
}

bool TRecordListModel::canDropMimeData(const QMimeData* data, Qt::DropAction, int, int,
                                       const QModelIndex& parent) const {
  return !parent.isValid() && !DraggedRows(data).empty();
}

bool TRecordListModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int,
                                    const QModelIndex& parent) {
  if (!list_ || action != Qt::MoveAction || parent.isValid()) return false;
  const std::vector<int> rows = DraggedRows(data);
  if (rows.empty()) return false;
  return Reorder(OrderDroppingRows(list_->Count(), rows, row), "Bilder verschieben");
}

std::vector<int> OrderMovingRows(int count, std::vector<int> rows, int step) {
  std::vector<int> order = Identity(count);
  rows = ValidRows(count, rows);
  if (step < 0) {
    // A row moves up unless the row above it is a selected row that could not move.
    int blocked = 0;  // rows before this cannot be passed
    for (int row : rows) {
      if (row > blocked) {
        std::swap(order[static_cast<size_t>(row)], order[static_cast<size_t>(row - 1)]);
        blocked = row;
      } else {
        blocked = row + 1;
      }
    }
  } else if (step > 0) {
    int blocked = count - 1;
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
      const int row = *it;
      if (row < blocked) {
        std::swap(order[static_cast<size_t>(row)], order[static_cast<size_t>(row + 1)]);
        blocked = row;
      } else {
        blocked = row - 1;
      }
    }
  }
  return order;
}

std::vector<int> OrderDroppingRows(int count, std::vector<int> rows, int before) {
  rows = ValidRows(count, rows);
  if (before < 0 || before > count) before = count;
  std::vector<bool> moving(static_cast<size_t>(std::max(count, 0)), false);
  for (int row : rows) moving[static_cast<size_t>(row)] = true;
  std::vector<int> order;
  order.reserve(moving.size());
  for (int row = 0; row <= count; ++row) {
    if (row == before) order.insert(order.end(), rows.begin(), rows.end());
    if (row < count && !moving[static_cast<size_t>(row)]) order.push_back(row);
  }
  return order;
}

namespace {

QCollator NameCollator() {
  QCollator collator(GermanLocale());
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  collator.setNumericMode(true);
  return collator;
}

}  // namespace

std::vector<int> OrderByFileName(const TVTLRecordList& list) {
  // Sort keys are made once per name: comparing them is a byte comparison, where the collator
  // would analyse both names at every one of the n log n comparisons.
  const QCollator collator = NameCollator();
  std::vector<QCollatorSortKey> names;
  std::vector<QCollatorSortKey> folders;
  names.reserve(static_cast<size_t>(list.Count()));
  folders.reserve(static_cast<size_t>(list.Count()));
  for (int i = 0; i < list.Count(); ++i) {
    names.push_back(collator.sortKey(ToQString(list.Item(i).FileName())));
    folders.push_back(collator.sortKey(ToQString(list.Item(i).Directory())));
  }
  std::vector<int> order = Identity(list.Count());
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    const int by_name = names[static_cast<size_t>(a)].compare(names[static_cast<size_t>(b)]);
    if (by_name != 0) return by_name < 0;
    return folders[static_cast<size_t>(a)].compare(folders[static_cast<size_t>(b)]) < 0;
  });
  return order;
}

void SortByName(QStringList& names) {
  const QCollator collator = NameCollator();
  std::vector<std::pair<QCollatorSortKey, QString>> keyed;
  keyed.reserve(static_cast<size_t>(names.size()));
  for (QString& name : names) keyed.emplace_back(collator.sortKey(name), std::move(name));
  std::stable_sort(keyed.begin(), keyed.end(),
                   [](const auto& a, const auto& b) { return a.first.compare(b.first) < 0; });
  names.clear();
  for (auto& [key, name] : keyed) names.append(std::move(name));
}

std::vector<int> OrderByDateTaken(const TVTLRecordList& list) {
  const std::vector<int> by_name = OrderByFileName(list);
  std::vector<int> name_rank(by_name.size());
  for (size_t i = 0; i < by_name.size(); ++i)
    name_rank[static_cast<size_t>(by_name[i])] = static_cast<int>(i);
  std::vector<std::optional<std::string>> dates;
  for (int i = 0; i < list.Count(); ++i) dates.push_back(DateTaken(list.Item(i)));
  std::vector<int> order = Identity(list.Count());
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    const auto& date_a = dates[static_cast<size_t>(a)];
    const auto& date_b = dates[static_cast<size_t>(b)];
    if (date_a && date_b) return *date_a < *date_b;
    if (date_a || date_b) return date_a.has_value();  // dated photos first
    return name_rank[static_cast<size_t>(a)] < name_rank[static_cast<size_t>(b)];
  });
  return order;
}

}  // namespace vistrel
