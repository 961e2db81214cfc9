#include "ui/about_box.h"

#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace vistrel {

QPixmap DrawLogo(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(size / 128.0, size / 128.0);
  // A white photo frame, slightly turned, with a shadow.
  painter.translate(64, 64);
  painter.rotate(-6);
  painter.translate(-64, -64);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0, 0, 0, 60));
  painter.drawRoundedRect(QRectF(14, 20, 104, 92), 6, 6);
  painter.setBrush(QColor("#fbfaf6"));
  painter.setPen(QPen(QColor("#8a7f6a"), 1.5));
  painter.drawRoundedRect(QRectF(10, 16, 104, 92), 6, 6);
  // The picture: an evening sky over two hills.
  const QRectF picture(18, 24, 88, 66);
  QLinearGradient sky(picture.topLeft(), picture.bottomLeft());
  sky.setColorAt(0, QColor("#3a3480"));
  sky.setColorAt(0.7, QColor("#f39a4c"));
  painter.setPen(Qt::NoPen);
  painter.setBrush(sky);
  painter.drawRect(picture);
  painter.setBrush(QColor("#f6d36b"));
  painter.drawEllipse(QPointF(78, 58), 9, 9);
  // Two hills from the left edge to the right one, the nearer one darker.
  auto hill = [&painter](double left_y, QPointF c1, QPointF c2, double right_y, const char* color) {
    QPainterPath path;
    path.moveTo(18, left_y);
    path.cubicTo(c1, c2, QPointF(106, right_y));
    path.lineTo(106, 90);
    path.lineTo(18, 90);
    painter.setBrush(QColor(color));
    painter.drawPath(path);
  };
  hill(78, {40, 58}, {62, 62}, 74, "#4d6b4f");
  hill(86, {50, 72}, {80, 80}, 84, "#2e4532");
  return pixmap;
}

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent), version_(new QLabel(this)) {
  setWindowTitle("Info");
  auto* panel = new QFrame(this);
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  auto* logo = new QLabel(panel);
  logo->setPixmap(DrawLogo(125));
  logo->setFixedSize(128, 125);
  auto* product = new QLabel("Vistrel", panel);
  QFont big = product->font();
  big.setPointSizeF(big.pointSizeF() * 1.8);
  big.setBold(true);
  product->setFont(big);
  version_->setObjectName("version");
  version_->setParent(panel);
  auto* line1 = new QLabel("Fotogalerien als statische HTML-Seiten", panel);
  auto* line2 = new QLabel("Bilder, Skins und Vorlagen: Ihre Galerie.", panel);
  auto* grid = new QGridLayout(panel);
  grid->addWidget(logo, 0, 0, 4, 1, Qt::AlignTop);
  grid->addWidget(product, 0, 1);
  grid->addWidget(version_, 1, 1);
  grid->addWidget(line1, 2, 1);
  grid->addWidget(line2, 3, 1);
  auto* ok = new QPushButton("OK", this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(panel);
  layout->addWidget(ok, 0, Qt::AlignHCenter);
  resize(QSize(342, 267).expandedTo(sizeHint()));
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}

void TAboutBox::SetVersionText(const QString& text) { version_->setText(text); }

}  // namespace vistrel
