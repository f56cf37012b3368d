// qfwupdate: lists the bridges attached to the machine (or to an emulated
// machine) with their identification and what the update would do.

#include <iostream>
#include <string>
#include <vector>

#include "app/device_report.h"
#include "app/device_stack.h"
#include "app/program_options.h"
#include "platform/access_advice.h"
#include "platform/console_message_box.h"
#include "platform/stderr_debug_output.h"
#include "platform/system_clock.h"
#include "resources/embedded_resources.h"

namespace {

constexpr const char* kUsage =
    "Usage: qfwupdate [options]\n"
    "Finds the Quorell USB bridges attached to this machine and shows what the\n"
    "firmware update would do with each.\n\nOptions:\n";

int Run(const qfw::ProgramOptions& options) {
  qfw::SystemClock clock;
  qfw::ConsoleMessageBox messages;
  qfw::StderrDebugOutput verboseOutput;
  qfw::NullDebugOutput quiet;
  qfw::DebugOutput& debug = options.verbose ? static_cast<qfw::DebugOutput&>(verboseOutput) : quiet;
  qfw::NullPump pump;
  qfw::NullProgress progress;
  qfw::EmbeddedResources resources;
  qfw::Host host{clock, messages, debug, pump, progress, resources};

  qfw::DeviceStack stack({options.emulate, options.trace}, clock, debug);
  qfw::Transport transport(stack.Driver());
  const qfw::Context context{transport, host};

  const auto reports = qfw::ReportDevices(context, stack.Discovery());
  if (reports.empty()) {
    std::cout << "No available device!!!\n";
    return 0;
  }
  for (const auto& report : reports) {
    std::cout << qfw::FormatReport(report);
    if (report.openError == qfw::TransportError::AccessDenied) {
      std::cout << qfw::AccessDeniedAdvice(report.path) << "\n";
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const qfw::ProgramOptions options = qfw::ParseProgramOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (options.help) {
      std::cout << kUsage << qfw::CommonOptionsHelp();
      return 0;
    }
    if (options.version) {
      std::cout << "qfwupdate " << QFW_VERSION << "\n";
      return 0;
    }
    return Run(options);
  } catch (const std::exception& error) {
    std::cerr << "qfwupdate: " << error.what() << "\n";
    return 1;
  }
}
