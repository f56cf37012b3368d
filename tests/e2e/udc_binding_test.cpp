// Binding writes the controller's name to the gadget's UDC file, unbinding
// an empty line; each only when the state changes, and the gadget is
// unbound when the binding goes. A plain file stands in for configfs.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "e2e/gadget/udc_binding.h"
#include "tests/support/temporary_folder.h"

namespace qfw::e2e {
namespace {

namespace fs = std::filesystem;

class UdcBindingTest : public testing::Test {
 protected:
  UdcBindingTest() { Clear(); }

  void Clear() { std::ofstream(file_, std::ios::trunc).flush(); }
  std::string Written() {
    std::ifstream in(file_);
    std::stringstream text;
    text << in.rdbuf();
    Clear();
    return text.str();
  }

  test::TemporaryFolder folder_;
  fs::path file_ = folder_ / "UDC";
  std::ostringstream log_;
};

TEST_F(UdcBindingTest, WritesOnlyWhenTheStateChanges) {
  {
    UdcBinding udc(file_, "dummy_udc.0", log_);
    EXPECT_TRUE(udc.Unbind());
    EXPECT_EQ(Written(), "") << "not bound yet";
    EXPECT_TRUE(udc.Bind());
    EXPECT_EQ(Written(), "dummy_udc.0\n");
    EXPECT_TRUE(udc.Bind());
    EXPECT_EQ(Written(), "");
    EXPECT_TRUE(udc.Unbind());
    EXPECT_EQ(Written(), "\n");
    EXPECT_TRUE(udc.Bind());
    Written();
  }
  EXPECT_EQ(Written(), "\n") << "unbound when it goes";
}

TEST_F(UdcBindingTest, MissingFileFailsAndSaysWhy) {
  UdcBinding udc(file_ / "absent", "dummy_udc.0", log_);
  EXPECT_FALSE(udc.Bind());
  EXPECT_NE(log_.str().find("cannot write"), std::string::npos);
  EXPECT_TRUE(udc.Unbind()) << "nothing to undo";
}

}  // namespace
}  // namespace qfw::e2e
