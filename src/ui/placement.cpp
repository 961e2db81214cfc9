#include "ui/placement.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>

namespace vistrel {

namespace {

// The decorations around a window's inner area; a window that has not been shown yet has none
// that Qt knows of, and is taken to get those of `other`.
QMargins FrameOf(const QWidget* window, const QWidget* other) {
  const QRect outer = window->frameGeometry();
  const QRect inner = window->geometry();
  if (window->isVisible() || !other)
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
  return FrameOf(other, nullptr);
}

}  // namespace

void CentreOn(QWidget* window, const QWidget* over) {
  QScreen* screen = over ? over->screen() : window->screen();
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  const QMargins frame = FrameOf(window, over);
  const QSize decorations(frame.left() + frame.right(), frame.top() + frame.bottom());
  const QSize inner =
      window->size().boundedTo(area.size() - decorations).expandedTo(window->minimumSize());
  if (inner != window->size()) window->resize(inner);
  QRect outer(QPoint(0, 0), inner + decorations);
  outer.moveCenter(over ? over->frameGeometry().center() : area.center());
  // Right and bottom first, so that a window larger than the screen keeps its title bar and its
  // left edge on the screen.
  if (outer.right() > area.right()) outer.moveRight(area.right());
  if (outer.bottom() > area.bottom()) outer.moveBottom(area.bottom());
  if (outer.left() < area.left()) outer.moveLeft(area.left());
  if (outer.top() < area.top()) outer.moveTop(area.top());
  window->move(outer.topLeft());
}

}  // namespace vistrel
