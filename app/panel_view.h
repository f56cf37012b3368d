#pragma once
// What the developer panel's handlers need of the window beyond WindowView:
// changes made by the program that raise the controls' own events, as the
// user's would, and the selections of the panel's lists. The Qt window
// implements it on its widgets; tests use a scripted double.

#include <string_view>

#include "app/window_view.h"

namespace qfw {

class PanelView {
 public:
  virtual ~PanelView() = default;

  // Checks or clears a check box. A change raises the box's click event,
  // whose handler runs before this returns.
  virtual void SetChecked(Control box, bool checked) = 0;
  // Sets the text of an edit field, raising its change event.
  virtual void SetEditText(Control edit, std::string_view text) = 0;
  // The selected item of a list: FwSizeCheck, FwPgSizeCheck or
  // FlashTypeList; -1 when its edit field holds text that names no item.
  virtual int SelectedItem(Control list) const = 0;
};

}  // namespace qfw
