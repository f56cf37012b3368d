// Standard-error host services of programs without a window.

#include <gtest/gtest.h>

#include <sstream>

#include "platform/console_message_box.h"
#include "platform/stderr_debug_output.h"

namespace qfw {
namespace {

TEST(StderrDebugOutput, PrefixesEveryLine) {
  struct Case {
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
      {"one", "dbg: one\n"},
      {"one\n", "dbg: one\n"},
      {"one\ntwo", "dbg: one\ndbg: two\n"},
      {"", "dbg: \n"},
      {"one\n\nthree\n", "dbg: one\ndbg: \ndbg: three\n"},
  };
  for (const Case& c : cases) {
    std::ostringstream stream;
    StderrDebugOutput output("dbg: ", stream);
    output.Write(c.text);
    EXPECT_EQ(stream.str(), c.expected) << c.text;
  }
}

TEST(StderrDebugOutput, WritesToStandardErrorByDefault) {
  testing::internal::CaptureStderr();
  StderrDebugOutput output;
  output.Write("hello");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "qfwupdate: hello\n");
}

TEST(ConsoleMessageBox, PrintsCaptionThenText) {
  std::ostringstream stream;
  ConsoleMessageBox box(stream);
  box.Show("Please wait device re-attached!", "Message", MessageIcon::Information);
  EXPECT_EQ(stream.str(), "Message: Please wait device re-attached!\n");
}

}  // namespace
}  // namespace qfw
