#include "app/window/window_controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <stdexcept>

#include "app/window/widget_text.h"

namespace qfw {
namespace {

QWidget* MakeWidget(const ControlLayout& layout, QWidget* parent) {
  switch (layout.kind) {
    case ControlKind::Label: {
      auto* label = new QLabel(parent);
      label->setTextFormat(Qt::PlainText);
      return label;
    }
    case ControlKind::PushButton:
      return new QPushButton(parent);
    case ControlKind::CheckBox:
      return new QCheckBox(parent);
    case ControlKind::DropDownList:
      return new QComboBox(parent);
    case ControlKind::DropDownWithEdit: {
      auto* combo = new QComboBox(parent);
      combo->setEditable(true);
      combo->setInsertPolicy(QComboBox::NoInsert);
      return combo;
    }
    case ControlKind::LabeledEdit:
      return new QLineEdit(parent);
    case ControlKind::ProgressBar: {
      auto* bar = new QProgressBar(parent);
      bar->setRange(0, 100);
      bar->setValue(0);
      bar->setTextVisible(false);
      return bar;
    }
    case ControlKind::Panel:
      return new QFrame(parent);
  }
  throw std::logic_error("unknown control kind");
}

void ApplyItems(QWidget& widget, const ControlLayout& layout) {
  auto* combo = qobject_cast<QComboBox*>(&widget);
  if (!combo) return;
  for (const std::string_view item : layout.items) {
    combo->addItem(ToQString(item));
  }
  combo->setCurrentIndex(layout.selectedItem);
}

void ApplyEditStyle(QLineEdit& edit, const ControlLayout& layout) {
  edit.setReadOnly(layout.readOnly);
  if (layout.buttonFaceBackground) {
    QPalette palette = edit.palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    edit.setPalette(palette);
  }
}

// The caption to the left of an edit, kEditLabelSpacing pixels away and
// centred on the box's height.
QLabel* MakeEditLabel(const ControlLayout& layout, QWidget& edit, QWidget* parent) {
  auto* label = new QLabel(ToQString(layout.caption), parent);
  label->setTextFormat(Qt::PlainText);
  label->setObjectName(ToQString(layout.name) + ".EditLabel");
  label->adjustSize();
  const QRect box = edit.geometry();
  label->move(box.left() - kEditLabelSpacing - label->width(), box.top() + (box.height() - label->height()) / 2);
  label->setVisible(layout.visible);
  return label;
}

}  // namespace

QString ToQString(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QFont FontFor(const FontSpec& spec) {
  QFont font;
  if (spec.face == FontFace::Arial) {
    font.setFamilies({"Arial", "Liberation Sans"});
  } else {
    font.setFamilies({"Liberation Sans", "DejaVu Sans"});
  }
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(spec.pixelSize);
  return font;
}

WindowControls::WindowControls(QWidget& window) {
  for (const ControlLayout& layout : WindowLayout()) {
    Build(window, layout);
  }
}

void WindowControls::Build(QWidget& window, const ControlLayout& layout) {
  QWidget* parent = layout.parent.empty() ? &window : Widget(layout.parent);
  QWidget* widget = MakeWidget(layout, parent);
  widget->setObjectName(ToQString(layout.name));
  widget->setGeometry(layout.rect.left, layout.rect.top, layout.rect.width, layout.rect.height);
  if (layout.font) widget->setFont(FontFor(*layout.font));
  if (layout.colour) SetWidgetTextColour(*widget, *layout.colour);
  if (!layout.caption.empty() && layout.kind != ControlKind::LabeledEdit) {
    SetWidgetText(*widget, layout.caption);
  }
  ApplyItems(*widget, layout);
  widget->setProperty("tag", layout.tag);
  widget->setEnabled(layout.enabled);
  widget->setVisible(layout.visible);

  ControlWidgets built{.layout = &layout, .widget = widget};
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    ApplyEditStyle(*edit, layout);
    built.editLabel = MakeEditLabel(layout, *edit, parent);
  }
  controls_.emplace(std::string(layout.name), built);
}

const ControlWidgets& WindowControls::Get(std::string_view name) const {
  const auto it = controls_.find(name);
  if (it == controls_.end()) {
    throw std::out_of_range("no control named " + std::string(name));
  }
  return it->second;
}

}  // namespace qfw
