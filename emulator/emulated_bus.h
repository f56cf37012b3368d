#pragma once
// The emulated devices attached to the machine, by path. A device with a
// CD-ROM interface besides its primary one is reachable by both paths.
// EmulatedPassThrough and EmulatedDiscovery are views on the bus.
//
// Attach and detach events (a reset, Unplug/Plug, a vanishing device) reach
// the listener from Poll(), which every access runs as well, so re-attaching
// after a reset is noticed as soon as anyone looks once the delay has passed.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "device/clock.h"
#include "device/pass_through.h"
#include "emulator/device_config.h"
#include "emulator/emulated_bridge.h"

namespace qfw::emu {

class EmulatedBus {
 public:
  using Listener = std::function<void(const std::string& path, bool attached)>;

  explicit EmulatedBus(Clock& clock) : clock_(clock) {}
  EmulatedBus(const EmulatedBus&) = delete;
  EmulatedBus& operator=(const EmulatedBus&) = delete;

  // Adds a device in its configured attach state, without an event. Throws
  // std::invalid_argument when one of its paths is taken already.
  EmulatedBridge& Add(DeviceConfig config);
  // The device reachable by path, or nullptr.
  EmulatedBridge* Find(const std::string& path);

  ScsiResult Execute(const std::string& path, const ScsiRequest& request);

  // Present paths of USB mass-storage interfaces of one class, in the order
  // the devices were added.
  std::vector<std::string> PresentUsbPaths(InterfaceClass interfaceClass);

  void SetListener(Listener listener) { listener_ = std::move(listener); }
  // Reports every attach or detach since the last look to the listener.
  void Poll();

  // Hot-plug by hand, with events.
  void Unplug(const std::string& path);
  void Plug(const std::string& path);

 private:
  // One path of one device and what the listener was last told about it.
  struct Port {
    std::string path;
    InterfaceClass interfaceClass;
    EmulatedBridge* device;
    bool knownPresent;
    unsigned knownDetachCount;
  };

  Port* FindPort(const std::string& path);
  EmulatedBridge& DeviceAt(const std::string& path);

  Clock& clock_;
  std::vector<std::unique_ptr<EmulatedBridge>> devices_;
  std::vector<Port> ports_;
  Listener listener_;
};

}  // namespace qfw::emu
