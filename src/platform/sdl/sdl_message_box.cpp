#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "platform/message_box.h"

namespace kestrel::platform {

void show_message_box(const std::string& caption, const std::string& text) {
  const bool has_display =
      std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr;
  if (has_display && SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption.c_str(),
                                              text.c_str(), nullptr) == 0)
    return;
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

}  // namespace kestrel::platform
