#include "app/cli/stage_monitor.h"

#include <algorithm>

namespace qfw::cli {
namespace {

constexpr std::uint64_t kPercent = 100;

std::string_view ActivityText(FlashActivity activity, bool written) {
  switch (activity) {
    case FlashActivity::Read:
      return written ? "verifying" : "reading";
    case FlashActivity::Write:
      return "writing";
    case FlashActivity::Erase:
      return "erasing";
  }
  return "";
}

}  // namespace

std::string BusyNoticeText(std::chrono::milliseconds quiet) {
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(quiet).count();
  return "device busy, do not unplug the bridge... (" + std::to_string(seconds) + " s)";
}

void StageMonitor::BeginStage(std::string_view label, std::uint32_t flashSize) {
  display_.BeginStage(label);
  active_ = true;
  written_ = false;
  flashSize_ = std::max<std::uint32_t>(flashSize, 1);
  failures_.clear();
  keepAlive_.Arm();
}

void StageMonitor::EndStage() {
  keepAlive_.Disarm();
  display_.EndStage();
  active_ = false;
}

void StageMonitor::OnRequest(const std::string&, const ScsiRequest& request, const ScsiResult& result) {
  if (!active_) return;
  if (!result.completed && result.error != TransportError::None &&
      std::ranges::find(failures_, result.error) == failures_.end()) {
    failures_.push_back(result.error);
  }
  const auto transfer = DecodeFlashTransfer(request);
  if (!transfer || !result.completed) return;
  keepAlive_.NoteProgress();
  ShowTransfer(*transfer);
}

void StageMonitor::ShowTransfer(const FlashTransfer& transfer) {
  if (transfer.activity == FlashActivity::Write) written_ = true;
  const std::uint64_t end = std::uint64_t{transfer.address} + transfer.length;
  const auto percent = static_cast<int>(std::min<std::uint64_t>(kPercent, end * kPercent / flashSize_));
  display_.Show(ActivityText(transfer.activity, written_), percent);
}

}  // namespace qfw::cli
