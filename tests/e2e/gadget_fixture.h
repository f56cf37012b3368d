#pragma once
// A QRS642 on an emulated bus with a manual clock, reached through the
// gadget's command router as the kernel would reach it over USB.

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "e2e/gadget/bulk_only.h"
#include "e2e/gadget/command_router.h"
#include "emulator/emulated_bus.h"
#include "emulator/presets.h"
#include "tests/support/fake_host.h"

namespace qfw::e2e {

using Bytes = std::vector<std::uint8_t>;

inline Cbw MakeCbw(std::initializer_list<std::uint8_t> cdb, std::uint32_t dataLength, bool dataIn) {
  Cbw cbw;
  cbw.tag = 7;
  cbw.dataLength = dataLength;
  cbw.dataIn = dataIn;
  cbw.cdbLength = static_cast<std::uint8_t>(cdb.size());
  std::copy(cdb.begin(), cdb.end(), cbw.cdbBytes.begin());
  return cbw;
}

inline constexpr std::uint32_t kTestDiskBlocks = 64;

class GadgetFixture : public testing::Test {
 protected:
  explicit GadgetFixture(std::vector<emu::CommandFailure> failures = {}) {
    emu::DeviceConfig config = emu::Preset("QRS642").value();
    config.path = "/dev/sg1";
    config.faults.failures = std::move(failures);
    bridge_ = &bus_.Add(std::move(config));
  }

  // Runs one command; returns the outcome and leaves a data-in phase in dataIn_.
  CommandOutcome Run(const Cbw& cbw, const Bytes& dataOut = {}) {
    dataIn_.assign(cbw.dataIn ? cbw.dataLength : 0, 0xEE);
    return router_.Handle(cbw, dataIn_, dataOut);
  }

  Bytes RequestSense() {
    const auto outcome = Run(MakeCbw({0x03, 0, 0, 0, 18, 0}, 18, true));
    EXPECT_EQ(outcome.status, CswStatus::Passed);
    return Bytes(dataIn_.begin(), dataIn_.begin() + static_cast<std::ptrdiff_t>(outcome.transferred));
  }

  test::ManualClock clock_;
  emu::EmulatedBus bus_{clock_};
  emu::EmulatedBridge* bridge_ = nullptr;
  CommandRouter router_{DiskModel(kTestDiskBlocks),
                        [this](const ScsiRequest& request) { return bus_.Execute("/dev/sg1", request); }};
  Bytes dataIn_;
};

}  // namespace qfw::e2e
