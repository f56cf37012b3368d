// The SG_IO header built for a request.

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "platform/sg_request_header.h"
#include "tests/support/scripted_pass_through.h"

namespace qfw {
namespace {

using namespace std::chrono_literals;

const auto kCdb = test::Bytes("ff 04 12 00 00 00 00 00 00 00 00 00");

struct DirectionCase {
  const char* name;
  DataDirection direction;
  std::size_t length;
  int expectedDirection;
};

void PrintTo(const DirectionCase& c, std::ostream* out) { *out << c.name; }

class SgRequestHeaderDirection : public testing::TestWithParam<DirectionCase> {};

TEST_P(SgRequestHeaderDirection, PointsAtCallerMemoryWithMatchingDirection) {
  const DirectionCase& c = GetParam();
  std::vector<std::uint8_t> data(c.length, 0x5A);
  std::array<std::uint8_t, 32> sense{};
  ScsiRequest request{.direction = c.direction, .cdb = kCdb, .timeout = 20s};
  if (c.direction == DataDirection::In) {
    request.dataIn = data;
  } else {
    request.dataOut = data;
  }

  const sg_io_hdr_t header = BuildSgIoHeader(request, sense);

  EXPECT_EQ(header.interface_id, 'S');
  EXPECT_EQ(header.dxfer_direction, c.expectedDirection);
  EXPECT_EQ(header.cmd_len, 12);
  EXPECT_EQ(header.cmdp, kCdb.data());
  EXPECT_EQ(header.dxfer_len, c.length);
  EXPECT_EQ(header.dxferp, c.length == 0 ? nullptr : static_cast<void*>(data.data()));
  EXPECT_EQ(header.iovec_count, 0);
  EXPECT_EQ(header.sbp, sense.data());
  EXPECT_EQ(header.mx_sb_len, sense.size());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SgRequestHeaderDirection,
    testing::Values(DirectionCase{"In", DataDirection::In, 8192, SG_DXFER_FROM_DEV},
                    DirectionCase{"Out", DataDirection::Out, 8192, SG_DXFER_TO_DEV},
                    DirectionCase{"ShortIn", DataDirection::In, 2, SG_DXFER_FROM_DEV},
                    DirectionCase{"ShortOut", DataDirection::Out, 2, SG_DXFER_TO_DEV},
                    DirectionCase{"NoDataIn", DataDirection::In, 0, SG_DXFER_NONE},
                    DirectionCase{"NoDataOut", DataDirection::Out, 0, SG_DXFER_NONE}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SgRequestHeader, TimeoutIsInMilliseconds) {
  const std::array<std::pair<std::chrono::seconds, unsigned>, 3> cases{{{20s, 20000}, {10s, 10000}, {100s, 100000}}};
  for (const auto& [timeout, expected] : cases) {
    const ScsiRequest request{.cdb = kCdb, .timeout = timeout};
    EXPECT_EQ(BuildSgIoHeader(request, {}).timeout, expected) << timeout.count() << " s";
  }
}

TEST(SgRequestHeader, RefusesCdbsTheHeaderCannotCarry) {
  const std::vector<std::uint8_t> empty;
  const std::vector<std::uint8_t> tooLong(17);
  const std::vector<std::uint8_t> longest(16);
  EXPECT_TRUE(SgRequestProblem(ScsiRequest{.cdb = empty}).has_value());
  EXPECT_TRUE(SgRequestProblem(ScsiRequest{.cdb = tooLong}).has_value());
  EXPECT_FALSE(SgRequestProblem(ScsiRequest{.cdb = longest}).has_value());
  EXPECT_FALSE(SgRequestProblem(ScsiRequest{.cdb = kCdb}).has_value());
}

}  // namespace
}  // namespace qfw
