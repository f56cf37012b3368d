// Whole programming paths against the emulated bridge: the flash must end up
// holding exactly the image the builders promise, erase planning included.

#include <gtest/gtest.h>

#include <numeric>

#include "device/chip_identification.h"
#include "emulator/emulated_bus.h"
#include "emulator/emulated_pass_through.h"
#include "emulator/presets.h"
#include "flash/embedded_image.h"
#include "flash/family10_fallback.h"
#include "flash/image_assembly.h"
#include "flash/image_layout.h"
#include "resources/embedded_resources.h"
#include "tests/support/fake_host.h"
#include "tests/support/family13_flash.h"

namespace qfw {
namespace {

using Bytes = std::vector<std::uint8_t>;
const std::string kPath = "/dev/sg1";

Bytes Pattern(std::size_t size, std::uint8_t seed) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 13 + (i >> 8));
  return bytes;
}

class EmulatedProgrammingTest : public testing::Test {
 protected:
  EmulatedProgrammingTest() {
    const auto image = EmbeddedResources().Find("QRS642", "FW6701").value();
    embedded_.assign(image.begin(), image.end());
    host_.resources.Add("QRS642", "FW6701", embedded_);
  }

  emu::EmulatedBridge& Add(const std::string& preset, const std::function<void(emu::DeviceConfig&)>& tweak) {
    emu::DeviceConfig config = emu::Preset(preset).value();
    config.path = kPath;
    tweak(config);
    return bus_.Add(std::move(config));
  }

  Bytes Flash(const emu::EmulatedBridge& bridge) const {
    const auto contents = bridge.Flash().Contents();
    return Bytes(contents.begin(), contents.begin() + kFlashImageSize);
  }

  std::size_t BlockWrites(const emu::EmulatedBridge& bridge) const {
    return static_cast<std::size_t>(std::count_if(bridge.Log().begin(), bridge.Log().end(), [](const auto& e) {
      return e.cdb[0] == 0xDF && e.cdb[11] == 0xFB;
    }));
  }

  Context MakeContext() { return {transport_, host_.host}; }

  test::FakeHost host_;
  emu::EmulatedBus bus_{host_.clock};
  emu::EmulatedPassThrough driver_{bus_};
  Transport transport_{driver_};
  Bytes embedded_;
};

std::array<std::uint8_t, 256> ConfigBlock() {
  std::array<std::uint8_t, 256> block{};
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(0xC0 ^ i);
  block[254] = 'Q';
  block[255] = 'R';
  return block;
}

TEST_F(EmulatedProgrammingTest, Family13ImageFromEmbeddedCodeAndGivenBlock) {
  auto& bridge = Add("QRS642", [](emu::DeviceConfig& c) { c.flash.contents = Pattern(65536, 7); });
  const auto block = ConfigBlock();
  ASSERT_TRUE(ProgramFamily13Image(MakeContext(), kPath, true, true, block));
  const Bytes expected = test::ExpectedFlash13(embedded_, block);
  EXPECT_EQ(Flash(bridge), expected);
  EXPECT_EQ(expected[kChecksumOffset13], 0x76);
  EXPECT_EQ(expected[kChecksumOffset13 + 1], 0x8B);
  EXPECT_EQ(BlockWrites(bridge), 9u) << "one attempt with block mode";
  EXPECT_TRUE(IsAlreadyUpdated(MakeContext(), kPath));
}

TEST_F(EmulatedProgrammingTest, WrongReportedKindIsRescuedByTheNextWriteMode) {
  // The controller reports kind 0 (32 KiB blocks) but the chip erases 64 KiB
  // blocks: the block erase at 32 KiB wipes the first half again, the
  // read-back differs, and the chip-erase attempt writes the image whole.
  auto& bridge = Add("QRS642", [](emu::DeviceConfig& c) {
    c.flash.reportedKind = 0;
    c.flash.answers.clear();  // detection finds nothing either
    c.flash.geometryKind = 6;
    c.flash.blockSize = 65536;
  });
  const auto block = ConfigBlock();
  ASSERT_TRUE(ProgramFamily13Image(MakeContext(), kPath, true, true, block));
  EXPECT_EQ(Flash(bridge), test::ExpectedFlash13(embedded_, block));
  EXPECT_EQ(BlockWrites(bridge), 18u) << "two whole attempts";
}

TEST_F(EmulatedProgrammingTest, FlashThatCannotBeErasedFailsAfterThreeAttempts) {
  auto& bridge = Add("QRS642", [](emu::DeviceConfig& c) { c.flash.contents = Pattern(65536, 3); });
  bridge.SetStayBusy(true);
  EXPECT_FALSE(ProgramFamily13Image(MakeContext(), kPath, true, true, ConfigBlock()));
  EXPECT_FALSE(IsAlreadyUpdated(MakeContext(), kPath));
}

TEST_F(EmulatedProgrammingTest, Family10LegacyFromDeviceFlash) {
  const Bytes old = Pattern(65536, 0x41);
  auto& bridge = Add("QRS641", [&](emu::DeviceConfig& c) {
    c.blockCommands = false;
    c.flash.contents = old;
  });
  std::array<std::uint8_t, 128> block{};
  std::iota(block.begin(), block.end(), std::uint8_t{0x80});
  block[126] = 'Q';
  block[127] = 'R';
  ASSERT_TRUE(ProgramFamily10ImageLegacy(MakeContext(), TransferSettings{}, kPath, true, false, block));
  Bytes expected = old;
  std::copy(block.begin(), block.end(), expected.begin());
  EXPECT_EQ(Flash(bridge), expected);
  EXPECT_EQ(host_.progress.steps, (std::vector<int>{10, 10, 10, 10, 10}));
}

TEST_F(EmulatedProgrammingTest, Family10WithoutEmbeddedImageWritesNothing) {
  const Bytes old = Pattern(65536, 0x11);
  auto& bridge = Add("QRS641", [&](emu::DeviceConfig& c) { c.flash.contents = old; });
  std::array<std::uint8_t, 128> block{};
  EXPECT_FALSE(ProgramFamily10Image(MakeContext(), kPath, true, true, block));
  EXPECT_FALSE(ProgramFamily10ImageLegacy(MakeContext(), TransferSettings{}, kPath, true, true, block));
  EXPECT_EQ(Flash(bridge), old);
  EXPECT_EQ(BlockWrites(bridge), 0u);
}

}  // namespace
}  // namespace qfw
