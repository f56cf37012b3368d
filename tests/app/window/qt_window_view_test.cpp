// The workflow's view operations on the real widgets.

#include "app/window/qt_window_view.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>

#include "app/window/window_controls.h"

namespace qfw {
namespace {

class QtWindowViewTest : public testing::Test {
 protected:
  void SetUp() override {
    window_.setFont(FontFor(kWindowFont));
    window_.setFixedSize(kClientWidth, kClientHeight);
  }

  QWidget window_;
  WindowControls controls_{window_};
  QtWindowView view_{window_, controls_};
};

TEST_F(QtWindowViewTest, VisibilityIsTheControlsOwnAlsoInsideTheHiddenPanel) {
  EXPECT_TRUE(view_.IsVisible(Control::devLable));
  EXPECT_FALSE(view_.IsVisible(Control::ExtBtn));
  // The panel is hidden, its children are not.
  EXPECT_FALSE(view_.IsVisible(Control::RdPanel));
  EXPECT_TRUE(view_.IsVisible(Control::A1ChipCheck));
  view_.SetVisible(Control::A1ChipCheck, false);
  EXPECT_FALSE(view_.IsVisible(Control::A1ChipCheck));

  view_.SetVisible(Control::ExtBtn, true);
  EXPECT_TRUE(view_.IsVisible(Control::ExtBtn));
  window_.show();
  EXPECT_TRUE(controls_.Widget("ExtBtn")->isVisible());
  EXPECT_FALSE(controls_.Widget("replugLable1")->isVisible());
}

TEST_F(QtWindowViewTest, ALabelledEditShowsAndHidesWithItsCaption) {
  const ControlWidgets& status = controls_.Get("StatusEdit");
  view_.SetVisible(Control::StatusEdit, true);
  EXPECT_FALSE(status.editLabel->isHidden());
  view_.SetVisible(Control::StatusEdit, false);
  EXPECT_TRUE(status.editLabel->isHidden());
  EXPECT_FALSE(view_.IsVisible(Control::StatusEdit));
}

TEST_F(QtWindowViewTest, EnabledState) {
  EXPECT_FALSE(view_.IsEnabled(Control::UpdateBtn));
  view_.SetEnabled(Control::UpdateBtn, true);
  EXPECT_TRUE(view_.IsEnabled(Control::UpdateBtn));
  view_.SetEnabled(Control::EraseButton, false);
  EXPECT_FALSE(view_.IsEnabled(Control::EraseButton));
  EXPECT_FALSE(controls_.Widget("EraseButton")->isEnabled());
}

TEST_F(QtWindowViewTest, TextsOfEveryKindKeepTheirSpaces) {
  struct Case {
    Control control;
    const char* text;
  };
  const Case cases[] = {
      {Control::devLable, "               The chip already updated!!"},
      {Control::ExtBtn, "EXIT"},
      {Control::StatusEdit, "Not Quorell Chip!!"},
      {Control::FwFilenameEdit, "/tmp/fw.bin"},
      {Control::FwSizeCheck, "   1MB"},
  };
  for (const auto& c : cases) {
    view_.SetText(c.control, c.text);
    EXPECT_EQ(view_.Text(c.control), c.text);
  }
}

TEST_F(QtWindowViewTest, ALabelSizesItselfToItsNewCaptionInItsPlace) {
  auto* label = controls_.As<QLabel>("replugLable1");
  view_.SetText(Control::replugLable1, "Please wait device re-attached!");
  EXPECT_EQ(label->pos(), QPoint(72, 16));
  EXPECT_EQ(label->height(), 22);
  EXPECT_GE(label->width(), QFontMetrics(label->font()).horizontalAdvance(label->text()));
}

TEST_F(QtWindowViewTest, TextColours) {
  const QWidget* label = controls_.Widget("devLable");
  view_.SetTextColour(Control::devLable, TextColour::Red);
  EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(255, 0, 0));
  view_.SetTextColour(Control::devLable, TextColour::Black);
  EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(Qt::black));
  view_.SetTextColour(Control::devLable, TextColour::WindowText);
  EXPECT_EQ(label->palette().color(QPalette::WindowText), QApplication::palette().color(QPalette::WindowText));
}

TEST_F(QtWindowViewTest, CheckBoxes) {
  EXPECT_FALSE(view_.IsChecked(Control::RdCheckBox));
  controls_.As<QAbstractButton>("RdCheckBox")->setChecked(true);
  EXPECT_TRUE(view_.IsChecked(Control::RdCheckBox));
  EXPECT_FALSE(view_.IsChecked(Control::devLable)) << "not a check box";
}

TEST_F(QtWindowViewTest, ProgressPosition) {
  view_.SetProgressPosition(20);
  EXPECT_EQ(view_.ProgressPosition(), 20);
  EXPECT_EQ(controls_.As<QProgressBar>("FwUpdatBar")->value(), 20);
}

TEST_F(QtWindowViewTest, DeviceListAppendingLeavesTheSelectionAlone) {
  EXPECT_EQ(view_.SelectedDeviceListItem(), -1);
  view_.AppendDeviceListItem("<<USB>> Quorell QRS642 Bridge");
  view_.AppendDeviceListItem("<<USB>> Quorell QRS641 Bridge");
  EXPECT_EQ(view_.DeviceListCount(), 2);
  EXPECT_EQ(view_.SelectedDeviceListItem(), -1);
  view_.SelectDeviceListItem(1);
  EXPECT_EQ(view_.SelectedDeviceListItem(), 1);
  EXPECT_EQ(view_.Text(Control::DeviceList), "<<USB>> Quorell QRS641 Bridge");
  view_.ClearDeviceList();
  EXPECT_EQ(view_.DeviceListCount(), 0);
  EXPECT_EQ(view_.SelectedDeviceListItem(), -1);
}

TEST_F(QtWindowViewTest, WindowHeightGrowsAndShrinksByTheDeltaAndStaysFixed) {
  view_.ChangeWindowHeight(-kPanelHeight);
  EXPECT_EQ(window_.size(), QSize(kClientWidth, 100));
  EXPECT_EQ(window_.minimumSize(), window_.maximumSize());
  view_.ChangeWindowHeight(kPanelHeight);
  EXPECT_EQ(window_.size(), QSize(kClientWidth, kClientHeight));
}

}  // namespace
}  // namespace qfw
