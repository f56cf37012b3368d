#pragma once
// After its reset a QRS642 bridge leaves the bus and comes back as a new
// USB device, possibly under another /dev/sgN. The wait first lets it go
// (briefly), then polls discovery until a supported controller appears at
// its old path or at a path that was not there before the update.

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "device/context.h"
#include "device/discovery.h"

namespace qfw::cli {

inline constexpr std::chrono::milliseconds kReattachPoll{250};
inline constexpr std::chrono::milliseconds kDepartureWait{5000};

// The path the bridge came back at, or nothing when timeout passed first.
// before: the candidate paths (lower case) before the update.
std::optional<std::string> WaitForReattach(const Context& context, DeviceDiscovery& discovery, const std::string& path,
                                           const std::vector<std::string>& before, std::chrono::milliseconds timeout);

// The candidate paths discovery sees now, in lower case.
std::vector<std::string> CandidatePathsNow(DeviceDiscovery& discovery, DebugOutput& debug);

}  // namespace qfw::cli
