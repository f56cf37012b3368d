#include "app/cli/cli_program.h"

#include <cstdlib>
#include <exception>
#include <ostream>

#include "app/cli/backup_location.h"
#include "app/cli/cli_stack.h"
#include "app/cli/exit_code.h"
#include "app/cli/file_io.h"
#include "app/cli/job_support.h"
#include "app/cli/jobs.h"
#include "app/device_stack.h"
#include "emulator/emulated_bus.h"
#include "platform/stderr_debug_output.h"
#include "platform/system_clock.h"
#include "resources/embedded_resources.h"

namespace qfw::cli {
namespace {

std::optional<std::string> Variable(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

int UsageError(Console& console, std::string_view message) {
  console.err << kProgramName << ": " << message << "\nTry " << kProgramName << " --help.\n";
  return ToInt(ExitCode::Failure);
}

MountRoots RootsOf(const ProcessEnvironment& environment) {
  MountRoots roots;
  if (environment.sysfsRoot) roots.sysfs = *environment.sysfsRoot;
  if (environment.mountsFile) roots.mounts = *environment.mountsFile;
  return roots;
}

// --dump-flash: the emulated device's flash as it is after the command.
bool DumpFlash(Console& console, emu::EmulatedBus& bus, const std::string& device, const std::string& file) {
  emu::EmulatedBridge* bridge = bus.Find(device);
  if (bridge == nullptr) {
    console.err << kProgramName << ": --dump-flash: no emulated device " << device << "\n";
    return false;
  }
  try {
    WriteFileDurably(file, bridge->Flash().Contents());
  } catch (const FileError& error) {
    console.err << kProgramName << ": --dump-flash: " << error.what() << "\n";
    return false;
  }
  return true;
}

int RunCommand(const CliOptions& options, Console& console, const ProcessEnvironment& environment) {
  SystemClock clock;
  StderrDebugOutput verboseOutput(std::string(kProgramName) + ": ", console.err);
  NullDebugOutput quiet;
  DebugOutput& debug = options.common.verbose ? static_cast<DebugOutput&>(verboseOutput) : quiet;
  DeviceStack devices({options.common.emulate, options.common.trace}, clock, debug);
  const EmbeddedResources resources;
  CliStack stack(clock, devices.Driver(), console, debug, resources);
  CliEnvironment env{.options = options,
                     .context = stack.GetContext(),
                     .discovery = devices.Discovery(),
                     .console = console,
                     .stages = stack.Stages(),
                     .mountRoots = RootsOf(environment),
                     .checkMounts = !options.common.emulate || environment.sysfsRoot.has_value(),
                     .stateDirectory = StateDirectory(environment.xdgStateHome, environment.home)};
  const JobReport report = RunJob(env);
  if (options.dumpFlash && !report.device.empty() &&
      !DumpFlash(console, *devices.Bus(), report.device, *options.dumpFlash)) {
    return ToInt(ExitCode::Failure);
  }
  return ToInt(report.code);
}

}  // namespace

ProcessEnvironment ReadProcessEnvironment() {
  return {.xdgStateHome = Variable("XDG_STATE_HOME"),
          .home = Variable("HOME"),
          .sysfsRoot = Variable("QFWUPDATE_SYSFS_ROOT"),
          .mountsFile = Variable("QFWUPDATE_MOUNTS")};
}

int RunCliProgram(const std::vector<std::string>& args, Console& console, const ProcessEnvironment& environment,
                  std::string_view version) {
  CliOptions options;
  try {
    options = ParseCliOptions(args);
  } catch (const std::exception& error) {
    return UsageError(console, error.what());
  }
  if (options.common.help) {
    console.out << CliUsage();
    return ToInt(ExitCode::Success);
  }
  if (options.common.version) {
    console.out << kProgramName << " " << version << "\n";
    return ToInt(ExitCode::Success);
  }
  if (options.dumpFlash && !options.common.emulate) return UsageError(console, "--dump-flash needs --emulate");
  try {
    return RunCommand(options, console, environment);
  } catch (const std::exception& error) {
    console.err << kProgramName << ": " << error.what() << "\n";
    return ToInt(ExitCode::Failure);
  }
}

}  // namespace qfw::cli
