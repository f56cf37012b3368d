// The image checksum's known values and the blank test.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flash/image_checksum.h"

namespace qfw {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(ImageCrc16, KnownValues) {
  const std::string letters = "abcdefgh";
  const struct {
    Bytes data;
    std::uint16_t crc;
  } cases[] = {
      {{0x01, 0x00, 0x00, 0x00}, 0x1021},
      {{0x00, 0x00, 0x00, 0x01}, 0x76B4},
      {Bytes(letters.begin(), letters.end()), 0xD1FD},
      {{0x01, 0x02, 0x03}, 0x0000},                          // no whole group
      {{0x01, 0x00, 0x00, 0x00, 0xAA, 0xBB, 0xCC}, 0x1021},  // trailing bytes ignored
      {{}, 0x0000},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ImageCrc16(c.data, 0), c.crc) << c.data.size() << " bytes";
  }
}

TEST(ImageCrc16, InitialValueIsTheStartingRegister) {
  EXPECT_EQ(ImageCrc16(Bytes{1, 2, 3}, 0xBEEF), 0xBEEF);
  EXPECT_NE(ImageCrc16(Bytes{0, 0, 0, 0}, 0xBEEF), 0xBEEF);
}

TEST(IsBlankArea, OnlyZeroAndFfCount) {
  Bytes ff(4096, 0xFF), zero(4096, 0x00), mixed(4096);
  for (std::size_t i = 0; i < mixed.size(); ++i) mixed[i] = i % 2 ? 0xFF : 0x00;
  EXPECT_TRUE(IsBlankArea(ff));
  EXPECT_TRUE(IsBlankArea(zero));
  EXPECT_TRUE(IsBlankArea(mixed));
  EXPECT_TRUE(IsBlankArea({}));
  for (Bytes* area : {&ff, &zero, &mixed}) {
    (*area)[2049] = 0x01;
    EXPECT_FALSE(IsBlankArea(*area));
  }
}

}  // namespace
}  // namespace qfw
