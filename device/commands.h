#pragma once
// The bridge controller's vendor commands and the standard INQUIRY. Each
// builds one 12-byte CDB and goes through SendCommandIn or SendCommandOut;
// unless noted, the result is the transport's: true when the request
// completed. A completed request does not prove the controller understood
// the command; callers check the answer's content.

#include <cstdint>
#include <span>
#include <string>

#include "device/transport.h"

namespace qfw {

// Parallel ROM. Returns true ("busy") when the exchange failed or the status
// byte is 0x01, false ("ready") otherwise.
bool CmdRomStatus(Transport& t, const std::string& path);
bool CmdRomExecute(Transport& t, const std::string& path);
bool CmdRomProgram(Transport& t, const std::string& path, std::span<const std::uint8_t> data, int romType);
bool CmdRomRead(Transport& t, const std::string& path, std::uint32_t romAddress, std::span<std::uint8_t> buffer);
bool CmdRomLoadSequence(Transport& t, const std::string& path, int romType);
bool CmdSwitchInternalRom(Transport& t, const std::string& path);

// Serial flash through the controller (addresses keep their low 24 bits).
bool CmdFlashRead(Transport& t, const std::string& path, std::uint32_t address, std::span<std::uint8_t> buffer);
bool CmdFlashWrite(Transport& t, const std::string& path, std::uint32_t address,
                   std::span<const std::uint8_t> data);
bool CmdFlashStatus(Transport& t, const std::string& path, std::uint8_t& status);
bool CmdFlashChipErase(Transport& t, const std::string& path);
bool CmdFlashSectorErase(Transport& t, const std::string& path, std::uint32_t address);
bool CmdSpiReadId3(Transport& t, const std::string& path, std::span<std::uint8_t, 3> buffer, std::uint8_t opcode,
                   bool flag);
bool CmdSpiCommand(Transport& t, const std::string& path, std::uint8_t opcode);
bool CmdSpiResponse(Transport& t, const std::string& path, std::span<std::uint8_t> buffer);
bool CmdReadFlashKind(Transport& t, const std::string& path, std::span<std::uint8_t, 4> buffer);
bool CmdPrepareFlash(Transport& t, const std::string& path);

// Controller control.
bool CmdDeviceReset(Transport& t, const std::string& path);
// buffer must hold at least 8 bytes; a shorter one throws std::invalid_argument.
bool CmdReadChipCode(Transport& t, const std::string& path, std::span<std::uint8_t> buffer);
bool CmdModeEnter(Transport& t, const std::string& path);
bool CmdModeLeave(Transport& t, const std::string& path);

// DF family (lengths keep their low 16 bits, memory addresses their low 16).
// The result carries the transferred length.
TransferResult CmdReadIdentify(Transport& t, const std::string& path, std::span<std::uint8_t, 2> buffer);
bool CmdReadMemory(Transport& t, const std::string& path, std::span<std::uint8_t> buffer, std::uint32_t address);
// The result carries the transferred length.
TransferResult CmdReadFlashBlock(Transport& t, const std::string& path, std::uint32_t address,
                                 std::span<std::uint8_t> buffer);
bool CmdWriteFlashBlock(Transport& t, const std::string& path, std::uint32_t address,
                        std::span<const std::uint8_t> data, std::uint8_t writeMode);

// Chip information; the result carries the transferred length.
TransferResult CmdReadChipInfo(Transport& t, const std::string& path, std::span<std::uint8_t> buffer);

bool Inquiry(Transport& t, const std::string& path, std::span<std::uint8_t> buffer);

}  // namespace qfw
