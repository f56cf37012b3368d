// Every vendor command, byte for byte: CDB, entry point, data length and
// time-out, as they reach the pass-through driver.

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <vector>

#include "device/commands.h"
#include "tests/support/scripted_pass_through.h"

namespace qfw {
namespace {

using test::Bytes;
using namespace std::chrono_literals;

constexpr auto kIn = DataDirection::In;
constexpr auto kOut = DataDirection::Out;
const std::string kPath = "/dev/sg3";

struct CommandCase {
  const char* name;
  std::function<void(Transport&)> send;
  const char* cdb;
  DataDirection direction;
  std::size_t length;  // data length handed to the request
  std::chrono::seconds timeout;
};

void PrintTo(const CommandCase& c, std::ostream* os) { *os << c.name; }

std::array<std::uint8_t, 8192> gBuffer{};
std::array<std::uint8_t, 3> gId3{};
std::array<std::uint8_t, 4> gKind{};
std::array<std::uint8_t, 2> gIdentify{};
std::uint8_t gStatus = 0;

std::span<std::uint8_t> Buf(std::size_t n) { return std::span(gBuffer).first(n); }

const std::vector<CommandCase>& Cases() {
  static const std::vector<CommandCase> cases = {
      {"RomStatus", [](Transport& t) { (void)CmdRomStatus(t, kPath); },
       "ff 04 00 00 00 00 00 00 00 00 00 00", kIn, 2, 20s},
      {"RomExecute", [](Transport& t) { CmdRomExecute(t, kPath); },
       "ff 04 01 00 00 00 00 00 00 00 00 00", kOut, 0, 10s},
      {"RomProgramType0", [](Transport& t) { CmdRomProgram(t, kPath, Buf(64), 0); },
       "ff 04 02 55 55 aa 2a 55 55 aa 55 a0", kOut, 64, 10s},
      {"RomProgramType1", [](Transport& t) { CmdRomProgram(t, kPath, Buf(64), 1); },
       "ff 04 02 55 05 aa 02 55 05 aa 55 a0", kOut, 64, 10s},
      {"RomProgramType2", [](Transport& t) { CmdRomProgram(t, kPath, Buf(64), 2); },
       "ff 04 02 55 55 aa 2a 55 55 aa 55 a0", kOut, 64, 10s},
      {"RomProgramUnknownType", [](Transport& t) { CmdRomProgram(t, kPath, Buf(64), 3); },
       "ff 04 02 00 00 00 00 00 00 00 00 00", kOut, 64, 10s},
      {"RomRead", [](Transport& t) { CmdRomRead(t, kPath, 0x12345, Buf(512)); },
       "ff 04 03 45 23 01 00 00 00 00 00 00", kIn, 512, 20s},
      {"RomReadHighByte", [](Transport& t) { CmdRomRead(t, kPath, 0xA1B2C3D4, Buf(4)); },
       "ff 04 03 d4 c3 b2 a1 00 00 00 00 00", kIn, 4, 20s},
      {"RomLoadSequence", [](Transport& t) { CmdRomLoadSequence(t, kPath, 0); },
       "ff 04 04 00 00 00 00 00 00 00 00 00", kOut, 18, 10s},
      {"SwitchInternalRom", [](Transport& t) { CmdSwitchInternalRom(t, kPath); },
       "ff 04 05 00 00 00 00 00 00 00 00 00", kOut, 0, 10s},
      {"FlashRead", [](Transport& t) { CmdFlashRead(t, kPath, 0x12345, Buf(256)); },
       "ff 04 10 01 23 45 00 00 00 00 00 00", kIn, 256, 20s},
      {"FlashReadKeepsLow24Bits", [](Transport& t) { CmdFlashRead(t, kPath, 0x01ABCDEF, Buf(256)); },
       "ff 04 10 ab cd ef 00 00 00 00 00 00", kIn, 256, 20s},
      {"FlashWrite", [](Transport& t) { CmdFlashWrite(t, kPath, 0xC000, Buf(256)); },
       "ff 04 11 00 c0 00 00 00 00 00 00 00", kOut, 256, 10s},
      {"FlashStatusAsksTwoBytes", [](Transport& t) { CmdFlashStatus(t, kPath, gStatus); },
       "ff 04 12 00 00 00 00 00 00 00 00 00", kIn, 2, 20s},
      {"FlashChipEraseLongTimeout", [](Transport& t) { CmdFlashChipErase(t, kPath); },
       "ff 04 13 00 00 00 00 00 00 00 00 00", kOut, 0, 100s},
      {"FlashSectorErase", [](Transport& t) { CmdFlashSectorErase(t, kPath, 0x1000); },
       "ff 04 14 00 10 00 00 00 00 00 00 00", kOut, 0, 10s},
      {"SpiReadId3FlagSet", [](Transport& t) { CmdSpiReadId3(t, kPath, gId3, 0xAB, true); },
       "ff 04 15 03 ab 03 00 00 00 00 00 00", kIn, 3, 20s},
      {"SpiReadId3FlagClear", [](Transport& t) { CmdSpiReadId3(t, kPath, gId3, 0x15, false); },
       "ff 04 15 03 15 00 00 00 00 00 00 00", kIn, 3, 20s},
      {"SpiCommand", [](Transport& t) { CmdSpiCommand(t, kPath, 0x9F); },
       "ff 04 20 01 01 9f 00 00 00 00 00 00", kIn, 0, 20s},
      {"SpiResponse", [](Transport& t) { CmdSpiResponse(t, kPath, Buf(4)); },
       "ff 04 21 00 00 00 00 00 00 00 00 00", kIn, 4, 20s},
      {"ReadFlashKind", [](Transport& t) { CmdReadFlashKind(t, kPath, gKind); },
       "ff 04 23 04 00 00 00 00 00 00 00 00", kIn, 4, 20s},
      {"PrepareFlash", [](Transport& t) { CmdPrepareFlash(t, kPath); },
       "ff 04 25 00 00 00 00 00 00 00 00 00", kOut, 0, 10s},
      {"DeviceResetIsDataIn", [](Transport& t) { CmdDeviceReset(t, kPath); },
       "ff 04 26 51 52 00 00 00 00 00 00 00", kIn, 0, 20s},
      {"ReadChipCodeByte3AlwaysEight", [](Transport& t) { CmdReadChipCode(t, kPath, Buf(40)); },
       "ff 04 30 08 00 00 00 00 00 00 00 00", kIn, 40, 20s},
      {"ModeEnter", [](Transport& t) { CmdModeEnter(t, kPath); },
       "ff 04 51 52 55 00 00 00 00 00 00 00", kOut, 0, 10s},
      {"ModeLeave", [](Transport& t) { CmdModeLeave(t, kPath); },
       "ff 04 51 52 aa 00 00 00 00 00 00 00", kOut, 0, 10s},
      {"ReadIdentify", [](Transport& t) { CmdReadIdentify(t, kPath, gIdentify); },
       "df 10 00 00 02 00 00 00 00 00 00 ff", kIn, 2, 20s},
      {"ReadMemory", [](Transport& t) { CmdReadMemory(t, kPath, Buf(4), 0xFDB0); },
       "df 10 00 00 04 00 fd b0 00 00 00 fd", kIn, 4, 20s},
      {"ReadMemoryKeepsLow16Bits", [](Transport& t) { CmdReadMemory(t, kPath, Buf(4), 0x15080); },
       "df 10 00 00 04 00 50 80 00 00 00 fd", kIn, 4, 20s},
      {"ReadFlashBlock", [](Transport& t) { CmdReadFlashBlock(t, kPath, 0xC000, Buf(8192)); },
       "df 10 00 20 00 00 00 00 00 c0 00 fa", kIn, 8192, 20s},
      {"WriteFlashBlockFlagBit", [](Transport& t) { CmdWriteFlashBlock(t, kPath, 0, Buf(4096), 0x82); },
       "df 82 00 10 00 00 00 00 00 00 00 fb", kOut, 4096, 10s},
      {"WriteFlashBlockMasksBits3To6", [](Transport& t) { CmdWriteFlashBlock(t, kPath, 0x8000, Buf(512), 0x7A); },
       "df 02 00 02 00 00 00 00 00 80 00 fb", kOut, 512, 10s},
      {"ReadChipInfo", [](Transport& t) { (void)CmdReadChipInfo(t, kPath, Buf(16)); },
       "e0 f4 e7 00 00 00 00 00 00 00 00 00", kIn, 16, 20s},
      {"Inquiry", [](Transport& t) { Inquiry(t, kPath, Buf(40)); },
       "12 00 00 00 28 00 00 00 00 00 00 00", kIn, 40, 20s},
  };
  return cases;
}

class CommandBytesTest : public testing::TestWithParam<CommandCase> {};

TEST_P(CommandBytesTest, SendsExactRequest) {
  const CommandCase& c = GetParam();
  test::ScriptedPassThrough driver;
  Transport transport(driver);
  c.send(transport);
  ASSERT_EQ(driver.Requests().size(), 1u);
  const test::RecordedRequest& r = driver.Requests()[0];
  EXPECT_EQ(r.path, kPath);
  EXPECT_EQ(r.cdb, Bytes(c.cdb));
  EXPECT_EQ(r.direction, c.direction);
  EXPECT_EQ(r.length, c.length);
  EXPECT_EQ(r.timeout, c.timeout);
}

INSTANTIATE_TEST_SUITE_P(AllCommands, CommandBytesTest, testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CommandData, RomLoadSequenceSendsEraseSequenceOfType) {
  const std::vector<std::pair<int, const char*>> cases = {
      {0, "55 55 aa 2a 55 55 55 55 aa 2a 55 55 aa 55 80 aa 55 10"},
      {1, "55 05 aa 02 55 05 55 05 aa 02 55 05 aa 55 80 aa 55 10"},
      {2, "55 55 aa 2a 55 55 55 55 aa 2a 55 55 aa 55 80 aa 55 10"},
      {3, "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"},
      {-1, "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"},
  };
  for (const auto& [type, bytes] : cases) {
    test::ScriptedPassThrough driver;
    Transport transport(driver);
    CmdRomLoadSequence(transport, kPath, type);
    ASSERT_EQ(driver.Requests().size(), 1u);
    EXPECT_EQ(driver.Requests()[0].dataOut, Bytes(bytes)) << "ROM type " << type;
  }
}

TEST(CommandData, WriteFlashBlockSendsCallerBytes) {
  test::ScriptedPassThrough driver;
  Transport transport(driver);
  std::vector<std::uint8_t> data(512);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7);
  ASSERT_TRUE(CmdWriteFlashBlock(transport, kPath, 0, data, 2));
  EXPECT_EQ(driver.Requests()[0].dataOut, data);
}

TEST(CommandResults, RomStatusMapsBusyAndFailure) {
  struct Case {
    std::uint8_t status;
    bool fail;
    bool busy;
  };
  for (const Case c : {Case{0x01, false, true}, Case{0x00, false, false}, Case{0x02, false, false},
                       Case{0x00, true, true}}) {
    test::ScriptedPassThrough driver;
    Transport transport(driver);
    driver.SetHandler([&](const test::RecordedRequest& r, std::span<std::uint8_t> in) {
      in[0] = c.status;
      return test::Completed(r.length);
    });
    if (c.fail) driver.FailNextOpens(1);
    EXPECT_EQ(CmdRomStatus(transport, kPath), c.busy) << int(c.status) << " fail=" << c.fail;
  }
}

TEST(CommandResults, ReadChipCodeRefusesShortBuffer) {
  test::ScriptedPassThrough driver;
  Transport transport(driver);
  std::array<std::uint8_t, 7> shortBuffer{};
  EXPECT_THROW(CmdReadChipCode(transport, kPath, shortBuffer), std::invalid_argument);
  EXPECT_TRUE(driver.Requests().empty());
}

TEST(CommandResults, ReadChipInfoHandsBackTransferredLength) {
  test::ScriptedPassThrough driver;
  Transport transport(driver);
  driver.SetHandler([](const test::RecordedRequest&, std::span<std::uint8_t>) { return test::Completed(13); });
  std::array<std::uint8_t, 16> info{};
  const TransferResult result = CmdReadChipInfo(transport, kPath, info);
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.transferred, 13u);
}

TEST(CommandResults, FailedTransportFailsCommand) {
  test::ScriptedPassThrough driver;
  Transport transport(driver);
  driver.FailNextRequests(1);
  EXPECT_FALSE(CmdModeEnter(transport, kPath));
  EXPECT_TRUE(CmdModeEnter(transport, kPath));
}

}  // namespace
}  // namespace qfw
