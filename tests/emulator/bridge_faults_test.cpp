// Faults of an emulated device: failing commands by CDB prefix, a byte that
// reads back wrong, a flash that stays busy, a device that vanishes, one
// held open elsewhere and one the user may not open.

#include <gtest/gtest.h>

#include <vector>

#include "device/commands.h"
#include "tests/emulator/emulator_fixture.h"

namespace qfw::emu::test {
namespace {

using namespace std::chrono_literals;

class FaultTest : public EmulatorTest {};

TEST_F(FaultTest, FailsTheNthMatchingCommandForCountMatches) {
  EmulatedBridge& bridge = Add("QRS642");
  bridge.FailCommands({.prefix = {0xDF, 0x10}, .nth = 2, .count = 2});
  std::vector<std::uint8_t> data(512);
  std::uint8_t status = 0;
  std::vector<bool> results;
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(CmdFlashStatus(t, kPath, status));  // does not match: not counted
    results.push_back(CmdReadFlashBlock(t, kPath, 0, data).ok);
    if (!results.back()) {
      EXPECT_TRUE(t.LastResult().opened);
      EXPECT_EQ(t.LastResult().error, TransportError::Io);
    }
  }
  EXPECT_EQ(results, (std::vector<bool>{true, false, false, true}));
  ASSERT_EQ(bridge.Log().size(), 8U);
  EXPECT_FALSE(bridge.Log()[3].completed);  // the failed command still reached the device
}

TEST_F(FaultTest, FailedWriteChangesNothing) {
  EmulatedBridge& bridge = Add("QRS642");
  bridge.FailCommands({.prefix = {0xDF}});
  EXPECT_FALSE(CmdWriteFlashBlock(t, kPath, 0, std::vector<std::uint8_t>(512, 0x00), 0));
  EXPECT_EQ(bridge.Flash().Contents()[0], 0xFF);
  EXPECT_FALSE(bridge.Flash().Busy());
}

TEST_F(FaultTest, FlippedByteReadsBackWrongButStaysInTheFlash) {
  EmulatedBridge& bridge = Add("QRS642", kPath, [](DeviceConfig& c) { c.flash.contents.assign(0x10000, 0x5A); });
  bridge.FlipOnRead({.address = 0x1003, .mask = 0x81});
  std::vector<std::uint8_t> block(512);
  ASSERT_TRUE(CmdReadFlashBlock(t, kPath, 0x1000, block));
  EXPECT_EQ(block[3], 0xDB);
  EXPECT_EQ(block[4], 0x5A);
  std::vector<std::uint8_t> older(4);
  ASSERT_TRUE(CmdFlashRead(t, kPath, 0x1002, older));
  EXPECT_EQ(older[1], 0xDB);
  ASSERT_TRUE(CmdReadFlashBlock(t, kPath, 0x1200, block));  // does not cover it
  EXPECT_EQ(block, std::vector<std::uint8_t>(512, 0x5A));
  EXPECT_EQ(bridge.Flash().Contents()[0x1003], 0x5A);
}

TEST_F(FaultTest, StuckBusyFlashNeverGetsReady) {
  EmulatedBridge& bridge = Add("QRS642");
  bridge.SetStayBusy(true);
  clock.Advance(10s);
  std::uint8_t status = 0;
  ASSERT_TRUE(CmdFlashStatus(t, kPath, status));
  EXPECT_EQ(status & 0x01, 0x01);
  ASSERT_TRUE(CmdWriteFlashBlock(t, kPath, 0, std::vector<std::uint8_t>(512, 0x00), 3));
  EXPECT_EQ(bridge.Flash().Contents()[0], 0xFF);
}

TEST_F(FaultTest, VanishedDeviceCannotBeOpened) {
  EmulatedBridge& bridge = Add("QRS642");
  bridge.VanishAfter(2);
  std::vector<std::string> events;
  bus.SetListener([&](const std::string& path, bool attached) { events.push_back(path + (attached ? " +" : " -")); });
  std::array<std::uint8_t, 4> kind{};
  EXPECT_TRUE(CmdReadFlashKind(t, kPath, kind));
  EXPECT_TRUE(CmdReadFlashKind(t, kPath, kind));
  EXPECT_EQ(events, std::vector<std::string>{"/dev/sg1 -"});
  EXPECT_FALSE(CmdReadFlashKind(t, kPath, kind));
  EXPECT_FALSE(t.LastResult().opened);
  EXPECT_EQ(t.LastResult().error, TransportError::NoDevice);
  EXPECT_EQ(bridge.Log().size(), 2U);
  clock.Advance(1h);
  EXPECT_FALSE(bridge.Present());
}

struct OpenCase {
  const char* name;
  std::function<void(EmulatedBridge&)> fault;
  TransportError dataIn;   // None: the data-in command works
  TransportError dataOut;
};

void PrintTo(const OpenCase& c, std::ostream* os) { *os << c.name; }

class OpenFaultTest : public FaultTest, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(OpenFaultTest, RefusesTheOpen) {
  EmulatedBridge& bridge = Add("QRS642");
  GetParam().fault(bridge);
  std::array<std::uint8_t, 4> kind{};
  EXPECT_EQ(CmdReadFlashKind(t, kPath, kind), GetParam().dataIn == TransportError::None);
  EXPECT_EQ(t.LastResult().error, GetParam().dataIn);
  EXPECT_FALSE(CmdModeEnter(t, kPath));
  EXPECT_FALSE(t.LastResult().opened);
  EXPECT_EQ(t.LastResult().error, GetParam().dataOut);
  EXPECT_FALSE(bridge.InMode());
}

INSTANTIATE_TEST_SUITE_P(
    Opens, OpenFaultTest,
    ::testing::Values(
        OpenCase{"HeldOpenElsewhere", [](EmulatedBridge& b) { b.SetHeldOpen(true); }, TransportError::None,
                 TransportError::Busy},
        OpenCase{"PermissionDenied", [](EmulatedBridge& b) { b.SetPermissionDenied(true); },
                 TransportError::AccessDenied, TransportError::AccessDenied},
        OpenCase{"Unplugged", [](EmulatedBridge& b) { b.Unplug(); }, TransportError::NoDevice,
                 TransportError::NoDevice}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FaultTest, UnknownPathIsNoDevice) {
  std::array<std::uint8_t, 40> data{};
  EXPECT_FALSE(Inquiry(t, "/dev/sg7", data));
  EXPECT_EQ(t.LastResult().error, TransportError::NoDevice);
}

TEST_F(FaultTest, ConfiguredFaultsApplyFromTheStart) {
  EmulatedBridge& bridge = Add("QRS642", kPath, [](DeviceConfig& c) {
    c.faults.failures.push_back({.prefix = {0xFF, 0x04, 0x23}});
    c.faults.stayBusy = true;
  });
  std::array<std::uint8_t, 4> kind{};
  EXPECT_FALSE(CmdReadFlashKind(t, kPath, kind));
  EXPECT_TRUE(CmdReadFlashKind(t, kPath, kind));
  EXPECT_TRUE(bridge.Flash().Busy());
}

}  // namespace
}  // namespace qfw::emu::test
