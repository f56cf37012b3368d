#include "emulator/scenario_reader.h"

#include <algorithm>

#include "emulator/hex_text.h"

namespace qfw::emu::scenario {

Where Where::operator/(std::string_view name) const {
  return Where(device_, field_.empty() ? std::string(name) : field_ + "." + std::string(name));
}

Where Where::operator[](std::size_t index) const {
  return Where(device_, field_ + "[" + std::to_string(index) + "]");
}

void Where::Fail(const std::string& what) const {
  std::string message = device_ >= 0 ? "device " + std::to_string(device_) : std::string("scenario");
  if (!field_.empty()) {
    message += ": " + field_;
  }
  throw ScenarioError(message + ": " + what);
}

void CheckFields(const Json& object, std::initializer_list<std::string_view> known, const Where& where) {
  for (const auto& [key, value] : object.items()) {
    if (std::find(known.begin(), known.end(), key) == known.end()) {
      (where / key).Fail("unknown field");
    }
  }
}

const Json& ExpectObject(const Json& value, const Where& where) {
  if (!value.is_object()) {
    where.Fail("expected an object");
  }
  return value;
}

bool ReadBool(const Json& value, const Where& where) {
  if (!value.is_boolean()) {
    where.Fail("expected true or false");
  }
  return value.get<bool>();
}

std::string ReadString(const Json& value, const Where& where) {
  if (!value.is_string()) {
    where.Fail("expected a string");
  }
  return value.get<std::string>();
}

namespace {

std::uint32_t CheckMax(std::uint64_t value, const Where& where, std::uint32_t max) {
  if (value > max) {
    where.Fail(std::to_string(value) + " is larger than " + std::to_string(max));
  }
  return static_cast<std::uint32_t>(value);
}

std::uint32_t ReadNumberWith(const Json& value, const Where& where, std::uint32_t max,
                             std::optional<std::uint32_t> (*parse)(std::string_view)) {
  if (value.is_number_unsigned()) {
    return CheckMax(value.get<std::uint64_t>(), where, max);
  }
  if (value.is_string()) {
    const auto text = value.get<std::string>();
    const auto number = parse(text);
    if (!number) {
      where.Fail("bad number \"" + text + "\"");
    }
    return CheckMax(*number, where, max);
  }
  where.Fail("expected a non-negative whole number");
}

}  // namespace

std::uint32_t ReadNumber(const Json& value, const Where& where, std::uint32_t max) {
  return ReadNumberWith(value, where, max, &ParseNumberText);
}

std::uint32_t ReadHexNumber(const Json& value, const Where& where, std::uint32_t max) {
  return ReadNumberWith(value, where, max, &ParseHexNumber);
}

std::vector<std::uint8_t> ReadHex(const Json& value, const Where& where) {
  const std::string text = ReadString(value, where);
  auto bytes = ParseHexBytes(text);
  if (!bytes) {
    where.Fail("bad hex \"" + text + "\"");
  }
  return std::move(*bytes);
}

std::vector<std::uint8_t> ReadHex(const Json& value, const Where& where, std::size_t exactSize) {
  auto bytes = ReadHex(value, where);
  if (bytes.size() != exactSize) {
    where.Fail("wrong size: " + std::to_string(bytes.size()) + " bytes, expected " + std::to_string(exactSize));
  }
  return bytes;
}

std::string ReadText(const Json& value, const Where& where, std::size_t maxLength) {
  std::string text = ReadString(value, where);
  if (text.size() > maxLength) {
    where.Fail("wrong size: \"" + text + "\" is longer than " + std::to_string(maxLength) + " characters");
  }
  return text;
}

}  // namespace qfw::emu::scenario
