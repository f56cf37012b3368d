#pragma once
// Whether the window can open at all: without a display the toolkit would
// end the program with an error of its own, so the program explains first.

#include <functional>
#include <optional>
#include <string>

namespace qfw {

// Looks an environment variable up; nullptr when unset.
using EnvironmentLookup = std::function<const char*(const char* name)>;

// The message for the user when neither DISPLAY, WAYLAND_DISPLAY nor
// QT_QPA_PLATFORM names a display; nothing when one is set.
std::optional<std::string> MissingDisplayMessage(const EnvironmentLookup& lookup);

// What to tell the user when the toolkit found no usable display even so
// (the display named cannot be reached).
std::string UnusableDisplayMessage(const std::string& toolkitMessage);

}  // namespace qfw
