#include "app/cli/reattach_wait.h"

#include <algorithm>

#include "app/device_scan.h"
#include "device/candidate_paths.h"
#include "device/chip_identification.h"

namespace qfw::cli {
namespace {

bool Contains(const std::vector<std::string>& paths, const std::string& path) {
  return std::ranges::find(paths, path) != paths.end();
}

// The path a supported controller answers at: the old one, or a new one.
std::optional<std::string> ReturnedPath(const Context& context, DeviceDiscovery& discovery, const std::string& path,
                                        const std::vector<std::string>& before) {
  for (const std::string& candidate : CandidatePathsNow(discovery, context.host.debug)) {
    if (candidate != path && Contains(before, candidate)) continue;
    if (IsSupportedFamily(context, candidate)) return candidate;
  }
  return std::nullopt;
}

}  // namespace

std::vector<std::string> CandidatePathsNow(DeviceDiscovery& discovery, DebugOutput& debug) {
  std::vector<std::string> paths = FindCandidatePaths(discovery, debug).paths;
  for (std::string& path : paths) path = LowerCasePath(std::move(path));
  return paths;
}

Reattach WaitForReattach(const Context& context, DeviceDiscovery& discovery, const std::string& path,
                         const std::vector<std::string>& before, std::chrono::milliseconds timeout) {
  Clock& clock = context.host.clock;
  const auto start = clock.Now();
  const auto departureEnd = start + std::min(timeout, kDepartureWait);
  const auto present = [&] { return Contains(CandidatePathsNow(discovery, context.host.debug), path); };
  while (present()) {
    if (clock.Now() >= departureEnd) return {};
    clock.Sleep(kReattachPoll);
  }
  while (true) {
    if (auto returned = ReturnedPath(context, discovery, path, before)) return {true, returned};
    if (clock.Now() - start >= timeout) return {true, std::nullopt};
    clock.Sleep(kReattachPoll);
  }
}

}  // namespace qfw::cli
