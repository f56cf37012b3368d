#pragma once
// The commands of qfwupdate-cli, each a small job that does one thing on
// the environment it is given, tells the user what it did, and reports its
// exit code and the device it worked on.

#include <string>

#include "app/cli/cli_environment.h"
#include "app/cli/exit_code.h"

namespace qfw::cli {

struct JobReport {
  ExitCode code = ExitCode::Failure;
  std::string device;  // the device the job worked on, when it chose one
};

JobReport RunListJob(CliEnvironment& env);
JobReport RunInfoJob(CliEnvironment& env);
JobReport RunBackupJob(CliEnvironment& env);
JobReport RunRestoreJob(CliEnvironment& env);
JobReport RunUpdateJob(CliEnvironment& env);

// The job of env.options.command.
JobReport RunJob(CliEnvironment& env);

}  // namespace qfw::cli
