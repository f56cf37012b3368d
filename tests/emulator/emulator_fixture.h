#pragma once
// An emulated machine for tests: virtual clock, bus, pass-through and the
// real command transport on top, so every test sends the real CDBs.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "device/transport.h"
#include "emulator/emulated_bus.h"
#include "emulator/emulated_pass_through.h"
#include "emulator/presets.h"
#include "tests/support/fake_host.h"

namespace qfw::emu::test {

inline DeviceConfig PresetAt(const std::string& name, const std::string& path = "/dev/sg1") {
  DeviceConfig config = Preset(name).value();
  config.path = path;
  return config;
}

class EmulatorTest : public ::testing::Test {
 protected:
  EmulatedBridge& Add(const std::string& preset, const std::string& path = "/dev/sg1",
                      const std::function<void(DeviceConfig&)>& tweak = {}) {
    DeviceConfig config = PresetAt(preset, path);
    if (tweak) {
      tweak(config);
    }
    return bus.Add(std::move(config));
  }

  qfw::test::ManualClock clock;
  EmulatedBus bus{clock};
  EmulatedPassThrough driver{bus};
  Transport t{driver};
  const std::string kPath = "/dev/sg1";
};

inline std::vector<std::uint8_t> Filled(std::size_t size, std::uint8_t value) {
  return std::vector<std::uint8_t>(size, value);
}

}  // namespace qfw::emu::test
