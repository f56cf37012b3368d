// list: every candidate device, what it is and what the update would do.

#include <ostream>

#include "app/cli/device_text.h"
#include "app/cli/job_support.h"
#include "app/outcome_texts.h"
#include "app/device_report.h"
#include "platform/access_advice.h"

namespace qfw::cli {

JobReport RunListJob(CliEnvironment& env) {
  const auto reports = ReportDevices(env.context, env.discovery);
  std::ostream& out = env.console.out;
  if (env.options.json) {
    out << ListJson(reports) << '\n';
  } else if (reports.empty()) {
    out << kNoDeviceItem << '\n';
  } else {
    for (const auto& report : reports) out << FormatReport(report);
  }
  // The advice goes where it does not spoil JSON.
  std::ostream& advice = env.options.json ? env.console.err : out;
  for (const auto& report : reports) {
    if (report.openError == TransportError::AccessDenied) advice << AccessDeniedAdvice(report.path) << '\n';
  }
  return {ExitCode::Success, ""};
}

}  // namespace qfw::cli
