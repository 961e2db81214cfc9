// The create-gallery dialog's form: its controls, laid out from top to bottom in the order the
// user fills them in (skin, output folder, the skin's values, the image processing, start).
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "csv/gallery_settings_file.h"
#include "ui/create_gallery_dialog.h"
#include "ui/dialogs.h"
#include "ui/fram_empty.h"
#include "ui/gallery_runner.h"
#include "ui/location_option.h"
#include "ui/runtime_controls.h"
#include "ui/settings.h"
#include "ui/variant_group.h"

namespace vistrel {

namespace {

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
      location_option_(new TLocationOption(this)),
      frEmImgMod(new TframEmpty(this)),
      use_cache_box_(new QCheckBox("Zwischenspeicher für verkleinerte Bilder verwenden", this)),
      cache_size_box_(new QSpinBox(this)),
      range_note_(new QLabel(this)),
      btnGoGo(new QPushButton("Start!", this)),
      cancel_button_(new QPushButton("Abbrechen", this)),
      dialogs_(dialogs),
      progress_(progress),
      preview_(preview),
      directory_chooser_(directory_chooser),
      messages_(std::make_unique<TDialogMessages>(dialogs, this)),
      runner_(std::make_unique<TGalleryRunner>(dialogs, progress, this)),
      gallery_id_(NewGalleryId()) {
  setWindowTitle("Galerie erzeugen");
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(CreateSkinChoice());
  layout->addLayout(CreateSkinData());
  layout->addWidget(new QLabel("Ausgabepfad der Galerie:", this));
  layout->addLayout(CreateOutputPath());
  layout->addWidget(cbCleanDirectoryBefore);
  layout->addWidget(CreateRequiredValues(), 1);
  layout->addWidget(CreateImageProcessing(), 1);
  layout->addStretch();  // what neither area needs
  layout->addLayout(CreateButtons());
  const QSize kept = CreateGalleryDialogSize();
  resize(kept.isValid() ? kept : kDefaultSize);
}

QLayout* TfrmCreateGallery::CreateSkinChoice() {
  cbSkin->setObjectName("cbSkin");
  cbSkin->setEditable(true);
  cbSkin->setInsertPolicy(QComboBox::NoInsert);
  cbSkin->setMinimumContentsLength(24);
  connect(cbSkin, &QComboBox::activated, this, [this](int) { ApplySkinChoice(); });
  BtnLoadOtherSkin->setObjectName("BtnLoadOtherSkin");
  connect(BtnLoadOtherSkin, &QPushButton::clicked, this, [this] { BtnLoadOtherSkinClick(); });
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel("Galeriestil auswählen:", this));
  row->addWidget(cbSkin, 1);
  row->addWidget(BtnLoadOtherSkin);
  return row;
}

QLayout* TfrmCreateGallery::CreateSkinData() {
  auto* skin_data = new QGroupBox("Skindaten ", this);
  skin_data->setObjectName("gbGallProps");
  edPath->setObjectName("edPath");
  edFilename->setObjectName("edFilename");
  for (QLineEdit* field : {edPath, edFilename}) {
    field->setReadOnly(true);
    field->setFrame(false);
    field->setStyleSheet("background: transparent;");
  }
  lblAutor->setObjectName("lblAutor");
  auto* data = new QGridLayout(skin_data);
  data->addWidget(new QLabel("Pfad:", skin_data), 0, 0);
  data->addWidget(edPath, 0, 1);
  data->addWidget(new QLabel("Dateiname:", skin_data), 1, 0);
  data->addWidget(edFilename, 1, 1);
  data->addWidget(new QLabel("Autor:", skin_data), 2, 0);
  data->addWidget(lblAutor, 2, 1);
  data->setRowStretch(3, 1);

  panPreview->setObjectName("panPreview");
  imgPreview->setObjectName("imgPreview");
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

  auto* row = new QHBoxLayout;
  row->addWidget(skin_data, 1);
  row->addWidget(panPreview);
  return row;
}

QLayout* TfrmCreateGallery::CreateOutputPath() {
  edOutputPath->setObjectName("edOutputPath");
  btnSearchOutputPath->setObjectName("btnSearchOutputPath");
  cbCleanDirectoryBefore->setObjectName("cbCleanDirectoryBefore");
  connect(btnSearchOutputPath, &QPushButton::clicked, this, [this] { btnSearchOutputPathClick(); });
  // The field shows the full path as soon as the user leaves it.
  connect(edOutputPath, &QLineEdit::editingFinished, this, [this] {
    const QString full = FullOutputPath(edOutputPath->text());
    if (!full.isEmpty() && full != edOutputPath->text()) edOutputPath->setText(full);
  });
  auto* row = new QHBoxLayout;
  row->addWidget(edOutputPath, 1);
  row->addWidget(btnSearchOutputPath);
  return row;
}

QWidget* TfrmCreateGallery::CreateRequiredValues() {
  auto* required = new QGroupBox("Für die Galerie benötigte Werte ", this);
  required->setObjectName("gbRequiredVars");
  frEmReqVars->setObjectName("frEmReqVars");
  auto* layout = new QVBoxLayout(required);
  layout->setSizeConstraint(QLayout::SetMinAndMaxSize);  // no taller than its values
  layout->addWidget(frEmReqVars);
  return required;
}

QWidget* TfrmCreateGallery::CreateImageProcessing() {
  cbCopyOrigImages->setObjectName("cbCopyOrigImages");
  frEmImgMod->setObjectName("frEmImgMod");
  // The variant cache keeps the copies of earlier runs, so a second run of the same photos
  // only writes what changed. Turning it off is for one run (Prepare() turns it on again); its
  // size is a setting.
  use_cache_box_->setObjectName("useCacheBox");
  use_cache_box_->setChecked(true);
  cache_size_box_->setObjectName("cacheSizeBox");
  cache_size_box_->setRange(kMinCacheSizeMb, kMaxCacheSizeMb);
  cache_size_box_->setSingleStep(100);
  cache_size_box_->setValue(CacheSizeMb());
  connect(use_cache_box_, &QCheckBox::toggled, cache_size_box_, &QSpinBox::setEnabled);
  connect(cache_size_box_, &QSpinBox::valueChanged, this,
          [](int megabytes) { SetCacheSizeMb(megabytes); });
  auto* cache_size_label = new QLabel("Größe des Zwischenspeichers (MB):", this);
  cache_size_label->setBuddy(cache_size_box_);
  auto* cache = new QHBoxLayout;
  cache->addWidget(use_cache_box_);
  cache->addStretch();
  cache->addWidget(cache_size_label);
  cache->addWidget(cache_size_box_);

  auto* variants = new QGroupBox("Bildverarbeitung ", this);
  variants->setObjectName("gbImgMod");
  auto* layout = new QVBoxLayout(variants);
  layout->setSizeConstraint(QLayout::SetMinAndMaxSize);
  layout->addWidget(cbCopyOrigImages);
  layout->addWidget(location_option_);
  layout->addLayout(cache);
  layout->addWidget(frEmImgMod, 1);
  return variants;
}

QLayout* TfrmCreateGallery::CreateButtons() {
  btnGoGo->setObjectName("btnGoGo");
  cancel_button_->setObjectName("cancelButton");
  connect(btnGoGo, &QPushButton::clicked, this, [this] { btnGoGoClick(); });
  connect(cancel_button_, &QPushButton::clicked, this, &QDialog::reject);
  // Enter starts, whichever control has the focus.
  btnGoGo->setDefault(true);
  for (QPushButton* button : {cancel_button_, BtnLoadOtherSkin, btnSearchOutputPath})
    button->setAutoDefault(false);
  range_note_->setObjectName("rangeNote");
  range_note_->setWordWrap(true);
  range_note_->setStyleSheet("color: #c00000;");
  range_note_->hide();
  auto* row = new QHBoxLayout;
  row->addWidget(range_note_, 1);
  row->addStretch();
  row->addWidget(btnGoGo);
  row->addWidget(cancel_button_);
  return row;
}

}  // namespace vistrel
