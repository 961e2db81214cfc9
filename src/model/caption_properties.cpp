#include "model/caption_properties.h"

#include <string>

#include "model/photo_captions.h"
#include "model/record.h"
#include "model/value_list.h"

namespace vistrel {

TCaptionAdoption AdoptPhotoCaptions(TVTLRecordList& list, TVTLRecord& record,
                                    const TVTLValueList& captions) {
  static constexpr std::pair<const char*, const char*> kAdopted[] = {
      {kCaptionTitle, kTitleProperty}, {kCaptionDescription, kDescriptionProperty}};
  TCaptionAdoption adoption;
  for (const auto& [caption, property] : kAdopted) {
    std::string value = captions.ValueOf(caption);
    if (value.empty()) continue;
    int index = list.PropertyIndex(property);
    if (index < 0) {
      list.AddProperty(property);
      index = list.PropertyIndex(property);
      adoption.list_changed = true;
    }
    const std::string name = record.Details.Name(index);
    if (!record.Details.Value(index).empty()) continue;
    // A photo that was given the list's properties but had this one taken away gets it back:
    // it is empty, so nothing the user wrote is lost.
    record.SetHasDetail(name, true);
    record.Details.SetValue(index, std::move(value));
    adoption.record_changed = true;
  }
  return adoption;
}

}  // namespace vistrel
