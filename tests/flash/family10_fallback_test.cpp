// The family-10 fallback: the image built from the flags, erase, blank
// proof, page programming and verify with the older flash commands, and the
// paged read with its status text.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "device/bytes.h"
#include "flash/family10_fallback.h"
#include "tests/support/fake_host.h"
#include "tests/support/scripted_pass_through.h"

namespace qfw {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr const char* kRead = "ff 04 10";
constexpr const char* kWrite = "ff 04 11";
constexpr const char* kStatus = "ff 04 12";
constexpr const char* kChipErase = "ff 04 13";
constexpr const char* kSectorErase = "ff 04 14";
constexpr std::string_view kNotReady = "0.1 Device initial not ready!!";

Bytes Pattern(std::size_t size, std::uint8_t seed) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 13 + (i >> 8) + seed);
  return bytes;
}

// One serial-flash command as the bridge saw it.
struct FlashCommand {
  std::uint8_t code;
  std::uint32_t address;
  std::size_t length;
  Bytes data;
};

// A controller with the older serial-flash commands over a flash array.
// Erases set their range to 0xFF unless told they do not work.
class LegacyBridge {
 public:
  explicit LegacyBridge(test::ScriptedPassThrough& driver) : driver_(driver) {
    driver.SetHandler([this](const test::RecordedRequest& r, std::span<std::uint8_t> in) { return Handle(r, in); });
  }
  Bytes flash = Pattern(0x10000, 0x5A);
  bool sectorEraseWorks = true;
  bool chipEraseWorks = true;
  int busyStatusReads = 0;  // status reads answered busy before the flash is ready
  Bytes chipInfo = {0xF4, 0xE7, 0, 0, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0};  // firmware 5: image "FW0255"
  std::function<bool(const FlashCommand&)> refuse;                        // fails the commands it picks
  std::function<void(std::span<std::uint8_t>)> afterRead;                  // alters what is read

  // The serial-flash commands with the given code, in order.
  std::vector<FlashCommand> Commands(std::uint8_t code) const {
    std::vector<FlashCommand> found;
    for (const auto& r : driver_.Requests()) {
      if (r.cdb[0] == 0xFF && r.cdb[1] == 0x04 && r.cdb[2] == code) found.push_back(Decode(r));
    }
    return found;
  }
  std::vector<std::uint32_t> Addresses(std::uint8_t code) const {
    std::vector<std::uint32_t> addresses;
    for (const auto& c : Commands(code)) addresses.push_back(c.address);
    return addresses;
  }

 private:
  static FlashCommand Decode(const test::RecordedRequest& r) {
    return {r.cdb[2], GetBe24(std::span<const std::uint8_t>(r.cdb).subspan<3, 3>()), r.length, r.dataOut};
  }

  void Erase(std::uint32_t address, std::size_t length) {
    const auto end = std::min(flash.size(), std::size_t{address} + length);
    if (address < end) std::fill(flash.begin() + address, flash.begin() + static_cast<std::ptrdiff_t>(end), 0xFF);
  }

  ScsiResult Handle(const test::RecordedRequest& r, std::span<std::uint8_t> in) {
    std::ranges::fill(in, 0);
    if (r.cdb[0] == 0xE0) {
      std::copy_n(chipInfo.begin(), std::min(chipInfo.size(), in.size()), in.begin());
      return test::Completed(in.size());
    }
    if (r.cdb[0] != 0xFF || r.cdb[1] != 0x04) return test::Completed(r.length);
    const FlashCommand c = Decode(r);
    if (refuse && refuse(c)) return test::Failed();
    switch (c.code) {
      case 0x10:
        if (c.address + c.length > flash.size()) return test::Failed();
        std::copy_n(flash.begin() + c.address, c.length, in.begin());
        if (afterRead) afterRead(in);
        break;
      case 0x11:
        if (c.address + c.length > flash.size()) return test::Failed();
        std::ranges::copy(c.data, flash.begin() + c.address);
        break;
      case 0x12:
        in[0] = busyStatusReads > 0 ? 0x01 : 0x00;
        if (busyStatusReads > 0) --busyStatusReads;
        break;
      case 0x13:
        if (chipEraseWorks) Erase(0, flash.size());
        break;
      case 0x14:
        if (sectorEraseWorks) Erase(c.address, 0x8000);
        break;
    }
    return test::Completed(in.size());
  }

  test::ScriptedPassThrough& driver_;
};

class Family10FallbackTest : public ::testing::Test {
 protected:
  bool Program(std::span<const std::uint8_t> image) {
    return LegacyEraseProgramVerify(context, settings, path, image);
  }
  bool ReadPaged(std::span<std::uint8_t> destination, std::uint32_t address = 0) {
    return ReadFlashPaged(context, settings, path, address, destination);
  }
  std::size_t CountOf(const char* prefix) const { return driver.CountOf(prefix); }

  test::ScriptedPassThrough driver;
  LegacyBridge bridge{driver};
  Transport transport{driver};
  test::FakeHost fake;
  Context context{transport, fake.host};
  TransferSettings settings;
  const std::string path = "/dev/sg5";
};

// --- ReadFlashPaged

TEST_F(Family10FallbackTest, PagedReadSendsOnePageCommandPerPageAndADotEach) {
  Bytes destination(0x10000);
  ASSERT_TRUE(ReadPaged(destination));
  EXPECT_EQ(bridge.Addresses(0x10), (std::vector<std::uint32_t>{0, 16384, 32768, 49152}));
  for (const auto& c : bridge.Commands(0x10)) EXPECT_EQ(c.length, 16384u);
  EXPECT_EQ(destination, bridge.flash);
  EXPECT_EQ(fake.progress.status, "ReadFlash.......");
  EXPECT_EQ(fake.pump.count, 5);  // after the text, and after every page
  EXPECT_TRUE(fake.debug.lines.empty());
}

TEST_F(Family10FallbackTest, PagedReadUsesThePageSizeOfTheSettings) {
  settings.transferPageSize = 2048;
  Bytes destination(0x10000);
  ASSERT_TRUE(ReadPaged(destination));
  EXPECT_EQ(CountOf(kRead), 32u);
  EXPECT_EQ(fake.progress.status, "ReadFlash..." + std::string(32, '.'));
}

TEST_F(Family10FallbackTest, PagedReadStopsAtTheFirstFailedPage) {
  bridge.refuse = [](const FlashCommand& c) { return c.code == 0x10 && c.address == 16384; };
  Bytes destination(0x10000);
  EXPECT_FALSE(ReadPaged(destination));
  EXPECT_EQ(CountOf(kRead), 2u);
  EXPECT_EQ(fake.progress.status, "ReadFlash....");
}

TEST_F(Family10FallbackTest, PagedReadWaitsForTheFlashBeforeEveryPage) {
  Bytes destination(0x10000);
  ASSERT_TRUE(ReadPaged(destination));
  // The first wait, then one before each page.
  EXPECT_EQ(CountOf(kStatus), 5u);
  const auto& requests = driver.Requests();
  for (std::size_t i = 1; i < requests.size(); ++i) {
    if (requests[i].cdb[2] == 0x10) {
      EXPECT_EQ(requests[i - 1].cdb[2], 0x12) << i;
    }
  }
}

TEST_F(Family10FallbackTest, ALastPartPageIsReadWholeButOnlyWhatFitsIsKept) {
  Bytes destination(40000, 0xEE);
  ASSERT_TRUE(ReadPaged(destination, 0x2000));
  EXPECT_EQ(bridge.Addresses(0x10), (std::vector<std::uint32_t>{0x2000, 0x6000, 0xA000}));
  for (const auto& c : bridge.Commands(0x10)) EXPECT_EQ(c.length, 16384u);
  EXPECT_TRUE(std::ranges::equal(destination, std::span(bridge.flash).subspan(0x2000, 40000)));
}

TEST_F(Family10FallbackTest, PagedReadRefusesAPageSizeOfZeroOrLess) {
  for (const int pageSize : {0, -1, -16384}) {
    settings.transferPageSize = pageSize;
    Bytes destination(0x10000, 0xEE);
    EXPECT_FALSE(ReadPaged(destination)) << pageSize;
    EXPECT_EQ(destination, Bytes(0x10000, 0xEE));
  }
  EXPECT_TRUE(driver.Requests().empty());
}

TEST_F(Family10FallbackTest, PagedReadOfNothingReadsNothing) {
  EXPECT_FALSE(ReadPaged({}));
  EXPECT_EQ(CountOf(kRead), 0u);
}

TEST_F(Family10FallbackTest, AFirstWaitThatTimesOutIsReportedAndTheReadGoesOn) {
  bridge.busyStatusReads = 503;  // the first read and all 502 re-reads
  Bytes destination(0x10000);
  EXPECT_TRUE(ReadPaged(destination));
  EXPECT_EQ(fake.debug.lines, std::vector<std::string>{std::string(kNotReady)});
  EXPECT_EQ(CountOf(kRead), 4u);
  EXPECT_EQ(fake.clock.Now(), std::chrono::milliseconds(5020));
}

// --- LegacyEraseProgramVerify

TEST_F(Family10FallbackTest, ASuccessfulWriteErasesProgramsAndVerifies) {
  const Bytes image = Pattern(0x10000, 0x21);
  ASSERT_TRUE(Program(image));
  EXPECT_EQ(bridge.flash, image);
  EXPECT_EQ(fake.progress.steps, (std::vector<int>{10, 10, 10, 10, 10}));
  EXPECT_EQ(bridge.Addresses(0x14), (std::vector<std::uint32_t>{0, 0x8000}));
  EXPECT_EQ(CountOf(kChipErase), 0u);  // blank after the sector erases
  std::vector<std::uint32_t> pages;
  for (std::uint32_t a = 0; a < 0x10000; a += 8192) pages.push_back(a);
  EXPECT_EQ(bridge.Addresses(0x11), pages);
  for (const auto& c : bridge.Commands(0x11)) EXPECT_EQ(c.length, 8192u);
  EXPECT_EQ(CountOf(kRead), 8u);  // blank check and verify, four pages each
  EXPECT_EQ(fake.clock.Now(), std::chrono::milliseconds(500));  // the pause before the verify
}

TEST_F(Family10FallbackTest, ALengthOfPartPagesIsProgrammedInWholePagesPaddedWithZeros) {
  const Bytes image = Pattern(60000, 0x33);
  ASSERT_TRUE(Program(image));
  const auto writes = bridge.Commands(0x11);
  ASSERT_EQ(writes.size(), 8u);
  const Bytes& last = writes.back().data;
  ASSERT_EQ(last.size(), 8192u);
  EXPECT_TRUE(std::ranges::equal(std::span(last).first(8192 - 5536), std::span(image).subspan(57344)));
  EXPECT_TRUE(std::ranges::all_of(std::span(last).last(5536), [](auto b) { return b == 0x00; }));
  EXPECT_EQ(bridge.Addresses(0x14), (std::vector<std::uint32_t>{0, 0x8000}));
}

TEST_F(Family10FallbackTest, AFlashNotBlankAfterTheSectorErasesIsChipErased) {
  bridge.sectorEraseWorks = false;
  const Bytes image = Pattern(0x10000, 0x44);
  ASSERT_TRUE(Program(image));
  EXPECT_EQ(CountOf(kChipErase), 1u);
  EXPECT_EQ(CountOf(kRead), 12u);  // blank check, check after the chip erase, verify
  EXPECT_EQ(fake.clock.Now(), std::chrono::milliseconds(1000));
  EXPECT_EQ(bridge.flash, image);
}

TEST_F(Family10FallbackTest, ARefusedChipEraseStillProgramsAndTheVerifyDecides) {
  bridge.sectorEraseWorks = false;
  bridge.refuse = [](const FlashCommand& c) { return c.code == 0x13; };
  EXPECT_TRUE(Program(Pattern(0x10000, 0x55)));
  EXPECT_EQ(CountOf(kWrite), 8u);
  EXPECT_EQ(CountOf(kRead), 8u);  // no check after the refused erase

  driver.Clear();
  fake.progress.steps.clear();
  bridge.afterRead = [](std::span<std::uint8_t> data) { data[100] ^= 0xFF; };  // every read shows a stray bit
  EXPECT_FALSE(Program(Pattern(0x10000, 0x66)));
  EXPECT_EQ(CountOf(kWrite), 8u);
  EXPECT_EQ(fake.progress.steps, (std::vector<int>{10, 10, 10, 10}));
}

TEST_F(Family10FallbackTest, AnUnreadableFlashAfterTheChipEraseIsProgrammedUnchecked) {
  bridge.sectorEraseWorks = false;
  bridge.chipEraseWorks = false;  // a check after the chip erase would fail
  int reads = 0;
  bridge.refuse = [&reads](const FlashCommand& c) { return c.code == 0x10 && ++reads == 5; };
  EXPECT_TRUE(Program(Pattern(0x10000, 0x77)));
  EXPECT_EQ(CountOf(kWrite), 8u);
}

struct FailureCase {
  const char* what;
  std::function<void(LegacyBridge&)> setup;
  std::vector<int> steps;
  std::size_t writes;
};

TEST_F(Family10FallbackTest, AFailureEndsTheWriteAtOnce) {
  const FailureCase cases[] = {
      {"second sector erase refused",
       [](LegacyBridge& b) { b.refuse = [](const FlashCommand& c) { return c.code == 0x14 && c.address == 0x8000; }; },
       {10}, 0},
      {"blank-check read fails",
       [](LegacyBridge& b) { b.refuse = [](const FlashCommand& c) { return c.code == 0x10; }; }, {10, 10}, 0},
      {"not blank even after the chip erase",
       [](LegacyBridge& b) {
         b.sectorEraseWorks = false;
         b.chipEraseWorks = false;
       },
       {10, 10}, 0},
      {"third page refused",
       [](LegacyBridge& b) { b.refuse = [](const FlashCommand& c) { return c.code == 0x11 && c.address == 0x4000; }; },
       {10, 10, 10}, 3},
      {"verify read fails",
       [](LegacyBridge& b) {
         b.refuse = [n = 0](const FlashCommand& c) mutable { return c.code == 0x10 && ++n > 4; };
       },
       {10, 10, 10, 10}, 8},
      {"verify differs",
       [](LegacyBridge& b) {
         b.afterRead = [](std::span<std::uint8_t> data) {
           if (data[0] != 0xFF) data[1] ^= 0x01;  // a programmed page reads back one bit off
         };
       },
       {10, 10, 10, 10}, 8},
  };
  for (const FailureCase& c : cases) {
    test::ScriptedPassThrough localDriver;
    LegacyBridge localBridge(localDriver);
    Transport localTransport(localDriver);
    test::FakeHost host;
    const Context local{localTransport, host.host};
    c.setup(localBridge);
    EXPECT_FALSE(LegacyEraseProgramVerify(local, settings, path, Pattern(0x10000, 0x12))) << c.what;
    EXPECT_EQ(host.progress.steps, c.steps) << c.what;
    EXPECT_EQ(localBridge.Commands(0x11).size(), c.writes) << c.what;
  }
}

TEST_F(Family10FallbackTest, NothingIsErasedThatCouldNotBeReadBack) {
  settings.transferPageSize = 0;
  EXPECT_FALSE(Program(Pattern(0x10000, 0x01)));
  EXPECT_FALSE(Program({}));
  EXPECT_TRUE(driver.Requests().empty());
  EXPECT_TRUE(fake.progress.steps.empty());
}

// --- ProgramFamily10ImageLegacy

class LegacyImageTest : public Family10FallbackTest {
 protected:
  bool Build(bool fromDevice, bool fromEmbedded) {
    return ProgramFamily10ImageLegacy(context, settings, path, fromDevice, fromEmbedded, configBlock);
  }
  bool SentAnyFlashChange() const { return CountOf(kSectorErase) + CountOf(kChipErase) + CountOf(kWrite) > 0; }

  std::array<std::uint8_t, 128> configBlock = [] {
    std::array<std::uint8_t, 128> block{};
    std::ranges::fill(block, 0xC5);
    block[126] = 0x51;
    block[127] = 0x52;
    return block;
  }();
  const Bytes device = Pattern(0x10000, 0x5A);  // the bridge's flash at the start
};

TEST_F(LegacyImageTest, BothFlagsWriteTheBlockAndTheImageWithZerosAfterIt) {
  const Bytes image10 = Pattern(30000, 0x99);
  fake.resources.Add("QRS641", "FW0255", image10);
  ASSERT_TRUE(Build(true, true));
  const std::span flash(bridge.flash);
  EXPECT_TRUE(std::ranges::equal(flash.first(128), configBlock));
  EXPECT_TRUE(std::ranges::equal(flash.subspan(128, 30000 - 128), std::span(image10).subspan(128)));
  EXPECT_TRUE(std::ranges::all_of(flash.subspan(30000), [](auto b) { return b == 0x00; }));
}

TEST_F(LegacyImageTest, BothFlagsWithoutAFamily10ImageWriteNothing) {
  EXPECT_FALSE(Build(true, true));
  EXPECT_FALSE(SentAnyFlashChange());
  EXPECT_TRUE(fake.progress.steps.empty());
  EXPECT_EQ(bridge.flash, device);
}

TEST_F(LegacyImageTest, FromDeviceKeepsTheFlashBehindTheGivenBlock) {
  ASSERT_TRUE(Build(true, false));
  EXPECT_TRUE(std::ranges::equal(std::span(bridge.flash).first(128), configBlock));
  EXPECT_TRUE(std::ranges::equal(std::span(bridge.flash).subspan(128), std::span(device).subspan(128)));
  EXPECT_EQ(CountOf(kRead), 12u);  // the device read, the blank check and the verify
}

TEST_F(LegacyImageTest, AFailedDeviceReadStopsBeforeAnythingIsErased) {
  fake.resources.Add("QRS641", "FW0255", Pattern(30000, 0x99));
  bridge.refuse = [](const FlashCommand& c) { return c.code == 0x10; };
  EXPECT_FALSE(Build(true, false));
  EXPECT_FALSE(SentAnyFlashChange());

  driver.Clear();
  EXPECT_FALSE(Build(false, true));
  EXPECT_FALSE(SentAnyFlashChange());
}

TEST_F(LegacyImageTest, FromEmbeddedKeepsTheDeviceHeadAroundTheImage) {
  const Bytes image10 = Pattern(1000, 0x99);
  fake.resources.Add("QRS641", "FW0255", image10);
  ASSERT_TRUE(Build(false, true));
  const auto reads = bridge.Commands(0x10);
  ASSERT_FALSE(reads.empty());
  EXPECT_EQ(reads.front().length, 4096u);  // one read of the device's first 4 KiB
  const std::span flash(bridge.flash);
  EXPECT_TRUE(std::ranges::equal(flash.first(128), std::span(device).first(128)));
  EXPECT_TRUE(std::ranges::equal(flash.subspan(128, 1000 - 128), std::span(image10).subspan(128)));
  EXPECT_TRUE(std::ranges::equal(flash.subspan(1000, 4096 - 1000), std::span(device).subspan(1000, 4096 - 1000)));
  EXPECT_TRUE(std::ranges::all_of(flash.subspan(4096), [](auto b) { return b == 0x00; }));
}

TEST_F(LegacyImageTest, FromEmbeddedWithoutAnImageWritesNothing) {
  EXPECT_FALSE(Build(false, true));
  EXPECT_FALSE(SentAnyFlashChange());
}

TEST_F(LegacyImageTest, NeitherFlagSendsNothing) {
  EXPECT_FALSE(Build(false, false));
  EXPECT_TRUE(driver.Requests().empty());
}

}  // namespace
}  // namespace qfw
