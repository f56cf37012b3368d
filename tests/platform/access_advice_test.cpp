// The advice shown when a device node may not be opened.

#include <gtest/gtest.h>

#include <fstream>

#include "platform/access_advice.h"
#include "tests/support/temporary_folder.h"

namespace qfw {
namespace {

TEST(AccessAdvice, SuggestsRootGroupAndUdevRule) {
  const std::string text = AccessAdviceText("/dev/sg3", "disk");
  EXPECT_NE(text.find("/dev/sg3"), std::string::npos);
  EXPECT_NE(text.find("root"), std::string::npos);
  EXPECT_NE(text.find("usermod -aG disk $USER"), std::string::npos);
  EXPECT_NE(text.find("udev"), std::string::npos);
}

TEST(AccessAdvice, NeverSuggestsJoiningRootsGroupOrAnUnknownOne) {
  for (const auto& group : {std::optional<std::string>("root"), std::optional<std::string>()}) {
    const std::string text = AccessAdviceText("/dev/sg3", group);
    EXPECT_EQ(text.find("usermod"), std::string::npos) << group.value_or("(unknown)");
    EXPECT_NE(text.find("udev"), std::string::npos);
  }
}

TEST(AccessAdvice, ReadsTheNodesGroup) {
  const test::TemporaryFolder folder;
  const std::string file = folder.File("node");
  std::ofstream(file) << "x";
  EXPECT_TRUE(NodeGroupName(file).has_value());

  EXPECT_FALSE(NodeGroupName("/nonexistent/sg3").has_value());
  EXPECT_EQ(AccessDeniedAdvice("/nonexistent/sg3"), AccessAdviceText("/nonexistent/sg3", std::nullopt));
}

}  // namespace
}  // namespace qfw
