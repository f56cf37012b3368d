#pragma once
// The workflow's view of the window on the real widgets.

#include <QWidget>

#include "app/window/window_controls.h"
#include "app/window_view.h"

namespace qfw {

class QtWindowView final : public WindowView {
 public:
  // window is the top-level widget that holds controls.
  QtWindowView(QWidget& window, const WindowControls& controls) : window_(window), controls_(controls) {}

  void SetVisible(Control control, bool visible) override;
  bool IsVisible(Control control) const override;
  void SetEnabled(Control control, bool enabled) override;
  bool IsEnabled(Control control) const override;
  void SetText(Control control, std::string_view text) override;
  std::string Text(Control control) const override;
  void SetTextColour(Control control, TextColour colour) override;
  bool IsChecked(Control control) const override;

  void SetProgressPosition(int position) override;
  int ProgressPosition() const override;

  void ClearDeviceList() override;
  void AppendDeviceListItem(std::string_view text) override;
  void SelectDeviceListItem(int index) override;
  int SelectedDeviceListItem() const override;
  int DeviceListCount() const override;

  void ChangeWindowHeight(int delta) override;
  void CloseWindow() override;

 private:
  const ControlWidgets& Get(Control control) const;

  QWidget& window_;
  const WindowControls& controls_;
};

}  // namespace qfw
