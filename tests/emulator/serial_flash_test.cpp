// The NOR flash model: bits only cleared by programming, erase by the chip's
// own units, busy time in virtual time and what a busy chip does.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "emulator/serial_flash.h"
#include "tests/support/fake_host.h"

namespace qfw::emu {
namespace {

using namespace std::chrono_literals;

constexpr std::uint32_t kSize = 0x40000;  // 256 KiB: room for several blocks

const std::vector<std::uint8_t> kChunkOfZeros(4096, 0x00);

class SerialFlashTest : public ::testing::Test {
 protected:
  SerialFlash Make(int kind) { return SerialFlash(kSize, GeometryOfKind(kind), clock); }
  // The flash holds 0x00 everywhere, as after programming an old image.
  SerialFlash Programmed(int kind) {
    SerialFlash flash = Make(kind);
    flash.Load(std::vector<std::uint8_t>(kSize, 0x00));
    return flash;
  }
  // The half-open range of bytes that read 0xFF.
  static std::pair<std::size_t, std::size_t> ErasedRange(const SerialFlash& flash) {
    const auto cells = flash.Contents();
    const auto first = std::find(cells.begin(), cells.end(), kErasedByte);
    const auto last = std::find_if(first, cells.end(), [](std::uint8_t b) { return b != kErasedByte; });
    EXPECT_TRUE(std::all_of(last, cells.end(), [](std::uint8_t b) { return b != kErasedByte; }))
        << "more than one erased range";
    return {static_cast<std::size_t>(first - cells.begin()), static_cast<std::size_t>(last - cells.begin())};
  }

  qfw::test::ManualClock clock;
};

TEST_F(SerialFlashTest, ProgrammingOnlyClearsBits) {
  SerialFlash flash = Make(6);
  const std::vector<std::uint8_t> first{0xF0, 0x3C};
  const std::vector<std::uint8_t> second{0x0F, 0xFF};
  ASSERT_TRUE(flash.Program(0x10, first));
  clock.Advance(1s);
  ASSERT_TRUE(flash.Program(0x10, second));
  EXPECT_EQ(flash.Contents()[0x10], 0x00);  // F0 AND 0F
  EXPECT_EQ(flash.Contents()[0x11], 0x3C);  // FF cannot set bits back
}

struct EraseCase {
  int kind;
  EraseUnit unit;
  std::uint32_t address;
  std::size_t first;
  std::size_t end;
};

class EraseRegionTest : public SerialFlashTest, public ::testing::WithParamInterface<EraseCase> {};

TEST_P(EraseRegionTest, ErasesTheUnitThatHoldsTheAddress) {
  const EraseCase& c = GetParam();
  SerialFlash flash = Programmed(c.kind);
  ASSERT_TRUE(flash.Erase(c.unit, c.address));
  EXPECT_EQ(ErasedRange(flash), std::make_pair(c.first, c.end));
}

INSTANTIATE_TEST_SUITE_P(
    Geometry, EraseRegionTest,
    ::testing::Values(EraseCase{0, EraseUnit::Sector, 0x11234, 0x11000, 0x12000},
                      EraseCase{0, EraseUnit::Block, 0x11234, 0x10000, 0x18000},
                      EraseCase{3, EraseUnit::Sector, 0x11234, 0x10000, 0x18000},
                      EraseCase{3, EraseUnit::Block, 0x11234, 0x10000, 0x20000},
                      EraseCase{6, EraseUnit::Sector, 0x1FFFF, 0x1F000, 0x20000},
                      EraseCase{6, EraseUnit::Block, 0x1FFFF, 0x10000, 0x20000},
                      EraseCase{8, EraseUnit::Sector, 0x08000, 0x08000, 0x10000},
                      EraseCase{6, EraseUnit::Chip, 0x12345, 0x00000, kSize},
                      // Addresses wrap at the flash size.
                      EraseCase{6, EraseUnit::Sector, kSize + 0x2000, 0x2000, 0x3000}));

TEST_F(SerialFlashTest, GeometryOverrideDecidesTheEraseUnit) {
  SerialFlash flash(kSize, EraseGeometry{.sectorSize = 0x2000, .blockSize = 0x8000}, clock);
  flash.Load(std::vector<std::uint8_t>(kSize, 0x00));
  ASSERT_TRUE(flash.Erase(EraseUnit::Sector, 0x3000));
  EXPECT_EQ(ErasedRange(flash), std::make_pair(std::size_t{0x2000}, std::size_t{0x4000}));
}

TEST_F(SerialFlashTest, SectorEraseCommandFollowsTheChipsMap) {
  // A bottom-boot part: 4K 4K 8K 16K boot sectors, then 32 KiB units.
  const EraseGeometry bootSectors{.sectorSize = 0x1000, .blockSize = 0x10000,
                                  .sectorEraseUnits = {0x1000, 0x1000, 0x2000, 0x4000, 0x8000}};
  const std::pair<std::uint32_t, std::pair<std::size_t, std::size_t>> cases[] = {
      {0x00800, {0x00000, 0x01000}}, {0x01FFF, {0x01000, 0x02000}}, {0x03000, {0x02000, 0x04000}},
      {0x07000, {0x04000, 0x08000}}, {0x0F000, {0x08000, 0x10000}}, {0x23456, {0x20000, 0x28000}},
      {kSize + 0x1000, {0x01000, 0x02000}}};
  for (const auto& [address, range] : cases) {
    SerialFlash flash(kSize, bootSectors, clock);
    flash.Load(std::vector<std::uint8_t>(kSize, 0x00));
    ASSERT_TRUE(flash.Erase(EraseUnit::MappedSector, address));
    EXPECT_EQ(ErasedRange(flash), range) << std::hex << address;
    EXPECT_EQ(flash.Status(), kStatusBusy);
    clock.Advance(40ms);
    EXPECT_FALSE(flash.Busy());
  }
  SerialFlash uniform = Programmed(1);  // no map: the sector
  ASSERT_TRUE(uniform.Erase(EraseUnit::MappedSector, 0x5000));
  EXPECT_EQ(ErasedRange(uniform), std::make_pair(std::size_t{0x5000}, std::size_t{0x6000}));
}

TEST_F(SerialFlashTest, ProgramAndWaitLeavesTheChipReady) {
  SerialFlash flash = Make(6);
  ASSERT_TRUE(flash.ProgramAndWait(0, kChunkOfZeros));
  EXPECT_FALSE(flash.Busy());
  EXPECT_EQ(flash.Contents()[4095], 0x00);
  ASSERT_TRUE(flash.Erase(EraseUnit::Sector, 0));
  EXPECT_FALSE(flash.ProgramAndWait(0, kChunkOfZeros)) << "an erase still runs";
}

struct BusyCase {
  const char* name;
  std::function<bool(SerialFlash&)> operation;
  std::chrono::milliseconds busy;
};

void PrintTo(const BusyCase& c, std::ostream* os) { *os << c.name; }

class BusyTimeTest : public SerialFlashTest, public ::testing::WithParamInterface<BusyCase> {};

TEST_P(BusyTimeTest, StaysBusyForItsTimeOnly) {
  SerialFlash flash = Make(6);
  ASSERT_TRUE(GetParam().operation(flash));
  EXPECT_EQ(flash.Status(), kStatusBusy);
  clock.Advance(GetParam().busy - 1ms);
  EXPECT_TRUE(flash.Busy());
  clock.Advance(1ms);
  EXPECT_FALSE(flash.Busy());
  EXPECT_EQ(flash.Status(), 0x00);
}

const std::vector<std::uint8_t> kPage(256, 0x5A);
const std::vector<std::uint8_t> kPagePlusOne(257, 0x5A);
const std::vector<std::uint8_t> kChunk(4096, 0x5A);

INSTANTIATE_TEST_SUITE_P(
    Timing, BusyTimeTest,
    ::testing::Values(
        BusyCase{"SectorErase", [](SerialFlash& f) { return f.Erase(EraseUnit::Sector, 0); }, 40ms},
        BusyCase{"BlockErase", [](SerialFlash& f) { return f.Erase(EraseUnit::Block, 0); }, 150ms},
        BusyCase{"ChipErase", [](SerialFlash& f) { return f.Erase(EraseUnit::Chip, 0); }, 400ms},
        BusyCase{"ProgramOnePage", [](SerialFlash& f) { return f.Program(0, kPage); }, 1ms},
        BusyCase{"ProgramStartsASecondPage", [](SerialFlash& f) { return f.Program(0, kPagePlusOne); }, 2ms},
        BusyCase{"BlockEraseThenProgram",
                 [](SerialFlash& f) { return f.EraseAndProgram(EraseUnit::Block, 0, kChunk); }, 166ms}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SerialFlashTest, BusyChipIgnoresEraseAndProgramAndReadsErased) {
  SerialFlash flash = Programmed(6);
  ASSERT_TRUE(flash.Erase(EraseUnit::Sector, 0));
  EXPECT_FALSE(flash.Program(0, kPage));
  EXPECT_FALSE(flash.Erase(EraseUnit::Chip, 0));
  EXPECT_EQ(flash.Contents()[0], 0xFF);       // not programmed
  EXPECT_EQ(flash.Contents()[0x1000], 0x00);  // not erased
  std::vector<std::uint8_t> read(4, 0x11);
  flash.Read(0x1000, read);
  EXPECT_EQ(read, std::vector<std::uint8_t>(4, 0xFF));
  clock.Advance(40ms);
  flash.Read(0x1000, read);
  EXPECT_EQ(read, std::vector<std::uint8_t>(4, 0x00));
}

TEST_F(SerialFlashTest, StuckChipNeverBecomesReady) {
  SerialFlash flash = Make(6);
  flash.SetStuckBusy(true);
  clock.Advance(1h);
  EXPECT_EQ(flash.Status(), kStatusBusy);
  EXPECT_FALSE(flash.Program(0, kPage));
  flash.SetStuckBusy(false);
  EXPECT_TRUE(flash.Program(0, kPage));
}

TEST_F(SerialFlashTest, AccessesWrapAtTheFlashSize) {
  SerialFlash flash = Programmed(6);
  ASSERT_TRUE(flash.Erase(EraseUnit::Sector, 0));
  clock.Advance(1s);
  std::vector<std::uint8_t> read(4);
  flash.Read(kSize - 2, read);
  EXPECT_EQ(read, (std::vector<std::uint8_t>{0x00, 0x00, 0xFF, 0xFF}));
  ASSERT_TRUE(flash.Program(kSize - 1, std::vector<std::uint8_t>{0x12, 0x34}));
  EXPECT_EQ(flash.Contents()[0], 0x34);
}

TEST_F(SerialFlashTest, RefusesImpossibleChips) {
  EXPECT_THROW(SerialFlash(1000, GeometryOfKind(6), clock), std::invalid_argument);
  EXPECT_THROW(SerialFlash(kSize, EraseGeometry{.sectorSize = 0x10000, .blockSize = 0x1000}, clock),
               std::invalid_argument);
  EXPECT_THROW(SerialFlash(kSize, EraseGeometry{.sectorEraseUnits = {0x1000, 0x2000}}, clock),
               std::invalid_argument)
      << "an 8 KiB unit at 4 KiB";
  EXPECT_THROW(SerialFlash(kSize, EraseGeometry{.sectorEraseUnits = {0x1000, 0x3000}}, clock), std::invalid_argument)
      << "12 KiB";
  EXPECT_THROW(GeometryOfKind(11), std::out_of_range);
  SerialFlash flash = Make(6);
  EXPECT_THROW(flash.Load(std::vector<std::uint8_t>(kSize + 1)), std::invalid_argument);
}

TEST_F(SerialFlashTest, LoadPadsWithErasedBytes) {
  SerialFlash flash = Programmed(6);
  flash.Load(std::vector<std::uint8_t>{0x01, 0x02});
  EXPECT_EQ(flash.Contents()[1], 0x02);
  EXPECT_EQ(flash.Contents()[2], 0xFF);
  EXPECT_EQ(flash.Contents()[kSize - 1], 0xFF);
}

}  // namespace
}  // namespace qfw::emu
