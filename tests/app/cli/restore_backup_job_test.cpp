// backup and restore on emulated bridges: a saved flash goes back byte for
// byte, and a file that does not fit the device is refused before a write.

#include <gtest/gtest.h>

#include "emulator/hex_text.h"
#include "flash/image_layout.h"
#include "tests/app/cli/cli_rig.h"

namespace qfw::cli {
namespace {

using test::Bytes;

constexpr const char* kPath = "/dev/sg1";

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class RestoreBackupTest : public test::CliRig {
 protected:
  std::string File(const std::string& name) const { return (folder_ / name).string(); }
};

TEST_F(RestoreBackupTest, BackupSavesTheWholeFlash) {
  AddBridge(kPath, "QRS642", test::OlderFlash13());
  EXPECT_EQ(Run({"backup", "-d", kPath, "-o", File("saved.bin")}).code, ExitCode::Success);
  EXPECT_EQ(test::ReadFile(File("saved.bin")), test::OlderFlash13());
  EXPECT_TRUE(Contains(Out(), "Saved the flash of /dev/sg1 (65536 bytes) to " + File("saved.bin")));
}

TEST_F(RestoreBackupTest, AFailedUpdateIsUndoneFromItsBackup) {
  emu::EmulatedBridge& bridge = AddBridge(kPath, "QRS642", test::OlderFlash13());
  // The second chunk of each of the three attempts (modes 2, 3, 1) fails,
  // after the first one erased and wrote: the flash is left half written.
  bridge.FailCommands({emu::ParseHexBytes("df 00").value(), 1, 2});
  bridge.FailCommands({emu::ParseHexBytes("df 01").value(), 2, 1});
  ASSERT_EQ(Run({"update", "--yes", "--backup", File("former.bin")}).code, ExitCode::Failure);
  ASSERT_NE(FlashOf(kPath), test::OlderFlash13());

  EXPECT_EQ(Run({"restore", "--yes", "-d", kPath, File("former.bin")}).code, ExitCode::Success) << Err();
  EXPECT_EQ(FlashOf(kPath), test::OlderFlash13());
  EXPECT_TRUE(Contains(Out(), "Restored " + File("former.bin") + " to the flash of /dev/sg1 and verified it."));
  EXPECT_FALSE(bridge.InMode());
}

TEST_F(RestoreBackupTest, AFamily10BridgeWithoutBlockCommandsGoesThroughTheOlderCommands) {
  emu::DeviceConfig config = emu::Preset("QRS641").value();
  config.path = kPath;
  config.blockCommands = false;
  Bytes saved(kFlashImageSize);
  for (std::size_t i = 0; i < saved.size(); ++i) saved[i] = static_cast<std::uint8_t>(i * 7 + (i >> 9));
  saved[126] = 'Q';
  saved[127] = 'R';
  config.flash.contents = saved;
  emu::EmulatedBridge& bridge = bus_.Add(config);

  ASSERT_EQ(Run({"backup", "-d", kPath, "-o", File("saved.bin")}).code, ExitCode::Success) << Err();
  EXPECT_EQ(test::ReadFile(File("saved.bin")), saved);
  bridge.Flash().Load(Bytes(kFlashImageSize, 0x00));
  ASSERT_EQ(Run({"restore", "-y", "-d", kPath, File("saved.bin")}).code, ExitCode::Success) << Err();
  EXPECT_EQ(FlashOf(kPath), saved);
  const auto blockCommand = [](const emu::LogEntry& entry) {
    return entry.cdb[0] == 0xDF && (entry.cdb[11] == 0xFA || entry.cdb[11] == 0xFB);
  };
  EXPECT_FALSE(std::ranges::any_of(bridge.Log(), blockCommand));
}

TEST_F(RestoreBackupTest, AFileThatDoesNotFitTheDeviceIsRefused) {
  AddBridge(kPath, "QRS642", test::OlderFlash13());
  Bytes badChecksum = test::OlderFlash13();
  badChecksum[0x40] ^= 0x01;
  Bytes noConfigBlock = test::OlderFlash13();
  std::fill_n(noConfigBlock.begin() + kConfigOffset13, kConfigSize13, 0xFF);
  const std::vector<std::pair<Bytes, const char*>> files{
      {noConfigBlock, "configuration block (0xC000)"},
      {Bytes(kFlashImageSize, 0xFF), "marker"},
      {test::EmbeddedImage13(), "49408 bytes"},
      {badChecksum, "checksum"},
  };
  for (const auto& [bytes, says] : files) {
    test::WriteFile(File("x.bin"), bytes);
    EXPECT_EQ(Run({"restore", "--yes", "-d", kPath, File("x.bin")}).code, ExitCode::Failure) << says;
    EXPECT_TRUE(Contains(Err(), "is not a plausible flash image for /dev/sg1 (QRS642 Series)")) << Err();
    EXPECT_TRUE(Contains(Err(), says)) << Err();
  }
  EXPECT_EQ(FlashOf(kPath), test::OlderFlash13());
}

TEST_F(RestoreBackupTest, RestoreIsRefusedWhileTheDiskIsMounted) {
  AddBridge(kPath, "QRS642");
  test::WriteFile(File("saved.bin"), test::OlderFlash13());
  checkMounts_ = true;
  test::WriteMountFixture(folder_.Path(), "/dev/sdb2 /home/me/usb ext4 rw 0 0\n");
  EXPECT_EQ(Run({"restore", "--yes", "-d", kPath, File("saved.bin")}).code, ExitCode::Failure);
  EXPECT_TRUE(Contains(Err(), "is mounted"));
  EXPECT_EQ(FlashOf(kPath), Bytes(kFlashImageSize, 0xFF));
}

TEST_F(RestoreBackupTest, DevicesThatCannotBeReachedOrServed) {
  AddBridge("/dev/sg2", "QRB621");
  test::WriteFile(File("saved.bin"), test::OlderFlash13());
  EXPECT_EQ(Run({"restore", "--yes", "-d", "/dev/sg7", File("saved.bin")}).code, ExitCode::NoSuchDevice);
  EXPECT_EQ(Run({"backup", "-d", "/dev/sg7", "-o", File("b.bin")}).code, ExitCode::NoSuchDevice);
  EXPECT_EQ(Run({"backup", "-d", "/dev/sg2", "-o", File("b.bin")}).code, ExitCode::Failure);
  EXPECT_TRUE(Contains(Err(), "QRB621 Series"));
  EXPECT_FALSE(std::filesystem::exists(File("b.bin")));
}

}  // namespace
}  // namespace qfw::cli
