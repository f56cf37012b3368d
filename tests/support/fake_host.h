#pragma once
// Host services for tests: a manual clock that advances only when something
// sleeps, and recorders for messages, debug output and progress.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "device/host.h"

namespace qfw::test {

class ManualClock final : public Clock {
 public:
  std::chrono::milliseconds Now() const override { return now_; }
  void Sleep(std::chrono::milliseconds duration) override {
    now_ += duration;
    ++sleeps_;
  }
  void Advance(std::chrono::milliseconds duration) { now_ += duration; }
  int SleepCount() const { return sleeps_; }

 private:
  std::chrono::milliseconds now_{0};
  int sleeps_ = 0;
};

struct ShownMessage {
  std::string text;
  std::string caption;
  MessageIcon icon;
};

class RecordingMessageBox final : public MessageBox {
 public:
  void Show(std::string_view text, std::string_view caption, MessageIcon icon) override {
    shown.push_back({std::string(text), std::string(caption), icon});
  }
  std::vector<ShownMessage> shown;
};

class RecordingDebugOutput final : public DebugOutput {
 public:
  void Write(std::string_view text) override { lines.emplace_back(text); }
  std::vector<std::string> lines;
};

class CountingPump final : public Pump {
 public:
  void ProcessPendingEvents() override { ++count; }
  int count = 0;
};

// Keeps the progress position (capped at 100, every step recorded) and the
// status text.
class RecordingProgress final : public ProgressReporter {
 public:
  void StepProgress(int step) override {
    steps.push_back(step);
    position = std::min(100, position + step);
  }
  void SetStatusText(std::string_view text) override { status = text; }
  void AppendStatusText(std::string_view text) override { status += text; }
  int position = 0;
  std::vector<int> steps;
  std::string status;
};

// Resources held in memory, added by tests.
class MemoryResourceStore final : public ResourceStore {
 public:
  void Add(std::string type, std::string name, std::vector<std::uint8_t> bytes) {
    entries_[{std::move(type), std::move(name)}] = std::move(bytes);
  }
  std::optional<std::span<const std::uint8_t>> Find(std::string_view type, std::string_view name) const override {
    const auto it = entries_.find({std::string(type), std::string(name)});
    if (it == entries_.end()) return std::nullopt;
    return std::span<const std::uint8_t>(it->second);
  }

 private:
  std::map<std::pair<std::string, std::string>, std::vector<std::uint8_t>> entries_;
};

// Owns one of each and exposes them as a Host.
struct FakeHost {
  ManualClock clock;
  RecordingMessageBox messages;
  RecordingDebugOutput debug;
  CountingPump pump;
  RecordingProgress progress;
  MemoryResourceStore resources;
  Host host{clock, messages, debug, pump, progress, resources};
};

}  // namespace qfw::test
