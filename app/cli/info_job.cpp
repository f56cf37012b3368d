// info --device PATH: the fields of the details refresh, and what the
// update would do with the device.

#include <ostream>

#include "app/cli/device_text.h"
#include "app/cli/job_support.h"
#include "app/device_details.h"
#include "app/device_report.h"
#include "app/device_scan.h"

namespace qfw::cli {

JobReport RunInfoJob(CliEnvironment& env) {
  const std::string path = LowerCasePath(*env.options.device);
  if (auto report = Unreachable(env, path)) return *report;
  const DeviceDetails details = ReadDeviceDetails(env.context, path, std::nullopt);
  const DeviceReport report = ReportDevice(env.context, path, InterfaceClassOf(env.discovery, path));
  env.console.out << (env.options.json ? InfoJson(details, report) + "\n" : InfoText(details, report));
  return {ExitCode::Success, path};
}

}  // namespace qfw::cli
