// The scrolling area of the create-gallery dialog that holds the run-time controls, one row
// below the other: the controls of the skin's values, or one group box per image variant.
//
// Rows are laid out by a column layout on the area's content widget (Content(), the parent of
// the rows) and leave it when they are destroyed. The area scrolls when its rows do not fit; it
// never makes the window around it grow with its own width, so the window keeps the size the
// user gave it. User-interface thread only.
#pragma once

#include <QScrollArea>

class QVBoxLayout;

namespace vistrel {

class TframEmpty : public QScrollArea {
 public:
  explicit TframEmpty(QWidget* parent = nullptr);
  // The widget the rows are placed on.
  QWidget* Content() const { return widget(); }
  // Appends `row` (a widget on Content()) below the others and shows it; a stretched row spans
  // the area's width, another keeps its own width at the left.
  void AddRow(QWidget* row, bool stretched);
  // Sets the area's size limits for the rows it holds: at least their width (so nothing is cut
  // off at the side) and a small height, beyond which it scrolls; at most the height of all
  // rows. Call after adding rows.
  void FitContent();
  QSize sizeHint() const override;

 private:
  // The size the rows need, with the margins around them and the area's frame, and room for
  // the vertical scroll bar.
  QSize RowsSize() const;

  static constexpr int kMinVisibleHeight = 64;
  static constexpr int kMaxHintHeight = 240;
  static constexpr int kMargin = 4;
  QVBoxLayout* rows_;
};

}  // namespace vistrel
