#include "emulator/presets.h"

#include <array>

#include "emulator/preset_contents.h"

namespace qfw::emu {
namespace {

constexpr std::uint16_t kQuorellVendorId = 0x3C5A;
constexpr std::uint32_t kPresetFlashSize = 65536;
constexpr std::uint32_t kPresetRomSize = 65536;
constexpr int kPresetRomType = 0;  // "ATMELAT 49BV512", the panel's first choice

// Serial flash chips found next to the controllers, with the answers they
// give to the id opcodes. The 4-byte 0x90 and 0xAB answers begin with the
// three bytes clocked out while the chip still takes its address or dummy
// bytes (0xFF), then the id. None: the bridge keeps its firmware in a
// parallel ROM, and nothing answers on the serial-flash lines.
enum class Chip { None, Pmc, Sst, StMicro, Mxic, Winbond };

struct ChipRow {
  Chip chip;
  int kind;
  std::uint8_t reportedKind;  // what the controller's own detection reports
  std::vector<std::pair<std::uint8_t, std::vector<std::uint8_t>>> answers;
  std::vector<std::pair<std::uint8_t, std::array<std::uint8_t, 3>>> id3Answers;
  // What the controller's sector-erase command clears; empty: the sector.
  std::vector<std::uint32_t> sectorEraseUnits;
};

// The older controllers' sector-erase command sends the 32 KiB erase
// instruction of their PMC and SST parts (0xD8 and 0x52); the QRS641's
// firmware erases 32 KiB with it on its MXIC part too.
constexpr std::uint32_t kOlderSectorErase = 32768;

const std::vector<ChipRow>& ChipRows() {
  static const std::vector<ChipRow> rows = {
      {Chip::None, 0, 0, {}, {}, {}},
      {Chip::Pmc, 1, 0, {{0x9F, {0x7F, 0x9D, 0x7C, 0x00}}, {0xAB, {0xFF, 0xFF, 0xFF, 0x9D}}}, {},
       {kOlderSectorErase}},
      {Chip::Sst, 2, 0, {{0x90, {0xFF, 0xFF, 0xFF, 0xBF}}}, {}, {kOlderSectorErase}},
      {Chip::StMicro, 3, 3, {{0x9F, {0x20, 0x20, 0x10, 0x00}}, {0xAB, {0xFF, 0xFF, 0xFF, 0x05}}},
       {{0xAB, {0x05, 0x05, 0x05}}}, {}},
      {Chip::Mxic, 5, 5, {{0x9F, {0xC2, 0x20, 0x10, 0x00}}, {0x90, {0xFF, 0xFF, 0xFF, 0xC2}},
       {0xAB, {0xFF, 0xFF, 0xFF, 0x05}}}, {{0xAB, {0x05, 0x05, 0x05}}}, {kOlderSectorErase}},
      {Chip::Winbond, 6, 6, {{0x9F, {0xEF, 0x30, 0x10, 0x00}}, {0x90, {0xFF, 0xFF, 0xFF, 0xEF}}}, {}, {}},
  };
  return rows;
}

FlashConfig FlashOf(Chip chip) {
  for (const ChipRow& row : ChipRows()) {
    if (row.chip == chip) {
      FlashConfig flash{.size = kPresetFlashSize, .reportedKind = row.reportedKind, .geometryKind = row.kind};
      flash.answers.insert(row.answers.begin(), row.answers.end());
      flash.id3Answers.insert(row.id3Answers.begin(), row.id3Answers.end());
      flash.sectorEraseUnits = row.sectorEraseUnits;
      return flash;
    }
  }
  return FlashConfig{};
}

// What a preset's memories hold when it comes.
enum class Stored {
  Blank,             // the serial flash is blank
  Firmware,          // an older firmware in the serial flash
  NvramAndFirmware,  // the same behind the 4 KiB NVRAM area (family 6)
  RomFirmware,       // an older firmware in the parallel ROM
};

void Fill(DeviceConfig& config, Stored stored) {
  switch (stored) {
    case Stored::Blank: break;
    case Stored::Firmware: config.flash.contents = OlderFirmware(config.flash.size); break;
    case Stored::NvramAndFirmware: config.flash.contents = NvramAndFirmware(config.flash.size); break;
    case Stored::RomFirmware:
      config.rom = RomConfig{.type = kPresetRomType, .contents = OlderFirmware(kPresetRomSize)};
      break;
  }
}

// Where the firmware shows block-command support: family 13 at 0x5080
// (08 on, 07 off), every other family at 0x505E..0x5061.
enum class BlockProbe { At5080, At505E };

BlockSupportBytes BlockSupportAt(BlockProbe probe) {
  if (probe == BlockProbe::At5080) {
    return {.address = 0x5080, .whenOn = {0x08}, .whenOff = {0x07}};
  }
  return {.address = 0x505E, .whenOn = {0x07, 0x00, 0x01, 0xFF}, .whenOff = {0x07, 0x01, 0x01, 0xFF}};
}

struct FamilyRow {
  const char* name;
  const char* digits;         // the chip's three digits: tag, codes, product id
  bool inquiryCode;           // INQUIRY bytes 36-39 carry "q" + digits
  const char* chipCodeTail;   // chip code = "q" + digits + tail
  std::uint16_t usbVendorId;  // 0: Quorell's
  std::uint16_t usbProductId; // 0: the digits read as hex
  Chip chip;
  bool blockCommands;
  BlockProbe probe;
  std::array<std::uint8_t, 2> shortVersion;
  std::array<std::uint8_t, 3> longVersion;
  Stored stored;
};

const std::vector<FamilyRow>& FamilyRows() {
  using enum Chip;
  using enum BlockProbe;
  using enum Stored;
  static const std::vector<FamilyRow> rows = {
      {"QR40611", "611", true, "C0", 0, 0, Pmc, false, At505E, {1, 1}, {1, 1, 0}, Firmware},
      {"QR40612", "612", true, "A0", 0, 0, None, false, At505E, {1, 1}, {1, 1, 0}, RomFirmware},
      {"QR40613", "613", true, "A0", 0, 0, Pmc, false, At505E, {1, 1}, {1, 1, 0}, Firmware},
      {"QR40614", "614", true, "C0", 0, 0, Pmc, false, At505E, {1, 1}, {1, 1, 0}, Firmware},
      {"QR40615", "615", true, "A0", 0, 0, Pmc, false, At505E, {1, 1}, {1, 1, 0}, Blank},
      {"QRB621", "621", true, "A0", 0, 0, Sst, false, At505E, {2, 1}, {2, 1, 0}, NvramAndFirmware},
      {"QRB622", "622", true, "A0", 0, 0, Sst, false, At505E, {2, 1}, {2, 1, 0}, Firmware},
      {"QRB623", "623", true, "A0", 0, 0, Sst, false, At505E, {2, 1}, {2, 1, 0}, Blank},
      {"QRB624", "624", true, "A0", 0, 0, Sst, false, At505E, {2, 1}, {2, 1, 0}, Blank},
      {"QRS641", "641", true, "A0", 0, 0, Mxic, true, At505E, {18, 2}, {2, 0, 0}, Blank},
      {"QRB631", "631", true, "A0", 0, 0, StMicro, false, At505E, {3, 1}, {3, 1, 0}, Blank},
      {"QRB632", "632", true, "A0", 0, 0, StMicro, false, At505E, {3, 1}, {3, 1, 0}, Blank},
      {"QRS642", "642", true, "A0", 0, 0, Winbond, true, At5080, {67, 1}, {67, 1, 0}, Blank},
      // A QR40612 without its INQUIRY code, known by its USB ids.
      {"QR40612-R", "612", false, "A0", 0x3C5B, 0x7E12, None, false, At505E, {1, 1}, {1, 1, 0}, RomFirmware},
  };
  return rows;
}

std::string ProductText(const FamilyRow& row) {
  std::string product = row.name;
  product.resize(product.find('-') == std::string::npos ? product.size() : product.find('-'));
  return product + " Bridge";
}

DeviceConfig FromFamily(const FamilyRow& row) {
  const std::string digits = row.digits;
  const auto digitsAsHex = static_cast<std::uint16_t>(std::stoi(digits, nullptr, 16));
  DeviceConfig config;
  config.inquiry = {.vendor = "Quorell", .product = ProductText(row), .revision = "1.00",
                    .chipCode = row.inquiryCode ? "q" + digits : ""};
  config.chipInfo = ChipInfoRecord{
      .usbVendorId = row.usbVendorId != 0 ? row.usbVendorId : kQuorellVendorId,
      .usbProductId = row.usbProductId != 0 ? row.usbProductId : digitsAsHex,
      .shortVersion = row.shortVersion,
      .tag = digits,
      .revision = '1',
      .longVersion = row.longVersion,
  };
  config.chipCode = "q" + digits + row.chipCodeTail;
  config.blockCommands = row.blockCommands;
  config.blockSupport = BlockSupportAt(row.probe);
  config.flash = FlashOf(row.chip);
  Fill(config, row.stored);
  return config;
}

DeviceConfig UsbStick() {
  DeviceConfig config;
  config.bridge = false;
  config.inquiry = {.vendor = "Generic", .product = "Flash Disk", .revision = "8.07", .chipCode = ""};
  config.blockCommands = false;
  return config;
}

}  // namespace

std::vector<std::string> PresetNames() {
  std::vector<std::string> names;
  for (const FamilyRow& row : FamilyRows()) {
    names.emplace_back(row.name);
  }
  names.emplace_back(kUsbStickPreset);
  return names;
}

std::optional<DeviceConfig> Preset(std::string_view name) {
  if (name == kUsbStickPreset) {
    return UsbStick();
  }
  for (const FamilyRow& row : FamilyRows()) {
    if (name == row.name) {
      return FromFamily(row);
    }
  }
  return std::nullopt;
}

}  // namespace qfw::emu
