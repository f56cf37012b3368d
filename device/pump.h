#pragma once
// Lets pending user-interface events run in the middle of a long operation.

namespace qfw {

class Pump {
 public:
  virtual ~Pump() = default;
  virtual void ProcessPendingEvents() = 0;
};

// For hosts without an event loop.
class NullPump final : public Pump {
 public:
  void ProcessPendingEvents() override {}
};

}  // namespace qfw
