// One emulator, two front doors: the kernel's disk commands stay in the
// gadget, INQUIRY and the vendor commands reach the emulated bridge byte for
// byte, and the bridge's answers turn into the status the kernel expects.

#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/gadget_fixture.h"

namespace qfw::e2e {
namespace {

using namespace std::chrono_literals;

class CommandRouterTest : public GadgetFixture {};

Bytes Sense(std::uint8_t key, std::uint8_t asc) {
  Bytes sense(18, 0);
  sense[0] = 0x70;
  sense[2] = key;
  sense[7] = 10;
  sense[12] = asc;
  return sense;
}

TEST_F(CommandRouterTest, KernelInquiryOfSixBytesReachesTheBridge) {
  const auto outcome = Run(MakeCbw({0x12, 0, 0, 0, 36, 0}, 36, true));
  EXPECT_EQ(outcome.status, CswStatus::Passed);
  ASSERT_EQ(outcome.transferred, 36u);
  EXPECT_EQ(std::string(dataIn_.begin() + 8, dataIn_.begin() + 16), "Quorell ");
  ASSERT_EQ(bridge_->Log().size(), 1u);
  EXPECT_EQ(bridge_->Log()[0].cdb[0], 0x12);
}

TEST_F(CommandRouterTest, InquiryOfFortyBytesCarriesTheChipCode) {
  const auto outcome = Run(MakeCbw({0x12, 0, 0, 0, 40, 0, 0, 0, 0, 0, 0, 0}, 40, true));
  ASSERT_EQ(outcome.transferred, 40u);
  EXPECT_EQ(std::string(dataIn_.begin() + 36, dataIn_.end()), "q642");
}

TEST_F(CommandRouterTest, VendorCommandAnswersComeBackWithTheirLength) {
  const auto outcome = Run(MakeCbw({0xFF, 0x04, 0x30, 0x08, 0, 0, 0, 0, 0, 0, 0, 0}, 8, true));
  EXPECT_EQ(outcome.status, CswStatus::Passed);
  ASSERT_EQ(outcome.transferred, 8u);
  EXPECT_EQ(std::string(dataIn_.begin(), dataIn_.begin() + 6), "q642A0");
}

TEST_F(CommandRouterTest, BlockWriteProgramsTheFlashAndReadsBack) {
  Bytes data(256);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i);
  const auto write = Run(MakeCbw({0xDF, 0x00, 0x00, 0x01, 0x00, 0, 0, 0, 0x00, 0x10, 0x00, 0xFB}, 256, false), data);
  EXPECT_EQ(write.status, CswStatus::Passed);
  EXPECT_EQ(write.transferred, 256u);
  clock_.Advance(1ms);  // the page program
  const auto read = Run(MakeCbw({0xDF, 0x10, 0x00, 0x01, 0x00, 0, 0, 0, 0x00, 0x10, 0x00, 0xFA}, 256, true));
  ASSERT_EQ(read.transferred, 256u);
  EXPECT_EQ(dataIn_, data);
}

TEST_F(CommandRouterTest, CommandsTheBridgeDoesNotKnowEndInCheckCondition) {
  struct Case {
    const char* name;
    Cbw cbw;
    bool reachesBridge;
  };
  const Case cases[] = {
      {"ROM status on a bridge without ROM", MakeCbw({0xFF, 0x04, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 2, true), true},
      {"vendor CDB with a stray byte", MakeCbw({0xFF, 0x04, 0x30, 0x08, 0, 0, 0, 0, 0, 0, 0, 1}, 8, true), true},
      {"READ CAPACITY(16)", MakeCbw({0x9E, 0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 32, 0, 0}, 32, true), false},
      {"START STOP UNIT", MakeCbw({0x1B, 0, 0, 0, 1, 0}, 0, false), true},
      {"WRITE(10)", MakeCbw({0x2A, 0, 0, 0, 0, 0, 0, 0, 1, 0}, 512, false), true},
  };
  for (const Case& c : cases) {
    bridge_->ClearLog();
    const auto outcome = Run(c.cbw, Bytes(c.cbw.dataIn ? 0 : c.cbw.dataLength, 0));
    EXPECT_EQ(outcome.status, CswStatus::Failed) << c.name;
    EXPECT_EQ(outcome.transferred, 0u) << c.name;
    EXPECT_EQ(!bridge_->Log().empty(), c.reachesBridge) << c.name;
    EXPECT_EQ(RequestSense(), Sense(0x05, 0x20)) << c.name;
  }
}

TEST_F(CommandRouterTest, RequestSenseHandsOutTheSenseOnce) {
  Run(MakeCbw({0x1B, 0, 0, 0, 1, 0}, 0, false));
  EXPECT_EQ(RequestSense(), Sense(0x05, 0x20));
  EXPECT_EQ(RequestSense(), Sense(0x00, 0x00));
}

TEST_F(CommandRouterTest, DiskCommandsStayInTheGadget) {
  struct Case {
    const char* name;
    Cbw cbw;
    CswStatus status;
    Bytes answer;
  };
  const Case cases[] = {
      {"TEST UNIT READY", MakeCbw({0x00, 0, 0, 0, 0, 0}, 0, false), CswStatus::Passed, {}},
      {"READ CAPACITY(10)", MakeCbw({0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 8, true), CswStatus::Passed,
       {0, 0, 0, kTestDiskBlocks - 1, 0, 0, 2, 0}},
      {"MODE SENSE(6) all pages", MakeCbw({0x1A, 0, 0x3F, 0, 192, 0}, 192, true), CswStatus::Passed, {3, 0, 0, 0}},
      {"MODE SENSE(10) caching", MakeCbw({0x5A, 0, 0x08, 0, 0, 0, 0, 0, 255, 0}, 255, true), CswStatus::Passed,
       {0, 6, 0, 0, 0, 0, 0, 0}},
      {"READ(10) of the last block", MakeCbw({0x28, 0, 0, 0, 0, kTestDiskBlocks - 1, 0, 0, 1, 0}, 512, true),
       CswStatus::Passed, Bytes(512, 0)},
      {"READ(10) past the end", MakeCbw({0x28, 0, 0, 0, 0, kTestDiskBlocks - 1, 0, 0, 2, 0}, 1024, true),
       CswStatus::Failed, {}},
      {"SYNCHRONIZE CACHE", MakeCbw({0x35, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, false), CswStatus::Passed, {}},
      {"PREVENT ALLOW MEDIUM REMOVAL", MakeCbw({0x1E, 0, 0, 0, 1, 0}, 0, false), CswStatus::Passed, {}},
  };
  for (const Case& c : cases) {
    const auto outcome = Run(c.cbw);
    EXPECT_EQ(outcome.status, c.status) << c.name;
    EXPECT_EQ(Bytes(dataIn_.begin(), dataIn_.begin() + static_cast<std::ptrdiff_t>(outcome.transferred)), c.answer)
        << c.name;
  }
  EXPECT_TRUE(bridge_->Log().empty());
}

TEST_F(CommandRouterTest, ReadPastTheEndSaysLbaOutOfRange) {
  Run(MakeCbw({0x28, 0, 0, 0, 0, kTestDiskBlocks, 0, 0, 1, 0}, 512, true));
  EXPECT_EQ(RequestSense(), Sense(0x05, 0x21));
}

TEST_F(CommandRouterTest, ResetCompletesThenTheBridgeIsGoneUntilItReattaches) {
  const auto reset = Run(MakeCbw({0xFF, 0x04, 0x26, 0x51, 0x52, 0, 0, 0, 0, 0, 0, 0}, 0, false));
  EXPECT_EQ(reset.status, CswStatus::Passed);
  EXPECT_FALSE(reset.deviceGone);
  const auto inquiry = MakeCbw({0x12, 0, 0, 0, 36, 0}, 36, true);
  EXPECT_TRUE(Run(inquiry).deviceGone);
  clock_.Advance(1500ms);
  EXPECT_EQ(Run(inquiry).transferred, 36u);
}

class FailingWriteTest : public GadgetFixture {
 protected:
  FailingWriteTest() : GadgetFixture({emu::CommandFailure{.prefix = {0xDF, 0x00}, .nth = 1, .count = 1}}) {}
};

TEST_F(FailingWriteTest, CommandThatDoesNotCompleteIsAPhaseError) {
  const Bytes data(256, 0x00);
  const auto write = Run(MakeCbw({0xDF, 0x00, 0x00, 0x01, 0x00, 0, 0, 0, 0, 0, 0, 0xFB}, 256, false), data);
  EXPECT_EQ(write.status, CswStatus::PhaseError);
  EXPECT_EQ(write.transferred, 0u);
  EXPECT_EQ(bridge_->Flash().Contents()[0], 0xFF) << "the failed write changed nothing";
}

}  // namespace
}  // namespace qfw::e2e
