// The Bulk-Only wrappers: a CBW is taken only when every field is valid, and
// the CSW carries tag, residue and status little-endian after "USBS".

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "e2e/gadget/bulk_only.h"

namespace qfw::e2e {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The CBW the kernel sends for a 36-byte INQUIRY, tag 0x01020304.
Bytes InquiryCbw() {
  return Bytes{0x55, 0x53, 0x42, 0x43, 0x04, 0x03, 0x02, 0x01, 0x24, 0x00, 0x00, 0x00, 0x80, 0x00, 0x06, 0x12,
               0x00, 0x00, 0x00, 0x24, 0x00, 0,    0,    0,    0,    0,    0,    0,    0,    0,    0};
}

TEST(BulkOnlyTest, ParsesTheKernelsInquiryCbw) {
  const auto cbw = ParseCbw(InquiryCbw());
  ASSERT_TRUE(cbw);
  EXPECT_EQ(cbw->tag, 0x01020304u);
  EXPECT_EQ(cbw->dataLength, 36u);
  EXPECT_TRUE(cbw->dataIn);
  EXPECT_EQ(Bytes(cbw->Cdb().begin(), cbw->Cdb().end()), (Bytes{0x12, 0, 0, 0, 0x24, 0}));
}

TEST(BulkOnlyTest, KeepsAllSixteenCdbBytesAndTheOutDirection) {
  Bytes raw = InquiryCbw();
  raw[12] = 0x00;
  raw[14] = 16;
  for (std::size_t i = 0; i < 16; ++i) raw[15 + i] = static_cast<std::uint8_t>(0xA0 + i);
  const auto cbw = ParseCbw(raw);
  ASSERT_TRUE(cbw);
  EXPECT_FALSE(cbw->dataIn);
  ASSERT_EQ(cbw->Cdb().size(), 16u);
  EXPECT_EQ(cbw->Cdb()[15], 0xAF);
}

TEST(BulkOnlyTest, RefusesInvalidWrappers) {
  const std::vector<std::pair<const char*, std::function<void(Bytes&)>>> cases{
      {"one byte short", [](Bytes& b) { b.pop_back(); }},
      {"one byte long", [](Bytes& b) { b.push_back(0); }},
      {"signature", [](Bytes& b) { b[3] = 0x53; }},
      {"reserved flag bit", [](Bytes& b) { b[12] = 0x81; }},
      {"second LUN", [](Bytes& b) { b[13] = 0x01; }},
      {"reserved LUN bits", [](Bytes& b) { b[13] = 0x10; }},
      {"empty CDB", [](Bytes& b) { b[14] = 0; }},
      {"CDB of 17 bytes", [](Bytes& b) { b[14] = 17; }},
      {"reserved length bits", [](Bytes& b) { b[14] = 0x26; }},
  };
  for (const auto& [name, spoil] : cases) {
    Bytes raw = InquiryCbw();
    spoil(raw);
    EXPECT_FALSE(ParseCbw(raw)) << name;
  }
}

TEST(BulkOnlyTest, CswCarriesTagResidueAndStatus) {
  const auto csw = BuildCsw(0xA1B2C3D4, 0x00010203, CswStatus::Failed);
  EXPECT_EQ(Bytes(csw.begin(), csw.end()),
            (Bytes{0x55, 0x53, 0x42, 0x53, 0xD4, 0xC3, 0xB2, 0xA1, 0x03, 0x02, 0x01, 0x00, 0x01}));
  EXPECT_EQ(BuildCsw(1, 0, CswStatus::PhaseError)[12], 0x02);
}

}  // namespace
}  // namespace qfw::e2e
