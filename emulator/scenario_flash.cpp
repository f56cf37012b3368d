// The flash chip of a scenario device: size, kinds, erase units, id answers
// and the initial contents.

#include "emulator/amic_flash.h"
#include "emulator/flash_geometry.h"
#include "emulator/hex_text.h"
#include "emulator/scenario_reader.h"
#include "emulator/serial_flash.h"

namespace qfw::emu::scenario {
namespace {

constexpr std::uint32_t kMaxGeometryKind = kMaxFlashKind;

std::uint8_t ReadOpcode(const std::string& key, const Where& where) {
  const auto opcode = ParseHexNumber(key);
  if (!opcode || *opcode > 0xFF) {
    where.Fail("bad opcode \"" + key + "\"");
  }
  return static_cast<std::uint8_t>(*opcode);
}

// An empty answer removes the preset's answer for that opcode.
void ReadAnswers(const Json& value, FlashConfig& config, const Where& where) {
  for (const auto& [key, text] : ExpectObject(value, where).items()) {
    const std::uint8_t opcode = ReadOpcode(key, where);
    auto bytes = ReadHex(text, where / key);
    if (bytes.empty()) {
      config.answers.erase(opcode);
    } else {
      config.answers[opcode] = std::move(bytes);
    }
  }
}

void ReadId3Answers(const Json& value, FlashConfig& config, const Where& where) {
  for (const auto& [key, text] : ExpectObject(value, where).items()) {
    const auto bytes = ReadHex(text, where / key, 3);
    config.id3Answers[ReadOpcode(key, where)] = {bytes[0], bytes[1], bytes[2]};
  }
}

std::vector<std::uint32_t> ReadSectorEraseUnits(const Json& value, const Where& where) {
  if (!value.is_array()) {
    where.Fail("expected an array of unit sizes");
  }
  std::vector<std::uint32_t> units;
  for (std::size_t i = 0; i < value.size(); ++i) {
    units.push_back(ReadNumber(value[i], where[i]));
  }
  EraseGeometry alone;  // the map checked on its own, for a message that names it
  alone.sectorEraseUnits = units;
  if (!IsValidGeometry(alone)) {
    where.Fail("each unit must be a power of two of at least 256 bytes that starts at a multiple of its size");
  }
  return units;
}

void ReadAmicModel(const Json& value, FlashConfig& config, const Where& where) {
  const auto model = static_cast<int>(ReadNumber(value, where, 0xFF));
  if (!IsAmicModel(model)) {
    where.Fail("expected 1, 3, 4 or 5, not " + std::to_string(model));
  }
  UseAmicFlash(config, model);
}

void ReadGeometry(const Json& value, FlashConfig& config, const Where& where) {
  if (value.contains("geometryKind")) {
    config.geometryKind = static_cast<int>(ReadNumber(value["geometryKind"], where / "geometryKind", kMaxGeometryKind));
  }
  if (value.contains("sectorSize")) {
    config.sectorSize = ReadNumber(value["sectorSize"], where / "sectorSize");
  }
  if (value.contains("blockSize")) {
    config.blockSize = ReadNumber(value["blockSize"], where / "blockSize");
  }
  if (value.contains("sectorEraseUnits")) {
    config.sectorEraseUnits = ReadSectorEraseUnits(value["sectorEraseUnits"], where / "sectorEraseUnits");
  }
  if (!IsValidGeometry(config.Geometry())) {
    where.Fail("erase units must be powers of two of at least 256 bytes, the sector no larger than the block");
  }
}

}  // namespace

void ReadFlash(const Json& value, FlashConfig& config, const Where& where, const ScenarioOptions& options) {
  CheckFields(ExpectObject(value, where),
              {"size", "reportedKind", "amicModel", "geometryKind", "sectorSize", "blockSize", "sectorEraseUnits",
               "answers", "id3Answers", "contents"},
              where);
  // The AMIC part first, so that the fields below can still change it.
  if (value.contains("amicModel")) {
    ReadAmicModel(value["amicModel"], config, where / "amicModel");
  }
  if (value.contains("size")) {
    config.size = ReadNumber(value["size"], where / "size");
    if (!IsValidFlashSize(config.size)) {
      (where / "size").Fail("wrong size: must be a power of two from 4096 to 16777216");
    }
    // The preset's contents fit the new size: cut, or padded with erased bytes.
    if (config.contents.size() > config.size) {
      config.contents.resize(config.size);
    }
  }
  if (value.contains("reportedKind")) {
    config.reportedKind = static_cast<std::uint8_t>(ReadNumber(value["reportedKind"], where / "reportedKind", 0xFF));
  }
  ReadGeometry(value, config, where);
  if (value.contains("answers")) {
    ReadAnswers(value["answers"], config, where / "answers");
  }
  if (value.contains("id3Answers")) {
    ReadId3Answers(value["id3Answers"], config, where / "id3Answers");
  }
  if (value.contains("contents")) {
    config.contents = ReadContents(value["contents"], config.size, where / "contents", options);
  }
}

}  // namespace qfw::emu::scenario
