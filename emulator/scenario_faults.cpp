// The faults of a scenario device.

#include "device/cdb.h"
#include "emulator/scenario_reader.h"

namespace qfw::emu::scenario {
namespace {

constexpr std::uint32_t kMaxCount = 1000000;

int ReadCount(const Json& fault, std::string_view name, int fallback, std::uint32_t min, const Where& where) {
  if (!fault.contains(name)) {
    return fallback;
  }
  const std::uint32_t value = ReadNumber(fault[std::string(name)], where / name, kMaxCount);
  if (value < min) {
    (where / name).Fail("must be at least " + std::to_string(min));
  }
  return static_cast<int>(value);
}

void ReadFailCommand(const Json& fault, FaultConfig& config, const Where& where) {
  CheckFields(fault, {"kind", "prefix", "nth", "count"}, where);
  if (!fault.contains("prefix")) {
    (where / "prefix").Fail("missing");
  }
  CommandFailure failure{.prefix = ReadHex(fault["prefix"], where / "prefix")};
  if (failure.prefix.empty() || failure.prefix.size() > kCdbLength) {
    (where / "prefix").Fail("wrong size: a prefix has 1 to 12 bytes");
  }
  failure.nth = ReadCount(fault, "nth", 1, 1, where);
  failure.count = ReadCount(fault, "count", 1, 1, where);
  config.failures.push_back(std::move(failure));
}

void ReadFlipByte(const Json& fault, FaultConfig& config, const Where& where) {
  CheckFields(fault, {"kind", "address", "mask"}, where);
  if (!fault.contains("address") || !fault.contains("mask")) {
    where.Fail("a flipByte fault needs address and mask");
  }
  config.flips.push_back({.address = ReadNumber(fault["address"], where / "address"),
                          .mask = static_cast<std::uint8_t>(ReadNumber(fault["mask"], where / "mask", 0xFF))});
}

void ReadVanish(const Json& fault, FaultConfig& config, const Where& where) {
  CheckFields(fault, {"kind", "afterCommands"}, where);
  if (!fault.contains("afterCommands")) {
    (where / "afterCommands").Fail("missing");
  }
  config.vanishAfter = ReadCount(fault, "afterCommands", 0, 0, where);
}

void ReadFault(const Json& fault, FaultConfig& config, const Where& where) {
  ExpectObject(fault, where);
  if (!fault.contains("kind")) {
    (where / "kind").Fail("missing");
  }
  const std::string kind = ReadString(fault["kind"], where / "kind");
  if (kind == "failCommand") {
    ReadFailCommand(fault, config, where);
  } else if (kind == "flipByte") {
    ReadFlipByte(fault, config, where);
  } else if (kind == "vanish") {
    ReadVanish(fault, config, where);
  } else if (kind == "stayBusy") {
    CheckFields(fault, {"kind"}, where);
    config.stayBusy = true;
  } else if (kind == "romStayBusy") {
    CheckFields(fault, {"kind"}, where);
    config.romStayBusy = true;
  } else if (kind == "heldOpen") {
    CheckFields(fault, {"kind"}, where);
    config.heldOpen = true;
  } else {
    (where / "kind").Fail("unknown fault kind \"" + kind +
                          "\" (known: failCommand, flipByte, stayBusy, romStayBusy, vanish, heldOpen)");
  }
}

}  // namespace

void ReadFaults(const Json& faults, FaultConfig& config, const Where& where) {
  if (!faults.is_array()) {
    where.Fail("expected an array of faults");
  }
  for (std::size_t i = 0; i < faults.size(); ++i) {
    ReadFault(faults[i], config, where[i]);
  }
}

}  // namespace qfw::emu::scenario
