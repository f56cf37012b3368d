// The firmware version text.

#include <gtest/gtest.h>

#include <array>

#include "app/firmware_version.h"

namespace qfw {
namespace {

std::array<std::uint8_t, 16> Info(std::array<std::uint8_t, 2> magic) {
  std::array<std::uint8_t, 16> info{};
  info[0] = magic[0];
  info[1] = magic[1];
  info[6] = 2;
  info[7] = 5;
  info[12] = 1;
  info[13] = 2;
  info[14] = 3;
  return info;
}

TEST(FirmwareVersion, LongFormFromThirteenBytes) {
  const auto info = Info({0xF4, 0xE7});
  EXPECT_EQ(VersionTextFromChipInfo(info, 16), "Ver 1.02.03");
  EXPECT_EQ(VersionTextFromChipInfo(info, 13), "Ver 1.02.03");
  EXPECT_EQ(VersionTextFromChipInfo(info, 12), "Ver 2.05");
}

TEST(FirmwareVersion, NumbersPrintUnsignedAndWide) {
  auto info = Info({0xF4, 0xE7});
  info[12] = 200;
  info[13] = 123;
  info[14] = 0;
  EXPECT_EQ(VersionTextFromChipInfo(info, 16), "Ver 200.123.00");
}

TEST(FirmwareVersion, WithoutMagicNoText) {
  EXPECT_EQ(VersionTextFromChipInfo(Info({0x00, 0x00}), 16), "");
}

TEST(FirmwareVersion, DefaultsByFamily) {
  EXPECT_EQ(DefaultVersionText(0), "00.00");
  for (std::uint8_t f : {1, 2, 4}) EXPECT_EQ(DefaultVersionText(f), "02.00");
  for (std::uint8_t f : {3, 10, 13, 18}) EXPECT_EQ(DefaultVersionText(f), "01.00");
}

}  // namespace
}  // namespace qfw
