#pragma once
// Where the window's device-change events come from: udev on a real
// machine, the emulated bus's attach and detach events otherwise. Both hand
// the event code to a handler on the event loop.

#include <QSocketNotifier>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include "device/debug_output.h"
#include "emulator/emulated_bus.h"
#include "platform/udev_monitor.h"

namespace qfw {

using DeviceEventHandler = std::function<void(std::uint32_t code)>;

// USB devices and SCSI generic nodes that come and go, from udev.
class UdevHotPlug {
 public:
  // Without a udev monitor (no netlink socket, as in many containers) the
  // window works on but hears of no device events; debug says so.
  UdevHotPlug(DebugOutput& debug, DeviceEventHandler onEvent);
  ~UdevHotPlug();
  UdevHotPlug(const UdevHotPlug&) = delete;
  UdevHotPlug& operator=(const UdevHotPlug&) = delete;

  bool Active() const { return monitor_ != nullptr; }

 private:
  void Drain();

  DeviceEventHandler onEvent_;
  std::unique_ptr<UdevMonitor> monitor_;
  std::unique_ptr<QSocketNotifier> notifier_;
};

// Attach and detach events of the emulated machine. The bus reports them
// when someone looks, so a timer looks every interval; a reset's re-attach
// is then seen like a real one.
class EmulatedHotPlug {
 public:
  static constexpr std::chrono::milliseconds kPollInterval{100};

  EmulatedHotPlug(emu::EmulatedBus& bus, DeviceEventHandler onEvent);
  ~EmulatedHotPlug();
  EmulatedHotPlug(const EmulatedHotPlug&) = delete;
  EmulatedHotPlug& operator=(const EmulatedHotPlug&) = delete;

  // One look at the bus, as the timer does it.
  void Poll() { bus_.Poll(); }

 private:
  emu::EmulatedBus& bus_;
  QTimer timer_;
};

}  // namespace qfw
