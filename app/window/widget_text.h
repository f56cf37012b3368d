#pragma once
// Caption, text and text colour of any of the window's widget kinds, the
// way the window layout speaks of them.

#include <string>
#include <string_view>

#include "app/window_view.h"

class QWidget;

namespace qfw {

// Labels and buttons: the caption; edits: the text; lists with an edit
// field: the edit text; plain lists: the selected item's text.
void SetWidgetText(QWidget& widget, std::string_view text);
std::string WidgetText(const QWidget& widget);

void SetWidgetTextColour(QWidget& widget, TextColour colour);

}  // namespace qfw
