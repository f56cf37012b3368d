#pragma once
// The command line of qfwupdate: the options every program understands,
// plus the listing and the demonstration.

#include <optional>
#include <string>
#include <vector>

#include "app/program_options.h"

namespace qfw {

struct EntryOptions {
  ProgramOptions common;
  bool list = false;                   // print the devices, open no window
  std::optional<std::string> demoDir;  // demonstrate the window, screenshots here
};

// Throws std::invalid_argument with a message for the user on a bad line.
EntryOptions ParseEntryOptions(const std::vector<std::string>& args);

// The whole help text.
std::string EntryUsage();

}  // namespace qfw
