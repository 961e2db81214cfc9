// vistrel-cli: starts the image library and runs the command line; the one place where an
// unexpected exception ends the program with its message.
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "imaging/image_library.h"

int main(int argc, char** argv) {
  try {
    vistrel::TImageLibrary image_library(argv[0]);
    std::vector<std::string> args(argv + 1, argv + argc);
    return vistrel::RunCli(args, std::cout, std::cerr);
  } catch (const std::exception& error) {
    std::cerr << "Fehler: " << error.what() << "\n";
    return 1;
  }
}
