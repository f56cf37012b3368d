#pragma once
// qfwupdate-cli from its command line to its exit code, on the real machine
// or on an emulated one.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/cli/console.h"

namespace qfw::cli {

// What the program takes from its process environment.
struct ProcessEnvironment {
  std::optional<std::string> xdgStateHome;  // XDG_STATE_HOME
  std::optional<std::string> home;          // HOME
  // QFWUPDATE_SYSFS_ROOT and QFWUPDATE_MOUNTS: where the mount check looks
  // instead of /sys and /proc/self/mounts. Emulated devices are checked
  // only when a sysfs root is given.
  std::optional<std::string> sysfsRoot;
  std::optional<std::string> mountsFile;
};

ProcessEnvironment ReadProcessEnvironment();

int RunCliProgram(const std::vector<std::string>& args, Console& console, const ProcessEnvironment& environment,
                  std::string_view version);

}  // namespace qfw::cli
