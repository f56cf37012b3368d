// YES on emulated bridges: what the flash holds afterwards, what the window
// shows, and the runs that must not write at all.

#include <gtest/gtest.h>

#include <set>

#include "app/config_merge.h"
#include "flash/image_checksum.h"
#include "flash/image_layout.h"
#include "tests/app/workflow_fixture.h"
#include "tests/support/family13_flash.h"

namespace qfw {
namespace {

using test::ByteVector;
using namespace std::chrono_literals;

constexpr const char* kPath = "/dev/sg1";
constexpr const char* kUpdateFail = "                     Update    fail!!";
constexpr std::size_t kFamily10ImageSize = 0x9000;
constexpr std::uint8_t kImageByte47 = 0x53;  // bits 0, 1, 4, 6

ByteVector Pattern(std::size_t size, std::uint8_t seed) {
  ByteVector bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 13 + (i >> 8));
  return bytes;
}

// A family-10 image: a signed ConfigBlock, then code.
ByteVector Family10Image() {
  ByteVector image = Pattern(kFamily10ImageSize, 0x37);
  image[47] = kImageByte47;
  image[126] = 'Q';
  image[127] = 'R';
  return image;
}

// Old flash contents whose family-13 block at 0xC000 differs from the
// embedded block in every position but the signature.
ByteVector OldFlash13(const ByteVector& embedded, bool signature) {
  ByteVector flash = Pattern(kFlashImageSize, 0x05);
  for (std::size_t i = 0; i < kConfigSize13; ++i) {
    flash[kConfigOffset13 + i] = static_cast<std::uint8_t>(embedded[kConfigOffset13 + i] ^ 0xA5);
  }
  flash[kConfigOffset13 + 254] = signature ? 'Q' : 'q';
  flash[kConfigOffset13 + 255] = signature ? 'R' : 'r';
  return flash;
}

class UpdateRunTest : public test::WorkflowTest {
 protected:
  void EmbedFamily10() { fake_.resources.Add("QRS641", "FW1802", Family10Image()); }

  // The failure display: red text, EXIT only, no progress bar.
  void ExpectFailureDisplay() {
    EXPECT_EQ(view_[Control::devLable].text, kUpdateFail);
    EXPECT_EQ(view_[Control::devLable].colour, TextColour::Red);
    EXPECT_TRUE(view_[Control::devLable].visible);
    EXPECT_TRUE(view_[Control::ExtBtn].visible);
    EXPECT_FALSE(view_[Control::EraseButton].visible);
    EXPECT_TRUE(view_[Control::EraseButton].enabled);
    EXPECT_FALSE(view_[Control::ExitBtn].visible);
    EXPECT_FALSE(view_[Control::replugLable1].visible);
    EXPECT_FALSE(view_[Control::FwUpdatBar].visible);
  }
  // The success display of a family-10 run.
  void ExpectPowerCycleDisplay() {
    EXPECT_TRUE(view_[Control::replugLable1].visible);
    EXPECT_EQ(view_[Control::replugLable1].text, "Please power cycle the device");
    EXPECT_TRUE(view_[Control::ExtBtn].visible);
    for (const Control hidden : {Control::devLable, Control::EraseButton, Control::ExitBtn, Control::FwUpdatBar}) {
      EXPECT_FALSE(view_[hidden].visible);
    }
  }

  std::size_t WritesTo(const std::string& path) const {
    std::size_t writes = 0;
    for (const char* prefix : {"df 00", "df 01", "df 02", "df 03", "df 82", "df 83", "ff 04 11", "ff 04 13",
                               "ff 04 14"}) {
      writes += CountSent(path, prefix);
    }
    return writes;
  }
};

TEST_F(UpdateRunTest, Family13WithSignatureKeepsTheDevicesBytes) {
  const ByteVector old = OldFlash13(embedded_, true);
  auto& bridge = AddDevice(kPath, "QRS642", [&](emu::DeviceConfig& c) { c.flash.contents = old; });
  workflow_.Construct();
  ASSERT_EQ(view_.items.size(), 1u);

  bool boxChecked = false;
  messages_.onShow = [&](const test::ShownMessage& shown) {
    EXPECT_EQ(shown.text, "QRS642 Auto reset, Please wait device re-attached!");
    EXPECT_EQ(shown.caption, "Message");
    EXPECT_EQ(shown.icon, MessageIcon::None);
    EXPECT_EQ(bridge.ResetCount(), 1) << "the reset goes out before the box opens";
    EXPECT_TRUE(view_[Control::replugLable1].visible);
    EXPECT_EQ(view_[Control::replugLable1].text, "Please wait device re-attached!");
    EXPECT_TRUE(view_[Control::ExtBtn].visible);
    for (const Control hidden : {Control::devLable, Control::EraseButton, Control::ExitBtn, Control::FwUpdatBar}) {
      EXPECT_FALSE(view_[hidden].visible);
    }
    boxChecked = true;
  };
  workflow_.EraseButtonClick();
  ASSERT_TRUE(boxChecked);
  EXPECT_EQ(view_.progressHistory, (std::vector<int>{0, 20}));

  std::set<std::size_t> fromImage{4, 5, 9, 11, 47, 81, 82, 83, 85};
  for (std::size_t i = 117; i <= 127; ++i) fromImage.insert(i);
  ASSERT_EQ(fromImage.size(), 20u);
  const ByteVector block = FlashBytes(bridge, kConfigOffset13, kConfigSize13);
  for (std::size_t i = 0; i < kConfigSize13; ++i) {
    const bool marked = fromImage.contains(i);
    EXPECT_EQ(block[i], marked ? embedded_[kConfigOffset13 + i] : old[kConfigOffset13 + i]) << "position " << i;
  }
  EXPECT_EQ(FlashBytes(bridge, 0, kFlashImageSize), test::ExpectedFlash13(embedded_, block));
}

TEST_F(UpdateRunTest, Family13WithoutSignatureTakesTheImagesBlock) {
  auto& bridge = AddDevice(kPath, "QRS642", [&](emu::DeviceConfig& c) { c.flash.contents = OldFlash13(embedded_, false); });
  workflow_.Construct();
  workflow_.EraseButtonClick();
  const ByteVector imageBlock(embedded_.begin() + kConfigOffset13, embedded_.begin() + kConfigOffset13 + kConfigSize13);
  EXPECT_EQ(FlashBytes(bridge, kConfigOffset13, kConfigSize13), imageBlock);
  EXPECT_EQ(FlashBytes(bridge, 0, kFlashImageSize), test::ExpectedFlash13(embedded_, imageBlock));
}

// The controller resets, leaves the bus and comes back; the device events
// it causes end in a rescan that finds it updated, while the box is up.
TEST_F(UpdateRunTest, Family13ReattachesAndTheRescanFindsItUpdated) {
  AddDevice(kPath, "QRS642");
  workflow_.Construct();
  messages_.onShow = [&](const test::ShownMessage&) {
    AdvanceTime(200ms);  // the removal's rescan, while the device is away
    EXPECT_EQ(view_[Control::devLable].text, "                 No device found!!");
    AdvanceTime(1300ms);
    bus_.Poll();  // re-attached after 1500 ms
    AdvanceTime(1199ms);
    EXPECT_EQ(ScanCount(), 2u);
    AdvanceTime(1ms);
  };
  workflow_.EraseButtonClick();
  EXPECT_EQ(ScanCount(), 3u);
  EXPECT_EQ(view_[Control::devLable].text, "               The chip already updated!!");
  EXPECT_EQ(view_[Control::devLable].colour, TextColour::Red);
  EXPECT_TRUE(view_[Control::devLable].visible);
  EXPECT_FALSE(view_[Control::replugLable1].visible);
  EXPECT_TRUE(view_[Control::ExtBtn].visible);
  EXPECT_FALSE(view_[Control::EraseButton].visible);
}

TEST_F(UpdateRunTest, Family10WithBlockCommands) {
  EmbedFamily10();
  const ByteVector image = Family10Image();
  ByteVector old = Pattern(kFlashImageSize, 0x71);
  old[47] = 0x01;  // bit 1 clear
  old[126] = 'Q';
  old[127] = 'R';
  auto& bridge = AddDevice(kPath, "QRS641", [&](emu::DeviceConfig& c) {
    c.flash.contents = old;
    c.memory.push_back({0x7058, {0x01}});  // the memory bit
  });
  workflow_.Construct();
  ASSERT_EQ(workflow_.State().CurrentChipId, 0x000A);
  workflow_.EraseButtonClick();
  ExpectPowerCycleDisplay();
  EXPECT_TRUE(messages_.shown.empty());
  EXPECT_EQ(bridge.ResetCount(), 0);
  EXPECT_GT(CountSent(kPath, "df 02"), 0u);

  ByteVector expected = old;
  for (std::size_t i = 0; i < kConfigSize10; ++i) {
    if (TakesImageByte(ConfigMergeTable10, i)) expected[i] = image[i];
  }
  expected[47] = static_cast<std::uint8_t>((kImageByte47 | 0x04) & ~0x02);
  std::copy(image.begin() + kConfigSize10, image.end(), expected.begin() + kConfigSize10);
  EXPECT_EQ(FlashBytes(bridge, 0, kFlashImageSize), expected);
}

// Without block commands: the legacy commands, their progress steps and
// status text. The ConfigBlock is read with the older flash read; the old
// flash carries no "QR" signature, so the image's block is written. The
// memory read fails here.
TEST_F(UpdateRunTest, Family10WithTheLegacyCommands) {
  EmbedFamily10();
  const ByteVector image = Family10Image();
  auto& bridge = AddDevice(kPath, "QRS641", [&](emu::DeviceConfig& c) {
    c.blockCommands = false;
    c.flash.contents = Pattern(kFlashImageSize, 0x71);
    c.faults.failures.push_back({test::Bytes("df 10 00 00 04 00 70 58"), 1, 10});
  });
  workflow_.Construct();
  workflow_.EraseButtonClick();
  ExpectPowerCycleDisplay();
  EXPECT_EQ(view_.progressHistory, (std::vector<int>{0, 20, 30, 40, 50, 60, 70}));
  EXPECT_EQ(view_[Control::StatusEdit].text, "ReadFlash.......");
  EXPECT_EQ(CountSent(kPath, "df 02"), 0u);
  EXPECT_EQ(CountSent(kPath, "ff 04 11"), 8u);

  ByteVector expected(kFlashImageSize, 0x00);
  std::copy(image.begin(), image.end(), expected.begin());
  expected[47] = kImageByte47 | 0x06;
  EXPECT_EQ(FlashBytes(bridge, 0, kFlashImageSize), expected);
}

TEST_F(UpdateRunTest, Family10LegacyKeepsTheDevicesOwnConfigBytes) {
  // Without the block commands the device's block is read with the older
  // flash read; a block read would come back empty and wipe its identity.
  EmbedFamily10();
  const ByteVector image = Family10Image();
  ByteVector old = Pattern(kFlashImageSize, 0x33);
  old[126] = 'Q';
  old[127] = 'R';
  auto& bridge = AddDevice(kPath, "QRS641", [&](emu::DeviceConfig& c) {
    c.blockCommands = false;
    c.flash.contents = old;
  });
  workflow_.Construct();
  workflow_.EraseButtonClick();
  ExpectPowerCycleDisplay();
  std::array<std::uint8_t, kConfigSize10> deviceBlock{}, imageBlock{};
  std::copy_n(old.begin(), kConfigSize10, deviceBlock.begin());
  std::copy_n(image.begin(), kConfigSize10, imageBlock.begin());
  const auto merged = MergeFamily10Block(deviceBlock, imageBlock, false);
  EXPECT_EQ(FlashBytes(bridge, 0, kConfigSize10), ByteVector(merged.begin(), merged.end()));
  EXPECT_EQ(FlashBytes(bridge, 0, 4)[0], old[0]) << "position 0 is the device's own";
}

TEST_F(UpdateRunTest, Family10Revision9TakesTheBlockCommandsUnprobed) {
  EmbedFamily10();
  AddDevice(kPath, "QRS641", [](emu::DeviceConfig& c) {
    c.memory.push_back({0xFDB0, {0x00, 0xB4}});                // the variant: revision 9
    c.memory.push_back({0x505E, {0x07, 0x01, 0x01, 0xFF}});    // the probe says no
  });
  workflow_.Construct();
  ASSERT_EQ(workflow_.State().CurrentChipId, 0x090A);
  workflow_.EraseButtonClick();
  ExpectPowerCycleDisplay();
  EXPECT_GT(CountSent(kPath, "df 02"), 0u);
  EXPECT_EQ(CountSent(kPath, "ff 04 11"), 0u);
}

// Runs refused before anything is written: the failure display, the flash
// as it was, and no command that writes.
TEST_F(UpdateRunTest, RefusedRunsWriteNothing) {
  struct Case {
    const char* what;
    const char* preset;
    std::size_t image10Size;    // the embedded family-10 image; 0: none
    const char* failingPrefix;  // a command that fails from the start of the run
    bool family0;               // the details refresh found nothing
    bool prepared;              // CmdPrepareFlash went out
  };
  const Case cases[] = {
      {"family 10 without an embedded image", "QRS641", 0, nullptr, false, false},
      {"family 10 image of a ConfigBlock only", "QRS641", kConfigSize10, nullptr, false, false},
      {"family 13 ConfigBlock unreadable", "QRS642", 0, "df 10 00 02 00 00 00 00 00 c0 00 fa", false, false},
      {"family 10 ConfigBlock unreadable", "QRS641", kFamily10ImageSize, "df 10 00 02 00 00 00 00 00 00 00 fa", false,
       true},
      {"family 0 in CurrentChipId", "QRS642", 0, nullptr, true, false},
  };
  int index = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = "/dev/sg" + std::to_string(10 + index++);
    fake_.resources = test::MemoryResourceStore();
    fake_.resources.Add("QRS642", "FW6701", embedded_);
    if (c.image10Size != 0) {
      ByteVector image = Family10Image();
      image.resize(c.image10Size);
      fake_.resources.Add("QRS641", "FW1802", image);
    }
    const ByteVector old = Pattern(kFlashImageSize, 0x44);
    auto& bridge = AddDevice(path, c.preset, [&](emu::DeviceConfig& config) { config.flash.contents = old; });
    workflow_.RefreshBtnClick();
    ASSERT_EQ(workflow_.State().DeviceTable[0].Path, path);
    if (c.failingPrefix) bridge.FailCommands({test::Bytes(c.failingPrefix), 1, 10});
    if (c.family0) workflow_.State().CurrentChipId = 0;
    driver_.sent.clear();
    workflow_.EraseButtonClick();
    ExpectFailureDisplay();
    EXPECT_EQ(WritesTo(path), 0u);
    EXPECT_EQ(CountSent(path, "ff 04 25"), c.prepared ? 1u : 0u);
    EXPECT_EQ(FlashBytes(bridge, 0, kFlashImageSize), old);
    if (c.family0) {
      EXPECT_TRUE(driver_.sent.empty());
    }
    bus_.Unplug(path);
  }
}

TEST_F(UpdateRunTest, AnotherControllerAtThePathIsNotWritten) {
  // The identification behind CurrentChipId is not what answers at the
  // path now (same family, another revision): a swapped device.
  const ByteVector old = Pattern(kFlashImageSize, 0x44);
  auto& bridge = AddDevice(kPath, "QRS642", [&](emu::DeviceConfig& config) { config.flash.contents = old; });
  workflow_.Construct();
  workflow_.State().CurrentChipId = static_cast<ChipId>(workflow_.State().CurrentChipId ^ 0x0100);
  workflow_.EraseButtonClick();
  ExpectFailureDisplay();
  EXPECT_EQ(WritesTo(kPath), 0u);
  EXPECT_EQ(FlashBytes(bridge, 0, kFlashImageSize), old);
}

TEST_F(UpdateRunTest, VerificationThatNeverAgreesFails) {
  auto& bridge = AddDevice(kPath, "QRS642");
  workflow_.Construct();
  bridge.FlipOnRead({0x1000, 0x01});
  workflow_.EraseButtonClick();
  ExpectFailureDisplay();
  EXPECT_EQ(bridge.ResetCount(), 0);
  EXPECT_TRUE(messages_.shown.empty());
}

}  // namespace
}  // namespace qfw
