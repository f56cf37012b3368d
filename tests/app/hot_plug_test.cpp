// Rescans after device events: which events count, how long the timer
// waits, and how a burst collapses into one scan.

#include <gtest/gtest.h>

#include "tests/app/workflow_fixture.h"

namespace qfw {
namespace {

using namespace std::chrono_literals;

class HotPlugTest : public test::WorkflowTest {
 protected:
  HotPlugTest() {
    AddDevice("/dev/sg1", "QRS642");
    workflow_.Construct();
  }
};

TEST_F(HotPlugTest, WhichEventsStartTheTimerAndForHowLong) {
  struct Row {
    std::uint32_t code;
    std::optional<std::chrono::milliseconds> delay;
  };
  const Row rows[] = {
      {0x8000, 1200ms}, {0x8004, 200ms},       {0x0007, 200ms},       {0x0017, 200ms},
      {0x8002, 200ms},  {0x8003, 200ms},       {0x8006, 200ms},       {0xFFFF, 200ms},
      {0x0018, std::nullopt}, {0x0019, std::nullopt}, {0x8001, std::nullopt}, {0x8005, std::nullopt},
  };
  for (const Row& row : rows) {
    timers_.starts.clear();
    timers_.KillTimer(kRescanTimerId);
    workflow_.WMDeviceChange(row.code);
    SCOPED_TRACE(testing::Message() << "code 0x" << std::hex << row.code);
    if (!row.delay) {
      EXPECT_TRUE(timers_.starts.empty());
      continue;
    }
    ASSERT_EQ(timers_.starts.size(), 1u);
    EXPECT_EQ(timers_.starts[0].id, kRescanTimerId);
    EXPECT_EQ(timers_.starts[0].delay, *row.delay);
  }
}

// Events at the given times; the scans that follow, in virtual time.
TEST_F(HotPlugTest, BurstsCollapseIntoOneScan) {
  struct Event {
    std::chrono::milliseconds at;
    std::uint32_t code;
  };
  struct Case {
    const char* what;
    std::vector<Event> events;
    std::vector<std::chrono::milliseconds> scans;  // after the events' start
  };
  const Case cases[] = {
      {"arrival, removal 500 ms later", {{0ms, kDeviceArrival}, {500ms, kDeviceRemoveComplete}}, {700ms}},
      {"two arrivals 1000 ms apart", {{0ms, kDeviceArrival}, {1000ms, kDeviceArrival}}, {2200ms}},
      {"removal, then an arrival", {{0ms, kDeviceRemoveComplete}, {100ms, kDeviceArrival}}, {1300ms}},
      {"two events far apart", {{0ms, kDeviceArrival}, {5000ms, kDeviceNodesChanged}}, {1200ms, 5200ms}},
      {"configuration changed", {{0ms, kConfigChanged}}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto start = fake_.clock.Now();
    discovery_.scanTimes.clear();
    for (const Event& event : c.events) {
      // One millisecond at a time, so a scan shows up when it is due.
      while (fake_.clock.Now() - start < event.at) AdvanceTime(1ms);
      workflow_.WMDeviceChange(event.code);
    }
    while (fake_.clock.Now() - start < 10s) AdvanceTime(1ms);
    std::vector<std::chrono::milliseconds> scans;
    for (const auto at : discovery_.scanTimes) scans.push_back(at - start);
    EXPECT_EQ(scans, c.scans);
  }
}

TEST_F(HotPlugTest, TimerExpiryKillsTheTimerAndScans) {
  workflow_.WMDeviceChange(kDeviceArrival);
  const int kills = timers_.kills;
  workflow_.WMTimer(kRescanTimerId);
  EXPECT_EQ(timers_.kills, kills + 1);
  EXPECT_FALSE(timers_.DueAt(kRescanTimerId));
  EXPECT_EQ(ScanCount(), 2u);
}

TEST_F(HotPlugTest, ForeignTimerIdDoesNothing) {
  workflow_.WMDeviceChange(kDeviceArrival);
  const auto due = timers_.DueAt(kRescanTimerId);
  driver_.sent.clear();
  workflow_.WMTimer(102);
  workflow_.WMTimer(0);
  EXPECT_TRUE(driver_.sent.empty());
  EXPECT_EQ(timers_.DueAt(kRescanTimerId), due);
  EXPECT_EQ(ScanCount(), 1u);
}

TEST_F(HotPlugTest, UnplugAndPlugOnTheBus) {
  bus_.Unplug("/dev/sg1");
  AdvanceTime(200ms);
  EXPECT_EQ(view_[Control::devLable].text, "                 No device found!!");
  bus_.Plug("/dev/sg1");
  AdvanceTime(1199ms);
  EXPECT_EQ(ScanCount(), 2u);
  AdvanceTime(1ms);
  EXPECT_EQ(ScanCount(), 3u);
  EXPECT_EQ(view_[Control::devLable].text, "Click 'Yes' to proceed with the firmware update");
}

}  // namespace
}  // namespace qfw
