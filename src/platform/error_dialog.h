#pragma once

#include <memory>
#include <string_view>

namespace kestrel::platform {

enum class ErrorChoice { Ignore, Abort };

// The "Error Messages" dialog. It keeps every message of the run until the
// player clears them, and can copy them all to the clipboard.
class ErrorDialog {
 public:
  virtual ~ErrorDialog() = default;
  // Adds the message below the earlier ones and waits for the player. A fatal
  // message offers no Ignore; closing the dialog counts as Abort.
  virtual ErrorChoice show(std::string_view message, bool fatal) = 0;
};

// Null when there is no display to show a dialog on.
std::unique_ptr<ErrorDialog> open_error_dialog();

}  // namespace kestrel::platform
