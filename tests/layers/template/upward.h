// An include the layer check must refuse: the template engine stands below the run.
#include "generation/vistrel.h"
#include "model/record.h"
