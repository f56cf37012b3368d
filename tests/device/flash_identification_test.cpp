// Serial flash identification: the ready wait, AMIC models and the kind
// probes.

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>

#include "device/flash_identification.h"
#include "tests/support/fake_host.h"
#include "tests/support/scripted_pass_through.h"

namespace qfw {
namespace {

using Bytes = std::vector<std::uint8_t>;
const std::string kPath = "/dev/sg4";
constexpr const char* kStatus = "ff 04 12";
constexpr const char* kSpiCommand = "ff 04 20 01 01";
constexpr const char* kSpiResponse = "ff 04 21";
constexpr const char* kReadId3 = "ff 04 15 03";

// Answers the SPI response by the opcode of the preceding SPI command, and
// the 3-byte id reads by their opcode; refused opcodes fail the command.
class FlashChip {
 public:
  explicit FlashChip(test::ScriptedPassThrough& driver) {
    driver.SetHandler([this](const test::RecordedRequest& r, std::span<std::uint8_t> in) {
      return Handle(r, in);
    });
  }
  std::map<std::uint8_t, Bytes> answers;       // opcode -> SpiResponse bytes
  std::map<std::uint8_t, Bytes> id3;           // opcode -> ReadId3 bytes
  std::set<std::uint8_t> refusedCommands;      // SPI command fails
  std::set<std::uint8_t> refusedId3;

 private:
  ScsiResult Handle(const test::RecordedRequest& r, std::span<std::uint8_t> in) {
    const auto& cdb = r.cdb;
    if (cdb[2] == 0x20) {
      last_ = cdb[5];
      return refusedCommands.contains(last_) ? test::Failed() : test::Completed(0);
    }
    const Bytes* answer = nullptr;
    if (cdb[2] == 0x21 && answers.contains(last_)) answer = &answers[last_];
    if (cdb[2] == 0x15) {
      if (refusedId3.contains(cdb[4])) return test::Failed();
      if (id3.contains(cdb[4])) answer = &id3[cdb[4]];
    }
    const Bytes none(in.size(), 0xFF);
    if (answer == nullptr) answer = &none;
    std::copy_n(answer->begin(), std::min(answer->size(), in.size()), in.begin());
    return test::Completed(in.size());
  }
  std::uint8_t last_ = 0;
};

struct KindCase {
  const char* name;
  std::function<void(FlashChip&)> setup;
  bool result;
  FlashKind kind;
  FlashOpcodeSet opcodes;
  std::size_t exchanges;  // requests sent
};

void PrintTo(const KindCase& c, std::ostream* os) { *os << c.name; }

const std::vector<KindCase>& KindCases() {
  static const std::vector<KindCase> cases = {
      {"Winbond", [](FlashChip& f) { f.answers[0x9F] = {0xEF, 0x40, 0x14, 0x00}; }, true, 6, kCommonOpcodes, 2},
      {"Sanyo", [](FlashChip& f) { f.answers[0x9F] = {0x62, 0x16, 0x00, 0x00}; }, true, 10,
       {0xC7, 0xD8, 0x02, 0xD7}, 2},
      {"AmicLong", [](FlashChip& f) { f.answers[0x9F] = {0x7F, 0x37, 0x20, 0x12}; }, true, 7, kCommonOpcodes, 2},
      {"AmicShort", [](FlashChip& f) { f.answers[0x9F] = {0x37, 0x30, 0x00, 0x00}; }, true, 7, kCommonOpcodes, 2},
      {"Pmc", [](FlashChip& f) { f.answers[0x9F] = {0x7F, 0x9D, 0x7C, 0x00}; }, true, 1, kCommonOpcodes, 2},
      {"AtmelByJedec", [](FlashChip& f) { f.answers[0x9F] = {0x1F, 0x45, 0x01, 0x00}; }, true, 4, kCommonOpcodes, 2},
      {"Mxic", [](FlashChip& f) { f.answers[0x9F] = {0xC2, 0x20, 0x10, 0x00}; }, true, 5, kCommonOpcodes, 2},
      {"St", [](FlashChip& f) { f.answers[0x9F] = {0x20, 0x20, 0x10, 0x00}; }, true, 3, kCommonOpcodes, 2},
      {"Eon", [](FlashChip& f) { f.answers[0x9F] = {0x1C, 0x31, 0x10, 0x00}; }, true, 8, kCommonOpcodes, 2},
      {"Esmt", [](FlashChip& f) { f.answers[0x9F] = {0x8C, 0x20, 0x10, 0x00}; }, true, 9, kCommonOpcodes, 2},
      {"SstByManufacturerId", [](FlashChip& f) { f.answers[0x90] = {0xFF, 0xFF, 0xFF, 0xBF}; }, true, 2,
       {0x60, 0x52, 0xAF, 0x20}, 4},
      {"PmcBySignature", [](FlashChip& f) { f.answers[0xAB] = {0x00, 0x00, 0x00, 0x9D}; }, true, 1,
       kCommonOpcodes, 6},
      {"StBySignature", [](FlashChip& f) { f.answers[0xAB] = {0x00, 0x00, 0x00, 0x05}; }, true, 3,
       kCommonOpcodes, 6},
      {"AtmelByProductId", [](FlashChip& f) { f.answers[0x15] = {0x1F, 0x65, 0x00, 0x00}; }, true, 4,
       {0x62, 0x52, 0x02, 0x20}, 8},
      {"AtmelByThreeByteRead", [](FlashChip& f) { f.id3[0x15] = {0x1F, 0x65, 0x00}; }, true, 4,
       {0x62, 0x52, 0x02, 0x20}, 9},
      {"StByThreeByteSignature", [](FlashChip& f) { f.id3[0xAB] = {0x05, 0x00, 0x00}; }, true, 3,
       kCommonOpcodes, 10},
      {"NothingMatches", [](FlashChip&) {}, false, 0, kCommonOpcodes, 10},
      {"JedecExchangeFailsStopsProbing", [](FlashChip& f) { f.refusedCommands.insert(0x9F); }, true, 0,
       kCommonOpcodes, 1},
      {"LaterExchangesFailButLastAnswers", [](FlashChip& f) {
         f.refusedCommands = {0x90, 0xAB, 0x15};
         f.refusedId3.insert(0x15);
         f.id3[0xAB] = {0x05, 0x00, 0x00};
       }, true, 3, kCommonOpcodes, 7},
  };
  return cases;
}

class DetectFlashKindTest : public testing::TestWithParam<KindCase> {};

TEST_P(DetectFlashKindTest, Detects) {
  const KindCase& c = GetParam();
  test::ScriptedPassThrough driver;
  FlashChip chip(driver);
  c.setup(chip);
  Transport transport(driver);
  FlashDetection detection{{1, 2, 3, 4}, 99};
  EXPECT_EQ(DetectFlashKind(transport, kPath, detection), c.result);
  EXPECT_EQ(detection.kind, c.kind);
  EXPECT_EQ(detection.opcodes, c.opcodes);
  EXPECT_EQ(driver.Requests().size(), c.exchanges);
}

INSTANTIATE_TEST_SUITE_P(Probes, DetectFlashKindTest, testing::ValuesIn(KindCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DetectFlashKind, ProbesInOrderWithTheirOwnCommands) {
  test::ScriptedPassThrough driver;
  FlashChip chip(driver);
  Transport transport(driver);
  FlashDetection detection;
  (void)DetectFlashKind(transport, kPath, detection);
  std::vector<Bytes> cdbs;
  for (const auto& r : driver.Requests()) cdbs.push_back(r.cdb);
  const std::vector<Bytes> expected = {
      test::Bytes("ff 04 20 01 01 9f 00 00 00 00 00 00"), test::Bytes("ff 04 21 00 00 00 00 00 00 00 00 00"),
      test::Bytes("ff 04 20 01 01 90 00 00 00 00 00 00"), test::Bytes("ff 04 21 00 00 00 00 00 00 00 00 00"),
      test::Bytes("ff 04 20 01 01 ab 00 00 00 00 00 00"), test::Bytes("ff 04 21 00 00 00 00 00 00 00 00 00"),
      test::Bytes("ff 04 20 01 01 15 00 00 00 00 00 00"), test::Bytes("ff 04 21 00 00 00 00 00 00 00 00 00"),
      test::Bytes("ff 04 15 03 15 00 00 00 00 00 00 00"), test::Bytes("ff 04 15 03 ab 03 00 00 00 00 00 00"),
  };
  EXPECT_EQ(cdbs, expected);
  EXPECT_EQ(driver.Requests()[1].length, 4u);
}

TEST(DetectAmicFlash, ModelsByFourthIdByte) {
  const std::vector<std::pair<Bytes, int>> cases = {
      {{0x7F, 0x37, 0x20, 0x12}, 1}, {{0x7F, 0x37, 0x20, 0x11}, 3}, {{0x7F, 0x37, 0x20, 0x20}, 4},
      {{0x7F, 0x37, 0x20, 0x10}, 5}, {{0x7F, 0x37, 0x20, 0x22}, -1}, {{0x37, 0x30, 0x20, 0x12}, -1},
      {{0xEF, 0x37, 0x20, 0x12}, -1},
  };
  for (const auto& [id, model] : cases) {
    test::ScriptedPassThrough driver;
    FlashChip chip(driver);
    chip.answers[0x9F] = id;
    Transport transport(driver);
    EXPECT_EQ(DetectAmicFlash(transport, kPath), model) << int(id[0]) << " " << int(id[3]);
  }
}

TEST(DetectAmicFlash, FailedExchangeGivesMinusOne) {
  test::ScriptedPassThrough driver;
  FlashChip chip(driver);
  chip.answers[0x9F] = {0x7F, 0x37, 0x20, 0x12};
  chip.refusedCommands.insert(0x9F);
  Transport transport(driver);
  EXPECT_EQ(DetectAmicFlash(transport, kPath), -1);
  EXPECT_EQ(driver.Requests().size(), 1u) << "no response is fetched after a failed command";
}

struct WaitCase {
  const char* name;
  std::vector<Bytes> statuses;  // answered in turn, last repeats
  bool refuse;
  bool ready;
  int sleeps;
};

TEST(WaitFlashReady, PollsEveryTenMillisecondsUpToLimit) {
  const WaitCase cases[] = {
      {"ReadyAtOnce", {{0x00}}, false, true, 0},
      {"Bit1IsNotBusy", {{0x02}}, false, true, 0},
      {"BusyThreeTimes", {{0x01}, {0x03}, {0x01}, {0x00}}, false, true, 3},
      {"StuckBusy", {{0x01}}, false, false, 502},
      {"ReadyOnLastReread", std::vector<Bytes>(502, Bytes{0x01}), false, true, 502},
      {"FailedReadsCountAsBusy", {{0x00}}, true, false, 502},
  };
  for (WaitCase c : cases) {
    test::ScriptedPassThrough driver;
    if (c.name == std::string("ReadyOnLastReread")) c.statuses.push_back({0x00});
    if (c.refuse) {
      driver.Refuse(kStatus);
    } else {
      driver.AnswerInTurn(kStatus, c.statuses);
    }
    Transport transport(driver);
    test::FakeHost host;
    EXPECT_EQ(WaitFlashReady({transport, host.host}, kPath), c.ready) << c.name;
    EXPECT_EQ(host.clock.SleepCount(), c.sleeps) << c.name;
    EXPECT_EQ(host.clock.Now(), c.sleeps * kFlashPollInterval) << c.name;
    EXPECT_EQ(driver.Requests().size(), static_cast<std::size_t>(c.sleeps + 1)) << c.name;
  }
}

TEST(WaitFlashReady, DeviceThatIsGoneEndsTheWaitAtOnce) {
  test::ScriptedPassThrough driver;
  driver.FailNextOpens(1000);  // NoDevice
  Transport transport(driver);
  test::FakeHost host;
  EXPECT_FALSE(WaitFlashReady({transport, host.host}, kPath));
  EXPECT_EQ(host.clock.SleepCount(), 0);
  EXPECT_EQ(driver.Requests().size(), 1u);
}

TEST(SpiQuery, SendsOpcodeThenFetchesAnswer) {
  test::ScriptedPassThrough driver;
  FlashChip chip(driver);
  chip.answers[0x9F] = {0xEF, 0x30, 0x10, 0x00};
  Transport transport(driver);
  Bytes answer(4);
  ASSERT_TRUE(SpiQuery(transport, kPath, 0x9F, answer));
  EXPECT_EQ(answer, (Bytes{0xEF, 0x30, 0x10, 0x00}));
  EXPECT_EQ(driver.CountOf(kSpiCommand), 1u);
  EXPECT_EQ(driver.CountOf(kSpiResponse), 1u);
  EXPECT_EQ(driver.CountOf(kReadId3), 0u);
}

TEST(FlashVendorNames, ByKind) {
  EXPECT_EQ(FlashVendorName(0), "Unknown");
  EXPECT_EQ(FlashVendorName(3), "ST/EON/MXIC");
  EXPECT_EQ(FlashVendorName(10), "SANYO");
  EXPECT_EQ(FlashVendorName(11), "Unknown");
}

}  // namespace
}  // namespace qfw
