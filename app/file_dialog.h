#pragma once
// The developer panel's file-open dialog (OpenDialog1), shared by its Load
// File and Browse buttons. The Qt window shows a real dialog; tests answer
// with a script.

#include <optional>
#include <string>

namespace qfw {

class FileDialog {
 public:
  virtual ~FileDialog() = default;

  // Where the dialog opens; empty until set.
  virtual std::string InitialDirectory() const = 0;
  virtual void SetInitialDirectory(const std::string& directory) = 0;
  // Runs the dialog; the chosen file's name, or nothing when cancelled.
  virtual std::optional<std::string> Execute() = 0;
};

}  // namespace qfw
