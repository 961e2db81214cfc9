// The image list as the main window shows it: a table model over the window's TVTLRecordList,
// one row per record in list order, with the columns "Dateiname" and "Pfad".
//
// The window makes every change of the list's rows through this model, so the views follow:
// appending, removing, and reordering (moving rows up or down, dragging them within the view,
// sorting). Reordering keeps each selected row with its record. Rows dragged within a view
// travel as their numbers (kRowsMimeType, valid only for the model that made them); files
// dragged onto the view are left to the window. The order of the rows is the order of the
// gallery and of the list file.
//
// The functions after the class compute new orders as permutations for Reorder(), so they can
// be tested without a view. The model does not own the list. User-interface thread only.
#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "model/record.h"

namespace vistrel {

class TRecordListModel : public QAbstractTableModel {
 public:
  static constexpr const char* kRowsMimeType = "application/x-vistrel-record-rows";

  explicit TRecordListModel(QObject* parent = nullptr);

  // Shows `list` (not owned; nullptr for none).
  void SetList(TVTLRecordList* list);

  // Tells the views that a record has been appended to the list at `row`.
  void Appended(int row);
  // Takes the records of `rows` out of the list and releases them once the views have let go
  // of them. Rows outside the list are ignored.
  void Remove(std::vector<int> rows);
  // Puts the records into the order `order` (see TVTLRecordList::Reorder); selections and the
  // current row follow their records. False, and no change, unless the order is a whole
  // permutation that moves a record: putting the records in the order they have tells the
  // views nothing.
  bool Reorder(const std::vector<int>& order);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  Qt::DropActions supportedDragActions() const override { return Qt::MoveAction; }
  Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }
  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QModelIndexList& indexes) const override;
  bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                       const QModelIndex& parent) const override;
  // Moves the dragged rows before `row` (to the end for -1).
  bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                    const QModelIndex& parent) override;

 private:
  // The rows a drag made by this model carries; empty for any other data.
  std::vector<int> DraggedRows(const QMimeData* data) const;

  TVTLRecordList* list_ = nullptr;
};

// The order after moving `rows` one place up (step -1) or down (step +1). Selected neighbours
// move together; a row that reaches the end of the list stays there and holds up the ones
// behind it.
std::vector<int> OrderMovingRows(int count, std::vector<int> rows, int step);
// The order after taking `rows` out and putting them, in their order, before row `before` of
// the list as it was (`count` or -1 for the end).
std::vector<int> OrderDroppingRows(int count, std::vector<int> rows, int before);
// By file name as people read names: ignoring letter case, numbers by their value ("Bild 2"
// before "Bild 10"), umlauts beside their letters; equal names by folder.
std::vector<int> OrderByFileName(const TVTLRecordList& list);
// By the date and time the photo was taken (EXIF), oldest first; photos without a date after
// them, by file name. Equal dates keep their order.
std::vector<int> OrderByDateTaken(const TVTLRecordList& list);

}  // namespace vistrel
