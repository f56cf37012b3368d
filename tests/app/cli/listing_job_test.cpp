// list and info, for people and as JSON.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "tests/app/cli/cli_rig.h"

namespace qfw::cli {
namespace {

using nlohmann::json;

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class ListingJobTest : public test::CliRig {};

TEST_F(ListingJobTest, ListJsonGivesEveryCandidateAndWhatTheUpdateWouldDo) {
  AddBridge("/dev/sg1", "QRS642", test::EmbeddedImage13());
  AddBridge("/dev/sg2", "QRS642");
  AddBridge("/dev/sg3", "usb-stick");
  AddBridge("/dev/sg4", "QRS642").SetPermissionDenied(true);
  ASSERT_EQ(Run({"list", "--json"}).code, ExitCode::Success);
  const json list = json::parse(Out());
  ASSERT_EQ(list.size(), 4u);
  const std::vector<std::string> states{"already-updated", "needs-update", "not-supported", "cannot-open"};
  for (std::size_t i = 0; i < states.size(); ++i) EXPECT_EQ(list[i]["state"], states[i]) << i;
  EXPECT_EQ(list[1]["chipId"], "0x000D");
  EXPECT_EQ(list[1]["chipName"], "QRS642 Series");
  EXPECT_EQ(list[1]["firmwareVersion"], "Ver 67.01.00");
  EXPECT_EQ(list[1]["flashVendor"], "WINBOND");
  EXPECT_EQ(list[1]["interfaceClass"], "disk");
  EXPECT_EQ(list[3]["openError"], "permission denied");
  // The advice for the node the user may not open goes beside the JSON.
  EXPECT_TRUE(Contains(Err(), "No permission to open /dev/sg4"));
}

TEST_F(ListingJobTest, ListForPeopleAndWithNothingAttached) {
  EXPECT_EQ(Run({"list"}).code, ExitCode::Success);
  EXPECT_EQ(Out(), "No available device!!!\n");
  EXPECT_EQ(Run({"list", "--json"}).code, ExitCode::Success);
  EXPECT_EQ(Out(), "[]\n");
  AddBridge("/dev/sg1", "QRS642");
  Run({"list"});
  EXPECT_TRUE(Contains(Out(), "/dev/sg1 (disk)\n  device:   Quorell QRS642 Bridge\n"));
  EXPECT_TRUE(Contains(Out(), "  update:   needs the update\n"));
}

TEST_F(ListingJobTest, InfoShowsTheDetailFields) {
  AddBridge("/dev/sg1", "QRS642");
  ASSERT_EQ(Run({"info", "--device", "/dev/sg1"}).code, ExitCode::Success);
  EXPECT_TRUE(Contains(Out(), "  chip:       QRS642 Series (ChipId 0x000D)\n"));
  EXPECT_TRUE(Contains(Out(), "  firmware:   Ver 67.01.00\n"));
  EXPECT_TRUE(Contains(Out(), "  panel:      The chip not support Firmware Update!\n"));
  EXPECT_TRUE(Contains(Out(), "  update:     needs the update\n"));
}

TEST_F(ListingJobTest, InfoJsonOfAnOlderBridgeCarriesItsFlashType) {
  AddBridge("/dev/sg1", "QR40611");
  ASSERT_EQ(Run({"info", "--device", "/dev/sg1", "--json"}).code, ExitCode::Success);
  const json info = json::parse(Out());
  EXPECT_EQ(info["chipName"], "QR40611 Series");
  EXPECT_EQ(info["flashType"], "Unknown");  // the kind its controller reports
  EXPECT_EQ(info["panelStatus"], "");
  EXPECT_EQ(info["state"], "not-supported");
}

TEST_F(ListingJobTest, InfoOnAMissingDevice) {
  EXPECT_EQ(Run({"info", "--device", "/dev/sg5"}).code, ExitCode::NoSuchDevice);
  EXPECT_EQ(Err(), "qfwupdate-cli: no such device: /dev/sg5\n");
  EXPECT_EQ(Out(), "");
}

}  // namespace
}  // namespace qfw::cli
