// update on emulated bridges in virtual time: the backup before the write,
// the outcome texts and exit codes, the re-attach, the user's image, and the
// refusals that must leave the flash as it was.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

#include "flash/image_layout.h"
#include "tests/app/cli/cli_rig.h"

namespace qfw::cli {
namespace {

using namespace std::chrono_literals;
using test::Bytes;

constexpr const char* kPath = "/dev/sg1";

bool HoldsCodeOf(const Bytes& flash, const Bytes& image) {
  return std::equal(image.begin(), image.begin() + kAlreadyUpdatedCompare13, flash.begin());
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class UpdateJobTest : public test::CliRig {
 protected:
  std::string BackupFile() const { return (folder_ / "former.bin").string(); }
  JobReport Update(std::vector<std::string> extra = {}) {
    std::vector<std::string> args{"update", "--yes", "--backup", BackupFile()};
    args.insert(args.end(), extra.begin(), extra.end());
    return Run(args);
  }
};

TEST_F(UpdateJobTest, SavesTheFormerFlashThenInstallsTheImageAndWaitsForTheBridge) {
  const Bytes former = test::OlderFlash13();
  AddBridge(kPath, "QRS642", former);
  const JobReport report = Update();
  EXPECT_EQ(report.code, ExitCode::Success) << Out() << Err();
  EXPECT_EQ(test::ReadFile(BackupFile()), former);
  const Bytes flash = FlashOf(kPath);
  EXPECT_TRUE(HoldsCodeOf(flash, test::EmbeddedImage13()));
  EXPECT_EQ(flash[kConfigOffset13 + 20], 0xA7);  // the device's own setting survived
  EXPECT_EQ(Bridge(kPath).ResetCount(), 1);
  EXPECT_GE(clock_.Now(), 1500ms);  // the re-attach delay passed while waiting
  EXPECT_TRUE(Contains(Out(), "Saved the former flash of /dev/sg1 to " + BackupFile()));
  EXPECT_TRUE(Contains(Out(), "QRS642 Auto reset, Please wait device re-attached!\n"));
  EXPECT_TRUE(Contains(Out(), "The bridge is back at /dev/sg1.\nThe chip already updated!!\n"));
}

TEST_F(UpdateJobTest, WithoutABackupFileTheStateFolderGetsOne) {
  AddBridge(kPath, "QRS642");
  ASSERT_EQ(Run({"update", "--yes", "--wait", "0"}).code, ExitCode::Success) << Err();
  std::vector<std::filesystem::path> saved;
  for (const auto& entry : std::filesystem::directory_iterator(*stateDirectory_)) saved.push_back(entry.path());
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_TRUE(saved[0].filename().string().starts_with("sg1-"));
  EXPECT_EQ(test::ReadFile(saved[0]), Bytes(kFlashImageSize, 0xFF));
  EXPECT_TRUE(Contains(Out(), saved[0].string()));
}

TEST_F(UpdateJobTest, AFailedWriteSaysUpdateFailAndHowToRestore) {
  emu::EmulatedBridge& bridge = AddBridge(kPath, "QRS642", test::OlderFlash13());
  bridge.FlipOnRead({0x1000, 0x01});  // every verification fails
  const JobReport report = Update();
  EXPECT_EQ(report.code, ExitCode::Failure);
  EXPECT_TRUE(Contains(Out(), "Update    fail!!\n"));
  EXPECT_TRUE(Contains(Err(), "could not be written and verified"));
  EXPECT_TRUE(Contains(Err(), "qfwupdate-cli restore --device /dev/sg1 " + BackupFile()));
  EXPECT_EQ(bridge.ResetCount(), 0);
}

TEST_F(UpdateJobTest, ABusyFlashKeepsTellingTheUserNotToUnplug) {
  emu::EmulatedBridge& bridge = AddBridge(kPath, "QRS642");
  bridge.SetStayBusy(true);
  EXPECT_EQ(Update().code, ExitCode::Failure);
  EXPECT_TRUE(Contains(Out(), "device busy, do not unplug the bridge..."));
  EXPECT_TRUE(Contains(Out(), "Update    fail!!"));
}

TEST_F(UpdateJobTest, TheRunUpdatesTheFirstDeviceThatNeedsItOrTheOneNamed) {
  AddBridge("/dev/sg1", "QRS642", test::EmbeddedImage13());  // already updated
  AddBridge("/dev/sg2", "QRS642");
  AddBridge("/dev/sg3", "QRS642");
  EXPECT_EQ(Update({"--wait", "0"}).device, "/dev/sg2");
  EXPECT_EQ(Update({"--wait", "0", "--device", "/dev/SG3"}).device, "/dev/sg3");
  EXPECT_TRUE(HoldsCodeOf(FlashOf("/dev/sg3"), test::EmbeddedImage13()));
  // The scan's vendor mode is left on every device but the updated one.
  EXPECT_FALSE(Bridge("/dev/sg1").InMode());
}

struct ChoiceCase {
  const char* name;
  std::vector<std::string> args;
  ExitCode code;
  const char* says;
};

TEST_F(UpdateJobTest, NothingToDoAndNoSuchDeviceHaveTheirOwnExitCodes) {
  AddBridge("/dev/sg1", "QRS642", test::EmbeddedImage13());
  AddBridge("/dev/sg4", "usb-stick");
  const std::vector<ChoiceCase> cases{
      {"all updated", {"update", "--yes"}, ExitCode::NothingToDo, "The chip already updated!!\n"},
      {"named, updated", {"update", "--yes", "-d", "/dev/sg1"}, ExitCode::NothingToDo, "The chip already updated!!"},
      {"absent", {"update", "--yes", "-d", "/dev/sg9"}, ExitCode::NoSuchDevice, "no such device: /dev/sg9"},
      {"not a bridge", {"update", "--yes", "-d", "/dev/sg4"}, ExitCode::NoSuchDevice, "not a bridge"},
  };
  for (const ChoiceCase& c : cases) {
    EXPECT_EQ(Run(c.args).code, c.code) << c.name;
    EXPECT_TRUE(Contains(Out() + Err(), c.says)) << c.name << ": " << Out() << Err();
  }
  EXPECT_EQ(Bridge("/dev/sg1").ResetCount(), 0);
}

TEST_F(UpdateJobTest, NoBridgeAtAllIsNoDeviceFound) {
  AddBridge("/dev/sg4", "usb-stick");
  EXPECT_EQ(Run({"update", "--yes"}).code, ExitCode::NoSuchDevice);
  EXPECT_EQ(Out(), "No device found!!\n");
}

TEST_F(UpdateJobTest, ANodeTheUserMayNotOpenGetsTheAdvice) {
  AddBridge(kPath, "QRS642").SetPermissionDenied(true);
  EXPECT_EQ(Run({"update", "--yes"}).code, ExitCode::NoSuchDevice);
  EXPECT_TRUE(Contains(Err(), "No permission to open /dev/sg1"));
  EXPECT_EQ(Run({"update", "--yes", "-d", kPath}).code, ExitCode::Failure);
  EXPECT_TRUE(Contains(Err(), "No permission to open /dev/sg1"));
}

TEST_F(UpdateJobTest, AUsersImageReplacesTheEmbeddedOneEverywhere) {
  AddBridge(kPath, "QRS642", test::EmbeddedImage13());
  const Bytes image = test::OtherImage13(0x42);
  test::WriteFile(folder_ / "user.bin", image);
  // Already updated with the embedded image, but not with the user's.
  ASSERT_EQ(Update({"--image", (folder_ / "user.bin").string()}).code, ExitCode::Success) << Out() << Err();
  EXPECT_TRUE(HoldsCodeOf(FlashOf(kPath), image));
  EXPECT_TRUE(Contains(Out(), "The chip already updated!!"));  // the check after the re-attach used it too
}

TEST_F(UpdateJobTest, ABadImageFileIsRefusedBeforeAnythingIsSent) {
  AddBridge(kPath, "QRS642");
  Bytes image = test::EmbeddedImage13();
  image[0x3000] ^= 0x10;
  test::WriteFile(folder_ / "bad.bin", image);
  EXPECT_EQ(Update({"--image", (folder_ / "bad.bin").string()}).code, ExitCode::Failure);
  EXPECT_TRUE(Contains(Err(), "is not a QRS642 firmware image: the checksum"));
  EXPECT_TRUE(Contains(Err(), "Nothing was written."));
  EXPECT_TRUE(Bridge(kPath).Log().empty());
  EXPECT_EQ(Update({"--image", (folder_ / "missing.bin").string()}).code, ExitCode::Failure);
  EXPECT_TRUE(Contains(Err(), "cannot open"));
}

TEST_F(UpdateJobTest, AFamily13ImageIsNotWrittenToAFamily10Bridge) {
  AddBridge(kPath, "QRS641");
  test::WriteFile(folder_ / "user.bin", test::EmbeddedImage13());
  EXPECT_EQ(Update({"--image", (folder_ / "user.bin").string()}).code, ExitCode::Failure);
  EXPECT_TRUE(Contains(Err(), "is a QRS642 image"));
  EXPECT_EQ(FlashOf(kPath), Bytes(kFlashImageSize, 0xFF));
}

TEST_F(UpdateJobTest, AFamily10BridgeIsToldToBePowerCycled) {
  Bytes image(0x9000, 0x3C);
  image[126] = 'Q';
  image[127] = 'R';
  resources_.Add("QRS641", "FW1802", image);
  AddBridge(kPath, "QRS641");
  ASSERT_EQ(Update().code, ExitCode::Success) << Out() << Err();
  EXPECT_TRUE(Contains(Out(), "Please power cycle the device\n"));
  EXPECT_EQ(FlashOf(kPath)[0x100], 0x3C);
}

TEST_F(UpdateJobTest, ABridgeThatDoesNotComeBackInTimeIsAFailure) {
  emu::DeviceConfig config = emu::Preset("QRS642").value();
  config.path = kPath;
  config.resetReattach = 60s;
  bus_.Add(config);
  EXPECT_EQ(Update({"--wait", "10"}).code, ExitCode::Failure);
  EXPECT_TRUE(Contains(Err(), "did not re-attach within 10 s"));
  EXPECT_LT(clock_.Now(), 60s);
}

TEST_F(UpdateJobTest, ABridgeThatDoesNotResetIsNotReportedAsBack) {
  emu::EmulatedBridge& bridge = AddBridge(kPath, "QRS642", test::OlderFlash13());
  bridge.FailCommands({.prefix = {0xFF, 0x04, 0x26}, .nth = 1, .count = 9});  // the reset is refused
  EXPECT_EQ(Update().code, ExitCode::Success) << Err();
  EXPECT_EQ(bridge.ResetCount(), 0);
  EXPECT_TRUE(HoldsCodeOf(FlashOf(kPath), test::EmbeddedImage13()));
  EXPECT_TRUE(Contains(Out(), "The bridge did not reset by itself.\nPlease power cycle the device\n"));
  EXPECT_FALSE(Contains(Out(), "is back")) << Out();
  EXPECT_FALSE(Contains(Out(), "already updated")) << Out();
}

class UpdateSafetyTest : public UpdateJobTest {
 protected:
  void SetUp() override {
    AddBridge(kPath, "QRS642", test::OlderFlash13());
    checkMounts_ = true;
    test::WriteMountFixture(folder_.Path(), "");  // the bridge's disk, nothing mounted
  }
  bool Untouched() { return FlashOf(kPath) == test::OlderFlash13(); }
};

TEST_F(UpdateSafetyTest, AMountedFileSystemOnTheBridgeRefusesTheWrite) {
  test::WriteMountFixture(folder_.Path(), "/dev/sdb1 /media/usb ext4 rw 0 0\n");
  EXPECT_EQ(Update().code, ExitCode::Failure);
  EXPECT_TRUE(Contains(Err(), "/dev/sdb1 on /media/usb"));
  EXPECT_TRUE(Untouched());
  EXPECT_FALSE(std::filesystem::exists(BackupFile()));
}

TEST_F(UpdateSafetyTest, ForceWritesAnywayAfterTheWarning) {
  test::WriteMountFixture(folder_.Path(), "/dev/sdb1 /media/usb ext4 rw 0 0\n");
  EXPECT_EQ(Update({"--force", "--wait", "0"}).code, ExitCode::Success);
  EXPECT_TRUE(Contains(Err(), "writing anyway (--force)"));
  EXPECT_FALSE(Untouched());
}

TEST_F(UpdateSafetyTest, UnmountedDisksDoNotStopIt) {
  test::WriteMountFixture(folder_.Path(), "/dev/sda1 / ext4 rw 0 0\n");
  EXPECT_EQ(Update({"--wait", "0"}).code, ExitCode::Success) << Err();
}

TEST_F(UpdateSafetyTest, OnATerminalTheUserIsAskedFirst) {
  Type("n\n");
  EXPECT_EQ(Run({"update", "--backup", BackupFile()}).code, ExitCode::Failure);
  EXPECT_TRUE(Contains(Out(), "Update the firmware of /dev/sg1 (Quorell QRS642 Bridge, QRS642 Series, Ver 67.01.00)?"));
  EXPECT_TRUE(Contains(Out(), "Nothing was written."));
  EXPECT_TRUE(Untouched());
  Type("yes\n");
  EXPECT_EQ(Run({"update", "--backup", BackupFile(), "--wait", "0"}).code, ExitCode::Success);
  EXPECT_FALSE(Untouched());
}

TEST_F(UpdateSafetyTest, WithoutATerminalItNeedsYes) {
  EXPECT_EQ(Run({"update", "--backup", BackupFile()}).code, ExitCode::Failure);
  EXPECT_TRUE(Contains(Err(), "add --yes")) << Err();
  EXPECT_TRUE(Untouched());
}

TEST_F(UpdateSafetyTest, ABackupThatCannotBeWrittenStopsTheUpdate) {
  EXPECT_EQ(Run({"update", "--yes", "--backup", (folder_ / "no/such/folder/x.bin").string()}).code, ExitCode::Failure);
  EXPECT_TRUE(Contains(Err(), "nothing was written"));
  EXPECT_TRUE(Untouched());
}

TEST_F(UpdateSafetyTest, ABackupNameThatIsNoRegularFileIsLeftAsItIs) {
  // Writing goes through a rename, which would put a file in place of a
  // device node such as /dev/null; a pipe and a folder stand in for one.
  const auto pipe = folder_ / "pipe";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  for (const std::filesystem::path& target : {pipe, folder_.Path()}) {
    EXPECT_EQ(Run({"update", "--yes", "--backup", target.string()}).code, ExitCode::Failure) << target;
    EXPECT_TRUE(Contains(Err(), "not a regular file")) << Err();
    EXPECT_TRUE(Untouched());
  }
  EXPECT_TRUE(std::filesystem::is_fifo(pipe));
}

}  // namespace
}  // namespace qfw::cli
