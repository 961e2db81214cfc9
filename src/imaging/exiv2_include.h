// exiv2's headers, included here only, with the warnings that its use of std::auto_ptr raises
// switched off.
#pragma once

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>
#include <exiv2/webpimage.hpp>  // not among exiv2.hpp's own
#pragma GCC diagnostic pop
