#pragma once
// Scenario files: a JSON description of the devices attached to an emulated
// machine (format in docs/emulator.md).

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "emulator/device_config.h"

namespace qfw::emu {

class EmulatedBus;

// A scenario that cannot be used; the message names the device index and
// the field ("device 1: flash.size: ...").
class ScenarioError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct ScenarioOptions {
  // The firmware image this build embeds, for "embedded" flash contents.
  std::function<std::optional<std::vector<std::uint8_t>>()> embeddedImage;
  // Where relative contents files are found; LoadScenario uses the folder
  // of the scenario file instead.
  std::filesystem::path baseDirectory;
};

struct Scenario {
  std::string description;
  std::vector<DeviceConfig> devices;
};

Scenario ParseScenario(std::string_view json, const ScenarioOptions& options);
Scenario LoadScenario(const std::filesystem::path& path, const ScenarioOptions& options);

// Adds every device of the scenario to the bus, in order.
void Install(const Scenario& scenario, EmulatedBus& bus);

}  // namespace qfw::emu
