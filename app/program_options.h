#pragma once
// The command line every program of this project understands.

#include <optional>
#include <string>
#include <vector>

namespace qfw {

struct ProgramOptions {
  std::optional<std::string> emulate;  // scenario file
  std::optional<std::string> trace;    // trace file
  bool verbose = false;
  bool help = false;
  bool version = false;
  std::vector<std::string> arguments;  // everything that is not an option
};

// Throws std::invalid_argument with a message for the user on a bad line.
ProgramOptions ParseProgramOptions(const std::vector<std::string>& args);

// The help text of the common options.
std::string CommonOptionsHelp();

}  // namespace qfw
