#pragma once
// What the user sees of the window: the texts of the controls that are
// shown and lie inside the window, top to bottom.

#include <string>
#include <vector>

class QWidget;

namespace qfw {

class WindowControls;

struct VisibleText {
  std::string name;    // the control's layout name
  std::string text;    // caption or field text
  std::string colour;  // "#rrggbb" of the text
};

std::vector<VisibleText> VisibleTexts(const QWidget& window, const WindowControls& controls);

// One line per text: name: "text" (colour).
std::string FormatVisibleTexts(const std::vector<VisibleText>& texts);

}  // namespace qfw
