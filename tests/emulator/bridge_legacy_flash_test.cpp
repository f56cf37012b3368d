// The serial flash of the older bridges as their developer-panel procedures
// drive it: AMIC ids, the units that the sector-erase command clears on each
// part (so a plan that misses a unit leaves old bytes behind), busy times
// that the procedures' fixed pauses outlast, page writes sent back to back,
// and the family-6 NVRAM area that an update has to carry over.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "device/commands.h"
#include "device/flash_identification.h"
#include "emulator/amic_flash.h"
#include "emulator/preset_contents.h"
#include "tests/emulator/emulator_fixture.h"
#include "tests/support/fake_host.h"

namespace qfw::emu::test {
namespace {

using namespace std::chrono_literals;

constexpr std::uint32_t kFlashSize = 0x10000;
constexpr std::uint32_t kPage = 16384;
// The fixed pause of the procedures after an erase.
constexpr auto kPause = 500ms;

class LegacyFlashTest : public EmulatorTest {
 protected:
  // A bridge of the preset, its flash made the AMIC part of the model (0: the preset's own part).
  EmulatedBridge& AddWithAmic(const char* preset, int amicModel) {
    return Add(preset, kPath, [amicModel](DeviceConfig& c) {
      if (amicModel != 0) {
        UseAmicFlash(c.flash, amicModel);
      }
    });
  }
  bool Ready() {
    std::uint8_t status = 0xFF;
    return CmdFlashStatus(t, kPath, status) && (status & 0x01) == 0;
  }
  std::vector<std::uint8_t> ReadFlash(std::uint32_t address, std::uint32_t length) {
    std::vector<std::uint8_t> data(length);
    EXPECT_TRUE(CmdFlashRead(t, kPath, address, data));
    return data;
  }
};

TEST_F(LegacyFlashTest, AmicModelsAnswerTheirIds) {
  const std::pair<int, std::uint8_t> models[] = {{1, 0x12}, {3, 0x11}, {4, 0x20}, {5, 0x10}};
  for (const auto& [model, deviceId] : models) {
    bus.Add([&] {
      DeviceConfig config = PresetAt("QRB622", "/dev/amic" + std::to_string(model));
      UseAmicFlash(config.flash, model);
      return config;
    }());
    const std::string path = "/dev/amic" + std::to_string(model);
    std::array<std::uint8_t, 4> id{};
    ASSERT_TRUE(SpiQuery(t, path, 0x9F, id));
    EXPECT_EQ(id, (std::array<std::uint8_t, 4>{0x7F, 0x37, 0x20, deviceId}));
    EXPECT_EQ(DetectAmicFlash(t, path), model);
    FlashDetection detection;
    ASSERT_TRUE(DetectFlashKind(t, path, detection));
    EXPECT_EQ(detection.kind, 7) << "AMIC";
  }
  EXPECT_EQ(DetectAmicFlash(t, kPath), -1) << "nothing at the path";
  Add("QR40611");
  EXPECT_EQ(DetectAmicFlash(t, kPath), -1) << "the PMC part";
  DeviceConfig other = PresetAt("QR40611");
  EXPECT_THROW(UseAmicFlash(other.flash, 2), std::invalid_argument);
}

// An erase plan of the procedures: sector erases at the addresses, each
// followed by the fixed pause; the bytes of the regions listed keep the older
// firmware, all others read erased.
struct PlanCase {
  const char* name;
  const char* preset;
  int amicModel;  // 0: the preset's own part
  std::vector<std::uint32_t> erases;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> kept;  // [first, end)
};

void PrintTo(const PlanCase& c, std::ostream* os) { *os << c.name; }

class ErasePlanTest : public LegacyFlashTest, public ::testing::WithParamInterface<PlanCase> {};

TEST_P(ErasePlanTest, ErasesWhatThePartsUnitsCover) {
  const PlanCase& c = GetParam();
  const EmulatedBridge& bridge = AddWithAmic(c.preset, c.amicModel);
  for (const std::uint32_t address : c.erases) {
    ASSERT_TRUE(Ready()) << "the erase must not find the chip busy";
    ASSERT_TRUE(CmdFlashSectorErase(t, kPath, address));
    clock.Advance(kPause);
  }
  ASSERT_TRUE(Ready());
  const auto flash = ReadFlash(0, kFlashSize);
  const auto old = bridge.Config().flash.contents;
  for (std::uint32_t a = 0; a < kFlashSize; ++a) {
    const bool kept = std::any_of(c.kept.begin(), c.kept.end(), [a](const auto& r) {
      return a >= r.first && a < r.second;
    });
    ASSERT_EQ(flash[a], kept ? old[a] : 0xFF) << "at " << std::hex << a;
  }
}

const std::vector<std::uint32_t> kAmicPlan = {0x0000, 0x1000, 0x3000, 0x7000, 0xF000};
const std::vector<std::uint32_t> kAmicPlan32K = {0x0000, 0x1000, 0x3000, 0x7000};
const std::vector<std::uint32_t> kUniformPlan = {0x0000, 0x8000};
const std::vector<std::uint32_t> kFamily6Plan = {0x0000, 0x8000};

INSTANTIATE_TEST_SUITE_P(
    Plans, ErasePlanTest,
    ::testing::Values(
        PlanCase{"AmicModel1", "QR40611", 1, kAmicPlan, {}}, PlanCase{"AmicModel3", "QR40613", 3, kAmicPlan, {}},
        PlanCase{"AmicModel5", "QR40614", 5, kAmicPlan, {}},
        PlanCase{"AmicModel5Upto32K", "QR40611", 5, kAmicPlan32K, {{0x8000, kFlashSize}}},
        PlanCase{"AmicModel4", "QRB622", 4, kUniformPlan, {}}, PlanCase{"Pmc", "QR40611", 0, kUniformPlan, {}},
        PlanCase{"PmcFirstHalf", "QR40614", 0, {0x4000}, {{0x8000, kFlashSize}}},
        PlanCase{"Sst", "QRB622", 0, kUniformPlan, {}},
        PlanCase{"Family6Blocks", "QRB621", 0, kFamily6Plan, {}},
        // A plan for uniform units misses the boot sectors after the first.
        PlanCase{"AmicModel5WithTheUniformPlan", "QR40611", 5, kUniformPlan, {{0x1000, 0x8000}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LegacyFlashTest, ChipEraseIsOverWithinThePause) {
  AddWithAmic("QR40611", 0);
  ASSERT_TRUE(CmdFlashChipErase(t, kPath));
  EXPECT_FALSE(Ready());
  clock.Advance(kPause);
  ASSERT_TRUE(Ready());
  const auto flash = ReadFlash(0, kFlashSize);
  EXPECT_TRUE(std::all_of(flash.begin(), flash.end(), [](std::uint8_t b) { return b == 0xFF; }));
}

TEST_F(LegacyFlashTest, PageWritesBackToBackAllLand) {
  EmulatedBridge& bridge = AddWithAmic("QR40611", 0);
  ASSERT_TRUE(CmdFlashChipErase(t, kPath));
  clock.Advance(kPause);
  const auto image = OlderFirmware(kFlashSize);
  for (std::uint32_t page = 0; page < kFlashSize; page += kPage) {
    ASSERT_TRUE(CmdFlashWrite(t, kPath, page, std::span(image).subspan(page, kPage)));
  }
  EXPECT_TRUE(Ready()) << "the controller waited for the chip itself";
  EXPECT_TRUE(std::ranges::equal(bridge.Flash().Contents(), image));
}

TEST_F(LegacyFlashTest, WriteDuringAnEraseIsLost) {
  EmulatedBridge& bridge = AddWithAmic("QR40611", 0);
  ASSERT_TRUE(CmdFlashSectorErase(t, kPath, 0));
  ASSERT_TRUE(CmdFlashWrite(t, kPath, 0, std::vector<std::uint8_t>(16, 0x00)));
  clock.Advance(kPause);
  EXPECT_EQ(bridge.Flash().Contents()[0], 0xFF);
}

TEST_F(LegacyFlashTest, Family6KeepsItsNvramAcrossAnUpdate) {
  // The NVRAM-preserving update: keep the first 4 KiB, erase 32 KiB blocks,
  // blank check, then write 16 KiB pages with the NVRAM in front.
  EmulatedBridge& bridge = Add("QRB621");
  const auto nvram = ReadFlash(0, kNvramSize);
  EXPECT_EQ(nvram, NvramArea());
  qfw::test::FakeHost recorders;
  Host host{clock, recorders.messages, recorders.debug, recorders.pump, recorders.progress, recorders.resources};
  const Context context{t, host};
  for (const std::uint32_t block : {0x0000U, 0x8000U}) {
    (void)WaitFlashReady(context, kPath);
    ASSERT_TRUE(CmdFlashSectorErase(t, kPath, block));
    for (const std::uint32_t half : {block, block + kPage}) {
      ASSERT_TRUE(WaitFlashReady(context, kPath));
      const auto read = ReadFlash(half, kPage);
      ASSERT_TRUE(std::all_of(read.begin(), read.end(), [](std::uint8_t b) { return b == 0xFF; })) << half;
    }
  }
  std::vector<std::uint8_t> image(kFlashSize, 0x42);
  std::copy(nvram.begin(), nvram.end(), image.begin());
  for (std::uint32_t page = 0; page < kFlashSize; page += kPage) {
    ASSERT_TRUE(WaitFlashReady(context, kPath));
    ASSERT_TRUE(CmdFlashWrite(t, kPath, page, std::span(image).subspan(page, kPage)));
  }
  EXPECT_TRUE(std::ranges::equal(bridge.Flash().Contents(), image));
}

}  // namespace
}  // namespace qfw::emu::test
