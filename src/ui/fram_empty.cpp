#include "ui/fram_empty.h"

#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

namespace vistrel {

TframEmpty::TframEmpty(QWidget* parent) : QScrollArea(parent) {
  auto* content = new QWidget;
  rows_ = new QVBoxLayout(content);
  rows_->setContentsMargins(kMargin, 0, kMargin, kMargin);
  rows_->setSpacing(kMargin);
  rows_->addStretch();  // an area taller than its rows keeps them at its top
  setWidget(content);
  // The content takes the viewport's width (and height), but never less than the rows need:
  // then the area scrolls.
  setWidgetResizable(true);
  setFrameShape(QFrame::NoFrame);
  resize(320, 240);
}

void TframEmpty::AddRow(QWidget* row, bool stretched) {
  rows_->insertWidget(rows_->count() - 1, row, 0, stretched ? Qt::Alignment() : Qt::AlignLeft);
  row->show();
}

QSize TframEmpty::RowsSize() const {
  const QSize rows = rows_->sizeHint();
  const int frame = 2 * frameWidth();
  return QSize(rows.width() + frame + verticalScrollBar()->sizeHint().width(),
               rows.height() + frame);
}

void TframEmpty::FitContent() {
  // The minimum width comes from the rows alone: the area never grows the window sideways.
  const QSize needed = RowsSize();
  setMinimumWidth(needed.width());
  setMinimumHeight(std::min(needed.height(), kMinVisibleHeight));
  // Never taller than its rows: the room goes to the other areas of the window.
  setMaximumHeight(std::max(needed.height(), kMinVisibleHeight));
  updateGeometry();
}

QSize TframEmpty::sizeHint() const {
  const QSize needed = RowsSize();
  return QSize(needed.width(), std::min(needed.height(), kMaxHintHeight));
}

}  // namespace vistrel
