#include "app/window/hot_plug_sources.h"

#include <string>

#include "app/device_events.h"

namespace qfw {

UdevHotPlug::UdevHotPlug(DebugOutput& debug, DeviceEventHandler onEvent) : onEvent_(std::move(onEvent)) {
  std::string error;
  monitor_ = UdevMonitor::Open(error);
  if (!monitor_) {
    debug.Write("no hot-plug events (" + error + "); devices plugged in later are not seen until the program starts again");
    return;
  }
  notifier_ = std::make_unique<QSocketNotifier>(monitor_->Fd(), QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { Drain(); });
}

UdevHotPlug::~UdevHotPlug() = default;

void UdevHotPlug::Drain() {
  while (const auto code = monitor_->ReadEventCode()) {
    onEvent_(*code);
  }
}

EmulatedHotPlug::EmulatedHotPlug(emu::EmulatedBus& bus, DeviceEventHandler onEvent) : bus_(bus) {
  bus_.SetListener([onEvent = std::move(onEvent)](const std::string&, bool attached) {
    onEvent(attached ? kDeviceArrival : kDeviceRemoveComplete);
  });
  QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
  timer_.start(kPollInterval);
}

EmulatedHotPlug::~EmulatedHotPlug() { bus_.SetListener({}); }

}  // namespace qfw
