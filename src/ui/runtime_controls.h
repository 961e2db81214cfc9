// Labelled input controls that the create-gallery dialog builds at run time: one per value a
// skin asks for (MakeValueControl), three per image variant (TVariantGroup).
//
// Each control is a borderless panel with a caption at the left and the input part to its
// right, side by side in a row layout: the caption is at least the label width wide (wider when
// its text needs it), the input part has the input width. A control takes and hands out its
// value as text (SetValue, GetValue). TPanLabeledEdit holds text, TPanLabeledSpinEdit a whole
// number, TPanColorSelector a colour shown in a swatch with its colour text.
//
// A control owns its panel: destroying the control removes the panel with its parts from the
// window, and from the layout it was placed in. Controls live on the user-interface thread.
#pragma once

#include <QSpinBox>
#include <QValidator>
#include <memory>
#include <string>

#include "model/color.h"

class QFrame;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vistrel {

class TDialogs;
class TVTLValueList;

class TVTLRuntimeControl {
 public:
  TVTLRuntimeControl(QWidget* parent, int label_width);
  virtual ~TVTLRuntimeControl();
  TVTLRuntimeControl(const TVTLRuntimeControl&) = delete;
  TVTLRuntimeControl& operator=(const TVTLRuntimeControl&) = delete;

  // The value as text.
  virtual std::string GetValue() const = 0;
  // Sets the value from text; throws EConvertError when the text is no value of this kind.
  virtual void SetValue(const std::string& text) = 0;
  // Sets the caption; the caption grows when the text needs more than the label width.
  void SetLabelText(const QString& text);
  QString LabelText() const;
  // The panel that carries the control, for the layout it is placed in.
  QWidget* Widget() const;

 protected:
  // Puts `input` right of the caption (and of the inputs added before it).
  void AddInput(QWidget* input);
  QHBoxLayout& Row() const { return *row_; }

 private:
  QFrame* Panel;  // carries the caption and the input part
  QLabel* Lbl;    // the caption
  QHBoxLayout* row_;
  int label_width_;
};

// A number box with a range that never changes a value behind the user's back. A value set
// before the range (a skin's default) stays as it is, and so does a number the user types below
// the minimum or above the maximum; such a value is shown in red with the allowed range as its tip
// (InRange() is false), and keeps "Start!" disabled. A minus sign when the minimum is 0 or more
// cannot be typed at all; the arrow buttons and keys step within the range. Minimum and maximum
// both 0 mean no range.
class TSpinEdit : public QSpinBox {
 public:
  explicit TSpinEdit(QWidget* parent);
  void SetRange(int minimum, int maximum);
  void SetValue(int value);
  // True when there is no range or the value lies within it.
  bool InRange() const;
  int Minimum() const { return minimum_; }
  int Maximum() const { return maximum_; }
  void stepBy(int steps) override;
  QValidator::State validate(QString& input, int& pos) const override;

 protected:
  StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }

 private:
  bool HasRange() const { return minimum_ != maximum_; }
  // Marks a value outside the range.
  void ShowRange();
  int minimum_ = 0;
  int maximum_ = 0;
};

class TPanLabeledEdit : public TVTLRuntimeControl {
 public:
  TPanLabeledEdit(QWidget* parent, int label_width, int input_width);
  std::string GetValue() const override;
  void SetValue(const std::string& text) override;

 private:
  QLineEdit* Edit;  // the text box
};

class TPanLabeledSpinEdit : public TVTLRuntimeControl {
 public:
  TPanLabeledSpinEdit(QWidget* parent, int label_width, int input_width);
  // The number as the box shows it.
  std::string GetValue() const override;
  // A whole number, blanks around it allowed; the range does not limit it.
  void SetValue(const std::string& text) override;
  // Widens the number box so that `widest_value` fits in it with its buttons.
  void FitInputTo(const QString& widest_value);
  TSpinEdit& SpinBox() const { return *SpinEdit; }

 private:
  TSpinEdit* SpinEdit;  // the number box
};

class TPanColorSelector : public TVTLRuntimeControl {
 public:
  TPanColorSelector(QWidget* parent, int label_width, int input_width);
  // "#RRGGBB" of the colour.
  std::string GetValue() const override;
  // Sets the colour from colour text (SetColorText).
  void SetValue(const std::string& text) override;
  // Sets the colour and redraws the swatch: the colour, a black frame, and the colour text in
  // the complementary colour.
  void SetColor(TColor color);
  // Sets the colour from colour text; throws EConvertError when the text is no colour.
  void SetColorText(const std::string& text);
  TColor Color() const { return ColorValue; }
  // The shared colour dialog that ChooseColor asks (not owned).
  void SetColorDialog(TDialogs* dialogs) { ColorDialog = dialogs; }
  // Asks for a colour with the colour dialog; cancelling changes nothing.
  void ChooseColor();

 private:
  TColor ColorValue = 0;
  QLabel* Swatch;             // the colour with its colour text; a click chooses a colour
  QPushButton* ChangeButton;  // "Ändern..."
  TDialogs* ColorDialog = nullptr;
};

// The control for a row of a skin's required values, by its TYPE: text, colour (its colour
// dialog `colours`) or number (0 to 16777215), its caption the row's DESCRIPTION and ":", its
// value the row's DEFAULTVALUE; nullptr for a type without a control. Throws EConvertError for
// a default that is no colour or no number.
std::unique_ptr<TVTLRuntimeControl> MakeValueControl(const TVTLValueList& row, QWidget* parent,
                                                     TDialogs& colours);

}  // namespace vistrel
