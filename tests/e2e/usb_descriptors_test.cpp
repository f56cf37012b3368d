// The FunctionFS blobs: the header's length must be the blob's, and the
// interface must say mass storage, SCSI, Bulk-Only, or usb-storage never
// binds to it.

#include <gtest/gtest.h>

#include <vector>

#include "device/bytes.h"
#include "e2e/gadget/usb_descriptors.h"

namespace qfw::e2e {
namespace {

std::uint32_t Le32At(const std::vector<std::uint8_t>& blob, std::size_t offset) {
  return GetLe32(std::span(blob).subspan(offset).first<4>());
}

TEST(UsbDescriptorsTest, OneBulkOnlyInterfaceForFullAndHighSpeed) {
  const auto blob = MassStorageDescriptors();
  EXPECT_EQ(Le32At(blob, 0), 3u) << "descriptors magic, version 2";
  EXPECT_EQ(Le32At(blob, 4), blob.size());
  EXPECT_EQ(Le32At(blob, 8), 3u) << "full and high speed";
  EXPECT_EQ(Le32At(blob, 12), 3u);
  EXPECT_EQ(Le32At(blob, 16), 3u);
  ASSERT_EQ(blob.size(), 20u + 2 * (9 + 7 + 7));
  for (const auto& [offset, packet] : {std::pair{20u, 64u}, std::pair{43u, 512u}}) {
    const auto speed = std::span(blob).subspan(offset, 23);
    EXPECT_EQ(speed[0], 9);
    EXPECT_EQ(speed[1], 4) << "interface";
    EXPECT_EQ(speed[4], 2) << "two endpoints";
    EXPECT_EQ(speed[5], 0x08);
    EXPECT_EQ(speed[6], 0x06);
    EXPECT_EQ(speed[7], 0x50);
    for (const auto& [at, address] : {std::pair{9u, 0x81}, std::pair{16u, 0x02}}) {
      EXPECT_EQ(speed[at], 7);
      EXPECT_EQ(speed[at + 1], 5) << "endpoint";
      EXPECT_EQ(speed[at + 2], address);
      EXPECT_EQ(speed[at + 3], 2) << "bulk";
      EXPECT_EQ(speed[at + 4] | (speed[at + 5] << 8), static_cast<int>(packet));
    }
  }
}

TEST(UsbDescriptorsTest, StringsInEnglishWithTheTerminator) {
  const auto blob = InterfaceStrings("Bridge");
  EXPECT_EQ(Le32At(blob, 0), 2u) << "strings magic";
  EXPECT_EQ(Le32At(blob, 4), blob.size());
  EXPECT_EQ(Le32At(blob, 8), 1u);
  EXPECT_EQ(Le32At(blob, 12), 1u);
  EXPECT_EQ(blob[16], 0x09);
  EXPECT_EQ(blob[17], 0x04);
  EXPECT_EQ(std::string(blob.begin() + 18, blob.end()), std::string("Bridge", 7));
}

}  // namespace
}  // namespace qfw::e2e
