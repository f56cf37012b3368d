#include "app/window/demo_run.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QWindow>
#include <chrono>
#include <functional>

#include "app/outcome_texts.h"
#include "app/window/fw_tool_window.h"
#include "app/window/visible_texts.h"
#include "app/window/window_controls.h"

namespace qfw {
namespace {

using namespace std::chrono_literals;

constexpr auto kRescanTimeout = 30s;

// Runs the event loop until condition holds or timeout has passed.
bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  QElapsedTimer elapsed;
  elapsed.start();
  while (!condition()) {
    if (elapsed.hasExpired(timeout.count())) return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  }
  return true;
}

std::string SavePicture(QWidget& widget, const std::string& dir, const std::string& name) {
  const QString path = QDir(ToQString(dir)).absoluteFilePath(ToQString(name + ".png"));
  if (!widget.grab().save(path, "PNG")) return "(could not save " + path.toStdString() + ")";
  return path.toStdString();
}

void ReportState(TQ61xFwTool& window, const std::string& dir, const std::string& name, std::ostream& out) {
  out << "State " << name << ":\n" << FormatVisibleTexts(VisibleTexts(window, window.Controls()));
  out << "  screenshot: " << SavePicture(window, dir, name) << "\n" << std::flush;
}

bool ShowsAlreadyUpdated(TQ61xFwTool& window) {
  WindowView& view = window.View();
  return view.IsVisible(Control::devLable) && view.Text(Control::devLable) == kAlreadyUpdatedText;
}

}  // namespace

void DemoMessageBox::Show(std::string_view text, std::string_view caption, MessageIcon) {
  QMessageBox box(QMessageBox::NoIcon, ToQString(caption), ToQString(text), QMessageBox::Ok);
  box.show();
  QCoreApplication::processEvents();
  const std::string picture = SavePicture(box, dir_, "message-" + std::to_string(++count_));
  box.accept();
  out_ << "  message box \"" << caption << "\": \"" << text << "\" (accepted)\n"
       << "  screenshot: " << picture << "\n"
       << std::flush;
}

int RunDemo(TQ61xFwTool& window, const std::string& dir, std::ostream& out) {
  QDir().mkpath(ToQString(dir));
  window.show();
  WaitFor([&] { return window.windowHandle() && window.windowHandle()->isExposed(); }, 2s);
  ReportState(window, dir, "1-ready", out);

  out << "Clicking YES\n" << std::flush;
  window.Controls().As<QPushButton>("EraseButton")->click();
  ReportState(window, dir, "2-reattach", out);

  out << "Waiting for the device to re-attach and the rescan\n" << std::flush;
  std::string shown = FormatVisibleTexts(VisibleTexts(window, window.Controls()));
  const bool updated = WaitFor(
      [&] {
        // Rescans on the way (the device leaving, for one) are told too.
        const std::string now = FormatVisibleTexts(VisibleTexts(window, window.Controls()));
        if (now != shown && !ShowsAlreadyUpdated(window)) out << "Meanwhile:\n" << now << std::flush;
        shown = now;
        return ShowsAlreadyUpdated(window);
      },
      kRescanTimeout);
  ReportState(window, dir, updated ? "3-already-updated" : "3-timeout", out);
  window.close();
  if (!updated) {
    out << "The window did not reach the already-updated state.\n";
    return 1;
  }
  return 0;
}

}  // namespace qfw
