#include "ui/location_option.h"

#include <QCheckBox>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <filesystem>
#include <string>

#include "model/photo_location.h"
#include "ui/text.h"

namespace vistrel {

namespace {

// A template larger than this is not looked into (no skin's page pattern is that large).
constexpr qint64 kMaxTemplateBytes = 4 * 1024 * 1024;

}  // namespace

TLocationOption::TLocationOption(QWidget* parent)
    : QWidget(parent), box_(new QCheckBox("Ortsangaben weglassen", this)), note_(new QLabel(this)) {
  box_->setObjectName("omitLocationBox");
  box_->setToolTip(
      "Keine GPS-Position, kein Aufnahmeort und keine Karte in der Galerie; kopierte Originale "
      "ohne ihre Ortsangaben");
  note_->setObjectName("locationNote");
  note_->hide();
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(box_);
  layout->addWidget(note_, 1);
}

void TLocationOption::Update(const TVTLSkin& skin, const TVTLRecordList& records) {
  if (!SkinShowsLocation(skin)) {
    note_->hide();
    return;
  }
  int with_location = 0;
  for (int i = 0; i < records.Count(); ++i)
    if (HasLocation(records.Item(i))) ++with_location;
  note_->setText(LocationCountText(with_location, records.Count()));
  note_->show();
}

bool TLocationOption::Omit() const { return box_->isChecked(); }

void TLocationOption::SetOmit(bool omit) { box_->setChecked(omit); }

bool SkinShowsLocation(const TVTLSkin& skin) {
  for (int i = 0; i < skin.HTMLPatterns.Count(); ++i) {
    const std::string path =
        skin.Directory + skin.HTMLPatterns.Row(i).Value(THTMLPatternValueList::kFileName);
    // Only a regular file: opening a FIFO would wait for a writer.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) continue;
    QFile file(PathToQString(path));
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxTemplateBytes) continue;
    const QByteArray text = file.readAll();
    if (ShowsLocation(std::string_view(text.constData(), static_cast<size_t>(text.size()))))
      return true;
  }
  return false;
}

QString LocationCountText(int with_location, int photos) {
  return QString("%1 von %2 Fotos %3 Ortsangaben.")
      .arg(with_location)
      .arg(photos)
      .arg(with_location == 1 ? "enthält" : "enthalten");
}

}  // namespace vistrel
