#pragma once
// A window without a toolkit for the workflow's tests: it keeps what the
// workflow set on each control, starting from the window layout's design
// state, and records the progress positions and closes.

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/window_view.h"

namespace qfw::test {

struct ControlState {
  bool visible = false;
  bool enabled = true;
  std::string text;
  TextColour colour = TextColour::WindowText;
  bool checked = false;
};

inline constexpr int kDesignClientHeight = 229;

class RecordingWindowView final : public WindowView {
 public:
  RecordingWindowView() {
    for (const Control shown : {Control::devLable, Control::EraseButton, Control::ExitBtn, Control::SFlashTypeLable}) {
      controls_[shown].visible = true;
    }
    controls_[Control::devLable].text = "Click \u2018Yes\u2019 to proceed with the firmware update";
    controls_[Control::replugLable1].text = "Please power cycle the device";
    controls_[Control::EraseButton].text = "YES";
    controls_[Control::ExitBtn].text = "NO";
    controls_[Control::ExtBtn].text = "EXIT";
  }

  void SetVisible(Control control, bool visible) override { controls_[control].visible = visible; }
  bool IsVisible(Control control) const override { return At(control).visible; }
  void SetEnabled(Control control, bool enabled) override { controls_[control].enabled = enabled; }
  bool IsEnabled(Control control) const override { return At(control).enabled; }
  void SetText(Control control, std::string_view text) override { controls_[control].text = text; }
  std::string Text(Control control) const override { return At(control).text; }
  void SetTextColour(Control control, TextColour colour) override { controls_[control].colour = colour; }
  bool IsChecked(Control control) const override { return At(control).checked; }

  void SetProgressPosition(int position) override {
    progress_ = position;
    progressHistory.push_back(position);
  }
  int ProgressPosition() const override { return progress_; }

  void ClearDeviceList() override {
    items.clear();
    selected_ = -1;
  }
  void AppendDeviceListItem(std::string_view text) override { items.emplace_back(text); }
  void SelectDeviceListItem(int index) override { selected_ = index; }
  int SelectedDeviceListItem() const override { return selected_; }
  int DeviceListCount() const override { return static_cast<int>(items.size()); }

  void ChangeWindowHeight(int delta) override { height += delta; }
  void CloseWindow() override {
    ++closeCount;
    if (onClose) onClose();
  }

  // What the user does to a check box or an edit field.
  void SetChecked(Control control, bool checked) { controls_[control].checked = checked; }

  const ControlState& operator[](Control control) const { return At(control); }

  std::vector<std::string> items;
  std::vector<int> progressHistory;
  int height = kDesignClientHeight;
  int closeCount = 0;
  std::function<void()> onClose;

 private:
  const ControlState& At(Control control) const {
    static const ControlState kDefault;
    const auto it = controls_.find(control);
    return it == controls_.end() ? kDefault : it->second;
  }

  std::map<Control, ControlState> controls_;
  int progress_ = 0;
  int selected_ = -1;
};

}  // namespace qfw::test
