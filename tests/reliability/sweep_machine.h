#pragma once
// One emulated machine for one run of the sweep: a single device on an
// emulated bus, the fault injector in front of it, the real transport, and
// the main window's workflow on a recording window with manual timers, all
// in virtual time. The host's pump and message boxes let due timers run, as
// the window's modal loops would.

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/fw_tool_workflow.h"
#include "device/transport.h"
#include "emulator/device_config.h"
#include "emulator/emulated_bus.h"
#include "emulator/emulated_discovery.h"
#include "emulator/emulated_pass_through.h"
#include "tests/app/manual_timer_service.h"
#include "tests/app/recording_window_view.h"
#include "tests/reliability/fault_injector.h"
#include "tests/support/fake_host.h"

namespace qfw::test {

struct ResourceEntry {
  std::string type;
  std::string name;
  std::vector<std::uint8_t> bytes;
};

struct MachineSetup {
  emu::DeviceConfig device;  // with its path
  std::vector<ResourceEntry> resources;
};

// Lets the window's due timers run.
class TimerPump final : public Pump {
 public:
  explicit TimerPump(std::function<void()> run) : run_(std::move(run)) {}
  void ProcessPendingEvents() override { run_(); }

 private:
  std::function<void()> run_;
};

class TimerMessageBox final : public MessageBox {
 public:
  explicit TimerMessageBox(std::function<void()> run) : run_(std::move(run)) {}
  void Show(std::string_view text, std::string_view caption, MessageIcon icon) override {
    shown.push_back({std::string(text), std::string(caption), icon});
    run_();
  }
  std::vector<ShownMessage> shown;

 private:
  std::function<void()> run_;
};

// What tests may do to requests on their way: look at them first, and lead
// a path to another device (a device swapped behind the program's back).
class RequestHooks final : public PassThrough {
 public:
  explicit RequestHooks(PassThrough& inner) : inner_(inner) {}
  ScsiResult Execute(const std::string& path, const ScsiRequest& request) override {
    if (before) before(path, request);
    const auto routed = reroute.find(path);
    return inner_.Execute(routed == reroute.end() ? path : routed->second, request);
  }
  std::function<void(const std::string& path, const ScsiRequest& request)> before;
  std::map<std::string, std::string> reroute;

 private:
  PassThrough& inner_;
};

class SweepMachine {
 public:
  explicit SweepMachine(const MachineSetup& setup, RunLimits limits = {});
  SweepMachine(const SweepMachine&) = delete;
  SweepMachine& operator=(const SweepMachine&) = delete;

  emu::EmulatedBridge& Device() { return *device_; }
  const std::string& DevicePath() const { return device_->Config().path; }
  Context MakeContext() { return Context{transport, host}; }

  // The device goes away and a healthy one comes in its place, at a new
  // path, holding what the old one held in its flash and ROM: a re-plug of
  // the same device with its fault gone. The workflow hears both events.
  emu::EmulatedBridge& Heal();

  // Lets virtual time pass in small steps, delivering device events and
  // due timers on the way.
  void PassTime(std::chrono::milliseconds total);
  void RunDueTimers();

  ManualClock clock;
  RecordingDebugOutput debug;
  RecordingProgress progress;
  MemoryResourceStore resources;
  TimerPump pump{[this] { RunDueTimers(); }};
  TimerMessageBox messages{[this] { RunDueTimers(); }};
  Host host{clock, messages, debug, pump, progress, resources};
  emu::EmulatedBus bus{clock};
  emu::EmulatedPassThrough emulated{bus};
  FaultInjector injector;
  RequestHooks hooks{injector};
  Transport transport{hooks};
  emu::EmulatedDiscovery discovery{bus};
  RecordingWindowView view;
  ManualTimerService timers{clock};
  FwToolWorkflow workflow{Context{transport, host}, discovery, view, timers};

 private:
  MachineSetup setup_;
  emu::EmulatedBridge* device_ = nullptr;
  int heals_ = 0;
};

}  // namespace qfw::test
