// The entry points' data-phase and time-out rules.

#include <gtest/gtest.h>

#include <array>

#include "device/transport.h"
#include "tests/support/scripted_pass_through.h"

namespace qfw {
namespace {

using test::Bytes;
using namespace std::chrono_literals;

const std::string kPath = "/dev/sg1";
const auto kReadCdb = Bytes("ff 04 12 00 00 00 00 00 00 00 00 00");
const auto kWriteCdb = Bytes("ff 04 11 00 00 00 00 00 00 00 00 00");

TEST(TransportIn, OneByteIsAskedAsTwoAndOnlyFirstHandedBack) {
  test::ScriptedPassThrough driver;
  driver.SetHandler([](const test::RecordedRequest& r, std::span<std::uint8_t> in) {
    EXPECT_EQ(in.size(), 2u);
    in[0] = 0xA5;
    in[1] = 0x5A;
    return test::Completed(r.length);
  });
  Transport transport(driver);
  std::array<std::uint8_t, 2> caller{0x00, 0xEE};
  const TransferResult result = transport.SendCommandIn(kPath, kReadCdb, std::span(caller).first(1));
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.transferred, 2u);
  EXPECT_EQ(caller[0], 0xA5);
  EXPECT_EQ(caller[1], 0xEE) << "the byte after a 1-byte buffer must stay untouched";
}

TEST(TransportIn, ShortLengthsMoveExactlyThroughBounceArea) {
  for (const std::size_t length : {0u, 2u, 3u}) {
    test::ScriptedPassThrough driver;
    driver.SetHandler([](const test::RecordedRequest& r, std::span<std::uint8_t> in) {
      for (std::size_t i = 0; i < in.size(); ++i) in[i] = static_cast<std::uint8_t>(0x10 + i);
      return test::Completed(r.length);
    });
    Transport transport(driver);
    std::array<std::uint8_t, 4> caller{0xEE, 0xEE, 0xEE, 0xEE};
    ASSERT_TRUE(transport.SendCommandIn(kPath, kReadCdb, std::span(caller).first(length)).ok);
    EXPECT_EQ(driver.Requests()[0].length, length);
    for (std::size_t i = 0; i < 4; ++i) {
      EXPECT_EQ(caller[i], i < length ? 0x10 + i : 0xEE) << "length " << length << " byte " << i;
    }
  }
}

TEST(TransportIn, LongBufferIsUsedInPlace) {
  test::ScriptedPassThrough driver;
  std::array<std::uint8_t, 8> caller{};
  driver.SetHandler([&](const test::RecordedRequest& r, std::span<std::uint8_t> in) {
    EXPECT_EQ(in.data(), caller.data());
    return test::Completed(r.length);
  });
  Transport transport(driver);
  EXPECT_TRUE(transport.SendCommandIn(kPath, kReadCdb, caller).ok);
}

TEST(TransportOut, OneByteIsSentWithTrailingZero) {
  test::ScriptedPassThrough driver;
  Transport transport(driver);
  const std::array<std::uint8_t, 1> data{0x7C};
  ASSERT_TRUE(transport.SendCommandOut(kPath, kWriteCdb, data).ok);
  EXPECT_EQ(driver.Requests()[0].length, 2u);
  EXPECT_EQ(driver.Requests()[0].dataOut, Bytes("7c 00"));
}

TEST(TransportOut, TwoAndThreeBytesAreSentExactly) {
  test::ScriptedPassThrough driver;
  Transport transport(driver);
  const std::array<std::uint8_t, 3> data{1, 2, 3};
  ASSERT_TRUE(transport.SendCommandOut(kPath, kWriteCdb, std::span(data).first(2)).ok);
  ASSERT_TRUE(transport.SendCommandOut(kPath, kWriteCdb, data).ok);
  EXPECT_EQ(driver.Requests()[0].dataOut, Bytes("01 02"));
  EXPECT_EQ(driver.Requests()[1].dataOut, Bytes("01 02 03"));
}

TEST(TransportTimeouts, ByEntryPointAndByteTwo) {
  struct Case {
    const char* cdb;
    bool out;
    std::chrono::seconds timeout;
  };
  const Case cases[] = {
      {"ff 04 13 00 00 00 00 00 00 00 00 00", true, 100s},
      {"df 02 00 20 00 00 00 00 00 00 00 fb", true, 10s},
      {"ff 04 51 52 55 00 00 00 00 00 00 00", true, 10s},
      {"00 00 13 00 00 00 00 00 00 00 00 00", true, 100s},  // only byte 2 counts
      {"ff 04 13 00 00 00 00 00 00 00 00 00", false, 20s},  // data-in is always 20 s
      {"df 10 00 20 00 00 00 00 00 00 00 fa", false, 20s},
  };
  for (const Case& c : cases) {
    test::ScriptedPassThrough driver;
    Transport transport(driver);
    const auto cdb = Bytes(c.cdb);
    if (c.out) {
      (void)transport.SendCommandOut(kPath, cdb, {});
    } else {
      (void)transport.SendCommandIn(kPath, cdb, {});
    }
    EXPECT_EQ(driver.Requests()[0].timeout, c.timeout) << c.cdb;
    EXPECT_EQ(driver.Requests()[0].direction, c.out ? DataDirection::Out : DataDirection::In);
    EXPECT_EQ(driver.Requests()[0].length, 0u);
  }
}

TEST(TransportFailures, OpenFailureLeavesBufferAndTransferredUntouched) {
  test::ScriptedPassThrough driver;
  driver.FailNextOpens(2);
  Transport transport(driver);
  std::array<std::uint8_t, 8> big{9, 9, 9, 9, 9, 9, 9, 9};
  std::array<std::uint8_t, 1> small{9};
  const TransferResult bigResult = transport.SendCommandIn(kPath, kReadCdb, big);
  const TransferResult smallResult = transport.SendCommandIn(kPath, kReadCdb, small);
  EXPECT_FALSE(bigResult.ok);
  EXPECT_FALSE(bigResult.transferred.has_value());
  EXPECT_FALSE(smallResult.transferred.has_value());
  EXPECT_EQ(small[0], 9);
  EXPECT_EQ(transport.LastResult().error, TransportError::NoDevice);
}

TEST(TransportFailures, FailedRequestStillReportsTransferredAndBounceBytes) {
  test::ScriptedPassThrough driver;
  driver.SetHandler([](const test::RecordedRequest&, std::span<std::uint8_t> in) {
    in[0] = 0x42;
    ScsiResult result = test::Failed();
    result.transferred = 1;
    return result;
  });
  Transport transport(driver);
  std::array<std::uint8_t, 1> status{0};
  const TransferResult result = transport.SendCommandIn(kPath, kReadCdb, status);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.transferred, 1u);
  EXPECT_EQ(status[0], 0x42);
}

}  // namespace
}  // namespace qfw
