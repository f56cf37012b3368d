// Inputs the program must survive: more devices than the scan holds, paths
// too long to hold, devices that go, change or refuse between the scan and
// the write, firmware files that are no files, and scenario files that are
// no scenarios. Each ends in a clear message or the window's display for
// it, and nothing is written to a device that was not fully identified.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/cli/file_io.h"
#include "app/cli/image_check.h"
#include "app/device_report.h"
#include "app/device_stack.h"
#include "emulator/presets.h"
#include "emulator/scenario.h"
#include "legacy/firmware_file_match.h"
#include "legacy/rom_procedures.h"
#include "legacy/serial_flash_procedures.h"
#include "platform/access_advice.h"
#include "tests/reliability/expected_images.h"
#include "tests/reliability/procedure_paths.h"
#include "tests/reliability/workflow_paths.h"
#include "tests/support/temporary_folder.h"

namespace qfw::test {
namespace {

using namespace std::chrono_literals;

constexpr std::string_view kNoDevice = "                 No device found!!";
constexpr std::string_view kUpdateFail = "                     Update    fail!!";
constexpr std::string_view kReattach = "Please wait device re-attached!";
constexpr const char* kBridgePath = "/dev/sg1";

// Commands that change a flash or a ROM.
bool Writes(std::span<const std::uint8_t> cdb) {
  if (cdb.size() < 12) return false;
  if (cdb[0] == 0xDF) return cdb[11] == 0xFB;
  return cdb[0] == 0xFF && cdb[1] == 0x04 &&
         (cdb[2] == 0x01 || cdb[2] == 0x02 || cdb[2] == 0x11 || cdb[2] == 0x13 || cdb[2] == 0x14);
}

emu::DeviceConfig DeviceAt(const std::string& path, std::string_view preset) {
  emu::DeviceConfig config = emu::Preset(preset).value();
  config.path = path;
  return config;
}

// A machine with the family-13 bridge of the sweep and other devices around
// it, in the order given; every request is noted by path.
class BadInputTest : public testing::Test {
 protected:
  // devices: the bridge's place is marked by its path kBridgePath.
  void Build(const std::vector<emu::DeviceConfig>& devices) {
    MachineSetup setup = Family13Path()->Setup();
    const emu::DeviceConfig bridge = setup.device;
    const auto resolve = [&](const emu::DeviceConfig& device) { return device.path == kBridgePath ? bridge : device; };
    setup.device = resolve(devices.front());
    machine_ = std::make_unique<SweepMachine>(setup);
    if (devices.front().path == kBridgePath) bridge_ = &machine_->Device();
    for (std::size_t i = 1; i < devices.size(); ++i) {
      emu::EmulatedBridge& added = machine_->bus.Add(resolve(devices[i]));
      if (devices[i].path == kBridgePath) bridge_ = &added;
    }
    before_.assign(Bridge().Flash().Contents().begin(), Bridge().Flash().Contents().end());
    machine_->hooks.before = [this](const std::string& path, const ScsiRequest& request) {
      reached_.insert(path);
      if (Writes(request.cdb)) ++writes_[path];
      if (beforeRequest_) beforeRequest_(path, request);
    };
  }
  void BuildBridgeOnly() { Build({DeviceAt(kBridgePath, "QRS642")}); }

  emu::EmulatedBridge& Bridge() { return *bridge_; }
  SweepMachine& Machine() { return *machine_; }
  const RecordingWindowView& View() const { return machine_->view; }
  std::string Prompt() const { return View()[Control::devLable].text; }
  bool YesOffered() const { return View()[Control::EraseButton].visible && View()[Control::EraseButton].enabled; }
  bool UpdatedShown() const {
    return View()[Control::replugLable1].visible && View()[Control::replugLable1].text == kReattach;
  }
  bool FailureShown() const { return View()[Control::devLable].visible && Prompt() == kUpdateFail; }
  bool DebugMentions(std::string_view text) const {
    return std::ranges::any_of(machine_->debug.lines,
                               [&](const std::string& line) { return line.find(text) != std::string::npos; });
  }
  bool BridgeFlashUnchanged() {
    const auto now = Bridge().Flash().Contents();
    return std::ranges::equal(now, before_);
  }

  std::unique_ptr<SweepMachine> machine_;
  emu::EmulatedBridge* bridge_ = nullptr;
  ByteVector before_;
  std::set<std::string> reached_;
  std::map<std::string, int> writes_;
  std::function<void(const std::string&, const ScsiRequest&)> beforeRequest_;
};

// The scan holds 16 candidates: a bridge among them is updated; one after
// them is left out, said so in the debug output, and never asked anything.
TEST_F(BadInputTest, MoreThanSixteenCandidatePaths) {
  for (const std::size_t position : {0u, 15u, 16u, 19u}) {
    SCOPED_TRACE("bridge at position " + std::to_string(position) + " of 20");
    std::vector<emu::DeviceConfig> devices;
    for (std::size_t i = 0; i < 20; ++i) {
      devices.push_back(i == position ? DeviceAt(kBridgePath, "QRS642")
                                      : DeviceAt("/dev/sd" + std::string(1, static_cast<char>('a' + i)), "usb-stick"));
    }
    reached_.clear();
    Build(devices);
    Machine().workflow.Construct();
    if (position < 16) {
      ASSERT_TRUE(YesOffered());
      Machine().workflow.EraseButtonClick();
      EXPECT_TRUE(UpdatedShown());
    } else {
      EXPECT_EQ(Prompt(), kNoDevice);
      EXPECT_FALSE(YesOffered());
      EXPECT_FALSE(reached_.contains(kBridgePath)) << "a left-out device is never asked";
      EXPECT_TRUE(DebugMentions(std::string("left out: ") + kBridgePath));
      EXPECT_TRUE(BridgeFlashUnchanged());
    }
    EXPECT_LE(reached_.size(), 16u);
  }
}

// A path too long for the device table is left out rather than cut to a
// path that might name another device; the bridge next to it is updated.
TEST_F(BadInputTest, OverlongPathIsLeftOut) {
  const std::string longPath = "/dev/" + std::string(295, 'x');
  ASSERT_EQ(longPath.size(), 300u);
  emu::DeviceConfig longBridge = DeviceAt(longPath, "QRS642");
  longBridge.flash.contents = Filler(kFlashSize, 9);
  Build({longBridge, DeviceAt(kBridgePath, "QRS642")});
  Machine().workflow.Construct();
  EXPECT_FALSE(reached_.contains(longPath));
  EXPECT_TRUE(DebugMentions("longer than 255 characters"));
  EXPECT_EQ(Machine().view.items.size(), 1u);
  Machine().workflow.EraseButtonClick();
  EXPECT_TRUE(UpdatedShown());
  EXPECT_EQ(writes_.count(longPath), 0u);
  const auto longFlash = Machine().bus.Find(longPath)->Flash().Contents();
  EXPECT_TRUE(std::ranges::equal(longFlash, Filler(kFlashSize, 9)));
}

// Unplugged after the scan, before the rescan: YES fails at once, writes
// nothing, and the rescan then says there is no device.
TEST_F(BadInputTest, DeviceGoneBetweenScanAndYes) {
  BuildBridgeOnly();
  Machine().workflow.Construct();
  ASSERT_TRUE(YesOffered());
  const std::size_t logged = Bridge().Log().size();
  Machine().bus.Unplug(kBridgePath);
  Machine().workflow.EraseButtonClick();
  EXPECT_TRUE(FailureShown());
  EXPECT_EQ(Bridge().Log().size(), logged) << "nothing reached the device";
  EXPECT_EQ(writes_.count(kBridgePath), 0u) << "no write was even tried";
  Machine().PassTime(500ms);
  EXPECT_EQ(Prompt(), kNoDevice);
}

// Another device answers at the path between the scan and YES (unplugged
// and a different one plugged in before the rescan): it was never
// identified, so nothing may be written to it.
TEST_F(BadInputTest, DeviceSwappedBetweenScanAndYes) {
  for (const std::string_view newcomer : {"QRS641", "usb-stick", "QR40611"}) {
    SCOPED_TRACE(std::string(newcomer));
    BuildBridgeOnly();
    Machine().workflow.Construct();
    ASSERT_TRUE(YesOffered());
    emu::DeviceConfig other = DeviceAt("/dev/swapped-in", newcomer);
    other.usbStorage = false;  // reached through the swapped path only
    if (other.bridge) other.flash.contents = Filler(kFlashSize, 0x21);
    emu::EmulatedBridge& swapped = Machine().bus.Add(other);
    const ByteVector swappedBefore(swapped.Flash().Contents().begin(), swapped.Flash().Contents().end());
    Machine().hooks.reroute[kBridgePath] = "/dev/swapped-in";
    Machine().workflow.EraseButtonClick();
    EXPECT_TRUE(FailureShown()) << DescribeDisplay(View());
    EXPECT_TRUE(std::ranges::equal(swapped.Flash().Contents(), swappedBefore));
    EXPECT_TRUE(std::ranges::none_of(swapped.Log(), [](const emu::LogEntry& e) { return Writes(e.cdb); }));
  }
}

// Another program opens the device while the image is written: the write
// is refused, the run reports failure, and once the other program has let
// go, a rescan and a second YES update the device.
TEST_F(BadInputTest, ExclusiveOpenConflictDuringWrite) {
  BuildBridgeOnly();
  Machine().workflow.Construct();
  int blockWrites = 0;
  beforeRequest_ = [&](const std::string&, const ScsiRequest& request) {
    if (request.cdb[0] == 0xDF && request.cdb[11] == 0xFB && ++blockWrites == 3) Bridge().SetHeldOpen(true);
  };
  Machine().workflow.EraseButtonClick();
  EXPECT_TRUE(FailureShown());
  EXPECT_EQ(Bridge().ResetCount(), 0);

  beforeRequest_ = nullptr;
  Bridge().SetHeldOpen(false);
  Machine().bus.Unplug(kBridgePath);
  Machine().bus.Plug(kBridgePath);
  Machine().PassTime(1500ms);
  ASSERT_TRUE(YesOffered());
  Machine().workflow.EraseButtonClick();
  EXPECT_TRUE(UpdatedShown());
}

// No permission on the device node: nothing can be opened, so the window
// finds no device; the listing names the reason and tells how to get access.
TEST_F(BadInputTest, NoPermissionOnTheDeviceNode) {
  BuildBridgeOnly();
  Bridge().SetPermissionDenied(true);
  Machine().workflow.Construct();
  EXPECT_EQ(Prompt(), kNoDevice);
  EXPECT_TRUE(Bridge().Log().empty()) << "no command reached the device";

  const auto reports = ReportDevices(Machine().MakeContext(), Machine().discovery);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].openError, TransportError::AccessDenied);
  EXPECT_EQ(UpdateState(reports[0]), "cannot open");
  const std::string advice = AccessDeniedAdvice(kBridgePath);
  EXPECT_NE(advice.find("No permission to open /dev/sg1"), std::string::npos) << advice;
}

// ---- Firmware files ------------------------------------------------------

class FirmwareFileTest : public testing::Test {
 protected:
  std::string File(const std::string& name, const ByteVector& bytes) {
    const auto path = folder_ / name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return path.string();
  }

  TemporaryFolder folder_;
};

// Whatever the file holds, the check ends with an answer; a file that does
// not exist is refused with "Open Firmware File Error!!".
TEST_F(FirmwareFileTest, EmptyShortAndMissingFiles) {
  const ByteVector fullHeader{0x55, 0xAA, 0xAA, 0x55, '6', '4', '1', '1', 0, 0};
  struct Case {
    const char* what;
    std::string file;
    std::uint8_t family;
    bool fits;
    bool openError;
  };
  const Case cases[] = {
      {"empty, family 10", File("empty.bin", {}), 10, false, false},
      {"empty, family 3 (takes any file that opens)", File("empty3.bin", {}), 3, true, false},
      {"short header, family 10", File("short.bin", {0x55, 0xAA, 0xAA, 0x55, '6'}), 10, false, false},
      {"header cut after the tag, family 10", File("cut.bin", ByteVector(fullHeader.begin(), fullHeader.begin() + 7)),
       10, true, false},
      {"whole header, family 10", File("whole.bin", fullHeader), 10, true, false},
      {"100 bytes, family 11 reads at 16384", File("small11.bin", ByteVector(100, 0x55)), 11, false, false},
      {"family 13 refuses every file", File("whole13.bin", fullHeader), 13, false, false},
      {"missing, family 3", (folder_ / "missing.bin").string(), 3, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RecordingMessageBox messages;
    EXPECT_EQ(MatchFirmwareFile(c.file, MakeChipId(c.family, 1), messages), c.fits);
    ASSERT_EQ(messages.shown.size(), c.openError ? 1u : 0u);
    if (c.openError) {
      EXPECT_EQ(messages.shown[0].text, "Open Firmware File Error!!");
      EXPECT_EQ(messages.shown[0].caption, "Error");
    }
  }
}

// A directory opens as a stream on Linux but holds no firmware: it is
// refused as a file that cannot be opened, also by the families that take
// any file.
TEST_F(FirmwareFileTest, DirectoryIsNoFirmwareFile) {
  std::filesystem::create_directory(folder_ / "a-directory");
  for (const std::uint8_t family : {3, 10}) {
    SCOPED_TRACE("family " + std::to_string(family));
    RecordingMessageBox messages;
    EXPECT_FALSE(MatchFirmwareFile((folder_ / "a-directory").string(), MakeChipId(family, 1), messages));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Open Firmware File Error!!");
  }
}

// A file without read permission (only testable when not running as root,
// who may read anything).
TEST_F(FirmwareFileTest, UnreadableFile) {
  const std::string file = File("unreadable.bin", {0x55, 0xAA, 0xAA, 0x55, '6', '4', '1', '1', 0, 0});
  std::filesystem::permissions(file, std::filesystem::perms::none);
  if (std::ifstream(file).is_open()) GTEST_SKIP() << "this user reads files without permission (root)";
  RecordingMessageBox messages;
  EXPECT_FALSE(MatchFirmwareFile(file, MakeChipId(10, 1), messages));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, "Open Firmware File Error!!");
}

// The terminal program's image file: whatever it is, the user hears what
// is wrong with it before anything goes to a device.
TEST_F(FirmwareFileTest, ImageFileOfTheTerminalProgram) {
  std::filesystem::create_directory(folder_ / "a-directory");
  struct Case {
    const char* what;
    std::string file;
    const char* mentions;  // in the problem or the file error
  };
  const Case cases[] = {
      {"empty", File("empty.bin", {}), "0 bytes"},
      {"short", File("short.bin", ByteVector(100, 0x55)), "100 bytes"},
      {"a directory", (folder_ / "a-directory").string(), "a-directory"},
      {"missing", (folder_ / "missing.bin").string(), "missing.bin"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string message;
    try {
      const auto problem = cli::Family13ImageProblem(cli::ReadFileBytes(c.file, kFlashSize));
      ASSERT_TRUE(problem.has_value());
      message = *problem;
    } catch (const cli::FileError& error) {
      message = error.what();
    }
    EXPECT_NE(message.find(c.mentions), std::string::npos) << message;
  }
}

// ---- Backup files --------------------------------------------------------

// A backup that cannot reach the disk whole says so; the device is only read.
TEST(BackupFile, FullDiskOrNoFileIsReported) {
  const TemporaryFolder directory;
  struct Case {
    std::string file;
    std::string_view serialFlashText;
  };
  const Case cases[] = {
      {"/dev/full", "Write Backup File Error!!"},
      {directory.Path().string(), "Open Backup File Error!!"},
      {"/nonexistent-folder/oldflash.bak", "Open Backup File Error!!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    PanelChoices choices;
    choices.rdVersion = true;
    choices.backupOnly = true;
    choices.backupFileName = c.file;
    {
      SweepMachine machine(SerialFlashPmcPath()->Setup());
      const ByteVector before(machine.Device().Flash().Contents().begin(), machine.Device().Flash().Contents().end());
      EXPECT_FALSE(LegacyBackupFlash(machine.MakeContext(), choices, machine.DevicePath()));
      EXPECT_EQ(machine.progress.status, c.serialFlashText);
      EXPECT_TRUE(std::ranges::equal(machine.Device().Flash().Contents(), before));
      EXPECT_TRUE(std::ranges::none_of(machine.Device().Log(), [](const emu::LogEntry& e) { return Writes(e.cdb); }));
    }
    {
      SweepMachine machine(RomPath()->Setup());
      RomBackup(machine.MakeContext(), choices, machine.DevicePath());
      EXPECT_EQ(machine.progress.status, "Read ROM Suceess, but save to file fail!!");
      EXPECT_TRUE(std::ranges::none_of(machine.Device().Log(), [](const emu::LogEntry& e) { return Writes(e.cdb); }));
    }
  }
}

// ---- Scenario files ------------------------------------------------------

// Every malformed scenario is refused with a message naming what is wrong.
TEST(MalformedScenario, IsRefusedWithAMessageThatNamesTheFault) {
  struct Case {
    const char* json;
    const char* mentions;
  };
  const Case cases[] = {
      {"", "JSON"},
      {"{", "JSON"},
      {R"({"devices": [{"path": "/dev/sg1", "preset": "QRS642", "resetReattachMs": 1e400}]})", "JSON"},
      {"[]", "object"},
      {R"({"devices": 3})", "devices"},
      {R"({"devices": [{}]})", "device 0"},
      {R"({"devices": [{"preset": "QRS642"}]})", "path"},
      {R"({"devices": [{"path": "/dev/sg1"}]})", "preset"},
      {R"({"devices": [{"path": "/dev/sg1", "preset": "QRS999"}]})", "QRS999"},
      {R"({"devices": [{"path": "/dev/sg1", "preset": "QRS642", "colour": "red"}]})", "colour"},
      {R"({"devices": [{"path": "/dev/sg1", "preset": "QRS642", "flash": {"size": 5000}}]})", "flash.size"},
      {R"({"devices": [{"path": "/dev/sg1", "preset": "QRS642", "flash": {"answers": {"9F": "EF 3"}}}]})", "9F"},
      {R"({"devices": [{"path": "/dev/sg1", "preset": "QRS642", "flash": {"contents": {"file": "/nonexistent/x.bin"}}}]})",
       "x.bin"},
      {R"({"devices": [{"path": "/dev/sg1", "preset": "QRS642", "faults": [{"kind": "meltdown"}]}]})", "meltdown"},
      {R"({"devices": [{"path": "/dev/sg1", "preset": "QRS642", "flash": "embedded"}]})", "flash"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.json);
    try {
      emu::ParseScenario(c.json, {});
      ADD_FAILURE() << "accepted";
    } catch (const emu::ScenarioError& error) {
      EXPECT_NE(std::string(error.what()).find(c.mentions), std::string::npos) << error.what();
    }
  }
}

// The program's own way in: a scenario it cannot use stops it with the
// reason, before any device exists.
TEST(MalformedScenario, DeviceStackRefusesFilesThatAreNoScenarios) {
  const TemporaryFolder folder;
  const std::filesystem::path& dir = folder.Path();
  std::ofstream(dir / "truncated.json") << R"({"devices": [{"path": "/dev/sg1", "pre)";
  std::ofstream(dir / "duplicate.json")
      << R"({"devices": [{"path": "/dev/sg1", "preset": "QRS642"}, {"path": "/dev/sg1", "preset": "QRS641"}]})";
  ManualClock clock;
  RecordingDebugOutput debug;
  for (const auto& file : {dir / "truncated.json", dir / "duplicate.json", dir / "missing.json", dir}) {
    SCOPED_TRACE(file.string());
    try {
      DeviceStack stack({.scenario = file.string()}, clock, debug);
      ADD_FAILURE() << "accepted";
    } catch (const std::exception& error) {
      EXPECT_GT(std::string(error.what()).size(), 10u) << error.what();
    }
  }
}

}  // namespace
}  // namespace qfw::test
