// The lines of the property box: one per user property (Details) the image shown has
// (TVTLRecord::HasDetail), "Name: " followed by its value, or by "(verschiedene Werte)" when the
// selected images do not all have the same one. A value set through the model is given to
// every selected image, which then has the property.
//
// The model shows records it does not own: the caller hands in new ones (Show) whenever the
// selection changes and before a shown record leaves the list, and calls Refresh after adding,
// renaming or removing a property. The records of one list share their property names, so a
// property has the same place in all of them. User-interface thread only.
#pragma once

#include <QAbstractListModel>
#include <string>
#include <vector>

#include "model/record.h"

namespace vistrel {

class TPropertyListModel : public QAbstractListModel {
 public:
  explicit TPropertyListModel(QObject* parent = nullptr);

  // Shows the properties of `shown` for the images `selected`, among which `shown` is (no
  // images selected stands for `shown` alone); nullptr for none.
  void Show(TVTLRecord* shown, std::vector<TVTLRecord*> selected);
  // The lines anew, after the properties changed.
  void Refresh();

  TVTLRecord* Shown() const { return shown_; }
  const std::vector<TVTLRecord*>& Selected() const { return selected_; }
  // The name of the property in `row`.
  std::string Name(int row) const;
  // The value of the property in `row` when the image shown and every selected one have the
  // same one; false (and the shown image's value) otherwise.
  bool CommonValue(int row, std::string& value) const;
  // Gives every selected image `value` for the property in `row`; its line follows.
  void SetValue(int row, const std::string& value);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  // The line (DisplayRole) and the value an editor starts with (EditRole: the common value, or
  // nothing when the values differ).
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  // The place among the Details of the property in `row`; -1 for no row.
  int DetailIndex(int row) const;
  void FindRows();

  TVTLRecord* shown_ = nullptr;
  std::vector<int> rows_;  // the Details index of each line
  std::vector<TVTLRecord*> selected_;
};

}  // namespace vistrel
