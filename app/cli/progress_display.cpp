#include "app/cli/progress_display.h"

#include <algorithm>
#include <iomanip>

namespace qfw::cli {
namespace {

constexpr int kBarWidth = 30;
constexpr int kPercentMaximum = 100;
constexpr std::string_view kClearLine = "\r\033[K";

}  // namespace

void ProgressDisplay::BeginStage(std::string_view label) {
  EndStage();
  label_ = label;
  activity_.clear();
  percent_ = 0;
  active_ = true;
}

void ProgressDisplay::Show(std::string_view activity, int percent) {
  if (!active_) return;
  percent = std::clamp(percent, 0, kPercentMaximum);
  const bool newActivity = activity != activity_;
  if (!newActivity && percent == percent_ && drawn_) return;
  activity_ = activity;
  percent_ = percent;
  if (terminal_) {
    Draw();
  } else if (newActivity) {
    out_ << label_ << ": " << activity_ << "...\n" << std::flush;
  }
}

void ProgressDisplay::Notice(std::string_view text) {
  if (terminal_ && drawn_) ClearLine();
  out_ << text << '\n' << std::flush;
  if (terminal_ && drawn_) Draw();
}

void ProgressDisplay::EndStage() {
  if (terminal_ && drawn_) out_ << '\n' << std::flush;
  drawn_ = false;
  active_ = false;
}

void ProgressDisplay::ClearLine() { out_ << kClearLine; }

void ProgressDisplay::Draw() {
  const int filled = percent_ * kBarWidth / kPercentMaximum;
  ClearLine();
  out_ << label_ << ": " << activity_ << " [" << std::string(static_cast<std::size_t>(filled), '#')
       << std::string(static_cast<std::size_t>(kBarWidth - filled), '-') << "] " << std::setw(3) << percent_ << '%'
       << std::flush;
  drawn_ = true;
}

}  // namespace qfw::cli
