// Initial contents of a scenario device's flash or ROM: blank, a fill byte,
// a file, or the embedded firmware image (optionally with one byte changed).

#include <filesystem>
#include <fstream>
#include <string>

#include "emulator/scenario_reader.h"
#include "emulator/serial_flash.h"

namespace qfw::emu::scenario {
namespace {

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

std::string TooLarge(std::uintmax_t bytes, std::uint32_t size) {
  return "wrong size: " + std::to_string(bytes) + " bytes do not fit a flash of " + std::to_string(size) + " bytes";
}

// A contents file (the "file" member of the contents at `where`): a regular
// file no larger than the memory it fills, so a scenario naming a device
// node or a huge file is refused, not read.
std::vector<std::uint8_t> ReadFile(const Json& value, std::uint32_t size, const Where& where,
                                   const ScenarioOptions& options) {
  const Where fileWhere = where / "file";
  const std::filesystem::path name = ReadString(value, fileWhere);
  const std::filesystem::path path = name.is_absolute() ? name : options.baseDirectory / name;
  std::error_code error;
  if (std::filesystem::exists(path, error) && !std::filesystem::is_regular_file(path, error)) {
    fileWhere.Fail("cannot read \"" + path.string() + "\": not a regular file");
  }
  const std::uintmax_t length = std::filesystem::file_size(path, error);
  if (!error && length > size) {
    where.Fail(TooLarge(length, size));
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    fileWhere.Fail("cannot read \"" + path.string() + "\"");
  }
  std::vector<std::uint8_t> bytes(std::size_t{size} + 1);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return bytes;
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
    where.Fail(TooLarge(bytes.size(), size));
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
    return Padded(ReadFile(value["file"], size, where, options), size, where);
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

}  // namespace

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

}  // namespace qfw::emu::scenario
