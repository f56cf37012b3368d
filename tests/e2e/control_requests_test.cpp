// ep0 class requests: only well-formed Get Max LUN and Bulk-Only reset are
// answered; everything else stalls.

#include <gtest/gtest.h>

#include "e2e/gadget/control_requests.h"

namespace qfw::e2e {
namespace {

TEST(ControlRequestsTest, AnswersTheTwoClassRequestsAndStallsTheRest) {
  struct Case {
    const char* name;
    SetupPacket setup;
    ControlAnswer answer;
  };
  const Case cases[] = {
      {"Get Max LUN", {0xA1, 0xFE, 0, 0, 1}, ControlAnswer::MaxLun},
      {"Bulk-Only reset", {0x21, 0xFF, 0, 0, 0}, ControlAnswer::BulkOnlyReset},
      {"Get Max LUN asking two bytes", {0xA1, 0xFE, 0, 0, 2}, ControlAnswer::Stall},
      {"Get Max LUN host to device", {0x21, 0xFE, 0, 0, 1}, ControlAnswer::Stall},
      {"reset with data", {0x21, 0xFF, 0, 0, 4}, ControlAnswer::Stall},
      {"reset with a value", {0x21, 0xFF, 1, 0, 0}, ControlAnswer::Stall},
      {"vendor request", {0xC1, 0x01, 0, 0, 8}, ControlAnswer::Stall},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ClassifySetup(c.setup), c.answer) << c.name;
  }
}

}  // namespace
}  // namespace qfw::e2e
