// The serial-flash procedures of the developer panel against emulated
// older bridges: which procedure the panel's choices select, the erase
// plans by flash part, the default image's paging, and the ways each step
// fails.

#include "legacy/serial_flash_procedures.h"

#include <gtest/gtest.h>

#include "emulator/amic_flash.h"
#include "emulator/preset_contents.h"
#include "legacy/serial_flash_erase.h"
#include "tests/legacy/legacy_fixture.h"

namespace qfw::test {
namespace {

constexpr const char* kPmcPreset = "QR40611";  // PMC part, 32 KiB sector erase, older firmware

class SerialFlashProcedureTest : public LegacyProcedureTest {
 protected:
  emu::EmulatedBridge& AddAmic(int model, std::uint32_t flashSize = 65536) {
    return Add(kPmcPreset, [&](emu::DeviceConfig& c) {
      emu::UseAmicFlash(c.flash, model);
      c.flash.size = flashSize;
      c.flash.contents = emu::OlderFirmware(flashSize);
    });
  }
  emu::EmulatedBridge& AddPmc(std::uint32_t flashSize = 65536, const std::string& path = "/dev/sg1") {
    return Add(
        kPmcPreset,
        [&](emu::DeviceConfig& c) {
          c.flash.size = flashSize;
          c.flash.contents = emu::OlderFirmware(flashSize);
        },
        path);
  }
};

// ---- Which procedure runs -------------------------------------------------

struct ChoiceCase {
  const char* what;
  bool rdVersion;
  bool eraseOnly;
  bool backupOnly;
  enum { Programs, ErasesOnly, BacksUp } expected;
};
std::ostream& operator<<(std::ostream& out, const ChoiceCase& c) { return out << c.what; }


class PanelChoiceTest : public SerialFlashProcedureTest, public testing::WithParamInterface<ChoiceCase> {};

TEST_P(PanelChoiceTest, RdVersionGatesEraseOnlyAndBackup) {
  const ChoiceCase& c = GetParam();
  const ScratchDirectory scratch;
  const ByteVector image = ImagePattern(65536, 3);
  AddImage(kDefaultImageName, image);
  auto& bridge = AddPmc();
  const ByteVector before = FlashBytes(bridge, 0, 65536);
  choices_.amicModel = -1;
  choices_.rdVersion = c.rdVersion;
  choices_.eraseOnly = c.eraseOnly;
  choices_.backupOnly = c.backupOnly;
  choices_.backupFileName = scratch.File("backup.bin");

  EXPECT_TRUE(LegacySerialFlashUpdate(MakeContext(), choices_, kPath)) << status_.Last();
  switch (c.expected) {
    case ChoiceCase::Programs:
      EXPECT_EQ(FlashBytes(bridge, 0, 65536), image);
      EXPECT_EQ(status_.Last(), "Programming Success!!");
      EXPECT_TRUE(fake_.messages.shown.empty());
      break;
    case ChoiceCase::ErasesOnly:
      EXPECT_TRUE(AllAre(FlashBytes(bridge, 0, 65536), 0xFF));
      EXPECT_EQ(Count(bridge, "ff 04 11"), 0u);
      EXPECT_EQ(status_.Last(), "Erase flash all success!");
      ASSERT_EQ(fake_.messages.shown.size(), 1u);
      EXPECT_EQ(fake_.messages.shown[0].text, "Please Turn-Off the Power and Turn-On Again!");
      EXPECT_EQ(fake_.messages.shown[0].caption, "Message");
      break;
    case ChoiceCase::BacksUp:
      EXPECT_EQ(FlashBytes(bridge, 0, 65536), before);
      EXPECT_EQ(FileBytes(choices_.backupFileName), before);
      EXPECT_EQ(status_.Last(), "Read flash and backup success!");
      break;
  }
  if (c.expected != ChoiceCase::BacksUp) {
    EXPECT_FALSE(std::filesystem::exists(choices_.backupFileName));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Choices, PanelChoiceTest,
    testing::Values(ChoiceCase{"nothing chosen", false, false, false, ChoiceCase::Programs},
                    ChoiceCase{"erase-only without RD Version", false, true, false, ChoiceCase::Programs},
                    ChoiceCase{"backup without RD Version", false, false, true, ChoiceCase::Programs},
                    ChoiceCase{"RD Version alone", true, false, false, ChoiceCase::Programs},
                    ChoiceCase{"RD Version and erase-only", true, true, false, ChoiceCase::ErasesOnly},
                    ChoiceCase{"RD Version and backup", true, false, true, ChoiceCase::BacksUp},
                    ChoiceCase{"erase-only wins over backup", true, true, true, ChoiceCase::ErasesOnly}),
    [](const auto& info) {
      std::string name = info.param.what;
      std::ranges::replace_if(name, [](char ch) { return !std::isalnum(static_cast<unsigned char>(ch)); }, '_');
      return name;
    });

// ---- The default image ------------------------------------------------------

struct ImageCase {
  const char* what;
  std::size_t imageSize;  // 0: no image in the store
  bool empty;             // an image of 0 bytes in the store
  std::int32_t pageSize;
  const char* status;
  int pumps;  // the load error is set without letting events run
};
std::ostream& operator<<(std::ostream& out, const ImageCase& c) { return out << c.what; }


class RefusedImageTest : public SerialFlashProcedureTest, public testing::WithParamInterface<ImageCase> {};

TEST_P(RefusedImageTest, NothingReachesTheDevice) {
  const ImageCase& c = GetParam();
  if (c.imageSize > 0 || c.empty) AddImage(kDefaultImageName, ImagePattern(c.imageSize, 1));
  auto& bridge = AddPmc();
  choices_.amicModel = -1;
  choices_.settings.transferPageSize = c.pageSize;

  EXPECT_FALSE(LegacySerialFlashUpdate(MakeContext(), choices_, kPath));
  EXPECT_EQ(status_.texts, std::vector<std::string>{c.status});
  EXPECT_EQ(fake_.pump.count, c.pumps);
  EXPECT_TRUE(bridge.Log().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Images, RefusedImageTest,
    testing::Values(ImageCase{"Missing", 0, false, 16384, "Load defaut Fw file Error!!", 0},
                    ImageCase{"Empty", 0, true, 16384, "Load defaut Fw file Error!!", 0},
                    ImageCase{"Pages256Of2K", 256 * 2048 - 100, false, 2048, "Default Fw file too large!!", 1},
                    ImageCase{"Pages256Of16K", 255 * 16384 + 1, false, 16384, "Default Fw file too large!!", 1}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(SerialFlashProcedureTest, TwoHundredFiftyFivePagesAreProgrammedWithAChipErase) {
  constexpr std::uint32_t kFlash = 1 << 20;
  const ByteVector image = ImagePattern(255 * 2048, 9);
  AddImage(kDefaultImageName, image);
  auto& bridge = AddPmc(kFlash);
  choices_.settings.transferPageSize = 2048;
  choices_.amicModel = 0;  // not consulted above 64 KiB

  EXPECT_TRUE(LegacySerialFlashUpdate(MakeContext(), choices_, kPath)) << status_.Last();
  EXPECT_EQ(FlashBytes(bridge, 0, image.size()), image);
  EXPECT_EQ(Count(bridge, "ff 04 13"), 1u);
  EXPECT_EQ(Count(bridge, "ff 04 14"), 0u);
  EXPECT_EQ(Count(bridge, "ff 04 11"), 255u);
}

TEST_F(SerialFlashProcedureTest, ALastPartPageIsPaddedWithErasedBytes) {
  // 40,000 bytes in 16 KiB pages are handled as 49,152: erase at 0 and
  // 0x8000, blank check and verify over 49,152 bytes, three pages.
  const ByteVector image = ImagePattern(40000, 5);
  AddImage(kDefaultImageName, image);
  auto& bridge = AddPmc();
  choices_.amicModel = -1;

  EXPECT_TRUE(LegacySerialFlashUpdate(MakeContext(), choices_, kPath)) << status_.Last();
  EXPECT_EQ(SectorErases(bridge), (std::vector<std::uint32_t>{0x0000, 0x8000}));
  EXPECT_EQ(FlashReadLengths(bridge), (std::vector<std::size_t>{49152, 49152}));
  const auto writes = Sent(bridge, "ff 04 11");
  ASSERT_EQ(writes.size(), 3u);
  for (const auto& w : writes) {
    EXPECT_EQ(w.dataLength, 16384u);
  }
  EXPECT_EQ(FlashBytes(bridge, 0, 40000), image);
  EXPECT_TRUE(AllAre(FlashBytes(bridge, 40000, 49152 - 40000), 0xFF));
  // The dots of the three pages follow what the status held before them.
  EXPECT_TRUE(status_.Saw("...")) << testing::PrintToString(status_.texts);
  EXPECT_EQ(status_.Last(), "Programming Success!!");
  EXPECT_EQ(status_.steps, (std::vector<int>{10, 5, 10, 10, 10, 10, 20, 10, 10}));
}

// ---- Erase plans by AMIC model ------------------------------------------------

struct PlanCase {
  const char* what;
  int partModel;      // the flash part: 0 a PMC part, else the AMIC model
  int amicModel;      // what the window believes
  std::size_t imageSize;
  std::vector<std::uint32_t> erases;
  bool programmed;
  const char* status;
};
std::ostream& operator<<(std::ostream& out, const PlanCase& c) { return out << c.what; }


class ErasePlanTest : public SerialFlashProcedureTest, public testing::WithParamInterface<PlanCase> {};

TEST_P(ErasePlanTest, SectorErasesByModel) {
  const PlanCase& c = GetParam();
  const ByteVector image = ImagePattern(c.imageSize, 11);
  AddImage(kDefaultImageName, image);
  auto& bridge = c.partModel == 0 ? AddPmc() : AddAmic(c.partModel);
  const ByteVector before = FlashBytes(bridge, 0, 65536);
  choices_.amicModel = c.amicModel;

  EXPECT_EQ(LegacySerialFlashUpdate(MakeContext(), choices_, kPath), c.programmed);
  EXPECT_EQ(SectorErases(bridge), c.erases);
  EXPECT_EQ(status_.Last(), c.status);
  if (c.programmed) {
    EXPECT_EQ(FlashBytes(bridge, 0, image.size()), image);
  } else if (c.erases.empty()) {
    EXPECT_EQ(FlashBytes(bridge, 0, 65536), before);
  }
}

const std::vector<std::uint32_t> kBottomBoot{0x0000, 0x1000, 0x3000, 0x7000, 0xF000};
const std::vector<std::uint32_t> kUniform{0x0000, 0x8000};

INSTANTIATE_TEST_SUITE_P(
    Plans, ErasePlanTest,
    testing::Values(
        PlanCase{"Model1", 1, 1, 65536, kBottomBoot, true, "Programming Success!!"},
        PlanCase{"Model3", 3, 3, 65536, kBottomBoot, true, "Programming Success!!"},
        PlanCase{"Model5", 5, 5, 65536, kBottomBoot, true, "Programming Success!!"},
        PlanCase{"Model4", 4, 4, 65536, kUniform, true, "Programming Success!!"},
        PlanCase{"NotAmic", 0, -1, 65536, kUniform, true, "Programming Success!!"},
        PlanCase{"BootSectorsOnlyUpTo32K", 5, 5, 32768, {0x0000, 0x1000, 0x3000, 0x7000}, true,
                 "Programming Success!!"},
        PlanCase{"LowerHalfOnlyUpTo32K", 0, -1, 20000, {0x0000}, true, "Programming Success!!"},
        // The uniform plan misses the boot sectors of a bottom-boot part.
        PlanCase{"UniformPlanOnBottomBootPart", 5, -1, 65536, kUniform, false, "Data not 0xff !!"},
        PlanCase{"NeverDetected", 0, 0, 65536, {}, false, "Not Support this AMIC Flash Type!!"},
        PlanCase{"UnknownModel", 0, 2, 65536, {}, false, "Not Support this AMIC Flash Type!!"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(SerialFlashProcedureTest, ARefusedBootSectorEraseGoesUnreportedUntilTheBlankCheck) {
  AddImage(kDefaultImageName, ImagePattern(65536, 2));
  auto& bridge = AddAmic(1);
  bridge.FailCommands({.prefix = Bytes("ff 04 14 00 10 00")});
  choices_.amicModel = 1;

  EXPECT_FALSE(LegacySerialFlashUpdate(MakeContext(), choices_, kPath));
  EXPECT_EQ(SectorErases(bridge), kBottomBoot);
  EXPECT_FALSE(status_.Saw("Erase command fail!!"));
  EXPECT_EQ(status_.Last(), "Data not 0xff !!");
  EXPECT_EQ(Count(bridge, "ff 04 11"), 0u);
}

TEST_F(SerialFlashProcedureTest, ARefusedRequiredEraseEndsTheUpdate) {
  AddImage(kDefaultImageName, ImagePattern(65536, 2));
  choices_.amicModel = -1;
  for (const std::string path : {"/dev/sg1", "/dev/sg2"}) {
    const std::string refused = path == "/dev/sg1" ? "ff 04 14 00 00 00" : "ff 04 14 00 80 00";
    SCOPED_TRACE(refused);
    auto& bridge = AddPmc(65536, path);
    bridge.FailCommands({.prefix = Bytes(refused)});
    EXPECT_FALSE(LegacySerialFlashUpdate(MakeContext(), choices_, path));
    EXPECT_EQ(status_.Last(), "Erase command fail!!");
    EXPECT_EQ(Count(bridge, "ff 04 10"), 0u);
  }
}

TEST_F(SerialFlashProcedureTest, ARefusedChipEraseEndsTheUpdate) {
  AddImage(kDefaultImageName, ImagePattern(65537, 2));
  auto& bridge = AddPmc(131072);
  bridge.FailCommands({.prefix = Bytes("ff 04 13")});
  EXPECT_FALSE(LegacySerialFlashUpdate(MakeContext(), choices_, kPath));
  EXPECT_EQ(status_.Last(), "Erase command fail!!");
  EXPECT_EQ(Count(bridge, "ff 04 10"), 0u);
}

// ---- Programming and verify failures ------------------------------------------

TEST_F(SerialFlashProcedureTest, AFailedPageStopsProgrammingAndSkipsTheVerify) {
  AddImage(kDefaultImageName, ImagePattern(65536, 4));
  auto& bridge = AddPmc();
  bridge.FailCommands({.prefix = Bytes("ff 04 11"), .nth = 3});
  choices_.amicModel = -1;

  EXPECT_FALSE(LegacySerialFlashUpdate(MakeContext(), choices_, kPath));
  EXPECT_EQ(Count(bridge, "ff 04 11"), 3u);
  EXPECT_EQ(FlashReadLengths(bridge).size(), 1u) << "the blank check only";
  EXPECT_EQ(status_.Last(), "Programming Fail!!");
  EXPECT_TRUE(status_.Saw("..")) << "two pages went through";
  EXPECT_EQ(status_.steps.back(), 10);
}

TEST_F(SerialFlashProcedureTest, AFailedVerifyReadEndsWithoutTheLastStep) {
  AddImage(kDefaultImageName, ImagePattern(65536, 4));
  auto& bridge = AddPmc();
  bridge.FailCommands({.prefix = Bytes("ff 04 10"), .nth = 2});
  choices_.amicModel = -1;

  EXPECT_FALSE(LegacySerialFlashUpdate(MakeContext(), choices_, kPath));
  EXPECT_EQ(status_.Last(), "Read Fail!!\r\n");
  EXPECT_EQ(status_.steps, (std::vector<int>{10, 5, 10, 10, 10, 10, 10, 20}));
}

TEST_F(SerialFlashProcedureTest, AFlashThatIgnoresEverythingFailsTheCompare) {
  // A stuck-busy chip ignores erases and writes and reads 0xFF: the blank
  // check passes, and only the compare can tell.
  AddImage(kDefaultImageName, ImagePattern(32768, 4));
  auto& bridge = AddPmc();
  bridge.SetStayBusy(true);
  choices_.amicModel = -1;

  EXPECT_FALSE(LegacySerialFlashUpdate(MakeContext(), choices_, kPath));
  EXPECT_EQ(status_.Last(), "Compare Fail!!\r\n\r\n");
  EXPECT_TRUE(status_.Saw("Not ready after Erase flash success"));
  EXPECT_EQ(fake_.debug.lines, std::vector<std::string>{"0.1 Device initial not ready!!"});
}

TEST_F(SerialFlashProcedureTest, BlankCheckReadFailure) {
  AddImage(kDefaultImageName, ImagePattern(65536, 4));
  auto& bridge = AddPmc();
  bridge.FailCommands({.prefix = Bytes("ff 04 10")});
  choices_.amicModel = -1;
  EXPECT_FALSE(LegacySerialFlashUpdate(MakeContext(), choices_, kPath));
  EXPECT_EQ(status_.Last(), "Read Back Erased Flash Error!!");
  EXPECT_EQ(Count(bridge, "ff 04 11"), 0u);
}

TEST_F(SerialFlashProcedureTest, StatusTextsLetWindowEventsRunExceptTheQuietOnes) {
  AddImage(kDefaultImageName, ImagePattern(32768, 4));
  AddPmc();
  choices_.amicModel = -1;
  ASSERT_TRUE(LegacySerialFlashUpdate(MakeContext(), choices_, kPath));
  // Two page dots and the success text.
  EXPECT_EQ(fake_.pump.count, 3);
}

// ---- Erase-only --------------------------------------------------------------

TEST_F(SerialFlashProcedureTest, EraseOnlyErasesPageByPage) {
  auto& bridge = AddPmc();
  choices_.settings = {.firmwareSize = 32768, .transferPageSize = 2048};

  EXPECT_TRUE(LegacyEraseOnly(MakeContext(), choices_, kPath));
  const auto erases = SectorErases(bridge);
  ASSERT_EQ(erases.size(), 16u);
  for (std::size_t p = 0; p < erases.size(); ++p) {
    EXPECT_EQ(erases[p], p * 2048);
  }
  EXPECT_EQ(FlashReadLengths(bridge), std::vector<std::size_t>{32768});
  EXPECT_TRUE(AllAre(FlashBytes(bridge, 0, 32768), 0xFF));
  EXPECT_EQ(FlashBytes(bridge, 32768, 32768), Slice(emu::OlderFirmware(65536), 32768, 32768));
  ASSERT_GE(status_.texts.size(), 19u);
  EXPECT_EQ(status_.texts[0], "Start Erase only!");
  EXPECT_EQ(status_.texts[1], "Erase...");
  EXPECT_EQ(status_.texts[17], "Erase..." + std::string(16, '.'));
  EXPECT_EQ(status_.Last(), "Erase flash all success!");
}

TEST_F(SerialFlashProcedureTest, EraseOnlyOfNothingFails) {
  auto& bridge = AddPmc();
  choices_.settings.firmwareSize = 0;
  EXPECT_FALSE(LegacyEraseOnly(MakeContext(), choices_, kPath));
  EXPECT_TRUE(SectorErases(bridge).empty());
  EXPECT_EQ(status_.Last(), "Erase command fail!!");
}

TEST_F(SerialFlashProcedureTest, EraseOnlyWithPagesFinerThanTheBootSectorsLeavesDataBehind) {
  // 16 KiB steps on a bottom-boot part hit 0-4K, 16-32K and 32-64K but miss
  // 4K-16K; the read-back finds it.
  AddAmic(5);
  choices_.settings = {.firmwareSize = 65536, .transferPageSize = 16384};
  EXPECT_FALSE(LegacyEraseOnly(MakeContext(), choices_, kPath));
  EXPECT_EQ(status_.Last(), "Data not 0xff !!");
}

TEST_F(SerialFlashProcedureTest, EraseOnlyReportsAReadBackThatFailed) {
  auto& bridge = AddPmc();
  bridge.FailCommands({.prefix = Bytes("ff 04 10")});
  choices_.settings.firmwareSize = 32768;
  EXPECT_FALSE(LegacyEraseOnly(MakeContext(), choices_, kPath));
  EXPECT_EQ(status_.Last(), "Read Back Erased Flash Error!!");
  EXPECT_FALSE(status_.Saw("Erase flash all success!"));
}

TEST_F(SerialFlashProcedureTest, EraseOnlyThatFailsShowsNoPowerCycleMessage) {
  auto& bridge = AddPmc();
  bridge.FailCommands({.prefix = Bytes("ff 04 14")});
  choices_.rdVersion = choices_.eraseOnly = true;
  EXPECT_FALSE(LegacySerialFlashUpdate(MakeContext(), choices_, kPath));
  EXPECT_EQ(status_.Last(), "Erase command fail!!");
  EXPECT_TRUE(fake_.messages.shown.empty());
}

// ---- Backup -------------------------------------------------------------------

TEST_F(SerialFlashProcedureTest, BackupToTheDefaultNameIsExactlyTheFirmwareSize) {
  for (const std::int32_t size : {32768, 131072}) {
    SCOPED_TRACE(size);
    const std::string path = "/dev/sg-" + std::to_string(size);
    fake_.messages.shown.clear();
    const ScratchDirectory scratch;
    const CurrentDirectory inScratch(scratch.Path());
    auto& bridge = AddPmc(131072, path);
    choices_.settings.firmwareSize = size;
    choices_.backupFileName.clear();

    EXPECT_TRUE(LegacyBackupFlash(MakeContext(), choices_, path));
    ASSERT_EQ(fake_.messages.shown.size(), 1u);
    EXPECT_EQ(fake_.messages.shown[0].text, "Default backup firmware as OldFalsh.bak!");
    EXPECT_EQ(fake_.messages.shown[0].caption, "Message");
    EXPECT_EQ(FileBytes(scratch.File("oldflash.bak")), FlashBytes(bridge, 0, static_cast<std::size_t>(size)));
    EXPECT_EQ(FlashReadLengths(bridge), std::vector<std::size_t>{static_cast<std::size_t>(size)});
    EXPECT_EQ(status_.Last(), "Read flash and backup success!");
  }
}

TEST_F(SerialFlashProcedureTest, BackupToAFullDiskFails) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  AddPmc();
  choices_.backupFileName = "/dev/full";
  EXPECT_FALSE(LegacyBackupFlash(MakeContext(), choices_, kPath));
  EXPECT_EQ(status_.Last(), "Write Backup File Error!!");
  EXPECT_FALSE(status_.Saw("Read flash and backup success!"));
}

TEST_F(SerialFlashProcedureTest, BackupFileThatCannotBeCreated) {
  const ScratchDirectory scratch;
  AddPmc();
  choices_.backupFileName = scratch.File("no-such-folder/backup.bin");
  EXPECT_FALSE(LegacyBackupFlash(MakeContext(), choices_, kPath));
  EXPECT_EQ(status_.Last(), "Open Backup File Error!!");
}

TEST_F(SerialFlashProcedureTest, BackupFileNamesLongerThanAWindowsPathAreKeptWhole) {
  const ScratchDirectory scratch;
  std::filesystem::path folder = scratch.Path();
  for (int i = 0; i < 4; ++i) folder /= std::string(100, static_cast<char>('a' + i));
  std::filesystem::create_directories(folder);
  const std::string name = (folder / (std::string(200, 'z') + ".bak")).string();
  ASSERT_GT(name.size(), 600u);
  auto& bridge = AddPmc();
  choices_.backupFileName = name;

  EXPECT_TRUE(LegacyBackupFlash(MakeContext(), choices_, kPath));
  EXPECT_EQ(FileBytes(name), FlashBytes(bridge, 0, 65536));
  EXPECT_TRUE(fake_.messages.shown.empty());
}

TEST_F(SerialFlashProcedureTest, BackupReadFailureWritesNoFile) {
  const ScratchDirectory scratch;
  auto& bridge = AddPmc();
  bridge.FailCommands({.prefix = Bytes("ff 04 10")});
  choices_.backupFileName = scratch.File("backup.bin");
  EXPECT_FALSE(LegacyBackupFlash(MakeContext(), choices_, kPath));
  EXPECT_EQ(status_.Last(), "Read Back to Backup Error!!");
  EXPECT_FALSE(std::filesystem::exists(choices_.backupFileName));
}

TEST_F(SerialFlashProcedureTest, ADeviceThatReadsWithoutDataGivesNoBackup) {
  const ScratchDirectory scratch;
  Add("usb-stick");  // completes the vendor read, hands back nothing
  choices_.backupFileName = scratch.File("backup.bin");
  EXPECT_FALSE(LegacyBackupFlash(MakeContext(), choices_, kPath));
  EXPECT_EQ(status_.Last(), "Read Back to Backup Error!!");
  EXPECT_FALSE(std::filesystem::exists(choices_.backupFileName));
}

}  // namespace
}  // namespace qfw::test
