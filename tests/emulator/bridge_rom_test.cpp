// The parallel ROM of the older bridges, driven with the real command
// builders: only the chip's own JEDEC sequences erase and program it, the
// controller writes it only after switching to its internal ROM, and the
// busy time passes while the host polls the status.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "device/commands.h"
#include "device/rom_sequences.h"
#include "emulator/preset_contents.h"
#include "tests/emulator/emulator_fixture.h"
#include "tests/support/scripted_pass_through.h"

namespace qfw::emu::test {
namespace {

using namespace std::chrono_literals;
using qfw::test::Bytes;

constexpr int kAtmel = 0;
constexpr int kPmc = 1;
constexpr int kSst = 2;
constexpr int kUnknownType = 3;
// More status polls than any ROM operation of the emulator takes, far fewer
// than the host's own bound of 50,000.
constexpr int kPollBound = 2000;

std::vector<std::uint8_t> Image(std::size_t size) {
  std::vector<std::uint8_t> image(size);
  for (std::size_t i = 0; i < size; ++i) {
    image[i] = static_cast<std::uint8_t>(i * 5 + i / 253 + 1);
  }
  return image;
}

bool AllBytes(std::span<const std::uint8_t> bytes, std::uint8_t value) {
  return std::all_of(bytes.begin(), bytes.end(), [value](std::uint8_t b) { return b == value; });
}

class RomTest : public EmulatorTest {
 protected:
  // A QR40612 whose ROM is of the given type and holds the older firmware.
  EmulatedBridge& AddRom(int type, bool a1Chip = false) {
    return Add("QR40612", kPath, [type, a1Chip](DeviceConfig& c) {
      c.rom->type = type;
      c.rom->a1Chip = a1Chip;
    });
  }
  // Polls as the host's ROM wait does: back to back, without sleeping.
  // Returns the number of busy answers, or -1 when the bound ran out.
  int PollUntilReady() {
    for (int busy = 0; busy < kPollBound; ++busy) {
      if (!CmdRomStatus(t, kPath)) {
        return busy;
      }
    }
    return -1;
  }
  bool EraseAs(int hostType) {
    return CmdRomLoadSequence(t, kPath, hostType) && CmdRomExecute(t, kPath) && PollUntilReady() >= 0;
  }
  std::vector<std::uint8_t> ReadRom() {
    std::vector<std::uint8_t> data(kRomSize);
    EXPECT_TRUE(CmdRomRead(t, kPath, 0, data));
    return data;
  }
};

struct TypeCase {
  int chipType;
  int hostType;
  bool acts;  // the sequences carry the chip's own unlock addresses
};

void PrintTo(const TypeCase& c, std::ostream* os) { *os << "chip " << c.chipType << ", host " << c.hostType; }

class RomTypeTest : public RomTest, public ::testing::WithParamInterface<TypeCase> {};

TEST_P(RomTypeTest, EraseOnlyWithTheChipsUnlockAddresses) {
  const TypeCase& c = GetParam();
  EmulatedBridge& bridge = AddRom(c.chipType);
  ASSERT_TRUE(CmdSwitchInternalRom(t, kPath));
  ASSERT_TRUE(EraseAs(c.hostType));
  const auto rom = ReadRom();
  if (c.acts) {
    EXPECT_TRUE(AllBytes(rom, 0xFF));
  } else {
    EXPECT_EQ(rom, OlderFirmware(kRomSize));
    EXPECT_FALSE(bridge.Rom()->Busy());
  }
}

TEST_P(RomTypeTest, ProgramOnlyWithTheChipsUnlockAddresses) {
  const TypeCase& c = GetParam();
  EmulatedBridge& bridge = AddRom(c.chipType, true);
  bridge.Rom()->Load({});  // blank
  const auto image = Image(40000);
  ASSERT_TRUE(CmdRomProgram(t, kPath, image, c.hostType));
  ASSERT_GE(PollUntilReady(), 0);
  const auto rom = ReadRom();
  if (c.acts) {
    EXPECT_TRUE(std::equal(image.begin(), image.end(), rom.begin()));
    EXPECT_TRUE(AllBytes(std::span(rom).subspan(image.size()), 0xFF));
  } else {
    EXPECT_TRUE(AllBytes(rom, 0xFF));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Types, RomTypeTest,
    ::testing::Values(TypeCase{kAtmel, kAtmel, true}, TypeCase{kAtmel, kSst, true},  // same addresses
                      TypeCase{kAtmel, kPmc, false}, TypeCase{kAtmel, kUnknownType, false},
                      TypeCase{kPmc, kPmc, true}, TypeCase{kPmc, kAtmel, false}, TypeCase{kPmc, kSst, false},
                      TypeCase{kPmc, kUnknownType, false}, TypeCase{kSst, kSst, true},
                      TypeCase{kSst, kPmc, false}));

TEST_F(RomTest, WholeUpdateSequenceLeavesTheImage) {
  EmulatedBridge& bridge = AddRom(kPmc);
  const auto image = Image(kRomSize);
  ASSERT_TRUE(CmdSwitchInternalRom(t, kPath));
  ASSERT_TRUE(EraseAs(kPmc));
  EXPECT_TRUE(AllBytes(ReadRom(), 0xFF));
  ASSERT_TRUE(CmdRomProgram(t, kPath, image, kPmc));
  ASSERT_GE(PollUntilReady(), 0);
  EXPECT_EQ(ReadRom(), image);
  EXPECT_EQ(bridge.InternalRomSwitchCount(), 1);
}

TEST_F(RomTest, ProgramWithoutEraseOnlyClearsBits) {
  AddRom(kAtmel, true);  // holds the older firmware
  const auto image = Image(kRomSize);
  ASSERT_TRUE(CmdRomProgram(t, kPath, image, kAtmel));
  ASSERT_GE(PollUntilReady(), 0);
  const auto rom = ReadRom();
  const auto old = OlderFirmware(kRomSize);
  for (std::size_t i = 0; i < kRomSize; i += 997) {
    ASSERT_EQ(rom[i], old[i] & image[i]) << i;
  }
  EXPECT_NE(rom, image);
}

TEST_F(RomTest, EveryProgramCommandStartsAtAddressZero) {
  EmulatedBridge& bridge = AddRom(kSst, true);
  bridge.Rom()->Load({});
  ASSERT_TRUE(CmdRomProgram(t, kPath, Bytes("f0 f0"), kSst));
  clock.Advance(1s);
  ASSERT_TRUE(CmdRomProgram(t, kPath, Bytes("3c 3c 3c"), kSst));  // a "next page" lands on the first
  clock.Advance(1s);
  std::vector<std::uint8_t> read(4);
  ASSERT_TRUE(CmdRomRead(t, kPath, 0, read));
  EXPECT_EQ(read, Bytes("30 30 3c ff"));
}

TEST_F(RomTest, ReadTakesItsAddressLeastSignificantByteFirstAndWraps) {
  AddRom(kAtmel);
  const auto old = OlderFirmware(kRomSize);
  std::vector<std::uint8_t> read(4);
  ASSERT_TRUE(CmdRomRead(t, kPath, 0x1234, read));
  EXPECT_TRUE(std::equal(read.begin(), read.end(), old.begin() + 0x1234));
  ASSERT_TRUE(CmdRomRead(t, kPath, 0x2FFFE, read));  // 16 address lines: 0xFFFE
  EXPECT_EQ(read, (std::vector<std::uint8_t>{old[0xFFFE], old[0xFFFF], old[0], old[1]}));
}

TEST_F(RomTest, EraseIsBusyInVirtualTimeWhileTheHostPolls) {
  EmulatedBridge& bridge = AddRom(kAtmel, true);
  EXPECT_FALSE(CmdRomStatus(t, kPath));
  ASSERT_TRUE(CmdRomLoadSequence(t, kPath, kAtmel));
  ASSERT_TRUE(CmdRomExecute(t, kPath));
  const auto started = clock.Now();
  std::vector<std::uint8_t> read(8, 0x77);
  ASSERT_TRUE(CmdRomRead(t, kPath, 0, read));
  EXPECT_EQ(read, std::vector<std::uint8_t>(8, 0x00)) << "a busy chip shows its status, not data";
  EXPECT_EQ(PollUntilReady(), 200) << "one millisecond per status exchange";
  EXPECT_EQ(clock.Now() - started, 201ms);
  EXPECT_TRUE(AllBytes(ReadRom(), 0xFF));
  EXPECT_EQ(bridge.Log().back().time, started + 201ms);
}

TEST_F(RomTest, BusyChipIgnoresProgramAndErase) {
  EmulatedBridge& bridge = AddRom(kAtmel, true);
  ASSERT_TRUE(CmdRomLoadSequence(t, kPath, kAtmel));
  ASSERT_TRUE(CmdRomExecute(t, kPath));
  ASSERT_TRUE(CmdRomProgram(t, kPath, Bytes("00 00"), kAtmel));  // too early
  clock.Advance(1s);
  EXPECT_EQ(bridge.Rom()->Contents()[0], 0xFF);
  ASSERT_TRUE(CmdRomProgram(t, kPath, Bytes("00 00"), kAtmel));
  ASSERT_TRUE(CmdRomExecute(t, kPath));  // the program is still running
  clock.Advance(1s);
  EXPECT_EQ(bridge.Rom()->Contents()[0], 0x00);
}

TEST_F(RomTest, StuckBusyRomNeverGetsReady) {
  EmulatedBridge& bridge = AddRom(kAtmel, true);
  bridge.SetRomStayBusy(true);
  EXPECT_FALSE(EraseAs(kAtmel));
  EXPECT_EQ(bridge.Rom()->Status(), kRomStatusBusy);
  clock.Advance(1h);
  EXPECT_TRUE(CmdRomStatus(t, kPath));
  ASSERT_TRUE(CmdRomProgram(t, kPath, Image(256), kAtmel));
  EXPECT_TRUE(std::ranges::equal(bridge.Rom()->Contents(), OlderFirmware(kRomSize)));
  EXPECT_FALSE(bridge.Flash().Busy()) << "the serial flash is not affected";
}

TEST_F(RomTest, ControllerWritesTheRomOnlyAfterSwitchingToInternalRom) {
  EmulatedBridge& bridge = AddRom(kAtmel);
  const auto old = OlderFirmware(kRomSize);
  EXPECT_FALSE(bridge.RunsFromInternalRom());
  ASSERT_TRUE(EraseAs(kAtmel));  // completes, changes nothing
  ASSERT_TRUE(CmdRomProgram(t, kPath, Image(256), kAtmel));
  EXPECT_EQ(ReadRom(), old) << "reads work before the switch";

  ASSERT_TRUE(CmdSwitchInternalRom(t, kPath));
  EXPECT_TRUE(bridge.RunsFromInternalRom());
  ASSERT_TRUE(CmdRomExecute(t, kPath));  // the loaded sequence is still there
  ASSERT_GE(PollUntilReady(), 0);
  EXPECT_TRUE(AllBytes(ReadRom(), 0xFF));

  // A reset starts the controller from the external ROM again, and forgets
  // the loaded sequence.
  ASSERT_TRUE(CmdRomProgram(t, kPath, Image(256), kAtmel));
  ASSERT_GE(PollUntilReady(), 0);
  (void)CmdDeviceReset(t, kPath);
  clock.Advance(2s);
  EXPECT_FALSE(bridge.RunsFromInternalRom());
  ASSERT_TRUE(CmdSwitchInternalRom(t, kPath));
  ASSERT_TRUE(CmdRomExecute(t, kPath));
  EXPECT_FALSE(bridge.Rom()->Busy());
  EXPECT_EQ(ReadRom()[1], Image(256)[1]);
  EXPECT_EQ(bridge.InternalRomSwitchCount(), 2);
}

TEST_F(RomTest, A1ChipWritesWithoutTheSwitchAndAcceptsIt) {
  EmulatedBridge& bridge = AddRom(kSst, true);
  EXPECT_TRUE(bridge.RunsFromInternalRom());
  ASSERT_TRUE(EraseAs(kSst));
  EXPECT_TRUE(AllBytes(ReadRom(), 0xFF));
  ASSERT_TRUE(CmdSwitchInternalRom(t, kPath));
  EXPECT_EQ(bridge.InternalRomSwitchCount(), 1);
  EXPECT_TRUE(bridge.RunsFromInternalRom());
}

TEST_F(RomTest, ExecuteWithoutALoadedSequenceChangesNothing) {
  EmulatedBridge& bridge = AddRom(kAtmel, true);
  ASSERT_TRUE(CmdRomExecute(t, kPath));
  EXPECT_FALSE(bridge.Rom()->Busy());
  EXPECT_EQ(ReadRom(), OlderFirmware(kRomSize));
}

TEST_F(RomTest, SequenceOfTheWrongLengthIsRefused) {
  EmulatedBridge& bridge = AddRom(kAtmel, true);
  const auto sequence = RomEraseSequence(kAtmel);
  const auto cdb = Bytes("ff 04 04 00 00 00 00 00 00 00 00 00");
  EXPECT_FALSE(t.SendCommandOut(kPath, cdb, std::span(sequence).first(17)).ok);
  EXPECT_EQ(t.LastResult().error, TransportError::InvalidRequest);
  ASSERT_TRUE(CmdRomExecute(t, kPath));
  EXPECT_FALSE(bridge.Rom()->Busy());
}

TEST_F(RomTest, DevicesWithoutARomDoNotKnowTheCommands) {
  Add("QRS642");
  std::vector<std::uint8_t> read(16, 0x5A);
  EXPECT_FALSE(CmdRomRead(t, kPath, 0, read)) << "completed without data: no read";
  EXPECT_TRUE(t.LastResult().completed);
  EXPECT_EQ(t.LastResult().transferred, 0U);
  EXPECT_EQ(read, std::vector<std::uint8_t>(16, 0x5A));
  EXPECT_FALSE(CmdRomStatus(t, kPath)) << "no answer leaves the status byte 0";
  EXPECT_EQ(clock.Now(), 0ms);
}

TEST_F(RomTest, PresetsOfTheRomFamilies) {
  for (const char* name : {"QR40612", "QR40612-R"}) {
    const DeviceConfig config = PresetAt(name);
    ASSERT_TRUE(config.rom) << name;
    EXPECT_EQ(config.rom->type, kAtmel) << name;
    EXPECT_FALSE(config.rom->a1Chip) << name;
    EXPECT_EQ(config.rom->contents, OlderFirmware(kRomSize)) << name;
    EXPECT_TRUE(config.flash.answers.empty()) << name << ": no serial flash answers";
  }
  EXPECT_FALSE(PresetAt("QR40611").rom);
}

}  // namespace
}  // namespace qfw::emu::test
