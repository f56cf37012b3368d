#include "app/device_stack.h"

#include <stdexcept>

#include "device/diagnostic_pass_through.h"
#include "device/trace_pass_through.h"
#include "emulator/emulated_bus.h"
#include "emulator/emulated_discovery.h"
#include "emulator/emulated_pass_through.h"
#include "emulator/scenario.h"
#include "platform/sg_pass_through.h"
#include "platform/sysfs_discovery.h"
#include "resources/family13_image.h"

namespace qfw {

DeviceStack::DeviceStack(const DeviceStackOptions& options, Clock& clock, DebugOutput& debug) {
  if (options.scenario) {
    const emu::Scenario scenario = emu::LoadScenario(*options.scenario, {.embeddedImage = Family13ImageCopy});
    bus_ = std::make_unique<emu::EmulatedBus>(clock);
    emu::Install(scenario, *bus_);
    base_ = std::make_unique<emu::EmulatedPassThrough>(*bus_);
    discovery_ = std::make_unique<emu::EmulatedDiscovery>(*bus_);
  } else {
    base_ = std::make_unique<SgPassThrough>();
    discovery_ = std::make_unique<SysfsDiscovery>();
  }
  top_ = base_.get();
  if (options.trace) {
    traceFile_.open(*options.trace, std::ios::out | std::ios::trunc);
    if (!traceFile_) {
      throw std::runtime_error("cannot write the trace file " + *options.trace);
    }
    tracer_ = std::make_unique<TracePassThrough>(*top_, traceFile_);
    top_ = tracer_.get();
  }
  diagnostics_ = std::make_unique<DiagnosticPassThrough>(*top_, debug);
  top_ = diagnostics_.get();
}

DeviceStack::~DeviceStack() = default;

}  // namespace qfw
