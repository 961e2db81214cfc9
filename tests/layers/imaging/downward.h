// Includes the layer check allows: imaging stands on the run and everything below it.
#include <vips/vips8>

#include "generation/image_processor.h"
#include "support/text.h"
