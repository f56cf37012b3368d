#pragma once
// Host services for tests: a manual clock that advances only when something
// sleeps, and recorders for messages, debug output and progress.

#include <chrono>
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

class RecordingProgress final : public ProgressReporter {
 public:
  void SetProgress(int position) override { positions.push_back(position); }
  void SetStatus(std::string_view text) override { statuses.emplace_back(text); }
  std::vector<int> positions;
  std::vector<std::string> statuses;
};

// Owns one of each and exposes them as a Host.
struct FakeHost {
  ManualClock clock;
  RecordingMessageBox messages;
  RecordingDebugOutput debug;
  CountingPump pump;
  RecordingProgress progress;
  Host host{clock, messages, debug, pump, progress};
};

}  // namespace qfw::test
