#pragma once
// The developer panel's file-open dialog OpenDialog1 on Qt: binary files or
// all files; a name that does not exist yet may be typed, as a backup
// target needs.

#include <QStringList>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/file_dialog.h"

class QFileDialog;
class QWidget;

namespace qfw {

inline constexpr std::string_view kOpenDialogName = "OpenDialog1";

struct FileFilter {
  std::string_view description;
  std::string_view pattern;
};
// "BinaryFile|*.bin|All Files|*.*"
inline constexpr std::array<FileFilter, 2> kOpenDialogFilters{{{"BinaryFile", "*.bin"}, {"All Files", "*.*"}}};

// The filters as Qt name filters; "*.*" means every file, also those
// without a dot in their names.
QStringList OpenDialogNameFilters();

class QtFileDialog final : public FileDialog {
 public:
  // The dialog opens over owner, modal.
  explicit QtFileDialog(QWidget& owner) : owner_(owner) {}

  std::string InitialDirectory() const override { return initialDirectory_; }
  void SetInitialDirectory(const std::string& directory) override { initialDirectory_ = directory; }
  std::optional<std::string> Execute() override;

  // The dialog as Execute shows it, not yet shown.
  std::unique_ptr<QFileDialog> Build() const;

 private:
  QWidget& owner_;
  std::string initialDirectory_;
};

}  // namespace qfw
