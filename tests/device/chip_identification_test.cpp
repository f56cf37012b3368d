// Chip identification: every route to a family and the revision rules.

#include <gtest/gtest.h>

#include <functional>

#include "device/chip_identification.h"
#include "tests/support/fake_host.h"
#include "tests/support/scripted_pass_through.h"

namespace qfw {
namespace {

using Bytes = std::vector<std::uint8_t>;
const std::string kPath = "/dev/sg2";

constexpr const char* kInquiry = "12";
constexpr const char* kIdentify = "df 10 00 00 02 00 00 00 00 00 00 ff";
constexpr const char* kChipInfo = "e0 f4 e7";
constexpr const char* kChipCode = "ff 04 30";
constexpr const char* kVariant = "df 10 00 00 04 00 fd b0";

Bytes InquiryWithCode(const std::string& code) {
  Bytes data(40, ' ');
  data[0] = 0x00;
  std::copy(code.begin(), code.end(), data.begin() + 36);
  return data;
}

Bytes ChipInfo(Bytes usbIds, const std::string& tag, char revision, bool magic = true) {
  Bytes info(16, 0);
  if (magic) {
    info[0] = 0xF4;
    info[1] = 0xE7;
  }
  std::copy(usbIds.begin(), usbIds.end(), info.begin() + 2);
  std::copy(tag.begin(), tag.end(), info.begin() + 8);
  info[11] = static_cast<std::uint8_t>(revision);
  return info;
}

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

struct IdentifyCase {
  const char* name;
  std::function<void(test::ScriptedPassThrough&)> script;
  ChipId expected;
  std::size_t messages = 0;
};

void PrintTo(const IdentifyCase& c, std::ostream* os) { *os << c.name; }

const std::vector<IdentifyCase>& Cases() {
  using S = test::ScriptedPassThrough;
  static const std::vector<IdentifyCase> cases = {
      {"InquiryQ642", [](S& s) { s.Answer(kInquiry, InquiryWithCode("q642")); }, 0x000D},
      {"Q641Variant", [](S& s) {
         s.Answer(kInquiry, InquiryWithCode("q641"));
         s.Answer(kVariant, {0x00, 0xB4, 0x00, 0x00});
       }, 0x090A},
      {"Q641BelowVariant", [](S& s) {
         s.Answer(kInquiry, InquiryWithCode("q641"));
         s.Answer(kVariant, {0x00, 0xB3, 0x00, 0x00});
       }, 0x000A},
      {"Q641MemoryReadFails", [](S& s) {
         s.Answer(kInquiry, InquiryWithCode("q641"));
         s.Refuse(kVariant);
       }, 0x000A},
      {"ChipInfoTag642", [](S& s) {
         s.Answer(kInquiry, InquiryWithCode("    "));
         s.Answer(kChipInfo, ChipInfo({0x1D, 0x6B, 0x06, 0x42}, "642", '1'));
       }, 0x010D},
      {"ChipInfoUsbIdsGiveFamily18", [](S& s) {
         s.Answer(kInquiry, InquiryWithCode("    "));
         s.Answer(kChipInfo, ChipInfo({0x3C, 0x5B, 0x7E, 0x12}, "642", '4'));
       }, 0x0012},
      {"UsbIdsAreMatchedAsUnpaddedHexText", [](S& s) {
         // 03 C5 and 07 E1 format as "3C5" and "7E1": not the family-18 ids.
         s.Answer(kInquiry, InquiryWithCode("    "));
         s.Answer(kChipInfo, ChipInfo({0x03, 0xC5, 0x07, 0xE1}, "613", '0'));
       }, 0x0003},
      {"UnknownTagThenChipCodeDecides", [](S& s) {
         s.Answer(kInquiry, InquiryWithCode("    "));
         s.Answer(kChipInfo, ChipInfo({0x1D, 0x6B, 0x06, 0x42}, "999", '3'));
         s.Answer(kChipCode, Text("q614C1xx"));
       }, 0x0204},
      {"UnknownTagKeepsRevisionFromChipInfo", [](S& s) {
         s.Answer(kInquiry, InquiryWithCode("    "));
         s.Answer(kChipInfo, ChipInfo({0x1D, 0x6B, 0x06, 0x42}, "999", '3'));
         s.Answer(kChipCode, Text("zzzzzzzz"));
       }, 0x0300},
      {"NoMagicIdentify60", [](S& s) {
         s.Answer(kInquiry, InquiryWithCode("    "));
         s.Answer(kIdentify, {0x60, 0x00});
         s.Answer(kChipInfo, ChipInfo({}, "", 0, false));
       }, 0x0011},
      {"NoMagicIdentify00", [](S& s) {
         s.Answer(kInquiry, InquiryWithCode("    "));
         s.Answer(kIdentify, {0x00, 0x00});
         s.Answer(kChipInfo, ChipInfo({}, "", 0, false));
       }, 0x000E},
      {"NoMagicIdentifyA0IgnoresBit7", [](S& s) {
         s.Answer(kInquiry, InquiryWithCode("    "));
         s.Answer(kIdentify, {0xA0, 0x00});
         s.Answer(kChipInfo, ChipInfo({}, "", 0, false));
       }, 0x000F},
      {"IdentifyWithoutDataIsNoAnswer", [](S& s) {
         // A plain USB disk completes every vendor command without data.
         s.Answer(kInquiry, InquiryWithCode("    "));
         s.Answer(kIdentify, {});
         s.Answer(kChipInfo, {});
       }, 0x0000},
      {"IdentifyFailsEndsBranch", [](S& s) {
         s.Answer(kInquiry, InquiryWithCode("    "));
         s.Refuse(kIdentify);
         s.Answer(kChipInfo, ChipInfo({0x1D, 0x6B, 0x06, 0x42}, "642", '1'));
         s.Refuse(kChipCode);
       }, 0x0000},
      {"InquiryFailsChipCodeQ631A", [](S& s) {
         s.Refuse(kInquiry);
         s.Answer(kChipCode, Text("q631A2zz"));
       }, 0x030B},
      {"ChipCodeQ621ZeroRevisionCharacter", [](S& s) {
         s.Answer(kInquiry, InquiryWithCode("q621"));
         s.Answer(kChipCode, Bytes{'q', '6', '2', '1', 'B', 0x00, 0, 0});
       }, 0x0106},
      {"ChipCodeQ621RevisionCharacter", [](S& s) {
         s.Answer(kInquiry, InquiryWithCode("q621"));
         s.Answer(kChipCode, Text("q621B1zz"));
       }, 0x0206},
      {"Q611ChipCodeFails", [](S& s) {
         s.Answer(kInquiry, InquiryWithCode("q611"));
         s.Refuse(kChipCode);
       }, 0x0101},
      {"Q613ChipCodeFailsKeepsRevision", [](S& s) {
         s.Answer(kInquiry, InquiryWithCode("q613"));
         s.Refuse(kChipCode);
       }, 0x0003},
      {"Q611MovedToFamily4ByChipCode", [](S& s) {
         s.Answer(kInquiry, InquiryWithCode("q611"));
         s.Answer(kChipCode, Text("q614C0zz"));
       }, 0x0104},
      {"InquiryCodeIsCaseSensitive", [](S& s) {
         s.Answer(kInquiry, InquiryWithCode("Q642"));
         s.Refuse(kIdentify);
         s.Refuse(kChipCode);
       }, 0x0000},
      {"Q622Revision2", [](S& s) {
         s.Answer(kInquiry, InquiryWithCode("q622"));
         s.Answer(kChipInfo, ChipInfo({0x1D, 0x6B, 0x06, 0x22}, "622", '2'));
       }, 0x0207},
      {"Q622UnreadableRevisionTellsUser", [](S& s) {
         s.Answer(kInquiry, InquiryWithCode("q622"));
         s.Answer(kChipInfo, ChipInfo({0x1D, 0x6B, 0x06, 0x22}, "622", '3'));
       }, 0x0007, 1},
      {"Q622ChipInfoWithoutMagicTellsUser", [](S& s) {
         s.Answer(kInquiry, InquiryWithCode("q622"));
         s.Answer(kChipInfo, ChipInfo({}, "622", '1', false));
       }, 0x0007, 1},
      {"Q622ChipInfoFailsTellsUser", [](S& s) {
         s.Answer(kInquiry, InquiryWithCode("q622"));
         s.Refuse(kChipInfo);
       }, 0x0007, 1},
      {"NothingAnswers", [](S& s) { s.FailNextOpens(100); }, 0x0000},
  };
  return cases;
}

class IdentifyChipTest : public testing::TestWithParam<IdentifyCase> {};

TEST_P(IdentifyChipTest, GivesChipId) {
  const IdentifyCase& c = GetParam();
  test::ScriptedPassThrough driver;
  c.script(driver);
  Transport transport(driver);
  test::FakeHost host;
  const Context context{transport, host.host};
  EXPECT_EQ(IdentifyChip(context, kPath), c.expected);
  EXPECT_EQ(host.messages.shown.size(), c.messages);
  for (const auto& shown : host.messages.shown) {
    EXPECT_EQ(shown.text, "Get chip information fail !");
    EXPECT_EQ(shown.caption, "Error");
    EXPECT_EQ(shown.icon, MessageIcon::Error);
  }
}

INSTANTIATE_TEST_SUITE_P(Routes, IdentifyChipTest, testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(IdentifyChip, Family7ReadsTwelveBytesOfChipInfo) {
  test::ScriptedPassThrough driver;
  driver.Answer(kInquiry, InquiryWithCode("q622"));
  driver.Answer(kChipInfo, ChipInfo({}, "622", '1'));
  Transport transport(driver);
  test::FakeHost host;
  EXPECT_EQ(IdentifyChip({transport, host.host}, kPath), 0x0107);
  ASSERT_EQ(driver.Requests().size(), 2u);
  EXPECT_EQ(driver.Requests()[1].length, 12u);
}

TEST(IdentifyChip, InquiryCodeSkipsIdentifyAndChipInfo) {
  test::ScriptedPassThrough driver;
  driver.Answer(kInquiry, InquiryWithCode("q642"));
  Transport transport(driver);
  test::FakeHost host;
  (void)IdentifyChip({transport, host.host}, kPath);
  ASSERT_EQ(driver.Requests().size(), 1u);
  EXPECT_EQ(driver.Requests()[0].length, 40u);
}

TEST(IsSupportedFamily, OnlyFamilies10And13) {
  const std::vector<std::pair<std::string, bool>> cases = {
      {"q642", true}, {"q641", true}, {"q611", false}, {"q632", false}, {"    ", false}};
  for (const auto& [code, supported] : cases) {
    test::ScriptedPassThrough driver;
    driver.Answer(kInquiry, InquiryWithCode(code));
    driver.Answer(kVariant, {0x00, 0xB4, 0x00, 0x00});  // revision 9 still counts
    Transport transport(driver);
    test::FakeHost host;
    EXPECT_EQ(IsSupportedFamily({transport, host.host}, kPath), supported) << code;
  }
}

TEST(ChipNameTable, NamesByFamily) {
  EXPECT_EQ(ChipName(13), "QRS642 Series");
  EXPECT_EQ(ChipName(10), "QRS641/642 Series");
  EXPECT_EQ(ChipName(18), "QR40612");
  EXPECT_EQ(ChipName(0), "Unknown Chip");
  EXPECT_EQ(ChipName(19), "Unknown Chip");
}

}  // namespace
}  // namespace qfw
