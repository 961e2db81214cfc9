#include "ui/list_commands.h"

#include <numeric>

#include "ui/record_list_model.h"

namespace vistrel {

TAddRowsCommand::TAddRowsCommand(TRecordListModel& model, int first, int last)
    : QUndoCommand(last > first ? QString("Bilder hinzufügen") : QString("Bild hinzufügen")),
      model_(model),
      rows_(static_cast<size_t>(last - first + 1)) {
  std::iota(rows_.begin(), rows_.end(), first);
}

void TAddRowsCommand::undo() { taken_ = model_.TakeRows(rows_); }

void TAddRowsCommand::redo() {
  // Pushed once the records are in the list.
  if (done_) {
    done_ = false;
    return;
  }
  model_.PutRows(rows_, std::move(taken_));
  taken_.clear();
}

TRemoveRowsCommand::TRemoveRowsCommand(TRecordListModel& model, std::vector<int> rows)
    : QUndoCommand(rows.size() > 1 ? QString("Bilder entfernen") : QString("Bild entfernen")),
      model_(model),
      rows_(std::move(rows)) {}

void TRemoveRowsCommand::undo() {
  model_.PutRows(rows_, std::move(taken_));
  taken_.clear();
}

void TRemoveRowsCommand::redo() { taken_ = model_.TakeRows(rows_); }

TReorderCommand::TReorderCommand(TRecordListModel& model, std::vector<int> order,
                                 const QString& text)
    : QUndoCommand(text), model_(model), order_(std::move(order)), inverse_(order_.size()) {
  for (size_t i = 0; i < order_.size(); ++i)
    inverse_[static_cast<size_t>(order_[i])] = static_cast<int>(i);
}

void TReorderCommand::undo() { (void)model_.ApplyOrder(inverse_); }

void TReorderCommand::redo() { (void)model_.ApplyOrder(order_); }

TPropertiesCommand::TPropertiesCommand(TVTLRecordList& list, TPropertyState before,
                                       TPropertyState after, const QString& text, int typing,
                                       std::function<void()> shown)
    : QUndoCommand(text),
      list_(list),
      before_(std::move(before)),
      after_(std::move(after)),
      typing_(typing),
      shown_(std::move(shown)) {}

void TPropertiesCommand::undo() {
  list_.RestoreProperties(before_);
  if (shown_) shown_();
}

void TPropertiesCommand::redo() {
  if (done_) {
    done_ = false;
    return;
  }
  list_.RestoreProperties(after_);
  if (shown_) shown_();
}

bool TPropertiesCommand::mergeWith(const QUndoCommand* other) {
  const auto* next = static_cast<const TPropertiesCommand*>(other);
  if (&next->list_ != &list_ || next->typing_ != typing_ || next->text() != text()) return false;
  after_ = next->after_;
  return true;
}

}  // namespace vistrel
