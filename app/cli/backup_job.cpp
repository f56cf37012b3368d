// backup --device PATH -o FILE: the whole flash into a file.

#include <ostream>

#include "app/cli/file_io.h"
#include "app/cli/job_support.h"
#include "app/cli/whole_flash.h"
#include "app/device_scan.h"
#include "device/chip_identification.h"
#include "flash/image_layout.h"

namespace qfw::cli {

JobReport RunBackupJob(CliEnvironment& env) {
  const std::string path = LowerCasePath(*env.options.device);
  const std::string& file = *env.options.output;
  if (auto report = Unreachable(env, path)) return *report;
  const ChipId chipId = IdentifyChip(env.context, path);
  const std::uint8_t family = ChipFamilyOf(chipId);
  if (family != kFamilyQrs642 && family != kFamilyQrs641) {
    PrintError(env, "backup is for QRS641 and QRS642 controllers; " + path + " is " + std::string(ChipName(family)));
    return {ExitCode::Failure, path};
  }
  env.stages.BeginStage("Saving the flash", kFlashImageSize);
  const auto flash = ReadWholeFlash(env.context, env.settings, path, chipId);
  env.stages.EndStage();
  if (!flash) {
    PrintError(env, "cannot read the flash of " + path + "\n" + FailureHints(env.stages.Failures(), path));
    return {ExitCode::Failure, path};
  }
  try {
    WriteFileDurably(file, *flash);
  } catch (const FileError& error) {
    PrintError(env, error.what());
    return {ExitCode::Failure, path};
  }
  env.console.out << "Saved the flash of " << path << " (" << flash->size() << " bytes) to " << file << ".\n";
  return {ExitCode::Success, path};
}

}  // namespace qfw::cli
