// The image list as the main window shows it: a table model over the window's TVTLRecordList,
// one row per record in list order, with the columns "Dateiname" (with a small picture of the
// photo), "Aufnahmedatum", "Titel" and "Pfad".
//
// Records come into the list without their metadata, so that a list of ten thousand photos
// shows at once; once ReadPhotos() has been called, the model has the metadata of every record
// that lacks it read in the background (TMetadataLoader, the top of the list first) and moves it
// into the records as it arrives: the date and title then show, sorting by date uses it, and a
// gallery run needs it (PendingMetadata() tells when all is read, ReadMetadataNow() reads the rest
// at once). Each photo's picture is made on another worker (TThumbnailLoader) when its row is
// painted, once per file.
//
// The window makes every change of the list's rows through this model, so the views follow:
// appending, removing, and reordering (moving rows up or down, dragging them within the view,
// sorting). Each change is a command on the model's undo stack (list_commands.h), which the
// window shares for the changes of properties; a new list starts a new stack. Reordering keeps
// each selected row with its record. Rows dragged within a view
// travel as their numbers (kRowsMimeType, valid only for the model that made them); files
// dragged onto the view are left to the window. The order of the rows is the order of the
// gallery and of the list file.
//
// The functions after the class compute new orders as permutations for Reorder(), so they can
// be tested without a view. The model does not own the list. User-interface thread only.
#pragma once

#include <QAbstractTableModel>
#include <QUndoStack>
#include <functional>
#include <unordered_set>
#include <vector>

#include "model/record.h"
#include "ui/thumbnail_loader.h"

namespace vistrel {

class TMetadataLoader;
struct TReadMetadata;

class TRecordListModel : public QAbstractTableModel {
 public:
  static constexpr const char* kRowsMimeType = "application/x-vistrel-record-rows";

  explicit TRecordListModel(QObject* parent = nullptr);
  ~TRecordListModel() override;

  // Shows `list` (not owned; nullptr for none).
  void SetList(TVTLRecordList* list);

  enum TColumn { kNameColumn, kDateColumn, kTitleColumn, kFolderColumn, kColumnCount };

  // Reads the metadata of the records that lack it with `read`, and the rows' pictures, fitted
  // into `thumbnail_size` pixels, with `render`, each on a worker thread.
  void ReadPhotos(TMetadataReader read, TThumbnailLoader::TRender render, int thumbnail_size);
  // How many records still wait for their metadata.
  int PendingMetadata() const { return static_cast<int>(awaiting_.size()); }
  // Reads the metadata still missing now, on this thread beside the worker, until every record
  // has it or `go_on` (called before each photo with the number of records still waiting)
  // returns false. Runs no event loop. True when every record has its metadata.
  bool ReadMetadataNow(const std::function<bool(int waiting)>& go_on = nullptr);

  // Tells the views that records have been appended to the list at rows first..last.
  void Appended(int first, int last);
  void Appended(int row) { Appended(row, row); }
  // Takes the records of `rows` out of the list; the undo stack keeps them. Rows outside the
  // list are ignored.
  void Remove(std::vector<int> rows);
  // Puts the records into the order `order` (see TVTLRecordList::Reorder); selections and the
  // current row follow their records. False, and no change, unless the order is a whole
  // permutation that moves a record: putting the records in the order they have tells the
  // views nothing, and is nothing to undo. `text` names the change in the undo stack.
  bool Reorder(const std::vector<int>& order, const QString& text = "Reihenfolge ändern");

  QUndoStack& UndoStack() const { return *undo_stack_; }

  // The changes themselves, for the commands of the undo stack: take the records of `rows`
  // (ascending, in the list) out, in that order; put them back at `rows`; reorder.
  std::vector<std::unique_ptr<TVTLRecord>> TakeRows(const std::vector<int>& rows);
  void PutRows(const std::vector<int>& rows, std::vector<std::unique_ptr<TVTLRecord>> records);
  bool ApplyOrder(const std::vector<int>& order);

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
  // Asks for the metadata of the records of rows first..last that have none.
  void RequestMetadata(int first, int last);
  void MetadataArrived(std::vector<TReadMetadata>& batch);
  QVariant Thumbnail(const TVTLRecord& record) const;
  void ThumbnailArrived();

  TVTLRecordList* list_ = nullptr;
  QUndoStack* undo_stack_;
  std::unique_ptr<TMetadataLoader> metadata_;
  std::unique_ptr<TThumbnailLoader> thumbnails_;
  int thumbnail_size_ = 0;
  // The records whose metadata has been asked for and not yet put in. Only these take what the
  // loader delivers, and only when the path still matches (a record released and another made
  // at its address).
  std::unordered_set<const TVTLRecord*> awaiting_;
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
// Puts `names` (file names) into the order of OrderByFileName.
void SortByName(QStringList& names);
// By the date and time the photo was taken (EXIF, from the records' metadata), oldest first;
// photos without a date after them, by file name. Equal dates keep their order.
std::vector<int> OrderByDateTaken(const TVTLRecordList& list);

}  // namespace vistrel
