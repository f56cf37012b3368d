// The developer panel's widgets wired to the workflow: the boxes' toggles
// (also those the handler makes), the size lists, Load File through the
// file dialog and Run, on the emulated default scenario; and the Qt file
// dialog and list selection themselves.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <memory>

#include "app/window/qt_file_dialog.h"
#include "app/window/qt_panel_view.h"
#include "tests/app/window/emulated_window_test.h"

namespace qfw {
namespace {

class AnsweringDialog final : public FileDialog {
 public:
  std::string InitialDirectory() const override { return directory; }
  void SetInitialDirectory(const std::string& d) override { directory = d; }
  std::optional<std::string> Execute() override { return answer; }
  std::string directory;
  std::optional<std::string> answer;
};

class DeveloperPanelWindowTest : public test::EmulatedWindowTest<test::RecordingMessageBox> {
 protected:
  DeveloperPanelWindowTest() {
    LoadScenario("default.json");
    window_ = std::make_unique<TQ61xFwTool>(Ctx(), stack_->Discovery(), &timers_, &dialog_);
  }

  template <typename W>
  W* Widget(const char* name) const {
    return window_->Controls().As<W>(name);
  }
  const WindowState& State() const { return window_->Workflow().State(); }

  AnsweringDialog dialog_;
};

TEST_F(DeveloperPanelWindowTest, ThePanelStaysHiddenAsLaidOut) {
  EXPECT_TRUE(Widget<QWidget>("RdPanel")->isHidden());
  EXPECT_TRUE(Widget<QWidget>("RdCheckBox")->isHidden());
  EXPECT_TRUE(Widget<QWidget>("UpdateBtn")->isHidden());
  EXPECT_FALSE(Widget<QWidget>("UpdateBtn")->isEnabled());
  EXPECT_EQ(window_->height(), 229 - 129);
}

TEST_F(DeveloperPanelWindowTest, CheckingOneBoxClearsTheOtherThroughItsOwnHandler) {
  auto* eraseOnly = Widget<QAbstractButton>("EraseOnlyCheck");
  auto* backup = Widget<QAbstractButton>("BackupFWCheckBox");
  eraseOnly->click();
  EXPECT_EQ(State().EraseOnlyFlag, 1);
  backup->click();
  EXPECT_TRUE(backup->isChecked());
  EXPECT_FALSE(eraseOnly->isChecked());
  EXPECT_EQ(State().EraseOnlyFlag, 0);
  EXPECT_TRUE(Widget<QWidget>("UpdateBtn")->isEnabled()) << "a backup is offered";
  eraseOnly->click();
  EXPECT_FALSE(backup->isChecked());
  EXPECT_EQ(State().EraseOnlyFlag, 1);
}

TEST_F(DeveloperPanelWindowTest, SizeListsByChoiceAndByTyping) {
  auto* sizes = Widget<QComboBox>("FwSizeCheck");
  auto* pages = Widget<QComboBox>("FwPgSizeCheck");
  EXPECT_EQ(State().Settings.firmwareSize, 65536);
  sizes->setCurrentIndex(2);
  EXPECT_EQ(State().Settings.firmwareSize, 131072);
  sizes->setEditText("12KB");
  EXPECT_EQ(State().Settings.firmwareSize, 131072) << "text that names no item keeps the size";
  pages->setCurrentIndex(3);
  EXPECT_EQ(State().Settings.transferPageSize, 4096);
}

TEST_F(DeveloperPanelWindowTest, LoadFileFillsTheFieldAndTheRefreshChecksIt) {
  dialog_.answer = "/nonexistent/firmware.bin";
  Widget<QAbstractButton>("LoadBtn")->click();
  EXPECT_EQ(dialog_.directory, QCoreApplication::applicationDirPath().toStdString() + "/");
  EXPECT_EQ(Widget<QLineEdit>("FwFilenameEdit")->text().toStdString(), "/nonexistent/firmware.bin");
  ASSERT_FALSE(messages_.shown.empty()) << "the file field's change refreshed the details";
  EXPECT_EQ(messages_.shown.front().text, "Open Firmware File Error!!");
  EXPECT_TRUE(Widget<QWidget>("UpdateBtn")->isEnabled());
}

TEST_F(DeveloperPanelWindowTest, BrowseFillsTheBackupName) {
  dialog_.answer = "/tmp/old.bak";
  Widget<QAbstractButton>("BackupBtn")->click();
  EXPECT_EQ(Widget<QLineEdit>("BackupFileEdit")->text().toStdString(), "/tmp/old.bak");
}

TEST_F(DeveloperPanelWindowTest, RunOnTheUpdatedFamilyClearsTheStatusAndComesBack) {
  auto* run = Widget<QAbstractButton>("UpdateBtn");
  run->setEnabled(true);
  Widget<QLineEdit>("StatusEdit")->setText("earlier");
  debug_.lines.clear();
  run->click();
  EXPECT_EQ(Widget<QLineEdit>("StatusEdit")->text().toStdString(), "");
  EXPECT_EQ(debug_.lines, std::vector<std::string>{"Update Btn Press\n"});
  EXPECT_TRUE(run->isEnabled());
}

TEST(QtPanelPartsTest, TheFileDialogAsItOpens) {
  QWidget owner;
  QtFileDialog dialog(owner);
  EXPECT_EQ(dialog.InitialDirectory(), "");
  const auto first = dialog.Build();
  EXPECT_EQ(first->objectName().toStdString(), "OpenDialog1");
  EXPECT_EQ(first->nameFilters(), (QStringList{"BinaryFile (*.bin)", "All Files (*)"}));
  EXPECT_EQ(first->acceptMode(), QFileDialog::AcceptOpen);
  EXPECT_EQ(first->fileMode(), QFileDialog::AnyFile) << "a backup may go to a new file";
  const QString tmp = QDir::tempPath();
  dialog.SetInitialDirectory(tmp.toStdString());
  EXPECT_EQ(QDir(dialog.Build()->directory()).canonicalPath(), QDir(tmp).canonicalPath());
}

TEST(QtPanelPartsTest, AListWhoseTextNamesNoItemHasNoSelection) {
  QWidget window;
  WindowControls controls(window);
  QtPanelView panel(controls);
  EXPECT_EQ(panel.SelectedItem(Control::FwSizeCheck), 0);
  EXPECT_EQ(panel.SelectedItem(Control::FwPgSizeCheck), 1);
  EXPECT_EQ(panel.SelectedItem(Control::FlashTypeList), 0);
  controls.As<QComboBox>("FlashTypeList")->setCurrentIndex(2);
  EXPECT_EQ(panel.SelectedItem(Control::FlashTypeList), 2);
  controls.As<QComboBox>("FlashTypeList")->setEditText("AMD 29F512");
  EXPECT_EQ(panel.SelectedItem(Control::FlashTypeList), -1);
  panel.SetChecked(Control::A1ChipCheck, true);
  EXPECT_TRUE(controls.As<QAbstractButton>("A1ChipCheck")->isChecked());
}

}  // namespace
}  // namespace qfw
