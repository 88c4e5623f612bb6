#include "platform/sdl/sdl_cursor.h"

namespace kestrel::platform::sdl {
namespace {

constexpr int kNoCursor = -1;

// The nearest system shape for each of the game's cursor numbers; shapes the
// system lacks (the up arrow, help, drag) fall back to the arrow.
SDL_SystemCursor system_shape(int cursor) {
  switch (cursor) {
    case -3:
      return SDL_SYSTEM_CURSOR_CROSSHAIR;
    case -4:
      return SDL_SYSTEM_CURSOR_IBEAM;
    case -6:
      return SDL_SYSTEM_CURSOR_SIZENESW;
    case -7:
    case -15:
      return SDL_SYSTEM_CURSOR_SIZENS;
    case -8:
      return SDL_SYSTEM_CURSOR_SIZENWSE;
    case -9:
    case -14:
      return SDL_SYSTEM_CURSOR_SIZEWE;
    case -11:
      return SDL_SYSTEM_CURSOR_WAIT;
    case -13:
    case -18:
      return SDL_SYSTEM_CURSOR_NO;
    case -17:
    case -19:
      return SDL_SYSTEM_CURSOR_WAITARROW;
    case -21:
      return SDL_SYSTEM_CURSOR_HAND;
    case -22:
      return SDL_SYSTEM_CURSOR_SIZEALL;
    default:
      return SDL_SYSTEM_CURSOR_ARROW;
  }
}

}  // namespace

SystemCursors::~SystemCursors() {
  for (auto& [shape, cursor] : made_) SDL_FreeCursor(cursor);
}

void SystemCursors::show(int cursor) {
  if (cursor == kNoCursor) {
    SDL_ShowCursor(SDL_DISABLE);
    return;
  }
  const SDL_SystemCursor shape = system_shape(cursor);
  SDL_Cursor*& made = made_[shape];
  if (made == nullptr) made = SDL_CreateSystemCursor(shape);
  if (made != nullptr) SDL_SetCursor(made);
  SDL_ShowCursor(SDL_ENABLE);
}

}  // namespace kestrel::platform::sdl
