// "Ortsangaben weglassen": the create-gallery dialog's choice to leave the places where the
// photos were taken out of the gallery (photo_location.h), and beside it how many of the listed
// photos name one ("12 von 48 Fotos enthalten Ortsangaben.") when the skin shows a place.
//
// The dialog hands in the skin and the list whenever either may have changed (a skin applied,
// the dialog shown) and reads the choice into the run's input. User-interface thread only.
#pragma once

#include <QWidget>

#include "model/record.h"
#include "csv/skin.h"

class QCheckBox;
class QLabel;

namespace vistrel {

class TLocationOption : public QWidget {
 public:
  explicit TLocationOption(QWidget* parent = nullptr);

  // Counts the photos of `records` that name a place, and shows the count when `skin` shows a
  // place on its pages.
  void Update(const TVTLSkin& skin, const TVTLRecordList& records);
  // Whether the user asked for the gallery without places.
  bool Omit() const;
  void SetOmit(bool omit);

 private:
  QCheckBox* box_;
  QLabel* note_;
};

// Whether a template of `skin` shows a place; a template that cannot be read shows none.
bool SkinShowsLocation(const TVTLSkin& skin);

// "12 von 48 Fotos enthalten Ortsangaben." (singular for one photo).
QString LocationCountText(int with_location, int photos);

}  // namespace vistrel
