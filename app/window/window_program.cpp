#include "app/window/window_program.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <variant>

#include "app/device_stack.h"
#include "app/window/demo_run.h"
#include "app/window/display_check.h"
#include "app/window/fw_tool_window.h"
#include "app/window/hot_plug_sources.h"
#include "app/window/qt_host_services.h"
#include "app/window/window_controls.h"
#include "app/window/window_layout.h"
#include "platform/stderr_debug_output.h"
#include "platform/system_clock.h"
#include "resources/embedded_resources.h"

namespace qfw {
namespace {

QtMessageHandler previousHandler = nullptr;

// While the application object starts, a fatal toolkit message means that
// no display could be used: say so in our words before the program ends.
void StartupMessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtFatalMsg) {
    std::cerr << UnusableDisplayMessage(message.toStdString()) << std::flush;
    std::_Exit(EXIT_FAILURE);
  }
  if (previousHandler) previousHandler(type, context, message);
}

class StartupGuard {
 public:
  StartupGuard() { previousHandler = qInstallMessageHandler(StartupMessageHandler); }
  ~StartupGuard() { qInstallMessageHandler(previousHandler); }
  StartupGuard(const StartupGuard&) = delete;
  StartupGuard& operator=(const StartupGuard&) = delete;
};

std::unique_ptr<QApplication> StartApplication(int& argc, char** argv) {
  const StartupGuard guard;
  auto application = std::make_unique<QApplication>(argc, argv);
  // The application's name (window class, desktop grouping). Not the
  // display name: Qt would append that to every window caption.
  QApplication::setApplicationName(ToQString(kApplicationTitle));
  return application;
}

// The error of a failed start-up or handler, as the application shows it.
void ShowError(const std::string& text, bool interactive) {
  std::cerr << "qfwupdate: " << text << "\n";
  if (interactive) {
    QMessageBox::critical(nullptr, ToQString(kApplicationTitle), ToQString(text));
  }
}

int RunWindow(const EntryOptions& options) {
  SystemClock clock;
  QtMessageBox windowMessages;
  DemoMessageBox demoMessages(options.demoDir.value_or(""), std::cout);
  MessageBox& messages = options.demoDir ? static_cast<MessageBox&>(demoMessages) : windowMessages;
  StderrDebugOutput verboseOutput;
  NullDebugOutput quiet;
  DebugOutput& debug = options.common.verbose ? static_cast<DebugOutput&>(verboseOutput) : quiet;
  QtPump pump;
  NullProgress progress;  // the window shows progress itself
  EmbeddedResources resources;
  Host host{clock, messages, debug, pump, progress, resources};

  DeviceStack stack({options.common.emulate, options.common.trace}, clock, debug);
  Transport transport(stack.Driver());
  const Context context{transport, host};

  TQ61xFwTool window(context, stack.Discovery());
  window.SetErrorHandler([&](const std::string& text) {
    ShowError(text, !options.demoDir);
    QCoreApplication::exit(EXIT_FAILURE);
  });
  const auto onEvent = [&window](std::uint32_t code) { window.DeviceChanged(code); };
  std::variant<std::monostate, EmulatedHotPlug, UdevHotPlug> hotPlug;
  if (emu::EmulatedBus* bus = stack.Bus()) {
    hotPlug.emplace<EmulatedHotPlug>(*bus, onEvent);
  } else {
    hotPlug.emplace<UdevHotPlug>(debug, onEvent);
  }
  if (options.demoDir) {
    return RunDemo(window, *options.demoDir, std::cout);
  }
  window.show();
  return QApplication::exec();
}

}  // namespace

int RunWindowProgram(int& argc, char** argv, const EntryOptions& options) {
  if (const auto message = MissingDisplayMessage(std::getenv)) {
    std::cerr << *message;
    return EXIT_FAILURE;
  }
  const auto application = StartApplication(argc, argv);
  try {
    return RunWindow(options);
  } catch (const std::exception& error) {
    ShowError(error.what(), !options.demoDir);
  } catch (...) {
    ShowError("unknown error", !options.demoDir);
  }
  return EXIT_FAILURE;
}

}  // namespace qfw
