#include "app/window/fw_tool_window.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>

#include "app/window/qt_timer_service.h"

namespace qfw {
namespace {

constexpr Qt::WindowFlags kWindowFlags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

// The window itself as designed, before its controls are built on it (they
// take its font).
QWidget& PrepareWindow(QWidget& window) {
  window.setObjectName(ToQString(kWindowObjectName));
  window.setWindowTitle(ToQString(kWindowCaption));
  window.setFont(FontFor(kWindowFont));
  window.setFixedSize(kClientWidth, kClientHeight);
  return window;
}

// The running program's folder, where the panel's file dialog first opens.
std::string ProgramDirectory() { return QCoreApplication::applicationDirPath().toStdString() + "/"; }

}  // namespace

TQ61xFwTool::TQ61xFwTool(const Context& context, DeviceDiscovery& discovery, TimerService* timers,
                         FileDialog* dialog)
    : QWidget(nullptr, kWindowFlags), controls_(PrepareWindow(*this)), view_(*this, controls_), panel_(controls_) {
  if (!timers) {
    ownTimers_ = std::make_unique<QtTimerService>([this](int id) { TimerExpired(id); });
    timers = ownTimers_.get();
  }
  if (!dialog) {
    ownDialog_ = std::make_unique<QtFileDialog>(*this);
    dialog = ownDialog_.get();
  }
  workflow_ = std::make_unique<FwToolWorkflow>(context, discovery, view_, *timers);
  workflow_->UsePanel(panel_, *dialog, ProgramDirectory());
  workflow_->Construct();
  ConnectEvents();
  CentreOnScreen();
}

TQ61xFwTool::~TQ61xFwTool() {
  // Closing has done this already, unless the window goes without closing.
  // Leaving the vendor mode is a courtesy to the devices; a failure to do
  // so must not end the program from a destructor.
  try {
    workflow_->Destroy();
  } catch (...) {
  }
}

void TQ61xFwTool::ConnectEvents() {
  const auto onClick = [this](std::string_view name, void (FwToolWorkflow::*handler)()) {
    connect(controls_.As<QAbstractButton>(name), &QAbstractButton::clicked, this,
            [this, handler] { Handle([handler](FwToolWorkflow& w) { (w.*handler)(); }); });
  };
  onClick("EraseButton", &FwToolWorkflow::EraseButtonClick);
  onClick("ExitBtn", &FwToolWorkflow::ExitBtnClick);
  onClick("ExtBtn", &FwToolWorkflow::ExitBtnClick);
  onClick("RefreshBtn", &FwToolWorkflow::RefreshBtnClick);
  onClick("RdCheckBox", &FwToolWorkflow::RdCheckBoxClick);
  // The lists change by the user's choice only; the file name field on any
  // change of its text, its own or the program's.
  const auto refreshDetails = [this] { Handle([](FwToolWorkflow& w) { w.UpdateBtnCheck(); }); };
  connect(controls_.As<QComboBox>("DeviceList"), &QComboBox::activated, this, refreshDetails);
  connect(controls_.As<QComboBox>("FlashTypeList"), &QComboBox::activated, this, refreshDetails);
  connect(controls_.As<QLineEdit>("FwFilenameEdit"), &QLineEdit::textChanged, this, refreshDetails);
  ConnectPanelEvents();
}

void TQ61xFwTool::ConnectPanelEvents() {
  const auto onClick = [this](std::string_view name, void (FwToolWorkflow::*handler)()) {
    connect(controls_.As<QAbstractButton>(name), &QAbstractButton::clicked, this,
            [this, handler] { Handle([handler](FwToolWorkflow& w) { (w.*handler)(); }); });
  };
  onClick("LoadBtn", &FwToolWorkflow::LoadBtnClick);
  onClick("BackupBtn", &FwToolWorkflow::BackupBtnClick);
  onClick("UpdateBtn", &FwToolWorkflow::UpdateBtnClick);
  // The two exclusive boxes run their handler on every change of state, the
  // user's click or the handler clearing the other box.
  for (const std::string_view name : {"EraseOnlyCheck", "BackupFWCheckBox"}) {
    const int tag = controls_.Get(name).layout->tag;
    connect(controls_.As<QAbstractButton>(name), &QAbstractButton::toggled, this,
            [this, tag] { Handle([tag](FwToolWorkflow& w) { w.EraseOnlyCheckClick(tag); }); });
  }
  // The size lists change by a choice or by typing in their edit fields.
  const auto onChange = [this](std::string_view name, void (FwToolWorkflow::*handler)()) {
    auto* list = controls_.As<QComboBox>(name);
    const auto run = [this, handler] { Handle([handler](FwToolWorkflow& w) { (w.*handler)(); }); };
    connect(list, &QComboBox::currentIndexChanged, this, run);
    connect(list, &QComboBox::editTextChanged, this, run);
  };
  onChange("FwSizeCheck", &FwToolWorkflow::FwSizeCheckChange);
  onChange("FwPgSizeCheck", &FwToolWorkflow::FwPgSizeCheckChange);
}

void TQ61xFwTool::Handle(const std::function<void(FwToolWorkflow&)>& handler) {
  if (!onError_) {
    handler(*workflow_);
    return;
  }
  try {
    handler(*workflow_);
  } catch (const std::exception& error) {
    onError_(error.what());
  } catch (...) {
    onError_("unknown error");
  }
}

void TQ61xFwTool::CentreOnScreen() {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame(QPoint(0, 0), size());
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
}

void TQ61xFwTool::DeviceChanged(std::uint32_t code) {
  QMetaObject::invokeMethod(
      this, [this, code] { Handle([code](FwToolWorkflow& w) { w.WMDeviceChange(code); }); }, Qt::QueuedConnection);
}

void TQ61xFwTool::TimerExpired(int id) {
  Handle([id](FwToolWorkflow& w) { w.WMTimer(id); });
}

void TQ61xFwTool::closeEvent(QCloseEvent* event) {
  if (!workflow_->RequestClose()) {
    // An operation is under way; the workflow closes the window after it.
    event->ignore();
    return;
  }
  Handle([](FwToolWorkflow& w) { w.Destroy(); });
  event->accept();
}

}  // namespace qfw
