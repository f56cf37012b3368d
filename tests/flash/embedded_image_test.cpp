// Choosing and copying the embedded image, the configuration-block
// signature, and the already-updated check.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "device/bytes.h"
#include "flash/embedded_image.h"
#include "tests/support/fake_host.h"
#include "tests/support/scripted_pass_through.h"

namespace qfw {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A 16-byte chip-information record with the version bytes the names are
// made from.
Bytes ChipInfo(std::uint8_t shortVersion, std::uint8_t long0, std::uint8_t long1) {
  Bytes info(16, 0);
  info[0] = 0xF4;
  info[1] = 0xE7;
  info[6] = shortVersion;
  info[12] = long0;
  info[13] = long1;
  return info;
}

// Bytes that differ from position to position.
Bytes Pattern(std::size_t size, std::uint8_t seed) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + (i >> 9) + seed);
  return bytes;
}

// A controller that names its chip in the INQUIRY data, answers the chip
// information, and serves block reads from a 64 KiB flash.
class Bridge {
 public:
  explicit Bridge(test::ScriptedPassThrough& driver) {
    driver.SetHandler([this](const test::RecordedRequest& r, std::span<std::uint8_t> in) { return Handle(r, in); });
  }
  std::string inquiryCode = "q642";
  std::optional<Bytes> chipInfo = ChipInfo(0, 7, 1);  // nothing: the read fails
  Bytes flash = Bytes(0x10000, 0xFF);
  bool refuseFlashReads = false;

 private:
  ScsiResult Handle(const test::RecordedRequest& r, std::span<std::uint8_t> in) {
    std::ranges::fill(in, 0);
    if (r.cdb[0] == 0x12) {
      std::ranges::copy(inquiryCode, in.begin() + 36);
    } else if (r.cdb[0] == 0xE0) {
      if (!chipInfo) return test::Failed();
      std::copy_n(chipInfo->begin(), std::min(chipInfo->size(), in.size()), in.begin());
    } else if (r.cdb[0] == 0xDF && r.cdb[11] == 0xFA) {
      if (refuseFlashReads) return test::Failed();
      const std::uint32_t address = GetBe24(std::span<const std::uint8_t>(r.cdb).subspan<8, 3>());
      std::copy_n(flash.begin() + address, in.size(), in.begin());
    }
    return test::Completed(in.size());
  }
};

class EmbeddedImageTest : public ::testing::Test {
 protected:
  test::ScriptedPassThrough driver;
  Bridge bridge{driver};
  Transport transport{driver};
  test::FakeHost fake;
  Context context{transport, fake.host};
  const std::string path = "/dev/sg2";
};

struct NameCase {
  const char* what;
  bool family13;
  std::optional<Bytes> chipInfo;
  std::vector<std::pair<std::string, std::string>> resources;  // type, name
  std::string name;
};

TEST_F(EmbeddedImageTest, NamesTheImageByTheReportedVersion) {
  const NameCase cases[] = {
      {"13: FW0701 absent falls back", true, ChipInfo(0, 7, 1), {}, "FW6701"},
      {"13: FW0701 present", true, ChipInfo(0, 7, 1), {{"QRS642", "FW0701"}}, "FW0701"},
      {"13: looked up by its own type", true, ChipInfo(0, 7, 1), {{"QRS641", "FW0701"}}, "FW6701"},
      {"13: three-digit number", true, ChipInfo(0, 100, 5), {{"QRS642", "FW10005"}}, "FW10005"},
      {"10: 18.x absent falls back to FW1802", false, ChipInfo(18, 3, 0), {}, "FW1802"},
      {"10: 18.x present", false, ChipInfo(18, 3, 0), {{"QRS641", "FW1803"}}, "FW1803"},
      {"10: 18.2", false, ChipInfo(18, 2, 0), {}, "FW1802"},
      {"10: FW0500 absent falls back to FW0255", false, ChipInfo(5, 9, 9), {}, "FW0255"},
      {"10: FW0300 present", false, ChipInfo(3, 9, 9), {{"QRS641", "FW0300"}}, "FW0300"},
      {"bad magic", true, Bytes(16, 0x00), {{"QRS642", "FW0000"}}, ""},
      {"failed read", false, std::nullopt, {}, ""},
  };
  for (const NameCase& c : cases) {
    test::FakeHost host;
    for (const auto& [type, name] : c.resources) host.resources.Add(type, name, Bytes(300, 0x11));
    bridge.chipInfo = c.chipInfo;
    const Context local{transport, host.host};
    EXPECT_EQ(FindEmbeddedImage(local, path, c.family13), c.name) << c.what;
  }
}

TEST_F(EmbeddedImageTest, AnUnreadableChipInformationLoadsNothing) {
  fake.resources.Add("QRS642", "FW6701", Pattern(49408, 1));
  bridge.chipInfo = Bytes(16, 0x00);
  Bytes destination(256, 0xEE);
  EXPECT_EQ(LoadEmbeddedImage(context, path, destination, 0xC000, 256, true), 0u);
  EXPECT_EQ(destination, Bytes(256, 0xEE));
}

struct CopyCase {
  std::size_t offset;
  std::size_t length;
  std::size_t destination;
  std::size_t copied;  // from the offset on
};

TEST_F(EmbeddedImageTest, CopiesTheRequestedRangeAndNeverMoreThanTheDestination) {
  const Bytes image = Pattern(49408, 3);
  fake.resources.Add("QRS642", "FW6701", image);
  const CopyCase cases[] = {
      {0xC000, 256, 256, 256},      // the configuration block
      {0, 0, 0x10000, 49408},       // the whole image
      {128, 0, 0x10000, 49280},     // from 128 to the end
      {0xC000, 512, 512, 256},      // only up to the end of the image
      {0, 0xC000, 0x10000, 0xC000}, // the code area
      {0, 0, 1000, 1000},           // a destination shorter than the image
      {0xC000, 512, 100, 100},
      {60000, 0, 256, 0},           // an offset beyond the image
  };
  for (const CopyCase& c : cases) {
    Bytes destination(c.destination, 0xEE);
    EXPECT_EQ(LoadEmbeddedImage(context, path, destination, c.offset, c.length, true), 49408u) << c.offset;
    const auto copied = std::span(destination).first(c.copied);
    EXPECT_TRUE(std::ranges::equal(copied, std::span(image).subspan(c.offset, c.copied))) << c.offset;
    EXPECT_TRUE(std::ranges::all_of(std::span(destination).subspan(c.copied), [](auto b) { return b == 0xEE; }))
        << c.offset << "/" << c.length;
  }
}

TEST_F(EmbeddedImageTest, ThisBuildLoadsNoFamily10Image) {
  fake.resources.Add("QRS642", "FW6701", Pattern(49408, 3));
  bridge.chipInfo = ChipInfo(18, 2, 0);
  Bytes destination(128, 0xEE);
  EXPECT_EQ(LoadEmbeddedImage(context, path, destination, 0, 128, false), 0u);
  EXPECT_EQ(destination, Bytes(128, 0xEE));
}

TEST(HasConfigSignature, LooksAtTheLastTwoBytesOnly) {
  Bytes block(256, 0x00);
  block[254] = 0x51;
  block[255] = 0x52;
  EXPECT_TRUE(HasConfigSignature(block));
  EXPECT_TRUE(HasConfigSignature(std::span(block).last(128)));
  EXPECT_TRUE(HasConfigSignature(std::span(block).last(2)));
  std::swap(block[254], block[255]);
  EXPECT_FALSE(HasConfigSignature(block));

  Bytes signedInTheMiddle(256, 0x00);
  signedInTheMiddle[0xCE] = 0x51;
  signedInTheMiddle[0xCF] = 0x52;
  EXPECT_FALSE(HasConfigSignature(signedInTheMiddle));
  EXPECT_FALSE(HasConfigSignature(Bytes{0x52}));
  EXPECT_FALSE(HasConfigSignature({}));
}

// A device whose flash holds the embedded family-13 image (and erased flash
// after it), with one byte changed per case.
class AlreadyUpdatedTest : public EmbeddedImageTest {
 protected:
  void SetUp() override {
    fake.resources.Add("QRS642", "FW6701", image13);
    std::ranges::copy(image13, bridge.flash.begin());
  }
  const Bytes image13 = Pattern(49408, 5);
};

TEST_F(AlreadyUpdatedTest, ComparesTheCodeAreaUpToTheChecksum) {
  const struct {
    std::optional<std::size_t> changed;
    bool updated;
  } cases[] = {
      {std::nullopt, true}, {0x0000, false}, {0xBFF0, false}, {0xBFFC, false}, {0xBFFD, false},
      {0xBFFE, true},       {0xBFFF, true},  {0xC000, true},  {0xC0FF, true},  {0xC100, true},
      {0xFFFF, true},
  };
  for (const auto& c : cases) {
    bridge.flash.assign(0x10000, 0xFF);
    std::ranges::copy(image13, bridge.flash.begin());
    if (c.changed) bridge.flash[*c.changed] ^= 0x01;
    EXPECT_EQ(IsAlreadyUpdated(context, path), c.updated) << std::hex << c.changed.value_or(0);
  }
}

TEST_F(AlreadyUpdatedTest, ReadsTheWholeFlashWithTheBlockCommands) {
  EXPECT_TRUE(IsAlreadyUpdated(context, path));
  EXPECT_EQ(driver.CountOf("df 10 00 20 00"), 8u);
}

TEST_F(AlreadyUpdatedTest, AFailedFlashReadCountsAsNotUpdated) {
  bridge.refuseFlashReads = true;
  EXPECT_FALSE(IsAlreadyUpdated(context, path));
}

TEST_F(AlreadyUpdatedTest, WithoutAnImageNothingCountsAsUpdated) {
  bridge.chipInfo = std::nullopt;  // no name, so no image
  bridge.flash.assign(0x10000, 0x00);
  EXPECT_FALSE(IsAlreadyUpdated(context, path));
}

TEST_F(AlreadyUpdatedTest, OtherFamiliesAreNeverUpdatedAndNotRead) {
  bridge.inquiryCode = "q612";
  EXPECT_FALSE(IsAlreadyUpdated(context, path));
  EXPECT_EQ(driver.CountOf("df 10 00 20 00"), 0u);
}

TEST_F(AlreadyUpdatedTest, Family10WithoutAnImageIsNotUpdated) {
  bridge.inquiryCode = "q641";
  bridge.chipInfo = ChipInfo(5, 0, 0);
  EXPECT_FALSE(IsAlreadyUpdated(context, path));
}

TEST_F(AlreadyUpdatedTest, Family10ComparesEverythingAfterItsConfigBlock) {
  const Bytes image10 = Pattern(30000, 9);
  fake.resources.Add("QRS641", "FW0255", image10);
  bridge.inquiryCode = "q641";
  bridge.chipInfo = ChipInfo(5, 0, 0);
  const struct {
    std::optional<std::size_t> changed;
    bool updated;
  } cases[] = {
      {std::nullopt, true}, {0, true}, {127, true}, {128, false}, {29999, false}, {30000, true},
  };
  for (const auto& c : cases) {
    bridge.flash.assign(0x10000, 0xFF);
    std::ranges::copy(image10, bridge.flash.begin());
    if (c.changed) bridge.flash[*c.changed] ^= 0x01;
    EXPECT_EQ(IsAlreadyUpdated(context, path), c.updated) << c.changed.value_or(0);
  }
}

}  // namespace
}  // namespace qfw
