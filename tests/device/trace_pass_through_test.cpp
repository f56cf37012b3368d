// The trace file form: one line per pass-through request.

#include <gtest/gtest.h>

#include <sstream>

#include "device/commands.h"
#include "device/trace_pass_through.h"
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
