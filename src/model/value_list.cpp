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
  values_.resize(names_->size());
}

void TVTLValueList::CheckIndex(int index) const {
  if (index < 0 || index >= Count() || static_cast<size_t>(index) >= names_->size())
    ThrowListIndexError(index);
}

const std::string& TVTLValueList::Name(int index) const {
  CheckIndex(index);
  return (*names_)[index];
}

const std::string& TVTLValueList::Value(int index) const {
  CheckIndex(index);
  return values_[index];
}

int TVTLValueList::IndexOf(std::string_view name) const {
  const size_t n = std::min(names_->size(), values_.size());
  for (size_t i = 0; i < n; ++i)
    if (SameTextIgnoreCase((*names_)[i], name)) return static_cast<int>(i);
  return -1;
}

std::string TVTLValueList::ValueOf(std::string_view name) const {
  int index = IndexOf(name);
  return index < 0 ? std::string() : values_[index];
}

void TVTLValueList::AddName(std::string name) {
  if (owns_names_) names_->push_back(std::move(name));
  values_.emplace_back();
}

bool TVTLValueList::SetValueOf(std::string_view name, std::string value) {
  int index = IndexOf(name);
  if (index < 0) return false;
  values_[index] = std::move(value);
  return true;
}

bool TVTLValueList::SetValue(int index, std::string value) {
  CheckIndex(index);
  values_[index] = std::move(value);
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
