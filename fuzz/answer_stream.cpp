#include "fuzz/answer_stream.h"

#include <algorithm>

namespace qfw::fuzz {
namespace {

enum Outcome : std::uint8_t { kNotOpened = 0, kFailed = 1, kComplete = 2, kPartial = 3 };

constexpr TransportError kOpenErrors[] = {TransportError::NoDevice, TransportError::AccessDenied,
                                          TransportError::Busy, TransportError::Timeout};

}  // namespace

std::uint8_t AnswerStream::Next() { return Exhausted() ? 0 : input_[position_++]; }

ScsiResult AnswerStream::Execute(const std::string&, const ScsiRequest& request) {
  ++requests_;
  if (Exhausted()) return ScsiResult{.error = TransportError::NoDevice, .detail = "input exhausted"};
  const std::uint8_t control = Next();
  switch (control & 0x03) {
    case kNotOpened:
      return ScsiResult{.error = kOpenErrors[(control >> 2) % std::size(kOpenErrors)]};
    case kFailed:
      return ScsiResult{.opened = true, .error = TransportError::Io};
    default:
      break;
  }
  const std::size_t length = request.DataLength();
  std::size_t moved = length;
  if ((control & 0x03) == kPartial) moved = length * Next() / 256;
  if (request.direction == DataDirection::In) {
    for (std::size_t i = 0; i < moved; ++i) request.dataIn[i] = Next();
  }
  return ScsiResult{.opened = true, .completed = true, .transferred = static_cast<std::uint32_t>(moved)};
}

}  // namespace qfw::fuzz
