#pragma once
// The command line of the gadget program.

#include <optional>
#include <string>
#include <vector>

namespace qfw::e2e {

struct GadgetOptions {
  // Serving: the FunctionFS mount, the gadget's configfs UDC file and the
  // controller to bind to, the scenario and which of its devices to present.
  std::string functionFs;
  std::string udcFile;
  std::string controller = "dummy_udc.0";
  std::string scenario;
  std::optional<std::string> device;
  std::optional<std::string> flashOut;  // the flash is written here at exit and on SIGUSR1
  bool verbose = false;                 // one line per command on stderr
  // Instead of serving: write the flash a blank QRS642 holds after an update.
  std::optional<std::string> expectedFamily13;
};

// Throws std::invalid_argument with a message for the user.
GadgetOptions ParseGadgetOptions(const std::vector<std::string>& args);

const char* GadgetUsage();

}  // namespace qfw::e2e
