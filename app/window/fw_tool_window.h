#pragma once
// The main window Q61xFwTool: the controls of the window layout on a fixed
// dialog-like window, the workflow behind them, and the window's timers.
// Device-change events reach it through DeviceChanged.

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "app/fw_tool_workflow.h"
#include "app/window/qt_file_dialog.h"
#include "app/window/qt_panel_view.h"
#include "app/window/qt_window_view.h"
#include "app/window/window_controls.h"

class QCloseEvent;

namespace qfw {

class TQ61xFwTool final : public QWidget {
 public:
  // Builds the window, runs the first scan and shrinks the window by the
  // hidden developer panel. timers, when given, replaces the window's own
  // QTimers (tests fire them by hand through TimerExpired); dialog, when
  // given, replaces the developer panel's file dialog. Both must outlive
  // the window.
  TQ61xFwTool(const Context& context, DeviceDiscovery& discovery, TimerService* timers = nullptr,
              FileDialog* dialog = nullptr);
  ~TQ61xFwTool() override;
  TQ61xFwTool(const TQ61xFwTool&) = delete;
  TQ61xFwTool& operator=(const TQ61xFwTool&) = delete;

  // A device-change event; handled on the event loop, like any message.
  void DeviceChanged(std::uint32_t code);
  // A timer of the window expired.
  void TimerExpired(int id);

  // Where an exception that escapes an event handler goes. Without one it
  // propagates to whoever delivered the event.
  void SetErrorHandler(std::function<void(const std::string& message)> onError) { onError_ = std::move(onError); }

  const WindowControls& Controls() const { return controls_; }
  WindowView& View() { return view_; }
  FwToolWorkflow& Workflow() { return *workflow_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void ConnectEvents();
  void ConnectPanelEvents();
  // Runs an event handler of the workflow.
  void Handle(const std::function<void(FwToolWorkflow&)>& handler);
  void CentreOnScreen();

  WindowControls controls_;
  QtWindowView view_;
  QtPanelView panel_;
  std::unique_ptr<TimerService> ownTimers_;
  std::unique_ptr<QtFileDialog> ownDialog_;
  std::unique_ptr<FwToolWorkflow> workflow_;
  std::function<void(const std::string&)> onError_;
};

}  // namespace qfw
