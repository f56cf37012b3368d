#include "emulator/emulated_bus.h"

#include <stdexcept>
#include <utility>

namespace qfw::emu {

EmulatedBridge& EmulatedBus::Add(DeviceConfig config) {
  std::vector<std::pair<std::string, InterfaceClass>> interfaces{{config.path, config.interfaceClass}};
  if (config.cdromPath) {
    interfaces.emplace_back(*config.cdromPath, InterfaceClass::Cdrom);
  }
  for (const auto& [path, interfaceClass] : interfaces) {
    if (FindPort(path) != nullptr) {
      throw std::invalid_argument("device path " + path + " is taken already");
    }
  }
  auto& device = *devices_.emplace_back(std::make_unique<EmulatedBridge>(std::move(config), clock_));
  for (const auto& [path, interfaceClass] : interfaces) {
    ports_.push_back({path, interfaceClass, &device, device.Present(), device.DetachCount()});
  }
  return device;
}

EmulatedBridge* EmulatedBus::Find(const std::string& path) {
  Port* port = FindPort(path);
  return port != nullptr ? port->device : nullptr;
}

ScsiResult EmulatedBus::Execute(const std::string& path, const ScsiRequest& request) {
  Poll();
  Port* port = FindPort(path);
  if (port == nullptr) {
    return ScsiResult{.error = TransportError::NoDevice, .detail = "no device at " + path};
  }
  ScsiResult result = port->device->Handle(request, port->interfaceClass);
  Poll();
  return result;
}

std::vector<std::string> EmulatedBus::PresentUsbPaths(InterfaceClass interfaceClass) {
  Poll();
  std::vector<std::string> paths;
  for (const Port& port : ports_) {
    if (port.interfaceClass == interfaceClass && port.device->Config().usbStorage && port.device->Present()) {
      paths.push_back(port.path);
    }
  }
  return paths;
}

void EmulatedBus::Poll() {
  std::vector<std::pair<std::string, bool>> events;
  for (Port& port : ports_) {
    const bool present = port.device->Present();
    const unsigned detachCount = port.device->DetachCount();
    const bool detachedSince = detachCount != port.knownDetachCount;
    if (port.knownPresent && (!present || detachedSince)) {
      events.emplace_back(port.path, false);
    }
    if (present && (!port.knownPresent || detachedSince)) {
      events.emplace_back(port.path, true);
    }
    port.knownPresent = present;
    port.knownDetachCount = detachCount;
  }
  if (!listener_) {
    return;
  }
  for (const auto& [path, attached] : events) {
    listener_(path, attached);
  }
}

void EmulatedBus::Unplug(const std::string& path) {
  DeviceAt(path).Unplug();
  Poll();
}

void EmulatedBus::Plug(const std::string& path) {
  DeviceAt(path).Plug();
  Poll();
}

EmulatedBus::Port* EmulatedBus::FindPort(const std::string& path) {
  for (Port& port : ports_) {
    if (port.path == path) {
      return &port;
    }
  }
  return nullptr;
}

EmulatedBridge& EmulatedBus::DeviceAt(const std::string& path) {
  EmulatedBridge* device = Find(path);
  if (device == nullptr) {
    throw std::invalid_argument("no device at " + path);
  }
  return *device;
}

}  // namespace qfw::emu
