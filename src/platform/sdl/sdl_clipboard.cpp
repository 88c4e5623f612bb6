#include <SDL.h>

#include "platform/clipboard.h"

namespace kestrel::platform {

bool clipboard_has_text() {
  return SDL_HasClipboardText() == SDL_TRUE;
}

std::string clipboard_text() {
  char* text = SDL_GetClipboardText();
  std::string copy = text ? text : "";
  SDL_free(text);
  return copy;
}

void set_clipboard_text(const std::string& text) {
  SDL_SetClipboardText(text.c_str());
}

}  // namespace kestrel::platform
