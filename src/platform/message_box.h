#pragma once

#include <string>

namespace kestrel::platform {

// A plain message box with an OK button, waited for. Without a display the
// message goes to standard error instead.
void show_message_box(const std::string& caption, const std::string& text);

}  // namespace kestrel::platform
