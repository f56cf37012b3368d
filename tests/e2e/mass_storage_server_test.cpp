// The serving loop on a scripted pipe: what goes over the wire for each
// kind of command, and what happens when the host or the bridge goes away.

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <sstream>

#include "device/bytes.h"
#include "e2e/gadget/mass_storage_server.h"
#include "tests/e2e/gadget_fixture.h"

namespace qfw::e2e {
namespace {

// The host side: transfers it sends on bulk OUT, in order (nothing: the
// endpoint fails), and what the device sent on bulk IN.
class ScriptedPipe final : public BulkPipe {
 public:
  std::optional<std::size_t> Receive(std::span<std::uint8_t> buffer) override {
    if (out.empty()) return std::nullopt;
    const std::optional<Bytes> transfer = std::move(out.front());
    out.pop_front();
    if (!transfer) return std::nullopt;
    EXPECT_LE(transfer->size(), buffer.size()) << "the host sends no more than the device reads";
    std::copy(transfer->begin(), transfer->end(), buffer.begin());
    return transfer->size();
  }
  bool Send(std::span<const std::uint8_t> data) override {
    in.emplace_back(data.begin(), data.end());
    return true;
  }
  std::size_t InPacketSize() override { return 512; }

  std::deque<std::optional<Bytes>> out;
  std::vector<Bytes> in;
};

Bytes Wire(const Cbw& cbw) {
  Bytes raw(kCbwLength, 0);
  PutLe32(std::span(raw).first<4>(), kCbwSignature);
  PutLe32(std::span(raw).subspan<4, 4>(), cbw.tag);
  PutLe32(std::span(raw).subspan<8, 4>(), cbw.dataLength);
  raw[12] = cbw.dataIn ? 0x80 : 0x00;
  raw[14] = cbw.cdbLength;
  std::copy_n(cbw.cdbBytes.begin(), cbw.cdbLength, raw.begin() + 15);
  return raw;
}

Bytes Csw(std::uint32_t residue, CswStatus status) {
  const auto csw = BuildCsw(7, residue, status);
  return Bytes(csw.begin(), csw.end());
}

class MassStorageServerTest : public GadgetFixture {
 protected:
  ServeStep Serve(const Cbw& cbw, std::initializer_list<std::optional<Bytes>> data = {}) {
    pipe_.out.push_back(Wire(cbw));
    pipe_.out.insert(pipe_.out.end(), data.begin(), data.end());
    return server_.ServeOne();
  }

  ScriptedPipe pipe_;
  std::ostringstream log_;
  MassStorageServer server_{pipe_, router_, &log_};
};

TEST_F(MassStorageServerTest, FullAnswerThenStatus) {
  EXPECT_EQ(Serve(MakeCbw({0x12, 0, 0, 0, 36, 0}, 36, true)), ServeStep::Served);
  ASSERT_EQ(pipe_.in.size(), 2u);
  EXPECT_EQ(pipe_.in[0].size(), 36u);
  EXPECT_EQ(pipe_.in[1], Csw(0, CswStatus::Passed));
  EXPECT_NE(log_.str().find("in  12 00 00 00 24 00 36 -> good 36"), std::string::npos) << log_.str();
}

TEST_F(MassStorageServerTest, ShortAnswerEndsWithAShortPacket) {
  // Flash status: 1 byte answered to the 2 asked for.
  Serve(MakeCbw({0xFF, 0x04, 0x12, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 2, true));
  ASSERT_EQ(pipe_.in.size(), 2u);
  EXPECT_EQ(pipe_.in[0].size(), 1u);
  EXPECT_EQ(pipe_.in[1], Csw(1, CswStatus::Passed));
}

TEST_F(MassStorageServerTest, AnswerEndingOnAPacketBoundaryIsClosedByAZeroLengthPacket) {
  Serve(MakeCbw({0x28, 0, 0, 0, 0, 0, 0, 0, 1, 0}, 1024, true));  // one block read, two asked room for
  ASSERT_EQ(pipe_.in.size(), 3u);
  EXPECT_EQ(pipe_.in[0].size(), 512u);
  EXPECT_TRUE(pipe_.in[1].empty());
  EXPECT_EQ(pipe_.in[2], Csw(512, CswStatus::Passed));
}

TEST_F(MassStorageServerTest, NoDataForAnUnknownCommandIsAZeroLengthPacketAndCheckCondition) {
  Serve(MakeCbw({0xFF, 0x04, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 2, true));
  ASSERT_EQ(pipe_.in.size(), 2u);
  EXPECT_TRUE(pipe_.in[0].empty());
  EXPECT_EQ(pipe_.in[1], Csw(2, CswStatus::Failed));
}

TEST_F(MassStorageServerTest, DataOutIsTakenWholeBeforeTheCommandRuns) {
  Bytes data(1024, 0x11);
  std::fill(data.begin() + 512, data.end(), 0x22);
  Serve(MakeCbw({0xDF, 0x00, 0x00, 0x04, 0x00, 0, 0, 0, 0, 0, 0, 0xFB}, 1024, false), {data});
  ASSERT_EQ(pipe_.in.size(), 1u);
  EXPECT_EQ(pipe_.in[0], Csw(0, CswStatus::Passed));
  EXPECT_EQ(bridge_->Flash().Contents()[0], 0x11);
  EXPECT_EQ(bridge_->Flash().Contents()[1023], 0x22);
  EXPECT_EQ(bridge_->Flash().Contents()[1024], 0xFF);
}

TEST_F(MassStorageServerTest, ShortDataOutRunsNothingAndIsAPhaseError) {
  const Cbw write = MakeCbw({0xDF, 0x00, 0x00, 0x04, 0x00, 0, 0, 0, 0, 0, 0, 0xFB}, 1024, false);
  const struct {
    const char* name;
    std::size_t sent;
  } cases[] = {
      {"nothing", 0},
      {"one packet of two", 512},
      {"one byte short", 1023},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    pipe_.in.clear();
    EXPECT_EQ(Serve(write, {Bytes(c.sent, 0x11)}), ServeStep::Served);
    ASSERT_EQ(pipe_.in.size(), 1u);
    EXPECT_EQ(pipe_.in[0], Csw(static_cast<std::uint32_t>(1024 - c.sent), CswStatus::PhaseError));
    EXPECT_EQ(bridge_->Flash().Contents()[0], 0xFF) << "the write never reaches the bridge";
  }
  EXPECT_NE(log_.str().find("short data-out df 00 00 04 00 00 00 00 00 00 00 fb 512 of 1024 -> phase-error"),
            std::string::npos)
      << log_.str();
}

TEST_F(MassStorageServerTest, WhatIsNoCbwIsDroppedWithoutAnswer) {
  pipe_.out.push_back(Bytes(13, 0x55));
  EXPECT_EQ(server_.ServeOne(), ServeStep::BadCbw);
  EXPECT_TRUE(pipe_.in.empty());
}

TEST_F(MassStorageServerTest, FailingEndpointStopsTheCommandWithoutStatus) {
  EXPECT_EQ(Serve(MakeCbw({0xDF, 0x00, 0x00, 0x04, 0x00, 0, 0, 0, 0, 0, 0, 0xFB}, 1024, false), {std::nullopt}),
            ServeStep::PipeFailed);
  EXPECT_TRUE(pipe_.in.empty());
  EXPECT_EQ(bridge_->Flash().Contents()[0], 0xFF) << "an interrupted write reaches nothing";
  EXPECT_EQ(server_.ServeOne(), ServeStep::PipeFailed) << "nothing more from the host";
}

TEST_F(MassStorageServerTest, BridgeGoneAfterItsResetGetsNoStatus) {
  EXPECT_EQ(Serve(MakeCbw({0xFF, 0x04, 0x26, 0x51, 0x52, 0, 0, 0, 0, 0, 0, 0}, 0, false)), ServeStep::Served);
  ASSERT_EQ(pipe_.in.size(), 1u) << "the reset itself completes";
  EXPECT_EQ(Serve(MakeCbw({0x12, 0, 0, 0, 36, 0}, 36, true)), ServeStep::DeviceGone);
  EXPECT_EQ(pipe_.in.size(), 1u);
}

}  // namespace
}  // namespace qfw::e2e
