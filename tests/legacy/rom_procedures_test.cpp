// The parallel-ROM procedures against the emulated QR40612: the unlock
// sequences of each ROM type, the internal-ROM switch and its "A1 Chip"
// exception, a ROM that stays busy, and the backup file.

#include "legacy/rom_procedures.h"

#include <gtest/gtest.h>

#include "emulator/preset_contents.h"
#include "tests/legacy/legacy_fixture.h"

namespace qfw::test {
namespace {

constexpr const char* kRomPreset = "QR40612";  // type-0 ROM holding an older firmware, not an A1 chip

class RomProcedureTest : public LegacyProcedureTest {
 protected:
  emu::EmulatedBridge& AddRom(int type, bool a1Chip = false, const std::string& path = "/dev/sg1") {
    return Add(
        kRomPreset,
        [&](emu::DeviceConfig& c) {
          c.rom->type = type;
          c.rom->a1Chip = a1Chip;
        },
        path);
  }
  static ByteVector Rom(const emu::EmulatedBridge& bridge) {
    const auto contents = bridge.Rom()->Contents();
    return ByteVector(contents.begin(), contents.end());
  }
  static const ByteVector& OlderRom() {
    static const ByteVector older = emu::OlderFirmware(kRomSize);
    return older;
  }
};

// ---- Unlock sequences -----------------------------------------------------------

struct UnlockCase {
  int type;
  const char* eraseSequence;  // the data phase of FF 04 04
  const char* programCdb;     // FF 04 02 and its unlock sequence
};
std::ostream& operator<<(std::ostream& out, const UnlockCase& c) { return out << "type " << c.type; }


class RomUnlockTest : public RomProcedureTest, public testing::WithParamInterface<UnlockCase> {};

TEST_P(RomUnlockTest, UpdateSendsTheTypesSequencesAndProgramsTheImage) {
  const UnlockCase& c = GetParam();
  const ByteVector image = ImagePattern(kRomSize, 21);
  AddImage(kDefaultImageName, image);
  auto& bridge = AddRom(c.type);
  choices_.romType = c.type;

  RomUpdate(MakeContext(), choices_, kPath);
  EXPECT_EQ(status_.Last(), "Programming & Compare Success!!");
  EXPECT_EQ(Rom(bridge), image);
  const auto loads = Sent(bridge, "ff 04 04");
  ASSERT_EQ(loads.size(), 1u);
  EXPECT_EQ(loads[0].dataOut, Bytes(c.eraseSequence));
  const auto programs = Sent(bridge, "ff 04 02");
  ASSERT_EQ(programs.size(), 1u);
  EXPECT_EQ(ByteVector(programs[0].cdb.begin(), programs[0].cdb.end()), Bytes(c.programCdb));
  EXPECT_EQ(programs[0].dataLength, kRomSize);
  EXPECT_EQ(bridge.InternalRomSwitchCount(), 1);
  EXPECT_EQ(status_.texts, (std::vector<std::string>{"Erase command ok!!", "Programming Success!!",
                                                     "Programming & Compare Success!!"}));
}

INSTANTIATE_TEST_SUITE_P(
    Types, RomUnlockTest,
    testing::Values(UnlockCase{0, "55 55 aa 2a 55 55 55 55 aa 2a 55 55 aa 55 80 aa 55 10",
                               "ff 04 02 55 55 aa 2a 55 55 aa 55 a0"},
                    UnlockCase{1, "55 05 aa 02 55 05 55 05 aa 02 55 05 aa 55 80 aa 55 10",
                               "ff 04 02 55 05 aa 02 55 05 aa 55 a0"},
                    UnlockCase{2, "55 55 aa 2a 55 55 55 55 aa 2a 55 55 aa 55 80 aa 55 10",
                               "ff 04 02 55 55 aa 2a 55 55 aa 55 a0"}));

TEST_F(RomProcedureTest, TheWrongTypeOrNoTypeLeavesTheRomAsItWas) {
  AddImage(kDefaultImageName, ImagePattern(kRomSize, 21));
  // A PMC ROM unlocks at 0x0555/0x02AA; the other types' sequences, and
  // the all-zero ones of an index outside the list, do nothing to it.
  for (const int chosen : {0, 2, -1, 3}) {
    SCOPED_TRACE(chosen);
    const std::string path = "/dev/sg" + std::to_string(chosen + 10);
    auto& bridge = AddRom(1, false, path);
    choices_.romType = chosen;
    RomUpdate(MakeContext(), choices_, path);
    EXPECT_EQ(status_.Last(), "Not Erase correctly!");
    EXPECT_EQ(Rom(bridge), OlderRom());
    EXPECT_EQ(Count(bridge, "ff 04 02"), 0u);
  }
}

TEST_F(RomProcedureTest, AShortImageIsProgrammedAndComparedOverItsOwnLength) {
  const ByteVector image = ImagePattern(40000, 8);
  AddImage(kDefaultImageName, image);
  auto& bridge = AddRom(0);
  RomUpdate(MakeContext(), choices_, kPath);
  EXPECT_EQ(status_.Last(), "Programming & Compare Success!!");
  EXPECT_EQ(Slice(Rom(bridge), 0, 40000), image);
  EXPECT_TRUE(AllAre(Slice(Rom(bridge), 40000, kRomSize - 40000), 0xFF));
  const auto reads = Sent(bridge, "ff 04 03");
  ASSERT_EQ(reads.size(), 2u);
  EXPECT_EQ(reads[0].dataLength, kRomSize) << "the erase check";
  EXPECT_EQ(reads[1].dataLength, 40000u) << "the verify";
}

// ---- The image ------------------------------------------------------------------

TEST_F(RomProcedureTest, AMissingEmptyOrOversizedImageSendsNothing) {
  struct Case {
    const char* what;
    std::optional<std::size_t> size;
    const char* status;
  };
  for (const Case& c : {Case{"missing", std::nullopt, "Programming Fail!!"}, Case{"empty", 0, "Programming Fail!!"},
                        Case{"oversized", kRomSize + 1, "Default Fw file too large!!"}}) {
    SCOPED_TRACE(c.what);
    const std::string path = std::string("/dev/") + c.what;
    if (c.size) AddImage(kDefaultImageName, ImagePattern(*c.size, 1));
    auto& bridge = AddRom(0, false, path);
    status_.texts.clear();
    RomUpdate(MakeContext(), choices_, path);
    EXPECT_EQ(status_.texts, std::vector<std::string>{c.status});
    EXPECT_TRUE(bridge.Log().empty());
  }
}

TEST_F(RomProcedureTest, EraseOnlyAndBackupNeedNoImage) {
  const ScratchDirectory scratch;
  auto& eraser = AddRom(0, false, "/dev/sg1");
  auto& keeper = AddRom(0, false, "/dev/sg2");
  choices_.eraseOnly = true;
  RomUpdate(MakeContext(), choices_, "/dev/sg1");
  EXPECT_EQ(status_.Last(), "Erase All success!!");
  EXPECT_TRUE(AllAre(Rom(eraser), 0xFF));

  choices_.eraseOnly = false;
  choices_.backupOnly = true;
  choices_.backupFileName = scratch.File("rom.bak");
  RomUpdate(MakeContext(), choices_, "/dev/sg2");
  EXPECT_EQ(status_.Last(), "Read flash and backup success!");
  EXPECT_EQ(FileBytes(choices_.backupFileName), Rom(keeper));
}

// ---- The internal-ROM switch ----------------------------------------------------

struct SwitchCase {
  const char* what;
  bool eraseOnly;
  bool backupOnly;
};
const SwitchCase kModes[] = {{"update", false, false}, {"erase-only", true, false}, {"backup", false, true}};

TEST_F(RomProcedureTest, A1ChipLeavesTheSwitchOutInEveryMode) {
  const ScratchDirectory scratch;
  AddImage(kDefaultImageName, ImagePattern(kRomSize, 5));
  for (const SwitchCase& mode : kModes) {
    SCOPED_TRACE(mode.what);
    const std::string path = std::string("/dev/") + mode.what;
    auto& bridge = AddRom(0, true, path);
    choices_ = {.eraseOnly = mode.eraseOnly, .backupOnly = mode.backupOnly, .a1Chip = true};
    choices_.backupFileName = scratch.File("a1.bak");
    RomUpdate(MakeContext(), choices_, path);
    EXPECT_EQ(Count(bridge, "ff 04 05"), 0u);
    EXPECT_EQ(bridge.InternalRomSwitchCount(), 0);
    if (mode.backupOnly) {
      EXPECT_EQ(FileBytes(choices_.backupFileName), OlderRom());
    } else {
      EXPECT_NE(Rom(bridge), OlderRom()) << "an A1 chip writes its ROM without the switch";
    }
  }
}

TEST_F(RomProcedureTest, A1ChipCheckedForAnotherChipLeavesItsRomUnwritten) {
  AddImage(kDefaultImageName, ImagePattern(kRomSize, 5));
  auto& bridge = AddRom(0, false);
  choices_.a1Chip = true;
  RomUpdate(MakeContext(), choices_, kPath);
  EXPECT_EQ(status_.Last(), "Not Erase correctly!");
  EXPECT_EQ(Rom(bridge), OlderRom());
}

TEST_F(RomProcedureTest, ARefusedSwitchStopsEveryMode) {
  AddImage(kDefaultImageName, ImagePattern(kRomSize, 5));
  for (const SwitchCase& mode : kModes) {
    SCOPED_TRACE(mode.what);
    const std::string path = std::string("/dev/") + mode.what;
    auto& bridge = AddRom(0, false, path);
    bridge.FailCommands({.prefix = Bytes("ff 04 05")});
    status_.texts.clear();
    choices_ = {.eraseOnly = mode.eraseOnly, .backupOnly = mode.backupOnly, .backupFileName = "unused.bak"};
    RomUpdate(MakeContext(), choices_, path);
    EXPECT_EQ(status_.texts, std::vector<std::string>{"Can't switch to internal ROM"});
    EXPECT_EQ(bridge.Log().size(), 1u) << "the switch alone";
    EXPECT_TRUE(fake_.messages.shown.empty());
  }
}

// ---- Erase-only -------------------------------------------------------------------

TEST_F(RomProcedureTest, EraseOnlyIsChosenByItsBoxAloneAndIgnoresTheFirmwareSize) {
  auto& bridge = AddRom(2);
  choices_ = {.settings = {.firmwareSize = 32768}, .eraseOnly = true, .rdVersion = false, .romType = 2};
  RomUpdate(MakeContext(), choices_, kPath);
  EXPECT_EQ(status_.texts,
            (std::vector<std::string>{"Start Erase only!", "Erase command ok!!", "Erase All success!!"}));
  EXPECT_TRUE(AllAre(Rom(bridge), 0xFF));
  EXPECT_EQ(Count(bridge, "ff 04 02"), 0u);
}

TEST_F(RomProcedureTest, EraseOnlyFailures) {
  struct Case {
    const char* what;
    const char* failing;
    const char* status;
  };
  for (const Case& c : {Case{"load", "ff 04 04", "Error pre-erase command!!"},
                        Case{"execute", "ff 04 01", "Start Erase only!"},
                        Case{"read", "ff 04 03", "Read Back after Erase fail!!"}}) {
    SCOPED_TRACE(c.what);
    const std::string path = std::string("/dev/") + c.what;
    auto& bridge = AddRom(0, false, path);
    bridge.FailCommands({.prefix = Bytes(c.failing)});
    RomUpdate(MakeContext(), PanelChoices{.eraseOnly = true}, path);
    EXPECT_EQ(status_.Last(), c.status);
    EXPECT_FALSE(status_.Saw("Erase All success!!"));
  }
}

// ---- A ROM that stays busy ------------------------------------------------------------

TEST_F(RomProcedureTest, WaitRomReadyGivesUpAfterFiftyThousandBusyPolls) {
  auto& bridge = AddRom(0);
  bridge.SetRomStayBusy(true);
  const auto start = fake_.clock.Now();
  EXPECT_FALSE(WaitRomReady(transport_, kPath));
  EXPECT_EQ(Count(bridge, "ff 04 00"), 50000u);
  EXPECT_EQ(fake_.clock.Now() - start, std::chrono::milliseconds(50000)) << "each poll takes the bridge 1 ms";
  EXPECT_EQ(fake_.clock.SleepCount(), 50000) << "the host itself never sleeps between polls";
}

TEST_F(RomProcedureTest, WaitRomReadyCountsAFailedExchangeAsBusy) {
  auto& bridge = AddRom(0);
  bridge.FailCommands({.prefix = Bytes("ff 04 00"), .count = 3});
  EXPECT_TRUE(WaitRomReady(transport_, kPath));
  EXPECT_EQ(Count(bridge, "ff 04 00"), 4u);
}

TEST_F(RomProcedureTest, AStuckBusyRomEndsEraseOnlyButNotTheUpdate) {
  AddImage(kDefaultImageName, ImagePattern(kRomSize, 6));
  auto& eraser = AddRom(0, false, "/dev/sg1");
  eraser.SetRomStayBusy(true);
  RomUpdate(MakeContext(), PanelChoices{.eraseOnly = true}, "/dev/sg1");
  EXPECT_EQ(status_.Last(), "Erase command ok,status fail!!");
  EXPECT_EQ(Count(eraser, "ff 04 03"), 0u);

  auto& updated = AddRom(0, false, "/dev/sg2");
  updated.SetRomStayBusy(true);
  status_.texts.clear();
  RomUpdate(MakeContext(), PanelChoices{}, "/dev/sg2");
  EXPECT_EQ(status_.texts, (std::vector<std::string>{"Erase command ok,status fail!!", "Programming Success!!",
                                                     "Compare Fail!!"}));
  EXPECT_EQ(Count(updated, "ff 04 02"), 1u);
  EXPECT_EQ(Count(updated, "ff 04 00"), 150000u) << "three waits, each to its bound";
}

TEST_F(RomProcedureTest, UpdateFailuresAfterTheErase) {
  AddImage(kDefaultImageName, ImagePattern(kRomSize, 6));
  struct Case {
    const char* what;
    const char* failing;
    int nth;
    const char* status;
  };
  for (const Case& c : {Case{"load", "ff 04 04", 1, "Error pre-erase command!!"},
                        Case{"program", "ff 04 02", 1, "Programming Fail!!"},
                        Case{"verify-read", "ff 04 03", 2, "Read Fail!!"}}) {
    SCOPED_TRACE(c.what);
    const std::string path = std::string("/dev/") + c.what;
    auto& bridge = AddRom(0, false, path);
    bridge.FailCommands({.prefix = Bytes(c.failing), .nth = c.nth});
    RomUpdate(MakeContext(), PanelChoices{}, path);
    EXPECT_EQ(status_.Last(), c.status);
  }
}

TEST_F(RomProcedureTest, AFailedExecuteOrEraseReadStillProgramsAndVerifies) {
  const ByteVector image = ImagePattern(kRomSize, 6);
  AddImage(kDefaultImageName, image);
  for (const char* failing : {"ff 04 01", "ff 04 03"}) {
    SCOPED_TRACE(failing);
    const std::string path = std::string("/dev/sg-") + failing[7];
    auto& bridge = AddRom(0, false, path);
    bridge.FailCommands({.prefix = Bytes(failing)});
    RomUpdate(MakeContext(), PanelChoices{}, path);
    // Without the erase the program only clears bits of the older firmware.
    const bool erased = std::string(failing) == "ff 04 03";
    EXPECT_EQ(status_.Last(), erased ? "Programming & Compare Success!!" : "Compare Fail!!");
    EXPECT_EQ(Count(bridge, "ff 04 02"), 1u);
  }
}

// ---- Backup ------------------------------------------------------------------------

TEST_F(RomProcedureTest, BackupIsTheWholeRomUnderTheDefaultName) {
  const ScratchDirectory scratch;
  const CurrentDirectory inScratch(scratch.Path());
  auto& bridge = AddRom(0);
  choices_ = {.settings = {.firmwareSize = 1048576}, .backupOnly = true};
  RomUpdate(MakeContext(), choices_, kPath);
  ASSERT_EQ(fake_.messages.shown.size(), 1u);
  EXPECT_EQ(fake_.messages.shown[0].text, "Default backup firmware as OldFalsh.bak!");
  const ByteVector file = FileBytes(scratch.File("oldflash.bak"));
  EXPECT_EQ(file.size(), kRomSize);
  EXPECT_EQ(file, Rom(bridge));
  EXPECT_EQ(status_.texts, (std::vector<std::string>{"Backup ...", "Read flash and backup success!"}));
}

TEST_F(RomProcedureTest, BackupFailures) {
  const ScratchDirectory scratch;
  struct Case {
    const char* what;
    std::string fileName;
    bool readFails;
    const char* status;
  };
  std::vector<Case> cases{{"read", scratch.File("r.bak"), true, "Read ROM fail!!"},
                          {"open", scratch.File("missing/r.bak"), false, "Read ROM Suceess, but save to file fail!!"}};
  if (std::filesystem::exists("/dev/full")) {
    cases.push_back({"full", "/dev/full", false, "Read ROM Suceess, but save to file fail!!"});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = std::string("/dev/") + c.what;
    auto& bridge = AddRom(0, false, path);
    if (c.readFails) bridge.FailCommands({.prefix = Bytes("ff 04 03")});
    RomBackup(MakeContext(), PanelChoices{.backupFileName = c.fileName}, path);
    EXPECT_EQ(status_.Last(), c.status);
    EXPECT_FALSE(status_.Saw("Read flash and backup success!"));
  }
  // A device that completes the read without data (a plain disk) gives
  // nothing to save.
  Add("usb-stick", {}, "/dev/stick");
  RomBackup(MakeContext(), PanelChoices{.backupFileName = scratch.File("stick.bak")}, "/dev/stick");
  EXPECT_EQ(status_.Last(), "Read ROM fail!!");
  EXPECT_FALSE(std::filesystem::exists(scratch.File("stick.bak")));
}

TEST_F(RomProcedureTest, StatusTextsDoNotLetWindowEventsRun) {
  AddImage(kDefaultImageName, ImagePattern(kRomSize, 6));
  AddRom(0);
  RomUpdate(MakeContext(), choices_, kPath);
  ASSERT_EQ(status_.Last(), "Programming & Compare Success!!");
  EXPECT_EQ(fake_.pump.count, 0);
}

}  // namespace
}  // namespace qfw::test
