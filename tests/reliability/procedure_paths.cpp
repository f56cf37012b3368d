#include "tests/reliability/procedure_paths.h"

#include <algorithm>
#include <functional>

#include "app/device_details.h"
#include "emulator/amic_flash.h"
#include "emulator/presets.h"
#include "legacy/family6_nvram_update.h"
#include "legacy/legacy_image.h"
#include "legacy/panel_choices.h"
#include "legacy/rom_procedures.h"
#include "legacy/serial_flash_procedures.h"
#include "tests/reliability/expected_images.h"

namespace qfw::test {
namespace {

constexpr const char* kDevicePath = "/dev/sg1";
constexpr std::string_view kSerialFlashSuccess = "Programming Success!!";
constexpr std::string_view kRomSuccess = "Programming & Compare Success!!";
constexpr std::size_t kNvramSize = 4096;

// The default image of the serial-flash and ROM procedures, and the
// family-6 image of revision 1: 64 KiB each.
ByteVector DefaultImage() { return Filler(kFlashSize, 0x5B); }
ByteVector Family6Image() { return Filler(kFlashSize, 0x6C); }

// What the procedure reports: true when the user is told it succeeded.
using Procedure = std::function<bool(const Context&, const PanelChoices&, const std::string& path,
                                     const RecordingProgress& status)>;
using Expectation = std::function<ByteVector(std::span<const std::uint8_t> before)>;

struct ProcedureSpec {
  std::string name;
  MachineSetup setup;
  std::uint8_t family = 0;
  bool rom = false;  // the procedure writes the parallel ROM
  PanelChoices choices;
  Procedure run;
  Expectation expected;
  std::size_t stride = 1;
};

class ProcedurePath final : public SweptPath {
 public:
  explicit ProcedurePath(ProcedureSpec spec) : spec_(std::move(spec)) {}

  std::string Name() const override { return spec_.name; }
  MachineSetup Setup() const override { return spec_.setup; }
  std::size_t Stride() const override { return spec_.stride; }

  // The details refresh identifies the selected device; the Run button
  // starts the family's procedure with the panel's choices.
  RunReport Run(SweepMachine& machine) const override {
    const Context context = machine.MakeContext();
    const std::string path = machine.DevicePath();
    const DeviceDetails details = ReadDeviceDetails(context, path, std::nullopt);
    RunReport report;
    if (ChipFamilyOf(details.chipId) != spec_.family) {
      report.shown = "identified as family " + std::to_string(ChipFamilyOf(details.chipId));
      return report;
    }
    PanelChoices choices = spec_.choices;
    choices.amicModel = details.amicModel.value_or(0);
    report.success = spec_.run(context, choices, path, machine.progress);
    report.shown = "status \"" + machine.progress.status + "\"";
    return report;
  }

  RunReport RunAgain(SweepMachine& machine) const override { return Run(machine); }

  ByteVector Memory(const emu::EmulatedBridge& device) const override {
    const auto contents = spec_.rom ? device.Rom()->Contents() : device.Flash().Contents();
    return {contents.begin(), contents.end()};
  }

  ByteVector Expected(std::span<const std::uint8_t> before, const emu::EmulatedBridge&) const override {
    return spec_.expected(before);
  }

 private:
  ProcedureSpec spec_;
};

emu::DeviceConfig DeviceOf(std::string_view preset) {
  emu::DeviceConfig config = emu::Preset(preset).value();
  config.path = kDevicePath;
  return config;
}

ProcedureSpec SerialFlashSpec(std::string name, emu::DeviceConfig device) {
  ProcedureSpec spec{.name = std::move(name), .setup = {.device = std::move(device)}};
  spec.family = 0;
  spec.setup.resources = {{std::string(kLegacyImageType), std::string(kDefaultImageName), DefaultImage()}};
  spec.run = [](const Context& context, const PanelChoices& choices, const std::string& path,
                const RecordingProgress& status) {
    return LegacySerialFlashUpdate(context, choices, path) && status.status == kSerialFlashSuccess;
  };
  spec.expected = [](std::span<const std::uint8_t>) { return DefaultImage(); };
  return spec;
}

}  // namespace

std::unique_ptr<SweptPath> SerialFlashPmcPath() {
  ProcedureSpec spec = SerialFlashSpec("serial-flash procedure, PMC part", DeviceOf("QR40614"));
  spec.family = 4;
  return std::make_unique<ProcedurePath>(std::move(spec));
}

std::unique_ptr<SweptPath> SerialFlashAmicPath() {
  emu::DeviceConfig device = DeviceOf("QR40611");
  emu::UseAmicFlash(device.flash, 5);
  ProcedureSpec spec = SerialFlashSpec("serial-flash procedure, AMIC bottom-boot part", std::move(device));
  spec.family = 1;
  return std::make_unique<ProcedurePath>(std::move(spec));
}

std::unique_ptr<SweptPath> Family6NvramPath() {
  ProcedureSpec spec{.name = "family 6, NVRAM kept", .setup = {.device = DeviceOf("QRB621")}, .family = 6};
  spec.setup.resources = {{std::string(kLegacyImageType), std::string(kFamily6ImageRevision1), Family6Image()}};
  spec.run = [](const Context& context, const PanelChoices&, const std::string& path, const RecordingProgress&) {
    return Family6NvramUpdate(context, path);
  };
  spec.expected = [](std::span<const std::uint8_t> before) {
    ByteVector flash = Family6Image();
    std::copy_n(before.begin(), kNvramSize, flash.begin());
    return flash;
  };
  return std::make_unique<ProcedurePath>(std::move(spec));
}

// Most of the ROM procedure's commands are status polls of its waits, and a
// ROM that stays busy makes each wait poll 50,000 times: every 3rd command
// is swept, which keeps the sweep to seconds in the sanitizer build too.
std::unique_ptr<SweptPath> RomPath() {
  ProcedureSpec spec{.name = "parallel ROM", .setup = {.device = DeviceOf("QR40612")}, .family = 2, .rom = true};
  spec.setup.resources = {{std::string(kLegacyImageType), std::string(kDefaultImageName), DefaultImage()}};
  spec.run = [](const Context& context, const PanelChoices& choices, const std::string& path,
                const RecordingProgress& status) {
    RomUpdate(context, choices, path);
    return status.status == kRomSuccess;
  };
  spec.expected = [](std::span<const std::uint8_t>) { return DefaultImage(); };
  spec.stride = 3;
  return std::make_unique<ProcedurePath>(std::move(spec));
}

}  // namespace qfw::test
