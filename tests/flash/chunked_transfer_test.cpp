// Chunked block reads and writes: the chunk cuts, the erase-mode planner and
// the staging of partial granules.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flash/chunked_transfer.h"
#include "tests/flash/fake_flash_bridge.h"

namespace qfw {
namespace {

using test::Chunk;
using Chunks = std::vector<Chunk>;
using Bytes = std::vector<std::uint8_t>;

// count chunks of length each, from address on, all with mode.
Chunks Series(std::uint32_t address, std::uint32_t length, int count, std::uint8_t mode) {
  Chunks chunks;
  for (int i = 0; i < count; ++i) chunks.push_back({address + i * length, length, mode});
  return chunks;
}

Chunks operator+(Chunks a, const Chunks& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// 64 KiB from 0 with only the first chunk marked: 4 KiB, seven of 8 KiB,
// and the 4 KiB rest.
Chunks FirstChunkOnly(std::uint8_t mode) {
  return Series(0, 4096, 1, mode) + Series(4096, 8192, 7, 0) + Series(61440, 4096, 1, 0);
}

// 64 KiB from 0 with 32 KiB units.
Chunks TwoUnitsOf32K(std::uint8_t mode) {
  return Series(0, 4096, 1, mode) + Series(4096, 8192, 3, 0) + Series(28672, 4096, 1, 0) +
         Series(32768, 8192, 1, mode) + Series(40960, 8192, 3, 0);
}

// True when every block command is directly preceded by a flash status read.
bool EveryBlockCommandWaitsForTheFlash(const test::ScriptedPassThrough& driver) {
  const auto& requests = driver.Requests();
  for (std::size_t i = 0; i < requests.size(); ++i) {
    if (requests[i].cdb[0] != 0xDF) continue;
    if (i == 0 || requests[i - 1].cdb[2] != 0x12 || requests[i - 1].cdb[0] != 0xFF) return false;
  }
  return true;
}

struct WriteCase {
  const char* name;
  std::uint8_t mode;
  FlashKind kind;
  Chunks chunks;
};

void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }

class WholeImageWrite : public testing::TestWithParam<WriteCase> {};

TEST_P(WholeImageWrite, CutsAndMarksChunks) {
  const WriteCase& c = GetParam();
  test::FlashBench bench;
  const Bytes image = test::Pattern(65536, 7);

  EXPECT_TRUE(WriteFlash(bench.context, bench.path, 0, image, c.mode, c.kind));

  EXPECT_EQ(test::Writes(bench.driver), c.chunks);
  EXPECT_EQ(bench.bridge.flash, image);
  EXPECT_TRUE(EveryBlockCommandWaitsForTheFlash(bench.driver));
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, WholeImageWrite,
    testing::Values(WriteCase{"BlockKind0", 2, 0, TwoUnitsOf32K(2)},
                    WriteCase{"BlockKind5", 2, 5, FirstChunkOnly(0x82)},
                    WriteCase{"BlockKind3", 2, 3, FirstChunkOnly(2)},
                    WriteCase{"StartKind0", 3, 0, FirstChunkOnly(3)},
                    WriteCase{"StartKind5", 3, 5, FirstChunkOnly(0x83)},
                    WriteCase{"SectorKind0", 1, 0, Series(0, 4096, 16, 1)},
                    WriteCase{"SectorKind5", 1, 5, Series(0, 4096, 1, 0x81) + Series(4096, 4096, 15, 1)},
                    WriteCase{"SectorKind3", 1, 3, TwoUnitsOf32K(1)},
                    WriteCase{"NoneKind0", 0, 0, FirstChunkOnly(0)},
                    WriteCase{"NoneKind5", 0, 5, FirstChunkOnly(0)},
                    WriteCase{"NoneKind10", 0, 10, FirstChunkOnly(0)}),
    [](const auto& info) { return std::string(info.param.name); });

// Modes 4 to 7 share the classes of 1 to 3; anything above 7 marks nothing,
// and kinds outside the tables use the tables of kind 0.
INSTANTIATE_TEST_SUITE_P(
    OtherModesAndKinds, WholeImageWrite,
    testing::Values(WriteCase{"Mode4IsSector", 4, 0, Series(0, 4096, 16, 4)},
                    WriteCase{"Mode5IsBlock", 5, 3, FirstChunkOnly(5)},
                    WriteCase{"Mode7IsStart", 7, 5, FirstChunkOnly(0x87)},
                    WriteCase{"Mode8MarksNothing", 8, 0, FirstChunkOnly(0)},
                    WriteCase{"Mode0x82MarksNothing", 0x82, 5, FirstChunkOnly(0)},
                    WriteCase{"BlockKind11AsKind0", 2, 11, TwoUnitsOf32K(2)},
                    WriteCase{"SectorKind255AsKind0", 1, 255, Series(0, 4096, 16, 1)}),
    [](const auto& info) { return std::string(info.param.name); });

struct PartialWriteCase {
  const char* name;
  std::uint32_t address;
  std::uint32_t length;
  std::uint8_t mode;
  FlashKind kind;
  Chunks chunks;
};

void PrintTo(const PartialWriteCase& c, std::ostream* os) { *os << c.name; }

class PartialWrite : public testing::TestWithParam<PartialWriteCase> {};

TEST_P(PartialWrite, CutsAndMarksChunks) {
  const PartialWriteCase& c = GetParam();
  test::FlashBench bench(0x40000);
  const Bytes data = test::Pattern(c.length, 3);

  EXPECT_TRUE(WriteFlash(bench.context, bench.path, c.address, data, c.mode, c.kind));

  EXPECT_EQ(test::Writes(bench.driver), c.chunks);
  EXPECT_TRUE(std::equal(data.begin(), data.end(), bench.bridge.flash.begin() + c.address));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PartialWrite,
    testing::Values(
        // Inside the first unit: no 4 KiB cut, the mode on the first chunk,
        // never the MXIC flag.
        PartialWriteCase{"InsideFirstBlock", 0x4000, 24576, 2, 0,
                         Series(0x4000, 8192, 1, 2) + Series(0x6000, 8192, 1, 0) + Series(0x8000, 8192, 1, 2)},
        PartialWriteCase{"InsideFirstBlockMxic", 0x4000, 16384, 2, 5,
                         Series(0x4000, 8192, 1, 2) + Series(0x6000, 8192, 1, 0)},
        PartialWriteCase{"StartModeAwayFromZero", 0x4000, 16384, 3, 0, Series(0x4000, 8192, 2, 0)},
        // Beyond the first unit: cut at every boundary, the first chunk in
        // each unit marked.
        PartialWriteCase{"BeyondFirstBlock", 0x9000, 65536, 2, 0,
                         Series(0x9000, 8192, 1, 2) + Series(0xB000, 8192, 2, 0) + Series(0xF000, 4096, 1, 0) +
                             Series(0x10000, 8192, 1, 2) + Series(0x12000, 8192, 3, 0) + Series(0x18000, 4096, 1, 2)},
        PartialWriteCase{"BeyondFirstSector", 0x1800, 8192, 1, 0,
                         Series(0x1800, 2048, 1, 1) + Series(0x2000, 4096, 1, 1) + Series(0x3000, 2048, 1, 1)},
        PartialWriteCase{"Kind200BeyondFirstBlock", 0x21000, 8192, 2, 200, Series(0x21000, 8192, 1, 2)}),
    [](const auto& info) { return std::string(info.param.name); });

// For any start and any kind, a unit-mode write covers the data without
// gaps, keeps every chunk inside one erase unit, and marks exactly the first
// chunk written in each unit.
TEST(WriteFlash, UnitModesKeepChunksInsideUnitsFromAnyStart) {
  for (const std::uint32_t start : {0x0u, 0x200u, 0x4000u, 0x8000u, 0x9000u, 0x10000u, 0x23000u}) {
    for (const FlashKind kind : {0, 3, 5, 8, 11, 255}) {
      for (const std::uint8_t mode : {1, 2, 4, 5}) {
        test::FlashBench bench(0x40000);
        ASSERT_TRUE(WriteFlash(bench.context, bench.path, start, test::Pattern(40000, 1), mode, kind));
        const std::size_t table = kind < kFlashKindCount ? kind : 0;
        const std::uint32_t unit = (mode == 1 || mode == 4) ? SectorSizeByKind[table] : BlockSizeByKind[table];
        std::uint32_t next = start;
        std::uint32_t lastUnit = UINT32_MAX;
        for (const Chunk& c : test::Writes(bench.driver)) {
          SCOPED_TRACE(testing::Message() << "start " << start << " kind " << int{kind} << " mode " << int{mode});
          ASSERT_EQ(c.address, next);
          ASSERT_GT(c.length, 0u);
          ASSERT_LE(c.length, TransferChunkSize);
          const std::uint32_t thisUnit = c.address / unit;
          EXPECT_EQ(thisUnit, (c.address + c.length - 1) / unit);
          const bool mxicStart = c.address == 0 && kind == 5;
          const std::uint8_t expected = thisUnit != lastUnit ? (mode | (mxicStart ? 0x80 : 0)) : 0;
          EXPECT_EQ(c.mode, expected);
          lastUnit = thisUnit;
          next += c.length;
        }
        EXPECT_EQ(next, start + 40448);  // 40,000 raised to whole 512-byte granules
      }
    }
  }
}

TEST(WriteFlash, PadsTheLastGranuleWithZeros) {
  test::FlashBench bench;
  const Bytes data = test::Pattern(100, 9);

  EXPECT_TRUE(WriteFlash(bench.context, bench.path, 0, data, 2, 0));

  ASSERT_EQ(test::Writes(bench.driver), Series(0, 512, 1, 2));
  Bytes expected = data;
  expected.resize(512, 0x00);
  EXPECT_EQ(bench.driver.Requests().back().dataOut, expected);
}

TEST(WriteFlash, RefusedChunkEndsTheTransfer) {
  test::FlashBench bench;
  int writes = 0;
  bench.bridge.refuse = [&](const test::RecordedRequest& r) {
    return test::AsBlockCommand(r, test::kWriteFlashBlockCode) && ++writes == 3;
  };

  EXPECT_FALSE(WriteFlash(bench.context, bench.path, 0, test::Pattern(65536, 1), 2, 0));

  EXPECT_EQ(test::Writes(bench.driver).size(), 3u);
  EXPECT_EQ(bench.driver.Requests().back().cdb[0], 0xDF);  // nothing after the refusal
}

TEST(WriteFlash, BusyFlashDoesNotStopTheWrite) {
  test::FlashBench bench;
  bench.bridge.status = 0x01;

  EXPECT_TRUE(WriteFlash(bench.context, bench.path, 0, test::Pattern(512, 1), 2, 0));

  EXPECT_EQ(bench.driver.CountOf("ff 04 12"), 503u);
  EXPECT_EQ(test::Writes(bench.driver).size(), 1u);
}

TEST(FlashTransfer, EmptyLengthSendsNothing) {
  test::FlashBench bench;
  EXPECT_FALSE(WriteFlash(bench.context, bench.path, 0, {}, 2, 0));
  EXPECT_FALSE(ReadFlash(bench.context, bench.path, 0, {}));
  EXPECT_TRUE(bench.driver.Requests().empty());
}

struct ReadCase {
  const char* name;
  std::uint32_t address;
  std::size_t length;
  Chunks chunks;
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

class ChunkedRead : public testing::TestWithParam<ReadCase> {};

TEST_P(ChunkedRead, ReadsWholeGranulesAndCopiesTheRequestedLength) {
  const ReadCase& c = GetParam();
  test::FlashBench bench;
  bench.bridge.flash = test::Pattern(0x10000, 5);
  Bytes destination(c.length + 16, 0xEE);  // a guard after the requested length

  EXPECT_TRUE(ReadFlash(bench.context, bench.path, c.address,
                        std::span<std::uint8_t>(destination).first(c.length)));

  EXPECT_EQ(test::Reads(bench.driver), c.chunks);
  EXPECT_TRUE(std::equal(destination.begin(), destination.begin() + c.length,
                         bench.bridge.flash.begin() + c.address));
  EXPECT_EQ(Bytes(destination.begin() + c.length, destination.end()), Bytes(16, 0xEE));
  EXPECT_TRUE(EveryBlockCommandWaitsForTheFlash(bench.driver));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChunkedRead,
    testing::Values(ReadCase{"ConfigBlock13", 0xC000, 256, Series(0xC000, 512, 1, 0)},
                    ReadCase{"ConfigBlock10", 0, 128, Series(0, 512, 1, 0)},
                    ReadCase{"WholeFlash", 0, 65536, Series(0, 8192, 8, 0)},
                    ReadCase{"DeviceArea13", 0xC000, 4096, Series(0xC000, 4096, 1, 0)},
                    ReadCase{"RaggedEnd", 0x1000, 9000, Series(0x1000, 8192, 1, 0) + Series(0x3000, 1024, 1, 0)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadFlash, FailedChunkLeavesWhatWasReadFollowedByZeros) {
  test::FlashBench bench;
  bench.bridge.flash = test::Pattern(0x10000, 5);
  int reads = 0;
  bench.bridge.refuse = [&](const test::RecordedRequest& r) {
    return test::AsBlockCommand(r, test::kReadFlashBlockCode) && ++reads == 3;
  };
  Bytes destination(65536, 0xEE);

  EXPECT_FALSE(ReadFlash(bench.context, bench.path, 0, destination));

  EXPECT_EQ(test::Reads(bench.driver).size(), 3u);
  Bytes expected(bench.bridge.flash.begin(), bench.bridge.flash.begin() + 16384);
  expected.resize(65536, 0x00);
  EXPECT_EQ(destination, expected);
}

TEST(ReadFlash, BytesOfAFailedChunkAreNotPassedOn) {
  test::FlashBench bench;
  bench.driver.SetHandler([](const test::RecordedRequest& r, std::span<std::uint8_t> in) {
    if (r.cdb[0] != 0xDF) return test::Completed(r.length);
    std::ranges::fill(in, 0xA5);  // the driver leaves data behind but fails
    return test::Failed();
  });
  Bytes destination(256, 0xEE);

  EXPECT_FALSE(ReadFlash(bench.context, bench.path, 0xC000, destination));

  EXPECT_EQ(destination, Bytes(256, 0x00));
}

}  // namespace
}  // namespace qfw

namespace qfw {
namespace {

TEST(ReadFlash, ChunkAnsweredWithoutDataIsNotRead) {
  // A controller without the block commands completes the request (CHECK
  // CONDITION) but moves nothing: that is no read, not a chunk of zeros.
  test::FlashBench bench;
  bench.driver.SetHandler([](const test::RecordedRequest& r, std::span<std::uint8_t>) {
    return test::Completed(r.cdb[0] == 0xDF ? 0 : r.length);
  });
  Bytes destination(256, 0xEE);
  EXPECT_FALSE(ReadFlash(bench.context, bench.path, 0xC000, destination));
  EXPECT_EQ(destination, Bytes(256, 0x00));
}

TEST(ReadFlash, ShortChunkFailsTheRead) {
  test::FlashBench bench;
  bench.driver.SetHandler([](const test::RecordedRequest& r, std::span<std::uint8_t>) {
    return test::Completed(r.cdb[0] == 0xDF ? r.length - 512 : r.length);
  });
  Bytes destination(65536);
  EXPECT_FALSE(ReadFlash(bench.context, bench.path, 0, destination));
  EXPECT_EQ(test::Reads(bench.driver).size(), 1u);
}

}  // namespace
}  // namespace qfw
