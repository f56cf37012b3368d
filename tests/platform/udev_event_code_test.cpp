#include "platform/udev_event_code.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/udev_monitor.h"

namespace qfw {
namespace {

struct ActionCase {
  std::string_view action;
  std::uint32_t code;
};

TEST(UdevEventCodeTest, ArrivalAndRemovalKeepTheirCodesEverythingElseIsIgnoredByTheRescan) {
  constexpr ActionCase kCases[] = {
      {"add", 0x8000},    {"remove", 0x8004}, {"bind", 0x0018},   {"unbind", 0x0018},
      {"change", 0x0018}, {"move", 0x0018},   {"online", 0x0018}, {"", 0x0018},
      {"ADD", 0x0018},    {"added", 0x0018},
  };
  for (const auto& [action, code] : kCases) {
    EXPECT_EQ(DeviceEventCodeForAction(action), code) << "action \"" << action << "\"";
  }
}

TEST(UdevEventCodeTest, OnlyArrivalAndRemovalPassTheRescanFilter) {
  // The rescan acts on 0x8000, 0x8004 and codes with bit 1 set; the code of
  // every other action must be none of these.
  for (const std::string_view action : {"bind", "unbind", "change", "move", "offline"}) {
    const std::uint32_t code = DeviceEventCodeForAction(action);
    EXPECT_EQ(code & 2u, 0u) << action;
    EXPECT_NE(code, 0x8000u) << action;
    EXPECT_NE(code, 0x8004u) << action;
  }
}

TEST(UdevMonitorTest, OpensNonBlockingOrSaysWhyNot) {
  std::string error;
  const auto monitor = UdevMonitor::Open(error);
  if (!monitor) {
    // Containers often have no netlink: the caller gets a reason to log.
    EXPECT_FALSE(error.empty());
    GTEST_SKIP() << "no udev monitor here: " << error;
  }
  ASSERT_GE(monitor->Fd(), 0);
  EXPECT_NE(fcntl(monitor->Fd(), F_GETFL) & O_NONBLOCK, 0);
  // Draining must return at once, whatever is pending.
  int pending = 0;
  while (monitor->ReadEventCode() && pending < 1000) {
    ++pending;
  }
  EXPECT_LT(pending, 1000);
}

}  // namespace
}  // namespace qfw
