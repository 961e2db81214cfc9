// The edits of the image list as commands of its undo stack ("Rückgängig", "Wiederholen").
//
// TRecordListModel pushes the row commands itself: photos added, rows removed, and a new order
// (moving, dragging, sorting). The main window pushes TPropertiesCommand for a change of the
// properties, which it makes through the property box. Commands hold what they need to go back
// and forth: the records taken out of the list (owned by the command while they are out), the
// order, the properties before and after. They are executed on the user-interface thread, in the
// order of the stack, so the list is always in the state a command left it in.
#pragma once

#include <QUndoCommand>
#include <functional>
#include <memory>
#include <vector>

#include "model/record.h"

namespace vistrel {

class TRecordListModel;

// Records appended at rows first..last, already in the list when the command is pushed.
class TAddRowsCommand : public QUndoCommand {
 public:
  TAddRowsCommand(TRecordListModel& model, int first, int last);
  void undo() override;
  void redo() override;

 private:
  TRecordListModel& model_;
  std::vector<int> rows_;
  std::vector<std::unique_ptr<TVTLRecord>> taken_;  // while undone
  bool done_ = true;
};

// The records of `rows` taken out of the list.
class TRemoveRowsCommand : public QUndoCommand {
 public:
  TRemoveRowsCommand(TRecordListModel& model, std::vector<int> rows);
  void undo() override;
  void redo() override;

 private:
  TRecordListModel& model_;
  std::vector<int> rows_;                           // ascending, valid
  std::vector<std::unique_ptr<TVTLRecord>> taken_;  // while done
};

// The records put into the order `order` (a permutation that moves something).
class TReorderCommand : public QUndoCommand {
 public:
  TReorderCommand(TRecordListModel& model, std::vector<int> order, const QString& text);
  void undo() override;
  void redo() override;

 private:
  TRecordListModel& model_;
  std::vector<int> order_;
  std::vector<int> inverse_;
};

// A change of the properties, made already when the command is pushed: `before` and `after`
// are the list's properties around it. `shown` is called after each undo and redo so the
// windows show the properties anew. Typing one value letter by letter is one command: a
// command with a `typing` key of 0 or more takes the next one of the same key into itself.
class TPropertiesCommand : public QUndoCommand {
 public:
  TPropertiesCommand(TVTLRecordList& list, TPropertyState before, TPropertyState after,
                     const QString& text, int typing, std::function<void()> shown);
  void undo() override;
  void redo() override;
  int id() const override { return typing_ >= 0 ? kTypingId : -1; }
  bool mergeWith(const QUndoCommand* other) override;

 private:
  static constexpr int kTypingId = 1;
  TVTLRecordList& list_;
  TPropertyState before_;
  TPropertyState after_;
  int typing_;
  std::function<void()> shown_;
  bool done_ = true;
};

}  // namespace vistrel
