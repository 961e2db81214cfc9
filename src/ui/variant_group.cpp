#include "ui/variant_group.h"

#include <QHBoxLayout>

#include "generation/image_processor.h"
#include "model/skin.h"
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
      quality_(this, kLabelWidth, kInputWidth) {
  setObjectName(ToQString(name_));
  max_width_.Widget()->setObjectName("maxWidth");
  max_height_.Widget()->setObjectName("maxHeight");
  quality_.Widget()->setObjectName("quality");
  constexpr int kMaxSide = static_cast<int>(kMaxVariantSide);
  const TVariantSetting defaults = DefaultVariantSetting(row);
  SetUp(max_width_, "Maximale Breite: ", defaults.max_width, 1, kMaxSide);
  SetUp(max_height_, "Maximale Höhe: ", defaults.max_height, 1, kMaxSide);
  SetUp(quality_, "JPG-Qualität (0-100): ", defaults.quality, kMinJpegQuality, kMaxJpegQuality);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(4, 0, 4, 3);
  layout->setSpacing(kSpacing);
  for (TPanLabeledSpinEdit* control : {&max_width_, &max_height_, &quality_})
    layout->addWidget(control->Widget());
  layout->addStretch();
}

TVariantSetting TVariantGroup::Setting() const {
  return {max_width_.GetValue(), max_height_.GetValue(), quality_.GetValue()};
}

}  // namespace vistrel
