#include "e2e/gadget/gadget_options.h"

#include <functional>
#include <map>
#include <stdexcept>
#include <string_view>

namespace qfw::e2e {

const char* GadgetUsage() {
  return "usage: qfw-e2e-gadget --ffs DIR --udc-file FILE [--udc NAME] --scenario FILE\n"
         "                      [--device PATH] [--flash-out FILE] [--verbose]\n"
         "       qfw-e2e-gadget --expected-family13 FILE\n";
}

GadgetOptions ParseGadgetOptions(const std::vector<std::string>& args) {
  GadgetOptions options;
  const std::map<std::string_view, std::function<void(const std::string&)>> valued{
      {"--ffs", [&](const std::string& v) { options.functionFs = v; }},
      {"--udc-file", [&](const std::string& v) { options.udcFile = v; }},
      {"--udc", [&](const std::string& v) { options.controller = v; }},
      {"--scenario", [&](const std::string& v) { options.scenario = v; }},
      {"--device", [&](const std::string& v) { options.device = v; }},
      {"--flash-out", [&](const std::string& v) { options.flashOut = v; }},
      {"--expected-family13", [&](const std::string& v) { options.expectedFamily13 = v; }},
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--verbose") {
      options.verbose = true;
      continue;
    }
    const auto option = valued.find(arg);
    if (option == valued.end()) {
      throw std::invalid_argument("unknown option " + arg);
    }
    if (i + 1 >= args.size()) {
      throw std::invalid_argument("missing value after " + arg);
    }
    option->second(args[++i]);
  }
  if (!options.expectedFamily13 && (options.functionFs.empty() || options.udcFile.empty() || options.scenario.empty())) {
    throw std::invalid_argument("--ffs, --udc-file and --scenario are needed");
  }
  return options;
}

}  // namespace qfw::e2e
