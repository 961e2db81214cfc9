#include "ui/create_gallery_dialog.h"

#include <QCheckBox>
#include <QComboBox>
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

#include "generation/run_request.h"
#include "generation/run_services.h"
#include "generation/vistrel.h"
#include "imaging/image_operations.h"
#include "model/color.h"
#include "model/file_naming.h"
#include "support/cancel_flag.h"
#include "support/text.h"
#include "ui/dialogs.h"
#include "ui/dir_dialog.h"
#include "ui/image_preview.h"
#include "ui/placement.h"
#include "ui/progress_window.h"
#include "ui/runtime_controls.h"
#include "ui/settings.h"
#include "ui/text.h"

namespace vistrel {

namespace {

constexpr int kValueLabelWidth = 250;
constexpr int kValueInputWidth = 260;
constexpr int kVariantLabelWidth = 100;
constexpr int kVariantInputWidth = 50;
constexpr int kVariantLefts[] = {4, 174, 344};
// The size the dialog opens with until the user gives it another; it fits a screen of
// 1366 x 768 pixels with its frame and the desktop's panel.
constexpr QSize kDefaultSize(660, 680);

}  // namespace

TfrmCreateGallery::TfrmCreateGallery(TDialogs& dialogs, TfrmProgress& progress,
                                     TfrmImgPreview& preview, TfrmDirDlg& directory_chooser,
                                     QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      cbSkin(new QComboBox(this)),
      BtnLoadOtherSkin(new QPushButton("weiteren Skin laden...", this)),
      edPath(new QLineEdit(this)),
      edFilename(new QLineEdit(this)),
      lblAutor(new QLabel(this)),
      panPreview(new QWidget(this)),
      imgPreview(new QLabel(panPreview)),
      edOutputPath(new QLineEdit(this)),
      btnSearchOutputPath(new QPushButton("Durchsuchen...", this)),
      cbCleanDirectoryBefore(new QCheckBox("Verzeichnis vor Galerieerzeugung leeren", this)),
      frEmReqVars(new TframEmpty(this)),
      cbCopyOrigImages(new QCheckBox("Originale der Bilddateien kopieren", this)),
      frEmImgMod(new TframEmpty(this)),
      cbUseCache(new QCheckBox("Zwischenspeicher für verkleinerte Bilder verwenden", this)),
      sbCacheSize(new QSpinBox(this)),
      btnGoGo(new QPushButton("Start!", this)),
      btnCancel(new QPushButton("Abbrechen", this)),
      dialogs_(dialogs),
      progress_(progress),
      preview_(preview),
      directory_chooser_(directory_chooser),
      messages_(std::make_unique<TDialogMessages>(dialogs, this)),
      images_(std::make_unique<TVipsImageProcessor>()),
      files_(std::make_unique<TSystemFiles>()) {
  setWindowTitle("Galerie erzeugen");
  cbSkin->setEditable(true);
  cbSkin->setInsertPolicy(QComboBox::NoInsert);
  cbSkin->setMinimumContentsLength(24);
  connect(cbSkin, &QComboBox::activated, this, [this](int) { ApplySkinChoice(); });
  connect(BtnLoadOtherSkin, &QPushButton::clicked, this, [this] { BtnLoadOtherSkinClick(); });
  connect(btnSearchOutputPath, &QPushButton::clicked, this, [this] { btnSearchOutputPathClick(); });
  connect(btnGoGo, &QPushButton::clicked, this, [this] { btnGoGoClick(); });
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  // The field shows the full path as soon as the user leaves it.
  connect(edOutputPath, &QLineEdit::editingFinished, this, [this] {
    const QString full = FullOutputPath(edOutputPath->text());
    if (!full.isEmpty() && full != edOutputPath->text()) edOutputPath->setText(full);
  });

  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel("Galeriestil auswählen:", this));
  top->addWidget(cbSkin, 1);
  top->addWidget(BtnLoadOtherSkin);

  auto* skin_data = new QGroupBox("Skindaten ", this);
  for (QLineEdit* field : {edPath, edFilename}) {
    field->setReadOnly(true);
    field->setFrame(false);
    field->setStyleSheet("background: transparent;");
  }
  auto* data = new QGridLayout(skin_data);
  data->addWidget(new QLabel("Pfad:", skin_data), 0, 0);
  data->addWidget(edPath, 0, 1);
  data->addWidget(new QLabel("Dateiname:", skin_data), 1, 0);
  data->addWidget(edFilename, 1, 1);
  data->addWidget(new QLabel("Autor:", skin_data), 2, 0);
  data->addWidget(lblAutor, 2, 1);
  data->setRowStretch(3, 1);

  imgPreview->setFixedSize(193, 137);
  imgPreview->setAlignment(Qt::AlignCenter);
  imgPreview->setCursor(Qt::PointingHandCursor);
  imgPreview->installEventFilter(this);
  auto* preview_layout = new QVBoxLayout(panPreview);
  preview_layout->setContentsMargins(0, 0, 0, 0);
  preview_layout->addWidget(imgPreview);
  auto* caption = new QLabel("größere Ansicht bei Klick auf das Bild", panPreview);
  QFont small = caption->font();
  small.setPointSizeF(small.pointSizeF() * 0.85);
  caption->setFont(small);
  preview_layout->addWidget(caption, 0, Qt::AlignHCenter);

  auto* middle = new QHBoxLayout;
  middle->addWidget(skin_data, 1);
  middle->addWidget(panPreview);

  auto* output = new QHBoxLayout;
  output->addWidget(edOutputPath, 1);
  output->addWidget(btnSearchOutputPath);

  auto* required = new QGroupBox("Für die Galerie benötigte Werte ", this);
  auto* required_layout = new QVBoxLayout(required);
  required_layout->setSizeConstraint(QLayout::SetMinAndMaxSize);  // no taller than its values
  required_layout->addWidget(frEmReqVars);
  // The variant cache keeps the copies of earlier runs, so a second run of the same photos
  // only writes what changed. Turning it off is for one run (Prepare() turns it on again); its
  // size is a setting.
  cbUseCache->setChecked(true);
  sbCacheSize->setRange(kMinCacheSizeMb, kMaxCacheSizeMb);
  sbCacheSize->setSingleStep(100);
  sbCacheSize->setValue(CacheSizeMb());
  connect(cbUseCache, &QCheckBox::toggled, sbCacheSize, &QSpinBox::setEnabled);
  connect(sbCacheSize, &QSpinBox::valueChanged, this,
          [](int megabytes) { SetCacheSizeMb(megabytes); });
  auto* cache_size_label = new QLabel("Größe des Zwischenspeichers (MB):", this);
  cache_size_label->setBuddy(sbCacheSize);
  auto* cache = new QHBoxLayout;
  cache->addWidget(cbUseCache);
  cache->addStretch();
  cache->addWidget(cache_size_label);
  cache->addWidget(sbCacheSize);

  auto* variants = new QGroupBox("Bildverarbeitung ", this);
  auto* variants_layout = new QVBoxLayout(variants);
  variants_layout->setSizeConstraint(QLayout::SetMinAndMaxSize);
  variants_layout->addWidget(cbCopyOrigImages);
  variants_layout->addLayout(cache);
  variants_layout->addWidget(frEmImgMod, 1);

  // Enter starts, whichever control has the focus.
  btnGoGo->setDefault(true);
  for (QPushButton* button : {btnCancel, BtnLoadOtherSkin, btnSearchOutputPath})
    button->setAutoDefault(false);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch();
  bottom->addWidget(btnGoGo);
  bottom->addWidget(btnCancel);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(middle);
  layout->addWidget(new QLabel("Ausgabepfad der Galerie:", this));
  layout->addLayout(output);
  layout->addWidget(cbCleanDirectoryBefore);
  layout->addWidget(required, 1);
  layout->addWidget(variants, 1);
  layout->addStretch();  // what neither area needs
  layout->addLayout(bottom);
  const QSize kept = CreateGalleryDialogSize();
  resize(kept.isValid() ? kept : kDefaultSize);
}

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
  const std::string home = files_->HomeFolder();
  return PathToQString(ResolveOutputPath(PathFromQString(typed), home, home));
}

void TfrmCreateGallery::SetFileServices(std::unique_ptr<TFileServices> files) {
  files_ = std::move(files);
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
  edOutputPath->setText(folder + "gallery/");
  SkinList.Clear();
  SkinList.ScanFolder(PathFromQString(SkinsFolder), *messages_);
  cbSkin->clear();
  for (int i = 0; i < SkinList.Count(); ++i) AddSkinEntry(SkinList.Item(i));
  cbSkin->setCurrentIndex(cbSkin->count() > 0 ? 0 : -1);
  LoadedSkinIndex = -1;
  btnGoGo->setEnabled(false);
  cbUseCache->setChecked(true);
  ApplySkinChoice();
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

TVTLSkin* TfrmCreateGallery::SelectedSkin() const {
  const int index = cbSkin->currentIndex();
  if (index < 0 || cbSkin->itemText(index) != cbSkin->currentText()) return nullptr;
  return static_cast<TVTLSkin*>(cbSkin->itemData(index).value<void*>());
}

void TfrmCreateGallery::ApplySkinChoice() {
  const int index = cbSkin->currentIndex();
  TVTLSkin* skin = SelectedSkin();
  if (!skin || index == LoadedSkinIndex) return;
  if (!skin->Valid) {
    dialogs_.ShowError(
        this, "Der Skin " + ToQString(skin->SkinName) +
                  " konnte nicht geladen werden. Fehlermeldung: " + ToQString(skin->ErrorMessage));
    cbSkin->setCurrentIndex(LoadedSkinIndex);
    if (LoadedSkinIndex < 0) cbSkin->setEditText(QString());
    return;
  }
  ClearControls();
  edPath->setText(PathToQString(skin->Directory));
  edFilename->setText(PathToQString(skin->FileName));
  lblAutor->setText(ToQString(skin->Author));
  ShowPreview(*skin);
  try {
    BuildControls(*skin);
  } catch (const EConvertError& error) {
    // Half a set of controls would pair values with the wrong rows: none stay, and no skin is
    // applied until one is chosen again.
    ClearControls();
    LoadedSkinIndex = -1;
    btnGoGo->setEnabled(false);
    dialogs_.ShowError(
        this, "Der Skin " + ToQString(skin->SkinName) +
                  " konnte nicht geladen werden. Fehlermeldung: " + ToQString(error.what()));
    return;
  }
  LoadedSkinIndex = index;
  btnGoGo->setEnabled(true);
}

void TfrmCreateGallery::ShowPreview(const TVTLSkin& skin) {
  const std::string path = skin.PreviewPath();
  QPixmap picture;
  if (!skin.Preview.empty() && !path.empty()) picture.load(PathToQString(path));
  panPreview->setVisible(!skin.Preview.empty());
  imgPreview->setPixmap(picture.isNull() ? QPixmap()
                                         : picture.scaled(imgPreview->size(), Qt::KeepAspectRatio,
                                                          Qt::SmoothTransformation));
}

void TfrmCreateGallery::ClearControls() {
  ValueControls.clear();  // controls first: their panels sit in the group boxes
  for (QGroupBox* group : VariantGroups) delete group;
  VariantGroups.clear();
  RequiredValueCount = 0;
}

void TfrmCreateGallery::BuildControls(const TVTLSkin& skin) {
  int top = 0;
  for (int i = 0; i < skin.RequiredVars.Count(); ++i) {
    const TVTLValueList& row = skin.RequiredVars.Row(i);
    const std::string default_value = row.Value(TRequiredVarsValueList::kDefaultValue);
    QWidget* area = frEmReqVars->Content();
    std::unique_ptr<TVTLRuntimeControl> control;
    switch (ValueTypeOf(row.Value(TRequiredVarsValueList::kType))) {
      case TValueType::kText: {
        auto edit = std::make_unique<TPanLabeledEdit>(area, kValueLabelWidth, kValueInputWidth);
        edit->Edit->setText(ToQString(default_value));
        control = std::move(edit);
        break;
      }
      case TValueType::kColor: {
        auto color = std::make_unique<TPanColorSelector>(area, kValueLabelWidth, kValueInputWidth);
        color->ColorDialog = &dialogs_;
        color->SetColorText(default_value);
        control = std::move(color);
        break;
      }
      case TValueType::kNumber: {
        auto number =
            std::make_unique<TPanLabeledSpinEdit>(area, kValueLabelWidth, kValueInputWidth);
        number->SpinEdit->SetRange(0, kMaxNumberValue);
        number->FitInputTo(QString::number(kMaxNumberValue));
        number->SpinEdit->SetValue(std::stoi(NormalizeValue(TValueType::kNumber, default_value)));
        control = std::move(number);
        break;
      }
      case TValueType::kOther:
        // No control: the row keeps its default value, and the rows after it keep theirs.
        continue;
    }
    control->SetLabelText(ToQString(row.Value(TRequiredVarsValueList::kDescription)) + ":");
    control->Panel->move(4, top);
    top = control->Panel->geometry().bottom() + 1 + 4;
    ValueControls.push_back(std::move(control));
  }
  RequiredValueCount = static_cast<int>(ValueControls.size());
  frEmReqVars->FitContent();

  // The boxes take only sizes a run accepts.
  constexpr int kMaxSide = static_cast<int>(kMaxVariantSide);
  top = 0;
  for (int i = 0; i < skin.ImageModifications.Count(); ++i) {
    const TVTLValueList& row = skin.ImageModifications.Row(i);
    auto* group =
        new QGroupBox(ToQString(row.Value(TImageModificationValueList::kDescription)) + " ",
                      frEmImgMod->Content());
    VariantGroups.push_back(group);
    const int title_height = group->fontMetrics().height();
    const TVariantSetting defaults = DefaultVariantSetting(row);
    const struct {
      const char* label;
      const std::string& value;
      int minimum, maximum;
    } fields[] = {
        {"Maximale Breite: ", defaults.max_width, 1, kMaxSide},
        {"Maximale Höhe: ", defaults.max_height, 1, kMaxSide},
        {"JPG-Qualität (0-100): ", defaults.quality, kMinJpegQuality, kMaxJpegQuality},
    };
    int right = 0;
    int height = 0;
    for (int f = 0; f < 3; ++f) {
      auto number =
          std::make_unique<TPanLabeledSpinEdit>(group, kVariantLabelWidth, kVariantInputWidth);
      // The value first, then the range: a default outside the range shows as it is.
      const std::optional<int32_t> value = ParseInt32(Trim(fields[f].value));
      if (!value) throw EConvertError("\"" + fields[f].value + "\" ist keine gültige Zahl!");
      number->SpinEdit->SetValue(*value);
      number->SpinEdit->SetRange(fields[f].minimum, fields[f].maximum);
      number->FitInputTo(QString::number(fields[f].maximum));
      number->SetLabelText(fields[f].label);
      number->Panel->move(std::max(kVariantLefts[f], right + 8), std::max(10, title_height + 4));
      right = number->Panel->geometry().right();
      height = number->Panel->geometry().bottom();
      ValueControls.push_back(std::move(number));
    }
    group->setGeometry(4, top, right + 8, height + 1 + 8);
    frEmImgMod->Stretch(group, right + 8);
    group->show();
    top = group->geometry().bottom() + 1 + 4;
  }
  frEmImgMod->FitContent();
}

void TfrmCreateGallery::BtnLoadOtherSkinClick() {
  const QString file = dialogs_.GetOpenFileName(this, SkinsFolder, "Vistrel-Skin (*.vsk)");
  if (file.isEmpty()) return;
  const QFileInfo info(file);
  const std::string folder = IncludeTrailingPathDelimiter(PathFromQString(info.absolutePath()));
  const std::string name = PathFromQString(info.fileName());
  for (int i = 0; i < SkinList.Count(); ++i) {
    if (SameTextIgnoreCase(SkinList.Item(i).FullPath(), folder + name)) {
      dialogs_.ShowWarning(this, "Der gewählte Skin wurde bereits geladen!");
      return;
    }
  }
  SkinList.Add(std::make_unique<TVTLSkin>(folder, name, *messages_));
  TVTLSkin& skin = SkinList.Item(SkinList.Count() - 1);
  AddSkinEntry(skin);
  cbSkin->setCurrentIndex(cbSkin->findData(QVariant::fromValue(static_cast<void*>(&skin))));
  LoadedSkinIndex = -1;
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
  const std::string path = skin->PreviewPath();  // only a picture inside the skin's folder
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
    // One value per required-value row: its control's, or the default for a row without one.
    size_t control = 0;
    for (int i = 0; i < selected->RequiredVars.Count(); ++i) {
      const TVTLValueList& row = selected->RequiredVars.Row(i);
      if (ValueTypeOf(row.Value(TRequiredVarsValueList::kType)) == TValueType::kOther)
        input.values.push_back(row.Value(TRequiredVarsValueList::kDefaultValue));
      else
        input.values.push_back(ValueControls[control++]->GetValue());
    }
    for (int i = 0; i < selected->ImageModifications.Count(); ++i) {
      const size_t first = static_cast<size_t>(RequiredValueCount + 3 * i);
      input.variants.push_back({ValueControls[first]->GetValue(),
                                ValueControls[first + 1]->GetValue(),
                                ValueControls[first + 2]->GetValue()});
    }
  }
  input.output_path = PathFromQString(edOutputPath->text());
  input.relative_to = files_->HomeFolder();
  input.skins_folder = PathFromQString(SkinsFolder);
  input.copy_originals = cbCopyOrigImages->isChecked();
  input.empty_output = cbCleanDirectoryBefore->isChecked();
  input.use_cache = cbUseCache->isChecked();
  input.cache_size_limit = CacheSizeBytes(sbCacheSize->value());
  return input;
}

void TfrmCreateGallery::btnGoGoClick() {
  TVTLSkin* selected = SelectedSkin();
  const bool applied = selected && cbSkin->currentIndex() == LoadedSkinIndex;
  // The field shows where the gallery goes, also when a relative path was typed.
  edOutputPath->setText(FullOutputPath(edOutputPath->text()));
  TRunInput input = CollectInput(selected, applied);
  TRequestResult result;
  for (;;) {
    result = BuildRunRequest(input, *files_);
    if (!result.request) {
      const QString reason = ToQString(result.reason);
      dialogs_.ShowError(this, ToQString(result.message) + (reason.isEmpty() ? "" : "\n" + reason));
      return;
    }
    // A folder that holds anything already would get a second gallery beside the first
    // (index2.html, ...): the user decides.
    const QDir folder(PathToQString(result.request->output_folder));
    if (input.empty_output || !folder.exists() ||
        folder.isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
      break;
    const int answer = dialogs_.Choose(
        this, "Verzeichnis nicht leer",
        "Das Verzeichnis " + PathToQString(result.request->output_folder) +
            " ist nicht leer.\n\nEine neue Galerie darin stünde neben dem, was schon dort liegt "
            "(etwa als index2.html). Soll Vistrel das Verzeichnis vorher leeren? Sein Inhalt "
            "kommt dabei in den Papierkorb.",
        {"Leeren und Galerie erzeugen", "Anderes Verzeichnis wählen...", "Abbrechen"});
    if (answer == 0) {
      input.empty_output = true;  // the request checks once more that it may be emptied
    } else if (answer == 1) {
      if (!ChooseOutputFolder()) return;
      input.output_path = PathFromQString(edOutputPath->text());
    } else {
      return;
    }
  }
  SkinInUse = selected;
  cancel_ = std::make_unique<TCancelFlag>();
  gallery_ = std::make_unique<TVistrel>(
      *result.request, TRunServices{*images_, *files_, *messages_, progress_.Reporter(), *cancel_});
  progress_.SetRun(gallery_.get(), cancel_.get());
  progress_.exec();
  progress_.SetRun(nullptr, nullptr);
  gallery_.reset();
  cancel_.reset();
}

}  // namespace vistrel
