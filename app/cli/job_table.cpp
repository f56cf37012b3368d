#include <array>
#include <utility>

#include "app/cli/jobs.h"

namespace qfw::cli {
namespace {

using JobFunction = JobReport (*)(CliEnvironment&);

constexpr std::array<std::pair<Command, JobFunction>, 5> kJobs{{
    {Command::List, RunListJob},
    {Command::Info, RunInfoJob},
    {Command::Backup, RunBackupJob},
    {Command::Restore, RunRestoreJob},
    {Command::Update, RunUpdateJob},
}};

}  // namespace

JobReport RunJob(CliEnvironment& env) {
  for (const auto& [command, job] : kJobs) {
    if (command == env.options.command) return job(env);
  }
  return {ExitCode::Failure, ""};
}

}  // namespace qfw::cli
