// Caption reading through exiv2: the input is cut at "\n--8<--\n" into a sidecar's XMP packet,
// an IPTC record (its datasets as stored) and a photo's head (with XMP, IPTC and EXIF of its
// own). Every caption that comes out is display-ready: valid UTF-8 without control
// characters, not empty, within the length limit; a rating is one of "0" to "5".
#include "fuzz_support.h"
#include "imaging/image_library.h"
#include "imaging/metadata.h"
#include "model/photo_captions.h"
#include "model/value_list.h"
#include "support/text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vistrel;
  static TImageLibrary library("captions_fuzz");
  const std::vector<std::string> parts = fuzz::Split(fuzz::Text(data, size), "\n--8<--\n", 3);
  TVTLValueList captions;
  ReadCaptionsFromParts(parts[0], parts[1], parts[2], captions);
  for (int i = 0; i < captions.Count(); ++i) {
    const std::string& value = captions.Value(i);
    fuzz::Require(!value.empty() && value.size() <= kMaxCaptionBytes && IsValidUtf8(value));
    fuzz::Require(value == CleanCaption(value));
    fuzz::Require(captions.IndexOf(captions.Name(i)) == i);
    if (captions.Name(i) == kCaptionRating)
      fuzz::Require(value.size() == 1 && value[0] >= '0' && value[0] <= '5');
  }
  return 0;
}
