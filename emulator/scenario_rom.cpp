// The parallel ROM of a scenario device: its type, the A1-chip flag and the
// initial contents.

#include "device/rom_sequences.h"
#include "emulator/parallel_rom.h"
#include "emulator/scenario_reader.h"

namespace qfw::emu::scenario {
namespace {

std::string TypeChoices() {
  std::string choices = "expected 0, 1, 2 or a type name (";
  for (std::size_t i = 0; i < kRomTypes.size(); ++i) {
    choices += (i == 0 ? "\"" : ", \"") + std::string(kRomTypes[i].name) + "\"";
  }
  return choices + ")";
}

// A number as the developer panel counts the types, or the type's name.
int ReadRomType(const Json& value, const Where& where) {
  if (value.is_string()) {
    const std::string name = value.get<std::string>();
    for (std::size_t i = 0; i < kRomTypes.size(); ++i) {
      if (kRomTypes[i].name == name) {
        return static_cast<int>(i);
      }
    }
  } else if (value.is_number_unsigned() && value.get<std::uint64_t>() < kRomTypes.size()) {
    return static_cast<int>(value.get<std::uint64_t>());
  }
  where.Fail(TypeChoices() + ", not " + value.dump());
}

}  // namespace

void ReadRom(const Json& value, std::optional<RomConfig>& config, const Where& where,
             const ScenarioOptions& options) {
  if (value.is_null() || (value.is_string() && value == "absent")) {
    config.reset();
    return;
  }
  CheckFields(ExpectObject(value, where), {"type", "a1Chip", "contents"}, where);
  if (!config) {
    config.emplace();
  }
  if (value.contains("type")) {
    config->type = ReadRomType(value["type"], where / "type");
  }
  if (value.contains("a1Chip")) {
    config->a1Chip = ReadBool(value["a1Chip"], where / "a1Chip");
  }
  if (value.contains("contents")) {
    config->contents = ReadContents(value["contents"], kRomSize, where / "contents", options);
  }
}

}  // namespace qfw::emu::scenario
