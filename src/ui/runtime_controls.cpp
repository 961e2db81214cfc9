#include "ui/runtime_controls.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <algorithm>
#include <climits>
#include <functional>

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
    : Lbl(nullptr), Panel(new QFrame(parent)), label_width_(label_width) {
  Panel->setFrameShape(QFrame::NoFrame);
  Lbl = new QLabel(Panel);
  Lbl->resize(label_width, Lbl->sizeHint().height());
  Panel->move(0, 0);
  Panel->show();
  Lbl->show();
}

TVTLRuntimeControl::~TVTLRuntimeControl() { delete Panel; }

void TVTLRuntimeControl::SetLabelText(const QString& text) {
  Lbl->setText(text);
  label_width_ = std::max(label_width_, Lbl->sizeHint().width() + 4);
  Arrange();
}

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
  if (minimum_ >= 0 && input.contains('-')) return QValidator::Invalid;
  if (state == QValidator::Acceptable && valueFromText(input) > maximum_)
    return QValidator::Invalid;
  return state;
}

void TSpinEdit::ShowRange() {
  QPalette colours = QApplication::palette(this);
  if (!InRange()) colours.setColor(QPalette::Text, QColor(192, 0, 0));
  setPalette(colours);
}

TPanLabeledEdit::TPanLabeledEdit(QWidget* parent, int label_width, int input_width)
    : TVTLRuntimeControl(parent, label_width), Edit(new QLineEdit(Panel)) {
  input_width_ = input_width;
  Arrange();
  Edit->show();
}

void TPanLabeledEdit::Arrange() {
  const int height = Edit->sizeHint().height();
  Panel->resize(label_width_ + input_width_, height);
  Lbl->setGeometry(0, (height - Lbl->sizeHint().height()) / 2, label_width_,
                   Lbl->sizeHint().height());
  Edit->setGeometry(label_width_, 0, input_width_, height);
}

std::string TPanLabeledEdit::GetValue() const { return FromQString(Edit->text()); }

TPanLabeledSpinEdit::TPanLabeledSpinEdit(QWidget* parent, int label_width, int input_width)
    : TVTLRuntimeControl(parent, label_width), SpinEdit(new TSpinEdit(Panel)) {
  input_width_ = input_width;
  Arrange();
  SpinEdit->show();
}

void TPanLabeledSpinEdit::FitInputTo(const QString& widest_value) {
  QSpinBox probe;
  probe.setRange(0, INT_MAX);
  const int buttons =
      probe.sizeHint().width() - probe.fontMetrics().horizontalAdvance(QString::number(INT_MAX));
  input_width_ =
      std::max(input_width_, SpinEdit->fontMetrics().horizontalAdvance(widest_value) + buttons);
  Arrange();
}

void TPanLabeledSpinEdit::Arrange() {
  const int height = SpinEdit->sizeHint().height();
  const int width = input_width_;
  Panel->resize(label_width_ + width, height);
  Lbl->setGeometry(0, (height - Lbl->sizeHint().height()) / 2, label_width_,
                   Lbl->sizeHint().height());
  SpinEdit->setGeometry(label_width_, 0, width, height);
}

std::string TPanLabeledSpinEdit::GetValue() const { return FromQString(SpinEdit->text()); }

TPanColorSelector::TPanColorSelector(QWidget* parent, int label_width, int input_width)
    : TVTLRuntimeControl(parent, label_width),
      ChangeButton(new QPushButton("Ändern...", Panel)),
      Swatch(new TSwatch(Panel, [this] { ChooseColor(); })) {
  input_width_ = input_width;
  Arrange();
  QObject::connect(ChangeButton, &QPushButton::clicked, Panel, [this] { ChooseColor(); });
  SetColor(0);
  Swatch->show();
  ChangeButton->show();
}

void TPanColorSelector::Arrange() {
  const QSize button = ChangeButton->sizeHint().expandedTo(QSize(75, 25));
  Panel->resize(label_width_ + input_width_, button.height());
  const int swatch_width = std::max(20, input_width_ - button.width() - 8);
  Swatch->setGeometry(label_width_, 4, swatch_width, button.height() - 8);
  ChangeButton->setGeometry(label_width_ + swatch_width + 8, 0, button.width(), button.height());
  Panel->resize(std::max(Panel->width(), ChangeButton->geometry().right() + 1), button.height());
  Lbl->setGeometry(0, (button.height() - Lbl->sizeHint().height()) / 2, label_width_,
                   Lbl->sizeHint().height());
  if (!Swatch->pixmap().isNull()) SetColor(ColorValue);
}

std::string TPanColorSelector::GetValue() const { return ColorToHtml(ColorValue); }

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
  QColor chosen;
  if (!ColorDialog->GetColor(Panel->window(), chosen)) return;
  SetColor(static_cast<TColor>(chosen.red()) | static_cast<TColor>(chosen.green()) << 8 |
           static_cast<TColor>(chosen.blue()) << 16);
}

namespace {

// The property of a stretched child that holds its natural width.
const char* const kNaturalWidth = "vistrelNaturalWidth";

}  // namespace

TframEmpty::TframEmpty(QWidget* parent) : QScrollArea(parent) {
  setWidget(new QWidget);
  setWidgetResizable(false);
  setFrameShape(QFrame::NoFrame);
  resize(320, 240);
}

void TframEmpty::Stretch(QWidget* child, int natural_width) {
  child->setProperty(kNaturalWidth, natural_width);
}

int TframEmpty::NaturalRight() const {
  int right = 0;
  for (QObject* object : Content()->children()) {
    auto* child = qobject_cast<QWidget*>(object);
    if (!child) continue;
    const QVariant natural = child->property(kNaturalWidth);
    right = std::max(right, child->x() + (natural.isValid() ? natural.toInt() : child->width()));
  }
  return right;
}

namespace {

int ContentBottom(const QWidget* content) {
  int bottom = 0;
  for (QObject* object : content->children())
    if (auto* child = qobject_cast<QWidget*>(object))
      bottom = std::max(bottom, child->geometry().bottom() + 1);
  return bottom;
}

}  // namespace

void TframEmpty::FitContent() {
  // The minimum width comes from the controls alone, never from the current width of the
  // stretched children: otherwise every new set of controls would widen the window a little.
  const int frame = 2 * frameWidth();
  setMinimumWidth(NaturalRight() + kMargin + frame + verticalScrollBar()->sizeHint().width());
  const int content_height = ContentBottom(Content()) + kMargin + frame;
  setMinimumHeight(std::min(content_height, kMinVisibleHeight));
  // Never taller than its controls: the room goes to the other areas of the window.
  setMaximumHeight(std::max(content_height, kMinVisibleHeight));
  updateGeometry();
  Spread();
}

void TframEmpty::Spread() {
  const int width = std::max(NaturalRight() + kMargin, viewport()->width());
  for (QObject* object : Content()->children()) {
    auto* child = qobject_cast<QWidget*>(object);
    if (!child) continue;
    const QVariant natural = child->property(kNaturalWidth);
    if (natural.isValid())
      child->resize(std::max(natural.toInt(), width - child->x() - kMargin), child->height());
  }
  Content()->resize(width, ContentBottom(Content()) + kMargin);
}

void TframEmpty::resizeEvent(QResizeEvent* event) {
  QScrollArea::resizeEvent(event);
  Spread();
}

QSize TframEmpty::sizeHint() const {
  const int frame = 2 * frameWidth();
  return QSize(NaturalRight() + kMargin + frame + verticalScrollBar()->sizeHint().width(),
               std::min(ContentBottom(Content()) + kMargin + frame, kMaxHintHeight));
}

}  // namespace vistrel
