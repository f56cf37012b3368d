#pragma once
// The developer panel's own events on the real widgets: a box checked or
// cleared by the program emits toggled, an edit set by the program emits
// textChanged, and the window has connected those to the handlers.

#include "app/panel_view.h"
#include "app/window/window_controls.h"

namespace qfw {

class QtPanelView final : public PanelView {
 public:
  explicit QtPanelView(const WindowControls& controls) : controls_(controls) {}

  void SetChecked(Control box, bool checked) override;
  void SetEditText(Control edit, std::string_view text) override;
  // For a list with an edit field, -1 when the edit text is not the
  // selected item's.
  int SelectedItem(Control list) const override;

 private:
  const WindowControls& controls_;
};

}  // namespace qfw
