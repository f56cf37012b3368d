// What identification reads from an emulated bridge, sent with the real
// command builders: INQUIRY, identify, chip information, chip code,
// controller memory, flash kind and the flash chip's id answers; and how
// the bridge answers what it does not know.

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "device/commands.h"
#include "tests/emulator/emulator_fixture.h"
#include "tests/support/scripted_pass_through.h"

namespace qfw::emu::test {
namespace {

using qfw::test::Bytes;

std::string Text(std::span<const std::uint8_t> bytes) { return std::string(bytes.begin(), bytes.end()); }

class IdentityTest : public EmulatorTest {};

TEST_F(IdentityTest, InquiryOfAQrs642) {
  Add("QRS642");
  std::array<std::uint8_t, 40> data{};
  ASSERT_TRUE(Inquiry(t, kPath, data));
  EXPECT_EQ(t.LastResult().transferred, 40U);
  EXPECT_EQ(data[0], 0x00);  // direct-access disk
  EXPECT_EQ(Text(std::span(data).subspan(8, 8)), "Quorell ");
  EXPECT_EQ(Text(std::span(data).subspan(16, 16)), "QRS642 Bridge   ");
  EXPECT_EQ(Text(std::span(data).subspan(36, 4)), "q642");
}

TEST_F(IdentityTest, InquiryThroughTheCdromInterfaceIsACdrom) {
  Add("QRS641", "/dev/sg2", [](DeviceConfig& c) { c.cdromPath = "/dev/sg3"; });
  std::array<std::uint8_t, 40> disk{};
  std::array<std::uint8_t, 40> cdrom{};
  ASSERT_TRUE(Inquiry(t, "/dev/sg2", disk));
  ASSERT_TRUE(Inquiry(t, "/dev/sg3", cdrom));
  EXPECT_EQ(disk[0], 0x00);
  EXPECT_EQ(cdrom[0], 0x05);
  EXPECT_EQ(Text(std::span(cdrom).subspan(36, 4)), "q641");
}

TEST_F(IdentityTest, InquiryMovesNoMoreThanAskedOrAvailable) {
  Add("QRS642");
  Add("usb-stick", "/dev/sg2");
  std::vector<std::uint8_t> shortBuffer(36, 0xAA);
  ASSERT_TRUE(Inquiry(t, kPath, shortBuffer));
  EXPECT_EQ(t.LastResult().transferred, 36U);

  std::vector<std::uint8_t> stick(40, 0xAA);
  ASSERT_TRUE(Inquiry(t, "/dev/sg2", stick));
  EXPECT_EQ(t.LastResult().transferred, 36U);  // no chip code
  EXPECT_EQ(Text(std::span(stick).subspan(36, 4)), "\xAA\xAA\xAA\xAA");
}

TEST_F(IdentityTest, ChipInfoRecordOfAQrs642) {
  Add("QRS642");
  std::array<std::uint8_t, 16> info{};
  const TransferResult result = CmdReadChipInfo(t, kPath, info);
  ASSERT_TRUE(result.ok);
  EXPECT_EQ(result.transferred, 16U);
  // Magic, USB ids (neither 3C5B nor 7E12), short version 67.1, tag "642",
  // revision '1', long version 67.1.0.
  EXPECT_EQ(std::vector(info.begin(), info.end()),
            Bytes("f4 e7 3c 5a 06 42 43 01 36 34 32 31 43 01 00 00"));
}

struct ChipInfoLengthCase {
  std::optional<std::size_t> configured;  // none: no chip information at all
  std::uint32_t transferred;
};

class ChipInfoLengthTest : public IdentityTest, public ::testing::WithParamInterface<ChipInfoLengthCase> {};

TEST_P(ChipInfoLengthTest, MovesTheConfiguredLengthAndLeavesTheRest) {
  const auto configured = GetParam().configured;
  Add("QRS642", kPath, [&](DeviceConfig& c) {
    if (configured) {
      c.chipInfo->transferred = *configured;
    } else {
      c.chipInfo.reset();
    }
  });
  std::vector<std::uint8_t> info(16, 0xAA);
  const TransferResult result = CmdReadChipInfo(t, kPath, info);
  ASSERT_TRUE(result.ok);
  EXPECT_EQ(result.transferred, GetParam().transferred);
  const auto moved = static_cast<std::ptrdiff_t>(GetParam().transferred);
  EXPECT_TRUE(std::all_of(info.begin() + moved, info.end(), [](std::uint8_t b) { return b == 0xAA; }));
  if (moved > 0) {
    EXPECT_EQ(info[0], 0xF4);
  }
}

INSTANTIATE_TEST_SUITE_P(Lengths, ChipInfoLengthTest,
                         ::testing::Values(ChipInfoLengthCase{12, 12}, ChipInfoLengthCase{13, 13},
                                           ChipInfoLengthCase{16, 16}, ChipInfoLengthCase{std::nullopt, 0}));

TEST_F(IdentityTest, IdentifyAndChipCode) {
  Add("QR40611", kPath, [](DeviceConfig& c) { c.identify = {0x60, 0x01}; });
  std::array<std::uint8_t, 2> identify{};
  ASSERT_TRUE(CmdReadIdentify(t, kPath, identify));
  EXPECT_EQ(identify, (std::array<std::uint8_t, 2>{0x60, 0x01}));

  std::vector<std::uint8_t> code(40, 0xAA);
  ASSERT_TRUE(CmdReadChipCode(t, kPath, code));
  EXPECT_EQ(t.LastResult().transferred, 8U);
  EXPECT_EQ(std::vector(code.begin(), code.begin() + 9), Bytes("71 36 31 31 43 30 00 00 aa"));  // "q611C0"
}

struct MemoryCase {
  const char* preset;
  bool blockCommands;
  std::uint32_t address;
  const char* bytes;
};

class BlockSupportMemoryTest : public IdentityTest, public ::testing::WithParamInterface<MemoryCase> {};

TEST_P(BlockSupportMemoryTest, FollowsTheBlockCommandFlag) {
  const MemoryCase& c = GetParam();
  Add(c.preset, kPath, [&](DeviceConfig& config) { config.blockCommands = c.blockCommands; });
  std::array<std::uint8_t, 4> memory{};
  ASSERT_TRUE(CmdReadMemory(t, kPath, memory, c.address));
  EXPECT_EQ(std::vector(memory.begin(), memory.end()), Bytes(c.bytes));
}

INSTANTIATE_TEST_SUITE_P(Presets, BlockSupportMemoryTest,
                         ::testing::Values(MemoryCase{"QRS642", true, 0x5080, "08 00 00 00"},
                                           MemoryCase{"QRS642", false, 0x5080, "07 00 00 00"},
                                           MemoryCase{"QRS641", true, 0x505E, "07 00 01 ff"},
                                           MemoryCase{"QRS641", false, 0x505E, "07 01 01 ff"},
                                           MemoryCase{"QRS641", true, 0xFDB0, "00 00 00 00"}));

TEST_F(IdentityTest, MemoryPatchesWinOverBlockSupportBytes) {
  Add("QRS641", kPath, [](DeviceConfig& c) {
    c.memory = {{0x505F, {0x01}}, {0xFDB1, {0xB4}}};
  });
  std::array<std::uint8_t, 4> probe{};
  ASSERT_TRUE(CmdReadMemory(t, kPath, probe, 0x505E));
  EXPECT_EQ(std::vector(probe.begin(), probe.end()), Bytes("07 01 01 ff"));
  ASSERT_TRUE(CmdReadMemory(t, kPath, probe, 0xFDB0));
  EXPECT_EQ(std::vector(probe.begin(), probe.end()), Bytes("00 b4 00 00"));
}

TEST_F(IdentityTest, FlashKindAndSpiAnswers) {
  Add("QRS642", kPath, [](DeviceConfig& c) { c.flash.id3Answers[0xAB] = {0x05, 0x05, 0x05}; });
  std::array<std::uint8_t, 4> kind{};
  ASSERT_TRUE(CmdReadFlashKind(t, kPath, kind));
  EXPECT_EQ(kind[0], 6);

  std::array<std::uint8_t, 4> answer{};
  ASSERT_TRUE(CmdSpiCommand(t, kPath, 0x9F));
  ASSERT_TRUE(CmdSpiResponse(t, kPath, answer));
  EXPECT_EQ(std::vector(answer.begin(), answer.end()), Bytes("ef 30 10 00"));
  ASSERT_TRUE(CmdSpiCommand(t, kPath, 0x4B));  // an opcode the chip does not answer
  ASSERT_TRUE(CmdSpiResponse(t, kPath, answer));
  EXPECT_EQ(std::vector(answer.begin(), answer.end()), Bytes("ff ff ff ff"));

  std::array<std::uint8_t, 3> id3{};
  ASSERT_TRUE(CmdSpiReadId3(t, kPath, id3, 0xAB, true));
  EXPECT_EQ(id3, (std::array<std::uint8_t, 3>{0x05, 0x05, 0x05}));
  ASSERT_TRUE(CmdSpiReadId3(t, kPath, id3, 0x15, false));
  EXPECT_EQ(id3, (std::array<std::uint8_t, 3>{0xFF, 0xFF, 0xFF}));
}

TEST_F(IdentityTest, EveryPresetNamesItsChip) {
  for (const std::string& name : PresetNames()) {
    SCOPED_TRACE(name);
    const DeviceConfig config = Preset(name).value();
    if (!config.bridge) {
      EXPECT_FALSE(config.chipInfo);
      continue;
    }
    ASSERT_TRUE(config.chipInfo);
    const auto record = config.chipInfo->Bytes();
    const std::string tag(record.begin() + 8, record.begin() + 11);
    EXPECT_NE(name.find(tag), std::string::npos) << "tag " << tag;
    const bool byUsbIds = name == "QR40612-R";
    EXPECT_EQ(config.inquiry.chipCode, byUsbIds ? "" : "q" + tag);
    EXPECT_EQ(config.chipInfo->usbVendorId == 0x3C5B && config.chipInfo->usbProductId == 0x7E12, byUsbIds);
  }
}

// A CDB the device does not know completes with nothing moved: the
// transport never sees the CHECK CONDITION.
struct UnknownCase {
  const char* name;
  const char* preset;
  const char* cdb;
};

void PrintTo(const UnknownCase& c, std::ostream* os) { *os << c.name; }

class UnknownCommandTest : public IdentityTest, public ::testing::WithParamInterface<UnknownCase> {};

TEST_P(UnknownCommandTest, CompletesWithNothingTransferred) {
  Add(GetParam().preset);
  const auto cdb = Bytes(GetParam().cdb);
  std::vector<std::uint8_t> data(512, 0xAA);
  const TransferResult result = t.SendCommandIn(kPath, cdb, data);
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.transferred, 0U);
  EXPECT_EQ(data, std::vector<std::uint8_t>(512, 0xAA));
  ASSERT_EQ(bus.Find(kPath)->Log().size(), 1U);
  EXPECT_TRUE(bus.Find(kPath)->Log()[0].completed);
}

INSTANTIATE_TEST_SUITE_P(
    Cdbs, UnknownCommandTest,
    ::testing::Values(
        UnknownCase{"UnknownSubCommand", "QRS642", "ff 04 99 00 00 00 00 00 00 00 00 00"},
        UnknownCase{"StrayByteInAKnownCommand", "QRS642", "ff 04 23 04 00 00 00 00 00 00 00 01"},
        UnknownCase{"ParallelRomStatus", "QRS642", "ff 04 00 00 00 00 00 00 00 00 00 00"},
        UnknownCase{"BlockReadWithoutBlockCommands", "QRB631", "df 10 00 02 00 00 00 00 00 00 00 fa"},
        UnknownCase{"VendorCommandToAPlainDisk", "usb-stick", "e0 f4 e7 00 00 00 00 00 00 00 00 00"},
        UnknownCase{"MemoryReadOfAPlainDisk", "usb-stick", "df 10 00 02 00 00 50 80 00 00 00 fd"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(IdentityTest, DataPhaseInTheWrongDirectionFails) {
  Add("QRS642");
  const auto cdb = Bytes("ff 04 23 04 00 00 00 00 00 00 00 00");
  const std::vector<std::uint8_t> data(4, 0x00);
  EXPECT_FALSE(t.SendCommandOut(kPath, cdb, data).ok);
}

TEST_F(IdentityTest, DfLengthThatDiffersFromTheDataPhaseFails) {
  Add("QRS642");
  const auto cdb = Bytes("df 10 00 00 08 00 50 80 00 00 00 fd");  // asks 8 bytes in the CDB
  std::vector<std::uint8_t> data(4);
  EXPECT_FALSE(t.SendCommandIn(kPath, cdb, data).ok);
  EXPECT_EQ(t.LastResult().error, TransportError::InvalidRequest);
}

}  // namespace
}  // namespace qfw::emu::test
