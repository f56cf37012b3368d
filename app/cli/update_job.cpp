// update [--device PATH]: the window's YES action from a terminal. Chooses
// the device as the window's scan does (the first listed one, or PATH),
// saves its flash, runs the update, and for a QRS642 waits for the bridge
// to come back after its reset and looks whether it now holds the image.

#include <chrono>
#include <memory>
#include <optional>
#include <ostream>

#include "app/cli/backup_location.h"
#include "app/cli/device_probe.h"
#include "app/cli/file_io.h"
#include "app/cli/image_check.h"
#include "app/cli/image_override_resources.h"
#include "app/cli/job_support.h"
#include "app/outcome_texts.h"
#include "app/cli/reattach_wait.h"
#include "app/cli/whole_flash.h"
#include "app/device_details.h"
#include "app/device_report.h"
#include "app/device_scan.h"
#include "app/update_run.h"
#include "device/chip_identification.h"
#include "device/commands.h"
#include "flash/image_layout.h"
#include "platform/access_advice.h"

namespace qfw::cli {
namespace {

using std::chrono::duration_cast;
using std::chrono::milliseconds;

std::string FailureReason(UpdateFailure failure) {
  switch (failure) {
    case UpdateFailure::UnsupportedFamily:
      return "the controller was not identified as a QRS641 or QRS642; nothing was written.";
    case UpdateFailure::DeviceChanged:
      return "the device at the path is no longer the one identified before (was it swapped?); nothing was "
             "written.";
    case UpdateFailure::NoEmbeddedImage:
      return "no firmware image for this controller was found (its firmware version could not be read, or this "
             "program carries no image for it); nothing was written.";
    case UpdateFailure::ConfigBlockUnreadable:
      return "the device's configuration block could not be read; nothing was written.";
    case UpdateFailure::ProgrammingFailed:
      return "the firmware image could not be written and verified.";
    case UpdateFailure::NoDevice:
    case UpdateFailure::None:
      break;
  }
  return "no device was selected; nothing was written.";
}

class UpdateJob {
 public:
  explicit UpdateJob(CliEnvironment& env) : env_(env) {}

  JobReport Run();

 private:
  using Step = std::optional<JobReport>;

  Step UseImageFile();
  Step ChooseDevice(const ScanResult& scan);
  Step NotInScan(const std::string& path);
  Step NothingListed(const ScanResult& scan);
  Step IdentifyAndConfirm();
  Step SaveBackup();
  JobReport ReportOutcome(const UpdateOutcome& outcome, const std::vector<TransportError>& failures);
  JobReport AwaitReattach();
  void LeaveMode(const ScanResult& scan, bool keepTarget);
  JobReport Done(ExitCode code) const { return {code, path_}; }

  // env's context, or one with the user's image in place of the embedded one.
  const Context& Ctx() const { return imageContext_ ? *imageContext_ : env_.context; }

  CliEnvironment& env_;
  std::unique_ptr<ImageOverrideResources> resources_;
  std::optional<Host> host_;
  std::optional<Context> imageContext_;
  std::vector<std::string> pathsBefore_;
  std::string path_;
  std::string description_;
  DeviceDetails details_;
  std::string backupFile_;
};

JobReport UpdateJob::Run() {
  if (auto stop = UseImageFile()) return *stop;
  pathsBefore_ = CandidatePathsNow(env_.discovery, Ctx().host.debug);
  const ScanResult scan = ScanDevices(Ctx(), env_.discovery);
  if (auto stop = ChooseDevice(scan)) {
    LeaveMode(scan, false);
    return *stop;
  }
  auto stop = IdentifyAndConfirm();
  if (!stop) stop = SaveBackup();
  if (stop) {
    LeaveMode(scan, false);
    return *stop;
  }
  env_.stages.BeginStage("Updating", kFlashImageSize);
  const UpdateOutcome outcome = RunUpdate(Ctx(), env_.settings, path_, details_.chipId);
  env_.stages.EndStage();
  LeaveMode(scan, outcome.result);  // an updated controller resets, or is power-cycled
  return ReportOutcome(outcome, env_.stages.Failures());
}

UpdateJob::Step UpdateJob::UseImageFile() {
  if (!env_.options.image) return std::nullopt;
  const std::string& file = *env_.options.image;
  std::vector<std::uint8_t> image;
  try {
    image = ReadFileBytes(file, kImageFileLimit);
  } catch (const FileError& error) {
    PrintError(env_, error.what());
    return Done(ExitCode::Failure);
  }
  if (const auto problem = Family13ImageProblem(image)) {
    PrintError(env_, file + " is not a QRS642 firmware image: " + *problem + ".\nNothing was written.");
    return Done(ExitCode::Failure);
  }
  const Host& host = env_.context.host;
  resources_ = std::make_unique<ImageOverrideResources>(host.resources, std::move(image));
  host_.emplace(Host{host.clock, host.messages, host.debug, host.pump, host.progress, *resources_});
  imageContext_.emplace(Context{env_.context.transport, *host_});
  return std::nullopt;
}

UpdateJob::Step UpdateJob::ChooseDevice(const ScanResult& scan) {
  const auto chosen = [&](const ScannedDevice& device) {
    path_ = device.path;
    description_ = device.description.substr(std::min(device.description.size(), kListItemPrefix.size()));
    description_.erase(description_.find_last_not_of(' ') + 1);
  };
  if (!env_.options.device) {
    for (const ScannedDevice& device : scan.devices) {
      if (!device.listed) continue;
      chosen(device);
      return std::nullopt;
    }
    return NothingListed(scan);
  }
  const std::string wanted = LowerCasePath(*env_.options.device);
  for (const ScannedDevice& device : scan.devices) {
    if (device.path != wanted) continue;
    chosen(device);
    if (device.listed) return std::nullopt;
    env_.console.out << Trimmed(kAlreadyUpdatedText) << '\n';
    return Done(ExitCode::NothingToDo);
  }
  return NotInScan(wanted);
}

// PATH is not a supported controller that the scan found: gone, out of
// reach, or something else.
UpdateJob::Step UpdateJob::NotInScan(const std::string& path) {
  path_ = path;
  if (auto report = Unreachable(env_, path)) return report;
  const std::string chip(ChipName(ChipFamilyOf(IdentifyChip(Ctx(), path))));
  PrintError(env_, path + " is not a bridge this program updates (" + chip + ")");
  return Done(ExitCode::NoSuchDevice);
}

UpdateJob::Step UpdateJob::NothingListed(const ScanResult& scan) {
  if (scan.AlreadyUpdatedSeen) {
    env_.console.out << Trimmed(kAlreadyUpdatedText) << '\n';
    return Done(ExitCode::NothingToDo);
  }
  env_.console.out << Trimmed(kNoDeviceText) << '\n';
  // Nodes the user may not open look like no device at all.
  for (const std::string& path : CandidatePathsNow(env_.discovery, Ctx().host.debug)) {
    if (ProbeDevice(Ctx().transport, path).error == TransportError::AccessDenied) {
      PrintError(env_, AccessDeniedAdvice(path));
    }
  }
  return Done(ExitCode::NoSuchDevice);
}

UpdateJob::Step UpdateJob::IdentifyAndConfirm() {
  details_ = ReadDeviceDetails(Ctx(), path_, std::nullopt);
  const std::uint8_t family = ChipFamilyOf(details_.chipId);
  if (family != kFamilyQrs642 && family != kFamilyQrs641) {
    env_.console.out << Trimmed(kUpdateFailText) << '\n';
    PrintError(env_, FailureReason(UpdateFailure::UnsupportedFamily));
    return Done(ExitCode::Failure);
  }
  if (env_.options.image && family != kFamilyQrs642) {
    PrintError(env_, *env_.options.image + " is a QRS642 image, and " + path_ + " is a " +
                         std::string(ChipName(family)) + " controller.\nNothing was written.");
    return Done(ExitCode::Failure);
  }
  const std::string question = "Update the firmware of " + path_ + " (" + description_ + ", " + details_.chipName +
                               ", " + details_.versionText +
                               ")? Keep the bridge plugged in and powered until this program ends.";
  if (!ClearedToWrite(env_, path_, question)) return Done(ExitCode::Failure);
  return std::nullopt;
}

UpdateJob::Step UpdateJob::SaveBackup() {
  env_.stages.BeginStage("Saving the former flash", kFlashImageSize);
  const auto flash = ReadWholeFlash(Ctx(), env_.settings, path_, details_.chipId);
  env_.stages.EndStage();
  if (!flash) {
    PrintError(env_, "cannot read the flash of " + path_ + " for the backup; nothing was written.\n" +
                         FailureHints(env_.stages.Failures(), path_));
    return Done(ExitCode::Failure);
  }
  try {
    if (env_.options.backup) {
      backupFile_ = *env_.options.backup;
    } else {
      if (!env_.stateDirectory) {
        throw FileError("no folder for the backup (set XDG_STATE_HOME or HOME, or use --backup FILE)");
      }
      CreateStateDirectory(*env_.stateDirectory);
      backupFile_ = NewBackupPath(*env_.stateDirectory, path_, std::chrono::system_clock::now()).string();
    }
    WriteFileDurably(backupFile_, *flash);
  } catch (const FileError& error) {
    PrintError(env_, std::string(error.what()) + "; nothing was written.");
    return Done(ExitCode::Failure);
  }
  env_.console.out << "Saved the former flash of " << path_ << " to " << backupFile_ << ".\n";
  return std::nullopt;
}

JobReport UpdateJob::ReportOutcome(const UpdateOutcome& outcome, const std::vector<TransportError>& failures) {
  std::ostream& out = env_.console.out;
  if (!outcome.result) {
    out << Trimmed(kUpdateFailText) << '\n';
    PrintError(env_, FailureReason(outcome.failure));
    env_.console.err << FailureHints(failures, path_);
    if (outcome.failure == UpdateFailure::ProgrammingFailed) {
      env_.console.err << "The former flash is saved in " << backupFile_ << ". To put it back:\n  " << kProgramName
                       << " restore --device " << path_ << " " << backupFile_ << "\n";
    }
    return Done(ExitCode::Failure);
  }
  if (!outcome.resetSent) {
    out << kPowerCycleText << '\n';
    return Done(ExitCode::Success);
  }
  out << kAutoResetText << '\n';
  return AwaitReattach();
}

JobReport UpdateJob::AwaitReattach() {
  const auto wait = env_.options.reattachWait;
  std::ostream& out = env_.console.out;
  if (wait.count() == 0) return Done(ExitCode::Success);
  out << "Waiting up to " << wait.count() << " s for the bridge to re-attach...\n" << std::flush;
  const Reattach reattach =
      WaitForReattach(Ctx(), env_.discovery, path_, pathsBefore_, duration_cast<milliseconds>(wait));
  if (!reattach.departed) {
    // Written and verified, but the controller still runs its former firmware.
    out << "The bridge did not reset by itself.\n" << kPowerCycleText << '\n';
    return Done(ExitCode::Success);
  }
  const auto& back = reattach.path;
  if (!back) {
    PrintError(env_, "the bridge did not re-attach within " + std::to_string(wait.count()) +
                         " s. Unplug it, plug it in again, and look with: " + std::string(kProgramName) + " list");
    return Done(ExitCode::Failure);
  }
  out << "The bridge is back at " << *back << ".\n";
  const DeviceReport report = ReportDevice(Ctx(), *back, InterfaceClassOf(env_.discovery, *back));
  if (report.alreadyUpdated) {
    out << Trimmed(kAlreadyUpdatedText) << '\n';
    return {ExitCode::Success, *back};
  }
  PrintError(env_, *back + " does not hold the new firmware image after its reset.");
  return {ExitCode::Failure, *back};
}

// The scan put every supported controller into its vendor mode; they go
// back to normal, except an updated one (it resets, or is power-cycled).
void UpdateJob::LeaveMode(const ScanResult& scan, bool keepTarget) {
  for (const ScannedDevice& device : scan.devices) {
    if (!keepTarget || device.path != path_) CmdModeLeave(Ctx().transport, device.path);
  }
}

}  // namespace

JobReport RunUpdateJob(CliEnvironment& env) { return UpdateJob(env).Run(); }

}  // namespace qfw::cli
