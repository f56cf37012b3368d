#pragma once
// The plumbing between the commands and a device driver: the busy
// keep-alive clock over the program's clock, the stage monitor watching
// every request, the transport, and the host services of a terminal
// (messages to standard error, status texts to the debug output).

#include "app/cli/console.h"
#include "app/cli/flash_activity.h"
#include "app/cli/keep_alive_clock.h"
#include "app/cli/progress_display.h"
#include "app/cli/stage_monitor.h"
#include "device/context.h"
#include "device/debug_output.h"
#include "device/host.h"
#include "device/pass_through.h"
#include "device/resource_store.h"
#include "device/transport.h"
#include "platform/console_message_box.h"

namespace qfw::cli {

// Status texts of the older procedures ("ReadFlash...", one "." per page)
// are diagnostics on a terminal.
class StatusToDebug final : public ProgressReporter {
 public:
  explicit StatusToDebug(DebugOutput& debug) : debug_(debug) {}
  void StepProgress(int) override {}
  void SetStatusText(std::string_view text) override;
  void AppendStatusText(std::string_view) override {}

 private:
  DebugOutput& debug_;
};

class CliStack {
 public:
  CliStack(Clock& clock, PassThrough& driver, Console& console, DebugOutput& debug, const ResourceStore& resources);
  CliStack(const CliStack&) = delete;
  CliStack& operator=(const CliStack&) = delete;

  const Context& GetContext() const { return context_; }
  StageMonitor& Stages() { return monitor_; }

 private:
  ProgressDisplay display_;
  KeepAliveClock keepAlive_;
  StageMonitor monitor_;
  ObservingPassThrough observing_;
  Transport transport_;
  ConsoleMessageBox messages_;
  NullPump pump_;
  StatusToDebug progress_;
  Host host_;
  Context context_;
};

}  // namespace qfw::cli
