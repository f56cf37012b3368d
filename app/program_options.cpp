#include "app/program_options.h"

#include <stdexcept>

namespace qfw {
namespace {

// "--name=value" or "--name value".
std::string TakeValue(const std::vector<std::string>& args, std::size_t& i, const std::string& name) {
  const std::string& arg = args[i];
  if (arg.size() > name.size() && arg[name.size()] == '=') {
    return arg.substr(name.size() + 1);
  }
  if (i + 1 >= args.size() || args[i + 1].empty()) {
    throw std::invalid_argument(name + " needs a value");
  }
  return args[++i];
}

bool Is(const std::string& arg, const std::string& name) {
  return arg == name || arg.starts_with(name + "=");
}

}  // namespace

ProgramOptions ParseProgramOptions(const std::vector<std::string>& args) {
  ProgramOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (Is(arg, "--emulate")) {
      options.emulate = TakeValue(args, i, "--emulate");
    } else if (Is(arg, "--trace")) {
      options.trace = TakeValue(args, i, "--trace");
    } else if (arg == "--verbose" || arg == "-v") {
      options.verbose = true;
    } else if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--version") {
      options.version = true;
    } else if (arg.starts_with("-") && arg != "-") {
      throw std::invalid_argument("unknown option " + arg);
    } else {
      options.arguments.push_back(arg);
    }
  }
  return options;
}

std::string CommonOptionsHelp() {
  return "  --emulate SCENARIO.json  use emulated bridges described by the scenario file\n"
         "  --trace FILE             write one line per SCSI request to FILE\n"
         "  --verbose, -v            write diagnostics to stderr\n"
         "  --version                print the version and exit\n"
         "  --help, -h               print this help and exit\n";
}

}  // namespace qfw
