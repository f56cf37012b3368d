// The configuration merge of an update: which bytes of the device's block
// survive, and the two bits of family-10 byte 47.

#include <gtest/gtest.h>

#include <array>
#include <set>

#include "app/config_merge.h"

namespace qfw {
namespace {

template <std::size_t N>
std::array<std::uint8_t, N> Block(std::uint8_t seed, bool signature) {
  std::array<std::uint8_t, N> block{};
  for (std::size_t i = 0; i < N; ++i) block[i] = static_cast<std::uint8_t>(seed + i * 7);
  block[N - 2] = signature ? 'Q' : 'X';
  block[N - 1] = signature ? 'R' : 'Y';
  return block;
}

// Positions whose merged byte came from the image (device and image differ
// everywhere by construction); position skip is left out.
template <std::size_t N>
std::set<std::size_t> FromImage(const std::array<std::uint8_t, N>& merged, const std::array<std::uint8_t, N>& image,
                                const std::array<std::uint8_t, N>& device, std::size_t skip = N) {
  std::set<std::size_t> positions;
  for (std::size_t i = 0; i < N; ++i) {
    if (i == skip) continue;
    EXPECT_TRUE(merged[i] == image[i] || merged[i] == device[i]) << "position " << i;
    if (merged[i] == image[i]) positions.insert(i);
  }
  return positions;
}

TEST(ConfigMerge, Family13KeepsAllButTwentyPositions) {
  auto device = Block<256>(0x10, true);
  auto image = Block<256>(0x91, true);
  image[254] = 'Q';
  image[255] = 'R';
  device[254] = 'Q';
  device[255] = 'R';
  const auto merged = MergeFamily13Block(device, image);
  std::set<std::size_t> expected{4, 5, 9, 11, 47, 81, 82, 83, 85};
  for (std::size_t i = 117; i <= 127; ++i) expected.insert(i);
  // The signature bytes are equal in both blocks.
  auto taken = FromImage(merged, image, device);
  taken.erase(254);
  taken.erase(255);
  EXPECT_EQ(taken, expected);
}

TEST(ConfigMerge, Family13WithoutSignatureTakesTheImageBlock) {
  const auto device = Block<256>(0x10, false);
  const auto image = Block<256>(0x91, true);
  EXPECT_EQ(MergeFamily13Block(device, image), image);
}

TEST(ConfigMerge, Family10TakesTwentyThreePositions) {
  const auto device = Block<128>(0x10, true);
  auto image = Block<128>(0x91, true);
  image[126] = 'Q';
  image[127] = 'R';
  const auto merged = MergeFamily10Block(device, image, true);
  std::set<std::size_t> expected{4, 5, 9, 11, 13, 46, 49, 81, 82, 83, 85};
  for (std::size_t i = 117; i <= 125; ++i) expected.insert(i);
  auto taken = FromImage(merged, image, device, 47);  // byte 47: below
  taken.erase(126);
  taken.erase(127);
  EXPECT_EQ(taken, expected);
}

// Bit 1 of byte 47 by the memory bit and the device's former bit 1; bit 2
// always set; the other six bits the image's.
TEST(ConfigMerge, Family10Byte47) {
  struct Row {
    bool memoryBit;
    bool deviceBit1;
    bool imageBit1;
    bool writtenBit1;
  };
  const Row rows[] = {
      {false, false, false, true}, {false, true, false, true}, {false, false, true, true},
      {true, false, true, false},  {true, false, false, false}, {true, true, false, false},
      {true, true, true, true},
  };
  for (const Row& row : rows) {
    auto device = Block<128>(0x10, true);
    auto image = Block<128>(0x91, true);
    device[47] = row.deviceBit1 ? 0xFA : 0xF8;
    image[47] = static_cast<std::uint8_t>(0x29 | (row.imageBit1 ? 0x02 : 0x00));
    const std::uint8_t written = MergeFamily10Block(device, image, row.memoryBit)[47];
    SCOPED_TRACE(testing::Message() << "memory bit " << row.memoryBit << ", device bit 1 " << row.deviceBit1
                                    << ", image bit 1 " << row.imageBit1);
    EXPECT_EQ((written & 0x02) != 0, row.writtenBit1);
    EXPECT_EQ(written & 0x04, 0x04);
    EXPECT_EQ(written & ~0x06, 0x29 & ~0x06);
  }
}

TEST(ConfigMerge, Family10WithoutSignatureJudgesBit1ByTheImage) {
  auto device = Block<128>(0x10, false);
  auto image = Block<128>(0x91, true);
  device[47] = 0x00;
  image[47] = 0x02;
  auto expected = image;
  expected[47] = 0x06;
  EXPECT_EQ(MergeFamily10Block(device, image, true), expected) << "memory bit set, image bit 1 set: kept";
  image[47] = 0x00;
  expected = image;
  expected[47] = 0x04;
  EXPECT_EQ(MergeFamily10Block(device, image, true), expected) << "memory bit set, image bit 1 clear: cleared";
}

}  // namespace
}  // namespace qfw
