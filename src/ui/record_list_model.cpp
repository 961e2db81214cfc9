#include "ui/record_list_model.h"

#include <QCollator>
#include <QDataStream>
#include <QIODevice>
#include <QLocale>
#include <QMimeData>
#include <algorithm>
#include <numeric>
#include <optional>
#include <set>

#include "model/photo_data.h"
#include "ui/text.h"

namespace vistrel {

namespace {

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

}  // namespace

TRecordListModel::TRecordListModel(QObject* parent) : QAbstractTableModel(parent) {}

void TRecordListModel::SetList(TVTLRecordList* list) {
  beginResetModel();
  list_ = list;
  endResetModel();
}

void TRecordListModel::Appended(int row) {
  // The list has the record already; the views learn of it now.
  beginInsertRows(QModelIndex(), row, row);
  endInsertRows();
}

void TRecordListModel::Remove(std::vector<int> rows) {
  if (!list_) return;
  rows = ValidRows(list_->Count(), rows);
  // Each run of adjacent rows goes in one step, the last run first, so the rows still to go
  // keep their numbers; within a run the last row goes first, so all of a long list leaves
  // from its end.
  for (auto last = rows.rbegin(); last != rows.rend();) {
    auto first = last;
    while (std::next(first) != rows.rend() && *std::next(first) == *first - 1) ++first;
    beginRemoveRows(QModelIndex(), *first, *last);
    // Released at the end of the step, once the views have let go of the rows.
    std::vector<std::unique_ptr<TVTLRecord>> taken;
    for (int row = *last; row >= *first; --row) taken.push_back(list_->RemoveAt(row));
    endRemoveRows();
    last = std::next(first);
  }
}

bool TRecordListModel::Reorder(const std::vector<int>& order) {
  // A whole permutation in rising order leaves every record where it is.
  if (!list_ || !IsPermutation(order, list_->Count()) || std::is_sorted(order.begin(), order.end()))
    return false;
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
  return parent.isValid() ? 0 : 2;
}

QVariant TRecordListModel::data(const QModelIndex& index, int role) const {
  if (!list_ || !index.isValid() || index.row() >= list_->Count()) return {};
  const TVTLRecord& record = list_->Item(index.row());
  switch (role) {
    case Qt::DisplayRole:
      return ToQString(index.column() == 0 ? record.FileName : record.Directory);
    case Qt::ToolTipRole:
      return PathToQString(record.FullPath());
    default:
      return {};
  }
}

QVariant TRecordListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
    return section == 0 ? QString("Dateiname") : QString("Pfad");
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
  return Reorder(OrderDroppingRows(list_->Count(), rows, row));
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
  const QCollator collator = NameCollator();
  std::vector<QString> names;
  std::vector<QString> folders;
  for (int i = 0; i < list.Count(); ++i) {
    names.push_back(ToQString(list.Item(i).FileName));
    folders.push_back(ToQString(list.Item(i).Directory));
  }
  std::vector<int> order = Identity(list.Count());
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    const int by_name =
        collator.compare(names[static_cast<size_t>(a)], names[static_cast<size_t>(b)]);
    if (by_name != 0) return by_name < 0;
    return collator.compare(folders[static_cast<size_t>(a)], folders[static_cast<size_t>(b)]) < 0;
  });
  return order;
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
