#include "app/window/qt_file_dialog.h"

#include <QFileDialog>

#include "app/window/window_controls.h"

namespace qfw {

QStringList OpenDialogNameFilters() {
  QStringList filters;
  for (const FileFilter& filter : kOpenDialogFilters) {
    const std::string_view pattern = filter.pattern == "*.*" ? std::string_view("*") : filter.pattern;
    filters << ToQString(filter.description) + " (" + ToQString(pattern) + ")";
  }
  return filters;
}

std::unique_ptr<QFileDialog> QtFileDialog::Build() const {
  auto dialog = std::make_unique<QFileDialog>(&owner_);
  dialog->setObjectName(ToQString(kOpenDialogName));
  dialog->setAcceptMode(QFileDialog::AcceptOpen);
  dialog->setFileMode(QFileDialog::AnyFile);
  dialog->setNameFilters(OpenDialogNameFilters());
  if (!initialDirectory_.empty()) dialog->setDirectory(ToQString(initialDirectory_));
  return dialog;
}

std::optional<std::string> QtFileDialog::Execute() {
  const std::unique_ptr<QFileDialog> dialog = Build();
  if (dialog->exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog->selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  return chosen.first().toStdString();
}

}  // namespace qfw
