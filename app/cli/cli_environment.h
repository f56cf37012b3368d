#pragma once
// What a command works with: the parsed command line, the device side with
// the host services, the terminal, the stage monitor, and the safety
// settings of the writing commands.

#include <filesystem>
#include <optional>

#include "app/cli/cli_options.h"
#include "app/cli/console.h"
#include "app/cli/mount_guard.h"
#include "app/cli/stage_monitor.h"
#include "device/context.h"
#include "device/discovery.h"
#include "flash/transfer_settings.h"

namespace qfw::cli {

struct CliEnvironment {
  const CliOptions& options;
  Context context;
  DeviceDiscovery& discovery;
  Console& console;
  StageMonitor& stages;
  TransferSettings settings{};
  MountRoots mountRoots{};
  bool checkMounts = true;                              // off for emulated devices unless roots were given
  std::optional<std::filesystem::path> stateDirectory;  // where update backups go by default
};

}  // namespace qfw::cli
