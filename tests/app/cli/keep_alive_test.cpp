// The busy keep-alive in virtual time, and how the progress shows off and on
// a terminal.

#include <gtest/gtest.h>

#include <sstream>

#include "app/cli/keep_alive_clock.h"
#include "app/cli/progress_display.h"
#include "app/cli/stage_monitor.h"
#include "tests/support/fake_host.h"

namespace qfw::cli {
namespace {

using namespace std::chrono_literals;

class KeepAliveTest : public testing::Test {
 protected:
  // Sleeps in 10 ms steps, as the flash-ready poll does.
  void Poll(std::chrono::milliseconds total) {
    for (auto slept = 0ms; slept < total; slept += 10ms) keepAlive_.Sleep(10ms);
  }

  qfw::test::ManualClock clock_;
  std::vector<std::chrono::milliseconds> notices_;
  KeepAliveClock keepAlive_{clock_, [this](std::chrono::milliseconds quiet) { notices_.push_back(quiet); }};
};

TEST_F(KeepAliveTest, TellsAfterTwoSecondsOfQuietAndThenEveryFive) {
  keepAlive_.Arm();
  Poll(1990ms);
  EXPECT_TRUE(notices_.empty());
  Poll(10ms);
  Poll(12000ms);
  EXPECT_EQ(notices_, (std::vector{2000ms, 7000ms, 12000ms}));
}

TEST_F(KeepAliveTest, ProgressStartsTheQuietAgain) {
  keepAlive_.Arm();
  Poll(2500ms);
  keepAlive_.NoteProgress();
  Poll(1900ms);
  EXPECT_EQ(notices_.size(), 1u);
  Poll(100ms);
  EXPECT_EQ(notices_, (std::vector{2000ms, 2000ms}));
}

TEST_F(KeepAliveTest, SaysNothingWhileDisarmed) {
  Poll(5000ms);
  keepAlive_.Arm();
  keepAlive_.Disarm();
  Poll(5000ms);
  EXPECT_TRUE(notices_.empty());
  EXPECT_EQ(keepAlive_.Now(), 10000ms);
}

TEST(ProgressDisplayTest, PlainOutputWritesALinePerActivity) {
  std::ostringstream out;
  ProgressDisplay display(out, false);
  display.BeginStage("Updating");
  display.Show("writing", 10);
  display.Show("writing", 60);
  display.Notice(BusyNoticeText(7300ms));
  display.Show("verifying", 100);
  display.EndStage();
  EXPECT_EQ(out.str(),
            "Updating: writing...\n"
            "device busy, do not unplug the bridge... (7 s)\n"
            "Updating: verifying...\n");
}

TEST(ProgressDisplayTest, TerminalOutputRedrawsOneLineAndKeepsNoticesAbove) {
  std::ostringstream out;
  ProgressDisplay display(out, true);
  display.BeginStage("Restoring");
  display.Show("writing", 50);
  display.Notice("busy");
  display.EndStage();
  const std::string bar = "Restoring: writing [###############---------------]  50%";
  EXPECT_EQ(out.str(), "\r\033[K" + bar + "\r\033[Kbusy\n\r\033[K" + bar + "\n");
}

}  // namespace
}  // namespace qfw::cli
