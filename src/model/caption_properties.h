// The image list's own title and description, filled from the photo's captions.
//
// A photographer's catalogue often holds a title and a description for each photo already
// (photo_captions.h). When a photo is added to an image list, the desktop program hands them to
// the list as the properties the shipped skins show: the caption TITLE becomes the property
// "Titel", DESCRIPTION becomes "Beschreibung" (the names the sample list and the skins' templates
// use, %Titel% and %Beschreibung%). A list that lacks such a property gains it (every other
// photo then has it empty, as when the user adds a property); a list that has it under another
// letter case ("titel") keeps its own spelling.
//
// What the user typed always wins: a property that holds a value is never changed, and a photo
// is only ever filled once, right after it was added (a photo already in the list is not added
// again). A caption the photo does not have leaves its property as it is.
//
// Free functions; they change the list and the record handed in, on the caller's thread.
#pragma once

namespace vistrel {

class TVTLRecord;
class TVTLRecordList;
class TVTLValueList;

inline constexpr const char* kTitleProperty = "Titel";
inline constexpr const char* kDescriptionProperty = "Beschreibung";

// What AdoptPhotoCaptions() changed.
struct TCaptionAdoption {
  bool record_changed = false;  // the record got a value
  bool list_changed = false;    // the list gained a property
};

// Gives `record`, a record of `list`, the title and description among `captions` (a record's
// Captions list) where its properties are empty.
TCaptionAdoption AdoptPhotoCaptions(TVTLRecordList& list, TVTLRecord& record,
                                    const TVTLValueList& captions);

}  // namespace vistrel
