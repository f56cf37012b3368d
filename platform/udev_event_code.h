#pragma once
// How a udev hot-plug action becomes one of the window's device-change
// event codes (app/device_events.h values, repeated here so the platform
// layer stays below the application).

#include <cstdint>
#include <string_view>

namespace qfw {

// "add" is a device arrival (0x8000) and "remove" a completed removal
// (0x8004). Every other action ("bind", "unbind", "change", "move", ...)
// becomes 0x0018, configuration changed, which the rescan ignores on
// purpose: a USB device that arrives is followed at once by bind and change
// events of its interfaces, and if those counted as "some other device
// event" they would restart the rescan timer with 200 ms and cut short the
// 1200 ms that an arriving device gets to settle.
std::uint32_t DeviceEventCodeForAction(std::string_view action);

}  // namespace qfw
