// The image list of the main window: the number of images, the table of the list's images (a
// small picture, file name, date taken, title and folder) over a TRecordListModel, and under it
// the buttons that put them in order ("nach oben", "nach unten", "nach Dateiname",
// "nach Aufnahmedatum").
//
// The model reads the photos' metadata and pictures in the background. What needs all of the
// metadata (sorting by date here, a gallery run in the window) first completes it with
// CompleteMetadata, which reads what is still missing at once, beside the background worker,
// and shows its progress when that takes a while.
//
// The order of the rows is the order of the gallery. Rows move with the buttons, with Ctrl+Up
// and Ctrl+Down, by dragging them within the table, or by sorting; Delete takes the selected
// rows out of the list and selects the row that moves into the place of the first. Files
// dragged onto the table from the file list or the desktop are handed to the window (TDrop),
// which adds them. The pane tells the window when the selection changes and when it changed the
// list (TChanged), so the window can show the selected images and remember unsaved changes.
//
// The pane does not own the list; it owns the model. User-interface thread only.
#pragma once

#include <QWidget>
#include <functional>
#include <vector>

#include "model/record.h"

class QAction;
class QLabel;
class QPushButton;
class QTreeView;

namespace vistrel {

class TRecordListModel;

// The edge of the pictures in the image list, in pixels.
inline constexpr int kListThumbnailSize = 32;

class TImageListPane : public QWidget {
 public:
  // Files dropped onto the table: their paths and the widget the drag came from (nullptr when
  // it came from another program).
  using TDrop = std::function<void(const QStringList& paths, const QObject* source)>;
  using TNotify = std::function<void()>;

  explicit TImageListPane(QWidget* parent = nullptr);
  ~TImageListPane() override;

  // Shows `list` (not owned; nullptr for none); nothing is selected then.
  void SetList(TVTLRecordList* list);
  // Tells the table that records have been appended to the list at rows first..last.
  void Appended(int first, int last);
  void Appended(int row) { Appended(row, row); }
  // Reads the metadata still missing now; false when the user cancelled. No other events are
  // processed unless its progress window is shown.
  bool CompleteMetadata();
  // The commands of the table's context menu (the window's actions, shared with its menus).
  void SetContextActions(const QList<QAction*>& actions);
  // Called when the rows selected change, when rows move and when rows are deleted.
  void SetOnSelectionChanged(TNotify on_selection_changed);
  void SetOnListChanged(TNotify on_list_changed);
  void SetOnDrop(TDrop on_drop);

  // The rows selected, top to bottom, and their records.
  std::vector<int> SelectedRowNumbers() const;
  std::vector<TVTLRecord*> SelectedRecords() const;
  // The image whose properties are shown: the one last clicked when it is selected, else the
  // first selected one; nullptr when none is selected.
  TVTLRecord* ShownRecord() const;
  // Selects `rows`, the first of them current.
  void SelectRows(const std::vector<int>& rows);

  // Delete: the selected images leave the list.
  void DeleteSelectedRecords();
  // "nach oben" (-1) and "nach unten" (+1): the selected images move one place.
  void MoveSelectedRecords(int step);
  void SortByFileName();
  void SortByDateTaken();

  TRecordListModel& Model() const { return *records_model_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateTable();
  QLayout* CreateOrderButtons();
  void Reorder(const std::vector<int>& order, const QString& text);
  void ListChanged();
  void UpdateButtons();
  void UpdateCount();

  QLabel* count_label_;     // "12 Bilder"
  QTreeView* lvRecordList;  // the image list
  QPushButton* move_up_button_;
  QPushButton* move_down_button_;
  QPushButton* sort_by_name_button_;
  QPushButton* sort_by_date_button_;

  TRecordListModel* records_model_;
  TVTLRecordList* list_ = nullptr;
  TNotify on_selection_changed_;
  TNotify on_list_changed_;
  TDrop on_drop_;
};

}  // namespace vistrel
