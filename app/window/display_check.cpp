#include "app/window/display_check.h"

namespace qfw {
namespace {

constexpr const char* kHowToRun =
    "Run it in a desktop session, or under a virtual X server:\n"
    "  xvfb-run -a qfwupdate [options]\n"
    "scripts/run.sh does that by itself when there is no display and saves a\n"
    "screenshot of each window state. To list the attached bridges without a\n"
    "window: qfwupdate --list\n";

bool IsSet(const EnvironmentLookup& lookup, const char* name) {
  const char* value = lookup(name);
  return value != nullptr && *value != '\0';
}

}  // namespace

std::optional<std::string> MissingDisplayMessage(const EnvironmentLookup& lookup) {
  if (IsSet(lookup, "DISPLAY") || IsSet(lookup, "WAYLAND_DISPLAY") || IsSet(lookup, "QT_QPA_PLATFORM")) {
    return std::nullopt;
  }
  return std::string("qfwupdate: no display is available (neither DISPLAY nor WAYLAND_DISPLAY is set),\n"
                     "so the window cannot open.\n") +
         kHowToRun;
}

std::string UnusableDisplayMessage(const std::string& toolkitMessage) {
  return "qfwupdate: the window cannot open, the display cannot be used:\n  " + toolkitMessage + "\n" + kHowToRun;
}

}  // namespace qfw
