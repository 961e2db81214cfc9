// The names of the EXIF, TIFF and GPS tags the metadata reader gives its entries.
//
// A known tag ID has a key such as "EquipMake"; its full name is "PropertyTag" + key. The
// thumbnail's directory (IFD1) repeats tags of IFD0, which take their own IDs (0x5020 and up)
// so that both can be listed. A plain table, without exiv2; free functions, safe from any
// thread.
#pragma once

#include <cstdint>
#include <string>

namespace vistrel {

// "PropertyTag" + key for the 214 known tag IDs, "<Unknown>" for every other one.
std::string PropertyTagName(uint32_t tag_id);
// The key of a known tag ID ("EquipMake" for 0x010F); empty for an unknown one.
std::string PropertyKey(uint32_t tag_id);
// The name of a value type code ("PropertyTagTypeASCII", ..., "<UnKnown>").
std::string PropertyTypeName(uint16_t type_code);
// The ID an IFD1 (thumbnail) tag takes; false for a tag IFD1 does not carry.
[[nodiscard]] bool ThumbnailTagId(uint16_t ifd1_tag, uint32_t& tag_id);

}  // namespace vistrel
