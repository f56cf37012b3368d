#pragma once
// Lets pending user-interface events run in the middle of a long operation.

namespace qfw {

class Pump {
 public:
  virtual ~Pump() = default;
  virtual void ProcessPendingEvents() = 0;
};

}  // namespace qfw
