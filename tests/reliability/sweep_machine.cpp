#include "tests/reliability/sweep_machine.h"

#include <algorithm>

#include "app/device_events.h"

namespace qfw::test {
namespace {

constexpr std::chrono::milliseconds kTimeStep{50};

}  // namespace

SweepMachine::SweepMachine(const MachineSetup& setup, RunLimits limits)
    : injector(emulated, clock, limits), setup_(setup) {
  for (const ResourceEntry& entry : setup_.resources) resources.Add(entry.type, entry.name, entry.bytes);
  device_ = &bus.Add(setup_.device);
  bus.SetListener([this](const std::string&, bool attached) {
    workflow.WMDeviceChange(attached ? kDeviceArrival : kDeviceRemoveComplete);
  });
}

emu::EmulatedBridge& SweepMachine::Heal() {
  emu::DeviceConfig config = setup_.device;
  config.path = setup_.device.path + "-replugged" + std::to_string(++heals_);
  config.cdromPath.reset();
  config.attached = false;
  config.faults = {};
  const auto flash = device_->Flash().Contents();
  config.flash.contents.assign(flash.begin(), flash.end());
  if (const emu::ParallelRom* rom = device_->Rom(); rom != nullptr && config.rom) {
    const auto romBytes = rom->Contents();
    config.rom->contents.assign(romBytes.begin(), romBytes.end());
  }
  injector.Disarm();
  bus.Unplug(DevicePath());
  device_ = &bus.Add(std::move(config));
  bus.Plug(DevicePath());
  return *device_;
}

void SweepMachine::PassTime(std::chrono::milliseconds total) {
  for (std::chrono::milliseconds passed{0}; passed < total; passed += kTimeStep) {
    clock.Advance(kTimeStep);
    bus.Poll();
    RunDueTimers();
  }
}

void SweepMachine::RunDueTimers() {
  timers.FireDue([this](int id) { workflow.WMTimer(id); });
}

}  // namespace qfw::test
