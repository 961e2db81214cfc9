// The commands and options of vistrel-cli, each with its help line and what the shell offers
// for its value. Parsing, the help texts and the completion all come from this one table (see
// support/command_line.h); an option added here is parsed, explained and completed.
//
// The table is built once and never changes; safe from any thread after the first call.
#pragma once

#include "support/command_line.h"

namespace vistrel {

const TProgramTable& CliProgram();

}  // namespace vistrel
