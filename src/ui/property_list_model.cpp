#include "ui/property_list_model.h"

#include "ui/text.h"

namespace vistrel {

namespace {

const QString kDifferentValues = "(verschiedene Werte)";

}  // namespace

TPropertyListModel::TPropertyListModel(QObject* parent) : QAbstractListModel(parent) {}

void TPropertyListModel::Show(TVTLRecord* shown, std::vector<TVTLRecord*> selected) {
  beginResetModel();
  shown_ = shown;
  selected_ = shown ? std::move(selected) : std::vector<TVTLRecord*>();
  if (shown && selected_.empty()) selected_.push_back(shown);
  endResetModel();
}

void TPropertyListModel::Refresh() {
  beginResetModel();
  endResetModel();
}

std::string TPropertyListModel::Name(int row) const {
  return shown_ && row >= 0 && row < rowCount() ? shown_->Details.Name(row) : std::string();
}

bool TPropertyListModel::CommonValue(int row, std::string& value) const {
  value.clear();
  if (!shown_ || row < 0 || row >= rowCount()) return false;
  value = shown_->Details.Value(row);
  for (const TVTLRecord* record : selected_)
    if (record->Details.Value(row) != value) return false;
  return true;
}

void TPropertyListModel::SetValue(int row, const std::string& value) {
  if (!shown_ || row < 0 || row >= rowCount()) return;
  for (TVTLRecord* record : selected_) record->Details.SetValue(row, value);
  emit dataChanged(index(row), index(row), {Qt::DisplayRole, Qt::EditRole});
}

int TPropertyListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !shown_ ? 0 : shown_->Details.Count();
}

QVariant TPropertyListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  std::string value;
  const bool common = CommonValue(index.row(), value);
  switch (role) {
    case Qt::DisplayRole:
      return ToQString(Name(index.row())) + ": " + (common ? ToQString(value) : kDifferentValues);
    case Qt::EditRole:
      return common ? ToQString(value) : QString();
    default:
      return {};
  }
}

}  // namespace vistrel
