// Listing devices on emulated machines: what is found and how it is named.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/device_report.h"
#include "app/device_stack.h"
#include "resources/embedded_resources.h"
#include "tests/support/fake_host.h"

namespace qfw {
namespace {

namespace fs = std::filesystem;

std::string ScenarioPath(const std::string& name) { return std::string(QFW_SCENARIO_DIR) + "/" + name; }

class DeviceReportTest : public testing::Test {
 protected:
  std::vector<DeviceReport> Report(const DeviceStackOptions& options) {
    stack_ = std::make_unique<DeviceStack>(options, host_.clock, host_.debug);
    transport_ = std::make_unique<Transport>(stack_->Driver());
    return ReportDevices({*transport_, host_.host}, stack_->Discovery());
  }
  fs::path Temp(const std::string& name) {
    return fs::temp_directory_path() / (std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) + name);
  }

  test::FakeHost host_;
  std::unique_ptr<DeviceStack> stack_;
  std::unique_ptr<Transport> transport_;
};

TEST_F(DeviceReportTest, TwoBridgesAndAPlainStick) {
  host_.resources.Add("QRS642", "FW6701", std::vector<std::uint8_t>(49408, 0x5A));
  const auto reports = Report({.scenario = ScenarioPath("two-bridges.json")});
  struct Expected {
    const char* path;
    const char* interfaceClass;
    ChipId chipId;
    const char* state;
  };
  const Expected expected[] = {
      {"/dev/sg1", "disk", 0x000D, "needs the update"},
      {"/dev/sg2", "disk", 0x000A, "needs the update"},
      {"/dev/sg4", "disk", 0x0000, "not supported"},
      {"/dev/sg3", "cdrom", 0x000A, "needs the update"},
  };
  ASSERT_EQ(reports.size(), std::size(expected)) << "the SATA disk must not be listed";
  for (std::size_t i = 0; i < reports.size(); ++i) {
    EXPECT_EQ(reports[i].path, expected[i].path);
    EXPECT_EQ(reports[i].interfaceClass, expected[i].interfaceClass);
    EXPECT_EQ(reports[i].chipId, expected[i].chipId) << reports[i].path;
    EXPECT_EQ(UpdateState(reports[i]), expected[i].state) << reports[i].path;
  }
  EXPECT_EQ(reports[0].firmwareVersion, "Ver 67.01.00");
  EXPECT_EQ(reports[0].flashKind, 6);
  EXPECT_FALSE(reports[2].flashKind.has_value()) << "no flash questions to a device that is not a bridge";
}

TEST_F(DeviceReportTest, BridgeHoldingTheEmbeddedImage) {
  EmbeddedResources resources;
  test::FakeHost& h = host_;
  const auto image = resources.Find("QRS642", "FW6701");
  ASSERT_TRUE(image);
  h.resources.Add("QRS642", "FW6701", std::vector<std::uint8_t>(image->begin(), image->end()));
  const auto reports = Report({.scenario = ScenarioPath("already-updated.json")});
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(UpdateState(reports[0]), "already holds the firmware image");
}

TEST_F(DeviceReportTest, NoPermissionIsToldApartAndNothingMoreIsSent) {
  const fs::path scenario = Temp(".json");
  std::ofstream(scenario) << R"({"devices": [{"path": "/dev/sg7", "preset": "QRS642", "permission": "denied"}]})";
  const auto reports = Report({.scenario = scenario.string()});
  fs::remove(scenario);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].openError, TransportError::AccessDenied);
  EXPECT_EQ(UpdateState(reports[0]), "cannot open");
  EXPECT_NE(FormatReport(reports[0]).find("permission denied"), std::string::npos);
}

TEST_F(DeviceReportTest, TraceFileHoldsOneLinePerRequest) {
  const fs::path trace = Temp(".trace");
  Report({.scenario = ScenarioPath("default.json"), .trace = trace.string()});
  stack_.reset();  // closes the trace file
  std::ifstream in(trace);
  std::string first;
  std::getline(in, first);
  EXPECT_EQ(first, "in 12 00 00 00 28 00 00 00 00 00 00 00 40 1 40");
  int lines = 1;
  for (std::string line; std::getline(in, line);) ++lines;
  EXPECT_GT(lines, 10);
  fs::remove(trace);
}

TEST_F(DeviceReportTest, UnusableScenarioOrTraceIsAnError) {
  EXPECT_THROW(Report({.scenario = "/nonexistent/scenario.json"}), std::runtime_error);
  EXPECT_THROW(Report({.scenario = ScenarioPath("default.json"), .trace = "/nonexistent/dir/trace"}),
               std::runtime_error);
}

}  // namespace
}  // namespace qfw
