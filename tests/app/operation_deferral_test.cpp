// Events that arrive while an operation lets the window's events run: a
// rescan waits for the operation's end, and so does the exit.

#include <gtest/gtest.h>

#include "tests/app/workflow_fixture.h"

namespace qfw {
namespace {

using test::ByteVector;
using namespace std::chrono_literals;

constexpr const char* kPath = "/dev/sg1";

ByteVector Family10Image() {
  ByteVector image(0x9000);
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 11 + 3);
  image[126] = 'Q';
  image[127] = 'R';
  return image;
}

// A family-10 controller without block commands: its update goes through
// the legacy read, which lets events run after every page.
class DeferralTest : public test::WorkflowTest {
 protected:
  DeferralTest() {
    fake_.resources.Add("QRS641", "FW1802", Family10Image());
    bridge_ = &AddDevice(kPath, "QRS641", [](emu::DeviceConfig& c) { c.blockCommands = false; });
    workflow_.Construct();
  }
  // The flash holds the embedded image after a complete run.
  bool FlashHoldsImage() const {
    const ByteVector image = Family10Image();
    const ByteVector flash = FlashBytes(*bridge_, 128, image.size() - 128);
    return std::equal(flash.begin(), flash.end(), image.begin() + 128);
  }

  emu::EmulatedBridge* bridge_ = nullptr;
};

TEST_F(DeferralTest, RescanWaitsForTheRunsEnd) {
  std::size_t scansDuringRun = 0;
  std::size_t inquiriesDuringRun = 0;
  pump_.onPump = [&](int call) {
    if (call != 1) return;
    const std::size_t scans = ScanCount();
    const std::size_t inquiries = CountSent(kPath, "12");
    workflow_.WMDeviceChange(kDeviceArrival);
    AdvanceTime(1200ms);           // the timer expires in the middle of the run
    workflow_.RefreshBtnClick();   // and the hidden Refresh button
    workflow_.UpdateBtnCheck();    // a list change: dropped
    workflow_.EraseButtonClick();  // a second YES: ignored
    EXPECT_TRUE(workflow_.Busy());
    scansDuringRun = ScanCount() - scans;
    inquiriesDuringRun = CountSent(kPath, "12") - inquiries;
  };
  const std::size_t before = ScanCount();
  workflow_.EraseButtonClick();
  EXPECT_EQ(scansDuringRun, 0u);
  EXPECT_EQ(inquiriesDuringRun, 0u);
  EXPECT_TRUE(FlashHoldsImage());
  EXPECT_EQ(ScanCount(), before + 1) << "one scan after the write";
  EXPECT_FALSE(timers_.DueAt(kRescanTimerId));
  // The outcome is shown over the rescan's display.
  EXPECT_TRUE(view_[Control::replugLable1].visible);
  EXPECT_EQ(view_[Control::replugLable1].text, "Please power cycle the device");
  EXPECT_FALSE(view_[Control::devLable].visible);
  EXPECT_FALSE(view_[Control::EraseButton].visible);
  EXPECT_TRUE(view_[Control::ExtBtn].visible);
  EXPECT_FALSE(workflow_.Busy());
}

TEST_F(DeferralTest, ExitWaitsForTheRunsEnd) {
  int closesDuringRun = -1;
  pump_.onPump = [&](int call) {
    if (call != 2) return;
    workflow_.ExitBtnClick();
    EXPECT_FALSE(workflow_.RequestClose()) << "the close box neither";
    workflow_.WMDeviceChange(kDeviceRemoveComplete);
    AdvanceTime(200ms);
    closesDuringRun = view_.closeCount;
  };
  const std::size_t before = ScanCount();
  workflow_.EraseButtonClick();
  EXPECT_EQ(closesDuringRun, 0);
  EXPECT_TRUE(FlashHoldsImage());
  EXPECT_EQ(view_.closeCount, 1);
  EXPECT_EQ(ScanCount(), before) << "no rescan of a closing window";

  // Once the run is over the close box closes at once.
  EXPECT_TRUE(workflow_.RequestClose());
  workflow_.ExitBtnClick();
  EXPECT_EQ(view_.closeCount, 2);
}

// A message box during a scan runs its own modal loop: a rescan that comes
// due in it runs after the scan.
TEST_F(DeferralTest, RescanDuringAScansMessageBox) {
  view_.SetText(Control::FwFilenameEdit, "/nonexistent/qfw/firmware.bin");
  int shown = 0;
  messages_.onShow = [&](const test::ShownMessage&) {
    if (++shown != 1) return;
    workflow_.WMDeviceChange(kDeviceNodesChanged);
    AdvanceTime(200ms);
    EXPECT_EQ(ScanCount(), 2u) << "the scan in progress only";
  };
  workflow_.RefreshBtnClick();
  EXPECT_EQ(ScanCount(), 3u);
}

}  // namespace
}  // namespace qfw
