#pragma once
// Everything that makes one emulated device what it is: how it attaches, who
// it says it is, its flash chip and its faults. Presets (presets.h) fill one
// in for each controller family; scenario files override single fields.

#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "emulator/flash_geometry.h"

namespace qfw::emu {

enum class InterfaceClass { Disk, Cdrom };

// Standard INQUIRY identification. Texts are padded with spaces to their
// field width; an empty chip code makes the answer 36 bytes instead of 40.
struct InquiryIdentity {
  std::string vendor;    // bytes 8-15
  std::string product;   // bytes 16-31
  std::string revision;  // bytes 32-35
  std::string chipCode;  // bytes 36-39: empty or exactly 4 characters
};

// The 16-byte chip-information record of E0 F4 E7.
struct ChipInfoRecord {
  std::array<std::uint8_t, 2> magic{0xF4, 0xE7};
  std::uint16_t usbVendorId = 0;
  std::uint16_t usbProductId = 0;
  std::array<std::uint8_t, 2> shortVersion{};
  std::string tag;  // three ASCII digits
  char revision = '0';
  std::array<std::uint8_t, 3> longVersion{};
  std::uint8_t byte15 = 0;
  // How many bytes the controller moves (12, 13, 16 ...), at most 16.
  std::size_t transferred = 16;

  std::array<std::uint8_t, 16> Bytes() const;
};

inline constexpr std::size_t kChipInfoSize = 16;
inline constexpr std::size_t kChipCodeSize = 8;
inline constexpr std::size_t kControllerMemorySize = 0x10000;

// Controller bytes that tell whether the firmware takes the block commands;
// which set is used follows DeviceConfig::blockCommands.
struct BlockSupportBytes {
  std::uint16_t address = 0;
  std::vector<std::uint8_t> whenOn;
  std::vector<std::uint8_t> whenOff;
};

struct MemoryPatch {
  std::uint16_t address = 0;
  std::vector<std::uint8_t> bytes;
};

struct FlashConfig {
  std::uint32_t size = 65536;
  std::uint8_t reportedKind = 0;  // byte 0 of the flash-kind answer
  int geometryKind = 0;           // erase units of the chip, by kind 0..10
  std::optional<std::uint32_t> sectorSize;  // overrides the kind's sector
  std::optional<std::uint32_t> blockSize;   // overrides the kind's block
  // What the sector-erase command FF 04 14 erases (EraseGeometry); empty:
  // the sector.
  std::vector<std::uint32_t> sectorEraseUnits;
  // Answers to an opcode sent with the SPI command, fetched by the SPI
  // response; missing bytes and unknown opcodes read 0xFF.
  std::map<std::uint8_t, std::vector<std::uint8_t>> answers;
  // 3-byte id answers by opcode; unknown opcodes answer FF FF FF.
  std::map<std::uint8_t, std::array<std::uint8_t, 3>> id3Answers;
  std::vector<std::uint8_t> contents;  // padded with 0xFF to the size

  // The kind's erase units with the overrides applied.
  EraseGeometry Geometry() const;
};

// The parallel NOR flash of the bridges that keep their firmware in one.
struct RomConfig {
  int type = 0;  // 0 "ATMELAT 49BV512", 1 "PMC OM39LV512", 2 "SST SST39LF512"
  std::vector<std::uint8_t> contents;  // padded with 0xFF to 64 KiB
  // An A1 chip runs its code from internal ROM from the start; the others
  // fetch it from this ROM until told to switch, and cannot write it before.
  bool a1Chip = false;
};

// Fail commands whose CDB starts with prefix: the nth match (1-based,
// counted from when the fault is set) and the count - 1 matches after it
// open but do not complete.
struct CommandFailure {
  std::vector<std::uint8_t> prefix;
  int nth = 1;
  int count = 1;
};

// Reads that cover address hand back the byte XOR mask; the flash keeps it.
struct ByteFlip {
  std::uint32_t address = 0;
  std::uint8_t mask = 0;
};

struct FaultConfig {
  std::vector<CommandFailure> failures;
  std::vector<ByteFlip> flips;
  bool stayBusy = false;
  bool romStayBusy = false;  // the parallel ROM never finishes an operation
  std::optional<int> vanishAfter;  // commands handled before the device is gone
  bool heldOpen = false;           // another handle is open: exclusive opens fail
};

struct DeviceConfig {
  std::string path;
  InterfaceClass interfaceClass = InterfaceClass::Disk;
  // A second interface of the same device, presented as a CD-ROM.
  std::optional<std::string> cdromPath;
  bool usbStorage = true;  // listed by discovery
  bool bridge = true;      // false: a plain disk that answers INQUIRY only
  bool attached = true;    // false: plugged in later (EmulatedBus::Plug)
  bool permissionDenied = false;

  InquiryIdentity inquiry;
  std::array<std::uint8_t, 2> identify{};
  std::optional<ChipInfoRecord> chipInfo;  // none: the command is unknown
  std::optional<std::string> chipCode;     // none: the command is unknown

  bool blockCommands = true;
  std::optional<BlockSupportBytes> blockSupport;
  std::vector<MemoryPatch> memory;  // applied after the block-support bytes

  FlashConfig flash;
  std::optional<RomConfig> rom;  // none: the ROM commands are unknown
  FaultConfig faults;
  std::chrono::milliseconds resetReattach{1500};
};

}  // namespace qfw::emu
