#include "ui/runtime_controls.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <algorithm>
#include <climits>
#include <functional>

#include "generation/run_request.h"
#include "csv/skin.h"
#include "support/text.h"
#include "ui/dialogs.h"
#include "ui/text.h"

namespace vistrel {

namespace {

// The colour swatch, which chooses a colour when clicked.
class TSwatch : public QLabel {
 public:
  TSwatch(QWidget* parent, std::function<void()> on_click)
      : QLabel(parent), on_click_(std::move(on_click)) {
    setCursor(Qt::PointingHandCursor);
  }

 protected:
  void mousePressEvent(QMouseEvent*) override { on_click_(); }

 private:
  std::function<void()> on_click_;
};

}  // namespace

TVTLRuntimeControl::TVTLRuntimeControl(QWidget* parent, int label_width)
    : Panel(new QFrame(parent)),
      Lbl(new QLabel(Panel)),
      row_(new QHBoxLayout(Panel)),
      label_width_(label_width) {
  Panel->setObjectName("Panel");
  Panel->setFrameShape(QFrame::NoFrame);
  Lbl->setObjectName("Lbl");
  Lbl->setFixedWidth(label_width);
  row_->setContentsMargins(0, 0, 0, 0);
  row_->setSpacing(0);
  row_->addWidget(Lbl);
  row_->addStretch();  // a panel wider than its parts keeps them at its left
}

TVTLRuntimeControl::~TVTLRuntimeControl() { delete Panel; }

void TVTLRuntimeControl::SetLabelText(const QString& text) {
  Lbl->setText(text);
  // The label's size hint is at least its minimum width: it is measured free of limits.
  Lbl->setMinimumWidth(0);
  Lbl->setMaximumWidth(QWIDGETSIZE_MAX);
  Lbl->setFixedWidth(std::max(label_width_, Lbl->sizeHint().width() + 4));
}

QString TVTLRuntimeControl::LabelText() const { return Lbl->text(); }

QWidget* TVTLRuntimeControl::Widget() const { return Panel; }

void TVTLRuntimeControl::AddInput(QWidget* input) { row_->insertWidget(row_->count() - 1, input); }

TSpinEdit::TSpinEdit(QWidget* parent) : QSpinBox(parent) {
  QSpinBox::setRange(INT_MIN, INT_MAX);
  setValue(0);
  connect(this, &QSpinBox::valueChanged, this, [this] { ShowRange(); });
}

void TSpinEdit::SetRange(int minimum, int maximum) {
  minimum_ = minimum;
  maximum_ = maximum;
  setToolTip(HasRange() ? "Erlaubt sind Werte von " + GermanLocale().toString(minimum_) + " bis " +
                              GermanLocale().toString(maximum_) + "."
                        : QString());
  ShowRange();
}

void TSpinEdit::SetValue(int value) { setValue(value); }  // valueChanged shows the range

bool TSpinEdit::InRange() const {
  return !HasRange() || (value() >= minimum_ && value() <= maximum_);
}

void TSpinEdit::stepBy(int steps) {
  if (!HasRange()) {
    QSpinBox::stepBy(steps);
    return;
  }
  // A value outside the range steps onto its nearest end first.
  const long long next = static_cast<long long>(value()) + steps;
  setValue(static_cast<int>(std::clamp<long long>(next, minimum_, maximum_)));
  selectAll();
}

QValidator::State TSpinEdit::validate(QString& input, int& pos) const {
  const QValidator::State state = QSpinBox::validate(input, pos);
  if (state == QValidator::Invalid || !HasRange()) return state;
  // A number above the maximum is taken as typed and marked, like one below the minimum: a
  // digit dropped unseen would turn 17000 into 1700.
  if (minimum_ >= 0 && input.contains('-')) return QValidator::Invalid;
  return state;
}

void TSpinEdit::ShowRange() {
  QPalette colours = QApplication::palette(this);
  if (!InRange()) colours.setColor(QPalette::Text, QColor(192, 0, 0));
  setPalette(colours);
}

TPanLabeledEdit::TPanLabeledEdit(QWidget* parent, int label_width, int input_width)
    : TVTLRuntimeControl(parent, label_width), Edit(new QLineEdit(Widget())) {
  Edit->setObjectName("Edit");
  Edit->setFixedWidth(input_width);
  AddInput(Edit);
}

std::string TPanLabeledEdit::GetValue() const { return FromQString(Edit->text()); }

void TPanLabeledEdit::SetValue(const std::string& text) { Edit->setText(ToQString(text)); }

TPanLabeledSpinEdit::TPanLabeledSpinEdit(QWidget* parent, int label_width, int input_width)
    : TVTLRuntimeControl(parent, label_width), SpinEdit(new TSpinEdit(Widget())) {
  SpinEdit->setObjectName("SpinEdit");
  SpinEdit->setFixedWidth(input_width);
  AddInput(SpinEdit);
}

std::string TPanLabeledSpinEdit::GetValue() const { return FromQString(SpinEdit->text()); }

void TPanLabeledSpinEdit::SetValue(const std::string& text) {
  const std::optional<int32_t> value = ParseInt32(Trim(text));
  if (!value) throw EConvertError("\"" + text + "\" ist keine gültige Zahl!");
  SpinEdit->SetValue(*value);
}

void TPanLabeledSpinEdit::FitInputTo(const QString& widest_value) {
  QSpinBox probe;
  probe.setRange(0, INT_MAX);
  const int buttons =
      probe.sizeHint().width() - probe.fontMetrics().horizontalAdvance(QString::number(INT_MAX));
  SpinEdit->setFixedWidth(std::max(
      SpinEdit->minimumWidth(), SpinEdit->fontMetrics().horizontalAdvance(widest_value) + buttons));
}

TPanColorSelector::TPanColorSelector(QWidget* parent, int label_width, int input_width)
    : TVTLRuntimeControl(parent, label_width),
      Swatch(new TSwatch(Widget(), [this] { ChooseColor(); })),
      ChangeButton(new QPushButton("Ändern...", Widget())) {
  Swatch->setObjectName("Swatch");
  ChangeButton->setObjectName("ChangeButton");
  // The swatch and the button share the input width, 8 pixels apart; the swatch is 8 pixels
  // lower than the button.
  const QSize button = ChangeButton->sizeHint().expandedTo(QSize(75, 25));
  ChangeButton->setFixedSize(button);
  Swatch->setFixedSize(std::max(20, input_width - button.width() - 8), button.height() - 8);
  AddInput(Swatch);
  Row().insertSpacing(Row().count() - 1, 8);
  AddInput(ChangeButton);
  QObject::connect(ChangeButton, &QPushButton::clicked, Widget(), [this] { ChooseColor(); });
  SetColor(0);
}

std::string TPanColorSelector::GetValue() const { return ColorToHtml(ColorValue); }

void TPanColorSelector::SetValue(const std::string& text) { SetColorText(text); }

void TPanColorSelector::SetColor(TColor color) {
  ColorValue = color & 0xFFFFFF;
  const QColor fill(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
  const TColor inverted = InvertColor(color);
  const QColor text_color(inverted & 0xFF, (inverted >> 8) & 0xFF, (inverted >> 16) & 0xFF);
  QPixmap pixmap(Swatch->size());
  pixmap.fill(fill);
  QPainter painter(&pixmap);
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(fill);
  painter.drawRect(0, 0, pixmap.width() - 1, pixmap.height() - 1);
  painter.setPen(text_color);
  painter.drawText(QRect(1, 1, pixmap.width() - 2, pixmap.height() - 2),
                   Qt::AlignLeft | Qt::AlignTop, QString::fromStdString(ColorToHtml(color)));
  painter.end();
  Swatch->setPixmap(pixmap);
}

void TPanColorSelector::SetColorText(const std::string& text) { SetColor(HtmlToColor(text)); }

void TPanColorSelector::ChooseColor() {
  if (!ColorDialog) return;
  // The dialog opens at the colour the control has.
  QColor chosen(static_cast<int>(ColorValue & 0xFF), static_cast<int>((ColorValue >> 8) & 0xFF),
                static_cast<int>((ColorValue >> 16) & 0xFF));
  if (!ColorDialog->GetColor(Widget()->window(), chosen)) return;
  SetColor(static_cast<TColor>(chosen.red()) | static_cast<TColor>(chosen.green()) << 8 |
           static_cast<TColor>(chosen.blue()) << 16);
}

std::unique_ptr<TVTLRuntimeControl> MakeValueControl(const TVTLValueList& row, QWidget* parent,
                                                     TDialogs& colours) {
  constexpr int kLabelWidth = 250;
  constexpr int kInputWidth = 260;
  const TValueType type = ValueTypeOf(row.Value(TRequiredVarsValueList::kType));
  std::unique_ptr<TVTLRuntimeControl> control;
  switch (type) {
    case TValueType::kText:
      control = std::make_unique<TPanLabeledEdit>(parent, kLabelWidth, kInputWidth);
      break;
    case TValueType::kColor: {
      auto colour = std::make_unique<TPanColorSelector>(parent, kLabelWidth, kInputWidth);
      colour->SetColorDialog(&colours);
      control = std::move(colour);
      break;
    }
    case TValueType::kNumber: {
      auto number = std::make_unique<TPanLabeledSpinEdit>(parent, kLabelWidth, kInputWidth);
      number->SpinBox().SetRange(0, kMaxNumberValue);
      number->FitInputTo(QString::number(kMaxNumberValue));
      control = std::move(number);
      break;
    }
    case TValueType::kOther:
      return nullptr;
  }
  // Colours in capitals, numbers limited to the range.
  control->SetValue(NormalizeValue(type, row.Value(TRequiredVarsValueList::kDefaultValue)));
  control->SetLabelText(ToQString(row.Value(TRequiredVarsValueList::kDescription)) + ":");
  return control;
}

}  // namespace vistrel
