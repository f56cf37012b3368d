// The command table of the emulated bridge: which CDB shape goes to which
// handler, in which data direction, and what the device must support for it.
// A new command is one more row here and one handler.

#include "device/command_codes.h"
#include "emulator/emulated_bridge.h"

namespace qfw::emu {

using namespace qfw::codes;

const std::vector<EmulatedBridge::Route>& EmulatedBridge::Routes() {
  constexpr int A = kAnyByte;
  constexpr auto kIn = DataDirection::In;
  constexpr auto kOut = DataDirection::Out;
  static const std::vector<Route> routes = {
      {{kInquiryOpcode, 0x00, 0x00, 0x00, A}, kIn, Needs::Nothing, &EmulatedBridge::Inquiry},
      {{kChipInfoOpcode, kChipInfoMagic0, kChipInfoMagic1}, kIn, Needs::Bridge, &EmulatedBridge::ReadChipInfo},
      // DF family: bytes 3-4 carry the data length, byte 11 the function.
      {{kBlockOpcode, kBlockReadFlags, 0x00, A, A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, kIdentify},
       kIn, Needs::Bridge, &EmulatedBridge::ReadIdentify},
      {{kBlockOpcode, kBlockReadFlags, 0x00, A, A, 0x00, A, A, 0x00, 0x00, 0x00, kReadMemory},
       kIn, Needs::Bridge, &EmulatedBridge::ReadMemory},
      {{kBlockOpcode, kBlockReadFlags, 0x00, A, A, 0x00, 0x00, 0x00, A, A, A, kReadFlashBlock},
       kIn, Needs::BlockCommands, &EmulatedBridge::ReadFlashBlock},
      {{kBlockOpcode, A, 0x00, A, A, 0x00, 0x00, 0x00, A, A, A, kWriteFlashBlock},
       kOut, Needs::BlockCommands, &EmulatedBridge::WriteFlashBlock},
      // FF 04 family: parallel ROM.
      {{kVendorOpcode, kVendorGroup, kRomStatus}, kIn, Needs::Rom, &EmulatedBridge::RomStatus},
      {{kVendorOpcode, kVendorGroup, kRomExecute}, kOut, Needs::Rom, &EmulatedBridge::RomExecute},
      {{kVendorOpcode, kVendorGroup, kRomProgram, A, A, A, A, A, A, A, A, A}, kOut, Needs::Rom,
       &EmulatedBridge::RomProgram},
      {{kVendorOpcode, kVendorGroup, kRomRead, A, A, A, A}, kIn, Needs::Rom, &EmulatedBridge::RomRead},
      {{kVendorOpcode, kVendorGroup, kRomLoadSequence}, kOut, Needs::Rom, &EmulatedBridge::RomLoadSequence},
      {{kVendorOpcode, kVendorGroup, kSwitchInternalRom}, kOut, Needs::Rom, &EmulatedBridge::SwitchInternalRom},
      // FF 04 family: serial flash.
      {{kVendorOpcode, kVendorGroup, kFlashRead, A, A, A}, kIn, Needs::Bridge, &EmulatedBridge::FlashRead},
      {{kVendorOpcode, kVendorGroup, kFlashWrite, A, A, A}, kOut, Needs::Bridge, &EmulatedBridge::FlashWrite},
      {{kVendorOpcode, kVendorGroup, kFlashStatus}, kIn, Needs::Bridge, &EmulatedBridge::FlashStatus},
      {{kVendorOpcode, kVendorGroup, kFlashChipErase}, kOut, Needs::Bridge, &EmulatedBridge::FlashChipErase},
      {{kVendorOpcode, kVendorGroup, kFlashSectorErase, A, A, A}, kOut, Needs::Bridge,
       &EmulatedBridge::FlashSectorErase},
      {{kVendorOpcode, kVendorGroup, kSpiReadId3, 0x03, A, A}, kIn, Needs::Bridge, &EmulatedBridge::SpiReadId3},
      {{kVendorOpcode, kVendorGroup, kSpiCommand, 0x01, 0x01, A}, kIn, Needs::Bridge, &EmulatedBridge::SpiCommand},
      {{kVendorOpcode, kVendorGroup, kSpiResponse}, kIn, Needs::Bridge, &EmulatedBridge::SpiResponse},
      {{kVendorOpcode, kVendorGroup, kReadFlashKind, 0x04}, kIn, Needs::Bridge, &EmulatedBridge::ReadFlashKind},
      {{kVendorOpcode, kVendorGroup, kPrepareFlash}, kOut, Needs::Bridge, &EmulatedBridge::PrepareFlash},
      // FF 04 family: controller control.
      {{kVendorOpcode, kVendorGroup, kDeviceReset, kSignature0, kSignature1}, kIn, Needs::Bridge,
       &EmulatedBridge::DeviceReset},
      {{kVendorOpcode, kVendorGroup, kReadChipCode, 0x08}, kIn, Needs::Bridge, &EmulatedBridge::ReadChipCode},
      {{kVendorOpcode, kVendorGroup, kSignature0, kSignature1, kModeEnter}, kOut, Needs::Bridge,
       &EmulatedBridge::ModeEnter},
      {{kVendorOpcode, kVendorGroup, kSignature0, kSignature1, kModeLeave}, kOut, Needs::Bridge,
       &EmulatedBridge::ModeLeave},
  };
  return routes;
}

bool EmulatedBridge::Supports(Needs needs) const {
  switch (needs) {
    case Needs::Nothing: return true;
    case Needs::Bridge: return config_.bridge;
    case Needs::BlockCommands: return config_.bridge && config_.blockCommands;
    case Needs::Rom: return config_.bridge && rom_.has_value();
  }
  return false;
}

}  // namespace qfw::emu
