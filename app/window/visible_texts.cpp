#include "app/window/visible_texts.h"

#include <QWidget>
#include <algorithm>

#include "app/window/widget_text.h"
#include "app/window/window_controls.h"
#include "app/window/window_layout.h"

namespace qfw {
namespace {

bool ShownInside(const QWidget& widget, const QWidget& window) {
  if (!widget.isVisibleTo(&window)) return false;
  const QRect area(widget.mapTo(&window, QPoint(0, 0)), widget.size());
  return window.rect().intersects(area);
}

}  // namespace

std::vector<VisibleText> VisibleTexts(const QWidget& window, const WindowControls& controls) {
  std::vector<std::pair<QPoint, VisibleText>> found;
  for (const ControlLayout& layout : WindowLayout()) {
    const QWidget& widget = *controls.Widget(layout.name);
    std::string text = WidgetText(widget);
    if (text.empty() || !ShownInside(widget, window)) continue;
    const QString colour = widget.palette().color(widget.foregroundRole()).name();
    found.push_back({widget.mapTo(&window, QPoint(0, 0)),
                     {std::string(layout.name), std::move(text), colour.toStdString()}});
  }
  std::ranges::stable_sort(found, [](const auto& a, const auto& b) {
    return a.first.y() != b.first.y() ? a.first.y() < b.first.y() : a.first.x() < b.first.x();
  });
  std::vector<VisibleText> texts;
  for (auto& entry : found) texts.push_back(std::move(entry.second));
  return texts;
}

std::string FormatVisibleTexts(const std::vector<VisibleText>& texts) {
  std::string out;
  for (const VisibleText& t : texts) {
    out += "  " + t.name + ": \"" + t.text + "\" (" + t.colour + ")\n";
  }
  return out;
}

}  // namespace qfw
