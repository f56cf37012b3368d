#pragma once
// A device whose answers are the fuzzer's bytes: every request takes its
// outcome, and for a data-in request its answer bytes, from the front of
// the input. When the input runs out the device is gone.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "device/pass_through.h"

namespace qfw::fuzz {

class AnswerStream final : public PassThrough {
 public:
  explicit AnswerStream(std::span<const std::uint8_t> input) : input_(input) {}

  // One control byte: bits 0-1 choose not opened, opened but failed,
  // completed in full, or completed with the length in the next byte (in
  // units of 1/256 of the data phase, or 0 bytes). The answer bytes of a
  // data-in request follow; missing ones read as zero.
  ScsiResult Execute(const std::string& path, const ScsiRequest& request) override;

  std::size_t Requests() const { return requests_; }

 private:
  std::uint8_t Next();
  bool Exhausted() const { return position_ >= input_.size(); }

  std::span<const std::uint8_t> input_;
  std::size_t position_ = 0;
  std::size_t requests_ = 0;
};

}  // namespace qfw::fuzz
