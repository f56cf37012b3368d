// The developer panel's handlers on the window-free workflow: the two
// exclusive boxes, the size choice, when Run is offered, the size lists,
// the file dialog, and Run starting each family's procedure on an emulated
// bridge.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "emulator/amic_flash.h"
#include "emulator/preset_contents.h"
#include "legacy/legacy_image.h"
#include "tests/app/scripted_panel.h"
#include "tests/app/workflow_fixture.h"
#include "tests/support/temporary_folder.h"

namespace qfw {
namespace {

using test::ByteVector;

constexpr const char* kPath = "/dev/sg1";
constexpr const char* kProgramDirectory = "/opt/qfw/";
constexpr const char* kMismatchText = "The firmware file seems not match this chip!";

// A folder of its own for the files a test writes.
class Scratch : public test::TemporaryFolder {
 public:
  // A firmware file whose header record carries the chip tag.
  std::string FirmwareFile(const std::string& name, const std::string& tag) const {
    ByteVector bytes(4096, 0);
    const ByteVector marker{0x55, 0xAA, 0xAA, 0x55};
    std::copy(marker.begin(), marker.end(), bytes.begin());
    std::copy(tag.begin(), tag.end(), bytes.begin() + 4);
    std::ofstream(File(name), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), 4096);
    return File(name);
  }
};

ByteVector ReadFile(const std::string& name) {
  std::ifstream file(name, std::ios::binary);
  return ByteVector(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

ByteVector Pattern(std::size_t size, std::uint8_t seed) {
  ByteVector bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>((seed + i * 7 + (i >> 9)) % 0xFF);
  return bytes;
}

class DeveloperPanelTest : public test::WorkflowTest {
 protected:
  DeveloperPanelTest() { workflow_.UsePanel(panel_, dialog_, kProgramDirectory); }

  // The window after its construction, with the device at kPath selected
  // and its details refreshed, as an engineer's list would hold it (the
  // scan itself lists only the families the YES action updates).
  emu::EmulatedBridge& Select(const std::string& preset, const std::function<void(emu::DeviceConfig&)>& tweak = {}) {
    auto& bridge = AddDevice(kPath, preset, tweak);
    workflow_.Construct();
    WindowState& state = workflow_.State();
    state.PathCount = 1;
    state.DeviceTable[0].Path = kPath;
    view_.ClearDeviceList();
    view_.AppendDeviceListItem(preset);
    view_.SelectDeviceListItem(0);
    view_.SetEnabled(Control::DeviceList, true);
    workflow_.UpdateBtnCheck();
    return bridge;
  }

  void AddLegacyImage(std::string_view name, ByteVector bytes) {
    fake_.resources.Add(std::string(kLegacyImageType), std::string(name), std::move(bytes));
  }

  bool RunOffered() const { return view_[Control::UpdateBtn].enabled; }
  bool SizeChoiceShown() const {
    return view_[Control::FwSizeCheck].visible && view_[Control::FwSizeCheck].enabled &&
           view_[Control::FwSizeLable].visible;
  }
  bool Checked(Control box) const { return view_.IsChecked(box); }

  test::ScriptedPanel panel_{view_, workflow_};
  test::ScriptedFileDialog dialog_;
  Scratch scratch_;
};

// ---- The two exclusive boxes ------------------------------------------------------

TEST_F(DeveloperPanelTest, EraseOnlyAndBackupClearEachOther) {
  Select("QR40614");
  ASSERT_EQ(ChipFamilyOf(workflow_.State().CurrentChipId), 4);

  panel_.Click(Control::EraseOnlyCheck);
  EXPECT_TRUE(Checked(Control::EraseOnlyCheck));
  EXPECT_EQ(workflow_.State().EraseOnlyFlag, 1);
  EXPECT_TRUE(SizeChoiceShown());
  EXPECT_FALSE(view_[Control::FwFilenameEdit].enabled);
  EXPECT_TRUE(RunOffered());

  panel_.Click(Control::BackupFWCheckBox);
  EXPECT_TRUE(Checked(Control::BackupFWCheckBox));
  EXPECT_FALSE(Checked(Control::EraseOnlyCheck));
  EXPECT_EQ(workflow_.State().EraseOnlyFlag, 0);
  EXPECT_TRUE(SizeChoiceShown());
  EXPECT_TRUE(view_[Control::FwFilenameEdit].enabled);
  EXPECT_TRUE(RunOffered());

  panel_.Click(Control::EraseOnlyCheck);
  EXPECT_FALSE(Checked(Control::BackupFWCheckBox));
  EXPECT_EQ(workflow_.State().EraseOnlyFlag, 1);

  panel_.Click(Control::EraseOnlyCheck);
  EXPECT_FALSE(Checked(Control::EraseOnlyCheck));
  EXPECT_FALSE(Checked(Control::BackupFWCheckBox));
  EXPECT_EQ(workflow_.State().EraseOnlyFlag, 0);
  EXPECT_FALSE(SizeChoiceShown());
  EXPECT_FALSE(view_[Control::FwSizeCheck].visible || view_[Control::FwSizeLable].visible);
  EXPECT_FALSE(RunOffered()) << "nothing to program";
}

TEST_F(DeveloperPanelTest, TheSizeChoiceIsForFamilyFourOnly) {
  Select("QR40611");
  panel_.Click(Control::EraseOnlyCheck);
  EXPECT_FALSE(view_[Control::FwSizeCheck].visible);
  EXPECT_FALSE(view_[Control::FwSizeCheck].enabled);
  panel_.Click(Control::BackupFWCheckBox);
  EXPECT_FALSE(view_[Control::FwSizeLable].visible);
}

TEST_F(DeveloperPanelTest, FamilySixShowsTheNvramOptionOnEitherClickOfEraseOnly) {
  Select("QRB621");
  for (int click = 0; click < 2; ++click) {
    view_.SetVisible(Control::NVRAMCheck, false);
    panel_.Click(Control::EraseOnlyCheck);
    EXPECT_TRUE(view_[Control::NVRAMCheck].visible) << "click " << click;
  }
  view_.SetVisible(Control::NVRAMCheck, false);
  panel_.Click(Control::BackupFWCheckBox);
  EXPECT_FALSE(view_[Control::NVRAMCheck].visible);
}

// ---- When Run is offered ------------------------------------------------------------

enum class FileField { Empty, Fits, DoesNotFit, Missing };

struct OfferCase {
  const char* what;
  bool eraseOnly;
  bool backup;
  bool noPaths;
  bool familyZero;
  FileField file;
  bool offered;
};
std::ostream& operator<<(std::ostream& out, const OfferCase& c) { return out << c.what; }


class RunOfferTest : public DeveloperPanelTest, public testing::WithParamInterface<OfferCase> {};

TEST_P(RunOfferTest, Rules) {
  const OfferCase& c = GetParam();
  Select("QR40614");
  switch (c.file) {
    case FileField::Empty:
      break;
    case FileField::Fits:
      view_.SetText(Control::FwFilenameEdit, scratch_.FirmwareFile("fits.bin", "6140"));
      break;
    case FileField::DoesNotFit:
      view_.SetText(Control::FwFilenameEdit, scratch_.FirmwareFile("other.bin", "6110"));
      break;
    case FileField::Missing:
      view_.SetText(Control::FwFilenameEdit, scratch_.File("missing.bin"));
      break;
  }
  if (c.noPaths) workflow_.State().PathCount = 0;
  if (c.familyZero) workflow_.State().CurrentChipId = 0;
  messages_.shown.clear();
  // Each case ends on a click of the box it is about, so the handler
  // decides last; "neither" checks and clears erase-only.
  if (c.eraseOnly) panel_.Click(Control::EraseOnlyCheck);
  if (c.backup) panel_.Click(Control::BackupFWCheckBox);
  if (!c.eraseOnly && !c.backup) {
    panel_.Click(Control::EraseOnlyCheck);
    panel_.Click(Control::EraseOnlyCheck);
  }
  EXPECT_EQ(RunOffered(), c.offered);
  if (c.file == FileField::Missing && !c.eraseOnly && !c.noPaths && !c.familyZero) {
    ASSERT_FALSE(messages_.shown.empty());
    EXPECT_EQ(messages_.shown.back().text, "Open Firmware File Error!!");
  } else {
    EXPECT_TRUE(messages_.shown.empty()) << "a file that does not fit is not reported here";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Offers, RunOfferTest,
    testing::Values(OfferCase{"EraseOnlyWithDevice", true, false, false, false, FileField::Empty, true},
                    OfferCase{"EraseOnlyWhateverTheFile", true, false, false, false, FileField::DoesNotFit, true},
                    OfferCase{"EraseOnlyWithoutPaths", true, false, true, false, FileField::Empty, false},
                    OfferCase{"EraseOnlyFamilyZero", true, false, false, true, FileField::Empty, false},
                    OfferCase{"FileThatFits", false, false, false, false, FileField::Fits, true},
                    OfferCase{"FileThatDoesNotFit", false, false, false, false, FileField::DoesNotFit, false},
                    OfferCase{"FileThatCannotBeOpened", false, false, false, false, FileField::Missing, false},
                    OfferCase{"NoFile", false, false, false, false, FileField::Empty, false},
                    OfferCase{"FitsButNoPaths", false, false, true, false, FileField::Fits, false},
                    OfferCase{"BackupWithoutDevice", false, true, true, true, FileField::Empty, true}),
    [](const auto& info) { return std::string(info.param.what); });

// ---- The size lists -----------------------------------------------------------------

TEST_F(DeveloperPanelTest, SizeListsSetTheSettingsAndIgnoreTextThatNamesNoItem) {
  workflow_.Construct();
  const TransferSettings& settings = workflow_.State().Settings;
  EXPECT_EQ(settings.firmwareSize, 65536) << "the list shows 32KB, but only a change sets the size";
  EXPECT_EQ(settings.transferPageSize, 16384);

  struct Step {
    Control list;
    int item;
    std::int32_t firmwareSize;
    std::int32_t pageSize;
  };
  for (const Step& s : {Step{Control::FwSizeCheck, 0, 32768, 16384}, Step{Control::FwSizeCheck, 5, 1048576, 16384},
                        Step{Control::FwSizeCheck, -1, 1048576, 16384}, Step{Control::FwSizeCheck, 6, 1048576, 16384},
                        Step{Control::FwPgSizeCheck, 4, 1048576, 2048}, Step{Control::FwPgSizeCheck, 0, 1048576, 32768},
                        Step{Control::FwPgSizeCheck, -1, 1048576, 32768}}) {
    panel_.Choose(s.list, s.item);
    EXPECT_EQ(settings.firmwareSize, s.firmwareSize) << "item " << s.item;
    EXPECT_EQ(settings.transferPageSize, s.pageSize) << "item " << s.item;
  }
}

// ---- Load File and Browse ---------------------------------------------------------------

TEST_F(DeveloperPanelTest, TheDialogFirstOpensInTheProgramsFolder) {
  workflow_.Construct();
  workflow_.LoadBtnClick();
  dialog_.directory = "/home/engineer/images/";
  workflow_.BackupBtnClick();
  EXPECT_EQ(dialog_.openedIn, (std::vector<std::string>{kProgramDirectory, "/home/engineer/images/"}));
}

TEST_F(DeveloperPanelTest, ACancelledDialogChangesNothingButTheStatus) {
  Select("QR40614");
  view_.SetText(Control::StatusEdit, "earlier");
  view_.SetText(Control::FwFilenameEdit, "kept.bin");
  const std::size_t sent = driver_.sent.size();
  workflow_.LoadBtnClick();
  EXPECT_EQ(view_[Control::FwFilenameEdit].text, "kept.bin");
  EXPECT_EQ(view_[Control::StatusEdit].text, "");
  EXPECT_FALSE(RunOffered());
  EXPECT_EQ(driver_.sent.size(), sent);
}

TEST_F(DeveloperPanelTest, ALoadedFileThatDoesNotFitIsWarnedAboutAndRunIsOfferedAnyway) {
  Select("QR40614");
  const std::string file = scratch_.FirmwareFile("other.bin", "6110");
  dialog_.answers.push_back(file);
  workflow_.LoadBtnClick();
  EXPECT_EQ(view_[Control::FwFilenameEdit].text, file);
  ASSERT_EQ(messages_.shown.size(), 1u) << "the details refresh checked the file";
  EXPECT_EQ(messages_.shown[0].text, kMismatchText);
  EXPECT_TRUE(RunOffered());
}

TEST_F(DeveloperPanelTest, BrowseFillsTheBackupNameWithoutARefresh) {
  Select("QR40614");
  const std::string file = scratch_.File("backup.bin");
  dialog_.answers.push_back(file);
  const std::size_t sent = driver_.sent.size();
  workflow_.BackupBtnClick();
  EXPECT_EQ(view_[Control::BackupFileEdit].text, file);
  EXPECT_EQ(driver_.sent.size(), sent);
  EXPECT_TRUE(RunOffered());
}

// ---- Run -------------------------------------------------------------------------------

TEST_F(DeveloperPanelTest, RunErasesTheChosenSizeOfAFamilyFourDevice) {
  auto& bridge = Select("QR40614");
  view_.SetChecked(Control::RdCheckBox, true);
  panel_.Click(Control::EraseOnlyCheck);
  panel_.Choose(Control::FwSizeCheck, 0);  // 32KB
  view_.SetText(Control::StatusEdit, "earlier");
  bool runOfferedDuringTheRun = true;
  std::string statusAtFirstPump;
  pump_.onPump = [&](int call) {
    if (call == 1) statusAtFirstPump = view_[Control::StatusEdit].text;
    runOfferedDuringTheRun = runOfferedDuringTheRun && RunOffered();
  };
  fake_.debug.lines.clear();

  workflow_.UpdateBtnClick();
  EXPECT_FALSE(runOfferedDuringTheRun);
  EXPECT_TRUE(RunOffered());
  EXPECT_EQ(statusAtFirstPump, "Start Erase only!");
  EXPECT_EQ(view_[Control::StatusEdit].text, "Erase flash all success!");
  EXPECT_EQ(fake_.debug.lines.front(), "Update Btn Press\n");
  ASSERT_FALSE(messages_.shown.empty());
  EXPECT_EQ(messages_.shown.back().text, "Please Turn-Off the Power and Turn-On Again!");
  EXPECT_EQ(FlashBytes(bridge, 0, 32768), ByteVector(32768, 0xFF));
  const ByteVector older = emu::OlderFirmware(65536);
  EXPECT_EQ(FlashBytes(bridge, 32768, 32768), ByteVector(older.begin() + 32768, older.end()));
}

TEST_F(DeveloperPanelTest, RunWithoutRdVersionProgramsTheDefaultImageInsteadOfErasing) {
  const ByteVector image = Pattern(65536, 9);
  AddLegacyImage(kDefaultImageName, image);
  auto& bridge = Select("QR40611", [](emu::DeviceConfig& c) { emu::UseAmicFlash(c.flash, 5); });
  EXPECT_EQ(workflow_.State().AmicModel, 5);
  panel_.Click(Control::EraseOnlyCheck);
  workflow_.UpdateBtnClick();
  EXPECT_EQ(view_[Control::StatusEdit].text, "Programming Success!!");
  EXPECT_EQ(FlashBytes(bridge, 0, 65536), image);
}

TEST_F(DeveloperPanelTest, RunBacksUpToTheBrowsedFile) {
  auto& bridge = Select("QR40614");
  view_.SetChecked(Control::RdCheckBox, true);
  panel_.Click(Control::BackupFWCheckBox);
  panel_.Choose(Control::FwSizeCheck, 2);  // 128KB
  dialog_.answers.push_back(scratch_.File("old.bak"));
  workflow_.BackupBtnClick();
  workflow_.UpdateBtnClick();
  EXPECT_EQ(view_[Control::StatusEdit].text, "Read flash and backup success!");
  const ByteVector file = ReadFile(scratch_.File("old.bak"));
  ASSERT_EQ(file.size(), 131072u);
  EXPECT_EQ(ByteVector(file.begin(), file.begin() + 65536), FlashBytes(bridge, 0, 65536));
}

TEST_F(DeveloperPanelTest, RunKeepsTheNvramOfAFamilySixDeviceWhateverItsBoxSays) {
  const ByteVector image = Pattern(40000, 3);
  AddLegacyImage(kFamily6ImageRevision1, image);
  auto& off = Select("QRB621");
  workflow_.UpdateBtnClick();
  EXPECT_EQ(FlashBytes(off, 0, 4096), emu::NvramArea());
  EXPECT_EQ(FlashBytes(off, 4096, 40000 - 4096), ByteVector(image.begin() + 4096, image.end()));

  auto& on = AddDevice("/dev/sg2", "QRB621");
  workflow_.State().DeviceTable[0].Path = "/dev/sg2";
  view_.SetChecked(Control::NVRAMCheck, true);
  workflow_.UpdateBtnClick();
  EXPECT_EQ(FlashBytes(on, 0, 4096), emu::NvramArea());
  EXPECT_EQ(FlashBytes(on, 4096, 40000 - 4096), ByteVector(image.begin() + 4096, image.end()));
}

TEST_F(DeveloperPanelTest, RunHandsTheRomTypeAndTheA1ChoiceToTheRomUpdate) {
  const ByteVector image = Pattern(65536, 12);
  AddLegacyImage(kDefaultImageName, image);
  auto& bridge = Select("QR40612-R", [](emu::DeviceConfig& c) {
    c.rom->type = 1;
    c.rom->a1Chip = true;
  });
  ASSERT_EQ(ChipFamilyOf(workflow_.State().CurrentChipId), 18);
  EXPECT_TRUE(view_[Control::A1ChipCheck].visible);
  view_.SetChecked(Control::A1ChipCheck, true);
  panel_.Choose(Control::FlashTypeList, 1);
  workflow_.UpdateBtnClick();
  EXPECT_EQ(view_[Control::StatusEdit].text, "Programming & Compare Success!!");
  EXPECT_EQ(bridge.InternalRomSwitchCount(), 0);
  const auto rom = bridge.Rom()->Contents();
  EXPECT_EQ(ByteVector(rom.begin(), rom.end()), image);
}

TEST_F(DeveloperPanelTest, RunForTheUpdatedFamiliesOnlyClearsTheStatus) {
  AddDevice(kPath, "QRS642");
  workflow_.Construct();
  ASSERT_EQ(ChipFamilyOf(workflow_.State().CurrentChipId), kFamilyQrs642);
  view_.SetText(Control::StatusEdit, "earlier");
  const std::size_t sent = driver_.sent.size();
  workflow_.UpdateBtnClick();
  EXPECT_EQ(view_[Control::StatusEdit].text, "");
  EXPECT_EQ(driver_.sent.size(), sent);
  EXPECT_TRUE(RunOffered());
}

TEST_F(DeveloperPanelTest, ARescanAskedForDuringRunWaitsForItsEnd) {
  Select("QR40614");
  view_.SetChecked(Control::RdCheckBox, true);
  panel_.Click(Control::EraseOnlyCheck);
  const std::size_t scans = ScanCount();
  std::size_t scansDuringRun = 0;
  pump_.onPump = [&](int call) {
    if (call == 1) workflow_.RefreshBtnClick();
    scansDuringRun = ScanCount() - scans;
  };
  workflow_.UpdateBtnClick();
  EXPECT_EQ(scansDuringRun, 0u);
  EXPECT_EQ(ScanCount(), scans + 1);
}

}  // namespace
}  // namespace qfw
