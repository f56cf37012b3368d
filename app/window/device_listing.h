#pragma once
// qfwupdate --list: the attached bridges, what the update would do with
// each, and advice for nodes the user may not open. No window.

#include <ostream>

#include "app/program_options.h"

namespace qfw {

int ListDevices(const ProgramOptions& options, std::ostream& out);

}  // namespace qfw
