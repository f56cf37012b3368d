// The SG_IO driver's use of open/ioctl/close and its errno handling, over a
// fake of the three system calls.

#include <gtest/gtest.h>

#include <fcntl.h>

#include <cerrno>
#include <functional>
#include <vector>

#include "device/transport.h"
#include "platform/sg_pass_through.h"
#include "tests/support/scripted_pass_through.h"

namespace qfw {
namespace {

using namespace std::chrono_literals;

constexpr int kFd = 7;
const std::string kPath = "/dev/sg3";
const auto kCdb = test::Bytes("ff 04 12 00 00 00 00 00 00 00 00 00");

// What the fake saw of one SG_IO call, copied while the header was live.
struct SeenIoctl {
  int fd;
  int direction;
  std::vector<std::uint8_t> cdb;
  unsigned length;
  unsigned timeout;
};

class FakeSgSystemCalls final : public SgSystemCalls {
 public:
  OpenOutcome Open(const std::string& path, int flags) override {
    openPaths.push_back(path);
    openFlags.push_back(flags);
    return openError != 0 ? OpenOutcome{.fd = -1, .error = openError} : OpenOutcome{.fd = kFd};
  }

  int SgIo(int fd, sg_io_hdr_t& header) override {
    ioctls.push_back({fd, header.dxfer_direction, {header.cmdp, header.cmdp + header.cmd_len}, header.dxfer_len,
                      header.timeout});
    if (answer) {
      answer(header);
    }
    return ioctlError;
  }

  void Close(int fd) override { closed.push_back(fd); }

  int openError = 0;
  int ioctlError = 0;
  std::function<void(sg_io_hdr_t&)> answer;  // plays the device and driver

  std::vector<std::string> openPaths;
  std::vector<int> openFlags;
  std::vector<SeenIoctl> ioctls;
  std::vector<int> closed;
};

int ModeFlags(int flags) { return flags & (O_ACCMODE | O_NONBLOCK | O_EXCL); }

ScsiRequest InRequest(std::span<std::uint8_t> data) {
  return ScsiRequest{.direction = DataDirection::In, .cdb = kCdb, .dataIn = data, .timeout = 20s};
}

ScsiRequest OutRequest(std::span<const std::uint8_t> data) {
  return ScsiRequest{.direction = DataDirection::Out, .cdb = kCdb, .dataOut = data, .timeout = 10s};
}

TEST(SgPassThrough, DataInOpensSharedAndDataOutExclusive) {
  FakeSgSystemCalls calls;
  SgPassThrough driver(calls);
  std::array<std::uint8_t, 8> data{};

  driver.Execute(kPath, InRequest(data));
  driver.Execute(kPath, OutRequest(data));

  ASSERT_EQ(calls.openFlags.size(), 2u);
  EXPECT_EQ(ModeFlags(calls.openFlags[0]), O_RDWR | O_NONBLOCK);
  EXPECT_EQ(ModeFlags(calls.openFlags[1]), O_RDWR | O_NONBLOCK | O_EXCL);
  EXPECT_EQ(calls.openPaths, (std::vector<std::string>{kPath, kPath}));
  EXPECT_EQ(calls.closed, (std::vector<int>{kFd, kFd}));
}

TEST(SgPassThrough, CompletedReadFillsCallerBufferAndReportsResidue) {
  FakeSgSystemCalls calls;
  calls.answer = [](sg_io_hdr_t& header) {
    auto* bytes = static_cast<std::uint8_t*>(header.dxferp);
    std::fill_n(bytes, header.dxfer_len - 3, 0xA5);
    header.resid = 3;
  };
  SgPassThrough driver(calls);
  std::vector<std::uint8_t> data(16);

  const ScsiResult result = driver.Execute(kPath, InRequest(data));

  EXPECT_TRUE(result.opened);
  EXPECT_TRUE(result.completed);
  EXPECT_EQ(result.error, TransportError::None);
  EXPECT_EQ(result.transferred, 13u);
  EXPECT_EQ(data[12], 0xA5);
  EXPECT_EQ(data[13], 0x00);
  ASSERT_EQ(calls.ioctls.size(), 1u);
  EXPECT_EQ(calls.ioctls[0].fd, kFd);
  EXPECT_EQ(calls.ioctls[0].cdb, kCdb);
  EXPECT_EQ(calls.ioctls[0].direction, SG_DXFER_FROM_DEV);
  EXPECT_EQ(calls.ioctls[0].timeout, 20000u);
  EXPECT_EQ(calls.closed.size(), 1u);
}

struct OpenErrorCase {
  const char* name;
  int error;
  TransportError expected;
};

void PrintTo(const OpenErrorCase& c, std::ostream* out) { *out << c.name; }

class SgPassThroughOpenError : public testing::TestWithParam<OpenErrorCase> {};

TEST_P(SgPassThroughOpenError, ReportsUnopenedWithMappedErrorAndNothingToClose) {
  const OpenErrorCase& c = GetParam();
  FakeSgSystemCalls calls;
  calls.openError = c.error;
  SgPassThrough driver(calls);
  std::array<std::uint8_t, 8> data{};

  const ScsiResult result = driver.Execute(kPath, OutRequest(data));

  EXPECT_FALSE(result.opened);
  EXPECT_FALSE(result.completed);
  EXPECT_EQ(result.error, c.expected);
  EXPECT_EQ(result.transferred, 0u);
  EXPECT_TRUE(calls.ioctls.empty());
  EXPECT_TRUE(calls.closed.empty());
}

INSTANTIATE_TEST_SUITE_P(Errno, SgPassThroughOpenError,
                         testing::Values(OpenErrorCase{"EACCES", EACCES, TransportError::AccessDenied},
                                         OpenErrorCase{"EPERM", EPERM, TransportError::AccessDenied},
                                         OpenErrorCase{"ENOENT", ENOENT, TransportError::NoDevice},
                                         OpenErrorCase{"ENODEV", ENODEV, TransportError::NoDevice},
                                         OpenErrorCase{"ENXIO", ENXIO, TransportError::NoDevice},
                                         OpenErrorCase{"EBUSY", EBUSY, TransportError::Busy},
                                         OpenErrorCase{"EINVAL", EINVAL, TransportError::InvalidRequest},
                                         OpenErrorCase{"EMFILE", EMFILE, TransportError::Io}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SgPassThrough, OpenFailureDetailNamesPathAndErrno) {
  FakeSgSystemCalls calls;
  calls.openError = EACCES;
  SgPassThrough driver(calls);
  EXPECT_EQ(driver.Execute(kPath, InRequest({})).detail, "open /dev/sg3: Permission denied (errno 13)");
}

struct IoctlErrorCase {
  const char* name;
  int error;
  TransportError expected;
};

void PrintTo(const IoctlErrorCase& c, std::ostream* out) { *out << c.name; }

class SgPassThroughIoctlError : public testing::TestWithParam<IoctlErrorCase> {};

TEST_P(SgPassThroughIoctlError, ReportsOpenedNotCompletedAndStillCloses) {
  const IoctlErrorCase& c = GetParam();
  FakeSgSystemCalls calls;
  calls.ioctlError = c.error;
  SgPassThrough driver(calls);
  std::vector<std::uint8_t> data(16);

  const ScsiResult result = driver.Execute(kPath, InRequest(data));

  EXPECT_TRUE(result.opened);
  EXPECT_FALSE(result.completed);
  EXPECT_EQ(result.error, c.expected);
  EXPECT_EQ(result.transferred, 0u);
  EXPECT_EQ(calls.closed, std::vector<int>{kFd});
}

INSTANTIATE_TEST_SUITE_P(Errno, SgPassThroughIoctlError,
                         testing::Values(
                             // Unplugged after the open.
                             IoctlErrorCase{"ENODEV", ENODEV, TransportError::NoDevice},
                             // A transfer too large for the sg driver.
                             IoctlErrorCase{"EINVAL", EINVAL, TransportError::InvalidRequest},
                             IoctlErrorCase{"ETIMEDOUT", ETIMEDOUT, TransportError::Timeout},
                             IoctlErrorCase{"EINTR", EINTR, TransportError::Io}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SgPassThrough, IoctlFailureDetailNamesErrno) {
  FakeSgSystemCalls calls;
  calls.ioctlError = ENODEV;
  SgPassThrough driver(calls);
  EXPECT_EQ(driver.Execute(kPath, InRequest({})).detail, "SG_IO: No such device (errno 19)");
}

TEST(SgPassThrough, HostStatusFailsTheRequestAndStillCloses) {
  FakeSgSystemCalls calls;
  calls.answer = [](sg_io_hdr_t& header) {
    header.host_status = 0x07;
    header.resid = static_cast<int>(header.dxfer_len);
  };
  SgPassThrough driver(calls);
  std::vector<std::uint8_t> data(16);

  const ScsiResult result = driver.Execute(kPath, InRequest(data));

  EXPECT_TRUE(result.opened);
  EXPECT_FALSE(result.completed);
  EXPECT_EQ(result.error, TransportError::HostError);
  EXPECT_EQ(result.detail, "SG_IO: host_status 0x07 (DID_ERROR) driver_status 0x00");
  EXPECT_EQ(calls.closed.size(), 1u);
}

TEST(SgPassThrough, SenseCapturedForDetailOnly) {
  FakeSgSystemCalls calls;
  calls.answer = [](sg_io_hdr_t& header) {
    ASSERT_GE(header.mx_sb_len, 3);
    header.sbp[0] = 0x70;
    header.sbp[1] = 0x00;
    header.sbp[2] = 0x05;
    header.sb_len_wr = 3;
    header.status = 0x02;
    header.driver_status = 0x08;
  };
  SgPassThrough driver(calls);

  const ScsiResult result = driver.Execute(kPath, InRequest({}));

  EXPECT_TRUE(result.completed);
  EXPECT_EQ(result.detail, "SG_IO: SCSI status 0x02 sense 70 00 05");
}

TEST(SgPassThrough, MalformedCdbIsRefusedWithoutOpening) {
  FakeSgSystemCalls calls;
  SgPassThrough driver(calls);
  const ScsiResult result = driver.Execute(kPath, ScsiRequest{.cdb = {}});
  EXPECT_FALSE(result.opened);
  EXPECT_EQ(result.error, TransportError::InvalidRequest);
  EXPECT_TRUE(calls.openPaths.empty());
}

// The command entry points over the real driver: the short-phase rules reach
// the header unchanged.
TEST(SgPassThrough, TransportShortPhasesReachTheHeader) {
  FakeSgSystemCalls calls;
  calls.answer = [](sg_io_hdr_t& header) {
    if (header.dxfer_direction == SG_DXFER_FROM_DEV) {
      static_cast<std::uint8_t*>(header.dxferp)[0] = 0x42;
    }
  };
  SgPassThrough driver(calls);
  Transport transport(driver);
  std::array<std::uint8_t, 1> status{};
  const auto eraseCdb = test::Bytes("ff 04 13 00 00 00 00 00 00 00 00 00");

  EXPECT_TRUE(transport.SendCommandIn(kPath, kCdb, status));
  EXPECT_TRUE(transport.SendCommandOut(kPath, eraseCdb, {}));

  EXPECT_EQ(status[0], 0x42);
  ASSERT_EQ(calls.ioctls.size(), 2u);
  EXPECT_EQ(calls.ioctls[0].length, 2u);
  EXPECT_EQ(calls.ioctls[1].direction, SG_DXFER_NONE);
  EXPECT_EQ(calls.ioctls[1].length, 0u);
  EXPECT_EQ(calls.ioctls[1].timeout, 100000u);
  EXPECT_EQ(ModeFlags(calls.openFlags[1]), O_RDWR | O_NONBLOCK | O_EXCL);
}

}  // namespace
}  // namespace qfw
