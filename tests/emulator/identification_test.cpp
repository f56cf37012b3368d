// Chip and serial-flash identification against the emulated controllers:
// every preset is recognised as what it claims to be, and the failure
// branches end as they must.

#include <gtest/gtest.h>

#include "device/chip_identification.h"
#include "device/commands.h"
#include "device/flash_identification.h"
#include "emulator/emulated_bus.h"
#include "emulator/emulated_pass_through.h"
#include "emulator/presets.h"
#include "tests/support/fake_host.h"
#include "tests/support/scripted_pass_through.h"

namespace qfw::emu {
namespace {

const std::string kPath = "/dev/sg1";

class IdentificationTest : public testing::Test {
 protected:
  EmulatedBridge& Add(const std::string& preset) {
    DeviceConfig config = Preset(preset).value();
    config.path = kPath;
    return bus_.Add(std::move(config));
  }
  Context MakeContext() { return {transport_, host_.host}; }

  qfw::test::FakeHost host_;
  EmulatedBus bus_{host_.clock};
  EmulatedPassThrough driver_{bus_};
  Transport transport_{driver_};
};

struct PresetCase {
  const char* preset;
  ChipId chipId;
  FlashKind flashKind;  // by the controller's answer, else by the id probes; 0: no serial flash
};

TEST_F(IdentificationTest, EveryPresetIsRecognised) {
  const PresetCase cases[] = {
      {"QR40611", 0x0101, 1}, {"QR40612", 0x0002, 0}, {"QR40613", 0x0003, 1}, {"QR40614", 0x0104, 1},
      {"QR40615", 0x0005, 1}, {"QRB621", 0x0106, 2},  {"QRB622", 0x0107, 2},  {"QRB623", 0x0008, 2},
      {"QRB624", 0x0009, 2},  {"QRS641", 0x000A, 5},  {"QRB631", 0x010B, 3},  {"QRB632", 0x000C, 3},
      {"QRS642", 0x000D, 6},  {"QR40612-R", 0x0012, 0},
  };
  for (const PresetCase& c : cases) {
    EmulatedBus bus(host_.clock);
    DeviceConfig config = Preset(c.preset).value();
    config.path = kPath;
    bus.Add(std::move(config));
    EmulatedPassThrough driver(bus);
    Transport transport(driver);
    const Context context{transport, host_.host};
    EXPECT_EQ(IdentifyChip(context, kPath), c.chipId) << c.preset;
    EXPECT_EQ(IsSupportedFamily(context, kPath), c.chipId == 0x000A || c.chipId == 0x000D) << c.preset;

    std::array<std::uint8_t, 4> reported{};
    ASSERT_TRUE(CmdReadFlashKind(transport, kPath, reported)) << c.preset;
    FlashDetection detection;
    const bool detected = reported[0] != 0 || DetectFlashKind(transport, kPath, detection);
    EXPECT_EQ(detected, c.flashKind != 0) << c.preset;
    EXPECT_EQ(reported[0] != 0 ? reported[0] : detection.kind, c.flashKind) << c.preset;
  }
  EXPECT_TRUE(host_.messages.shown.empty());
}

TEST_F(IdentificationTest, PlainUsbStickIsNoChip) {
  Add("usb-stick");
  EXPECT_EQ(IdentifyChip(MakeContext(), kPath), 0x0000);
  EXPECT_FALSE(IsSupportedFamily(MakeContext(), kPath));
}

TEST_F(IdentificationTest, VanishedDeviceIsNoChipAndNoMessage) {
  Add("QRS642").VanishAfter(0);
  EXPECT_EQ(IdentifyChip(MakeContext(), kPath), 0x0000);
  EXPECT_TRUE(host_.messages.shown.empty());
}

TEST_F(IdentificationTest, Family7WhoseChipInfoFailsTellsTheUser) {
  Add("QRB622").FailCommands({.prefix = {0xE0, 0xF4, 0xE7}, .nth = 1, .count = 100});
  EXPECT_EQ(IdentifyChip(MakeContext(), kPath), 0x0007);
  ASSERT_EQ(host_.messages.shown.size(), 1u);
  EXPECT_EQ(host_.messages.shown[0].text, "Get chip information fail !");
}

TEST_F(IdentificationTest, Family10VariantByControllerMemory) {
  DeviceConfig config = Preset("QRS641").value();
  config.path = kPath;
  config.memory.push_back({.address = 0xFDB1, .bytes = {0xB4}});
  bus_.Add(std::move(config));
  EXPECT_EQ(IdentifyChip(MakeContext(), kPath), 0x090A);
  EXPECT_TRUE(ReadVariantFlag(transport_, kPath));
}

TEST_F(IdentificationTest, StuckFlashTimesOutAfterFiveSeconds) {
  Add("QRS642").SetStayBusy(true);
  EXPECT_FALSE(WaitFlashReady(MakeContext(), kPath));
  EXPECT_EQ(host_.clock.Now(), std::chrono::milliseconds(5020));
}

TEST_F(IdentificationTest, EraseBusyEndsInVirtualTime) {
  Add("QRS642");
  ASSERT_TRUE(CmdFlashChipErase(transport_, kPath));
  EXPECT_TRUE(WaitFlashReady(MakeContext(), kPath));
  EXPECT_GT(host_.clock.Now(), std::chrono::milliseconds(0));
  EXPECT_LT(host_.clock.Now(), std::chrono::milliseconds(5020));
}

TEST_F(IdentificationTest, FailedJedecExchangeStopsDetectionWithUnknownKind) {
  Add("QRS642").FailCommands({.prefix = {0xFF, 0x04, 0x20, 0x01, 0x01, 0x9F}, .nth = 1, .count = 1});
  FlashDetection detection{{0, 0, 0, 0}, 9};
  EXPECT_TRUE(DetectFlashKind(transport_, kPath, detection));
  EXPECT_EQ(detection, FlashDetection{});
}

TEST_F(IdentificationTest, AmicModelOnlyForAmicParts) {
  DeviceConfig config = Preset("QR40611").value();
  config.path = kPath;
  config.flash.answers[0x9F] = {0x7F, 0x37, 0x20, 0x11};
  bus_.Add(std::move(config));
  EXPECT_EQ(DetectAmicFlash(transport_, kPath), 3);
}

}  // namespace
}  // namespace qfw::emu
