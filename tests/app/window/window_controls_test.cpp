// The window's controls as designed: built from the layout onto a bare
// widget, before any workflow touches them.

#include "app/window/window_controls.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

#include "app/window/widget_text.h"

namespace qfw {
namespace {

class WindowControlsTest : public testing::Test {
 protected:
  void SetUp() override { window_.setFont(FontFor(kWindowFont)); }

  QWidget window_;
  WindowControls controls_{window_};
};

TEST_F(WindowControlsTest, EveryControlHasItsNamePlaceCaptionAndStartState) {
  for (const ControlLayout& layout : WindowLayout()) {
    SCOPED_TRACE(std::string(layout.name));
    auto* widget = window_.findChild<QWidget*>(ToQString(layout.name));
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget, controls_.Widget(layout.name));
    const QString parentName = layout.parent.empty() ? QString() : ToQString(layout.parent);
    EXPECT_EQ(widget->parentWidget() == &window_ ? QString() : widget->parentWidget()->objectName(), parentName);
    EXPECT_EQ(widget->geometry(), QRect(layout.rect.left, layout.rect.top, layout.rect.width, layout.rect.height));
    EXPECT_EQ(widget->isHidden(), !layout.visible);
    EXPECT_EQ(widget->testAttribute(Qt::WA_ForceDisabled), !layout.enabled);
    if (layout.kind == ControlKind::LabeledEdit) {
      ASSERT_NE(controls_.Get(layout.name).editLabel, nullptr);
      EXPECT_EQ(controls_.Get(layout.name).editLabel->text(), ToQString(layout.caption));
      EXPECT_EQ(qobject_cast<QLineEdit*>(widget)->isReadOnly(), layout.readOnly);
    } else if (!layout.caption.empty()) {
      EXPECT_EQ(WidgetText(*widget), layout.caption);
    }
    const FontSpec font = layout.font.value_or(kWindowFont);
    EXPECT_EQ(widget->font().pixelSize(), font.pixelSize);
  }
}

TEST_F(WindowControlsTest, TheQuestionAndItsAnswersAsDrawn) {
  struct Expected {
    const char* name;
    QRect rect;
    const char* caption;
    int pixelSize;
  };
  const Expected expected[] = {
      {"devLable", {8, 16, 392, 22}, "Click \u2018Yes\u2019 to proceed with the firmware update", 19},
      {"replugLable1", {72, 16, 257, 22}, "Please power cycle the device", 19},
      {"EraseButton", {112, 64, 75, 25}, "YES", 13},
      {"ExitBtn", {240, 64, 75, 25}, "NO", 13},
      {"ExtBtn", {176, 64, 75, 25}, "EXIT", 13},
  };
  for (const auto& e : expected) {
    SCOPED_TRACE(e.name);
    const QWidget* widget = controls_.Widget(e.name);
    EXPECT_EQ(widget->geometry(), e.rect);
    EXPECT_EQ(WidgetText(*widget), e.caption);
    EXPECT_EQ(widget->font().pixelSize(), e.pixelSize);
    // Arial, or the metric twin that stands in for it.
    const QString family = QFontInfo(widget->font()).family();
    EXPECT_TRUE(family == "Arial" || family == "Liberation Sans") << family.toStdString();
  }
  EXPECT_EQ(controls_.Widget("FwUpdatBar")->geometry(), QRect(40, 32, 337, 25));
}

TEST_F(WindowControlsTest, LabelColoursAreWindowTextAndBlack) {
  const QColor windowText = QApplication::palette().color(QPalette::WindowText);
  EXPECT_EQ(controls_.Widget("devLable")->palette().color(QPalette::WindowText), windowText);
  EXPECT_EQ(controls_.Widget("replugLable1")->palette().color(QPalette::WindowText), QColor(Qt::black));
}

TEST_F(WindowControlsTest, LabelledEditsHaveTheirCaptionThreePixelsToTheLeft) {
  for (const char* name : {"ChipLabelEdit", "DiskLetterLable", "FwVerLableEdit", "SFlashTypeLable", "StatusEdit",
                           "FwFilenameEdit", "BackupFileEdit"}) {
    SCOPED_TRACE(name);
    const ControlWidgets& c = controls_.Get(name);
    const QRect box = c.widget->geometry();
    const QRect label = c.editLabel->geometry();
    EXPECT_EQ(label.right() + 1 + kEditLabelSpacing, box.left());
    EXPECT_GE(label.top(), box.top());
    EXPECT_LE(label.bottom(), box.bottom());
    EXPECT_EQ(c.editLabel->parentWidget(), c.widget->parentWidget());
    EXPECT_EQ(c.editLabel->isHidden(), c.widget->isHidden());
    EXPECT_GE(label.width(), QFontMetrics(c.editLabel->font()).horizontalAdvance(c.editLabel->text()));
  }
}

TEST_F(WindowControlsTest, ReadOnlyDetailBoxesArePaintedLikeTheWindow) {
  const QColor face = window_.palette().color(QPalette::Button);
  for (const char* name : {"ChipLabelEdit", "DiskLetterLable", "FwVerLableEdit", "SFlashTypeLable"}) {
    EXPECT_EQ(controls_.Widget(name)->palette().color(QPalette::Base), face) << name;
  }
  EXPECT_NE(controls_.Widget("StatusEdit")->palette().color(QPalette::Base), face);
}

TEST_F(WindowControlsTest, ListsHoldTheirItemsAndStartOnTheirItem) {
  struct Expected {
    const char* name;
    QStringList items;
    int selected;
    bool editable;
  };
  const Expected expected[] = {
      {"FwSizeCheck", {"32KB", "64KB", "128KB", "256KB", "512KB", "   1MB"}, 0, true},
      {"FwPgSizeCheck", {"32 KB", "16 KB", " 8 KB", " 4 KB", " 2 KB"}, 1, true},
      {"FlashTypeList", {"ATMELAT 49BV512", "PMC OM39LV512", "SST SST39LF512"}, 0, true},
      {"DeviceList", {}, -1, false},
  };
  for (const auto& e : expected) {
    SCOPED_TRACE(e.name);
    const auto* combo = controls_.As<QComboBox>(e.name);
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
    EXPECT_EQ(items, e.items);
    EXPECT_EQ(combo->currentIndex(), e.selected);
    EXPECT_EQ(combo->isEditable(), e.editable);
  }
}

TEST_F(WindowControlsTest, TheTwoPanelBoxesCarryTheTagsTheirHandlerTellsThemBy) {
  EXPECT_EQ(controls_.Widget("EraseOnlyCheck")->property("tag").toInt(), 0);
  EXPECT_EQ(controls_.Widget("BackupFWCheckBox")->property("tag").toInt(), 1);
}

TEST_F(WindowControlsTest, AnUnknownNameIsAnError) { EXPECT_THROW(controls_.Get("NoSuchControl"), std::out_of_range); }

}  // namespace
}  // namespace qfw

namespace qfw {
namespace {

// The label sizes of the design are the sizes of their captions in Arial;
// its metric twin must not clip them.
TEST_F(WindowControlsTest, ArialCaptionsFitTheirLabels) {
  for (const ControlLayout& layout : WindowLayout()) {
    if (layout.kind != ControlKind::Label || !layout.font || layout.font->face != FontFace::Arial) continue;
    const auto* label = controls_.As<QLabel>(layout.name);
    EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()), label->width() + 2)
        << std::string(layout.name);
  }
}

}  // namespace
}  // namespace qfw
