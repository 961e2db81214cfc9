#include "support/logger.h"

#include <utility>

namespace vistrel {

TLogger::TLogger(std::string file_name) : file_name_(std::move(file_name)) {}

TLogger::~TLogger() { Log("closing logger."); }

void TLogger::Log(std::string_view /*message*/) {}

}  // namespace vistrel
