#pragma once
// The program with its window: the application object, the host services,
// the device side, the main window and its hot-plug source, then the event
// loop (or the demonstration).

#include "app/window/entry_options.h"

namespace qfw {

// argc and argv go to the application object. Returns the exit code.
int RunWindowProgram(int& argc, char** argv, const EntryOptions& options);

}  // namespace qfw
