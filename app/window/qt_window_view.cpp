#include "app/window/qt_window_view.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>

#include "app/window/widget_text.h"

namespace qfw {

const ControlWidgets& QtWindowView::Get(Control control) const { return controls_.Get(ControlName(control)); }

void QtWindowView::SetVisible(Control control, bool visible) {
  const ControlWidgets& c = Get(control);
  c.widget->setVisible(visible);
  if (c.editLabel) c.editLabel->setVisible(visible);
}

// The control's own flag, whatever its parents show.
bool QtWindowView::IsVisible(Control control) const {
  const QWidget* widget = Get(control).widget;
  return !widget->isHidden();
}

void QtWindowView::SetEnabled(Control control, bool enabled) {
  const ControlWidgets& c = Get(control);
  c.widget->setEnabled(enabled);
  if (c.editLabel) c.editLabel->setEnabled(enabled);
}

bool QtWindowView::IsEnabled(Control control) const {
  return !Get(control).widget->testAttribute(Qt::WA_ForceDisabled);
}

void QtWindowView::SetText(Control control, std::string_view text) {
  QWidget& widget = *Get(control).widget;
  SetWidgetText(widget, text);
  // Labels size themselves to their caption, keeping their place.
  if (auto* label = qobject_cast<QLabel*>(&widget)) {
    label->resize(label->sizeHint().width(), label->height());
  }
}

std::string QtWindowView::Text(Control control) const { return WidgetText(*Get(control).widget); }

void QtWindowView::SetTextColour(Control control, TextColour colour) { SetWidgetTextColour(*Get(control).widget, colour); }

bool QtWindowView::IsChecked(Control control) const {
  const auto* button = qobject_cast<const QAbstractButton*>(Get(control).widget);
  return button && button->isChecked();
}

void QtWindowView::SetProgressPosition(int position) {
  auto* bar = controls_.As<QProgressBar>(ControlName(Control::FwUpdatBar));
  bar->setValue(position);
  bar->repaint();
}

int QtWindowView::ProgressPosition() const { return controls_.As<QProgressBar>(ControlName(Control::FwUpdatBar))->value(); }

void QtWindowView::ClearDeviceList() { controls_.As<QComboBox>(ControlName(Control::DeviceList))->clear(); }

// Appending leaves the selection alone, also on an empty list (where the
// combo box would select its first item by itself).
void QtWindowView::AppendDeviceListItem(std::string_view text) {
  auto* list = controls_.As<QComboBox>(ControlName(Control::DeviceList));
  const int selected = list->currentIndex();
  list->addItem(ToQString(text));
  list->setCurrentIndex(selected);
}

void QtWindowView::SelectDeviceListItem(int index) {
  controls_.As<QComboBox>(ControlName(Control::DeviceList))->setCurrentIndex(index);
}

int QtWindowView::SelectedDeviceListItem() const {
  return controls_.As<QComboBox>(ControlName(Control::DeviceList))->currentIndex();
}

int QtWindowView::DeviceListCount() const { return controls_.As<QComboBox>(ControlName(Control::DeviceList))->count(); }

void QtWindowView::ChangeWindowHeight(int delta) { window_.setFixedSize(window_.width(), window_.height() + delta); }

void QtWindowView::CloseWindow() { window_.close(); }

}  // namespace qfw
