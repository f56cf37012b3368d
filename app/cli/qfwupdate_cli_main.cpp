// qfwupdate-cli: the firmware update utility for terminals (see
// docs/qfwupdate-cli.1).

#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "app/cli/cli_program.h"

int main(int argc, char** argv) {
  qfw::cli::Console console{.out = std::cout,
                            .err = std::cerr,
                            .in = std::cin,
                            .inputIsTerminal = ::isatty(STDIN_FILENO) == 1,
                            .outputIsTerminal = ::isatty(STDOUT_FILENO) == 1};
  return qfw::cli::RunCliProgram(std::vector<std::string>(argv + 1, argv + argc), console,
                                 qfw::cli::ReadProcessEnvironment(), QFW_VERSION);
}
