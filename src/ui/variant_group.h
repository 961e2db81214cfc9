// The controls of one image variant in the create-gallery dialog: a group box captioned with
// the variant's description, holding its maximum width, maximum height and JPEG quality side by
// side, each a TPanLabeledSpinEdit that takes only what a run takes (1 to 16384 pixels, quality
// 0 to 100; a skin's default outside the range is shown as it is, in red), and the format of
// its copies, a choice of JPEG, WebP and AVIF that starts with the skin's.
//
// The group owns its controls. User-interface thread only.
#pragma once

#include <QGroupBox>
#include <QWidget>
#include <string>

#include "generation/run_request.h"
#include "ui/runtime_controls.h"

class QComboBox;

namespace vistrel {

class TVTLValueList;

class TVariantGroup : public QGroupBox {
 public:
  // The controls for `row` of a skin's image variants: its default size, quality 80. Throws
  // EConvertError for a default size that is no whole number.
  TVariantGroup(const TVTLValueList& row, QWidget* parent);

  // The variant's NAME.
  const std::string& Name() const { return name_; }
  // The values of the controls as a run takes them.
  TVariantSetting Setting() const;
  // Shows `setting` (a checked one: whole numbers, a format the choice offers).
  void SetSetting(const TVariantSetting& setting);

  TPanLabeledSpinEdit& MaxWidth() { return max_width_; }
  TPanLabeledSpinEdit& MaxHeight() { return max_height_; }
  TPanLabeledSpinEdit& Quality() { return quality_; }
  // The format's row (caption and choice) and the choice itself.
  QWidget& FormatRow() { return format_row_; }
  QComboBox& Format() { return *format_; }

 private:
  std::string name_;
  TPanLabeledSpinEdit max_width_;
  TPanLabeledSpinEdit max_height_;
  TPanLabeledSpinEdit quality_;
  QWidget format_row_;
  QComboBox* format_;  // owned by format_row_
};

}  // namespace vistrel
