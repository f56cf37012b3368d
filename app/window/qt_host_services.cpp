#include "app/window/qt_host_services.h"

#include <QCoreApplication>
#include <QMessageBox>

#include "app/window/window_controls.h"

namespace qfw {
namespace {

QMessageBox::Icon IconOf(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::Warning:
      return QMessageBox::Warning;
    case MessageIcon::Error:
      return QMessageBox::Critical;
    case MessageIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

void QtMessageBox::Show(std::string_view text, std::string_view caption, MessageIcon icon) {
  QMessageBox box(IconOf(icon), ToQString(caption), ToQString(text), QMessageBox::Ok);
  box.exec();
}

void QtPump::ProcessPendingEvents() { QCoreApplication::processEvents(); }

}  // namespace qfw
