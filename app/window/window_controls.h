#pragma once
// The window's widgets, built from the layout table onto a parent widget,
// found by their layout names.

#include <QString>
#include <map>
#include <string>
#include <string_view>

#include "app/window/window_layout.h"

class QFont;
class QLabel;
class QWidget;

namespace qfw {

// A built control: its widget (object name = layout name) and, for a
// labelled edit, the caption label to its left.
struct ControlWidgets {
  const ControlLayout* layout = nullptr;
  QWidget* widget = nullptr;
  QLabel* editLabel = nullptr;
};

class WindowControls {
 public:
  // Creates every control of the layout as a child of window (or of its
  // panel) in its design state. The widgets belong to window.
  explicit WindowControls(QWidget& window);

  // The control by layout name; throws std::out_of_range for an unknown one.
  const ControlWidgets& Get(std::string_view name) const;
  QWidget* Widget(std::string_view name) const { return Get(name).widget; }

  template <typename W>
  W* As(std::string_view name) const {
    return static_cast<W*>(Widget(name));
  }

 private:
  void Build(QWidget& window, const ControlLayout& layout);

  std::map<std::string, ControlWidgets, std::less<>> controls_;
};

// The Qt font of a layout font: Arial or its metric twin, or the window's
// sans face, at the given pixel size.
QFont FontFor(const FontSpec& spec);

QString ToQString(std::string_view text);

}  // namespace qfw
