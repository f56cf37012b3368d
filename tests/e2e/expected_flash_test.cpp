// The flash the guest test expects after its update is exactly what the
// update writes on the emulated bridge, and the program then finds the chip
// already updated: the guest proves the real kernel path gives the same.

#include <gtest/gtest.h>

#include "device/chip_identification.h"
#include "e2e/gadget/expected_flash.h"
#include "emulator/emulated_bus.h"
#include "emulator/emulated_pass_through.h"
#include "emulator/presets.h"
#include "flash/embedded_image.h"
#include "app/update_run.h"
#include "resources/embedded_resources.h"
#include "tests/support/fake_host.h"

namespace qfw::e2e {
namespace {

TEST(ExpectedFlashTest, IsWhatTheUpdateWritesOnABlankQrs642) {
  test::FakeHost host;
  const auto image = EmbeddedResources().Find("QRS642", "FW6701").value();
  host.resources.Add("QRS642", "FW6701", std::vector<std::uint8_t>(image.begin(), image.end()));
  emu::EmulatedBus bus(host.clock);
  emu::DeviceConfig config = emu::Preset("QRS642").value();
  config.path = "/dev/sg1";
  config.flash.contents.assign(65536, 0xFF);
  const auto& bridge = bus.Add(std::move(config));
  emu::EmulatedPassThrough driver(bus);
  Transport transport(driver);
  const Context context{transport, host.host};

  const UpdateOutcome outcome = RunUpdate(context, TransferSettings{}, "/dev/sg1", IdentifyChip(context, "/dev/sg1"));
  ASSERT_TRUE(outcome.result);
  EXPECT_TRUE(outcome.resetSent);
  const auto flash = bridge.Flash().Contents();
  EXPECT_EQ(std::vector<std::uint8_t>(flash.begin(), flash.end()), ExpectedFamily13Flash());

  host.clock.Advance(std::chrono::seconds(2));
  EXPECT_TRUE(IsAlreadyUpdated(context, "/dev/sg1"));
}

}  // namespace
}  // namespace qfw::e2e
