// Reading a returned SG_IO header: what counts as completed, which error a
// failure maps to, the transferred length and the diagnostic text.

#include <gtest/gtest.h>

#include <array>

#include "platform/sg_result.h"

namespace qfw {
namespace {

sg_io_hdr_t Returned(unsigned hostStatus, unsigned driverStatus, unsigned char scsiStatus = 0) {
  sg_io_hdr_t header{};
  header.dxfer_len = 64;
  header.host_status = static_cast<unsigned short>(hostStatus);
  header.driver_status = static_cast<unsigned short>(driverStatus);
  header.status = scsiStatus;
  return header;
}

struct StatusCase {
  const char* name;
  unsigned host;
  unsigned driver;
  unsigned char scsi;
  TransportError expected;
};

void PrintTo(const StatusCase& c, std::ostream* out) { *out << c.name; }

class SgResultStatus : public testing::TestWithParam<StatusCase> {};

TEST_P(SgResultStatus, CompletesOnlyWithoutHostOrDriverError) {
  const StatusCase& c = GetParam();
  const ScsiResult result = InterpretSgIoHeader(Returned(c.host, c.driver, c.scsi), {});
  EXPECT_TRUE(result.opened);
  EXPECT_EQ(result.error, c.expected);
  EXPECT_EQ(result.completed, c.expected == TransportError::None);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SgResultStatus,
    testing::Values(StatusCase{"Good", 0x00, 0x00, 0x00, TransportError::None},
                    // A CHECK CONDITION answer: sense present, still completed.
                    StatusCase{"CheckCondition", 0x00, 0x08, 0x02, TransportError::None},
                    StatusCase{"BusyStatusNotJudged", 0x00, 0x00, 0x08, TransportError::None},
                    StatusCase{"NeverAnswered", 0x03, 0x00, 0x00, TransportError::Timeout},
                    StatusCase{"Unplugged", 0x07, 0x00, 0x00, TransportError::HostError},
                    StatusCase{"NoConnect", 0x01, 0x00, 0x00, TransportError::HostError},
                    StatusCase{"HostErrorWithSense", 0x07, 0x08, 0x02, TransportError::HostError},
                    StatusCase{"DriverError", 0x00, 0x04, 0x00, TransportError::DriverError},
                    StatusCase{"DriverErrorWithSense", 0x00, 0x0C, 0x02, TransportError::DriverError},
                    StatusCase{"DriverSuggestion", 0x00, 0x18, 0x00, TransportError::DriverError},
                    StatusCase{"DriverTimeout", 0x00, 0x06, 0x00, TransportError::Timeout}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SgResult, TransferredIsRequestedMinusResidue) {
  struct Case {
    unsigned requested;
    int resid;
    std::uint32_t expected;
  };
  const std::array<Case, 6> cases{{{64, 0, 64}, {64, 4, 60}, {64, 64, 0}, {64, 100, 0}, {64, -1, 64}, {0, 0, 0}}};
  for (const Case& c : cases) {
    sg_io_hdr_t header = Returned(0, 0);
    header.dxfer_len = c.requested;
    header.resid = c.resid;
    EXPECT_EQ(InterpretSgIoHeader(header, {}).transferred, c.expected) << c.requested << " - " << c.resid;
  }
}

TEST(SgResult, FailedRequestStillReportsTransferred) {
  sg_io_hdr_t header = Returned(0x07, 0);
  header.resid = 60;
  EXPECT_EQ(InterpretSgIoHeader(header, {}).transferred, 4u);
}

TEST(SgResult, FailureDetailNamesHostAndDriverStatus) {
  EXPECT_EQ(InterpretSgIoHeader(Returned(0x07, 0x00), {}).detail,
            "SG_IO: host_status 0x07 (DID_ERROR) driver_status 0x00");
  EXPECT_EQ(InterpretSgIoHeader(Returned(0x00, 0x04), {}).detail, "SG_IO: host_status 0x00 driver_status 0x04");
  EXPECT_EQ(InterpretSgIoHeader(Returned(0x7f, 0x00), {}).detail, "SG_IO: host_status 0x7f driver_status 0x00");
}

TEST(SgResult, AnswerDetailShowsOnlyTheSenseBytesWritten) {
  std::array<std::uint8_t, 32> sense{};
  sense.fill(0xEE);
  sense[0] = 0x70;
  sense[1] = 0x00;
  sense[2] = 0x05;
  sg_io_hdr_t header = Returned(0, 0x08, 0x02);
  header.sb_len_wr = 3;
  EXPECT_EQ(InterpretSgIoHeader(header, sense).detail, "SG_IO: SCSI status 0x02 sense 70 00 05");

  header.sb_len_wr = 200;  // never read past the buffer
  EXPECT_EQ(InterpretSgIoHeader(header, std::span(sense).first(2)).detail, "SG_IO: SCSI status 0x02 sense 70 00");
}

TEST(SgResult, GoodAnswerHasNoDetail) { EXPECT_EQ(InterpretSgIoHeader(Returned(0, 0), {}).detail, ""); }

}  // namespace
}  // namespace qfw
