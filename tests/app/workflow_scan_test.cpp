// The device scan as the main window shows it: which devices are listed,
// which receive the vendor mode commands, and the prompt or the red
// nothing-to-do message.

#include <gtest/gtest.h>

#include "tests/app/workflow_fixture.h"

namespace qfw {
namespace {

using test::ByteVector;

constexpr const char* kModeEnter = "ff 04 51 52 55";
constexpr const char* kModeLeave = "ff 04 51 52 aa";
constexpr const char* kPrompt = "Click 'Yes' to proceed with the firmware update";
constexpr const char* kAlreadyUpdated = "               The chip already updated!!";
constexpr const char* kNoDevice = "                 No device found!!";
constexpr const char* kQrs642Item = "<<USB>> Quorell QRS642 Bridge   ";

class WorkflowScanTest : public test::WorkflowTest {
 protected:
  void ExpectReady() {
    EXPECT_EQ(view_[Control::devLable].text, kPrompt);
    EXPECT_EQ(view_[Control::devLable].colour, TextColour::Black);
    EXPECT_TRUE(view_[Control::devLable].visible);
    for (const Control button : {Control::EraseButton, Control::ExitBtn}) {
      EXPECT_TRUE(view_[button].visible);
      EXPECT_TRUE(view_[button].enabled);
    }
    EXPECT_FALSE(view_[Control::ExtBtn].visible);
    EXPECT_FALSE(view_[Control::replugLable1].visible);
  }
  void ExpectNothingToDo(const char* text) {
    EXPECT_EQ(view_[Control::devLable].text, text);
    EXPECT_EQ(view_[Control::devLable].colour, TextColour::Red);
    EXPECT_TRUE(view_[Control::ExtBtn].visible);
    for (const Control button : {Control::EraseButton, Control::ExitBtn}) {
      EXPECT_FALSE(view_[button].visible);
      EXPECT_FALSE(view_[button].enabled);
    }
  }
  // Makes the bridge's flash hold the embedded image.
  void HoldEmbedded(emu::DeviceConfig& config) { config.flash.contents = embedded_; }
};

TEST_F(WorkflowScanTest, NoDevice) {
  workflow_.Construct();
  EXPECT_EQ(workflow_.State().PathCount, 0);
  EXPECT_EQ(view_.items, std::vector<std::string>{"No available device!!!"});
  EXPECT_EQ(view_.SelectedDeviceListItem(), 0);
  EXPECT_FALSE(view_[Control::DeviceList].enabled);
  EXPECT_FALSE(view_[Control::UpdateBtn].enabled);
  ExpectNothingToDo(kNoDevice);
  EXPECT_EQ(workflow_.State().CurrentChipId, 0);
  EXPECT_EQ(workflow_.State().AmicModel, 0);
  EXPECT_TRUE(driver_.sent.empty());
}

TEST_F(WorkflowScanTest, OneBridgeThatNeedsTheUpdate) {
  auto& bridge = AddDevice("/dev/sg1", "QRS642");
  workflow_.Construct();
  EXPECT_EQ(workflow_.State().PathCount, 1);
  EXPECT_EQ(view_.items, std::vector<std::string>{kQrs642Item});
  EXPECT_EQ(view_.SelectedDeviceListItem(), 0);
  EXPECT_TRUE(view_[Control::DeviceList].enabled);
  EXPECT_EQ(workflow_.State().DeviceTable[0].Path, "/dev/sg1");
  EXPECT_TRUE(workflow_.State().DeviceTable[0].LeaveModeOnExit);
  EXPECT_EQ(CountSent("/dev/sg1", kModeEnter), 1u);
  EXPECT_TRUE(bridge.InMode());
  ExpectReady();
  EXPECT_EQ(workflow_.State().CurrentChipId, MakeChipId(13, 0));
  EXPECT_EQ(view_[Control::ChipLabelEdit].text, "QRS642 Series");
  EXPECT_EQ(view_[Control::FwVerLableEdit].text, "Ver 67.01.00");
  EXPECT_EQ(view_[Control::StatusEdit].text, "The chip not support Firmware Update!");
}

TEST_F(WorkflowScanTest, UsbStickBeforeTheBridge) {
  AddDevice("/dev/sg1", "usb-stick");
  auto& bridge = AddDevice("/dev/sg2", "QRS642");
  workflow_.Construct();
  EXPECT_EQ(workflow_.State().PathCount, 2);
  EXPECT_EQ(view_.items, std::vector<std::string>{kQrs642Item});
  EXPECT_EQ(workflow_.State().DeviceTable[0].Path, "/dev/sg2");
  EXPECT_TRUE(bridge.InMode());
  EXPECT_EQ(CountSent("/dev/sg1", kModeEnter), 0u);
  EXPECT_EQ(CountSent("/dev/sg1", "df 10 00 20 00 00 00 00 00 00 00 fa"), 0u) << "the stick's flash is not read";
  EXPECT_EQ(CountSent("/dev/sg1", "ff 04 23"), 0u);
  ExpectReady();
}

TEST_F(WorkflowScanTest, TwoBridgesTheFirstAlreadyUpdated) {
  auto& updated = AddDevice("/dev/sg1", "QRS642", [&](emu::DeviceConfig& c) { HoldEmbedded(c); });
  auto& pending = AddDevice("/dev/sg2", "QRS642");
  workflow_.Construct();
  EXPECT_EQ(view_.items, std::vector<std::string>{kQrs642Item});
  EXPECT_EQ(workflow_.State().DeviceTable[0].Path, "/dev/sg2");
  EXPECT_TRUE(updated.InMode()) << "identified and put into the vendor mode, though not listed";
  EXPECT_TRUE(pending.InMode());
  ExpectReady();

  // Exactly the two devices that entered the mode leave it.
  workflow_.Destroy();
  EXPECT_EQ(CountSent("/dev/sg1", kModeLeave), 1u);
  EXPECT_EQ(CountSent("/dev/sg2", kModeLeave), 1u);
  EXPECT_FALSE(updated.InMode());
  EXPECT_FALSE(pending.InMode());
}

TEST_F(WorkflowScanTest, AllBridgesAlreadyUpdated) {
  AddDevice("/dev/sg1", "usb-stick");
  AddDevice("/dev/sg2", "QRS642", [&](emu::DeviceConfig& c) { HoldEmbedded(c); });
  workflow_.Construct();
  EXPECT_TRUE(view_.items.empty());
  EXPECT_EQ(view_.SelectedDeviceListItem(), -1);
  ExpectNothingToDo(kAlreadyUpdated);
}

TEST_F(WorkflowScanTest, PathsButNoSupportedController) {
  AddDevice("/dev/sg1", "usb-stick");
  AddDevice("/dev/sg2", "QR40614");
  workflow_.Construct();
  EXPECT_EQ(workflow_.State().PathCount, 2);
  EXPECT_TRUE(view_.items.empty());
  ExpectNothingToDo(kNoDevice);
  EXPECT_EQ(CountSent("/dev/sg2", kModeEnter), 0u);
  workflow_.Destroy();
  EXPECT_EQ(CountSent("/dev/sg2", kModeLeave), 0u);
}

// Disk and CD-ROM interfaces: every supported path is listed by itself and
// leaves the mode on exit; the stick and the SATA disk get nothing.
TEST_F(WorkflowScanTest, ModeLeaveGoesExactlyWhereModeEnterWent) {
  AddDevice("/dev/sg0", "usb-stick", [](emu::DeviceConfig& c) { c.usbStorage = false; });
  AddDevice("/dev/sg1", "QRS642");
  AddDevice("/dev/sg4", "usb-stick");
  AddDevice("/dev/sg2", "QRS641", [](emu::DeviceConfig& c) { c.cdromPath = "/dev/sg3"; });
  workflow_.Construct();
  EXPECT_EQ(workflow_.State().PathCount, 4);
  EXPECT_EQ(view_.items.size(), 3u);
  workflow_.Destroy();
  for (const char* path : {"/dev/sg1", "/dev/sg2", "/dev/sg3"}) {
    EXPECT_EQ(CountSent(path, kModeEnter), 1u) << path;
    EXPECT_EQ(CountSent(path, kModeLeave), 1u) << path;
  }
  for (const char* path : {"/dev/sg0", "/dev/sg4"}) {
    EXPECT_EQ(CountSent(path, kModeEnter), 0u) << path;
    EXPECT_EQ(CountSent(path, kModeLeave), 0u) << path;
  }
  workflow_.Destroy();
  EXPECT_EQ(CountSent("/dev/sg1", kModeLeave), 1u) << "sent once";
}

// A later scan that finds fewer devices unmarks the entries it no longer fills.
TEST_F(WorkflowScanTest, RescanUnmarksDevicesThatAreGone) {
  AddDevice("/dev/sg1", "QRS642");
  AddDevice("/dev/sg2", "QRS642");
  workflow_.Construct();
  bus_.Unplug("/dev/sg2");
  workflow_.RefreshBtnClick();
  EXPECT_EQ(view_.items.size(), 1u);
  workflow_.Destroy();
  EXPECT_EQ(CountSent("/dev/sg1", kModeLeave), 1u);
  EXPECT_EQ(CountSent("/dev/sg2", kModeLeave), 0u);
}

// Where device paths do not depend on case, the table holds the path in
// lower case and every command after the identification uses it.
TEST_F(WorkflowScanTest, PathsAreLowerCased) {
  AddDevice("/dev/sg1", "QRS642");
  discovery_.upperCase = true;
  driver_.foldCase = true;
  workflow_.Construct();
  EXPECT_EQ(workflow_.State().DeviceTable[0].Path, "/dev/sg1");
  EXPECT_EQ(CountSent("/dev/sg1", kModeEnter), 1u);
  EXPECT_EQ(CountSent("/DEV/SG1", kModeEnter), 0u);
  EXPECT_GT(CountSent("/DEV/SG1", "12"), 0u) << "identified by the path as found";
}

// At most 16 candidates of at most 255 characters reach the scan; the rest
// are left out without harm.
TEST_F(WorkflowScanTest, SurplusAndOverLongPathsAreLeftOut) {
  for (int i = 0; i < 18; ++i) AddDevice("/dev/sg" + std::to_string(10 + i), "QRS642");
  discovery_.extraDiskPaths.push_back("/dev/" + std::string(300, 'x'));
  workflow_.Construct();
  EXPECT_EQ(workflow_.State().PathCount, 16);
  EXPECT_EQ(view_.items.size(), 16u);
  EXPECT_EQ(workflow_.State().DeviceTable[15].Path, "/dev/sg25");
  EXPECT_EQ(CountSent("/dev/sg26", kModeEnter), 0u);
  ExpectReady();
}

TEST_F(WorkflowScanTest, ConstructionHidesTheDeveloperPanelOnce) {
  AddDevice("/dev/sg1", "QRS642");
  view_.SetChecked(Control::EraseOnlyCheck, true);
  view_.SetEnabled(Control::FwFilenameEdit, false);
  workflow_.Construct();
  EXPECT_EQ(view_.height, 100);
  EXPECT_EQ(workflow_.State().EraseOnlyFlag, 1);
  EXPECT_FALSE(view_[Control::RdPanel].visible);
  EXPECT_FALSE(view_[Control::UpdateBtn].enabled);
  EXPECT_TRUE(view_[Control::FwFilenameEdit].enabled);

  const std::size_t inquiries = CountSent("/dev/sg1", "12");
  workflow_.RdCheckBoxClick();
  EXPECT_EQ(view_.height, 100 - 129) << "each call shrinks once more";
  EXPECT_EQ(CountSent("/dev/sg1", "12"), inquiries + 1) << "and refreshes the details";
  view_.SetChecked(Control::RdCheckBox, true);
  workflow_.RdCheckBoxClick();
  EXPECT_EQ(view_.height, 100);
  EXPECT_TRUE(view_[Control::RdPanel].visible);
}

}  // namespace
}  // namespace qfw
