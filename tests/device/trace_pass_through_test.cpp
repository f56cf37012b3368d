// The trace file form: one line per pass-through request.

#include <gtest/gtest.h>

#include <sstream>

#include "device/commands.h"
#include "device/diagnostic_pass_through.h"
#include "device/trace_pass_through.h"
#include "tests/support/fake_host.h"
#include "tests/support/scripted_pass_through.h"

namespace qfw {
namespace {

TEST(TracePassThrough, WritesOneLinePerRequestInFixedForm) {
  test::ScriptedPassThrough driver;
  std::ostringstream trace;
  TracePassThrough tracer(driver, trace);
  Transport transport(tracer);
  std::vector<std::uint8_t> chunk(4096);
  std::uint8_t status = 0;

  ASSERT_TRUE(CmdWriteFlashBlock(transport, "/dev/sg1", 0, chunk, 2));
  ASSERT_TRUE(CmdFlashStatus(transport, "/dev/sg1", status));
  driver.FailNextRequests(1);
  ASSERT_FALSE(CmdModeEnter(transport, "/dev/sg1"));

  EXPECT_EQ(trace.str(),
            "out df 02 00 10 00 00 00 00 00 00 00 fb 4096 1 4096\n"
            "in ff 04 12 00 00 00 00 00 00 00 00 00 2 1 2\n"
            "out ff 04 51 52 55 00 00 00 00 00 00 00 0 0 0\n");
}

TEST(TracePassThrough, PassesResultThroughUnchanged) {
  test::ScriptedPassThrough driver;
  driver.SetHandler([](const test::RecordedRequest&, std::span<std::uint8_t>) { return test::Completed(13); });
  std::ostringstream trace;
  TracePassThrough tracer(driver, trace);
  Transport transport(tracer);
  std::array<std::uint8_t, 16> info{};
  const TransferResult result = CmdReadChipInfo(transport, "/dev/sg1", info);
  EXPECT_EQ(result.transferred, 13u);
  EXPECT_EQ(trace.str(), "in e0 f4 e7 00 00 00 00 00 00 00 00 00 16 1 13\n");
}

}  // namespace
}  // namespace qfw

namespace qfw {
namespace {

TEST(DiagnosticPassThrough, WritesOnlyFailedOrAnnotatedRequests) {
  test::ScriptedPassThrough driver;
  test::RecordingDebugOutput debug;
  DiagnosticPassThrough diagnostics(driver, debug);
  Transport transport(diagnostics);
  ASSERT_TRUE(CmdModeEnter(transport, "/dev/sg1"));
  EXPECT_TRUE(debug.lines.empty());

  driver.FailNextOpens(1);
  ASSERT_FALSE(CmdModeEnter(transport, "/dev/sg1"));
  driver.SetHandler([](const test::RecordedRequest&, std::span<std::uint8_t>) {
    ScsiResult result = test::Completed(0);
    result.detail = "SG_IO: SCSI status 0x02 sense 70 00 05";
    return result;
  });
  ASSERT_TRUE(CmdModeLeave(transport, "/dev/sg1"));
  ASSERT_EQ(debug.lines.size(), 2u);
  EXPECT_EQ(debug.lines[0], "/dev/sg1: out ff 04 51 52 55 00 00 00 00 00 00 00 0 0 0: no such device");
  EXPECT_EQ(debug.lines[1],
            "/dev/sg1: out ff 04 51 52 aa 00 00 00 00 00 00 00 0 1 0 (SG_IO: SCSI status 0x02 sense 70 00 05)");
}

}  // namespace
}  // namespace qfw
