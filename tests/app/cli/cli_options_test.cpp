// The command line: what each command accepts, and the lines it refuses.

#include "app/cli/cli_options.h"

#include <gtest/gtest.h>

namespace qfw::cli {
namespace {

TEST(CliOptionsTest, ReadsCommandOptionsAndCommonOptions) {
  const CliOptions o =
      ParseCliOptions({"update", "--device", "/dev/sg2", "--yes", "--image=fw.bin", "--backup", "old.bin", "--wait",
                       "5", "--emulate", "s.json", "--trace", "t.txt", "-v", "--force"});
  EXPECT_EQ(o.command, Command::Update);
  EXPECT_EQ(o.device, "/dev/sg2");
  EXPECT_EQ(o.image, "fw.bin");
  EXPECT_EQ(o.backup, "old.bin");
  EXPECT_EQ(o.reattachWait, std::chrono::seconds(5));
  EXPECT_TRUE(o.yes && o.force && o.common.verbose);
  EXPECT_EQ(o.common.emulate, "s.json");
  EXPECT_EQ(o.common.trace, "t.txt");
}

TEST(CliOptionsTest, CommandsTakeTheirOperandsAndShortOptions) {
  const CliOptions restore = ParseCliOptions({"-d", "/dev/sg1", "restore", "saved.bin", "-y"});
  EXPECT_EQ(restore.command, Command::Restore);
  EXPECT_EQ(restore.operands, std::vector<std::string>{"saved.bin"});
  const CliOptions backup = ParseCliOptions({"backup", "-d", "/dev/sg1", "-o", "out.bin"});
  EXPECT_EQ(backup.output, "out.bin");
  EXPECT_EQ(ParseCliOptions({"update"}).reattachWait, kDefaultReattachWait);
  EXPECT_TRUE(ParseCliOptions({"list", "--json"}).json);
}

TEST(CliOptionsTest, HelpAndVersionNeedNoCommand) {
  EXPECT_TRUE(ParseCliOptions({"--help"}).common.help);
  EXPECT_TRUE(ParseCliOptions({"--version"}).common.version);
}

TEST(CliOptionsTest, RefusesBadLines) {
  const std::vector<std::vector<std::string>> lines{
      {},                                   // no command
      {"flash"},                            // unknown command
      {"list", "extra"},                    // an operand list does not take
      {"restore", "--device", "/dev/sg1"},  // restore without its file
      {"info"},                             // info without --device
      {"backup", "--device", "/dev/sg1"},   // backup without -o
      {"list", "--yes"},                    // an option of another command
      {"update", "--json"},                 // JSON is for list and info
      {"info", "--device", "/dev/sg1", "--image", "x"},
      {"update", "--wait", "soon"},  // not a number
      {"update", "--wait", "-1"},
      {"update", "--device"},  // value missing
      {"update", "--bogus"},   // unknown option
  };
  for (const auto& line : lines) {
    EXPECT_THROW(ParseCliOptions(line), std::invalid_argument) << testing::PrintToString(line);
  }
}

}  // namespace
}  // namespace qfw::cli
