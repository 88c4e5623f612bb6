#pragma once

#include <string>

namespace kestrel::platform {

// The desktop's clipboard, text only. Without a window system it holds no text
// and setting it does nothing.
bool clipboard_has_text();
// The clipboard's text; empty when it holds none.
std::string clipboard_text();
void set_clipboard_text(const std::string& text);

}  // namespace kestrel::platform
