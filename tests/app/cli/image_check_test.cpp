// The checks an image file passes before anything is sent to a device.

#include "app/cli/image_check.h"

#include <gtest/gtest.h>

#include <functional>

#include "tests/app/cli/cli_images.h"

namespace qfw::cli {
namespace {

using test::Bytes;

struct Damage {
  const char* name;
  std::function<void(Bytes&)> apply;
  const char* says;  // part of the problem text
};

TEST(Family13ImageCheckTest, AcceptsTheEmbeddedAndAnotherValidImage) {
  EXPECT_EQ(Family13ImageProblem(test::EmbeddedImage13()), std::nullopt);
  EXPECT_EQ(Family13ImageProblem(test::OtherImage13(7)), std::nullopt);
}

TEST(Family13ImageCheckTest, NamesWhatIsWrongWithAFile) {
  const std::vector<Damage> damages{
      {"too short", [](Bytes& b) { b.pop_back(); }, "49407 bytes"},
      {"a whole flash", [](Bytes& b) { b.resize(65536, 0); }, "65536 bytes"},
      {"empty", [](Bytes& b) { b.clear(); }, "0 bytes"},
      {"marker", [](Bytes& b) { b[0xBFF2] = 0x55; }, "marker"},
      {"tag of another chip", [](Bytes& b) { b[0xBFF6] = '1'; }, "tag"},
      {"tag without revision digit", [](Bytes& b) { b[0xBFF7] = 'x'; }, "tag"},
      {"code changed", [](Bytes& b) { b[0x2000] ^= 1; }, "checksum"},
      {"checksum changed", [](Bytes& b) { b[0xBFFF] ^= 1; }, "checksum"},
      {"configuration signature", [](Bytes& b) { b[0xC0FF] = 'r'; }, "signature"},
  };
  for (const Damage& damage : damages) {
    Bytes image = test::EmbeddedImage13();
    damage.apply(image);
    const auto problem = Family13ImageProblem(image);
    ASSERT_TRUE(problem) << damage.name;
    EXPECT_NE(problem->find(damage.says), std::string::npos) << damage.name << ": " << *problem;
  }
}

TEST(Family13ImageCheckTest, TheBytesTheChecksumDoesNotCoverMayDiffer) {
  Bytes image = test::EmbeddedImage13();
  image[0xBFFC] ^= 0xFF;
  image[0xC010] ^= 0xFF;  // the ConfigBlock
  EXPECT_EQ(Family13ImageProblem(image), std::nullopt);
}

TEST(FlashImageCheckTest, Family13FlashNeedsSizeMarkerTagAndChecksum) {
  EXPECT_EQ(FlashImageProblem(test::OlderFlash13(), 13), std::nullopt);
  const std::vector<Damage> damages{
      {"image only", [](Bytes& b) { b.resize(0xC100); }, "49408 bytes"},
      {"blank", [](Bytes& b) { std::ranges::fill(b, 0xFF); }, "marker"},
      {"tag", [](Bytes& b) { b[0xBFF4] = '5'; }, "tag"},
      {"checksum", [](Bytes& b) { b[0x10] ^= 0x80; }, "checksum"},
  };
  for (const Damage& damage : damages) {
    Bytes flash = test::OlderFlash13();
    damage.apply(flash);
    const auto problem = FlashImageProblem(flash, 13);
    ASSERT_TRUE(problem) << damage.name;
    EXPECT_NE(problem->find(damage.says), std::string::npos) << damage.name << ": " << *problem;
  }
}

TEST(FlashImageCheckTest, Family10FlashNeedsItsSignatureAndFirmware) {
  Bytes flash(65536, 0x5A);
  flash[126] = 'Q';
  flash[127] = 'R';
  EXPECT_EQ(FlashImageProblem(flash, 10), std::nullopt);
  Bytes unsigned10 = flash;
  unsigned10[127] = 0;
  EXPECT_NE(FlashImageProblem(unsigned10, 10)->find("signature"), std::string::npos);
  Bytes empty10(65536, 0xFF);
  empty10[126] = 'Q';
  empty10[127] = 'R';
  EXPECT_NE(FlashImageProblem(empty10, 10)->find("no firmware"), std::string::npos);
}

TEST(FlashImageCheckTest, OtherFamiliesAreRefused) {
  EXPECT_NE(FlashImageProblem(test::OlderFlash13(), 6)->find("QRB621"), std::string::npos);
}

}  // namespace
}  // namespace qfw::cli
