// The family-6 update on an emulated QRB621: the device's first 4 KiB come
// back unchanged in front of the image of its revision, whatever size the
// image has.

#include "legacy/family6_nvram_update.h"

#include <gtest/gtest.h>

#include "emulator/preset_contents.h"
#include "tests/legacy/legacy_fixture.h"

namespace qfw::test {
namespace {

constexpr const char* kFamily6Preset = "QRB621";  // NVRAM area, then older firmware; 32 KiB sector erase

class Family6Test : public LegacyProcedureTest {
 protected:
  emu::EmulatedBridge& AddQrb621(char revisionDigit = '0', const std::string& path = "/dev/sg1") {
    return Add(
        kFamily6Preset, [&](emu::DeviceConfig& c) { c.chipCode = std::string("q621A") + revisionDigit; }, path);
  }
};

struct SizeCase {
  std::size_t imageLength;
  std::uint32_t programLength;  // T
  std::vector<std::uint32_t> erases;
};
std::ostream& operator<<(std::ostream& out, const SizeCase& c) { return out << c.imageLength << " bytes"; }


class Family6SizeTest : public Family6Test, public testing::WithParamInterface<SizeCase> {};

TEST_P(Family6SizeTest, KeepsTheNvramAndProgramsTheImageBehindIt) {
  const SizeCase& c = GetParam();
  const ByteVector image = ImagePattern(c.imageLength, 40);
  AddImage(kFamily6ImageRevision1, image);
  auto& bridge = AddQrb621();
  const ByteVector nvram = emu::NvramArea();
  ASSERT_EQ(FlashBytes(bridge, 0, kNvramAreaSize), nvram);

  EXPECT_TRUE(Family6NvramUpdate(MakeContext(), kPath));
  EXPECT_EQ(FlashBytes(bridge, 0, kNvramAreaSize), nvram) << "the image's own first 4 KiB are never used";
  EXPECT_EQ(FlashBytes(bridge, kNvramAreaSize, c.imageLength - kNvramAreaSize),
            Slice(image, kNvramAreaSize, c.imageLength - kNvramAreaSize));
  EXPECT_TRUE(AllAre(FlashBytes(bridge, c.imageLength, c.programLength - c.imageLength), 0x00));
  EXPECT_EQ(SectorErases(bridge), c.erases);
  const std::uint32_t erased = static_cast<std::uint32_t>(c.erases.size()) * kFamily6EraseBlock;
  EXPECT_TRUE(AllAre(FlashBytes(bridge, c.programLength, erased - c.programLength), 0xFF));
  EXPECT_EQ(FlashBytes(bridge, erased, 65536 - erased), Slice(emu::NvramAndFirmware(65536), erased, 65536 - erased));

  const auto writes = Sent(bridge, "ff 04 11");
  ASSERT_EQ(writes.size(), c.programLength / kFamily6PageSize);
  for (std::size_t i = 0; i < writes.size(); ++i) {
    EXPECT_EQ(writes[i].cdb[3] << 16 | writes[i].cdb[4] << 8 | writes[i].cdb[5], i * kFamily6PageSize);
    EXPECT_EQ(writes[i].dataLength, kFamily6PageSize);
  }
  // The NVRAM read, two blank-check reads per erase block, one read per page.
  EXPECT_EQ(FlashReadLengths(bridge).size(), 1 + 2 * c.erases.size() + writes.size());
  EXPECT_TRUE(status_.texts.empty());
  EXPECT_EQ(fake_.pump.count, 0);
}

INSTANTIATE_TEST_SUITE_P(Sizes, Family6SizeTest,
                         testing::Values(SizeCase{20000, 32768, {0}}, SizeCase{40000, 49152, {0, 32768}},
                                         SizeCase{10000, 16384, {0}}, SizeCase{65536, 65536, {0, 32768}}),
                         [](const auto& info) { return "Image" + std::to_string(info.param.imageLength); });

TEST_F(Family6Test, TheRevisionChoosesTheImage) {
  const ByteVector a = ImagePattern(32768, 1);
  const ByteVector b = ImagePattern(32768, 2);
  AddImage(kFamily6ImageRevision1, a);
  AddImage(kFamily6ImageRevision2, b);
  auto& rev1 = AddQrb621('0', "/dev/sg1");
  auto& rev2 = AddQrb621('1', "/dev/sg2");
  ASSERT_TRUE(Family6NvramUpdate(MakeContext(), "/dev/sg1"));
  ASSERT_TRUE(Family6NvramUpdate(MakeContext(), "/dev/sg2"));
  EXPECT_EQ(FlashBytes(rev1, 4096, 28672), Slice(a, 4096, 28672));
  EXPECT_EQ(FlashBytes(rev2, 4096, 28672), Slice(b, 4096, 28672));
}

TEST_F(Family6Test, NoImageForTheDeviceErasesNothing) {
  struct Case {
    const char* what;
    const char* preset;
    char revisionDigit;
  };
  AddImage(kFamily6ImageRevision1, ImagePattern(32768, 1));
  // Revision 2 has no image in the store; revision 3 has none at all; a
  // family-1 device is not served.
  for (const Case& c : {Case{"revision 2", kFamily6Preset, '1'}, Case{"revision 3", kFamily6Preset, '2'},
                        Case{"family 1", "QR40611", '0'}}) {
    SCOPED_TRACE(c.what);
    const std::string path = std::string("/dev/") + c.what;
    auto& bridge = Add(c.preset, [&](emu::DeviceConfig& d) {
      if (c.preset == std::string(kFamily6Preset)) d.chipCode = std::string("q621A") + c.revisionDigit;
    }, path);
    const ByteVector before = FlashBytes(bridge, 0, 65536);
    EXPECT_FALSE(Family6NvramUpdate(MakeContext(), path));
    EXPECT_EQ(Count(bridge, "ff 04 14"), 0u);
    EXPECT_EQ(FlashBytes(bridge, 0, 65536), before);
    EXPECT_TRUE(status_.texts.empty());
  }
}

TEST_F(Family6Test, Failures) {
  struct Case {
    const char* what;
    const char* failing;
    int nth;
    std::vector<std::string> texts;
  };
  AddImage(kFamily6ImageRevision1, ImagePattern(32768, 1));
  for (const Case& c : {Case{"nvram read", "ff 04 10", 1, {"Backup NVRAM command fail!"}},
                        Case{"erase", "ff 04 14", 1, {}},
                        Case{"blank-check read", "ff 04 10", 2, {}},
                        Case{"write", "ff 04 11", 2, {"Write command fail!"}},
                        Case{"verify read", "ff 04 10", 4, {"Write command fail!"}}}) {
    SCOPED_TRACE(c.what);
    const std::string path = std::string("/dev/") + c.what;
    auto& bridge = AddQrb621('0', path);
    bridge.FailCommands({.prefix = Bytes(c.failing), .nth = c.nth});
    status_.texts.clear();
    EXPECT_FALSE(Family6NvramUpdate(MakeContext(), path));
    EXPECT_EQ(status_.texts, c.texts);
  }
}

TEST_F(Family6Test, AFlashThatDoesNotEraseFailsTheBlankCheckBeforeAnyWrite) {
  AddImage(kFamily6ImageRevision1, ImagePattern(32768, 1));
  auto& bridge = Add(kFamily6Preset, [](emu::DeviceConfig& c) { c.flash.sectorEraseUnits = {4096}; });
  EXPECT_FALSE(Family6NvramUpdate(MakeContext(), kPath));
  EXPECT_EQ(Count(bridge, "ff 04 11"), 0u);
}

TEST_F(Family6Test, APageThatReadsBackDifferentFailsWithoutText) {
  // A stuck-busy chip ignores the erase and the writes and reads 0xFF: the
  // blank check passes, the first page's compare does not.
  AddImage(kFamily6ImageRevision1, ImagePattern(32768, 1));
  auto& bridge = AddQrb621();
  bridge.SetStayBusy(true);
  EXPECT_FALSE(Family6NvramUpdate(MakeContext(), kPath));
  EXPECT_EQ(Count(bridge, "ff 04 11"), 1u);
  EXPECT_TRUE(status_.texts.empty());
}

}  // namespace
}  // namespace qfw::test
