// Flash commands of the emulated bridge, sent with the real command
// builders: the block write's modes erase by the chip's own geometry, a
// missing or misplanned erase shows in the read-back, the busy flash ignores
// commands, and the older FF 04 primitives.

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

#include "device/commands.h"
#include "emulator/command_log.h"
#include "tests/emulator/emulator_fixture.h"
#include "tests/support/scripted_pass_through.h"

namespace qfw::emu::test {
namespace {

using namespace std::chrono_literals;
using qfw::test::Bytes;

constexpr std::uint32_t kBigFlash = 0x40000;  // 256 KiB, four 64 KiB blocks

// A counting pattern that no erase or program accident reproduces.
std::vector<std::uint8_t> Image(std::size_t size) {
  std::vector<std::uint8_t> image(size);
  for (std::size_t i = 0; i < size; ++i) {
    image[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
  }
  return image;
}

// One block write of a plan: address, length, mode byte.
struct Chunk {
  std::uint32_t address;
  std::uint32_t length;
  std::uint8_t mode;
};

class FlashTest : public EmulatorTest {
 protected:
  // A QRS642 (Winbond: sector 4 KiB, block 64 KiB) whose flash holds zeros,
  // like a chip programmed with an older image.
  EmulatedBridge& AddProgrammed(std::uint32_t size = 0x10000) {
    return Add("QRS642", kPath, [size](DeviceConfig& c) {
      c.flash.size = size;
      c.flash.contents.assign(size, 0x00);
    });
  }
  std::vector<std::uint8_t> ReadBack(std::uint32_t size) {
    std::vector<std::uint8_t> data(size);
    for (std::uint32_t offset = 0; offset < size; offset += 8192) {
      const std::uint32_t length = std::min<std::uint32_t>(8192, size - offset);
      EXPECT_TRUE(CmdReadFlashBlock(t, kPath, offset, std::span(data).subspan(offset, length)));
    }
    return data;
  }
  void WaitReady() { clock.Advance(1s); }

  // Writes the image with the given chunk plan, waiting for the flash
  // before every chunk as the engine does.
  void WritePlan(const std::vector<Chunk>& plan, std::span<const std::uint8_t> image) {
    for (const Chunk& chunk : plan) {
      WaitReady();
      ASSERT_TRUE(CmdWriteFlashBlock(t, kPath, chunk.address, image.subspan(chunk.address, chunk.length), chunk.mode));
    }
    WaitReady();
  }
};

TEST_F(FlashTest, BlockWriteAndReadBack) {
  Add("QRS642");
  const auto image = Image(8192);
  ASSERT_TRUE(CmdWriteFlashBlock(t, kPath, 0x2000, image, 0));
  WaitReady();
  std::vector<std::uint8_t> read(8192);
  ASSERT_TRUE(CmdReadFlashBlock(t, kPath, 0x2000, read));
  EXPECT_EQ(t.LastResult().transferred, 8192U);
  EXPECT_EQ(read, image);
}

struct ModeCase {
  std::uint8_t mode;
  std::uint32_t address;
  std::uint32_t erasedFirst;  // the erased region, half open; equal: none
  std::uint32_t erasedEnd;
};

void PrintTo(const ModeCase& c, std::ostream* os) { *os << "mode " << int(c.mode) << " at " << c.address; }

class WriteModeTest : public FlashTest, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(WriteModeTest, ErasesItsRegionThenPrograms) {
  const ModeCase& c = GetParam();
  EmulatedBridge& bridge = AddProgrammed(kBigFlash);
  const std::vector<std::uint8_t> data(512, 0xA5);
  ASSERT_TRUE(CmdWriteFlashBlock(t, kPath, c.address, data, c.mode));
  const auto cells = bridge.Flash().Contents();
  for (std::uint32_t a = 0; a < kBigFlash; ++a) {
    const bool written = a >= c.address && a < c.address + data.size();
    const bool erased = a >= c.erasedFirst && a < c.erasedEnd;
    const std::uint8_t expected = written ? (erased ? 0xA5 : 0x00) : (erased ? 0xFF : 0x00);
    ASSERT_EQ(cells[a], expected) << "at " << std::hex << a;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Modes, WriteModeTest,
    ::testing::Values(ModeCase{0x00, 0x11200, 0, 0},  // program only: no bit comes back
                      ModeCase{0x01, 0x11200, 0x11000, 0x12000}, ModeCase{0x04, 0x11200, 0x11000, 0x12000},
                      ModeCase{0x81, 0x11200, 0x11000, 0x12000},  // bit 7 changes nothing
                      ModeCase{0x02, 0x11200, 0x10000, 0x20000}, ModeCase{0x05, 0x11200, 0x10000, 0x20000},
                      ModeCase{0x82, 0x00000, 0x00000, 0x10000}, ModeCase{0x03, 0x00000, 0x00000, kBigFlash},
                      ModeCase{0x06, 0x00000, 0x00000, kBigFlash}, ModeCase{0x87, 0x00000, 0x00000, kBigFlash},
                      ModeCase{0x03, 0x11200, 0, 0},  // the whole-chip modes only erase at address 0
                      ModeCase{0x07, 0x01000, 0, 0}));

// The engine's plans for a 64 KiB image from address 0 (address, length, mode).
const std::vector<Chunk> kBlockPlanFor32K = {
    {0, 4096, 2},         {4096, 8192, 0},  {12288, 8192, 0}, {20480, 8192, 0}, {28672, 4096, 0},
    {32768, 8192, 2},     {40960, 8192, 0}, {49152, 8192, 0}, {57344, 8192, 0}};
const std::vector<Chunk> kBlockPlanFor64K = {
    {0, 4096, 2},     {4096, 8192, 0},  {12288, 8192, 0}, {20480, 8192, 0}, {28672, 8192, 0},
    {36864, 8192, 0}, {45056, 8192, 0}, {53248, 8192, 0}, {61440, 4096, 0}};
const std::vector<Chunk> kSectorPlanFor32K = {
    {0, 4096, 1},     {4096, 8192, 0},  {12288, 8192, 0}, {20480, 8192, 0}, {28672, 4096, 0},
    {32768, 8192, 1}, {40960, 8192, 0}, {49152, 8192, 0}, {57344, 8192, 0}};

TEST_F(FlashTest, PlanThatFitsTheChipWritesTheImage) {
  AddProgrammed();
  const auto image = Image(0x10000);
  WritePlan(kBlockPlanFor64K, image);
  EXPECT_EQ(ReadBack(0x10000), image);
}

TEST_F(FlashTest, PlanWithTooSmallABlockErasesWhatItWroteBefore) {
  AddProgrammed();
  const auto image = Image(0x10000);
  WritePlan(kBlockPlanFor32K, image);  // the chip's block is 64 KiB
  const auto read = ReadBack(0x10000);
  EXPECT_NE(read, image);
  EXPECT_TRUE(std::all_of(read.begin(), read.begin() + 0x8000, [](std::uint8_t b) { return b == 0xFF; }));
  EXPECT_TRUE(std::equal(read.begin() + 0x8000, read.end(), image.begin() + 0x8000));
}

TEST_F(FlashTest, PlanWithTooLargeASectorLeavesUnerasedBytes) {
  AddProgrammed();
  const auto image = Image(0x10000);
  WritePlan(kSectorPlanFor32K, image);  // the chip's sector is 4 KiB
  const auto read = ReadBack(0x10000);
  EXPECT_TRUE(std::equal(read.begin(), read.begin() + 0x1000, image.begin()));
  EXPECT_TRUE(std::all_of(read.begin() + 0x1000, read.begin() + 0x8000, [](std::uint8_t b) { return b == 0x00; }));
}

TEST_F(FlashTest, WriteWithoutEraseCannotRestoreBits) {
  AddProgrammed();
  const auto image = Image(0x10000);
  WritePlan({{0, 4096, 0}}, image);
  const auto read = ReadBack(0x1000);
  EXPECT_TRUE(std::all_of(read.begin(), read.end(), [](std::uint8_t b) { return b == 0x00; }));
}

TEST_F(FlashTest, BlockLengthThatDiffersFromTheDataPhaseIsRefused) {
  EmulatedBridge& bridge = Add("QRS642");
  const auto cdb = Bytes("df 00 00 10 00 00 00 00 00 00 00 fb");  // says 4096
  const std::vector<std::uint8_t> data(2048, 0x00);
  EXPECT_FALSE(t.SendCommandOut(kPath, cdb, data).ok);
  EXPECT_EQ(t.LastResult().error, TransportError::InvalidRequest);
  EXPECT_EQ(bridge.Flash().Contents()[0], 0xFF);
  EXPECT_FALSE(bridge.Flash().Busy());
}

TEST_F(FlashTest, BusyFlashIgnoresWritesAndReadsErased) {
  EmulatedBridge& bridge = AddProgrammed();
  const auto image = Image(4096);
  ASSERT_TRUE(CmdWriteFlashBlock(t, kPath, 0, image, 2));  // block erase 150 ms + 16 pages

  std::uint8_t status = 0;
  ASSERT_TRUE(CmdFlashStatus(t, kPath, status));
  EXPECT_EQ(status & 0x01, 0x01);
  ASSERT_TRUE(CmdWriteFlashBlock(t, kPath, 0x1000, image, 0));  // completes, but is ignored
  std::vector<std::uint8_t> read(512);
  ASSERT_TRUE(CmdReadFlashBlock(t, kPath, 0, read));
  EXPECT_EQ(read, std::vector<std::uint8_t>(512, 0xFF));

  clock.Advance(165ms);
  ASSERT_TRUE(CmdFlashStatus(t, kPath, status));
  EXPECT_EQ(status & 0x01, 0x01);
  clock.Advance(1ms);
  ASSERT_TRUE(CmdFlashStatus(t, kPath, status));
  EXPECT_EQ(status, 0x00);
  EXPECT_TRUE(std::equal(image.begin(), image.end(), bridge.Flash().Contents().begin()));
  EXPECT_EQ(bridge.Flash().Contents()[0x1000], 0xFF);  // the ignored write left the erased block
}

TEST_F(FlashTest, OlderPrimitivesProgramAndErase) {
  // A QRB631: ST flash, 32 KiB sectors.
  EmulatedBridge& bridge = Add("QRB631", kPath, [](DeviceConfig& c) { c.flash.contents.assign(0x10000, 0x00); });
  ASSERT_TRUE(CmdFlashSectorErase(t, kPath, 0x9000));
  clock.Advance(40ms);
  const auto cells = bridge.Flash().Contents();
  EXPECT_EQ(cells[0x7FFF], 0x00);
  EXPECT_EQ(cells[0x8000], 0xFF);
  EXPECT_EQ(cells[0xFFFF], 0xFF);

  ASSERT_TRUE(CmdFlashWrite(t, kPath, 0x8000, std::vector<std::uint8_t>{0x12, 0x34, 0x56, 0x78}));
  clock.Advance(1ms);
  ASSERT_TRUE(CmdFlashWrite(t, kPath, 0x8000, std::vector<std::uint8_t>{0xFF, 0xFF, 0x0F, 0xF0}));
  clock.Advance(1ms);
  std::vector<std::uint8_t> read(4);
  ASSERT_TRUE(CmdFlashRead(t, kPath, 0x8000, read));
  EXPECT_EQ(read, Bytes("12 34 06 70"));

  ASSERT_TRUE(CmdFlashChipErase(t, kPath));
  clock.Advance(399ms);
  EXPECT_TRUE(bridge.Flash().Busy());
  clock.Advance(1ms);
  EXPECT_TRUE(std::all_of(cells.begin(), cells.end(), [](std::uint8_t b) { return b == 0xFF; }));
}

TEST_F(FlashTest, FlashReadWrapsAtTheFlashSize) {
  Add("QRS642", kPath, [](DeviceConfig& c) { c.flash.contents = {0xAB}; });
  std::vector<std::uint8_t> read(4);
  ASSERT_TRUE(CmdFlashRead(t, kPath, 0x1FFFE, read));  // 64 KiB chip: 0xFFFE
  EXPECT_EQ(read, Bytes("ff ff ab ff"));
}

TEST_F(FlashTest, LogRecordsEveryCommandInTraceForm) {
  EmulatedBridge& bridge = Add("QRS642");
  const auto image = Image(4096);
  clock.Advance(5ms);
  std::uint8_t status = 0;
  ASSERT_TRUE(CmdFlashStatus(t, kPath, status));
  ASSERT_TRUE(CmdWriteFlashBlock(t, kPath, 0, image, 2));
  EXPECT_FALSE(CmdModeEnter(t, "/dev/sg9"));  // no such device: never reaches it

  EXPECT_EQ(TraceLines(bridge.Log()),
            (std::vector<std::string>{"in ff 04 12 00 00 00 00 00 00 00 00 00 2 1 1",
                                      "out df 02 00 10 00 00 00 00 00 00 00 fb 4096 1 4096"}));
  EXPECT_EQ(bridge.Log()[1].time, 5ms);
  EXPECT_EQ(bridge.Log()[1].dataOut, image);
}

}  // namespace
}  // namespace qfw::emu::test
