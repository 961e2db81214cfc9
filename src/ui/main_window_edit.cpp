// The main window's edit commands: the actions of the menu "Bearbeiten", shared by the context
// menus of the file list and the image list, and the undo stack's commands for changes of the
// properties (see main_window.h).
#include <QAction>
#include <QUndoStack>

#include "ui/dialogs.h"
#include "ui/file_browser_pane.h"
#include "ui/image_list_pane.h"
#include "ui/list_commands.h"
#include "ui/main_window.h"
#include "ui/property_editor.h"
#include "ui/record_list_model.h"
#include "ui/text.h"

namespace vistrel {

void TVTLMainWin::CreateEditActions() {
  auto action = [this](const QString& text, const char* name, std::function<void()> triggered) {
    return NewAction(text, name, std::move(triggered));
  };
  QUndoStack& undo = image_list_->Model().UndoStack();
  undo_action_ = undo.createUndoAction(this, "Rückgängig");
  undo_action_->setObjectName("undoAction");
  undo_action_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  redo_action_ = undo.createRedoAction(this, "Wiederholen");
  redo_action_->setObjectName("redoAction");
  redo_action_->setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
  add_files_action_ = action("Zur Liste hinzufügen", "addFilesAction",
                             [this] { file_browser_->AddSelectedFiles(); });
  add_folder_action_ = action("Ordner zur Liste hinzufügen", "addFolderAction",
                              [this] { file_browser_->AddShownFolder(); });
  open_folder_action_ =
      action("Ordner öffnen...", "openFolderAction", [this] { OpenShownFolder(); });
  remove_action_ = action("Aus der Liste entfernen", "removeAction",
                          [this] { image_list_->DeleteSelectedRecords(); });
  // Only in the image list: Delete elsewhere (a folder, a value typed) is theirs.
  remove_action_->setShortcut(QKeySequence(Qt::Key_Delete));
  remove_action_->setShortcutContext(Qt::WidgetShortcut);
  move_up_action_ =
      action("Nach oben", "moveUpAction", [this] { image_list_->MoveSelectedRecords(-1); });
  move_up_action_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Up));
  move_down_action_ =
      action("Nach unten", "moveDownAction", [this] { image_list_->MoveSelectedRecords(+1); });
  move_down_action_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Down));
  sort_by_name_action_ = action("Nach Dateiname sortieren", "sortByNameAction",
                                [this] { image_list_->SortByFileName(); });
  sort_by_date_action_ = action("Nach Aufnahmedatum sortieren", "sortByDateAction",
                                [this] { image_list_->SortByDateTaken(); });
  new_property_action_ = action("Neue Eigenschaft...", "newPropertyAction",
                                [this] { property_editor_->btnNeueEigenschaftClick(); });
  show_in_browser_action_ =
      action("Im Dateibrowser zeigen", "showInBrowserAction", [this] { ShowInFileBrowser(); });
}

void TVTLMainWin::CreateContextMenus() {
  auto separator = [this] {
    auto* line = new QAction(this);
    line->setSeparator(true);
    return line;
  };
  file_browser_->SetContextActions(
      {add_files_action_, add_folder_action_, separator(), open_folder_action_});
  image_list_->SetContextActions({remove_action_, separator(), move_up_action_, move_down_action_,
                                  sort_by_name_action_, sort_by_date_action_, separator(),
                                  new_property_action_, show_in_browser_action_, separator(),
                                  undo_action_, redo_action_});
}

void TVTLMainWin::UpdateEditActions() {
  const bool selected = !image_list_->SelectedRowNumbers().empty();
  for (QAction* action : {remove_action_, move_up_action_, move_down_action_})
    action->setEnabled(selected);
  for (QAction* action : {sort_by_name_action_, sort_by_date_action_})
    action->setEnabled(record_list_->Count() > 1);
  new_property_action_->setEnabled(image_list_->ShownRecord() != nullptr);
  show_in_browser_action_->setEnabled(image_list_->ShownRecord() != nullptr);
}

void TVTLMainWin::PropertiesAboutToChange(const QString& what, bool typing) {
  properties_before_ = record_list_->SaveProperties();
  property_change_ = what;
  property_typing_ = typing;
}

void TVTLMainWin::PropertiesChanged() {
  if (!properties_before_) {
    SetModified();
    return;
  }
  // Pushing the command raises the stack's index, which would end the typing at once.
  const int typing = property_typing_ ? typing_key_ : -1;
  pushing_properties_ = true;
  image_list_->Model().UndoStack().push(new TPropertiesCommand(
      *record_list_, std::move(*properties_before_), record_list_->SaveProperties(),
      property_change_, typing, [this] { ShowSelectedRecords(); }));
  pushing_properties_ = false;
  properties_before_.reset();
  typing_key_ = typing >= 0 ? typing : typing_key_;
}

void TVTLMainWin::ShowInFileBrowser() {
  if (const TVTLRecord* record = image_list_->ShownRecord())
    file_browser_->SelectFolder(PathToQString(record->Directory()));
}

void TVTLMainWin::OpenShownFolder() { dialogs_.OpenDocument(file_browser_->SelectedFolder()); }

}  // namespace vistrel
