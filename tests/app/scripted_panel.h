#pragma once
// The developer panel's own events for the workflow's tests: a box the
// program changes raises its click, the firmware file field raises its
// change, and the lists hold what the test chose. The file dialog answers
// from a script.

#include <deque>
#include <map>
#include <optional>
#include <string>

#include "app/file_dialog.h"
#include "app/fw_tool_workflow.h"
#include "app/panel_view.h"
#include "tests/app/recording_window_view.h"

namespace qfw::test {

class ScriptedPanel final : public PanelView {
 public:
  ScriptedPanel(RecordingWindowView& view, FwToolWorkflow& workflow) : view_(view), workflow_(workflow) {}

  void SetChecked(Control box, bool checked) override {
    if (view_.IsChecked(box) == checked) return;
    view_.SetChecked(box, checked);
    RaiseClick(box);
  }
  void SetEditText(Control edit, std::string_view text) override {
    view_.SetText(edit, text);
    if (edit == Control::FwFilenameEdit) workflow_.UpdateBtnCheck();
  }
  int SelectedItem(Control list) const override {
    const auto it = items_.find(list);
    return it == items_.end() ? DesignItem(list) : it->second;
  }

  // What the user does: clicks a box, chooses a list item (or types text
  // that names none: -1).
  void Click(Control box) { SetChecked(box, !view_.IsChecked(box)); }
  void Choose(Control list, int item) {
    items_[list] = item;
    if (list == Control::FwSizeCheck) workflow_.FwSizeCheckChange();
    if (list == Control::FwPgSizeCheck) workflow_.FwPgSizeCheckChange();
  }

 private:
  static int DesignItem(Control list) { return list == Control::FwPgSizeCheck ? 1 : 0; }
  void RaiseClick(Control box) {
    if (box == Control::EraseOnlyCheck) workflow_.EraseOnlyCheckClick(kEraseOnlyCheckTag);
    if (box == Control::BackupFWCheckBox) workflow_.EraseOnlyCheckClick(kBackupFWCheckBoxTag);
    if (box == Control::RdCheckBox) workflow_.RdCheckBoxClick();
  }

  RecordingWindowView& view_;
  FwToolWorkflow& workflow_;
  std::map<Control, int> items_;
};

class ScriptedFileDialog final : public FileDialog {
 public:
  std::string InitialDirectory() const override { return directory; }
  void SetInitialDirectory(const std::string& d) override { directory = d; }
  std::optional<std::string> Execute() override {
    ++runs;
    openedIn.push_back(directory);
    if (answers.empty()) return std::nullopt;
    std::optional<std::string> answer = answers.front();
    answers.pop_front();
    return answer;
  }

  std::string directory;
  // The user's answers in turn; nothing: cancelled.
  std::deque<std::optional<std::string>> answers;
  std::vector<std::string> openedIn;
  int runs = 0;
};

}  // namespace qfw::test
