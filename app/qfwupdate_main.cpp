// qfwupdate: the firmware update utility. Opens the main window, which asks
// whether to update the first attached bridge that needs it; --list prints
// the attached bridges instead.

#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "app/window/device_listing.h"
#include "app/window/entry_options.h"
#include "app/window/window_program.h"

int main(int argc, char** argv) {
  qfw::EntryOptions options;
  try {
    options = qfw::ParseEntryOptions(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::exception& error) {
    std::cerr << "qfwupdate: " << error.what() << "\nTry qfwupdate --help.\n";
    return 2;
  }
  if (options.common.help) {
    std::cout << qfw::EntryUsage();
    return 0;
  }
  if (options.common.version) {
    std::cout << "qfwupdate " << QFW_VERSION << "\n";
    return 0;
  }
  if (options.list) {
    try {
      return qfw::ListDevices(options.common, std::cout);
    } catch (const std::exception& error) {
      std::cerr << "qfwupdate: " << error.what() << "\n";
      return EXIT_FAILURE;
    }
  }
  return qfw::RunWindowProgram(argc, argv, options);
}
