// Where the program's secondary windows open: centred on the window they belong to, and always
// wholly on its screen, so no title bar and no button ever lies off-screen.
//
// User-interface thread only.
#pragma once

class QWidget;

namespace vistrel {

// Centres the top-level `window` on `over` (on the screen's middle when `over` is null), makes
// it no larger than the screen's available area (but not smaller than its minimum size) and
// moves it inside that area. Call before showing the window, or while it is shown.
void CentreOn(QWidget* window, const QWidget* over);

}  // namespace vistrel
