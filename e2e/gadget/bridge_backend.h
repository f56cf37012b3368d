#pragma once
// The emulated bridge behind the gadget: a scenario's machine on an emulated
// bus running on the real clock, shared by the thread that serves commands
// and the one that dumps the flash. The gadget presents one of its devices.

#include <filesystem>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "device/pass_through.h"
#include "e2e/gadget/steady_clock.h"
#include "emulator/emulated_bus.h"

namespace qfw::e2e {

class BridgeBackend {
 public:
  // Loads the scenario (its "embedded" contents are this build's family-13
  // image) and presents devicePath, or the scenario's first device. Throws
  // std::runtime_error when the scenario cannot be used.
  BridgeBackend(const std::filesystem::path& scenario, const std::optional<std::string>& devicePath,
                std::ostream& log);

  ScsiResult Execute(const ScsiRequest& request);
  // Attached, not vanished and not in the middle of a reset; reports what
  // changed since the last look to the log.
  bool Present();
  std::vector<std::uint8_t> FlashContents();
  const std::string& Path() const { return path_; }

 private:
  SteadyClock clock_;
  emu::EmulatedBus bus_{clock_};
  std::string path_;
  emu::EmulatedBridge* bridge_ = nullptr;
  std::mutex mutex_;
};

}  // namespace qfw::e2e
