#pragma once
// Ready-made devices: one preset per controller family that names itself in
// INQUIRY ("QR40611" ... "QRS642"), "QR40612-R" for the QR40612 that only
// its chip-information USB ids (3C5B/7E12) give away, and "usb-stick", a
// plain USB flash stick that answers INQUIRY and nothing vendor.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "emulator/device_config.h"

namespace qfw::emu {

inline constexpr std::string_view kUsbStickPreset = "usb-stick";

// Every preset name, in table order.
std::vector<std::string> PresetNames();

// The device of the named preset, without a path; nullopt for an unknown name.
std::optional<DeviceConfig> Preset(std::string_view name);

}  // namespace qfw::emu
