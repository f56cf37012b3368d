// Image assembly: the family-13 and family-10 images byte for byte, the
// checksum, the refusals, and the block-command support probe.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "flash/image_assembly.h"
#include "flash/image_checksum.h"
#include "tests/flash/fake_flash_bridge.h"

namespace qfw {
namespace {

using test::Chunk;
using Bytes = std::vector<std::uint8_t>;

// The chip information names "FW0201" for family 13 (absent, so the image
// falls back to "FW6701") and "FW1802" for family 10.
const Bytes kChipInfo = test::ChipInfoRecord(18, 2, 1);

Bytes Embedded13() {
  Bytes image = test::Pattern(0xC100, 41);
  const Bytes tail = {0x55, 0xAA, 0xAA, 0x55, '6', '4', '2', '1', 0, 0, 0, 0, 0, 0, 0xAA, 0xAA};  // stale checksum
  std::ranges::copy(tail, image.begin() + 0xBFF0);
  image[0xC0FE] = 0x51;
  image[0xC0FF] = 0x52;
  return image;
}

Bytes Embedded10() {
  Bytes image = test::Pattern(30000, 77);
  image[126] = 0x51;
  image[127] = 0x52;
  return image;
}

void Place(Bytes& to, std::size_t at, std::span<const std::uint8_t> from) { std::ranges::copy(from, to.begin() + at); }

Bytes WithChecksum(Bytes image) {
  const std::uint16_t crc = ImageCrc16(std::span(image).first(0xBFFC), 0);
  image[0xBFFE] = static_cast<std::uint8_t>(crc >> 8);
  image[0xBFFF] = static_cast<std::uint8_t>(crc);
  return image;
}

// What a case starts from and what it is built of.
struct Inputs {
  Bytes device = test::Pattern(0x10000, 21);
  Bytes embedded13 = Embedded13();
  Bytes embedded10 = Embedded10();
  std::array<std::uint8_t, 256> block13{};
  std::array<std::uint8_t, 128> block10{};
  Inputs() {
    std::ranges::fill(block13, 0x13);
    std::ranges::fill(block10, 0x10);
  }
};

std::span<const std::uint8_t> Range(const Bytes& bytes, std::size_t from, std::size_t to) {
  return std::span(bytes).subspan(from, to - from);
}

// Fills the device's flash, embeds the images and answers the chip
// information.
class ImageAssemblyTest : public testing::Test {
 protected:
  void SetUp() override {
    bench.bridge.chipInfo = kChipInfo;
    bench.host.resources.Add("QRS642", "FW6701", in.embedded13);
    bench.host.resources.Add("QRS641", "FW1802", in.embedded10);
  }
  void Start() { bench.bridge.flash = in.device; }
  // The flash reads sent before the first write.
  std::vector<Chunk> ReadsBeforeWriting() const {
    std::vector<Chunk> reads;
    for (const auto& r : bench.driver.Requests()) {
      if (test::AsBlockCommand(r, test::kWriteFlashBlockCode)) break;
      if (const auto read = test::AsBlockCommand(r, test::kReadFlashBlockCode)) reads.push_back(*read);
    }
    return reads;
  }

  Inputs in;
  test::FlashBench bench;
};

std::vector<Chunk> WholeFlashReads() {
  std::vector<Chunk> reads;
  for (std::uint32_t a = 0; a < 0x10000; a += 8192) reads.push_back({a, 8192, 0});
  return reads;
}

struct ImageCase {
  const char* name;
  bool fromDevice;
  bool fromEmbedded;
  std::function<void(Inputs&, test::FlashBench&)> prepare;
  std::function<Bytes(const Inputs&)> expected;
  std::vector<Chunk> deviceReads;
};

void PrintTo(const ImageCase& c, std::ostream* os) { *os << c.name; }

const auto kNothing = [](Inputs&, test::FlashBench&) {};

void MarkDeviceBlockKept(Inputs& in, test::FlashBench&) {
  in.device[0xC0CE] = 0x51;
  in.device[0xC0CF] = 0x52;
}

// The device block carries the signature in its last bytes, but not the
// mark at 0xC0CE.
void SignDeviceBlockOnly(Inputs& in, test::FlashBench&) {
  in.device[0xC0CE] = 0x00;
  in.device[0xC0FE] = 0x51;
  in.device[0xC0FF] = 0x52;
}

// The embedded code over the device's 4 KiB from 0xC000, zeros after.
Bytes CodeOverDeviceArea(const Inputs& in, std::size_t embeddedLength) {
  Bytes image(0x10000, 0);
  Place(image, 0xC000, Range(in.device, 0xC000, 0xD000));
  Place(image, 0, Range(in.embedded13, 0, embeddedLength));
  return WithChecksum(image);
}

class Family13Image : public ImageAssemblyTest, public testing::WithParamInterface<ImageCase> {};

TEST_P(Family13Image, IsBuiltAndWritten) {
  const ImageCase& c = GetParam();
  c.prepare(in, bench);
  Start();

  EXPECT_TRUE(ProgramFamily13Image(bench.context, bench.path, c.fromDevice, c.fromEmbedded, in.block13));

  EXPECT_EQ(bench.bridge.flash, c.expected(in));
  EXPECT_EQ(ReadsBeforeWriting(), c.deviceReads);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Family13Image,
    testing::Values(
        ImageCase{"BothSources", true, true, kNothing,
                  [](const Inputs& in) {
                    Bytes image(0x10000, 0);
                    Place(image, 0, Range(in.embedded13, 0, 0xC000));
                    Place(image, 0xC000, in.block13);
                    return WithChecksum(image);
                  },
                  {}},
        ImageCase{"DeviceOnly", true, false, kNothing,
                  [](const Inputs& in) {
                    Bytes image = in.device;
                    Place(image, 0xC000, in.block13);
                    return WithChecksum(image);
                  },
                  WholeFlashReads()},
        ImageCase{"EmbeddedKeepsMarkedDeviceBlock", false, true, MarkDeviceBlockKept,
                  [](const Inputs& in) { return CodeOverDeviceArea(in, 0xC000); }, {{0xC000, 4096, 0}}},
        ImageCase{"EmbeddedReplacesUnmarkedDeviceBlock", false, true, SignDeviceBlockOnly,
                  [](const Inputs& in) { return CodeOverDeviceArea(in, 0xC100); }, {{0xC000, 4096, 0}}},
        ImageCase{"EmbeddedReplacesBlankDeviceArea", false, true,
                  [](Inputs& in, test::FlashBench&) {
                    for (std::size_t i = 0xC000; i < 0xD000; ++i) in.device[i] = i % 3 ? 0xFF : 0x00;
                  },
                  [](const Inputs& in) { return CodeOverDeviceArea(in, 0xC100); }, {{0xC000, 4096, 0}}},
        ImageCase{"EmbeddedAfterFailedDeviceRead", false, true,
                  [](Inputs& in, test::FlashBench& bench) {
                    MarkDeviceBlockKept(in, bench);
                    bool first = true;
                    bench.bridge.refuse = [first](const test::RecordedRequest& r) mutable {
                      if (!test::AsBlockCommand(r, test::kReadFlashBlockCode) || !first) return false;
                      first = false;
                      return true;
                    };
                  },
                  [](const Inputs& in) {
                    Bytes image(0x10000, 0);
                    Place(image, 0, in.embedded13);
                    return WithChecksum(image);
                  },
                  {{0xC000, 4096, 0}}}),
    [](const auto& info) { return std::string(info.param.name); });

class Family10Image : public ImageAssemblyTest, public testing::WithParamInterface<ImageCase> {};

TEST_P(Family10Image, IsBuiltAndWritten) {
  const ImageCase& c = GetParam();
  c.prepare(in, bench);
  Start();

  EXPECT_TRUE(ProgramFamily10Image(bench.context, bench.path, c.fromDevice, c.fromEmbedded, in.block10));

  EXPECT_EQ(bench.bridge.flash, c.expected(in));
  EXPECT_EQ(ReadsBeforeWriting(), c.deviceReads);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Family10Image,
    testing::Values(ImageCase{"BothSources", true, true, kNothing,
                              [](const Inputs& in) {
                                Bytes image = in.device;
                                Place(image, 0, in.block10);
                                Place(image, 128, Range(in.embedded10, 128, in.embedded10.size()));
                                return image;
                              },
                              WholeFlashReads()},
                    ImageCase{"DeviceOnly", true, false, kNothing,
                              [](const Inputs& in) {
                                Bytes image = in.device;
                                Place(image, 0, in.block10);
                                return image;
                              },
                              WholeFlashReads()},
                    ImageCase{"EmbeddedOnly", false, true, kNothing,
                              [](const Inputs& in) {
                                Bytes image(0x10000, 0);
                                Place(image, 128, Range(in.embedded10, 128, in.embedded10.size()));
                                return image;
                              },
                              {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ImageAssemblyTest, ChecksumLeavesOutTheBlockAndTheTwoBytesBeforeIt) {
  Start();
  ASSERT_TRUE(ProgramFamily13Image(bench.context, bench.path, true, true, in.block13));
  const Bytes first = bench.bridge.flash;

  in.embedded13[0xBFFC] ^= 0xFF;
  in.embedded13[0xBFFD] ^= 0xFF;
  bench.host.resources.Add("QRS642", "FW6701", in.embedded13);
  std::ranges::fill(in.block13, 0x77);
  ASSERT_TRUE(ProgramFamily13Image(bench.context, bench.path, true, true, in.block13));

  EXPECT_EQ(bench.bridge.flash[0xBFFE], first[0xBFFE]);
  EXPECT_EQ(bench.bridge.flash[0xBFFF], first[0xBFFF]);
  EXPECT_NE(Bytes(first.begin() + 0xBFFE, first.begin() + 0xC000), Bytes({0xAA, 0xAA}));
}

// Family 13 always lets the flash be identified by its id answers; family
// 10 only with the variant flag (controller byte 0xFDB1 at 0xB4 or more).
struct DetectCase {
  const char* name;
  bool family13;
  std::uint8_t variantByte;
  bool identifies;
};

void PrintTo(const DetectCase& c, std::ostream* os) { *os << c.name; }

class DetectFlag : public ImageAssemblyTest, public testing::WithParamInterface<DetectCase> {};

TEST_P(DetectFlag, DecidesWhetherTheFlashIsIdentified) {
  const DetectCase& c = GetParam();
  bench.bridge.memory[0xFDB0] = {0x00, c.variantByte, 0x00, 0x00};
  bench.bridge.spiAnswers[0x9F] = {0xC2, 0x20, 0x10, 0x00};  // MXIC
  Start();

  const bool written = c.family13 ? ProgramFamily13Image(bench.context, bench.path, true, true, in.block13)
                                  : ProgramFamily10Image(bench.context, bench.path, true, true, in.block10);

  EXPECT_TRUE(written);
  EXPECT_EQ(bench.driver.CountOf("ff 04 20 01 01 9f") > 0, c.identifies);
  // An identified MXIC flash gets the preparatory write before the image.
  const std::vector<Chunk> expected = c.identifies ? std::vector<Chunk>{{0, 4096, 2}, {0, 4096, 0x82}}
                                                   : std::vector<Chunk>{{0, 4096, 2}, {4096, 8192, 0}};
  const auto writes = test::Writes(bench.driver);
  ASSERT_GE(writes.size(), 2u);
  EXPECT_EQ(std::vector<Chunk>(writes.begin(), writes.begin() + 2), expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, DetectFlag,
                         testing::Values(DetectCase{"Family13", true, 0x00, true},
                                         DetectCase{"Family10Variant", false, 0xB4, true},
                                         DetectCase{"Family10Plain", false, 0xB3, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// Cases that stop before anything is written.
struct RefusalCase {
  const char* name;
  bool family13;
  bool fromDevice;
  bool fromEmbedded;
  bool imagesEmbedded;
  int failingRead;  // 1-based flash read that fails; 0: none
  bool sendsNothing;
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class Refusal : public testing::TestWithParam<RefusalCase> {};

TEST_P(Refusal, WritesNothing) {
  const RefusalCase& c = GetParam();
  test::FlashBench bench;
  bench.bridge.chipInfo = kChipInfo;
  const Inputs in;
  if (c.imagesEmbedded) {
    bench.host.resources.Add("QRS642", "FW6701", in.embedded13);
    bench.host.resources.Add("QRS641", "FW1802", in.embedded10);
  }
  bench.bridge.flash = in.device;
  int reads = 0;
  bench.bridge.refuse = [&](const test::RecordedRequest& r) {
    return test::AsBlockCommand(r, test::kReadFlashBlockCode) && ++reads == c.failingRead;
  };

  const bool result = c.family13
                          ? ProgramFamily13Image(bench.context, bench.path, c.fromDevice, c.fromEmbedded, in.block13)
                          : ProgramFamily10Image(bench.context, bench.path, c.fromDevice, c.fromEmbedded, in.block10);

  EXPECT_FALSE(result);
  EXPECT_TRUE(test::Writes(bench.driver).empty());
  EXPECT_EQ(bench.bridge.flash, in.device);
  if (c.sendsNothing) {
    EXPECT_TRUE(bench.driver.Requests().empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Refusal,
    testing::Values(RefusalCase{"Family13NoImageBoth", true, true, true, false, 0, false},
                    RefusalCase{"Family13NoImageEmbeddedOnly", true, false, true, false, 0, false},
                    RefusalCase{"Family10NoImageBoth", false, true, true, false, 0, false},
                    RefusalCase{"Family10NoImageEmbeddedOnly", false, false, true, false, 0, false},
                    RefusalCase{"Family13FailedWholeRead", true, true, false, true, 3, false},
                    RefusalCase{"Family10FailedWholeRead", false, true, false, true, 3, false},
                    RefusalCase{"Family10FailedWholeReadBoth", false, true, true, true, 8, false},
                    RefusalCase{"Family13NoSource", true, false, false, true, 0, true},
                    RefusalCase{"Family10NoSource", false, false, false, true, 0, true}),
    [](const auto& info) { return std::string(info.param.name); });

struct ProbeCase {
  const char* name;
  std::uint8_t family;
  const char* readCdb;  // the memory read expected
  Bytes memory;
  bool supported;
};

void PrintTo(const ProbeCase& c, std::ostream* os) { *os << c.name; }

class ProbeBlockCommands : public testing::TestWithParam<ProbeCase> {};

TEST_P(ProbeBlockCommands, ReadsTheControllersMemory) {
  const ProbeCase& c = GetParam();
  test::ScriptedPassThrough driver;
  Transport transport(driver);
  driver.Answer(c.readCdb, c.memory);

  EXPECT_EQ(ProbeBlockCommandSupport(transport, "/dev/sg3", c.family), c.supported);
  ASSERT_EQ(driver.Requests().size(), 1u);
  EXPECT_EQ(driver.Requests()[0].cdb, test::Bytes(c.readCdb));
}

constexpr const char* kProbe10 = "df 10 00 00 04 00 50 5e 00 00 00 fd";
constexpr const char* kProbe13 = "df 10 00 00 04 00 50 80 00 00 00 fd";

INSTANTIATE_TEST_SUITE_P(
    Cases, ProbeBlockCommands,
    testing::Values(ProbeCase{"Family10Supported", 10, kProbe10, {0x07, 0x00, 0x01, 0xFF}, true},
                    ProbeCase{"Family10SecondByteSet", 10, kProbe10, {0x07, 0x01, 0x01, 0xFF}, false},
                    ProbeCase{"Family10ThirdByteNotOne", 10, kProbe10, {0x07, 0x00, 0x02, 0xFF}, false},
                    ProbeCase{"Family10OuterBytesIgnored", 10, kProbe10, {0x00, 0x00, 0x01, 0x00}, true},
                    ProbeCase{"OtherFamilyLikeFamily10", 0, kProbe10, {0x07, 0x00, 0x01, 0xFF}, true},
                    ProbeCase{"Family13Version8", 13, kProbe13, {0x08, 0x00, 0x00, 0x00}, true},
                    ProbeCase{"Family13VersionFF", 13, kProbe13, {0xFF, 0x00, 0x00, 0x00}, true},
                    ProbeCase{"Family13Version7", 13, kProbe13, {0x07, 0x00, 0x01, 0xFF}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProbeBlockCommandSupport, FailedReadMeansNoSupport) {
  for (const std::uint8_t family : {10, 13}) {
    test::ScriptedPassThrough driver;
    Transport transport(driver);
    driver.Answer("df", {0x08, 0x00, 0x01, 0xFF});
    driver.FailNextRequests(1);
    EXPECT_FALSE(ProbeBlockCommandSupport(transport, "/dev/sg3", family)) << int{family};
  }
}

}  // namespace
}  // namespace qfw
