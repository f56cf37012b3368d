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

struct ProcedureDefinition {
  std::string name;
  MachineSetup setup;
  std::uint8_t family = 0;
  bool rom = false;  // the procedure writes the parallel ROM
  // The procedure shows no status of its own: its result is the outcome.
  bool silent = false;
  PanelChoices choices;
  Procedure run;
  Expectation expected;
  std::size_t stride = 1;
};

class ProcedurePath final : public SweptPath {
 public:
  explicit ProcedurePath(ProcedureDefinition definition) : definition_(std::move(definition)) {}

  std::string Name() const override { return definition_.name; }
  MachineSetup Setup() const override { return definition_.setup; }
  std::size_t Stride() const override { return definition_.stride; }

  // The details refresh identifies the selected device; the Run button
  // starts the family's procedure with the panel's choices.
  RunReport Run(SweepMachine& machine) const override {
    const Context context = machine.MakeContext();
    const std::string path = machine.DevicePath();
    const DeviceDetails details = ReadDeviceDetails(context, path, std::nullopt);
    RunReport report;
    if (ChipFamilyOf(details.chipId) != definition_.family) {
      report.shown = "identified as family " + std::to_string(ChipFamilyOf(details.chipId));
      report.failureShown = true;  // the panel offers no procedure for it
      return report;
    }
    PanelChoices choices = definition_.choices;
    choices.amicModel = details.amicModel.value_or(0);
    report.success = definition_.run(context, choices, path, machine.progress);
    report.failureShown = !report.success && (definition_.silent || !machine.progress.status.empty());
    report.shown = "status \"" + machine.progress.status + "\"";
    return report;
  }

  RunReport RunAgain(SweepMachine& machine) const override { return Run(machine); }

  ByteVector Memory(const emu::EmulatedBridge& device) const override {
    const auto contents = definition_.rom ? device.Rom()->Contents() : device.Flash().Contents();
    return {contents.begin(), contents.end()};
  }

  ByteVector Expected(std::span<const std::uint8_t> before, const emu::EmulatedBridge&) const override {
    return definition_.expected(before);
  }

 private:
  ProcedureDefinition definition_;
};

emu::DeviceConfig DeviceOf(std::string_view preset) {
  emu::DeviceConfig config = emu::Preset(preset).value();
  config.path = kDevicePath;
  return config;
}

ProcedureDefinition SerialFlashDefinition(std::string name, emu::DeviceConfig device) {
  ProcedureDefinition definition{.name = std::move(name), .setup = {.device = std::move(device)}};
  definition.family = 0;
  definition.setup.resources = {{std::string(kLegacyImageType), std::string(kDefaultImageName), DefaultImage()}};
  definition.run = [](const Context& context, const PanelChoices& choices, const std::string& path,
                const RecordingProgress& status) {
    return LegacySerialFlashUpdate(context, choices, path) && status.status == kSerialFlashSuccess;
  };
  definition.expected = [](std::span<const std::uint8_t>) { return DefaultImage(); };
  return definition;
}

}  // namespace

std::unique_ptr<SweptPath> SerialFlashPmcPath() {
  ProcedureDefinition definition = SerialFlashDefinition("serial-flash procedure, PMC part", DeviceOf("QR40614"));
  definition.family = 4;
  return std::make_unique<ProcedurePath>(std::move(definition));
}

std::unique_ptr<SweptPath> SerialFlashAmicPath() {
  emu::DeviceConfig device = DeviceOf("QR40611");
  emu::UseAmicFlash(device.flash, 5);
  ProcedureDefinition definition = SerialFlashDefinition("serial-flash procedure, AMIC bottom-boot part", std::move(device));
  definition.family = 1;
  return std::make_unique<ProcedurePath>(std::move(definition));
}

std::unique_ptr<SweptPath> Family6NvramPath() {
  ProcedureDefinition definition{
      .name = "family 6, NVRAM kept", .setup = {.device = DeviceOf("QRB621")}, .family = 6, .silent = true};
  definition.setup.resources = {{std::string(kLegacyImageType), std::string(kFamily6ImageRevision1), Family6Image()}};
  definition.run = [](const Context& context, const PanelChoices&, const std::string& path, const RecordingProgress&) {
    return Family6NvramUpdate(context, path);
  };
  definition.expected = [](std::span<const std::uint8_t> before) {
    ByteVector flash = Family6Image();
    std::copy_n(before.begin(), kNvramSize, flash.begin());
    return flash;
  };
  return std::make_unique<ProcedurePath>(std::move(definition));
}

// Most of the ROM procedure's commands are status polls of its waits, and a
// ROM that stays busy makes each wait poll 50,000 times: every 3rd command
// is swept, which keeps the sweep to seconds in the sanitizer build too.
std::unique_ptr<SweptPath> RomPath() {
  ProcedureDefinition definition{.name = "parallel ROM", .setup = {.device = DeviceOf("QR40612")}, .family = 2, .rom = true};
  definition.setup.resources = {{std::string(kLegacyImageType), std::string(kDefaultImageName), DefaultImage()}};
  definition.run = [](const Context& context, const PanelChoices& choices, const std::string& path,
                const RecordingProgress& status) {
    RomUpdate(context, choices, path);
    return status.status == kRomSuccess;
  };
  definition.expected = [](std::span<const std::uint8_t>) { return DefaultImage(); };
  definition.stride = 3;
  return std::make_unique<ProcedurePath>(std::move(definition));
}

}  // namespace qfw::test
