#include "app/window/widget_text.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>

#include "app/window/window_controls.h"

namespace qfw {
namespace {

QColor ColourOf(TextColour colour, const QWidget& widget) {
  switch (colour) {
    case TextColour::Black:
      return Qt::black;
    case TextColour::Red:
      return QColor(0xFF, 0x00, 0x00);
    case TextColour::WindowText:
      break;
  }
  return QApplication::palette(&widget).color(QPalette::WindowText);
}

}  // namespace

void SetWidgetText(QWidget& widget, std::string_view text) {
  const QString value = ToQString(text);
  if (auto* label = qobject_cast<QLabel*>(&widget)) {
    label->setText(value);
  } else if (auto* button = qobject_cast<QAbstractButton*>(&widget)) {
    button->setText(value);
  } else if (auto* edit = qobject_cast<QLineEdit*>(&widget)) {
    edit->setText(value);
  } else if (auto* combo = qobject_cast<QComboBox*>(&widget)) {
    if (combo->isEditable()) {
      combo->setEditText(value);
    } else {
      combo->setCurrentIndex(combo->findText(value));
    }
  }
}

std::string WidgetText(const QWidget& widget) {
  QString value;
  if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
    value = label->text();
  } else if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) {
    value = button->text();
  } else if (const auto* edit = qobject_cast<const QLineEdit*>(&widget)) {
    value = edit->text();
  } else if (const auto* combo = qobject_cast<const QComboBox*>(&widget)) {
    value = combo->currentText();
  }
  return value.toStdString();
}

void SetWidgetTextColour(QWidget& widget, TextColour colour) {
  QPalette palette = widget.palette();
  const QColor value = ColourOf(colour, widget);
  for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text}) {
    palette.setColor(role, value);
  }
  widget.setPalette(palette);
}

}  // namespace qfw
