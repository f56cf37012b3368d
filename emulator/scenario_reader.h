#pragma once
// Reading scenario JSON with error messages that say where the fault is.
// Private to the scenario parser.

#include <cstdint>
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "emulator/device_config.h"
#include "emulator/scenario.h"

namespace qfw::emu::scenario {

using Json = nlohmann::json;

// A position in the scenario: a device (or none) and a dotted field path.
class Where {
 public:
  Where(int device, std::string field) : device_(device), field_(std::move(field)) {}
  Where operator/(std::string_view name) const;   // a member: "flash" / "size"
  Where operator[](std::size_t index) const;      // an element: "faults" [1]
  [[noreturn]] void Fail(const std::string& what) const;

 private:
  int device_;  // -1: the scenario itself
  std::string field_;
};

// Fails when the object has a member not in known.
void CheckFields(const Json& object, std::initializer_list<std::string_view> known, const Where& where);
const Json& ExpectObject(const Json& value, const Where& where);
bool ReadBool(const Json& value, const Where& where);
std::string ReadString(const Json& value, const Where& where);
// A JSON number, or text "0x.." (hex) / decimal; fails above max.
std::uint32_t ReadNumber(const Json& value, const Where& where, std::uint32_t max = UINT32_MAX);
// A JSON number, or text read as hexadecimal with or without "0x".
std::uint32_t ReadHexNumber(const Json& value, const Where& where, std::uint32_t max);
std::vector<std::uint8_t> ReadHex(const Json& value, const Where& where);
std::vector<std::uint8_t> ReadHex(const Json& value, const Where& where, std::size_t exactSize);
// Text of at most maxLength characters.
std::string ReadText(const Json& value, const Where& where, std::size_t maxLength);

// Memory contents: "blank", "embedded", "embedded-modified" or an object
// with fill, file or embedded; padded with 0xFF to size (longer fails).
// "blank" gives no bytes.
std::vector<std::uint8_t> ReadContents(const Json& value, std::uint32_t size, const Where& where,
                                       const ScenarioOptions& options);

// Parts of a device, each filling in config from its member.
void ReadFlash(const Json& flash, FlashConfig& config, const Where& where, const ScenarioOptions& options);
// null or "absent" removes the ROM; an object makes or changes one.
void ReadRom(const Json& rom, std::optional<RomConfig>& config, const Where& where, const ScenarioOptions& options);
void ReadFaults(const Json& faults, FaultConfig& config, const Where& where);
DeviceConfig ReadDevice(const Json& device, int index, const ScenarioOptions& options);

}  // namespace qfw::emu::scenario
