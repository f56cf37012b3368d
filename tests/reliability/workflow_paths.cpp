#include "tests/reliability/workflow_paths.h"

#include "emulator/presets.h"
#include "resources/embedded_resources.h"
#include "tests/reliability/expected_images.h"

namespace qfw::test {
namespace {

using namespace std::chrono_literals;

constexpr const char* kDevicePath = "/dev/sg1";
constexpr std::string_view kAlreadyUpdated = "               The chip already updated!!";
constexpr std::string_view kReattach = "Please wait device re-attached!";
constexpr std::string_view kPowerCycle = "Please power cycle the device";
constexpr std::string_view kUpdateFail = "                     Update    fail!!";
// Long enough for a re-attach after the reset and the rescans it causes.
constexpr std::chrono::milliseconds kAfterRun{3000};
// Long enough for the rescan after a device arrival.
constexpr std::chrono::milliseconds kAfterReplug{1500};

constexpr std::uint16_t kMemoryBitAddress = 0x7058;

ByteVector Embedded13() {
  const auto image = EmbeddedResources().Find("QRS642", "FW6701").value();
  return {image.begin(), image.end()};
}

// The memory bit as the run learnt it: 0 when the run asked for it and the
// device never answered, else the device's bit.
bool MemoryBitAsRead(const emu::EmulatedBridge& device) {
  bool asked = false;
  bool answered = false;
  for (const emu::LogEntry& entry : device.Log()) {
    if (entry.cdb[0] != 0xDF || entry.cdb[11] != 0xFD || entry.cdb[6] != (kMemoryBitAddress >> 8) ||
        entry.cdb[7] != (kMemoryBitAddress & 0xFF)) {
      continue;
    }
    asked = true;
    answered = answered || (entry.completed && entry.transferred >= 1);
  }
  return (answered || !asked) && (device.Memory()[kMemoryBitAddress] & 0x01) != 0;
}

class WorkflowPath final : public SweptPath {
 public:
  enum class Family { Qrs642, Qrs641 };

  WorkflowPath(std::string name, Family family, MachineSetup setup)
      : name_(std::move(name)), family_(family), setup_(std::move(setup)), embedded13_(Embedded13()),
        image10_(Family10Image()) {}

  std::string Name() const override { return name_; }
  MachineSetup Setup() const override { return setup_; }

  RunReport Run(SweepMachine& machine) const override {
    machine.workflow.Construct();
    return Update(machine);
  }

  RunReport RunAgain(SweepMachine& machine) const override {
    machine.PassTime(kAfterReplug);
    return Update(machine);
  }

  ByteVector Memory(const emu::EmulatedBridge& device) const override {
    const auto contents = device.Flash().Contents();
    const std::size_t extent = family_ == Family::Qrs642 ? kImageExtent13 : contents.size();
    return {contents.begin(), contents.begin() + static_cast<std::ptrdiff_t>(extent)};
  }

  ByteVector Expected(std::span<const std::uint8_t> before, const emu::EmulatedBridge& device) const override {
    if (family_ == Family::Qrs642) return Expected13(before, embedded13_);
    return Expected10(before, image10_, MemoryBitAsRead(device));
  }

 private:
  // YES when the window offers it; the outcome as the window shows it
  // right after the run, and what it shows once the events have settled.
  RunReport Update(SweepMachine& machine) const {
    const RecordingWindowView& view = machine.view;
    RunReport report;
    if (view[Control::EraseButton].visible && view[Control::EraseButton].enabled) {
      machine.workflow.EraseButtonClick();
      const std::string_view successText = family_ == Family::Qrs642 ? kReattach : kPowerCycle;
      report.success = view[Control::replugLable1].visible && view[Control::replugLable1].text == successText;
      report.failureShown = view[Control::devLable].visible && view[Control::devLable].text == kUpdateFail;
      report.shown = DescribeDisplay(view);
    } else {
      // The scan's own display ("No device found!!" and the like) is the outcome.
      report.failureShown = view[Control::devLable].visible && !view[Control::devLable].text.empty();
      report.shown = "no YES: " + DescribeDisplay(view);
    }
    machine.PassTime(kAfterRun);
    report.claimsUpdated = view[Control::devLable].visible && view[Control::devLable].text == kAlreadyUpdated;
    return report;
  }

  std::string name_;
  Family family_;
  MachineSetup setup_;
  ByteVector embedded13_;
  ByteVector image10_;
};

emu::DeviceConfig DeviceOf(std::string_view preset) {
  emu::DeviceConfig config = emu::Preset(preset).value();
  config.path = kDevicePath;
  return config;
}

MachineSetup Setup10(bool blockCommands) {
  MachineSetup setup{.device = DeviceOf("QRS641")};
  setup.device.blockCommands = blockCommands;
  setup.device.flash.contents = OldFlash10();
  setup.device.memory.push_back({kMemoryBitAddress, {0x01}});
  setup.resources = {{"QRS642", "FW6701", Embedded13()}, {"QRS641", "FW1802", Family10Image()}};
  return setup;
}

}  // namespace

std::string DescribeDisplay(const RecordingWindowView& view) {
  std::string text;
  for (const auto& [control, name] : {std::pair{Control::devLable, "devLable"},
                                      std::pair{Control::replugLable1, "replugLable1"}}) {
    if (view[control].visible) text += std::string(name) + " \"" + view[control].text + "\" ";
  }
  return text;
}

std::unique_ptr<SweptPath> Family13Path() {
  MachineSetup setup{.device = DeviceOf("QRS642")};
  const ByteVector embedded = Embedded13();
  setup.device.flash.contents = OldFlash13(embedded);
  setup.resources = {{"QRS642", "FW6701", embedded}};
  return std::make_unique<WorkflowPath>("family 13", WorkflowPath::Family::Qrs642, std::move(setup));
}

std::unique_ptr<SweptPath> Family10BlockPath() {
  return std::make_unique<WorkflowPath>("family 10, block commands", WorkflowPath::Family::Qrs641, Setup10(true));
}

std::unique_ptr<SweptPath> Family10LegacyPath() {
  return std::make_unique<WorkflowPath>("family 10, older commands", WorkflowPath::Family::Qrs641, Setup10(false));
}

}  // namespace qfw::test
