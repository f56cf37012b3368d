// The embedded family-13 stand-in image and the store that carries it.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "device/bytes.h"
#include "flash/embedded_image.h"
#include "flash/image_checksum.h"
#include "flash/image_layout.h"
#include "resources/embedded_resources.h"
#include "resources/family13_image.h"
#include "tests/support/fake_host.h"
#include "tests/support/scripted_pass_through.h"

namespace qfw {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::string_view TextAt(std::span<const std::uint8_t> image, std::size_t offset, std::size_t length) {
  return {reinterpret_cast<const char*>(image.data() + offset), length};
}

// The text stored NUL-terminated at offset.
std::string_view CStringAt(std::span<const std::uint8_t> image, std::size_t offset) {
  const auto rest = image.subspan(offset);
  const auto end = std::ranges::find(rest, 0);
  return TextAt(image, offset, static_cast<std::size_t>(end - rest.begin()));
}

TEST(Family13Image, HasTheFamily13Layout) {
  const auto image = Family13ImageBytes();
  ASSERT_EQ(image.size(), 49408u);
  EXPECT_EQ(Bytes(image.begin() + 0xBFF0, image.begin() + 0xBFF4), (Bytes{0x55, 0xAA, 0xAA, 0x55}));
  EXPECT_EQ(TextAt(image, 0xBFF4, 4), "6421");
  EXPECT_EQ(Bytes(image.begin() + 0xBFF8, image.begin() + 0xBFFE), Bytes(6, 0x00));
  EXPECT_EQ(GetBe16(image.subspan<0xBFFE, 2>()), 0x768Bu);
  EXPECT_EQ(ImageCrc16(image.first(0xBFFC), 0), 0x768B);
}

TEST(Family13Image, ConfigBlockIsSignedAndNamesTheProduct) {
  const auto block = Family13ImageBytes().subspan(kConfigOffset13, kConfigSize13);
  EXPECT_TRUE(HasConfigSignature(block));
  EXPECT_EQ(CStringAt(block, 0x10), "Quorell");
  EXPECT_EQ(CStringAt(block, 0x30), "QRS642 4-bay");
  EXPECT_EQ(TextAt(block, 0xCE, 2), "QR");
}

TEST(Family13Image, CodeAreaIsAMarkedStandIn) {
  const auto image = Family13ImageBytes();
  EXPECT_EQ(CStringAt(image, 0), "Quorell QRS642 stand-in image: not controller firmware");
  const auto filler = image.subspan(0x40, 0xBFEC - 0x40);
  EXPECT_FALSE(IsBlankArea(filler));
  // Filler, not a repeated pattern: most 16-byte rows differ from the next.
  std::size_t repeats = 0;
  for (std::size_t row = 0; row + 32 <= filler.size(); row += 16) {
    repeats += std::ranges::equal(filler.subspan(row, 16), filler.subspan(row + 16, 16)) ? 1 : 0;
  }
  EXPECT_EQ(repeats, 0u);
}

TEST(EmbeddedResources, HoldsOnlyTheFamily13Image) {
  const EmbeddedResources store;
  const auto found = store.Find("QRS642", "FW6701");
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(found->data(), Family13ImageBytes().data());
  EXPECT_EQ(found->size(), 49408u);

  const std::pair<std::string_view, std::string_view> absent[] = {
      {"QRS641", "FW6701"}, {"QRS641", "FW1802"}, {"QRS641", "FW0255"}, {"QRS642", "FW0701"},
      {"FW", "FW614"},      {"FW", "FW621A"},     {"FW", "FW621B"},     {"qrs642", "FW6701"},
      {"QRS642", "fw6701"}, {"QRS642", ""},       {"", "FW6701"},
  };
  for (const auto& [type, name] : absent) {
    EXPECT_FALSE(store.Find(type, name).has_value()) << type << "/" << name;
  }
}

// The store as the flash layer sees it: a controller reporting firmware
// 07.01 gets the fallback image, whose block LoadEmbeddedImage copies.
TEST(EmbeddedResources, ServesTheFallbackImageToTheFlashLayer) {
  test::ScriptedPassThrough driver;
  Bytes chipInfo(16, 0);
  chipInfo[0] = 0xF4;
  chipInfo[1] = 0xE7;
  chipInfo[12] = 7;
  chipInfo[13] = 1;
  driver.Answer("e0 f4 e7", chipInfo);
  Transport transport(driver);
  test::FakeHost fake;
  const EmbeddedResources store;
  Host host{fake.clock, fake.messages, fake.debug, fake.pump, fake.progress, store};
  const Context context{transport, host};

  std::array<std::uint8_t, 256> block{};
  EXPECT_EQ(FindEmbeddedImage(context, "/dev/sg1", true), "FW6701");
  EXPECT_EQ(LoadEmbeddedImage(context, "/dev/sg1", block, 0xC000, 256, true), 49408u);
  EXPECT_TRUE(std::ranges::equal(block, Family13ImageBytes().subspan(0xC000, 256)));
  EXPECT_EQ(LoadEmbeddedImage(context, "/dev/sg1", block, 0, 128, false), 0u);
}

}  // namespace
}  // namespace qfw
