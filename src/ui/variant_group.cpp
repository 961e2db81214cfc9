#include "ui/variant_group.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

#include "csv/skin.h"
#include "generation/image_processor.h"
#include "model/copy_format.h"
#include "model/value_list.h"
#include "ui/text.h"

namespace vistrel {

namespace {

constexpr int kLabelWidth = 100;
constexpr int kInputWidth = 50;
// The controls begin 170 pixels apart, or 8 pixels after the one before when it is wider.
constexpr int kColumnWidth = 170;
constexpr int kSpacing = 8;

// The value first, then the range: a default outside the range shows as it is.
void SetUp(TPanLabeledSpinEdit& control, const char* label, const std::string& value, int minimum,
           int maximum) {
  control.SetValue(value);
  control.SpinBox().SetRange(minimum, maximum);
  control.FitInputTo(QString::number(maximum));
  control.SetLabelText(label);
  control.Widget()->setMinimumWidth(kColumnWidth - kSpacing);
}

}  // namespace

TVariantGroup::TVariantGroup(const TVTLValueList& row, QWidget* parent)
    : QGroupBox(ToQString(row.Value(TImageModificationValueList::kDescription)) + " ", parent),
      name_(row.Value(TImageModificationValueList::kName)),
      max_width_(this, kLabelWidth, kInputWidth),
      max_height_(this, kLabelWidth, kInputWidth),
      quality_(this, kLabelWidth, kInputWidth),
      format_row_(this),
      format_(new QComboBox(&format_row_)) {
  setObjectName(ToQString(name_));
  max_width_.Widget()->setObjectName("maxWidth");
  max_height_.Widget()->setObjectName("maxHeight");
  quality_.Widget()->setObjectName("quality");
  constexpr int kMaxSide = static_cast<int>(kMaxVariantSide);
  const TVariantSetting defaults = DefaultVariantSetting(row);
  SetUp(max_width_, "Maximale Breite: ", defaults.max_width, 1, kMaxSide);
  SetUp(max_height_, "Maximale Höhe: ", defaults.max_height, 1, kMaxSide);
  SetUp(quality_, "JPG-Qualität (0-100): ", defaults.quality, kMinJpegQuality, kMaxJpegQuality);
  // The skin's format (a skin with a format that is none does not load), JPEG without one.
  format_row_.setObjectName("format");
  auto* format_layout = new QHBoxLayout(&format_row_);
  format_layout->setContentsMargins(0, 0, 0, 0);
  auto* format_label = new QLabel("Format: ", &format_row_);
  format_label->setObjectName("Lbl");
  format_label->setBuddy(format_);
  format_layout->addWidget(format_label);
  format_layout->addWidget(format_);
  for (TImageFormat format : {TImageFormat::kJpeg, TImageFormat::kWebp, TImageFormat::kAvif})
    format_->addItem(ToQString(ImageFormatName(format)));
  format_->setCurrentText(
      ToQString(ImageFormatName(ParseImageFormat(defaults.format).value_or(TImageFormat::kJpeg))));
  // Size and quality side by side, the format below them: the group stays as narrow as the
  // dialog's smallest width allows.
  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(4, 0, 4, 3);
  layout->setHorizontalSpacing(kSpacing);
  layout->setVerticalSpacing(2);
  int column = 0;
  for (TPanLabeledSpinEdit* control : {&max_width_, &max_height_, &quality_})
    layout->addWidget(control->Widget(), 0, column++);
  layout->addWidget(&format_row_, 1, 0, Qt::AlignLeft);
  layout->setColumnStretch(column, 1);
}

TVariantSetting TVariantGroup::Setting() const {
  return {max_width_.GetValue(), max_height_.GetValue(), quality_.GetValue(),
          format_->currentText().toStdString()};
}

void TVariantGroup::SetSetting(const TVariantSetting& setting) {
  max_width_.SetValue(setting.max_width);
  max_height_.SetValue(setting.max_height);
  quality_.SetValue(setting.quality);
  if (const std::optional<TImageFormat> format = ParseImageFormat(setting.format))
    format_->setCurrentText(ToQString(ImageFormatName(*format)));
}

}  // namespace vistrel
