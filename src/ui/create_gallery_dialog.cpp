#include "ui/create_gallery_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "generation/gallery_manifest.h"
#include "generation/remembered_gallery.h"
#include "generation/run_request.h"
#include "generation/run_services.h"
#include "model/color.h"
#include "model/file_naming.h"
#include "support/disk.h"
#include "support/text.h"
#include "ui/dialogs.h"
#include "ui/dir_dialog.h"
#include "ui/fram_empty.h"
#include "ui/gallery_runner.h"
#include "ui/image_preview.h"
#include "ui/location_option.h"
#include "ui/placement.h"
#include "ui/progress_window.h"
#include "ui/runtime_controls.h"
#include "ui/settings.h"
#include "ui/text.h"
#include "ui/variant_group.h"

namespace vistrel {

namespace {

bool Usable(const TVTLSkin& skin) { return skin.Valid && SkinDefaultsProblem(skin).empty(); }

}  // namespace

TfrmCreateGallery::~TfrmCreateGallery() {
  ClearControls();
  // The preview belongs to whoever created it; it is only shown as a window of this dialog.
  if (preview_.parentWidget() == this) preview_.setParent(nullptr, preview_.windowFlags());
}

void TfrmCreateGallery::done(int result) {
  SetCreateGalleryDialogSize(size());
  preview_.hide();
  QDialog::done(result);
}

QString TfrmCreateGallery::FullOutputPath(const QString& typed) const {
  const std::string home = runner_->Files().HomeFolder();
  return PathToQString(ResolveOutputPath(PathFromQString(typed), home, home));
}

void TfrmCreateGallery::SetFileServices(std::unique_ptr<TFileServices> files) {
  runner_->SetFileServices(std::move(files));
}

void TfrmCreateGallery::SetRemembered(std::optional<TGallerySettings> settings) {
  remembered_ = std::move(settings);
  gallery_id_ = remembered_ && !remembered_->id.empty() ? remembered_->id : NewGalleryId();
}

void TfrmCreateGallery::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;  // shown again by the window system: nothing to prepare
  Prepare();
  // Placed once its controls are there and before it appears on the screen: at the size its
  // layout gives it, centred on the main window.
  resize(size().expandedTo(minimumSizeHint()));
  CentreOn(this, parentWidget());
}

bool TfrmCreateGallery::eventFilter(QObject* watched, QEvent* event) {
  if (watched == imgPreview && event->type() == QEvent::MouseButtonPress) {
    imgPreviewClick();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void TfrmCreateGallery::Prepare() {
  QString folder = source_.selected_folder ? source_.selected_folder() : QDir::homePath();
  if (!folder.endsWith('/')) folder += '/';
  edOutputPath->setText(remembered_ && !remembered_->output_folder.empty()
                            ? PathToQString(remembered_->output_folder)
                            : folder + "gallery/");
  skin_list_.Clear();
  skin_list_.ScanFolder(runner_->Files().Disk(), PathFromQString(skins_folder_), *messages_);
  cbSkin->clear();
  for (int i = 0; i < skin_list_.Count(); ++i)
    if (Usable(skin_list_.Item(i))) AddSkinEntry(skin_list_.Item(i));
  cbSkin->setCurrentIndex(cbSkin->count() > 0 ? 0 : -1);
  loaded_skin_index_ = -1;
  btnGoGo->setEnabled(false);
  use_cache_box_->setChecked(!remembered_ || remembered_->use_cache);
  if (remembered_) {
    cbCopyOrigImages->setChecked(remembered_->copy_originals);
    location_option_->SetOmit(remembered_->omit_location);
  }
  const bool remembered_skin = remembered_ && ChooseRememberedSkin();
  ApplySkinChoice();
  if (remembered_skin && loaded_skin_index_ >= 0) ShowRemembered();
}

bool TfrmCreateGallery::ChooseRememberedSkin() {
  const std::string& file = remembered_->skin_file;
  for (int entry = 0; entry < cbSkin->count(); ++entry) {
    const auto* skin = static_cast<const TVTLSkin*>(cbSkin->itemData(entry).value<void*>());
    if (skin->FullPath() != file) continue;
    cbSkin->setCurrentIndex(entry);
    return true;
  }
  // A skin from elsewhere, loaded with "weiteren Skin laden..." when the gallery was made.
  const size_t slash = file.rfind('/');
  if (slash == std::string::npos || !runner_->Files().Disk().IsRegularFile(file)) return false;
  auto loaded = std::make_unique<TVTLSkin>(runner_->Files().Disk(), file.substr(0, slash + 1),
                                           file.substr(slash + 1), *messages_);
  if (!Usable(*loaded)) return false;
  AddLoadedSkin(std::move(loaded));
  return true;
}

void TfrmCreateGallery::ShowRemembered() {
  const TVTLSkin* skin = SelectedSkin();
  if (!skin) return;
  TRunInput input;
  ApplyGallerySettings(*remembered_, *skin, input);
  for (size_t i = 0; i < ValueControls.size() && i < input.values.size(); ++i) {
    if (!ValueControls[i].control) continue;
    try {
      ValueControls[i].control->SetValue(input.values[i]);
    } catch (const EConvertError&) {
      // The control keeps the skin's default.
    }
  }
  for (size_t i = 0; i < VariantGroups.size() && i < input.variants.size(); ++i)
    VariantGroups[i]->SetSetting(input.variants[i]);
  UpdateStart();
}

void TfrmCreateGallery::AddSkinEntry(TVTLSkin& skin) {
  const QString name = ToQString(skin.SkinName);
  // Sorted by the shown name, ignoring letter case.
  int position = 0;
  while (position < cbSkin->count() &&
         cbSkin->itemText(position).compare(name, Qt::CaseInsensitive) <= 0)
    ++position;
  cbSkin->insertItem(position, name, QVariant::fromValue(static_cast<void*>(&skin)));
}

void TfrmCreateGallery::AddLoadedSkin(std::unique_ptr<TVTLSkin> loaded) {
  skin_list_.Add(std::move(loaded));
  TVTLSkin& skin = skin_list_.Item(skin_list_.Count() - 1);
  AddSkinEntry(skin);
  cbSkin->setCurrentIndex(cbSkin->findData(QVariant::fromValue(static_cast<void*>(&skin))));
}

TVTLSkin* TfrmCreateGallery::SelectedSkin() const {
  const int index = cbSkin->currentIndex();
  if (index < 0 || cbSkin->itemText(index) != cbSkin->currentText()) return nullptr;
  return static_cast<TVTLSkin*>(cbSkin->itemData(index).value<void*>());
}

void TfrmCreateGallery::ApplySkinChoice() {
  const int index = cbSkin->currentIndex();
  TVTLSkin* skin = SelectedSkin();
  if (!skin || index == loaded_skin_index_) return;
  if (!skin->Valid) {
    dialogs_.ShowError(
        this, "Der Skin " + ToQString(skin->SkinName) +
                  " konnte nicht geladen werden. Fehlermeldung: " + ToQString(skin->ErrorMessage));
    cbSkin->setCurrentIndex(loaded_skin_index_);
    if (loaded_skin_index_ < 0) cbSkin->setEditText(QString());
    return;
  }
  const std::string defaults_problem = SkinDefaultsProblem(*skin);
  if (!defaults_problem.empty()) {
    ClearControls();
    loaded_skin_index_ = -1;
    UpdateStart();
    dialogs_.ShowError(
        this, "Der Skin " + ToQString(skin->SkinName) +
                  " konnte nicht geladen werden. Fehlermeldung: " + ToQString(defaults_problem));
    return;
  }
  ClearControls();
  edPath->setText(PathToQString(skin->Directory));
  edFilename->setText(PathToQString(skin->FileName));
  // A long path shows from its start, and whole in the tip.
  for (QLineEdit* field : {edPath, edFilename}) {
    field->setCursorPosition(0);
    field->setToolTip(field->text());
  }
  lblAutor->setText(ToQString(skin->Author));
  ShowPreview(*skin);
  try {
    BuildControls(*skin);
    location_option_->Update(*skin, source_.records());
  } catch (const EConvertError& error) {
    // Half a set of controls would pair values with the wrong rows: none stay, and no skin is
    // applied until one is chosen again.
    ClearControls();
    loaded_skin_index_ = -1;
    UpdateStart();
    dialogs_.ShowError(
        this, "Der Skin " + ToQString(skin->SkinName) +
                  " konnte nicht geladen werden. Fehlermeldung: " + ToQString(error.what()));
    return;
  }
  loaded_skin_index_ = index;
  UpdateStart();
}

void TfrmCreateGallery::UpdateStart() {
  const QString problem = loaded_skin_index_ < 0 ? QString() : RangeProblem();
  range_note_->setText(problem);
  range_note_->setVisible(!problem.isEmpty());
  btnGoGo->setEnabled(loaded_skin_index_ >= 0 && problem.isEmpty());
}

QString TfrmCreateGallery::RangeProblem() const {
  // Named by the captions the user sees, never by the skin's internal names.
  for (const TRequiredValue& value : ValueControls) {
    const auto* number = dynamic_cast<const TPanLabeledSpinEdit*>(value.control.get());
    if (number && !number->SpinBox().InRange()) {
      QString caption = number->LabelText().trimmed();
      if (caption.endsWith(':')) caption.chop(1);
      return "Ungültiger Wert für " + caption + "! " + number->SpinBox().toolTip();
    }
  }
  for (const auto& group : VariantGroups) {
    for (const TPanLabeledSpinEdit* control :
         {&group->MaxWidth(), &group->MaxHeight(), &group->Quality()}) {
      if (control->SpinBox().InRange()) continue;
      return "Ungültige Werte für die Bildvariante " + group->title().trimmed() + "! " +
             control->LabelText().trimmed() + " " + control->SpinBox().toolTip();
    }
  }
  return QString();
}

void TfrmCreateGallery::ShowPreview(const TVTLSkin& skin) {
  const std::string path = skin.PreviewPath(runner_->Files().Disk());
  QPixmap picture;
  if (!skin.Preview.empty() && !path.empty()) picture.load(PathToQString(path));
  panPreview->setVisible(!skin.Preview.empty());
  imgPreview->setPixmap(picture.isNull() ? QPixmap()
                                         : picture.scaled(imgPreview->size(), Qt::KeepAspectRatio,
                                                          Qt::SmoothTransformation));
}

void TfrmCreateGallery::ClearControls() {
  ValueControls.clear();
  VariantGroups.clear();
}

void TfrmCreateGallery::BuildControls(const TVTLSkin& skin) {
  for (int i = 0; i < skin.RequiredVars.Count(); ++i) {
    const TVTLValueList& row = skin.RequiredVars.Row(i);
    // A row of a type without a control keeps its default value.
    ValueControls.push_back({row.Value(TRequiredVarsValueList::kVariableName),
                             row.Value(TRequiredVarsValueList::kDefaultValue),
                             MakeValueControl(row, frEmReqVars->Content(), dialogs_)});
    if (auto* number = dynamic_cast<TPanLabeledSpinEdit*>(ValueControls.back().control.get()))
      connect(&number->SpinBox(), &QSpinBox::valueChanged, this, [this] { UpdateStart(); });
    if (ValueControls.back().control)
      frEmReqVars->AddRow(ValueControls.back().control->Widget(), false);
  }
  frEmReqVars->FitContent();
  for (int i = 0; i < skin.ImageModifications.Count(); ++i) {
    VariantGroups.push_back(
        std::make_unique<TVariantGroup>(skin.ImageModifications.Row(i), frEmImgMod->Content()));
    frEmImgMod->AddRow(VariantGroups.back().get(), true);
    for (TPanLabeledSpinEdit* control :
         {&VariantGroups.back()->MaxWidth(), &VariantGroups.back()->MaxHeight(),
          &VariantGroups.back()->Quality()})
      connect(&control->SpinBox(), &QSpinBox::valueChanged, this, [this] { UpdateStart(); });
  }
  frEmImgMod->FitContent();
}

TVTLRuntimeControl* TfrmCreateGallery::ValueControl(const std::string& name) const {
  for (const TRequiredValue& value : ValueControls)
    if (SameTextIgnoreCase(value.name, name)) return value.control.get();
  return nullptr;
}

TVariantGroup* TfrmCreateGallery::VariantGroup(const std::string& name) const {
  for (const auto& group : VariantGroups)
    if (SameTextIgnoreCase(group->Name(), name)) return group.get();
  return nullptr;
}

int TfrmCreateGallery::ValueControlCount() const {
  return static_cast<int>(
      std::count_if(ValueControls.begin(), ValueControls.end(),
                    [](const TRequiredValue& value) { return value.control != nullptr; }));
}

void TfrmCreateGallery::BtnLoadOtherSkinClick() {
  const QString file = dialogs_.GetOpenFileName(this, skins_folder_, "Vistrel-Skin (*.vsk)");
  if (file.isEmpty()) return;
  const QFileInfo info(file);
  const std::string folder = IncludeTrailingPathDelimiter(PathFromQString(info.absolutePath()));
  const std::string name = PathFromQString(info.fileName());
  for (int i = 0; i < skin_list_.Count(); ++i) {
    TVTLSkin& listed = skin_list_.Item(i);
    if (!SameTextIgnoreCase(listed.FullPath(), folder + name)) continue;
    // A skin in the list already is simply chosen; one that is not listed cannot be used, and
    // says why below.
    const int entry = cbSkin->findData(QVariant::fromValue(static_cast<void*>(&listed)));
    if (entry >= 0) {
      cbSkin->setCurrentIndex(entry);
      ApplySkinChoice();
      return;
    }
  }
  auto loaded = std::make_unique<TVTLSkin>(runner_->Files().Disk(), folder, name, *messages_);
  if (!Usable(*loaded)) {
    dialogs_.ShowError(
        this, "Der Skin " + ToQString(loaded->SkinName) +
                  " konnte nicht geladen werden. Fehlermeldung: " +
                  ToQString(loaded->Valid ? SkinDefaultsProblem(*loaded) : loaded->ErrorMessage));
    return;
  }
  AddLoadedSkin(std::move(loaded));
  loaded_skin_index_ = -1;
  ApplySkinChoice();
}

void TfrmCreateGallery::btnSearchOutputPathClick() { (void)ChooseOutputFolder(); }

bool TfrmCreateGallery::ChooseOutputFolder() {
  directory_chooser_.SetDirectoryPath(FullOutputPath(edOutputPath->text()));
  const bool chosen = directory_chooser_.exec() == QDialog::Accepted;
  edOutputPath->setText(directory_chooser_.DirectoryPath());
  return chosen;
}

void TfrmCreateGallery::imgPreviewClick() {
  const TVTLSkin* skin = SelectedSkin();
  if (!skin) return;
  // Only a picture inside the skin's folder.
  const std::string path = skin->PreviewPath(runner_->Files().Disk());
  if (path.empty()) return;
  // A window of this dialog: while the dialog is modal, only its own windows take input.
  if (preview_.parentWidget() != this) preview_.setParent(this, preview_.windowFlags());
  preview_.ShowImage(PathToQString(path));
  if (!preview_.isVisible()) CentreOn(&preview_, this);
  preview_.show();
  preview_.raise();
  preview_.activateWindow();
}

TRunInput TfrmCreateGallery::CollectInput(TVTLSkin* selected, bool applied) {
  TRunInput input;
  input.skin = applied ? selected : nullptr;
  input.records = &source_.records();
  if (applied) {
    for (const TRequiredValue& value : ValueControls)
      input.values.push_back(value.control ? value.control->GetValue() : value.default_value);
    for (const auto& group : VariantGroups) input.variants.push_back(group->Setting());
  }
  input.output_path = PathFromQString(edOutputPath->text());
  input.relative_to = runner_->Files().HomeFolder();
  input.skins_folder = PathFromQString(skins_folder_);
  input.copy_originals = cbCopyOrigImages->isChecked();
  input.omit_location = location_option_->Omit();
  input.empty_output = cbCleanDirectoryBefore->isChecked();
  input.use_cache = use_cache_box_->isChecked();
  input.gallery_id = gallery_id_;
  input.cache_size_limit = CacheSizeBytes(cache_size_box_->value());
  return input;
}

void TfrmCreateGallery::btnGoGoClick() {
  TVTLSkin* selected = SelectedSkin();
  const bool applied = selected && cbSkin->currentIndex() == loaded_skin_index_;
  if (applied && !RangeProblem().isEmpty()) {
    dialogs_.ShowError(this, RangeProblem());
    return;
  }
  // The field shows where the gallery goes, also when a relative path was typed.
  edOutputPath->setText(FullOutputPath(edOutputPath->text()));
  TRunInput input = CollectInput(selected, applied);
  for (;;) {
    const TRequestResult result = BuildRunRequest(input, runner_->Files());
    if (!result.request) {
      const QString reason = ToQString(result.reason);
      dialogs_.ShowError(this, ToQString(result.message) + (reason.isEmpty() ? "" : "\n" + reason));
      return;
    }
    switch (AskAboutOutputFolder(input, result.request->output_folder)) {
      case TFolderAnswer::kUse:
        skin_in_use_ = selected;
        runner_->Run(*result.request);
        return;
      case TFolderAnswer::kAskAgain:
        break;  // the request is checked once more, for the new folder or for emptying it
      case TFolderAnswer::kStop:
        return;
    }
  }
}

TfrmCreateGallery::TFolderAnswer TfrmCreateGallery::AskAboutOutputFolder(
    TRunInput& input, const std::string& folder) {
  // The gallery these settings made is replaced in place, the user's files beside it kept.
  if (!input.empty_output) {
    const std::optional<TGalleryManifest> manifest =
        ReadFolderManifest(runner_->Files().Disk(), folder);
    if (manifest && manifest->id == gallery_id_) {
      if (input.update) return TFolderAnswer::kUse;
      input.update = true;
      return TFolderAnswer::kAskAgain;  // checked once more, as an update
    }
  }
  // A folder that holds anything else would get a second gallery beside the first
  // (index2.html, ...): the user decides.
  const QDir existing(PathToQString(folder));
  if (input.empty_output || !existing.exists() ||
      existing.isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
    return TFolderAnswer::kUse;
  const int answer = dialogs_.Choose(
      this, "Verzeichnis nicht leer",
      "Das Verzeichnis " + PathToQString(folder) +
          " ist nicht leer.\n\nEine neue Galerie darin stünde neben dem, was schon dort liegt "
          "(etwa als index2.html). Soll Vistrel das Verzeichnis vorher leeren? Sein Inhalt "
          "kommt dabei in den Papierkorb.",
      {"Leeren und Galerie erzeugen", "Anderes Verzeichnis wählen...", "Abbrechen"});
  if (answer == 0) {
    input.empty_output = true;
    return TFolderAnswer::kAskAgain;
  }
  if (answer == 1 && ChooseOutputFolder()) {
    input.output_path = PathFromQString(edOutputPath->text());
    return TFolderAnswer::kAskAgain;
  }
  return TFolderAnswer::kStop;
}

}  // namespace vistrel
