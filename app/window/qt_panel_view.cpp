#include "app/window/qt_panel_view.h"

#include <QAbstractButton>
#include <QComboBox>

#include "app/window/widget_text.h"
#include "app/window/window_layout.h"

namespace qfw {

void QtPanelView::SetChecked(Control box, bool checked) {
  controls_.As<QAbstractButton>(ControlName(box))->setChecked(checked);
}

void QtPanelView::SetEditText(Control edit, std::string_view text) {
  SetWidgetText(*controls_.Widget(ControlName(edit)), text);
}

int QtPanelView::SelectedItem(Control list) const {
  const auto* combo = controls_.As<QComboBox>(ControlName(list));
  const int index = combo->currentIndex();
  if (combo->isEditable() && combo->currentText() != combo->itemText(index)) return -1;
  return index;
}

}  // namespace qfw
