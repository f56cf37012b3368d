// The details of the selected device: what is read from it and how the
// window shows it.

#include <gtest/gtest.h>

#include <fstream>
#include <optional>

#include "app/device_details.h"
#include "tests/app/workflow_fixture.h"
#include "tests/support/temporary_folder.h"

namespace qfw {
namespace {

using Tweak = std::function<void(emu::DeviceConfig&)>;

void FailChipInfo(emu::DeviceConfig& c) { c.faults.failures.push_back({test::Bytes("e0 f4 e7"), 1, 1000}); }

struct DetailsCase {
  const char* what;
  const char* preset;
  Tweak tweak;
  ChipId chipId;
  DetailsPanel panel;
  bool nvram;
  std::optional<int> amic;
  const char* flashText;
  const char* versionText;
  const char* statusText;
};

constexpr const char* kNotSupported = "The chip not support Firmware Update!";

class DeviceDetailsTest : public test::WorkflowTest {
 protected:
  DeviceDetails Read(const std::string& path, const std::optional<std::string>& file = std::nullopt) {
    return ReadDeviceDetails(Context{transport_, host_}, path, file);
  }
};

TEST_F(DeviceDetailsTest, ByFamilyAndChipInformation) {
  const DetailsCase cases[] = {
      {"family 13", "QRS642", {}, 0x000D, DetailsPanel::NotSupported, false, std::nullopt, "", "Ver 67.01.00",
       kNotSupported},
      {"16 bytes of chip information", "QRS642",
       [](emu::DeviceConfig& c) { c.chipInfo->longVersion = {1, 2, 3}; }, 0x000D, DetailsPanel::NotSupported, false,
       std::nullopt, "", "Ver 1.02.03", kNotSupported},
      {"12 bytes: the short form", "QRS642",
       [](emu::DeviceConfig& c) {
         c.chipInfo->transferred = 12;
         c.chipInfo->shortVersion = {2, 5};
       },
       0x000D, DetailsPanel::NotSupported, false, std::nullopt, "", "Ver 2.05", kNotSupported},
      {"13 bytes: unfilled bytes show as zero", "QRS642",
       [](emu::DeviceConfig& c) {
         c.chipInfo->transferred = 13;
         c.chipInfo->longVersion = {1, 2, 3};
       },
       0x000D, DetailsPanel::NotSupported, false, std::nullopt, "", "Ver 1.00.00", kNotSupported},
      {"family 13 without chip information", "QRS642", FailChipInfo, 0x000D, DetailsPanel::NotSupported, false,
       std::nullopt, "", "01.00", kNotSupported},
      {"family 4 without chip information", "QR40614", FailChipInfo, 0x0104, DetailsPanel::SerialFlash, false, -1,
       "Unknown", "02.00", ""},
      {"nothing identified, no chip information", "usb-stick", FailChipInfo, 0x0000, DetailsPanel::NotSupported,
       false, std::nullopt, "", "00.00", kNotSupported},
      {"chip information without its magic", "QRS642", [](emu::DeviceConfig& c) { c.chipInfo->magic = {0, 0}; },
       0x000D, DetailsPanel::NotSupported, false, std::nullopt, "", "", "Not Quorell Chip!!"},
      {"family 6", "QRB621", {}, 0x0106, DetailsPanel::SerialFlash, true, -1, "Unknown", "Ver 2.01.00", ""},
      {"family 11 keeps its flash unasked", "QRB631", {}, 0x010B, DetailsPanel::NotSupported, false, std::nullopt, "",
       "Ver 3.01.00", kNotSupported},
      {"family 1 with an AMIC flash", "QR40611",
       [](emu::DeviceConfig& c) { c.flash.answers[0x9F] = {0x7F, 0x37, 0x20, 0x12}; }, 0x0101,
       DetailsPanel::SerialFlash, false, 1, "AMIC", "Ver 1.01.00", ""},
      {"flash kind reported by the controller", "QR40613", [](emu::DeviceConfig& c) { c.flash.reportedKind = 6; },
       0x0003, DetailsPanel::SerialFlash, false, -1, "WINBOND", "Ver 1.01.00", ""},
      {"flash kind beyond the vendor names", "QR40613", [](emu::DeviceConfig& c) { c.flash.reportedKind = 12; },
       0x0003, DetailsPanel::SerialFlash, false, -1, "Unknown", "Ver 1.01.00", ""},
      {"family 2", "QR40612", {}, 0x0002, DetailsPanel::A1Chip, false, std::nullopt, "", "Ver 1.01.00", ""},
      {"family 7 without its magic", "QRB622", [](emu::DeviceConfig& c) { c.chipInfo->magic = {0xF4, 0x00}; }, 0x0007,
       DetailsPanel::SerialFlash, false, -1, "Unknown", "", "Not Quorell Chip!!"},
  };
  int index = 0;
  for (const DetailsCase& c : cases) {
    const std::string path = "/dev/sg" + std::to_string(index++);
    AddDevice(path, c.preset, c.tweak);
    const DeviceDetails details = Read(path);
    SCOPED_TRACE(c.what);
    EXPECT_EQ(details.chipId, c.chipId);
    EXPECT_EQ(details.chipName, ChipName(ChipFamilyOf(c.chipId)));
    EXPECT_EQ(details.panel, c.panel);
    EXPECT_EQ(details.showNvram, c.nvram);
    EXPECT_EQ(details.amicModel, c.amic);
    EXPECT_EQ(details.flashText, c.flashText);
    EXPECT_EQ(details.versionText, c.versionText);
    EXPECT_EQ(details.statusText, c.statusText);
    EXPECT_EQ(details.fileCheck, FileCheck::NotChecked);
  }
}

TEST_F(DeviceDetailsTest, AmicFlashIsNotAskedForItsKind) {
  AddDevice("/dev/sg1", "QR40611", [](emu::DeviceConfig& c) { c.flash.answers[0x9F] = {0x7F, 0x37, 0x20, 0x10}; });
  AddDevice("/dev/sg2", "QR40611");
  EXPECT_EQ(Read("/dev/sg1").amicModel, 5);
  EXPECT_EQ(Read("/dev/sg2").amicModel, -1);
  EXPECT_EQ(CountSent("/dev/sg1", "ff 04 23"), 0u);
  EXPECT_EQ(CountSent("/dev/sg2", "ff 04 23"), 1u);
}

// The window's side: a device that a scan would not list is put in the
// table as the developer panel would find it.
class DetailsDisplayTest : public test::WorkflowTest {
 protected:
  void Select(const std::string& path) {
    workflow_.State().DeviceTable[0].Path = path;
    workflow_.State().PathCount = 1;
    view_.ClearDeviceList();
    view_.AppendDeviceListItem("device");
    view_.SelectDeviceListItem(0);
    view_.SetEnabled(Control::DeviceList, true);
  }
  std::string WriteFile(const test::ByteVector& bytes) {
    const std::string file = folder_.File("firmware.bin");
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return file;
  }
  test::TemporaryFolder folder_;
};

TEST_F(DetailsDisplayTest, SerialFlashFamilyThenAnUpdatedFamily) {
  AddDevice("/dev/sg1", "QRB621");
  AddDevice("/dev/sg2", "QRS642");
  Select("/dev/sg1");
  workflow_.UpdateBtnCheck();
  EXPECT_EQ(workflow_.State().CurrentChipId, 0x0106);
  EXPECT_EQ(workflow_.State().AmicModel, -1);
  EXPECT_TRUE(view_[Control::NVRAMCheck].visible);
  EXPECT_TRUE(view_[Control::SFlashTypeLable].visible);
  EXPECT_EQ(view_[Control::SFlashTypeLable].text, "Unknown");
  EXPECT_FALSE(view_[Control::A1ChipCheck].visible);
  EXPECT_EQ(view_[Control::ChipLabelEdit].text, "QRB621 Series");
  EXPECT_EQ(view_[Control::StatusEdit].text, "");

  Select("/dev/sg2");
  workflow_.UpdateBtnCheck();
  EXPECT_EQ(workflow_.State().CurrentChipId, 0x000D);
  EXPECT_EQ(workflow_.State().AmicModel, -1) << "kept: only the serial-flash families detect it";
  EXPECT_FALSE(view_[Control::NVRAMCheck].visible);
  EXPECT_FALSE(view_[Control::SFlashTypeLable].visible);
  EXPECT_EQ(view_[Control::SFlashTypeLable].text, "") << "cleared";
  EXPECT_EQ(view_[Control::StatusEdit].text, "The chip not support Firmware Update!");
  EXPECT_EQ(view_[Control::FwVerLableEdit].text, "Ver 67.01.00");
}

TEST_F(DetailsDisplayTest, FamilyWithTheA1Option) {
  AddDevice("/dev/sg1", "QR40612");
  Select("/dev/sg1");
  view_.SetEnabled(Control::A1ChipCheck, false);
  workflow_.UpdateBtnCheck();
  EXPECT_TRUE(view_[Control::A1ChipCheck].visible);
  EXPECT_TRUE(view_[Control::A1ChipCheck].enabled);
  EXPECT_FALSE(view_[Control::SFlashTypeLable].visible);
}

TEST_F(DetailsDisplayTest, NoSelectionChangesNothingButTheNvramOption) {
  AddDevice("/dev/sg1", "QRB621");
  Select("/dev/sg1");
  workflow_.UpdateBtnCheck();
  view_.SelectDeviceListItem(-1);
  driver_.sent.clear();
  workflow_.UpdateBtnCheck();
  EXPECT_FALSE(view_[Control::NVRAMCheck].visible);
  EXPECT_EQ(workflow_.State().CurrentChipId, 0x0106);
  EXPECT_TRUE(driver_.sent.empty());
}

TEST_F(DetailsDisplayTest, FirmwareFileCheck) {
  AddDevice("/dev/sg1", "QRS641");
  const std::string fits = WriteFile({0x55, 0xAA, 0xAA, 0x55, '6', '4', '1', '7', 0, 0});
  workflow_.Construct();
  ASSERT_EQ(workflow_.State().CurrentChipId, 0x000A);

  view_.SetText(Control::FwFilenameEdit, fits);
  workflow_.UpdateBtnCheck();
  EXPECT_TRUE(view_[Control::UpdateBtn].enabled);
  EXPECT_TRUE(messages_.shown.empty());

  view_.SetText(Control::FwFilenameEdit, "/nonexistent/qfw/firmware.bin");
  workflow_.UpdateBtnCheck();
  EXPECT_FALSE(view_[Control::UpdateBtn].enabled);
  ASSERT_EQ(messages_.shown.size(), 2u);
  EXPECT_EQ(messages_.shown[0].text, "Open Firmware File Error!!");
  EXPECT_EQ(messages_.shown[1].text, "The firmware file seems not match this chip!");
  EXPECT_EQ(messages_.shown[1].caption, "Message");
  EXPECT_EQ(messages_.shown[1].icon, MessageIcon::None);

  // No file name, or a disabled device list: no check, the Run button stays.
  messages_.shown.clear();
  view_.SetText(Control::FwFilenameEdit, "");
  workflow_.UpdateBtnCheck();
  view_.SetText(Control::FwFilenameEdit, "/nonexistent/qfw/firmware.bin");
  view_.SetEnabled(Control::DeviceList, false);
  workflow_.UpdateBtnCheck();
  EXPECT_TRUE(messages_.shown.empty());
  EXPECT_FALSE(view_[Control::UpdateBtn].enabled);
}

}  // namespace
}  // namespace qfw
