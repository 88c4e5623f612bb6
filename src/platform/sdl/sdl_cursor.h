#pragma once

#include <SDL.h>

#include <map>

namespace kestrel::platform::sdl {

// The system's pointer shapes, made on first use and kept until the window goes.
class SystemCursors {
 public:
  SystemCursors() = default;
  SystemCursors(const SystemCursors&) = delete;
  SystemCursors& operator=(const SystemCursors&) = delete;
  ~SystemCursors();

  // Shows the shape a game's cursor number stands for, or hides the pointer.
  void show(int cursor);

 private:
  std::map<SDL_SystemCursor, SDL_Cursor*> made_;
};

}  // namespace kestrel::platform::sdl
