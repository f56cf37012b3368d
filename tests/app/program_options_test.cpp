// The common command line.

#include <gtest/gtest.h>

#include "app/program_options.h"

namespace qfw {
namespace {

TEST(ProgramOptions, ValuesInBothForms) {
  const ProgramOptions o = ParseProgramOptions({"--emulate", "a.json", "--trace=t.txt", "-v", "list"});
  EXPECT_EQ(o.emulate, "a.json");
  EXPECT_EQ(o.trace, "t.txt");
  EXPECT_TRUE(o.verbose);
  EXPECT_EQ(o.arguments, std::vector<std::string>{"list"});
}

TEST(ProgramOptions, BadLinesAreRefusedWithAMessage) {
  for (const auto& line : std::vector<std::vector<std::string>>{{"--emulate"}, {"--bogus"}, {"--trace", ""}}) {
    EXPECT_THROW(ParseProgramOptions(line), std::invalid_argument) << line[0];
  }
}

}  // namespace
}  // namespace qfw
