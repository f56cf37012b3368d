#include "app/fw_tool_workflow.h"

#include <optional>
#include <string>
#include <string_view>

#include "app/device_events.h"
#include "app/outcome_texts.h"
#include "device/commands.h"
#include "legacy/firmware_file_match.h"
#include "legacy/panel_procedures.h"

namespace qfw {
namespace {

constexpr std::string_view kPromptText = "Click 'Yes' to proceed with the firmware update";
constexpr std::string_view kFileMismatchText = "The firmware file seems not match this chip!";
constexpr std::string_view kMessageCaption = "Message";
constexpr int kRunStartProgress = 20;
constexpr std::string_view kRunDebugText = "Update Btn Press\n";
constexpr std::uint8_t kFamilyOfSizeChoice = 4;
constexpr std::uint8_t kFamilyWithNvram = 6;

bool StartsRescan(std::uint32_t code) {
  return code == kDeviceArrival || code == kDeviceRemoveComplete || (code & 0x2) != 0;
}

// The panel as drawn, before the window hands over its own: the program
// changes no box, the lists name no item.
class DesignPanel final : public PanelView {
 public:
  explicit DesignPanel(WindowView& view) : view_(view) {}
  void SetChecked(Control, bool) override {}
  void SetEditText(Control edit, std::string_view text) override { view_.SetText(edit, text); }
  int SelectedItem(Control) const override { return -1; }

 private:
  WindowView& view_;
};

class CancelledDialog final : public FileDialog {
 public:
  std::string InitialDirectory() const override { return directory_; }
  void SetInitialDirectory(const std::string& directory) override { directory_ = directory; }
  std::optional<std::string> Execute() override { return std::nullopt; }

 private:
  std::string directory_;
};

}  // namespace

// Marks an operation under way for as long as the scope lives; a nested
// scope leaves the mark to the outermost one.
class FwToolWorkflow::BusyScope {
 public:
  explicit BusyScope(FwToolWorkflow& workflow) : workflow_(workflow), outer_(!workflow.busy_) {
    workflow_.busy_ = true;
  }
  ~BusyScope() {
    if (outer_) workflow_.busy_ = false;
  }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  FwToolWorkflow& workflow_;
  bool outer_;
};

FwToolWorkflow::FwToolWorkflow(const Context& context, DeviceDiscovery& discovery, WindowView& view,
                               TimerService& timers)
    : view_(view),
      timers_(timers),
      discovery_(discovery),
      progress_(view),
      host_{context.host.clock, context.host.messages, context.host.debug, context.host.pump, progress_,
            context.host.resources},
      context_{context.transport, host_},
      designPanel_(std::make_unique<DesignPanel>(view)),
      cancelledDialog_(std::make_unique<CancelledDialog>()),
      panel_(designPanel_.get()),
      dialog_(cancelledDialog_.get()) {}

void FwToolWorkflow::Construct() {
  state_.EraseOnlyFlag = view_.IsChecked(Control::EraseOnlyCheck) ? 1 : 0;
  RefreshBtnClick();
  RdCheckBoxClick();
}

// ---- Scan -----------------------------------------------------------------

void FwToolWorkflow::RefreshBtnClick() {
  if (busy_) {
    rescanDeferred_ = true;
    return;
  }
  {
    BusyScope scope(*this);
    Scan();
  }
  RunDeferred();
}

void FwToolWorkflow::Scan() {
  view_.SetVisible(Control::replugLable1, false);
  view_.SetVisible(Control::ExtBtn, false);
  view_.SetVisible(Control::devLable, true);
  const ScanResult scan = ScanDevices(context_, discovery_);
  state_.PathCount = scan.PathCount;
  FillDeviceTable(scan);
  if (scan.PathCount == 0) {
    ShowNoPaths();
  } else {
    ShowScanList(scan);
  }
  ShowScanOutcome(scan);
}

// Listed devices first, in list order; after them the devices that
// received CmdModeEnter without being listed. Exactly those are marked for
// CmdModeLeave; the entries after them keep their paths unmarked.
void FwToolWorkflow::FillDeviceTable(const ScanResult& scan) {
  std::size_t next = 0;
  for (const bool listed : {true, false}) {
    for (const ScannedDevice& device : scan.devices) {
      if (device.listed != listed || next == state_.DeviceTable.size()) continue;
      state_.DeviceTable[next].Path = device.path;
      state_.DeviceTable[next].LeaveModeOnExit = true;
      ++next;
    }
  }
  for (std::size_t i = next; i < state_.DeviceTable.size(); ++i) state_.DeviceTable[i].LeaveModeOnExit = false;
}

void FwToolWorkflow::ShowNoPaths() {
  view_.ClearDeviceList();
  view_.AppendDeviceListItem(kNoDeviceItem);
  view_.SelectDeviceListItem(0);
  view_.SetEnabled(Control::DeviceList, false);
  view_.SetEnabled(Control::UpdateBtn, false);
  for (const Control field : {Control::ChipLabelEdit, Control::DiskLetterLable, Control::FwVerLableEdit,
                              Control::SFlashTypeLable, Control::StatusEdit}) {
    view_.SetText(field, "");
  }
  view_.SetEnabled(Control::FlashTypeList, false);
  view_.SetEnabled(Control::A1ChipCheck, false);
  view_.SetVisible(Control::NVRAMCheck, false);
}

void FwToolWorkflow::ShowScanList(const ScanResult& scan) {
  view_.ClearDeviceList();
  for (const ScannedDevice& device : scan.devices) {
    if (device.listed) view_.AppendDeviceListItem(device.description);
  }
  view_.SetEnabled(Control::DeviceList, true);
  view_.SelectDeviceListItem(scan.ListedCount() > 0 ? 0 : -1);
  RefreshDetails();
}

void FwToolWorkflow::ShowScanOutcome(const ScanResult& scan) {
  const bool ready = scan.ListedCount() > 0;
  view_.SetTextColour(Control::devLable, ready ? TextColour::Black : TextColour::Red);
  view_.SetText(Control::devLable, ready ? kPromptText : scan.AlreadyUpdatedSeen ? kAlreadyUpdatedText : kNoDeviceText);
  for (const Control button : {Control::EraseButton, Control::ExitBtn}) {
    view_.SetEnabled(button, ready);
    view_.SetVisible(button, ready);
  }
  view_.SetVisible(Control::ExtBtn, !ready);
}

// ---- Details ----------------------------------------------------------------

void FwToolWorkflow::UpdateBtnCheck() {
  if (busy_) return;
  {
    BusyScope scope(*this);
    RefreshDetails();
  }
  RunDeferred();
}

void FwToolWorkflow::RefreshDetails() {
  view_.SetVisible(Control::NVRAMCheck, false);
  const int selected = view_.SelectedDeviceListItem();
  if (state_.PathCount == 0 || selected < 0 || static_cast<std::size_t>(selected) >= state_.DeviceTable.size()) {
    return;
  }
  const DeviceRecord& record = state_.DeviceTable[static_cast<std::size_t>(selected)];
  std::optional<std::string> firmwareFile;
  const std::string fileName = view_.Text(Control::FwFilenameEdit);
  if (view_.IsEnabled(Control::DeviceList) && !fileName.empty()) firmwareFile = fileName;
  const DeviceDetails details = ReadDeviceDetails(context_, record.Path, firmwareFile);
  state_.CurrentChipId = details.chipId;
  if (details.amicModel) state_.AmicModel = *details.amicModel;
  if (details.fileCheck == FileCheck::Fits) view_.SetEnabled(Control::UpdateBtn, true);
  if (details.fileCheck == FileCheck::DoesNotFit) {
    host_.messages.Show(kFileMismatchText, kMessageCaption, MessageIcon::None);
    view_.SetEnabled(Control::UpdateBtn, false);
  }
  ShowDetails(details);
  view_.SetText(Control::DiskLetterLable, record.DriveLetters);
}

void FwToolWorkflow::ShowDetails(const DeviceDetails& details) {
  view_.SetText(Control::StatusEdit, "");
  view_.SetText(Control::SFlashTypeLable, "");
  view_.SetText(Control::FwVerLableEdit, "");
  view_.SetText(Control::ChipLabelEdit, details.chipName);
  switch (details.panel) {
    case DetailsPanel::SerialFlash:
      view_.SetVisible(Control::SFlashTypeLable, true);
      for (const Control c : {Control::FlashTypeList, Control::FlashTypeLabel, Control::A1ChipCheck}) {
        view_.SetVisible(c, false);
      }
      if (details.showNvram) view_.SetVisible(Control::NVRAMCheck, true);
      view_.SetText(Control::SFlashTypeLable, details.flashText);
      break;
    case DetailsPanel::A1Chip:
      view_.SetVisible(Control::SFlashTypeLable, false);
      view_.SetVisible(Control::A1ChipCheck, true);
      view_.SetEnabled(Control::A1ChipCheck, true);
      break;
    case DetailsPanel::NotSupported:
      for (const Control c : {Control::SFlashTypeLable, Control::FlashTypeList, Control::FlashTypeLabel,
                              Control::A1ChipCheck}) {
        view_.SetVisible(c, false);
      }
      break;
  }
  view_.SetText(Control::StatusEdit, details.statusText);
  view_.SetText(Control::FwVerLableEdit, details.versionText);
}

// ---- Developer panel toggle ---------------------------------------------------

void FwToolWorkflow::RdCheckBoxClick() {
  if (view_.IsChecked(Control::RdCheckBox)) {
    view_.SetVisible(Control::RdPanel, true);
    view_.ChangeWindowHeight(kDeveloperPanelHeight);
    return;
  }
  view_.SetVisible(Control::RdPanel, false);
  view_.ChangeWindowHeight(-kDeveloperPanelHeight);
  view_.SetVisible(Control::FwSizeCheck, false);
  view_.SetVisible(Control::FwSizeLable, false);
  view_.SetEnabled(Control::FwFilenameEdit, true);
  view_.SetEnabled(Control::UpdateBtn, false);
  UpdateBtnCheck();
}

// ---- Update run ---------------------------------------------------------------

// A rescan asked for while the run wrote runs before the outcome is shown,
// so the outcome stays on screen; a close asked for meanwhile ends it all.
void FwToolWorkflow::EraseButtonClick() {
  if (busy_) return;
  UpdateOutcome outcome;
  {
    BusyScope scope(*this);
    StartRunDisplay();
    outcome = Update();
  }
  if (RunDeferred()) return;
  ShowRunOutcome(outcome);
  view_.SetEnabled(Control::EraseButton, true);
}

void FwToolWorkflow::StartRunDisplay() {
  view_.SetEnabled(Control::EraseButton, false);
  view_.SetVisible(Control::devLable, false);
  view_.SetVisible(Control::FwUpdatBar, true);
  view_.SetProgressPosition(0);
  StepProgress(kRunStartProgress);
  view_.SetText(Control::StatusEdit, "");
  state_.EraseOnlyFlag = 0;
}

UpdateOutcome FwToolWorkflow::Update() {
  const int selected = view_.SelectedDeviceListItem();
  if (selected < 0 || static_cast<std::size_t>(selected) >= state_.DeviceTable.size()) {
    UpdateOutcome none;
    none.failure = UpdateFailure::NoDevice;
    return none;
  }
  const std::string path = state_.DeviceTable[static_cast<std::size_t>(selected)].Path;
  return RunUpdate(context_, state_.Settings, path, state_.CurrentChipId);
}

void FwToolWorkflow::ShowRunOutcome(const UpdateOutcome& outcome) {
  view_.SetVisible(Control::FwUpdatBar, false);
  if (!outcome.result) {
    view_.SetVisible(Control::replugLable1, false);
    view_.SetVisible(Control::ExtBtn, true);
    view_.SetVisible(Control::devLable, true);
    view_.SetVisible(Control::EraseButton, false);
    view_.SetVisible(Control::ExitBtn, false);
    view_.SetTextColour(Control::devLable, TextColour::Red);
    view_.SetText(Control::devLable, kUpdateFailText);
    return;
  }
  view_.SetVisible(Control::replugLable1, true);
  view_.SetVisible(Control::ExtBtn, true);
  view_.SetVisible(Control::devLable, false);
  view_.SetVisible(Control::EraseButton, false);
  view_.SetVisible(Control::ExitBtn, false);
  if (outcome.family == kFamilyQrs642) {
    view_.SetText(Control::replugLable1, kReattachText);
    host_.messages.Show(kAutoResetText, kMessageCaption, MessageIcon::None);
  } else {
    view_.SetText(Control::replugLable1, kPowerCycleText);
  }
}

// ---- Exit, hot-plug, progress -------------------------------------------------

void FwToolWorkflow::ExitBtnClick() {
  if (RequestClose()) view_.CloseWindow();
}

bool FwToolWorkflow::RequestClose() {
  if (!busy_) return true;
  exitDeferred_ = true;
  return false;
}

bool FwToolWorkflow::RunDeferred() {
  while (!busy_) {
    if (exitDeferred_) {
      exitDeferred_ = false;
      rescanDeferred_ = false;
      view_.CloseWindow();
      return true;
    }
    if (!rescanDeferred_) return false;
    rescanDeferred_ = false;
    BusyScope scope(*this);
    Scan();
  }
  return false;
}

void FwToolWorkflow::WMDeviceChange(std::uint32_t code) {
  if (!StartsRescan(code)) return;
  timers_.KillTimer(kRescanTimerId);
  timers_.StartTimer(kRescanTimerId, code == kDeviceArrival ? kRescanDelayAfterArrival : kRescanDelay);
}

void FwToolWorkflow::WMTimer(int id) {
  if (id != kRescanTimerId) return;
  timers_.KillTimer(kRescanTimerId);
  RefreshBtnClick();
}

void FwToolWorkflow::Destroy() {
  for (DeviceRecord& record : state_.DeviceTable) {
    if (!record.LeaveModeOnExit) continue;
    CmdModeLeave(context_.transport, record.Path);
    record.LeaveModeOnExit = false;
  }
}

void FwToolWorkflow::StepProgress(int step) { qfw::StepProgress(view_, step); }

// ---- Developer panel ----------------------------------------------------------

void FwToolWorkflow::UsePanel(PanelView& panel, FileDialog& dialog, std::string programDirectory) {
  panel_ = &panel;
  dialog_ = &dialog;
  programDirectory_ = std::move(programDirectory);
}

// Clearing the other box raises its click, so this handler runs nested for
// it before going on.
void FwToolWorkflow::EraseOnlyCheckClick(int senderTag) {
  const std::uint8_t family = ChipFamilyOf(state_.CurrentChipId);
  if (senderTag == kEraseOnlyCheckTag) {
    if (family == kFamilyWithNvram) view_.SetVisible(Control::NVRAMCheck, true);
    if (view_.IsChecked(Control::EraseOnlyCheck)) panel_->SetChecked(Control::BackupFWCheckBox, false);
  } else if (senderTag == kBackupFWCheckBoxTag) {
    if (view_.IsChecked(Control::BackupFWCheckBox)) panel_->SetChecked(Control::EraseOnlyCheck, false);
  }
  ShowSizeChoice(family);
  state_.EraseOnlyFlag = view_.IsChecked(Control::EraseOnlyCheck) ? 1 : 0;
  OfferRun(family);
}

// The firmware size matters to the erase-only and backup procedures of
// family 4 only.
void FwToolWorkflow::ShowSizeChoice(std::uint8_t family) {
  const bool offered = family == kFamilyOfSizeChoice &&
                       (view_.IsChecked(Control::EraseOnlyCheck) || view_.IsChecked(Control::BackupFWCheckBox));
  view_.SetEnabled(Control::FwSizeCheck, offered);
  view_.SetVisible(Control::FwSizeCheck, offered);
  view_.SetVisible(Control::FwSizeLable, offered);
}

// Erase-only needs a device; programming needs a device and a firmware file
// that fits it (a file that does not is not reported here); a backup is
// offered even without a device.
void FwToolWorkflow::OfferRun(std::uint8_t family) {
  const bool eraseOnly = view_.IsChecked(Control::EraseOnlyCheck);
  const bool device = state_.PathCount != 0 && family != kFamilyUnknown;
  const auto fileFits = [&] {
    const std::string fileName = view_.Text(Control::FwFilenameEdit);
    return !fileName.empty() && MatchFirmwareFile(fileName, state_.CurrentChipId, host_.messages);
  };
  view_.SetEnabled(Control::FwFilenameEdit, !eraseOnly);
  const bool run = (device && (eraseOnly || fileFits())) || view_.IsChecked(Control::BackupFWCheckBox);
  view_.SetEnabled(Control::UpdateBtn, run);
}

void FwToolWorkflow::LoadBtnClick() { BrowseInto(Control::FwFilenameEdit); }

void FwToolWorkflow::BackupBtnClick() { BrowseInto(Control::BackupFileEdit); }

// A firmware file set here is checked by the details refresh that its
// field's change starts; Run is offered whatever that decided.
void FwToolWorkflow::BrowseInto(Control field) {
  view_.SetText(Control::StatusEdit, "");
  if (dialog_->InitialDirectory().empty()) dialog_->SetInitialDirectory(programDirectory_);
  const std::optional<std::string> chosen = dialog_->Execute();
  if (!chosen) return;
  panel_->SetEditText(field, *chosen);
  view_.SetEnabled(Control::UpdateBtn, true);
}

// A list whose edit field names no item keeps the setting as it is.
void FwToolWorkflow::FwSizeCheckChange() {
  if (const auto size = SizeOfItem(kFirmwareSizeChoices, panel_->SelectedItem(Control::FwSizeCheck))) {
    state_.Settings.firmwareSize = *size;
  }
}

void FwToolWorkflow::FwPgSizeCheckChange() {
  if (const auto size = SizeOfItem(kPageSizeChoices, panel_->SelectedItem(Control::FwPgSizeCheck))) {
    state_.Settings.transferPageSize = *size;
  }
}

// The procedures let window events run; a rescan or a close asked for
// meanwhile waits for the procedure's end, like those during an update run.
void FwToolWorkflow::UpdateBtnClick() {
  if (busy_) return;
  view_.SetEnabled(Control::UpdateBtn, false);
  host_.debug.Write(kRunDebugText);
  const std::uint8_t family = ChipFamilyOf(state_.CurrentChipId);
  const int selected = view_.SelectedDeviceListItem();
  view_.SetText(Control::StatusEdit, "");
  if (selected >= 0 && static_cast<std::size_t>(selected) < state_.DeviceTable.size()) {
    const std::string path = state_.DeviceTable[static_cast<std::size_t>(selected)].Path;
    BusyScope scope(*this);
    RunPanelProcedure(context_, ReadPanelChoices(), path, family);
  }
  if (RunDeferred()) return;
  view_.SetEnabled(Control::UpdateBtn, true);
}

PanelChoices FwToolWorkflow::ReadPanelChoices() const {
  return PanelChoices{
      .settings = state_.Settings,
      .eraseOnly = state_.EraseOnlyFlag != 0,
      .rdVersion = view_.IsChecked(Control::RdCheckBox),
      .backupOnly = view_.IsChecked(Control::BackupFWCheckBox),
      .a1Chip = view_.IsChecked(Control::A1ChipCheck),
      .backupFileName = view_.Text(Control::BackupFileEdit),
      .amicModel = state_.AmicModel,
      .romType = panel_->SelectedItem(Control::FlashTypeList),
  };
}

}  // namespace qfw
