#pragma once
// The device side of one program run: the machine's real devices (SG_IO and
// sysfs) or an emulated machine from a scenario file, with the optional
// trace file and the diagnostics of failed requests.

#include <fstream>
#include <memory>
#include <optional>
#include <string>

#include "device/debug_output.h"
#include "device/discovery.h"
#include "device/pass_through.h"
#include "device/clock.h"

namespace qfw {
namespace emu {
class EmulatedBus;
}

struct DeviceStackOptions {
  std::optional<std::string> scenario;  // emulate this scenario file
  std::optional<std::string> trace;     // write the trace here
};

class DeviceStack {
 public:
  // Throws std::runtime_error (a scenario error included) with a message
  // for the user when the scenario or the trace file cannot be used.
  DeviceStack(const DeviceStackOptions& options, Clock& clock, DebugOutput& debug);
  ~DeviceStack();
  DeviceStack(const DeviceStack&) = delete;
  DeviceStack& operator=(const DeviceStack&) = delete;

  PassThrough& Driver() { return *top_; }
  DeviceDiscovery& Discovery() { return *discovery_; }
  // The emulated machine, or nullptr when working on real devices.
  emu::EmulatedBus* Bus() { return bus_.get(); }

 private:
  std::unique_ptr<emu::EmulatedBus> bus_;
  std::unique_ptr<PassThrough> base_;
  std::unique_ptr<DeviceDiscovery> discovery_;
  std::ofstream traceFile_;
  std::unique_ptr<PassThrough> tracer_;
  std::unique_ptr<PassThrough> diagnostics_;
  PassThrough* top_ = nullptr;
};

}  // namespace qfw
