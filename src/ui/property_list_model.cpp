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
  FindRows();
  endResetModel();
}

void TPropertyListModel::Refresh() {
  beginResetModel();
  FindRows();
  endResetModel();
}

void TPropertyListModel::FindRows() {
  rows_.clear();
  if (!shown_) return;
  for (int i = 0; i < shown_->Details.Count(); ++i)
    if (shown_->HasDetail(shown_->Details.Name(i))) rows_.push_back(i);
}

int TPropertyListModel::DetailIndex(int row) const {
  return shown_ && row >= 0 && row < rowCount() ? rows_[static_cast<size_t>(row)] : -1;
}

std::string TPropertyListModel::Name(int row) const {
  const int detail = DetailIndex(row);
  return detail < 0 ? std::string() : shown_->Details.Name(detail);
}

bool TPropertyListModel::CommonValue(int row, std::string& value) const {
  value.clear();
  const int detail = DetailIndex(row);
  if (detail < 0) return false;
  value = shown_->Details.Value(detail);
  for (const TVTLRecord* record : selected_)
    if (record->Details.Value(detail) != value) return false;
  return true;
}

void TPropertyListModel::SetValue(int row, const std::string& value) {
  const int detail = DetailIndex(row);
  if (detail < 0) return;
  const std::string name = shown_->Details.Name(detail);
  for (TVTLRecord* record : selected_) {
    record->Details.SetValue(detail, value);
    record->SetHasDetail(name, true);
  }
  emit dataChanged(index(row), index(row), {Qt::DisplayRole, Qt::EditRole});
}

int TPropertyListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !shown_ ? 0 : static_cast<int>(rows_.size());
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
