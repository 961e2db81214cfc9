#include "model/value_list.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "support/text.h"

namespace vistrel {

void ThrowListIndexError(int index) {
  throw std::out_of_range("Listenindex überschreitet das Maximum (" + std::to_string(index) + ")");
}

TVTLValueList::TVTLValueList() : names_(std::make_shared<TNamesList>()), owns_names_(true) {}

TVTLValueList::TVTLValueList(std::shared_ptr<TNamesList> shared_names)
    : names_(std::move(shared_names)), owns_names_(false) {
  if (!names_) names_ = std::make_shared<TNamesList>();
}

void TVTLValueList::CheckIndex(int index) const {
  if (index < 0 || index >= Count() || static_cast<size_t>(index) >= names_->size())
    ThrowListIndexError(index);
}

const std::string& TVTLValueList::StoredValue(size_t index) const {
  static const std::string kEmpty;
  return index < values_.size() ? values_[index] : kEmpty;
}

void TVTLValueList::Store(size_t index, std::string value) {
  if (index >= values_.size()) {
    if (value.empty()) return;  // an entry beyond the stored ones is empty already
    values_.resize(index + 1);
  }
  values_[index] = std::move(value);
}

const std::string& TVTLValueList::Name(int index) const {
  CheckIndex(index);
  return (*names_)[index];
}

const std::string& TVTLValueList::Value(int index) const {
  CheckIndex(index);
  return StoredValue(static_cast<size_t>(index));
}

int TVTLValueList::IndexOf(std::string_view name) const {
  const size_t n = std::min(names_->size(), static_cast<size_t>(Count()));
  for (size_t i = 0; i < n; ++i)
    if (SameTextIgnoreCase((*names_)[i], name)) return static_cast<int>(i);
  return -1;
}

std::string TVTLValueList::ValueOf(std::string_view name) const {
  int index = IndexOf(name);
  return index < 0 ? std::string() : StoredValue(static_cast<size_t>(index));
}

void TVTLValueList::AddName(std::string name) {
  if (owns_names_) {
    // Own names kept together with equal lists are copied before they change.
    if (names_.use_count() > 1) names_ = std::make_shared<TNamesList>(*names_);
    names_->push_back(std::move(name));
    values_.emplace_back();
  }
}

void TVTLValueList::RemoveEntry(int index) {
  CheckIndex(index);
  const size_t at = static_cast<size_t>(index);
  if (at < values_.size()) values_.erase(values_.begin() + index);
  if (owns_names_) {
    if (names_.use_count() > 1) names_ = std::make_shared<TNamesList>(*names_);
    names_->erase(names_->begin() + index);
  }
}

void TVTLValueList::RenameEntry(int index, std::string name) {
  CheckIndex(index);
  if (!owns_names_) return;
  if (names_.use_count() > 1) names_ = std::make_shared<TNamesList>(*names_);
  (*names_)[static_cast<size_t>(index)] = std::move(name);
}

bool TVTLValueList::SetValueOf(std::string_view name, std::string value) {
  int index = IndexOf(name);
  if (index < 0) return false;
  Store(static_cast<size_t>(index), std::move(value));
  return true;
}

std::shared_ptr<TNamesList> TVTLValueList::ShareNames() {
  owns_names_ = false;
  return names_;
}

void TVTLValueList::UseSharedNames(std::shared_ptr<TNamesList> shared_names) {
  if (Count() != 0 || !shared_names) return;
  names_ = std::move(shared_names);
  owns_names_ = false;
  values_.clear();
}

bool TVTLValueList::ShareEqualNames(std::shared_ptr<TNamesList> equal_names) {
  if (!equal_names || *equal_names != *names_) return false;
  names_ = std::move(equal_names);
  return true;
}

bool TVTLValueList::SetValue(int index, std::string value) {
  CheckIndex(index);
  Store(static_cast<size_t>(index), std::move(value));
  return true;
}

TVTL2dValueList::TVTL2dValueList() : columns_(std::make_shared<TNamesList>()) {}

TVTL2dValueList::~TVTL2dValueList() = default;

TVTLValueList& TVTL2dValueList::Row(int index) {
  if (index < 0 || index >= Count()) ThrowListIndexError(index);
  return *rows_[index];
}

const TVTLValueList& TVTL2dValueList::Row(int index) const {
  return const_cast<TVTL2dValueList*>(this)->Row(index);
}

const std::string& TVTL2dValueList::ColumnName(int index) const {
  if (index < 0 || index >= ColumnCount()) ThrowListIndexError(index);
  return (*columns_)[index];
}

void TVTL2dValueList::AddColumn(std::string name) {
  columns_->push_back(std::move(name));
  for (auto& row : rows_) row->AddName(columns_->back());
}

int TVTL2dValueList::AddRow(std::unique_ptr<TVTLValueList>&& row) {
  if (!row || row->NamesList() != columns_.get()) return -1;
  rows_.push_back(std::move(row));
  return Count() - 1;
}

TVTLValueList& TVTL2dValueList::AppendRow() {
  rows_.push_back(std::make_unique<TVTLValueList>(columns_));
  return *rows_.back();
}

}  // namespace vistrel
