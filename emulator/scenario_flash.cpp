// The flash chip of a scenario device: size, kinds, erase units, id answers
// and the initial contents.

#include <fstream>
#include <iterator>

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

std::vector<std::uint8_t> EmbeddedImage(const Where& where, const ScenarioOptions& options) {
  std::optional<std::vector<std::uint8_t>> image;
  if (options.embeddedImage) {
    image = options.embeddedImage();
  }
  if (!image) {
    where.Fail("this build has no embedded firmware image");
  }
  return std::move(*image);
}

std::vector<std::uint8_t> ReadFile(const Json& value, const Where& where, const ScenarioOptions& options) {
  const std::filesystem::path name = ReadString(value, where);
  const std::filesystem::path path = name.is_absolute() ? name : options.baseDirectory / name;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    where.Fail("cannot read \"" + path.string() + "\"");
  }
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// "embedded-modified" and {"embedded": true, "xor": {...}}: the embedded
// image with one byte changed, so the device does not hold it yet.
struct XorPatch {
  std::uint32_t offset = 0;
  std::uint8_t mask = 0xFF;
};

XorPatch ReadXor(const Json& value, const Where& where) {
  CheckFields(ExpectObject(value, where), {"offset", "mask"}, where);
  XorPatch patch;
  if (value.contains("offset")) {
    patch.offset = ReadNumber(value["offset"], where / "offset");
  }
  if (value.contains("mask")) {
    patch.mask = static_cast<std::uint8_t>(ReadNumber(value["mask"], where / "mask", 0xFF));
  }
  return patch;
}

std::vector<std::uint8_t> Padded(std::vector<std::uint8_t> bytes, std::uint32_t size, const Where& where) {
  if (bytes.size() > size) {
    where.Fail("wrong size: " + std::to_string(bytes.size()) + " bytes do not fit a flash of " +
               std::to_string(size) + " bytes");
  }
  bytes.resize(size, kErasedByte);
  return bytes;
}

std::vector<std::uint8_t> Modified(std::vector<std::uint8_t> contents, const XorPatch& patch, const Where& where) {
  if (patch.offset >= contents.size()) {
    (where / "xor" / "offset").Fail("lies past the end of the flash");
  }
  contents[patch.offset] ^= patch.mask;
  return contents;
}

std::vector<std::uint8_t> ReadContentsObject(const Json& value, std::uint32_t size, const Where& where,
                                             const ScenarioOptions& options) {
  if (value.contains("fill")) {
    CheckFields(value, {"fill"}, where);
    return std::vector<std::uint8_t>(size, ReadHex(value["fill"], where / "fill", 1)[0]);
  }
  if (value.contains("file")) {
    CheckFields(value, {"file"}, where);
    return Padded(ReadFile(value["file"], where / "file", options), size, where);
  }
  if (value.contains("embedded")) {
    CheckFields(value, {"embedded", "xor"}, where);
    if (!ReadBool(value["embedded"], where / "embedded")) {
      (where / "embedded").Fail("must be true");
    }
    auto contents = Padded(EmbeddedImage(where, options), size, where);
    return value.contains("xor") ? Modified(std::move(contents), ReadXor(value["xor"], where / "xor"), where)
                                 : contents;
  }
  where.Fail("expected \"blank\", \"embedded\", \"embedded-modified\" or an object with fill, file or embedded");
}

std::vector<std::uint8_t> ReadContents(const Json& value, std::uint32_t size, const Where& where,
                                       const ScenarioOptions& options) {
  if (value.is_object()) {
    return ReadContentsObject(value, size, where, options);
  }
  const std::string text = ReadString(value, where);
  if (text == "blank") {
    return {};
  }
  if (text == "embedded") {
    return Padded(EmbeddedImage(where, options), size, where);
  }
  if (text == "embedded-modified") {
    return Modified(Padded(EmbeddedImage(where, options), size, where), XorPatch{}, where);
  }
  where.Fail("unknown contents \"" + text + "\"");
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
  if (!IsValidGeometry(config.Geometry())) {
    where.Fail("erase units must be powers of two of at least 256 bytes, the sector no larger than the block");
  }
}

}  // namespace

void ReadFlash(const Json& value, FlashConfig& config, const Where& where, const ScenarioOptions& options) {
  CheckFields(ExpectObject(value, where),
              {"size", "reportedKind", "geometryKind", "sectorSize", "blockSize", "answers", "id3Answers", "contents"},
              where);
  if (value.contains("size")) {
    config.size = ReadNumber(value["size"], where / "size");
    if (!IsValidFlashSize(config.size)) {
      (where / "size").Fail("wrong size: must be a power of two from 4096 to 16777216");
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
