#pragma once
// After its reset a QRS642 bridge leaves the bus and comes back as a new
// USB device, possibly under another /dev/sgN. The wait first lets it go
// (briefly), then polls discovery until a supported controller appears at
// its old path or at a path that was not there before the update. A bridge
// that never left did not reset: it still runs its former firmware.

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "device/context.h"
#include "device/discovery.h"

namespace qfw::cli {

inline constexpr std::chrono::milliseconds kReattachPoll{250};
inline constexpr std::chrono::milliseconds kDepartureWait{5000};

struct Reattach {
  bool departed = false;            // the old path went away within the departure wait
  std::optional<std::string> path;  // where it came back; nothing when it did not
};

// before: the candidate paths (lower case) before the update. Returns at
// once, without a path, when the bridge does not leave.
Reattach WaitForReattach(const Context& context, DeviceDiscovery& discovery, const std::string& path,
                         const std::vector<std::string>& before, std::chrono::milliseconds timeout);

// The candidate paths discovery sees now, in lower case.
std::vector<std::string> CandidatePathsNow(DeviceDiscovery& discovery, DebugOutput& debug);

}  // namespace qfw::cli
