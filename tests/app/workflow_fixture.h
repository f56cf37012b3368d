#pragma once
// The main window's workflow on an emulated machine: emulated bridges on a
// bus whose hot-plug events reach the workflow, a recording window, manual
// timers and virtual time. Message boxes and the event pump run what the
// test scripts, as a modal loop would.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "app/device_events.h"
#include "app/fw_tool_workflow.h"
#include "device/transport.h"
#include "emulator/emulated_bus.h"
#include "emulator/emulated_discovery.h"
#include "emulator/emulated_pass_through.h"
#include "emulator/presets.h"
#include "resources/embedded_resources.h"
#include "tests/app/manual_timer_service.h"
#include "tests/app/recording_window_view.h"
#include "tests/support/fake_host.h"
#include "tests/support/scripted_pass_through.h"

namespace qfw::test {

using ByteVector = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

struct SentRequest {
  std::string path;
  std::vector<std::uint8_t> cdb;
};

// Records the path and CDB of every request before passing it on. With
// foldCase set it reaches devices by their lower-cased path, as a system
// with case-insensitive device paths would.
class RecordingDriver final : public PassThrough {
 public:
  explicit RecordingDriver(PassThrough& inner) : inner_(inner) {}
  ScsiResult Execute(const std::string& path, const ScsiRequest& request) override {
    sent.push_back({path, std::vector<std::uint8_t>(request.cdb.begin(), request.cdb.end())});
    return inner_.Execute(foldCase ? Lower(path) : path, request);
  }
  static std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
  }

  std::vector<SentRequest> sent;
  bool foldCase = false;

 private:
  PassThrough& inner_;
};

// Counts scans by their discovery calls; may upper-case the paths it finds
// and put paths that lead nowhere before them.
class CountingDiscovery final : public DeviceDiscovery {
 public:
  CountingDiscovery(DeviceDiscovery& inner, const Clock& clock) : inner_(inner), clock_(clock) {}
  std::vector<std::string> FindUsbDiskPaths() override {
    scanTimes.push_back(clock_.Now());
    auto paths = Transform(inner_.FindUsbDiskPaths());
    paths.insert(paths.begin(), extraDiskPaths.begin(), extraDiskPaths.end());
    return paths;
  }
  std::vector<std::string> FindUsbCdromPaths() override { return Transform(inner_.FindUsbCdromPaths()); }

  std::vector<std::chrono::milliseconds> scanTimes;
  std::vector<std::string> extraDiskPaths;
  bool upperCase = false;

 private:
  std::vector<std::string> Transform(std::vector<std::string> paths) const {
    if (!upperCase) return paths;
    for (std::string& path : paths) {
      for (char& c : path) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return paths;
  }

  DeviceDiscovery& inner_;
  const Clock& clock_;
};

// Records messages; onShow runs while the message is up, as the modal loop
// lets events run.
class ScriptedMessageBox final : public MessageBox {
 public:
  void Show(std::string_view text, std::string_view caption, MessageIcon icon) override {
    shown.push_back({std::string(text), std::string(caption), icon});
    if (onShow) onShow(shown.back());
  }
  std::vector<ShownMessage> shown;
  std::function<void(const ShownMessage&)> onShow;
};

class ScriptedPump final : public Pump {
 public:
  void ProcessPendingEvents() override {
    ++count;
    if (onPump) onPump(count);
  }
  int count = 0;
  std::function<void(int call)> onPump;
};

class WorkflowTest : public testing::Test {
 protected:
  WorkflowTest() {
    const auto image = EmbeddedResources().Find("QRS642", "FW6701").value();
    embedded_.assign(image.begin(), image.end());
    fake_.resources.Add("QRS642", "FW6701", embedded_);
    bus_.SetListener([this](const std::string&, bool attached) {
      workflow_.WMDeviceChange(attached ? kDeviceArrival : kDeviceRemoveComplete);
    });
  }

  emu::EmulatedBridge& AddDevice(const std::string& path, const std::string& preset,
                                 const std::function<void(emu::DeviceConfig&)>& tweak = {}) {
    emu::DeviceConfig config = emu::Preset(preset).value();
    config.path = path;
    if (tweak) tweak(config);
    return bus_.Add(std::move(config));
  }

  // Lets virtual time pass and delivers the timers that expire.
  void AdvanceTime(std::chrono::milliseconds duration) {
    fake_.clock.Advance(duration);
    timers_.FireDue([this](int id) { workflow_.WMTimer(id); });
  }

  // Requests sent to path whose CDB begins with the hex prefix.
  std::size_t CountSent(const std::string& path, const std::string& prefix) const {
    const ByteVector wanted = test::Bytes(prefix);
    return static_cast<std::size_t>(std::count_if(driver_.sent.begin(), driver_.sent.end(), [&](const SentRequest& r) {
      return r.path == path && r.cdb.size() >= wanted.size() && std::equal(wanted.begin(), wanted.end(), r.cdb.begin());
    }));
  }

  static ByteVector FlashBytes(const emu::EmulatedBridge& bridge, std::size_t offset, std::size_t length) {
    const auto contents = bridge.Flash().Contents();
    return ByteVector(contents.begin() + static_cast<std::ptrdiff_t>(offset),
                 contents.begin() + static_cast<std::ptrdiff_t>(offset + length));
  }

  std::size_t ScanCount() const { return discovery_.scanTimes.size(); }

  FakeHost fake_;
  ScriptedMessageBox messages_;
  ScriptedPump pump_;
  Host host_{fake_.clock, messages_, fake_.debug, pump_, fake_.progress, fake_.resources};
  emu::EmulatedBus bus_{fake_.clock};
  emu::EmulatedPassThrough emulated_{bus_};
  RecordingDriver driver_{emulated_};
  Transport transport_{driver_};
  emu::EmulatedDiscovery emulatedDiscovery_{bus_};
  CountingDiscovery discovery_{emulatedDiscovery_, fake_.clock};
  RecordingWindowView view_;
  ManualTimerService timers_{fake_.clock};
  FwToolWorkflow workflow_{Context{transport_, host_}, discovery_, view_, timers_};
  ByteVector embedded_;
};

}  // namespace qfw::test
