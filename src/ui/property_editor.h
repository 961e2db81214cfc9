// The property box of the main window, "Bildeigenschaften ": the preview of the image shown,
// the lines of its user properties (a TPropertyListModel), the field that edits the value of
// the selected line, and the buttons "neue Eigenschaft", "Eigenschaft umbenennen" and
// "Eigenschaft entfernen".
//
// The box is hidden while no image is shown. With several images selected, a value typed is
// given to all of them on every keystroke. A property is added to every image of the list at
// once; it is renamed or removed for the selected images or for all, as the user chooses.
// Questions and messages go through TDialogs; every change is reported (TChanged) so the window
// can remember unsaved changes.
//
// The box does not own the list or the records; the window hands in the list (SetList) and the
// images to show (ShowRecord) whenever they change, and before a shown image leaves the list.
// User-interface thread only.
#pragma once

#include <QGroupBox>
#include <functional>
#include <vector>

#include "model/record.h"

class QLabel;
class QLineEdit;
class QListView;
class QPushButton;

namespace vistrel {

class TDialogs;
class TPropertyListModel;

class TPropertyEditor : public QGroupBox {
 public:
  using TChanged = std::function<void()>;

  explicit TPropertyEditor(TDialogs& dialogs, QWidget* parent = nullptr);

  void SetList(TVTLRecordList* list);
  void SetOnChanged(TChanged on_changed);
  // Called before each change of the properties with what it is ("Wert von Titel" ...) and
  // whether it is a letter typed into the value (false for new, renamed and removed
  // properties); SetOnChanged's callback follows once the change is made. A change that is
  // refused leaves out the second call.
  using TAboutToChange = std::function<void(const QString& what, bool typing)>;
  void SetOnAboutToChange(TAboutToChange about_to_change);
  // Shows `shown` with the images `selected` (among which `shown` is); nullptr hides the box.
  void ShowRecord(TVTLRecord* shown, std::vector<TVTLRecord*> selected);

  // The image whose properties are shown; nullptr when none is.
  TVTLRecord* CurrentRecord() const;
  // The line selected in the property list; -1 when none is.
  int CurrentDetailIndex() const { return current_detail_index_; }

  // Draws the preview of CurrentRecord.
  void ShowPreview();
  // Shows the box with the lines of CurrentRecord, none selected, or hides it.
  void ShowRecordDetails();
  // "neue Eigenschaft": asks for a name and gives every image the property.
  void btnNeueEigenschaftClick();
  // "Eigenschaft umbenennen" and "Eigenschaft entfernen" for the selected line.
  void RenameProperty();
  void RemoveProperty();

 private:
  void CreateLayout();
  void DetailClicked();
  void DetailEdited(const QString& text);
  // "nur bei diesem Bild" or "nur bei den markierten Bildern", by the selection.
  QString OnlySelectedText() const;
  void AboutToChange(const QString& what, bool typing = false);
  void Changed();
  void UpdateButtons();

  QLabel* imgPreview;               // the preview of the image shown
  QListView* lbDetails;             // the property lines
  QLineEdit* edDetailEdit;          // the value of the selected line
  QPushButton* btnNeueEigenschaft;  // "neue Eigenschaft"
  QPushButton* rename_button_;
  QPushButton* remove_button_;

  TDialogs& dialogs_;
  TPropertyListModel* properties_;
  TVTLRecordList* list_ = nullptr;
  int current_detail_index_ = -1;
  TChanged on_changed_;
  TAboutToChange on_about_to_change_;
};

}  // namespace vistrel
