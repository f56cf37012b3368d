// Which procedure the developer panel's Run starts for each family, and the
// sizes behind its lists.

#include "legacy/panel_procedures.h"

#include <gtest/gtest.h>

#include <map>

#include "tests/legacy/legacy_fixture.h"

namespace qfw::test {
namespace {

TEST(PanelProceduresTest, ProcedureByFamily) {
  const std::map<int, PanelProcedure> served{
      {1, PanelProcedure::SerialFlash},  {3, PanelProcedure::SerialFlash},  {4, PanelProcedure::SerialFlash},
      {7, PanelProcedure::SerialFlash},  {6, PanelProcedure::Family6Nvram}, {2, PanelProcedure::ParallelRom},
      {18, PanelProcedure::ParallelRom},
  };
  for (int family = 0; family < 256; ++family) {
    const auto it = served.find(family);
    EXPECT_EQ(ProcedureOfFamily(static_cast<std::uint8_t>(family)),
              it == served.end() ? PanelProcedure::None : it->second)
        << "family " << family;
  }
}

TEST(PanelProceduresTest, SizeOfItemKeepsToTheList) {
  EXPECT_EQ(SizeOfItem(kFirmwareSizeChoices, 0), 32768);
  EXPECT_EQ(SizeOfItem(kFirmwareSizeChoices, 5), 1048576);
  EXPECT_EQ(SizeOfItem(kFirmwareSizeChoices, 6), std::nullopt);
  EXPECT_EQ(SizeOfItem(kFirmwareSizeChoices, -1), std::nullopt);
  EXPECT_EQ(SizeOfItem(kPageSizeChoices, 1), 16384);
  EXPECT_EQ(SizeOfItem(kPageSizeChoices, 4), 2048);
  EXPECT_EQ(SizeOfItem(kPageSizeChoices, 5), std::nullopt);
}

class RunPanelProcedureTest : public LegacyProcedureTest {};

TEST_F(RunPanelProcedureTest, EachFamilyReachesItsOwnCommands) {
  AddImage(kDefaultImageName, ImagePattern(32768, 3));
  AddImage(kFamily6ImageRevision1, ImagePattern(32768, 4));
  struct Case {
    const char* preset;
    std::uint8_t family;
    const char* expectedCommand;  // a command only that procedure sends
  };
  choices_.amicModel = -1;
  for (const Case& c : {Case{"QR40611", 1, "ff 04 11"}, Case{"QRB621", 6, "ff 04 30"}, Case{"QR40612", 2, "ff 04 02"},
                        Case{"QR40612-R", 18, "ff 04 02"}, Case{"QRS642", 13, ""}}) {
    SCOPED_TRACE(c.preset);
    const std::string path = std::string("/dev/") + c.preset;
    auto& bridge = Add(c.preset, {}, path);
    RunPanelProcedure(MakeContext(), choices_, path, c.family);
    if (std::string(c.expectedCommand).empty()) {
      EXPECT_TRUE(bridge.Log().empty());
    } else {
      EXPECT_GT(Count(bridge, c.expectedCommand), 0u);
    }
  }
}

}  // namespace
}  // namespace qfw::test
