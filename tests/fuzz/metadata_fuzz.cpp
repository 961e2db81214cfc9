// Metadata reading: the input is a photo's head, read by exiv2 into the metadata list and the
// photo data ready for display. Every entry that is there has a value, and "Width" and
// "Height" come last.
#include "fuzz_support.h"
#include "imaging/image_library.h"
#include "imaging/metadata.h"
#include "model/value_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vistrel;
  static TImageLibrary library("metadata_fuzz");
  TVTLValueList list;
  TVTLValueList photo;
  ReadImageMetadataFromBytes(fuzz::Text(data, size), list, &photo);
  for (int i = 0; i < photo.Count(); ++i) fuzz::Require(!photo.Value(i).empty());
  fuzz::Require(list.Count() >= 2);
  fuzz::Require(list.Name(list.Count() - 2) == "Width" && list.Name(list.Count() - 1) == "Height");
  for (int i = 0; i < list.Count(); ++i) {
    fuzz::Require(!list.Value(i).empty());
    fuzz::Require(list.IndexOf(list.Name(i)) == i);  // no name twice
  }
  return 0;
}
