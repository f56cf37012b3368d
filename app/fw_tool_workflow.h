#pragma once
// The main window's logic without a toolkit: the device scan and its
// hot-plug rescans, the details of the selected device, the update run and
// its result display, and the exit. The window (Qt, or a test double)
// forwards its events to the handlers below and shows what they set
// through WindowView.
//
// Everything runs on the window's thread. An operation (scan, details
// refresh or update run) may let window events run in the middle of it
// (the legacy family-10 read, message boxes). Those events do not start a
// second operation under it: a rescan asked for meanwhile runs once the
// operation has ended (after an update run: before its outcome is shown),
// a close asked for meanwhile closes the window then, and a details refresh
// or a second YES asked for meanwhile is dropped.

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "app/device_details.h"
#include "app/device_scan.h"
#include "app/file_dialog.h"
#include "app/panel_view.h"
#include "app/step_progress.h"
#include "app/timer_service.h"
#include "app/update_run.h"
#include "app/window_state.h"
#include "app/window_view.h"
#include "device/context.h"
#include "device/discovery.h"
#include "legacy/panel_choices.h"

namespace qfw {

inline constexpr int kRescanTimerId = 101;
inline constexpr std::chrono::milliseconds kRescanDelayAfterArrival{1200};
inline constexpr std::chrono::milliseconds kRescanDelay{200};
inline constexpr int kDeveloperPanelHeight = 129;
// The tags by which EraseOnlyCheckClick tells its two boxes apart.
inline constexpr int kEraseOnlyCheckTag = 0;
inline constexpr int kBackupFWCheckBoxTag = 1;

class FwToolWorkflow {
 public:
  // The host's progress reporter is not used: progress and status of the
  // operations go to the view's progress bar and StatusEdit.
  FwToolWorkflow(const Context& context, DeviceDiscovery& discovery, WindowView& view, TimerService& timers);
  FwToolWorkflow(const FwToolWorkflow&) = delete;
  FwToolWorkflow& operator=(const FwToolWorkflow&) = delete;

  // The window's construction: erase-only flag, first scan, the developer
  // panel hidden (the window shrinks) and the details refreshed.
  void Construct();

  // The device scan (also the hidden Refresh button).
  void RefreshBtnClick();
  // YES: the update of the selected device.
  void EraseButtonClick();
  // The details refresh (device list, firmware file and ROM type changes).
  void UpdateBtnCheck();
  // The developer-panel toggle.
  void RdCheckBoxClick();
  // NO and EXIT: closes the window, or, during an operation, once it ends.
  void ExitBtnClick();
  // The close box: true when the window may close now; during an operation
  // false, and the window closes (CloseWindow) once the operation ends.
  bool RequestClose();

  // Device-change events (device_events.h codes) and timer expiries.
  void WMDeviceChange(std::uint32_t code);
  void WMTimer(int id);

  // The window is going away: CmdModeLeave to the devices put into their
  // vendor mode by the last scan.
  void Destroy();

  // ---- The developer panel (hidden in the window as laid out) ----

  // The panel's own events and its file dialog. Until they are given, no
  // box is changed by the program, the lists name no item (the settings
  // stay) and the dialog is always cancelled. programDirectory is the
  // running program's folder with its trailing separator.
  void UsePanel(PanelView& panel, FileDialog& dialog, std::string programDirectory);
  // Click of EraseOnlyCheck (tag 0) or BackupFWCheckBox (tag 1), also when
  // the program changed the box: keeps the two exclusive and sets the size
  // choice, EraseOnlyFlag and whether Run is offered.
  void EraseOnlyCheckClick(int senderTag);
  // Load File and Browse: the dialog's choice into FwFilenameEdit or
  // BackupFileEdit; Run is then offered.
  void LoadBtnClick();
  void BackupBtnClick();
  // The size lists' changes: FirmwareSizeSetting and TransferPageSize.
  void FwSizeCheckChange();
  void FwPgSizeCheckChange();
  // Run: the procedure of the selected device's family.
  void UpdateBtnClick();

  // Advances the progress bar while it is shown.
  void StepProgress(int step);

  const WindowState& State() const { return state_; }
  WindowState& State() { return state_; }
  // True while a scan, details refresh or update run is under way.
  bool Busy() const { return busy_; }

 private:
  class BusyScope;

  void Scan();
  void ShowScanList(const ScanResult& scan);
  void ShowNoPaths();
  void ShowScanOutcome(const ScanResult& scan);
  void FillDeviceTable(const ScanResult& scan);
  void RefreshDetails();
  void ShowDetails(const DeviceDetails& details);
  void StartRunDisplay();
  UpdateOutcome Update();
  void ShowRunOutcome(const UpdateOutcome& outcome);
  // Runs what was asked for while an operation was under way; true when
  // that closed the window.
  bool RunDeferred();
  void ShowSizeChoice(std::uint8_t family);
  void OfferRun(std::uint8_t family);
  void BrowseInto(Control field);
  PanelChoices ReadPanelChoices() const;

  WindowView& view_;
  TimerService& timers_;
  DeviceDiscovery& discovery_;
  ViewProgressReporter progress_;
  Host host_;
  Context context_;
  WindowState state_;

  std::unique_ptr<PanelView> designPanel_;
  std::unique_ptr<FileDialog> cancelledDialog_;
  PanelView* panel_;
  FileDialog* dialog_;
  std::string programDirectory_;

  bool busy_ = false;
  bool rescanDeferred_ = false;
  bool exitDeferred_ = false;
};

}  // namespace qfw
