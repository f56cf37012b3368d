// The program's own options and its check for a display.

#include "app/window/entry_options.h"

#include <gtest/gtest.h>

#include <map>

#include "app/window/display_check.h"

namespace qfw {
namespace {

TEST(EntryOptionsTest, ListAndDemoBesideTheCommonOptions) {
  const EntryOptions list = ParseEntryOptions({"--emulate", "s.json", "--list", "-v"});
  EXPECT_TRUE(list.list);
  EXPECT_EQ(list.common.emulate, "s.json");
  EXPECT_TRUE(list.common.verbose);
  EXPECT_FALSE(list.demoDir);

  EXPECT_EQ(ParseEntryOptions({"--demo", "out", "--emulate", "s.json"}).demoDir, "out");
  EXPECT_EQ(ParseEntryOptions({"--emulate=s.json", "--demo=out"}).demoDir, "out");
  EXPECT_FALSE(ParseEntryOptions({}).list);
}

TEST(EntryOptionsTest, BadLines) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--demo"},
           {"--demo=", "--emulate", "s.json"},
           {"--list", "--demo", "d", "--emulate", "s.json"},
           {"--demo", "d"},  // answers YES by itself: never on real devices
           {"--bogus"},
           {"stray"}}) {
    EXPECT_THROW(ParseEntryOptions(args), std::invalid_argument) << args.front();
  }
}

TEST(DisplayCheckTest, AnyOfTheDisplayVariablesWillDo) {
  using Env = std::map<std::string, std::string>;
  struct Case {
    Env env;
    bool missing;
  };
  const Case cases[] = {
      {{}, true},
      {{{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}, true},
      {{{"DISPLAY", ":0"}}, false},
      {{{"WAYLAND_DISPLAY", "wayland-0"}}, false},
      {{{"QT_QPA_PLATFORM", "offscreen"}}, false},
  };
  for (const auto& c : cases) {
    const auto message = MissingDisplayMessage([&](const char* name) -> const char* {
      const auto it = c.env.find(name);
      return it == c.env.end() ? nullptr : it->second.c_str();
    });
    EXPECT_EQ(message.has_value(), c.missing);
    if (message) {
      EXPECT_NE(message->find("no display is available"), std::string::npos);
      EXPECT_NE(message->find("xvfb-run"), std::string::npos) << "says how to run it";
    }
  }
}

}  // namespace
}  // namespace qfw
