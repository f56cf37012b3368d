#include "app/cli/cli_stack.h"

namespace qfw::cli {

void StatusToDebug::SetStatusText(std::string_view text) {
  if (!text.empty()) debug_.Write(text);
}

CliStack::CliStack(Clock& clock, PassThrough& driver, Console& console, DebugOutput& debug,
                   const ResourceStore& resources)
    : display_(console.out, console.outputIsTerminal),
      keepAlive_(clock, [this](std::chrono::milliseconds quiet) { display_.Notice(BusyNoticeText(quiet)); }),
      monitor_(display_, keepAlive_),
      observing_(driver, monitor_),
      transport_(observing_),
      messages_(console.err),
      progress_(debug),
      host_{keepAlive_, messages_, debug, pump_, progress_, resources},
      context_{transport_, host_} {}

}  // namespace qfw::cli
