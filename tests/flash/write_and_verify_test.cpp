// Write and verify: the flash kind, the MXIC preparatory write and the three
// attempts with their modes.

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "flash/write_and_verify.h"
#include "tests/flash/fake_flash_bridge.h"

namespace qfw {
namespace {

using namespace std::chrono_literals;
using test::Chunk;
using Bytes = std::vector<std::uint8_t>;

constexpr const char* kSpiCommand = "ff 04 20";
constexpr const char* kReadId3 = "ff 04 15";

class WriteAndVerifyTest : public testing::Test {
 protected:
  bool Run(bool detect) { return WriteAndVerify(bench.context, bench.path, image, detect); }

  // The write commands at flash address 0: one per attempt, plus the
  // preparatory write.
  std::vector<Chunk> WritesAtZero() const {
    std::vector<Chunk> atZero;
    for (const Chunk& c : test::Writes(bench.driver)) {
      if (c.address == 0) atZero.push_back(c);
    }
    return atZero;
  }

  // Makes the read-back of the given attempts (1-based) differ in one byte.
  void CorruptReadBackOf(std::vector<int> attempts) {
    bench.bridge.afterRead = [this, attempts](std::uint32_t address, std::span<std::uint8_t> data) {
      if (address == 0) ++readBacks_;
      if (address == 0x8000 && std::ranges::count(attempts, readBacks_) > 0) data[0x123] ^= 0x01;
    };
  }

  test::FlashBench bench;
  const Bytes image = test::Pattern(65536, 11);

 private:
  int readBacks_ = 0;
};

TEST_F(WriteAndVerifyTest, FirstAttemptWritesReadsBackAndSucceeds) {
  EXPECT_TRUE(Run(true));

  EXPECT_EQ(bench.bridge.flash, image);
  EXPECT_EQ(WritesAtZero(), (std::vector<Chunk>{{0, 4096, 2}}));
  EXPECT_EQ(test::Reads(bench.driver).size(), 8u);
  EXPECT_EQ(bench.host.clock.Now(), 0ms);
}

TEST_F(WriteAndVerifyTest, ReportedKindZeroWithoutDetectSendsNoIdOpcodes) {
  EXPECT_TRUE(Run(false));

  EXPECT_EQ(bench.driver.CountOf(kSpiCommand), 0u);
  EXPECT_EQ(bench.driver.CountOf(kReadId3), 0u);
  // Kind-0 blocks of 32 KiB: the second block's first chunk carries the mode.
  EXPECT_EQ(test::Writes(bench.driver)[5], (Chunk{32768, 8192, 2}));
}

TEST_F(WriteAndVerifyTest, ReportedKindIsUsedWithoutDetection) {
  bench.bridge.reportedKind = 3;  // 64 KiB blocks

  EXPECT_TRUE(Run(true));

  EXPECT_EQ(bench.driver.CountOf(kSpiCommand), 0u);
  EXPECT_EQ(test::Writes(bench.driver).size(), 9u);
  EXPECT_EQ(test::Writes(bench.driver)[5].mode, 0);
}

TEST_F(WriteAndVerifyTest, FailedKindReadMeansKindZeroWithoutDetection) {
  bench.bridge.reportedKind.reset();
  bench.bridge.spiAnswers[0x9F] = {0xC2, 0x20, 0x10, 0x00};

  EXPECT_TRUE(Run(true));

  EXPECT_EQ(bench.driver.CountOf(kSpiCommand), 0u);
  EXPECT_EQ(test::Writes(bench.driver)[5], (Chunk{32768, 8192, 2}));
}

TEST_F(WriteAndVerifyTest, DetectedMxicGetsThePreparatoryWriteAndTheStartFlag) {
  bench.bridge.spiAnswers[0x9F] = {0xC2, 0x20, 0x10, 0x00};
  CorruptReadBackOf({1, 2});

  EXPECT_TRUE(Run(true));

  // Preparatory write without the flag, then one first chunk per attempt.
  EXPECT_EQ(WritesAtZero(), (std::vector<Chunk>{{0, 4096, 2}, {0, 4096, 0x82}, {0, 4096, 0x83}, {0, 4096, 0x81}}));
  const auto preparatory =
      std::ranges::find_if(bench.driver.Requests(), [](const auto& r) { return r.cdb[0] == 0xDF; });
  ASSERT_NE(preparatory, bench.driver.Requests().end());
  EXPECT_EQ(preparatory->dataOut, Bytes(image.begin(), image.begin() + 4096));
  EXPECT_EQ(bench.host.clock.Now(), 500ms);
}

TEST_F(WriteAndVerifyTest, RefusedPreparatoryWriteSkipsThePause) {
  bench.bridge.reportedKind = 5;
  bool first = true;
  bench.bridge.refuse = [&](const test::RecordedRequest& r) {
    if (!test::AsBlockCommand(r, test::kWriteFlashBlockCode) || !first) return false;
    first = false;
    return true;
  };

  EXPECT_TRUE(Run(false));

  EXPECT_EQ(WritesAtZero(), (std::vector<Chunk>{{0, 4096, 2}, {0, 4096, 0x82}}));
  EXPECT_EQ(bench.host.clock.Now(), 0ms);
}

TEST_F(WriteAndVerifyTest, DifferenceInFirstAttemptRewritesEverythingWithModeThree) {
  CorruptReadBackOf({1});

  EXPECT_TRUE(Run(false));

  EXPECT_EQ(WritesAtZero(), (std::vector<Chunk>{{0, 4096, 2}, {0, 4096, 3}}));
  EXPECT_EQ(test::Writes(bench.driver).size(), 18u);  // two complete images of nine chunks
  EXPECT_EQ(test::Reads(bench.driver).size(), 16u);
}

TEST_F(WriteAndVerifyTest, ThreeFailedAttemptsGiveUp) {
  CorruptReadBackOf({1, 2, 3, 4});

  EXPECT_FALSE(Run(false));

  EXPECT_EQ(WritesAtZero(), (std::vector<Chunk>{{0, 4096, 2}, {0, 4096, 3}, {0, 4096, 1}}));
  EXPECT_EQ(test::Reads(bench.driver).size(), 24u);
}

TEST_F(WriteAndVerifyTest, FailedWriteSkipsTheReadBackOfThatAttempt) {
  int writes = 0;
  bench.bridge.refuse = [&](const test::RecordedRequest& r) {
    return test::AsBlockCommand(r, test::kWriteFlashBlockCode) && ++writes == 2;
  };

  EXPECT_TRUE(Run(false));

  // Attempt 1 ends at its second chunk; attempt 2 starts with no read between.
  const auto& requests = bench.driver.Requests();
  std::vector<char> blockCommands;
  for (const auto& r : requests) {
    if (test::AsBlockCommand(r, test::kWriteFlashBlockCode)) blockCommands.push_back('W');
    if (test::AsBlockCommand(r, test::kReadFlashBlockCode)) blockCommands.push_back('R');
  }
  const std::string trace(blockCommands.begin(), blockCommands.end());
  EXPECT_EQ(trace, "WW" + std::string(9, 'W') + std::string(8, 'R'));
  EXPECT_EQ(WritesAtZero()[1].mode, 3);
}

TEST_F(WriteAndVerifyTest, FailedReadBackFailsTheAttempt) {
  int reads = 0;
  bench.bridge.refuse = [&](const test::RecordedRequest& r) {
    return test::AsBlockCommand(r, test::kReadFlashBlockCode) && ++reads == 4;
  };

  EXPECT_TRUE(Run(false));

  EXPECT_EQ(WritesAtZero().size(), 2u);
  EXPECT_EQ(test::Reads(bench.driver).size(), 4u + 8u);
}

}  // namespace
}  // namespace qfw
