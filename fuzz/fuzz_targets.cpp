#include "fuzz/fuzz_targets.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/cli/file_io.h"
#include "app/cli/image_check.h"
#include "app/cli/job_support.h"
#include "app/device_details.h"
#include "app/device_report.h"
#include "device/chip_identification.h"
#include "device/flash_identification.h"
#include "device/transport.h"
#include "emulator/emulated_bus.h"
#include "emulator/emulated_pass_through.h"
#include "emulator/scenario.h"
#include "fuzz/answer_stream.h"
#include "legacy/firmware_file_match.h"
#include "resources/embedded_resources.h"
#include "resources/family13_image.h"
#include "tests/support/fake_host.h"
#include "tests/support/temporary_folder.h"

namespace qfw::fuzz {
namespace {

constexpr const char* kPath = "/dev/sg1";
constexpr std::uint8_t kFamiliesChecked = 20;  // 0 to 18, and one beyond the table
constexpr std::uint8_t kRevisionsChecked = 4;
// Scenarios that ask for more flash than this in all are not installed.
constexpr std::uint64_t kMaxScenarioFlash = 64u << 20;

// A private scratch file or directory of this process, in a folder of its
// own that goes when the process ends.
std::filesystem::path Scratch(std::string_view name) {
  static const test::TemporaryFolder folder;
  return folder / std::string(name);
}

struct FuzzHost {
  test::ManualClock clock;
  test::RecordingMessageBox messages;
  NullDebugOutput debug;
  NullPump pump;
  NullProgress progress;
  EmbeddedResources resources;
  Host host{clock, messages, debug, pump, progress, resources};
};

void IdentifyEverything(const Context& context, const std::string& path) {
  (void)IdentifyChip(context, path);
  (void)IsSupportedFamily(context, path);
  (void)ReadVariantFlag(context.transport, path);
  FlashDetection detection;
  (void)DetectFlashKind(context.transport, path, detection);
  (void)DetectAmicFlash(context.transport, path);
  (void)ReadDeviceDetails(context, path, std::nullopt);
  const DeviceReport report = ReportDevice(context, path, "disk");
  (void)FormatReport(report);
  (void)UpdateState(report);
}

// The harness keeps "file" contents away from device and system files
// (and from escapes that could spell their names), which would be read.
bool MayReadSystemFiles(std::string_view text) {
  const auto contains = [&](std::string_view part) { return text.find(part) != std::string_view::npos; };
  return contains("file") && (contains("/dev") || contains("/proc") || contains("/sys") || contains("\\u"));
}

bool FitsTheHarness(const emu::Scenario& scenario) {
  std::set<std::string> paths;
  std::uint64_t flash = 0;
  for (const emu::DeviceConfig& device : scenario.devices) {
    flash += device.flash.size;
    // A path used twice is refused by the bus; that is its documented answer.
    if (!paths.insert(device.path).second) return false;
    if (device.cdromPath && !paths.insert(*device.cdromPath).second) return false;
  }
  return flash <= kMaxScenarioFlash;
}

}  // namespace

void IdentifyFromAnswers(std::span<const std::uint8_t> input) {
  AnswerStream device(input);
  Transport transport(device);
  FuzzHost fuzzHost;
  IdentifyEverything(Context{transport, fuzzHost.host}, kPath);
}

void MatchFirmwareFileBytes(std::span<const std::uint8_t> input) {
  if (input.size() < 2) return;
  const ChipId chipId = MakeChipId(input[0], input[1]);
  const auto contents = input.subspan(2);

  static const std::filesystem::path file = Scratch("firmware.bin");
  std::ofstream(file, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(contents.data()), static_cast<std::streamsize>(contents.size()));
  test::RecordingMessageBox messages;
  (void)MatchFirmwareFile(file.string(), chipId, messages);

  const FirmwareRecordReader read = [&](std::uint32_t offset) {
    FirmwareTagRecord record{};
    for (std::size_t i = 0; i < record.size(); ++i) {
      if (offset + i < contents.size()) record[i] = contents[offset + i];
    }
    return record;
  };
  for (std::uint8_t family = 0; family < kFamiliesChecked; ++family) {
    for (std::uint8_t revision = 0; revision < kRevisionsChecked; ++revision) {
      (void)MatchFirmwareRecords(read, MakeChipId(family, revision));
    }
  }
}

void CheckImageBytes(std::span<const std::uint8_t> input) {
  (void)cli::Family13ImageProblem(input);
  for (std::uint8_t family = 0; family < kFamiliesChecked; ++family) (void)cli::FlashImageProblem(input, family);

  static const std::filesystem::path file = Scratch("image.bin");
  std::ofstream(file, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(input.data()), static_cast<std::streamsize>(input.size()));
  const std::vector<std::uint8_t> read = cli::ReadFileBytes(file, cli::kImageFileLimit);
  (void)cli::Family13ImageProblem(read);
}

void ParseScenarioText(std::span<const std::uint8_t> input) {
  const std::string_view text(reinterpret_cast<const char*>(input.data()), input.size());
  if (MayReadSystemFiles(text)) return;
  static const std::filesystem::path base = [] {
    const auto directory = Scratch("scenario-base");
    std::filesystem::create_directories(directory);
    return directory;
  }();
  emu::ScenarioOptions options;
  options.baseDirectory = base;
  options.embeddedImage = Family13ImageCopy;
  emu::Scenario scenario;
  try {
    scenario = emu::ParseScenario(text, options);
  } catch (const emu::ScenarioError&) {
    return;  // refused with a message: what a malformed scenario gets
  }
  if (!FitsTheHarness(scenario)) return;

  FuzzHost fuzzHost;
  emu::EmulatedBus bus(fuzzHost.clock);
  emu::Install(scenario, bus);
  emu::EmulatedPassThrough driver(bus);
  Transport transport(driver);
  const Context context{transport, fuzzHost.host};
  for (const emu::DeviceConfig& device : scenario.devices) {
    IdentifyEverything(context, device.path);
  }
}

}  // namespace qfw::fuzz
