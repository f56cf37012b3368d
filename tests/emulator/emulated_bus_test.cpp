// The emulated bus: which paths discovery lists, and how a reset or a
// hot-plug detaches and re-attaches a device with listener calls.

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "device/commands.h"
#include "emulator/emulated_discovery.h"
#include "tests/emulator/emulator_fixture.h"

namespace qfw::emu::test {
namespace {

using namespace std::chrono_literals;
using Strings = std::vector<std::string>;

class BusTest : public EmulatorTest {
 protected:
  void Listen() {
    bus.SetListener([this](const std::string& path, bool attached) {
      events.push_back(path + (attached ? " +" : " -"));
    });
  }
  bool Answers(const std::string& path) {
    std::array<std::uint8_t, 40> data{};
    return Inquiry(t, path, data);
  }

  EmulatedDiscovery discovery{bus};
  Strings events;
};

TEST_F(BusTest, DiscoveryListsPresentUsbDisksThenCdroms) {
  Add("QRS642", "/dev/sg1");
  Add("QRS641", "/dev/sg2", [](DeviceConfig& c) { c.interfaceClass = InterfaceClass::Cdrom; });
  Add("QRS641", "/dev/sg3", [](DeviceConfig& c) { c.cdromPath = "/dev/sg4"; });
  Add("usb-stick", "/dev/sg5");
  Add("usb-stick", "/dev/sg0", [](DeviceConfig& c) { c.usbStorage = false; });
  Add("QRS642", "/dev/sg6", [](DeviceConfig& c) { c.attached = false; });

  EXPECT_EQ(discovery.FindUsbDiskPaths(), (Strings{"/dev/sg1", "/dev/sg3", "/dev/sg5"}));
  EXPECT_EQ(discovery.FindUsbCdromPaths(), (Strings{"/dev/sg2", "/dev/sg4"}));
  EXPECT_TRUE(Answers("/dev/sg0"));  // not listed, still reachable
  EXPECT_FALSE(Answers("/dev/sg6"));
}

TEST_F(BusTest, BothInterfacesReachTheSameController) {
  EmulatedBridge& bridge = Add("QRS641", "/dev/sg2", [](DeviceConfig& c) { c.cdromPath = "/dev/sg3"; });
  ASSERT_TRUE(CmdModeEnter(t, "/dev/sg3"));
  EXPECT_TRUE(bridge.InMode());
  EXPECT_EQ(bus.Find("/dev/sg2"), bus.Find("/dev/sg3"));
}

TEST_F(BusTest, ResetDetachesAndReattachesAfterTheDelay) {
  EmulatedBridge& bridge = Add("QRS642", "/dev/sg1", [](DeviceConfig& c) { c.cdromPath = "/dev/sg2"; });
  Listen();
  ASSERT_TRUE(CmdModeEnter(t, kPath));
  ASSERT_TRUE(CmdDeviceReset(t, kPath));
  EXPECT_EQ(events, (Strings{"/dev/sg1 -", "/dev/sg2 -"}));
  EXPECT_FALSE(Answers(kPath));
  EXPECT_TRUE(discovery.FindUsbDiskPaths().empty());

  clock.Advance(1499ms);
  bus.Poll();
  EXPECT_EQ(events.size(), 2U);
  clock.Advance(1ms);
  EXPECT_TRUE(Answers(kPath));  // noticed lazily on access
  EXPECT_EQ(events, (Strings{"/dev/sg1 -", "/dev/sg2 -", "/dev/sg1 +", "/dev/sg2 +"}));
  EXPECT_FALSE(bridge.InMode());  // the controller started afresh
  EXPECT_EQ(bridge.ResetCount(), 1);
}

TEST_F(BusTest, ResetDelayIsConfigurable) {
  Add("QRS642", kPath, [](DeviceConfig& c) { c.resetReattach = 200ms; });
  Listen();
  ASSERT_TRUE(CmdDeviceReset(t, kPath));
  clock.Advance(200ms);
  bus.Poll();
  EXPECT_EQ(events, (Strings{"/dev/sg1 -", "/dev/sg1 +"}));
}

TEST_F(BusTest, UnplugAndPlugReportEvents) {
  Add("QRS642", "/dev/sg1");
  Add("QRS642", "/dev/sg2", [](DeviceConfig& c) { c.attached = false; });
  Listen();
  bus.Plug("/dev/sg2");
  bus.Unplug("/dev/sg1");
  EXPECT_EQ(events, (Strings{"/dev/sg2 +", "/dev/sg1 -"}));
  EXPECT_EQ(discovery.FindUsbDiskPaths(), Strings{"/dev/sg2"});
  bus.Plug("/dev/sg1");
  EXPECT_EQ(discovery.FindUsbDiskPaths(), (Strings{"/dev/sg1", "/dev/sg2"}));
}

TEST_F(BusTest, PathsAreUnique) {
  Add("QRS642", "/dev/sg1", [](DeviceConfig& c) { c.cdromPath = "/dev/sg2"; });
  EXPECT_THROW(Add("QRS642", "/dev/sg2"), std::invalid_argument);
  EXPECT_THROW(bus.Plug("/dev/sg9"), std::invalid_argument);
}

TEST_F(BusTest, RequestsGoToTheDeviceOfThePath) {
  EmulatedBridge& first = Add("QRS642", "/dev/sg1");
  EmulatedBridge& second = Add("QRS642", "/dev/sg2");
  ASSERT_TRUE(CmdPrepareFlash(t, "/dev/sg2"));
  EXPECT_EQ(first.PrepareCount(), 0);
  EXPECT_EQ(second.PrepareCount(), 1);
}

}  // namespace
}  // namespace qfw::emu::test
