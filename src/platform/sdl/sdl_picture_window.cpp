#include "platform/sdl/sdl_picture_window.h"

#include <SDL_shape.h>

#include <algorithm>
#include <iostream>
#include <optional>
#include <utility>

#include "platform/sdl/sdl_input.h"
#include "platform/sdl/sdl_keys.h"

namespace kestrel::platform::sdl {
namespace {

class SdlPictureWindow final : public PictureWindow {
 public:
  SdlPictureWindow(WindowEvents& events, std::shared_ptr<PictureRoutes> routes)
      : events_(events), routes_(std::move(routes)) {}

  ~SdlPictureWindow() override {
    if (window_ == nullptr) return;
    routes_->erase(SDL_GetWindowID(window_));
    SDL_DestroyWindow(window_);
  }

  bool open(const PictureWindowSettings& settings, std::string& error) {
    draw_windows_in_memory();
    Uint32 flags = 0;
    if (!settings.border) flags |= SDL_WINDOW_BORDERLESS;
    if (settings.border && settings.resizable) flags |= SDL_WINDOW_RESIZABLE;
    // A translucent window is hidden until it is, so that it never shows opaque.
    if (settings.opacity < 255) flags |= SDL_WINDOW_HIDDEN;
    if (settings.transparent_colour) open_shaped(settings, flags, *settings.transparent_colour);
    if (window_ == nullptr) {
      window_ = create_side_window(settings.caption, settings.x, settings.y, settings.width,
                                   settings.height, settings.stay_on_top, flags, error);
    }
    if (window_ == nullptr) return false;
    if (settings.opacity < 255) {
      make_translucent(settings.opacity);
      SDL_ShowWindow(window_);
    }
    (*routes_)[SDL_GetWindowID(window_)] = [this](const SDL_Event& event) { handle(event); };
    return true;
  }

  void show_picture(const std::uint32_t* argb, int width, int height) override {
    SDL_Surface* target = SDL_GetWindowSurface(window_);
    SDL_Surface* picture = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<std::uint32_t*>(argb), width, height, 32, width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (target != nullptr && picture != nullptr) {
      if (shape_) SDL_SetWindowShape(window_, picture, &*shape_);
      SDL_BlitSurface(picture, nullptr, target, nullptr);
      SDL_UpdateWindowSurface(window_);
    }
    SDL_FreeSurface(picture);
  }

  int client_width() const override {
    int width = 0;
    SDL_GetWindowSize(window_, &width, nullptr);
    return width;
  }

  int client_height() const override {
    int height = 0;
    SDL_GetWindowSize(window_, nullptr, &height);
    return height;
  }

  void raise() override {
    SDL_ShowWindow(window_);
    SDL_RaiseWindow(window_);
  }

  void hide() override { SDL_HideWindow(window_); }

 private:
  // A window cut to the pixels of its pictures that are not the transparent
  // colour; it waits out of sight until its first picture gives it its shape.
  // Window systems that cannot cut windows draw every pixel; that is said once
  // a run.
  void open_shaped(const PictureWindowSettings& settings, Uint32 flags, std::uint32_t colour) {
    if (settings.stay_on_top) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
    window_ = SDL_CreateShapedWindow(settings.caption.c_str(), std::max(settings.x, 0),
                                     std::max(settings.y, 0), std::max(settings.width, 1),
                                     std::max(settings.height, 1), flags);
    if (window_ == nullptr) {
      static bool told = false;
      if (!std::exchange(told, true)) {
        std::cerr << "The window system cannot leave out a window's transparent colour: the "
                     "window shows whole.\n";
      }
      return;
    }
    SDL_WindowShapeMode shape;
    shape.mode = ShapeModeColorKey;
    shape.parameters.colorKey = {static_cast<Uint8>(colour >> 16 & 0xFF),
                                 static_cast<Uint8>(colour >> 8 & 0xFF),
                                 static_cast<Uint8>(colour & 0xFF), 0xFF};
    shape_ = shape;
  }

  // Window systems that cannot blend windows show them opaque; that is said
  // once a run.
  void make_translucent(int opacity) {
    static bool told = false;
    if (SDL_SetWindowOpacity(window_, static_cast<float>(std::max(opacity, 0)) / 255.0F) == 0 ||
        std::exchange(told, true)) {
      return;
    }
    std::cerr << "The window system cannot make windows translucent (" << SDL_GetError()
              << "): they show opaque.\n";
  }

  void handle(const SDL_Event& event) {
    switch (event.type) {
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        if (const int key = virtual_key(event.key.keysym.sym); key != 0) {
          if (event.type == SDL_KEYDOWN)
            events_.key_down(key);
          else
            events_.key_up(key);
        }
        break;
      case SDL_TEXTINPUT:
        for (unsigned char c : latin1_from_utf8(event.text.text)) events_.character(c);
        break;
      case SDL_MOUSEMOTION:
        events_.mouse_moved(event.motion.x, event.motion.y);
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
        if (MouseButton button; game_mouse_button(event.button.button, button)) {
          events_.mouse_moved(event.button.x, event.button.y);
          if (event.type == SDL_MOUSEBUTTONDOWN)
            events_.mouse_down(button);
          else
            events_.mouse_up(button);
        }
        break;
      case SDL_MOUSEWHEEL:
        if (event.wheel.y != 0) events_.wheel(event.wheel.y > 0 ? 1 : -1);
        break;
      case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
          events_.close_requested();
        } else if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
          events_.resized(event.window.data1, event.window.data2);
        } else if (event.window.event == SDL_WINDOWEVENT_EXPOSED) {
          // The surface keeps the last picture; the screen only needs it again.
          SDL_UpdateWindowSurface(window_);
        }
        break;
      default:
        break;
    }
  }

  WindowEvents& events_;
  std::shared_ptr<PictureRoutes> routes_;
  SDL_Window* window_ = nullptr;
  std::optional<SDL_WindowShapeMode> shape_;
};

}  // namespace

Uint32 event_window(const SDL_Event& event) {
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      return event.key.windowID;
    case SDL_TEXTEDITING:
      return event.edit.windowID;
    case SDL_TEXTINPUT:
      return event.text.windowID;
    case SDL_MOUSEMOTION:
      return event.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      return event.button.windowID;
    case SDL_MOUSEWHEEL:
      return event.wheel.windowID;
    case SDL_WINDOWEVENT:
      return event.window.windowID;
    case SDL_DROPFILE:
    case SDL_DROPTEXT:
    case SDL_DROPBEGIN:
    case SDL_DROPCOMPLETE:
      return event.drop.windowID;
    default:
      return 0;
  }
}

SDL_Window* create_side_window(const std::string& caption, int x, int y, int width, int height,
                               bool stay_on_top, Uint32 flags, std::string& error) {
  if (stay_on_top) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
  if ((flags & SDL_WINDOW_HIDDEN) == 0) flags |= SDL_WINDOW_SHOWN;
  SDL_Window* window =
      SDL_CreateWindow(caption.c_str(), x, y, std::max(width, 1), std::max(height, 1), flags);
  if (window == nullptr) error = SDL_GetError();
  return window;
}

void draw_windows_in_memory() {
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
}

std::unique_ptr<PictureWindow> open_sdl_picture_window(const PictureWindowSettings& settings,
                                                       WindowEvents& events,
                                                       const std::shared_ptr<PictureRoutes>& routes,
                                                       std::string& error) {
  auto window = std::make_unique<SdlPictureWindow>(events, routes);
  if (!window->open(settings, error)) return nullptr;
  return window;
}

}  // namespace kestrel::platform::sdl
