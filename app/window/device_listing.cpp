#include "app/window/device_listing.h"

#include "app/device_report.h"
#include "app/device_stack.h"
#include "platform/access_advice.h"
#include "platform/console_message_box.h"
#include "platform/stderr_debug_output.h"
#include "platform/system_clock.h"
#include "resources/embedded_resources.h"

namespace qfw {

int ListDevices(const ProgramOptions& options, std::ostream& out) {
  SystemClock clock;
  ConsoleMessageBox messages;
  StderrDebugOutput verboseOutput;
  NullDebugOutput quiet;
  DebugOutput& debug = options.verbose ? static_cast<DebugOutput&>(verboseOutput) : quiet;
  NullPump pump;
  NullProgress progress;
  EmbeddedResources resources;
  Host host{clock, messages, debug, pump, progress, resources};

  DeviceStack stack({options.emulate, options.trace}, clock, debug);
  Transport transport(stack.Driver());
  const Context context{transport, host};

  const auto reports = ReportDevices(context, stack.Discovery());
  if (reports.empty()) {
    out << "No available device!!!\n";
    return 0;
  }
  for (const auto& report : reports) {
    out << FormatReport(report);
    if (report.openError == TransportError::AccessDenied) {
      out << AccessDeniedAdvice(report.path) << "\n";
    }
  }
  return 0;
}

}  // namespace qfw
