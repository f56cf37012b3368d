// restore --device PATH FILE: a saved flash back into the device, written
// and read back. For recovery after a failed update, so the file must look
// like that device's flash before anything is written.

#include <ostream>

#include "app/cli/file_io.h"
#include "app/cli/image_check.h"
#include "app/cli/job_support.h"
#include "app/cli/whole_flash.h"
#include "app/device_scan.h"
#include "device/chip_identification.h"
#include "device/commands.h"
#include "flash/image_layout.h"

namespace qfw::cli {

JobReport RunRestoreJob(CliEnvironment& env) {
  const std::string path = LowerCasePath(*env.options.device);
  const std::string& file = env.options.operands.front();
  std::vector<std::uint8_t> image;
  try {
    image = ReadFileBytes(file, kImageFileLimit);
  } catch (const FileError& error) {
    PrintError(env, error.what());
    return {ExitCode::Failure, path};
  }
  if (auto report = Unreachable(env, path)) return *report;
  const ChipId chipId = IdentifyChip(env.context, path);
  const std::string chipName(ChipName(ChipFamilyOf(chipId)));
  if (const auto problem = FlashImageProblem(image, ChipFamilyOf(chipId))) {
    PrintError(env, file + " is not a plausible flash image for " + path + " (" + chipName + "): " + *problem +
                        ".\nNothing was written.");
    return {ExitCode::Failure, path};
  }
  if (!ClearedToWrite(env, path,
                      "Write " + file + " to the flash of " + path + " (" + chipName +
                          ")? Keep the bridge plugged in and powered until this program ends.")) {
    return {ExitCode::Failure, path};
  }
  // The question may have waited a long time: the bridge must still be the one checked.
  if (IdentifyChip(env.context, path) != chipId) {
    PrintError(env, "the device at " + path + " is no longer the one identified before; nothing was written.");
    return {ExitCode::Failure, path};
  }
  CmdModeEnter(env.context.transport, path);
  env.stages.BeginStage("Restoring", kFlashImageSize);
  const bool written = WriteWholeFlash(env.context, env.settings, path, chipId, image);
  env.stages.EndStage();
  CmdModeLeave(env.context.transport, path);
  if (!written) {
    env.console.out << "Restore failed: the flash of " << path << " could not be written and verified.\n";
    env.console.err << FailureHints(env.stages.Failures(), path);
    return {ExitCode::Failure, path};
  }
  env.console.out << "Restored " << file << " to the flash of " << path << " and verified it.\n"
                  << "Unplug the bridge and plug it in again (or switch it off and on) to start that firmware.\n";
  return {ExitCode::Success, path};
}

}  // namespace qfw::cli
