#pragma once
// Follows one stage of device work (saving a backup, updating, restoring)
// through the requests it sends: flash reads and writes move the progress
// display and count as progress for the busy keep-alive; failed requests
// are collected, so the outcome can say why.

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/cli/flash_activity.h"
#include "app/cli/keep_alive_clock.h"
#include "app/cli/progress_display.h"

namespace qfw::cli {

// "device busy, do not unplug the bridge... (7 s)"
std::string BusyNoticeText(std::chrono::milliseconds quiet);

class StageMonitor final : public RequestObserver {
 public:
  StageMonitor(ProgressDisplay& display, KeepAliveClock& keepAlive) : display_(display), keepAlive_(keepAlive) {}

  // flashSize: the bytes a full pass reads or writes (the percentage's 100).
  void BeginStage(std::string_view label, std::uint32_t flashSize);
  void EndStage();

  // Why requests of the stage failed, each kind once, in order of appearance.
  const std::vector<TransportError>& Failures() const { return failures_; }

  void OnRequest(const std::string& path, const ScsiRequest& request, const ScsiResult& result) override;

 private:
  void ShowTransfer(const FlashTransfer& transfer);

  ProgressDisplay& display_;
  KeepAliveClock& keepAlive_;
  bool active_ = false;
  bool written_ = false;
  std::uint32_t flashSize_ = 1;
  std::vector<TransportError> failures_;
};

}  // namespace qfw::cli
