// vistrel-cli: takes SIGINT and SIGTERM as a request to stop before anything else, starts the
// image library and runs the command line; the one place where an unexpected exception ends
// the program with its message.
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "imaging/image_library.h"
#include "support/stop_signals.h"

int main(int argc, char** argv) {
  vistrel::InstallStopSignals();
  try {
    vistrel::TImageLibrary image_library(argv[0]);
    if (vistrel::StopRequested()) return vistrel::kStoppedStatus;
    std::vector<std::string> args(argv + 1, argv + argc);
    const int status = vistrel::RunCli(args, std::cout, std::cerr);
    return vistrel::StopRequested() ? vistrel::kStoppedStatus : status;
  } catch (const std::exception& error) {
    std::cerr << "Fehler: " << error.what() << "\n";
    return 1;
  }
}
