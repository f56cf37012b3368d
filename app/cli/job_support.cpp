#include "app/cli/job_support.h"

#include <algorithm>
#include <ostream>

#include "app/cli/device_probe.h"
#include "app/device_scan.h"
#include "platform/access_advice.h"

namespace qfw::cli {

void PrintError(CliEnvironment& env, std::string_view text) {
  env.console.err << kProgramName << ": " << text << '\n' << std::flush;
}

std::optional<JobReport> Unreachable(CliEnvironment& env, const std::string& path) {
  const DeviceProbe probe = ProbeDevice(env.context.transport, path);
  if (probe.opened) return std::nullopt;
  switch (probe.error) {
    case TransportError::NoDevice:
      PrintError(env, "no such device: " + path);
      return JobReport{ExitCode::NoSuchDevice, path};
    case TransportError::AccessDenied:
      PrintError(env, AccessDeniedAdvice(path));
      return JobReport{ExitCode::Failure, path};
    default:
      PrintError(env, "cannot open " + path + ": " + TransportErrorName(probe.error) +
                          (probe.detail.empty() ? "" : " (" + probe.detail + ")"));
      return JobReport{ExitCode::Failure, path};
  }
}

bool ClearedToWrite(CliEnvironment& env, const std::string& path, std::string_view question) {
  if (env.checkMounts) {
    const MountCheck check = CheckBridgeMounts(path, env.mountRoots);
    if (!check.Clear()) {
      PrintError(env, MountRefusalText(path, check));
      if (!env.options.force) return false;
      PrintError(env, "writing anyway (--force)");
    }
  }
  if (env.options.yes) return true;
  if (!env.console.inputIsTerminal) {
    PrintError(env,
               "standard input is not a terminal, so nobody can confirm the write; add --yes to go ahead. "
               "Nothing was written.");
    return false;
  }
  if (Confirm(env.console, question)) return true;
  env.console.out << "Nothing was written.\n";
  return false;
}

std::string FailureHints(const std::vector<TransportError>& failures, const std::string& path) {
  std::string text;
  for (const TransportError error : failures) {
    switch (error) {
      case TransportError::AccessDenied:
        text += AccessDeniedAdvice(path) + "\n";
        break;
      case TransportError::Busy:
        text += "Another program has " + path +
                " open, and writing needs the device to itself. Close that program and try again.\n";
        break;
      case TransportError::NoDevice:
        text +=
            "The bridge went away in the middle of the work. Keep it plugged in and powered while "
            "this program works.\n";
        break;
      default:
        text +=
            std::string("A request failed: ") + TransportErrorName(error) + " (--verbose shows each failed request).\n";
        break;
    }
  }
  return text;
}

std::string InterfaceClassOf(DeviceDiscovery& discovery, const std::string& path) {
  const auto lists = [&](const std::vector<std::string>& paths) {
    return std::ranges::any_of(paths, [&](const std::string& p) { return LowerCasePath(p) == path; });
  };
  if (lists(discovery.FindUsbDiskPaths())) return "disk";
  if (lists(discovery.FindUsbCdromPaths())) return "cdrom";
  return "unknown";
}

}  // namespace qfw::cli
