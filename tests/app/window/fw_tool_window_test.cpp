// The main window end to end on an emulated machine, in virtual time: the
// device answers on a manual clock, the window's timers fall due on it, and
// the emulated bus's events arrive as they would from the event loop.

#include "app/window/fw_tool_window.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QLineEdit>
#include <functional>
#include <memory>

#include "app/window/hot_plug_sources.h"
#include "app/window/visible_texts.h"
#include "emulator/emulated_bus.h"
#include "tests/app/window/emulated_window_test.h"

namespace qfw {
namespace {

using namespace std::chrono_literals;

constexpr const char* kPrompt = "Click 'Yes' to proceed with the firmware update";
constexpr const char* kAlreadyUpdated = "               The chip already updated!!";
constexpr const char* kNoDevice = "                 No device found!!";

// A message box the test closes at once, optionally doing something while
// it is "open" (its modal loop would let events run).
class AutoClosingMessageBox final : public MessageBox {
 public:
  void Show(std::string_view text, std::string_view caption, MessageIcon icon) override {
    shown.push_back({std::string(text), std::string(caption), icon});
    if (whileOpen) whileOpen();
  }
  std::vector<test::ShownMessage> shown;
  std::function<void()> whileOpen;
};

struct Text {
  std::string name;
  std::string text;
  std::string colour;
  bool operator==(const Text&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Text& t) {
  return out << t.name << ": \"" << t.text << "\" " << t.colour;
}

class FwToolWindowTest : public test::EmulatedWindowTest<AutoClosingMessageBox> {
 protected:
  void Open(const std::string& scenario) {
    LoadScenario(scenario);
    window_ = std::make_unique<TQ61xFwTool>(Ctx(), stack_->Discovery(), &timers_);
    hotPlug_ = std::make_unique<EmulatedHotPlug>(*stack_->Bus(), [this](std::uint32_t code) {
      window_->DeviceChanged(code);
    });
  }

  // Lets virtual time pass in steps of the bus's poll interval: the bus is
  // looked at, pending events are delivered and due timers fire.
  void Pass(std::chrono::milliseconds duration) {
    const auto end = clock_.Now() + duration;
    while (clock_.Now() < end) {
      clock_.Advance(EmulatedHotPlug::kPollInterval);
      hotPlug_->Poll();
      QCoreApplication::processEvents();
      timers_.FireDue([this](int id) { window_->TimerExpired(id); });
    }
  }

  std::vector<Text> Shown() const {
    std::vector<Text> texts;
    for (const VisibleText& t : VisibleTexts(*window_, window_->Controls())) {
      texts.push_back({t.name, t.text, t.colour});
    }
    return texts;
  }

  QAbstractButton* Button(const char* name) const { return window_->Controls().As<QAbstractButton>(name); }
  emu::EmulatedBridge& Bridge() { return *stack_->Bus()->Find("/dev/sg1"); }

  std::unique_ptr<EmulatedHotPlug> hotPlug_;
};

TEST_F(FwToolWindowTest, TheWindowAsFirstShown) {
  Open("default.json");
  EXPECT_EQ(window_->objectName(), "Q61xFwTool");
  EXPECT_EQ(window_->windowTitle(), "Quorell QRS642 Firmware Update Utility 4-bay v0.1");
  EXPECT_EQ(window_->size(), QSize(411, 100)) << "shrunk by the hidden developer panel";
  EXPECT_EQ(window_->minimumSize(), window_->maximumSize()) << "fixed size";
  const Qt::WindowFlags flags = window_->windowFlags();
  EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(window_->View().IsVisible(Control::SFlashTypeLable)) << "a family-13 device hides it";
  EXPECT_FALSE(window_->View().IsVisible(Control::RdPanel));
  EXPECT_FALSE(window_->View().IsEnabled(Control::UpdateBtn));
}

TEST_F(FwToolWindowTest, YesUpdatesAndTheRescanAfterTheReattachFindsTheDeviceUpdated) {
  Open("default.json");
  EXPECT_EQ(Shown(), (std::vector<Text>{{"devLable", kPrompt, "#000000"},
                                        {"EraseButton", "YES", "#000000"},
                                        {"ExitBtn", "NO", "#000000"}}));

  std::vector<Text> behindTheBox;
  messages_.whileOpen = [&] { behindTheBox = Shown(); };
  Button("EraseButton")->click();

  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].text, "QRS642 Auto reset, Please wait device re-attached!");
  EXPECT_EQ(messages_.shown[0].caption, "Message");
  EXPECT_EQ(messages_.shown[0].icon, MessageIcon::None);
  const std::vector<Text> reattach{{"replugLable1", "Please wait device re-attached!", "#000000"},
                                   {"ExtBtn", "EXIT", "#000000"}};
  EXPECT_EQ(behindTheBox, reattach);
  EXPECT_EQ(Shown(), reattach);
  EXPECT_EQ(Bridge().ResetCount(), 1);

  // The reset detaches the device (200 ms later a rescan finds nothing);
  // the re-attach restarts the timer with 1200 ms, after which the rescan
  // finds the device holding the image.
  Pass(1000ms);
  EXPECT_EQ(Shown(), (std::vector<Text>{{"devLable", kNoDevice, "#ff0000"}, {"ExtBtn", "EXIT", "#000000"}}));
  Pass(600ms);
  EXPECT_EQ(timers_.LastDelay(101), 1200ms);
  Pass(1200ms);
  EXPECT_EQ(Shown(), (std::vector<Text>{{"devLable", kAlreadyUpdated, "#ff0000"}, {"ExtBtn", "EXIT", "#000000"}}));
  EXPECT_TRUE(messages_.shown.size() == 1u);
}

TEST_F(FwToolWindowTest, ABurstOfEventsGivesOneRescanAfterTheLast) {
  Open("default.json");
  const std::size_t commandsBefore = Bridge().Log().size();
  window_->DeviceChanged(0x8000);
  window_->DeviceChanged(0x0018);  // ignored: must not shorten the arrival delay
  QCoreApplication::processEvents();
  EXPECT_EQ(timers_.LastDelay(101), 1200ms);
  Pass(1100ms);
  EXPECT_EQ(Bridge().Log().size(), commandsBefore) << "no rescan before the delay is over";
  Pass(200ms);
  EXPECT_GT(Bridge().Log().size(), commandsBefore);
  EXPECT_FALSE(timers_.IsRunning(101));
}

TEST_F(FwToolWindowTest, ExitLeavesTheVendorModeAndClosesTheWindow) {
  Open("default.json");
  window_->show();
  ASSERT_TRUE(Bridge().InMode()) << "the scan put the device into its vendor mode";
  Button("ExitBtn")->click();
  EXPECT_FALSE(window_->isVisible());
  EXPECT_FALSE(Bridge().InMode());
}

TEST_F(FwToolWindowTest, NothingToDoOffersExit) {
  Open("already-updated.json");
  window_->show();
  EXPECT_EQ(Shown(), (std::vector<Text>{{"devLable", kAlreadyUpdated, "#ff0000"}, {"ExtBtn", "EXIT", "#000000"}}));
  Button("ExtBtn")->click();
  EXPECT_FALSE(window_->isVisible());
}

TEST_F(FwToolWindowTest, TheCloseBoxDuringAnOperationClosesTheWindowOnceItHasEnded) {
  Open("default.json");
  window_->show();
  // A firmware file name makes the details refresh check the file; the
  // warning it shows opens while the refresh is under way.
  std::vector<bool> closedWhileBusy;
  messages_.whileOpen = [&] {
    window_->close();
    closedWhileBusy.push_back(!window_->isVisible());
  };
  window_->Controls().As<QLineEdit>("FwFilenameEdit")->setText("/nonexistent/firmware.bin");
  ASSERT_FALSE(closedWhileBusy.empty()) << "the refresh warned about the file";
  EXPECT_EQ(closedWhileBusy, std::vector<bool>(closedWhileBusy.size(), false)) << "the close waits";
  EXPECT_FALSE(window_->isVisible()) << "and happens once the refresh has ended";
  EXPECT_FALSE(Bridge().InMode());
}

TEST_F(FwToolWindowTest, AnExceptionInAHandlerGoesToTheErrorHandler) {
  Open("default.json");
  std::vector<std::string> errors;
  window_->SetErrorHandler([&](const std::string& message) { errors.push_back(message); });
  messages_.whileOpen = [] { throw std::runtime_error("the box broke"); };
  Button("EraseButton")->click();
  EXPECT_EQ(errors, std::vector<std::string>{"the box broke"});
}

TEST_F(FwToolWindowTest, TheEmulatedBusReportsAttachAndDetachAsArrivalAndRemoval) {
  Open("default.json");
  std::vector<std::uint32_t> codes;
  hotPlug_.reset();
  hotPlug_ = std::make_unique<EmulatedHotPlug>(*stack_->Bus(), [&](std::uint32_t code) { codes.push_back(code); });
  stack_->Bus()->Unplug("/dev/sg1");
  stack_->Bus()->Plug("/dev/sg1");
  hotPlug_->Poll();
  EXPECT_EQ(codes, (std::vector<std::uint32_t>{0x8004, 0x8000}));
}

}  // namespace
}  // namespace qfw
