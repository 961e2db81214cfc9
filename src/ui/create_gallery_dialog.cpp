#include "ui/create_gallery_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
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
#include "ui/progress_window.h"
#include "ui/runtime_controls.h"
#include "ui/text.h"

namespace vistrel {

namespace {

constexpr int kValueLabelWidth = 250;
constexpr int kValueInputWidth = 260;
constexpr int kVariantLabelWidth = 100;
constexpr int kVariantInputWidth = 50;
constexpr int kVariantLefts[] = {4, 174, 344};

}  // namespace

TfrmCreateGallery::TfrmCreateGallery(TDialogs& dialogs, TfrmProgress& progress,
                                     TfrmImgPreview& preview, TfrmDirDlg& directory_chooser,
                                     QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
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
      btnGoGo(new QPushButton("Start!", this)),
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
  required_layout->addWidget(frEmReqVars);
  auto* variants = new QGroupBox("Bildverarbeitung ", this);
  auto* variants_layout = new QVBoxLayout(variants);
  variants_layout->addWidget(cbCopyOrigImages);
  variants_layout->addWidget(frEmImgMod, 1);

  auto* bottom = new QHBoxLayout;
  bottom->addStretch();
  bottom->addWidget(btnGoGo);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(middle);
  layout->addWidget(new QLabel("Ausgabepfad der Galerie:", this));
  layout->addLayout(output);
  layout->addWidget(cbCleanDirectoryBefore);
  layout->addWidget(required, 1);
  layout->addWidget(variants, 1);
  layout->addLayout(bottom);
  resize(QSize(572, 554).expandedTo(sizeHint()));
}

TfrmCreateGallery::~TfrmCreateGallery() { ClearControls(); }

void TfrmCreateGallery::SetFileServices(std::unique_ptr<TFileServices> files) {
  files_ = std::move(files);
}

void TfrmCreateGallery::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Prepare();
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

  top = 0;
  for (int i = 0; i < skin.ImageModifications.Count(); ++i) {
    const TVTLValueList& row = skin.ImageModifications.Row(i);
    auto* group =
        new QGroupBox(ToQString(row.Value(TImageModificationValueList::kDescription)) + " ",
                      frEmImgMod->Content());
    VariantGroups.push_back(group);
    const int title_height = group->fontMetrics().height();
    const struct {
      const char* label;
      std::string value;
      int minimum, maximum;
    } fields[] = {
        {"Maximale Breite: ", row.Value(TImageModificationValueList::kDefaultMaxWidth), 1,
         kMaxNumberValue},
        {"Maximale Höhe: ", row.Value(TImageModificationValueList::kDefaultMaxHeight), 1,
         kMaxNumberValue},
        {"JPG-Qualität (0-100): ", std::to_string(kDefaultJpegQuality), 0, 100},
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
    group->setGeometry(4, top, std::max(frEmImgMod->InnerWidth() - 8, right + 8), height + 1 + 8);
    group->show();
    top = group->geometry().bottom() + 1 + 4;
  }
  frEmImgMod->FitContent();
  // The dialog keeps its size unless the controls need more.
  resize(size().expandedTo(sizeHint()));
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

void TfrmCreateGallery::btnSearchOutputPathClick() {
  directory_chooser_.DirectoryPath = edOutputPath->text();
  directory_chooser_.exec();
  edOutputPath->setText(directory_chooser_.DirectoryPath);
}

void TfrmCreateGallery::imgPreviewClick() {
  const TVTLSkin* skin = SelectedSkin();
  if (!skin) return;
  const std::string path = skin->PreviewPath();  // only a picture inside the skin's folder
  if (path.empty()) return;
  preview_.show();
  preview_.ShowImage(PathToQString(path));
}

void TfrmCreateGallery::btnGoGoClick() {
  TVTLSkin* selected = SelectedSkin();
  const bool applied = selected && cbSkin->currentIndex() == LoadedSkinIndex;
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
  input.relative_to = PathFromQString(QDir::homePath());
  input.skins_folder = PathFromQString(SkinsFolder);
  input.copy_originals = cbCopyOrigImages->isChecked();
  input.empty_output = cbCleanDirectoryBefore->isChecked();
  const TRequestResult result = BuildRunRequest(input, *files_);
  if (!result.request) {
    QGuiApplication::restoreOverrideCursor();
    dialogs_.ShowError(this,
                       ToQString(result.message) +
                           (result.reason.empty() ? QString() : "\n" + ToQString(result.reason)));
    return;
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
