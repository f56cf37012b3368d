#include "app/window/entry_options.h"

#include <stdexcept>

namespace qfw {

EntryOptions ParseEntryOptions(const std::vector<std::string>& args) {
  EntryOptions options;
  std::vector<std::string> rest;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--list") {
      options.list = true;
    } else if (arg.starts_with("--demo=")) {
      options.demoDir = arg.substr(7);
    } else if (arg == "--demo") {
      if (i + 1 >= args.size() || args[i + 1].empty()) {
        throw std::invalid_argument("--demo needs a value");
      }
      options.demoDir = args[++i];
    } else {
      rest.push_back(arg);
    }
  }
  if (options.demoDir && options.demoDir->empty()) {
    throw std::invalid_argument("--demo needs a value");
  }
  if (options.list && options.demoDir) {
    throw std::invalid_argument("--list and --demo exclude each other");
  }
  options.common = ParseProgramOptions(rest);
  // The demonstration answers YES by itself: never on a real device.
  if (options.demoDir && !options.common.emulate) {
    throw std::invalid_argument("--demo works on an emulated machine only (--emulate SCENARIO.json)");
  }
  if (!options.common.arguments.empty()) {
    throw std::invalid_argument("unexpected argument " + options.common.arguments.front());
  }
  return options;
}

std::string EntryUsage() {
  return "Usage: qfwupdate [options]\n"
         "Updates the firmware of an attached Quorell QRS642 USB bridge. The window asks\n"
         "whether to update the first bridge that needs it.\n\nOptions:\n" +
         CommonOptionsHelp() +
         "  --list                   print the attached bridges and what the update would\n"
         "                           do with each; opens no window\n"
         "  --demo DIR               open the window, answer YES, and save a screenshot of\n"
         "                           each state in DIR (with --emulate only)\n";
}

}  // namespace qfw
