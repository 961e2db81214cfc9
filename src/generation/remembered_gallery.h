// A gallery's remembered settings (gallery_settings_file.h) turned into what a run is made
// of, and back: the settings of a run just made, and the input for the next run of that skin.
//
// The settings may be older than the skin they name: a value the skin no longer asks for is
// ignored, a value the skin asks for now takes its default, and a remembered value that is no
// value of its row's type (a number that is none or out of range, a colour that is none), a
// size outside 1..kMaxVariantSide, a quality outside 0..100 or an unknown format gives way to
// the skin's default too, field by field. Nothing remembered can make a request fail that the
// skin's defaults would not.
//
// Free functions without state; any thread.
#pragma once

#include <string>

#include "csv/gallery_settings_file.h"
#include "generation/run_request.h"

namespace vistrel {

// The settings of a run of `request`, under the gallery identity `id`.
TGallerySettings SettingsOfRequest(const TRunRequest& request, const std::string& id);

// Fills the skin's part of `input` from `settings`: one value per row of the skin's required
// values and one setting per image variant (in the skin's order), the output folder, copying
// originals, leaving places out and the cache choice. `input.skin` becomes `skin`.
void ApplyGallerySettings(const TGallerySettings& settings, const TVTLSkin& skin, TRunInput& input);

}  // namespace vistrel
