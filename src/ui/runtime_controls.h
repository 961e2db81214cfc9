// Labelled input controls that the create-gallery dialog builds at run time: one per value a
// skin asks for, three per image variant.
//
// Each control is a borderless panel with a caption at the left and the input part to its right,
// and hands out its value as text (GetValue). TPanLabeledEdit holds text, TPanLabeledSpinEdit a
// whole number, TPanColorSelector a colour shown in a swatch with its colour text. TframEmpty is
// the scrolling area the dialog places them in.
//
// A control owns its panel: destroying the control removes the panel with its parts from the
// window. Controls live on the user-interface thread.
#pragma once

#include <QScrollArea>
#include <QSpinBox>
#include <QValidator>
#include <string>

#include "model/color.h"

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vistrel {

class TDialogs;

class TVTLRuntimeControl {
 public:
  TVTLRuntimeControl(QWidget* parent, int label_width);
  virtual ~TVTLRuntimeControl();
  TVTLRuntimeControl(const TVTLRuntimeControl&) = delete;
  TVTLRuntimeControl& operator=(const TVTLRuntimeControl&) = delete;

  // The value as text.
  virtual std::string GetValue() const = 0;
  // Sets the caption; the label grows when the text needs more than its width.
  void SetLabelText(const QString& text);

  QLabel* Lbl;
  QFrame* Panel;

 protected:
  // Places the input part right of the label and sizes the panel around both.
  virtual void Arrange() = 0;
  int label_width_;
  int input_width_ = 0;
};

// A number box with a range that never changes a value behind the user's back. A value set
// before the range (a skin's default) stays as it is, and so does a number the user types below
// the minimum; such a value is shown in red with the allowed range as its tip (InRange() is
// false), and the run's request refuses it when "Start!" is pressed. Digits that would exceed the
// maximum, and a minus sign when the minimum is 0 or more, cannot be typed at all; the arrow
// buttons and keys step within the range. Minimum and maximum both 0 mean no range.
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
  QLineEdit* Edit;

 protected:
  void Arrange() override;
};

class TPanLabeledSpinEdit : public TVTLRuntimeControl {
 public:
  TPanLabeledSpinEdit(QWidget* parent, int label_width, int input_width);
  std::string GetValue() const override;
  // Widens the number box so that `widest_value` fits in it with its buttons.
  void FitInputTo(const QString& widest_value);
  TSpinEdit* SpinEdit;

 protected:
  void Arrange() override;
};

class TPanColorSelector : public TVTLRuntimeControl {
 public:
  TPanColorSelector(QWidget* parent, int label_width, int input_width);
  // "#RRGGBB" of ColorValue.
  std::string GetValue() const override;
  // Sets the colour and redraws the swatch: the colour, a black frame, and the colour text in
  // the complementary colour.
  void SetColor(TColor color);
  // Sets the colour from colour text; throws EConvertError when the text is no colour.
  void SetColorText(const std::string& text);
  // Asks for a colour with the shared colour dialog; cancelling changes nothing.
  void ChooseColor();

  TColor ColorValue = 0;
  QPushButton* ChangeButton;
  QLabel* Swatch;
  TDialogs* ColorDialog = nullptr;  // not owned

 protected:
  void Arrange() override;
};

// The scrolling area that holds run-time controls at fixed positions. It scrolls when the
// controls do not fit; it never makes the window around it grow with its own width, so the
// window keeps the size the user gave it.
class TframEmpty : public QScrollArea {
 public:
  explicit TframEmpty(QWidget* parent = nullptr);
  // The widget the controls are placed on.
  QWidget* Content() const { return widget(); }
  // Lets `child` (a widget on Content()) span the area's width, but never narrower than
  // `natural_width`, the width its own controls need.
  void Stretch(QWidget* child, int natural_width);
  // Sizes the content to hold all controls and sets the area's size limits: at least the
  // controls' natural width (so nothing is cut off at the side) and a small height, beyond which
  // it scrolls; at most the height of all its controls.
  void FitContent();
  QSize sizeHint() const override;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  // The right edge the controls need, ignoring how far stretched children reach now.
  int NaturalRight() const;
  // Gives stretched children and the content the viewport's width.
  void Spread();
  static constexpr int kMinVisibleHeight = 64;
  static constexpr int kMaxHintHeight = 240;
  static constexpr int kMargin = 4;
};

}  // namespace vistrel
