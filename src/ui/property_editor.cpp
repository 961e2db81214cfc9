#include "ui/property_editor.h"

#include <QHBoxLayout>
#include <QImage>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "imaging/image_operations.h"
#include "ui/dialogs.h"
#include "ui/property_list_model.h"
#include "ui/text.h"

namespace vistrel {

namespace {

constexpr int kPreviewWidth = 121;
constexpr int kPreviewHeight = 105;

QPixmap BlankPreview() {
  QPixmap blank(kPreviewWidth, kPreviewHeight);
  blank.fill(Qt::white);
  return blank;
}

}  // namespace

TPropertyEditor::TPropertyEditor(TDialogs& dialogs, QWidget* parent)
    : QGroupBox("Bildeigenschaften ", parent),
      imgPreview(new QLabel),
      lbDetails(new QListView),
      edDetailEdit(new QLineEdit),
      btnNeueEigenschaft(new QPushButton("neue Eigenschaft")),
      rename_button_(new QPushButton("Eigenschaft umbenennen")),
      remove_button_(new QPushButton("Eigenschaft entfernen")),
      dialogs_(dialogs),
      properties_(new TPropertyListModel(this)) {
  setObjectName("gbRecord");
  imgPreview->setObjectName("imgPreview");
  imgPreview->setFixedSize(kPreviewWidth, kPreviewHeight);
  imgPreview->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  imgPreview->setPixmap(BlankPreview());
  lbDetails->setObjectName("lbDetails");
  lbDetails->setModel(properties_);
  lbDetails->setSelectionMode(QAbstractItemView::SingleSelection);
  lbDetails->setEditTriggers(QAbstractItemView::NoEditTriggers);
  edDetailEdit->setObjectName("edDetailEdit");
  btnNeueEigenschaft->setObjectName("btnNeueEigenschaft");
  rename_button_->setObjectName("renamePropertyButton");
  remove_button_->setObjectName("removePropertyButton");
  connect(lbDetails->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { DetailClicked(); });
  connect(edDetailEdit, &QLineEdit::textEdited, this,
          [this](const QString& text) { DetailEdited(text); });
  connect(btnNeueEigenschaft, &QPushButton::clicked, this, [this] { btnNeueEigenschaftClick(); });
  connect(rename_button_, &QPushButton::clicked, this, [this] { RenameProperty(); });
  connect(remove_button_, &QPushButton::clicked, this, [this] { RemoveProperty(); });
  CreateLayout();
  hide();
}

void TPropertyEditor::CreateLayout() {
  auto* details = new QVBoxLayout;
  details->addWidget(lbDetails);
  details->addWidget(edDetailEdit);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(btnNeueEigenschaft);
  buttons->addWidget(rename_button_);
  buttons->addWidget(remove_button_);
  buttons->addStretch();
  auto* box = new QHBoxLayout(this);
  box->addWidget(imgPreview, 0, Qt::AlignTop);
  box->addLayout(details, 1);
  box->addLayout(buttons);
  lbDetails->setMinimumHeight(40);
  // As high as the preview or the buttons need, and at least 145 pixels.
  const QMargins margins = box->contentsMargins();
  const int buttons_height = 3 * btnNeueEigenschaft->sizeHint().height() + 2 * buttons->spacing();
  setFixedHeight(std::max(145, std::max(kPreviewHeight, buttons_height) + margins.top() +
                                   margins.bottom() + fontMetrics().height() + 8));
}

void TPropertyEditor::SetList(TVTLRecordList* list) {
  list_ = list;
  ShowRecord(nullptr, {});
}

void TPropertyEditor::SetOnChanged(TChanged on_changed) { on_changed_ = std::move(on_changed); }

void TPropertyEditor::SetOnAboutToChange(TAboutToChange about_to_change) {
  on_about_to_change_ = std::move(about_to_change);
}

TVTLRecord* TPropertyEditor::CurrentRecord() const { return properties_->Shown(); }

void TPropertyEditor::ShowRecord(TVTLRecord* shown, std::vector<TVTLRecord*> selected) {
  properties_->Show(shown, std::move(selected));
  current_detail_index_ = -1;
  if (shown) ShowPreview();
  ShowRecordDetails();
}

void TPropertyEditor::ShowPreview() {
  QImage image(kPreviewWidth, kPreviewHeight, QImage::Format_RGB32);
  image.fill(Qt::white);
  if (const TVTLRecord* record = CurrentRecord()) {
    const QImage picture =
        ToQImage(RenderPreviewBitmap(record->FullPath(), kPreviewWidth, kPreviewHeight));
    if (!picture.isNull()) {
      QPainter painter(&image);
      painter.drawImage(0, 0, picture);  // unscaled, at the top left corner
    }
  }
  imgPreview->setPixmap(QPixmap::fromImage(image));
}

void TPropertyEditor::ShowRecordDetails() {
  properties_->Refresh();  // no line selected: the selection goes without a signal
  current_detail_index_ = -1;
  edDetailEdit->hide();
  edDetailEdit->clear();
  if (!CurrentRecord()) {
    hide();
    UpdateButtons();
    return;
  }
  const size_t selected = properties_->Selected().size();
  setTitle(selected > 1 ? "Bildeigenschaften (" + QString::number(selected) + " Bilder markiert) "
                        : QString("Bildeigenschaften "));
  show();
  UpdateButtons();
}

void TPropertyEditor::DetailClicked() {
  const QModelIndexList selected = lbDetails->selectionModel()->selectedIndexes();
  current_detail_index_ = selected.isEmpty() ? -1 : selected.first().row();
  edDetailEdit->setVisible(current_detail_index_ >= 0);
  if (current_detail_index_ >= 0) {
    std::string value;
    const bool common = properties_->CommonValue(current_detail_index_, value);
    edDetailEdit->setText(common ? ToQString(value) : QString());
    edDetailEdit->setPlaceholderText(
        common ? QString() : "verschiedene Werte – was Sie eingeben, gilt für alle markierten");
    edDetailEdit->setFocus();
  }
  UpdateButtons();
}

void TPropertyEditor::DetailEdited(const QString& text) {
  if (current_detail_index_ < 0 || !CurrentRecord()) return;
  AboutToChange("Wert von " + ToQString(properties_->Name(current_detail_index_)), true);
  properties_->SetValue(current_detail_index_, FromQString(text));
  Changed();
}

void TPropertyEditor::btnNeueEigenschaftClick() {
  if (!list_) return;
  QString name;
  if (!dialogs_.GetText(this, "Neue Eigenschaft", "Bitte Namen für neue Eigenschaft eingeben!",
                        name) ||
      name.isEmpty())
    return;
  // Two properties of one name could never be told apart (in templates neither). A property
  // that was taken from the selected images alone is given back to them.
  if (list_->PropertyIndex(FromQString(name)) >= 0) {
    const std::vector<TVTLRecord*>& selected = properties_->Selected();
    if (std::none_of(selected.begin(), selected.end(), [&](const TVTLRecord* record) {
          return !record->HasDetail(FromQString(name));
        })) {
      dialogs_.ShowError(this, "Eine Eigenschaft " + name + " gibt es bereits!");
      return;
    }
    AboutToChange("Eigenschaft " + name + " hinzufügen");
    for (TVTLRecord* record : selected) record->SetHasDetail(FromQString(name), true);
    Changed();
    ShowRecordDetails();
    return;
  }
  AboutToChange("Eigenschaft " + name + " hinzufügen");
  list_->AddProperty(FromQString(name));
  Changed();
  ShowRecordDetails();
}

QString TPropertyEditor::OnlySelectedText() const {
  return properties_->Selected().size() > 1 ? "nur bei den markierten Bildern"
                                            : "nur bei diesem Bild";
}

void TPropertyEditor::RenameProperty() {
  if (!list_ || !CurrentRecord() || current_detail_index_ < 0) return;
  const std::string old_name = properties_->Name(current_detail_index_);
  const QString shown = ToQString(old_name);
  bool all = true;
  if (list_->Count() > 1) {
    const int scope =
        dialogs_.Choose(this, "Eigenschaft umbenennen", "Die Eigenschaft " + shown + " umbenennen:",
                        {OnlySelectedText(), "bei allen Bildern", "Abbrechen"});
    if (scope == 2) return;
    all = scope == 1;
  }
  QString entered = shown;
  if (!dialogs_.GetText(this, "Eigenschaft umbenennen",
                        "Neuer Name für die Eigenschaft " + shown + ":", entered) ||
      entered.isEmpty() || entered == shown)
    return;
  const std::string new_name = FromQString(entered);
  const TVTLRecord* blocking = nullptr;
  AboutToChange("Eigenschaft " + shown + " umbenennen");
  // For the selected images the values move to the property of the new name, which only they
  // get when it is new; a value there is never overwritten.
  if (all ? !list_->RenameProperty(old_name, new_name)
          : !list_->MovePropertyValues(properties_->Selected(), old_name, new_name, blocking)) {
    dialogs_.ShowError(this, blocking ? "Die Eigenschaft " + entered + " hat bei " +
                                            ToQString(blocking->FileName()) +
                                            " schon einen Wert. Es wurde nichts umbenannt."
                                      : "Eine Eigenschaft " + entered + " gibt es bereits!");
    return;
  }
  Changed();
  ShowRecordDetails();
}

void TPropertyEditor::RemoveProperty() {
  if (!list_ || !CurrentRecord() || current_detail_index_ < 0) return;
  const std::string name = properties_->Name(current_detail_index_);
  const int scope =
      dialogs_.Choose(this, "Eigenschaft entfernen",
                      "Die Eigenschaft " + ToQString(name) + " mit ihrem Wert entfernen:",
                      {OnlySelectedText(), "bei allen Bildern", "Abbrechen"});
  if (scope == 2) return;
  AboutToChange("Eigenschaft " + ToQString(name) + " entfernen");
  if (scope == 1) {
    (void)list_->RemoveProperty(name);
  } else {
    // The other images keep the property; these no longer have it.
    (void)list_->RemovePropertyFrom(properties_->Selected(), name);
  }
  Changed();
  ShowRecordDetails();
}

void TPropertyEditor::AboutToChange(const QString& what, bool typing) {
  if (on_about_to_change_) on_about_to_change_(what, typing);
}

void TPropertyEditor::Changed() {
  if (on_changed_) on_changed_();
}

void TPropertyEditor::UpdateButtons() {
  const bool line = CurrentRecord() && current_detail_index_ >= 0;
  rename_button_->setEnabled(line);
  remove_button_->setEnabled(line);
}

}  // namespace vistrel
