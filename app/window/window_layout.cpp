#include "app/window/window_layout.h"

#include <algorithm>
#include <array>
#include <utility>

namespace qfw {
namespace {

constexpr FontSpec kArial19{FontFace::Arial, 19};
constexpr FontSpec kArial13{FontFace::Arial, 13};
constexpr FontSpec kSans13{FontFace::Sans, 13};

constexpr std::array<std::string_view, 6> kFirmwareSizes{"32KB", "64KB", "128KB", "256KB", "512KB", "   1MB"};
constexpr std::array<std::string_view, 5> kPageSizes{"32 KB", "16 KB", " 8 KB", " 4 KB", " 2 KB"};
constexpr std::array<std::string_view, 3> kRomTypes{"ATMELAT 49BV512", "PMC OM39LV512", "SST SST39LF512"};

constexpr std::string_view kPanel = "RdPanel";

constexpr ControlLayout kLayout[] = {
    // The question, its answers and the update's display.
    {.name = "devLable", .kind = ControlKind::Label, .rect = {8, 16, 392, 22},
     .caption = "Click \u2018Yes\u2019 to proceed with the firmware update", .font = kArial19,
     .colour = TextColour::WindowText},
    {.name = "replugLable1", .kind = ControlKind::Label, .rect = {72, 16, 257, 22},
     .caption = "Please power cycle the device", .visible = false, .font = kArial19, .colour = TextColour::Black},
    {.name = "EraseButton", .kind = ControlKind::PushButton, .rect = {112, 64, 75, 25}, .caption = "YES",
     .font = kArial13},
    {.name = "ExitBtn", .kind = ControlKind::PushButton, .rect = {240, 64, 75, 25}, .caption = "NO", .font = kArial13},
    {.name = "ExtBtn", .kind = ControlKind::PushButton, .rect = {176, 64, 75, 25}, .caption = "EXIT",
     .visible = false, .font = kArial13},
    {.name = "FwUpdatBar", .kind = ControlKind::ProgressBar, .rect = {40, 32, 377 - 40, 25}, .visible = false},
    {.name = "DeviceList", .kind = ControlKind::DropDownList, .rect = {48, 176, 249, 21}, .visible = false},
    {.name = "RefreshBtn", .kind = ControlKind::PushButton, .rect = {240, 8, 91, 25}, .caption = "Refresh Device",
     .visible = false},

    // The selected device's details.
    {.name = "ChipLabelEdit", .kind = ControlKind::LabeledEdit, .rect = {80, 12, 129, 21}, .caption = "Chip ",
     .visible = false, .readOnly = true, .buttonFaceBackground = true},
    {.name = "DiskLetterLable", .kind = ControlKind::LabeledEdit, .rect = {80, 68, 89, 21}, .caption = "Drives ",
     .visible = false, .readOnly = true, .buttonFaceBackground = true},
    {.name = "FwVerLableEdit", .kind = ControlKind::LabeledEdit, .rect = {80, 96, 89, 21},
     .caption = "Firmware Ver. ", .visible = false, .readOnly = true, .buttonFaceBackground = true},
    {.name = "SFlashTypeLable", .kind = ControlKind::LabeledEdit, .rect = {88, 196, 89, 21},
     .caption = "Flash Type", .readOnly = true, .buttonFaceBackground = true},
    {.name = "StatusEdit", .kind = ControlKind::LabeledEdit, .rect = {48, 196, 249, 21}, .caption = "Status ",
     .visible = false, .readOnly = true},

    // The developer panel and its children (places inside the panel).
    {.name = kPanel, .kind = ControlKind::Panel, .rect = {0, 232, 345, 129}, .visible = false},
    {.name = "A1ChipCheck", .kind = ControlKind::CheckBox, .rect = {8, 8, 65, 17}, .caption = "A1 Chip",
     .parent = kPanel},
    {.name = "EraseOnlyCheck", .kind = ControlKind::CheckBox, .rect = {8, 28, 121, 17},
     .caption = "Erase All Flash Only ", .parent = kPanel, .tag = 0},
    {.name = "NVRAMCheck", .kind = ControlKind::CheckBox, .rect = {128, 28, 113, 17}, .caption = "Include 4K NVRAM",
     .parent = kPanel},
    {.name = "BackupFWCheckBox", .kind = ControlKind::CheckBox, .rect = {8, 48, 153, 17},
     .caption = "Backup Old Firmware Only", .parent = kPanel, .tag = 1},
    {.name = "BackupBtn", .kind = ControlKind::PushButton, .rect = {256, 61, 75, 25}, .caption = "Browse",
     .parent = kPanel},
    {.name = "FwSizeCheck", .kind = ControlKind::DropDownWithEdit, .rect = {8, 72, 65, 24}, .parent = kPanel,
     .font = kSans13, .items = kFirmwareSizes, .selectedItem = 0},
    {.name = "FwSizeLable", .kind = ControlKind::Label, .rect = {80, 72, 82, 16}, .caption = "Firmware size",
     .parent = kPanel, .font = kSans13},
    {.name = "BackupFileEdit", .kind = ControlKind::LabeledEdit, .rect = {115, 96, 214, 21},
     .caption = "Backup FileName ", .parent = kPanel},

    // The panel's controls outside it, all hidden.
    {.name = "RdCheckBox", .kind = ControlKind::CheckBox, .rect = {0, 184, 81, 17}, .caption = "RD Version",
     .visible = false},
    {.name = "FwFilenameEdit", .kind = ControlKind::LabeledEdit, .rect = {80, 70, 249, 21},
     .caption = "Firmware File ", .visible = false},
    {.name = "LoadBtn", .kind = ControlKind::PushButton, .rect = {256, 96, 75, 25}, .caption = "Load File",
     .visible = false},
    {.name = "UpdateBtn", .kind = ControlKind::PushButton, .rect = {256, 152, 75, 25}, .caption = "Run",
     .visible = false, .enabled = false},
    {.name = "FwPgSizeCheck", .kind = ControlKind::DropDownWithEdit, .rect = {176, 140, 89, 21}, .visible = false,
     .items = kPageSizes, .selectedItem = 1},
    {.name = "Label1", .kind = ControlKind::Label, .rect = {0, 172, 75, 13}, .caption = "Transfer PgSzie",
     .visible = false},
    {.name = "FlashTypeList", .kind = ControlKind::DropDownWithEdit, .rect = {24, 124, 145, 21}, .visible = false,
     .items = kRomTypes, .selectedItem = 0},
    {.name = "FlashTypeLabel", .kind = ControlKind::Label, .rect = {24, 156, 55, 13}, .caption = "Flash Type ",
     .visible = false},
};

constexpr std::pair<Control, std::string_view> kViewNames[] = {
    {Control::devLable, "devLable"},
    {Control::replugLable1, "replugLable1"},
    {Control::EraseButton, "EraseButton"},
    {Control::ExitBtn, "ExitBtn"},
    {Control::ExtBtn, "ExtBtn"},
    {Control::FwUpdatBar, "FwUpdatBar"},
    {Control::DeviceList, "DeviceList"},
    {Control::RefreshBtn, "RefreshBtn"},
    {Control::ChipLabelEdit, "ChipLabelEdit"},
    {Control::DiskLetterLable, "DiskLetterLable"},
    {Control::FwVerLableEdit, "FwVerLableEdit"},
    {Control::SFlashTypeLable, "SFlashTypeLable"},
    {Control::StatusEdit, "StatusEdit"},
    {Control::FwFilenameEdit, "FwFilenameEdit"},
    {Control::RdCheckBox, "RdCheckBox"},
    {Control::RdPanel, "RdPanel"},
    {Control::EraseOnlyCheck, "EraseOnlyCheck"},
    {Control::NVRAMCheck, "NVRAMCheck"},
    {Control::A1ChipCheck, "A1ChipCheck"},
    {Control::FlashTypeList, "FlashTypeList"},
    {Control::FlashTypeLabel, "FlashTypeLabel"},
    {Control::UpdateBtn, "UpdateBtn"},
    {Control::FwSizeCheck, "FwSizeCheck"},
    {Control::FwSizeLable, "FwSizeLable"},
    {Control::BackupFWCheckBox, "BackupFWCheckBox"},
    {Control::BackupBtn, "BackupBtn"},
    {Control::LoadBtn, "LoadBtn"},
    {Control::FwPgSizeCheck, "FwPgSizeCheck"},
    {Control::Label1, "Label1"},
    {Control::BackupFileEdit, "BackupFileEdit"},
};

constexpr auto kViewControls = [] {
  std::array<Control, std::size(kViewNames)> controls{};
  for (std::size_t i = 0; i < controls.size(); ++i) controls[i] = kViewNames[i].first;
  return controls;
}();

}  // namespace

std::span<const ControlLayout> WindowLayout() { return kLayout; }

const ControlLayout* FindControlLayout(std::string_view name) {
  const auto it = std::ranges::find(kLayout, name, &ControlLayout::name);
  return it == std::end(kLayout) ? nullptr : &*it;
}

std::string_view ControlName(Control control) {
  const auto it = std::ranges::find(kViewNames, control, &std::pair<Control, std::string_view>::first);
  return it == std::end(kViewNames) ? std::string_view{} : it->second;
}

std::span<const Control> ViewControls() { return kViewControls; }

}  // namespace qfw
