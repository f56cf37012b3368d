// The advice shown when a device node may not be opened.

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/access_advice.h"

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
  const auto file = std::filesystem::temp_directory_path() / ("qfw-advice-" + std::to_string(::getpid()));
  std::ofstream(file) << "x";
  EXPECT_TRUE(NodeGroupName(file.string()).has_value());
  std::filesystem::remove(file);

  EXPECT_FALSE(NodeGroupName("/nonexistent/sg3").has_value());
  EXPECT_EQ(AccessDeniedAdvice("/nonexistent/sg3"), AccessAdviceText("/nonexistent/sg3", std::nullopt));
}

}  // namespace
}  // namespace qfw
