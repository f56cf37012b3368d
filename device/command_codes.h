#pragma once
// Opcodes and sub-commands of the bridge's vendor command set. The command
// builders and the emulated bridge both read them from here.

#include <cstdint>

namespace qfw::codes {

// FF 04 family: byte 0 = 0xFF, byte 1 = 0x04, byte 2 = sub-command.
inline constexpr std::uint8_t kVendorOpcode = 0xFF;
inline constexpr std::uint8_t kVendorGroup = 0x04;
inline constexpr std::uint8_t kRomStatus = 0x00;
inline constexpr std::uint8_t kRomExecute = 0x01;
inline constexpr std::uint8_t kRomProgram = 0x02;
inline constexpr std::uint8_t kRomRead = 0x03;
inline constexpr std::uint8_t kRomLoadSequence = 0x04;
inline constexpr std::uint8_t kSwitchInternalRom = 0x05;
inline constexpr std::uint8_t kFlashRead = 0x10;
inline constexpr std::uint8_t kFlashWrite = 0x11;
inline constexpr std::uint8_t kFlashStatus = 0x12;
inline constexpr std::uint8_t kFlashChipErase = 0x13;
inline constexpr std::uint8_t kFlashSectorErase = 0x14;
inline constexpr std::uint8_t kSpiReadId3 = 0x15;
inline constexpr std::uint8_t kSpiCommand = 0x20;
inline constexpr std::uint8_t kSpiResponse = 0x21;
inline constexpr std::uint8_t kReadFlashKind = 0x23;
inline constexpr std::uint8_t kPrepareFlash = 0x25;
inline constexpr std::uint8_t kDeviceReset = 0x26;
inline constexpr std::uint8_t kReadChipCode = 0x30;
// The mode commands carry the signature in bytes 2 and 3, the mode in byte 4.
inline constexpr std::uint8_t kSignature0 = 0x51;  // 'Q'
inline constexpr std::uint8_t kSignature1 = 0x52;  // 'R'
inline constexpr std::uint8_t kModeEnter = 0x55;
inline constexpr std::uint8_t kModeLeave = 0xAA;

// DF family: byte 0 = 0xDF, byte 11 = function.
inline constexpr std::uint8_t kBlockOpcode = 0xDF;
inline constexpr std::uint8_t kBlockReadFlags = 0x10;  // byte 1 of the read functions
inline constexpr std::uint8_t kIdentify = 0xFF;
inline constexpr std::uint8_t kReadMemory = 0xFD;
inline constexpr std::uint8_t kReadFlashBlock = 0xFA;
inline constexpr std::uint8_t kWriteFlashBlock = 0xFB;
// Bits of the write-mode byte that the block write keeps.
inline constexpr std::uint8_t kWriteModeMask = 0x87;

// Chip information: E0 F4 E7.
inline constexpr std::uint8_t kChipInfoOpcode = 0xE0;
inline constexpr std::uint8_t kChipInfoMagic0 = 0xF4;
inline constexpr std::uint8_t kChipInfoMagic1 = 0xE7;

inline constexpr std::uint8_t kInquiryOpcode = 0x12;

}  // namespace qfw::codes
