#pragma once
// What the update workflow needs of the main window: named controls it can
// show, enable, caption and colour, the hidden device list, the progress bar
// and the window's height. The Qt window implements it with widgets; tests
// use a recording double. Nothing here knows about a toolkit.

#include <string>
#include <string_view>

namespace qfw {

// The window's controls, by their names in the window layout.
enum class Control {
  // Main window.
  devLable,
  replugLable1,
  EraseButton,
  ExitBtn,
  ExtBtn,
  FwUpdatBar,
  DeviceList,
  RefreshBtn,
  // Detail fields.
  ChipLabelEdit,
  DiskLetterLable,
  FwVerLableEdit,
  SFlashTypeLable,
  StatusEdit,
  FwFilenameEdit,
  // Developer panel.
  RdCheckBox,
  RdPanel,
  EraseOnlyCheck,
  NVRAMCheck,
  A1ChipCheck,
  FlashTypeList,
  FlashTypeLabel,
  UpdateBtn,
  FwSizeCheck,
  FwSizeLable,
  BackupFWCheckBox,
  BackupBtn,
  LoadBtn,
  FwPgSizeCheck,
  Label1,
  BackupFileEdit,
};

enum class TextColour { WindowText, Black, Red };

class WindowView {
 public:
  virtual ~WindowView() = default;

  virtual void SetVisible(Control control, bool visible) = 0;
  virtual bool IsVisible(Control control) const = 0;
  virtual void SetEnabled(Control control, bool enabled) = 0;
  virtual bool IsEnabled(Control control) const = 0;
  // Caption of labels and buttons, text of edit fields.
  virtual void SetText(Control control, std::string_view text) = 0;
  virtual std::string Text(Control control) const = 0;
  virtual void SetTextColour(Control control, TextColour colour) = 0;
  // Check boxes.
  virtual bool IsChecked(Control control) const = 0;

  // The progress bar FwUpdatBar (0 to 100), repainted at once.
  virtual void SetProgressPosition(int position) = 0;
  virtual int ProgressPosition() const = 0;

  // The device list DeviceList; an empty selection is -1.
  virtual void ClearDeviceList() = 0;
  virtual void AppendDeviceListItem(std::string_view text) = 0;
  virtual void SelectDeviceListItem(int index) = 0;
  virtual int SelectedDeviceListItem() const = 0;
  virtual int DeviceListCount() const = 0;

  // Grows (positive) or shrinks (negative) the window's client height.
  virtual void ChangeWindowHeight(int delta) = 0;
  // Closes the window, which ends the program.
  virtual void CloseWindow() = 0;
};

}  // namespace qfw
