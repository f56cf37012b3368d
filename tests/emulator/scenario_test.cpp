// Scenario files: presets with overrides, flash contents, the error
// messages, and the example scenarios shipped with the emulator.

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "device/commands.h"
#include "emulator/emulated_discovery.h"
#include "emulator/hex_text.h"
#include "emulator/preset_contents.h"
#include "emulator/scenario.h"
#include "tests/emulator/emulator_fixture.h"
#include "tests/support/temporary_folder.h"

namespace qfw::emu::test {
namespace {

namespace fs = std::filesystem;

const std::vector<std::uint8_t> kFakeImage(49408, 0x3C);

ScenarioOptions WithImage() {
  return ScenarioOptions{.embeddedImage = [] { return std::optional(kFakeImage); }};
}

// One device of a scenario whose devices array holds just it.
DeviceConfig OneDevice(const std::string& device, const ScenarioOptions& options = WithImage()) {
  const Scenario scenario = ParseScenario(R"({"devices": [)" + device + "]}", options);
  EXPECT_EQ(scenario.devices.size(), 1U);
  return scenario.devices.at(0);
}

TEST(ScenarioTest, HexAndNumberText) {
  using Bytes = std::vector<std::uint8_t>;
  EXPECT_EQ(ParseHexBytes("EF 30 10 00"), (Bytes{0xEF, 0x30, 0x10, 0x00}));
  EXPECT_EQ(ParseHexBytes("ef301000"), (Bytes{0xEF, 0x30, 0x10, 0x00}));
  EXPECT_EQ(ParseHexBytes(" aB\t0c "), (Bytes{0xAB, 0x0C}));
  EXPECT_EQ(ParseHexBytes(""), Bytes{});
  EXPECT_FALSE(ParseHexBytes("E F"));
  EXPECT_FALSE(ParseHexBytes("EF3"));
  EXPECT_FALSE(ParseHexBytes("0xEF"));
  EXPECT_EQ(ParseNumberText("0x1000"), 4096U);
  EXPECT_EQ(ParseNumberText("1000"), 1000U);
  EXPECT_FALSE(ParseNumberText("10k"));
  EXPECT_FALSE(ParseNumberText("-1"));
  EXPECT_EQ(ParseHexNumber("FDB1"), 0xFDB1U);
  EXPECT_EQ(ParseHexNumber("0x9f"), 0x9FU);
  EXPECT_FALSE(ParseHexNumber("0x"));
}

TEST(ScenarioTest, PresetWithOverrides) {
  const DeviceConfig config = OneDevice(R"({
    "path": "/dev/sg2", "class": "cdrom", "preset": "QRS641",
    "inquiry": {"vendor": "Other", "chipCode": null},
    "identify": "60 00",
    "chipInfo": {"transferred": 12, "vendorId": "3C5B", "shortVersion": [5, 1]},
    "chipCode": "q641B1",
    "memory": {"0xFDB1": "B4"},
    "blockCommands": false,
    "flash": {"size": 131072, "reportedKind": 0, "geometryKind": 3, "answers": {"9F": "20 20 11 00", "AB": ""},
              "id3Answers": {"ab": "05 05 05"}},
    "permission": "denied", "heldOpen": true, "resetReattachMs": 300
  })");
  EXPECT_EQ(config.path, "/dev/sg2");
  EXPECT_EQ(config.interfaceClass, InterfaceClass::Cdrom);
  EXPECT_EQ(config.inquiry.vendor, "Other");
  EXPECT_EQ(config.inquiry.product, "QRS641 Bridge");  // from the preset
  EXPECT_EQ(config.inquiry.chipCode, "");
  EXPECT_EQ(config.identify, (std::array<std::uint8_t, 2>{0x60, 0x00}));
  ASSERT_TRUE(config.chipInfo);
  EXPECT_EQ(config.chipInfo->transferred, 12U);
  EXPECT_EQ(config.chipInfo->usbVendorId, 0x3C5B);
  EXPECT_EQ(config.chipInfo->shortVersion, (std::array<std::uint8_t, 2>{5, 1}));
  EXPECT_EQ(config.chipInfo->tag, "641");
  EXPECT_EQ(config.chipCode, "q641B1");
  EXPECT_FALSE(config.blockCommands);
  EXPECT_EQ(config.flash.size, 131072U);
  EXPECT_EQ(config.flash.geometryKind, 3);
  EXPECT_EQ(config.flash.answers.at(0x9F), (std::vector<std::uint8_t>{0x20, 0x20, 0x11, 0x00}));
  EXPECT_FALSE(config.flash.answers.contains(0xAB));
  EXPECT_EQ(config.flash.id3Answers.at(0xAB), (std::array<std::uint8_t, 3>{5, 5, 5}));
  EXPECT_TRUE(config.permissionDenied);
  EXPECT_TRUE(config.faults.heldOpen);
  EXPECT_EQ(config.resetReattach, std::chrono::milliseconds(300));
}

TEST(ScenarioTest, MemoryFollowsTheBlockCommandFlagUnlessOverridden) {
  qfw::test::ManualClock clock;
  EmulatedBus bus(clock);
  Install(ParseScenario(R"({"devices": [
      {"path": "a", "preset": "QRS642", "blockCommands": false},
      {"path": "b", "preset": "QRS642", "blockCommands": false, "memory": {"5080": "09"}}]})",
                        {}),
          bus);
  EXPECT_EQ(bus.Find("a")->Memory()[0x5080], 0x07);
  EXPECT_EQ(bus.Find("b")->Memory()[0x5080], 0x09);
}

TEST(ScenarioTest, PlainDisksAndFaults) {
  const Scenario scenario = ParseScenario(R"({"devices": [
      {"path": "/dev/sg0", "bridge": false, "usbStorage": false, "inquiry": {"vendor": "ATA"}},
      {"path": "/dev/sg1", "preset": "QRS642", "faults": [
        {"kind": "failCommand", "prefix": "df 02", "nth": 2, "count": 3},
        {"kind": "flipByte", "address": "0x1000", "mask": 1},
        {"kind": "stayBusy"}, {"kind": "vanish", "afterCommands": 7}, {"kind": "heldOpen"}]}]})",
                                          {});
  const DeviceConfig& disk = scenario.devices.at(0);
  EXPECT_FALSE(disk.bridge);
  EXPECT_FALSE(disk.usbStorage);
  EXPECT_EQ(disk.inquiry.vendor, "ATA");
  const FaultConfig& faults = scenario.devices.at(1).faults;
  ASSERT_EQ(faults.failures.size(), 1U);
  EXPECT_EQ(faults.failures[0].prefix, (std::vector<std::uint8_t>{0xDF, 0x02}));
  EXPECT_EQ(faults.failures[0].nth, 2);
  EXPECT_EQ(faults.failures[0].count, 3);
  ASSERT_EQ(faults.flips.size(), 1U);
  EXPECT_EQ(faults.flips[0].address, 0x1000U);
  EXPECT_EQ(faults.flips[0].mask, 0x01);
  EXPECT_TRUE(faults.stayBusy);
  EXPECT_EQ(faults.vanishAfter, 7);
  EXPECT_TRUE(faults.heldOpen);
}

TEST(ScenarioTest, RomsAndAmicParts) {
  const Scenario scenario = ParseScenario(R"({"devices": [
      {"path": "a", "preset": "QR40612", "faults": [{"kind": "romStayBusy"}],
       "rom": {"type": "PMC OM39LV512", "a1Chip": true, "contents": {"fill": "00"}}},
      {"path": "b", "preset": "QRS642", "rom": {"type": 2}},
      {"path": "c", "preset": "QR40612-R", "rom": null},
      {"path": "d", "preset": "QR40611", "flash": {"amicModel": 5}},
      {"path": "e", "preset": "QR40611",
       "flash": {"amicModel": "3", "answers": {"AB": "FF FF FF 37"}, "sectorEraseUnits": [65536]}},
      {"path": "f", "preset": "QR40611", "flash": {"size": 32768}}]})",
                                          {});
  const DeviceConfig& a = scenario.devices.at(0);
  ASSERT_TRUE(a.rom);
  EXPECT_EQ(a.rom->type, 1);
  EXPECT_TRUE(a.rom->a1Chip);
  EXPECT_EQ(a.rom->contents, std::vector<std::uint8_t>(65536, 0x00));
  EXPECT_TRUE(a.faults.romStayBusy);
  const DeviceConfig& b = scenario.devices.at(1);
  ASSERT_TRUE(b.rom) << "a device without a ROM in its preset gets one";
  EXPECT_EQ(b.rom->type, 2);
  EXPECT_FALSE(b.rom->a1Chip);
  EXPECT_TRUE(b.rom->contents.empty());
  EXPECT_FALSE(scenario.devices.at(2).rom);

  const FlashConfig& d = scenario.devices.at(3).flash;
  EXPECT_EQ(d.answers, (std::map<std::uint8_t, std::vector<std::uint8_t>>{{0x9F, {0x7F, 0x37, 0x20, 0x10}}}));
  EXPECT_EQ(d.geometryKind, 7);
  EXPECT_EQ(d.sectorEraseUnits, (std::vector<std::uint32_t>{4096, 4096, 8192, 16384, 32768}));
  const FlashConfig& e = scenario.devices.at(4).flash;
  EXPECT_EQ(e.answers.at(0x9F), (std::vector<std::uint8_t>{0x7F, 0x37, 0x20, 0x11}));
  EXPECT_EQ(e.answers.at(0xAB), (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0x37})) << "fields after the model win";
  EXPECT_EQ(e.sectorEraseUnits, std::vector<std::uint32_t>{65536});
  EXPECT_EQ(scenario.devices.at(5).flash.contents, OlderFirmware(32768)) << "the preset's contents, cut";

  qfw::test::ManualClock clock;
  EmulatedBus bus(clock);
  Install(scenario, bus);
  ASSERT_NE(bus.Find("a")->Rom(), nullptr);
  EXPECT_EQ(bus.Find("a")->Rom()->Type(), 1);
  EXPECT_TRUE(bus.Find("a")->Rom()->Busy());
  EXPECT_TRUE(bus.Find("a")->RunsFromInternalRom());
  EXPECT_EQ(bus.Find("c")->Rom(), nullptr);
  EXPECT_EQ(bus.Find("f")->Flash().Size(), 32768U);
}

TEST(ScenarioTest, PresetDecidesBridgeUnlessOverridden) {
  const Scenario scenario = ParseScenario(R"({"devices": [
      {"path": "/dev/sg0", "preset": "usb-stick"},
      {"path": "/dev/sg1", "preset": "QRS642"},
      {"path": "/dev/sg2", "preset": "QRS642", "bridge": false}]})",
                                          {});
  EXPECT_FALSE(scenario.devices.at(0).bridge);
  EXPECT_TRUE(scenario.devices.at(1).bridge);
  EXPECT_FALSE(scenario.devices.at(2).bridge);
}

class ContentsTest : public ::testing::Test {
 protected:
  fs::path Write(const std::string& name, const std::string& text) {
    std::ofstream(folder_ / name, std::ios::binary) << text;
    return folder_ / name;
  }
  std::vector<std::uint8_t> Contents(const std::string& contents) {
    return OneDevice(R"({"path": "a", "preset": "QRS642", "flash": {"contents": )" + contents + "}}").flash.contents;
  }
  qfw::test::TemporaryFolder folder_;
};

TEST_F(ContentsTest, EveryForm) {
  EXPECT_TRUE(Contents(R"("blank")").empty());
  EXPECT_EQ(Contents(R"({"fill": "00"})"), std::vector<std::uint8_t>(65536, 0x00));

  auto embedded = Contents(R"("embedded")");
  ASSERT_EQ(embedded.size(), 65536U);
  EXPECT_TRUE(std::equal(kFakeImage.begin(), kFakeImage.end(), embedded.begin()));
  EXPECT_EQ(embedded[kFakeImage.size()], 0xFF);

  const auto modified = Contents(R"({"embedded": true, "xor": {"offset": "0x100", "mask": "0x01"}})");
  embedded[0x100] ^= 0x01;
  EXPECT_EQ(modified, embedded);
  EXPECT_EQ(Contents(R"("embedded-modified")")[0], 0x3C ^ 0xFF);
}

TEST_F(ContentsTest, FileRelativeToTheScenario) {
  Write("image.bin", "\x01\x02\x03");
  const fs::path scenario = Write("s.json", R"({"devices": [
      {"path": "a", "preset": "QRS642", "flash": {"contents": {"file": "image.bin"}}}]})");
  const auto contents = LoadScenario(scenario, {}).devices.at(0).flash.contents;
  ASSERT_EQ(contents.size(), 65536U);
  EXPECT_EQ(contents[2], 0x03);
  EXPECT_EQ(contents[3], 0xFF);
}

TEST_F(ContentsTest, FileLargerThanTheFlash) {
  Write("big.bin", std::string(8192, 'x'));
  const fs::path scenario = Write("s.json", R"({"devices": [
      {"path": "a", "preset": "QRS642", "flash": {"size": 4096, "contents": {"file": "big.bin"}}}]})");
  try {
    LoadScenario(scenario, {});
    FAIL() << "no error";
  } catch (const ScenarioError& error) {
    EXPECT_STREQ(error.what(),
                 "device 0: flash.contents: wrong size: 8192 bytes do not fit a flash of 4096 bytes");
  }
}

struct ErrorCase {
  const char* name;
  // A whole scenario when it starts with '{', otherwise further members of
  // a QRS642 device at path "a".
  const char* json;
  const char* message;  // the start of the message
};

void PrintTo(const ErrorCase& c, std::ostream* os) { *os << c.name; }

std::string ScenarioText(const std::string& json) {
  return json.starts_with("{") ? json : R"({"devices": [{"path": "a", "preset": "QRS642", )" + json + "}]}";
}

class ScenarioErrorTest : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(ScenarioErrorTest, NamesTheDeviceAndField) {
  try {
    ParseScenario(ScenarioText(GetParam().json), {});
    FAIL() << "no error";
  } catch (const ScenarioError& error) {
    EXPECT_TRUE(std::string(error.what()).starts_with(GetParam().message)) << error.what();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Messages, ScenarioErrorTest,
    ::testing::Values(
        ErrorCase{"MalformedJson", R"({"devices": [)", "scenario: malformed JSON"},
        ErrorCase{"NoDevices", R"({"device": []})", "scenario: device: unknown field"},
        ErrorCase{"UnknownPreset", R"({"devices": [{"path": "a", "preset": "QRS999"}]})",
                  "device 0: preset: unknown preset \"QRS999\" (known: QR40611, "},
        ErrorCase{"BridgeWithoutPreset", R"({"devices": [{"path": "a"}]})",
                  "device 0: preset: a bridge needs a preset"},
        ErrorCase{"MissingPath", R"({"devices": [{"preset": "QRS642"}]})", "device 0: path: missing"},
        ErrorCase{"BadHex",
                  R"({"devices": [{"path": "a", "preset": "QRS642"},
                                  {"path": "b", "preset": "QRS642", "flash": {"answers": {"9F": "EF 3"}}}]})",
                  "device 1: flash.answers.9F: bad hex \"EF 3\""},
        ErrorCase{"UnknownFaultKind", R"("faults": [{"kind": "stayBusy"}, {"kind": "explode"}])",
                  "device 0: faults[1].kind: unknown fault kind \"explode\""},
        ErrorCase{"MissingFile", R"("flash": {"contents": {"file": "/nonexistent/x.bin"}})",
                  "device 0: flash.contents.file: cannot read \"/nonexistent/x.bin\""},
        ErrorCase{"EndlessDeviceAsFile", R"("flash": {"contents": {"file": "/dev/zero"}})",
                  "device 0: flash.contents.file: cannot read \"/dev/zero\": not a regular file"},
        ErrorCase{"FolderAsFile", R"("flash": {"contents": {"file": "/"}})",
                  "device 0: flash.contents.file: cannot read \"/\": not a regular file"},
        ErrorCase{"FlashSize", R"("flash": {"size": 1000})", "device 0: flash.size: wrong size"},
        ErrorCase{"IdentifySize", R"("identify": "00 00 00")", "device 0: identify: wrong size: 3 bytes, expected 2"},
        ErrorCase{"InquiryCodeSize", R"("inquiry": {"chipCode": "q64"})", "device 0: inquiry.chipCode: wrong size"},
        ErrorCase{"VendorTooLong", R"("inquiry": {"vendor": "Quorell Inc"})", "device 0: inquiry.vendor: wrong size"},
        ErrorCase{"Misspelt", R"("flsh": {})", "device 0: flsh: unknown field"},
        ErrorCase{"GeometryKind", R"("flash": {"geometryKind": 11})",
                  "device 0: flash.geometryKind: 11 is larger than 10"},
        ErrorCase{"SectorLargerThanBlock", R"("flash": {"sectorSize": 131072})",
                  "device 0: flash: erase units must be"},
        ErrorCase{"DuplicatePath",
                  R"({"devices": [{"path": "a", "preset": "QRS642", "cdromPath": "b"},
                                  {"path": "b", "preset": "QRS642"}]})",
                  "device 1: path: \"b\" is used by device 0"},
        ErrorCase{"Class", R"("class": "tape")", "device 0: class: expected \"disk\" or \"cdrom\""},
        ErrorCase{"Permission", R"("permission": "maybe")",
                  "device 0: permission: expected \"denied\" or \"allowed\""},
        ErrorCase{"NoEmbeddedImage", R"("flash": {"contents": "embedded"})",
                  "device 0: flash.contents: this build has no embedded firmware image"},
        ErrorCase{"FaultCount", R"("faults": [{"kind": "failCommand", "prefix": "df", "nth": 0}])",
                  "device 0: faults[0].nth: must be at least 1"},
        ErrorCase{"AmicModel", R"("flash": {"amicModel": 2})",
                  "device 0: flash.amicModel: expected 1, 3, 4 or 5, not 2"},
        ErrorCase{"SectorEraseUnitsMisaligned", R"("flash": {"sectorEraseUnits": [4096, 8192]})",
                  "device 0: flash.sectorEraseUnits: each unit must be a power of two"},
        ErrorCase{"SectorEraseUnitsNotAnArray", R"("flash": {"sectorEraseUnits": 4096})",
                  "device 0: flash.sectorEraseUnits: expected an array"},
        ErrorCase{"RomTypeNumber", R"("rom": {"type": 3})",
                  "device 0: rom.type: expected 0, 1, 2 or a type name (\"ATMELAT 49BV512\", \"PMC OM39LV512\", "
                  "\"SST SST39LF512\"), not 3"},
        ErrorCase{"RomTypeName", R"("rom": {"type": "SST39LF512"})", "device 0: rom.type: expected 0, 1, 2"},
        ErrorCase{"RomField", R"("rom": {"size": 65536})", "device 0: rom.size: unknown field"},
        ErrorCase{"RomNotAnObject", R"("rom": true)", "device 0: rom: expected an object"},
        ErrorCase{"RomA1Chip", R"("rom": {"a1Chip": "yes"})", "device 0: rom.a1Chip: expected true or false"},
        ErrorCase{"RomContents", R"("rom": {"contents": "embedded"})",
                  "device 0: rom.contents: this build has no embedded firmware image"},
        ErrorCase{"RomStayBusyWithoutARom", R"("faults": [{"kind": "romStayBusy"}])",
                  "device 0: faults: romStayBusy needs a device with a ROM"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ScenarioTest, EmbeddedImageProviderThatHasNone) {
  const ScenarioOptions options{.embeddedImage = [] { return std::optional<std::vector<std::uint8_t>>(); }};
  EXPECT_THROW(OneDevice(R"({"path": "a", "preset": "QRS642", "flash": {"contents": "embedded"}})", options),
               ScenarioError);
}

TEST(ScenarioTest, MissingScenarioFile) {
  EXPECT_THROW(
      {
        try {
          LoadScenario("/nonexistent/scenario.json", {});
        } catch (const ScenarioError& error) {
          EXPECT_STREQ(error.what(), "cannot read scenario file \"/nonexistent/scenario.json\"");
          throw;
        }
      },
      ScenarioError);
}

// The scenarios shipped with the emulator load and set up what they say.
class ExampleScenarioTest : public EmulatorTest {
 protected:
  void Load(const std::string& name) { Install(LoadScenario(fs::path(QFW_SCENARIO_DIR) / name, WithImage()), bus); }
  EmulatedDiscovery discovery{bus};
};

TEST_F(ExampleScenarioTest, DefaultIsOneBlankQrs642) {
  Load("default.json");
  EXPECT_EQ(discovery.FindUsbDiskPaths(), std::vector<std::string>{"/dev/sg1"});
  std::array<std::uint8_t, 40> inquiry{};
  ASSERT_TRUE(Inquiry(t, kPath, inquiry));
  EXPECT_EQ(std::string(inquiry.begin() + 36, inquiry.end()), "q642");
  const auto flash = bus.Find(kPath)->Flash().Contents();
  EXPECT_TRUE(std::all_of(flash.begin(), flash.end(), [](std::uint8_t b) { return b == 0xFF; }));
}

TEST_F(ExampleScenarioTest, TwoBridges) {
  Load("two-bridges.json");
  EXPECT_EQ(discovery.FindUsbDiskPaths(), (std::vector<std::string>{"/dev/sg1", "/dev/sg2", "/dev/sg4"}));
  EXPECT_EQ(discovery.FindUsbCdromPaths(), std::vector<std::string>{"/dev/sg3"});
  std::array<std::uint8_t, 40> inquiry{};
  ASSERT_TRUE(Inquiry(t, "/dev/sg0", inquiry));
  EXPECT_EQ(std::string(inquiry.begin() + 8, inquiry.begin() + 16), "ATA     ");
}

TEST_F(ExampleScenarioTest, RomBridges) {
  Load("rom-bridge.json");
  const EmulatedBridge& family2 = *bus.Find("/dev/sg1");
  ASSERT_NE(family2.Rom(), nullptr);
  EXPECT_EQ(family2.Rom()->Type(), 0);
  EXPECT_FALSE(family2.RunsFromInternalRom());
  EXPECT_TRUE(std::ranges::equal(family2.Rom()->Contents(), OlderFirmware(kRomSize)));
  const EmulatedBridge& family18 = *bus.Find("/dev/sg2");
  ASSERT_NE(family18.Rom(), nullptr);
  EXPECT_EQ(family18.Rom()->Type(), 1);
  EXPECT_TRUE(family18.RunsFromInternalRom());
  EXPECT_EQ(family18.Rom()->Contents()[0], 0xFF);
}

TEST_F(ExampleScenarioTest, SerialFlashFamilies) {
  Load("family6.json");
  EXPECT_TRUE(std::ranges::equal(bus.Find(kPath)->Flash().Contents(), NvramAndFirmware(65536)));
  EXPECT_EQ(bus.Find(kPath)->Config().flash.sectorEraseUnits, std::vector<std::uint32_t>{32768});
  const Scenario amic = LoadScenario(fs::path(QFW_SCENARIO_DIR) / "amic-flash.json", {});
  EXPECT_EQ(amic.devices.at(0).flash.answers.at(0x9F), (std::vector<std::uint8_t>{0x7F, 0x37, 0x20, 0x10}));
  EXPECT_EQ(amic.devices.at(1).flash.answers.at(0x9F), (std::vector<std::uint8_t>{0x7F, 0x37, 0x20, 0x20}));
}

TEST_F(ExampleScenarioTest, FaultsAndAlreadyUpdatedLoad) {
  Load("faults.json");
  EXPECT_EQ(bus.Find("/dev/sg1")->Config().faults.flips.size(), 1U);
  EXPECT_TRUE(bus.Find("/dev/sg6")->Config().permissionDenied);
  const auto updated = LoadScenario(fs::path(QFW_SCENARIO_DIR) / "already-updated.json", WithImage());
  EXPECT_TRUE(std::equal(kFakeImage.begin(), kFakeImage.end(), updated.devices.at(0).flash.contents.begin()));
}

}  // namespace
}  // namespace qfw::emu::test
