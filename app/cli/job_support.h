#pragma once
// What several jobs share: reaching a device, the checks before a write,
// and the explanations of failed requests.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/cli/cli_environment.h"
#include "app/cli/jobs.h"
#include "device/pass_through.h"

namespace qfw::cli {

inline constexpr std::string_view kProgramName = "qfwupdate-cli";

// "qfwupdate-cli: text" on standard error.
void PrintError(CliEnvironment& env, std::string_view text);

// The report of a job that cannot reach path (no such device, no
// permission, another open error), after telling the user; nothing when the
// device answers.
std::optional<JobReport> Unreachable(CliEnvironment& env, const std::string& path);

// The mount check (unless --force) and the confirmation (unless --yes; a
// question needs a terminal). False, after telling the user why, when the
// write must not go ahead.
bool ClearedToWrite(CliEnvironment& env, const std::string& path, std::string_view question);

// One paragraph per kind of failed request: what it means and what to do.
std::string FailureHints(const std::vector<TransportError>& failures, const std::string& path);

// "disk", "cdrom", or "unknown" for a path discovery does not list.
std::string InterfaceClassOf(DeviceDiscovery& discovery, const std::string& path);

// How much of a file the user names is read; every image it may hold is
// smaller, so a longer file is refused by its size.
inline constexpr std::size_t kImageFileLimit = 1 << 20;

}  // namespace qfw::cli
