// One device of a scenario: its preset, then the fields that override it.

#include "emulator/hex_text.h"
#include "emulator/presets.h"
#include "emulator/scenario_reader.h"

namespace qfw::emu::scenario {
namespace {

constexpr std::size_t kVendorWidth = 8;
constexpr std::size_t kProductWidth = 16;
constexpr std::size_t kRevisionWidth = 4;
constexpr std::size_t kInquiryCodeWidth = 4;
constexpr std::uint32_t kMaxReattachMs = 600000;

DeviceConfig StartFromPreset(const Json& device, const Where& where) {
  const bool bridge = !device.contains("bridge") || ReadBool(device["bridge"], where / "bridge");
  if (!device.contains("preset")) {
    if (bridge) {
      (where / "preset").Fail("a bridge needs a preset");
    }
    return *Preset(kUsbStickPreset);
  }
  const std::string name = ReadString(device["preset"], where / "preset");
  auto config = Preset(name);
  if (!config) {
    std::string known;
    for (const std::string& preset : PresetNames()) {
      known += (known.empty() ? "" : ", ") + preset;
    }
    (where / "preset").Fail("unknown preset \"" + name + "\" (known: " + known + ")");
  }
  // A preset knows whether it is a bridge; "bridge" only overrides it.
  if (device.contains("bridge")) {
    config->bridge = bridge;
  }
  return std::move(*config);
}

InterfaceClass ReadClass(const Json& value, const Where& where) {
  const std::string text = ReadString(value, where);
  if (text == "disk") {
    return InterfaceClass::Disk;
  }
  if (text == "cdrom") {
    return InterfaceClass::Cdrom;
  }
  where.Fail("expected \"disk\" or \"cdrom\", not \"" + text + "\"");
}

void ReadInquiry(const Json& value, InquiryIdentity& inquiry, const Where& where) {
  CheckFields(ExpectObject(value, where), {"vendor", "product", "revision", "chipCode"}, where);
  if (value.contains("vendor")) {
    inquiry.vendor = ReadText(value["vendor"], where / "vendor", kVendorWidth);
  }
  if (value.contains("product")) {
    inquiry.product = ReadText(value["product"], where / "product", kProductWidth);
  }
  if (value.contains("revision")) {
    inquiry.revision = ReadText(value["revision"], where / "revision", kRevisionWidth);
  }
  if (value.contains("chipCode")) {
    const Json& code = value["chipCode"];
    inquiry.chipCode = code.is_null() ? "" : ReadText(code, where / "chipCode", kInquiryCodeWidth);
    if (!inquiry.chipCode.empty() && inquiry.chipCode.size() != kInquiryCodeWidth) {
      (where / "chipCode").Fail("wrong size: a chip code has 4 characters");
    }
  }
}

template <std::size_t N>
std::array<std::uint8_t, N> ReadNumbers(const Json& value, const Where& where) {
  if (!value.is_array() || value.size() != N) {
    where.Fail("expected " + std::to_string(N) + " numbers");
  }
  std::array<std::uint8_t, N> numbers{};
  for (std::size_t i = 0; i < N; ++i) {
    numbers[i] = static_cast<std::uint8_t>(ReadNumber(value[i], where[i], 0xFF));
  }
  return numbers;
}

void ReadChipInfoFields(const Json& value, ChipInfoRecord& info, const Where& where) {
  CheckFields(value,
              {"magic", "vendorId", "productId", "shortVersion", "tag", "revision", "longVersion", "byte15",
               "transferred"},
              where);
  if (value.contains("magic")) {
    const auto magic = ReadHex(value["magic"], where / "magic", 2);
    info.magic = {magic[0], magic[1]};
  }
  if (value.contains("vendorId")) {
    info.usbVendorId = static_cast<std::uint16_t>(ReadHexNumber(value["vendorId"], where / "vendorId", 0xFFFF));
  }
  if (value.contains("productId")) {
    info.usbProductId = static_cast<std::uint16_t>(ReadHexNumber(value["productId"], where / "productId", 0xFFFF));
  }
  if (value.contains("shortVersion")) {
    info.shortVersion = ReadNumbers<2>(value["shortVersion"], where / "shortVersion");
  }
  if (value.contains("longVersion")) {
    info.longVersion = ReadNumbers<3>(value["longVersion"], where / "longVersion");
  }
  if (value.contains("tag")) {
    info.tag = ReadText(value["tag"], where / "tag", 3);
  }
  if (value.contains("revision")) {
    const std::string revision = ReadText(value["revision"], where / "revision", 1);
    info.revision = revision.empty() ? '\0' : revision[0];
  }
  if (value.contains("byte15")) {
    info.byte15 = static_cast<std::uint8_t>(ReadNumber(value["byte15"], where / "byte15", 0xFF));
  }
  if (value.contains("transferred")) {
    info.transferred = ReadNumber(value["transferred"], where / "transferred", kChipInfoSize);
  }
}

// null or "absent": the controller does not know the command.
bool IsAbsent(const Json& value) { return value.is_null() || (value.is_string() && value == "absent"); }

void ReadChipInfo(const Json& value, std::optional<ChipInfoRecord>& info, const Where& where) {
  if (IsAbsent(value)) {
    info.reset();
    return;
  }
  if (!info) {
    info.emplace();
  }
  ReadChipInfoFields(ExpectObject(value, where), *info, where);
}

void ReadMemory(const Json& value, std::vector<MemoryPatch>& patches, const Where& where) {
  for (const auto& [key, bytesText] : ExpectObject(value, where).items()) {
    const auto address = ParseHexNumber(key);
    if (!address || *address >= kControllerMemorySize) {
      where.Fail("bad controller address \"" + key + "\"");
    }
    auto bytes = ReadHex(bytesText, where / key);
    if (*address + bytes.size() > kControllerMemorySize) {
      (where / key).Fail("wrong size: the bytes run past 0xFFFF");
    }
    patches.push_back({static_cast<std::uint16_t>(*address), std::move(bytes)});
  }
}

bool ReadPermissionDenied(const Json& value, const Where& where) {
  const std::string text = ReadString(value, where);
  if (text != "denied" && text != "allowed") {
    where.Fail("expected \"denied\" or \"allowed\", not \"" + text + "\"");
  }
  return text == "denied";
}

void ReadAttachment(const Json& device, DeviceConfig& config, const Where& where) {
  if (!device.contains("path")) {
    (where / "path").Fail("missing");
  }
  config.path = ReadString(device["path"], where / "path");
  if (config.path.empty()) {
    (where / "path").Fail("must not be empty");
  }
  if (device.contains("class")) {
    config.interfaceClass = ReadClass(device["class"], where / "class");
  }
  if (device.contains("cdromPath")) {
    if (config.interfaceClass == InterfaceClass::Cdrom) {
      (where / "cdromPath").Fail("the device is a CD-ROM already");
    }
    config.cdromPath = ReadString(device["cdromPath"], where / "cdromPath");
  }
  if (device.contains("usbStorage")) {
    config.usbStorage = ReadBool(device["usbStorage"], where / "usbStorage");
  }
  if (device.contains("attached")) {
    config.attached = ReadBool(device["attached"], where / "attached");
  }
  if (device.contains("permission")) {
    config.permissionDenied = ReadPermissionDenied(device["permission"], where / "permission");
  }
  if (device.contains("heldOpen")) {
    config.faults.heldOpen = ReadBool(device["heldOpen"], where / "heldOpen");
  }
  if (device.contains("resetReattachMs")) {
    config.resetReattach =
        std::chrono::milliseconds(ReadNumber(device["resetReattachMs"], where / "resetReattachMs", kMaxReattachMs));
  }
}

void ReadIdentity(const Json& device, DeviceConfig& config, const Where& where) {
  if (device.contains("inquiry")) {
    ReadInquiry(device["inquiry"], config.inquiry, where / "inquiry");
  }
  if (device.contains("identify")) {
    const auto identify = ReadHex(device["identify"], where / "identify", 2);
    config.identify = {identify[0], identify[1]};
  }
  if (device.contains("chipInfo")) {
    ReadChipInfo(device["chipInfo"], config.chipInfo, where / "chipInfo");
  }
  if (device.contains("chipCode")) {
    const Json& code = device["chipCode"];
    config.chipCode = IsAbsent(code) ? std::nullopt
                                     : std::optional(ReadText(code, where / "chipCode", kChipCodeSize));
  }
  if (device.contains("blockCommands")) {
    config.blockCommands = ReadBool(device["blockCommands"], where / "blockCommands");
  }
  if (device.contains("memory")) {
    ReadMemory(device["memory"], config.memory, where / "memory");
  }
}

}  // namespace

DeviceConfig ReadDevice(const Json& device, int index, const ScenarioOptions& options) {
  const Where where(index, "");
  CheckFields(ExpectObject(device, where),
              {"path", "class", "cdromPath", "usbStorage", "bridge", "attached", "preset", "inquiry", "identify",
               "chipInfo", "chipCode", "memory", "flash", "rom", "blockCommands", "permission", "heldOpen", "faults",
               "resetReattachMs"},
              where);
  DeviceConfig config = StartFromPreset(device, where);
  ReadAttachment(device, config, where);
  ReadIdentity(device, config, where);
  if (device.contains("flash")) {
    ReadFlash(device["flash"], config.flash, where / "flash", options);
  }
  if (device.contains("rom")) {
    ReadRom(device["rom"], config.rom, where / "rom", options);
  }
  if (device.contains("faults")) {
    ReadFaults(device["faults"], config.faults, where / "faults");
    if (config.faults.romStayBusy && !config.rom) {
      (where / "faults").Fail("romStayBusy needs a device with a ROM");
    }
  }
  return config;
}

}  // namespace qfw::emu::scenario
