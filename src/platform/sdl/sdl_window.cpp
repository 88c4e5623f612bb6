#include <SDL.h>
#include <SDL_syswm.h>

#include <algorithm>
#include <optional>

#include "platform/sdl/gl_device.h"
#include "platform/sdl/sdl_cursor.h"
#include "platform/sdl/sdl_gui_window.h"
#include "platform/sdl/sdl_input.h"
#include "platform/sdl/sdl_keys.h"
#include "platform/sdl/sdl_picture_window.h"
#include "platform/window.h"

namespace kestrel::platform {
namespace {

// The video system and the GL driver are loaded once and kept until the process
// ends: windows are made again on display changes and tests open many, and a
// driver reload each time costs far more than keeping it. Unloading Mesa at exit
// would also turn its own bookkeeping into leak reports from an unknown module.
bool load_video_and_gl_driver(std::string& error) {
  static const std::string failure = [] {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
      return std::string("Failed to start the video system: ") + SDL_GetError();
    }
    if (SDL_GL_LoadLibrary(nullptr) != 0) {
      return std::string("Failed to load the OpenGL driver: ") + SDL_GetError();
    }
    return std::string();
  }();
  error = failure;
  return failure.empty();
}

class SdlWindow final : public Window {
 public:
  ~SdlWindow() override {
    // The device's GL objects go while the context is still there.
    device_.reset();
    if (context_ != nullptr) SDL_GL_DeleteContext(context_);
    if (window_ != nullptr) SDL_DestroyWindow(window_);
  }

  bool open(const WindowSettings& settings, std::string& error) {
    if (settings.off_screen_without_display && SDL_getenv("SDL_VIDEODRIVER") == nullptr &&
        SDL_getenv("DISPLAY") == nullptr && SDL_getenv("WAYLAND_DISPLAY") == nullptr) {
      SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    }
    if (!load_video_and_gl_driver(error)) return false;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    // The close button arrives as a window event; a quit of its own would count it twice.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_ALLOW_HIGHDPI;
    if (settings.resizable) flags |= SDL_WINDOW_RESIZABLE;
    window_ = SDL_CreateWindow(settings.caption.c_str(), SDL_WINDOWPOS_CENTERED,
                               SDL_WINDOWPOS_CENTERED, settings.width, settings.height, flags);
    if (window_ == nullptr) {
      error = std::string("Failed to create the game window: ") + SDL_GetError();
      return false;
    }
    context_ = SDL_GL_CreateContext(window_);
    if (context_ == nullptr) {
      error = std::string("Failed to create an OpenGL 3.3 context: ") + SDL_GetError();
      return false;
    }
    device_ = std::make_unique<sdl::GlDevice>(window_);
    return device_->initialize(settings.width, settings.height, error);
  }

  void pump_events(WindowEvents& events) override {
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
      const auto picture = pictures_->find(sdl::event_window(event));
      if (picture == pictures_->end()) {
        dispatch(event, events);
      } else {
        // A copy: the picture window may let go of its route while handling the event.
        const auto route = picture->second;
        route(event);
      }
    }
  }

  std::unique_ptr<PictureWindow> open_picture_window(const PictureWindowSettings& settings,
                                                     WindowEvents& events,
                                                     std::string& error) override {
    return sdl::open_sdl_picture_window(settings, events, pictures_, error);
  }

  std::unique_ptr<GuiWindow> open_gui_window(const GuiWindowSettings& settings,
                                             std::string& error) override {
    return sdl::open_sdl_gui_window(settings, window_, context_, pictures_, error);
  }

  RenderDevice& device() override { return *device_; }

  ScreenRectangle client_rectangle() const override {
    ScreenRectangle rectangle;
    SDL_GetWindowPosition(window_, &rectangle.x, &rectangle.y);
    SDL_GetWindowSize(window_, &rectangle.width, &rectangle.height);
    return rectangle;
  }

  void set_client_rectangle(const ScreenRectangle& rectangle) override {
    SDL_SetWindowSize(window_, std::max(rectangle.width, 1), std::max(rectangle.height, 1));
    SDL_SetWindowPosition(window_, rectangle.x, rectangle.y);
  }

  // A chosen display mode takes the screen over; otherwise the window covers
  // the desktop as it is.
  void set_fullscreen(bool fullscreen) override {
    fullscreen_ = fullscreen;
    const Uint32 kind = chosen_mode_ ? SDL_WINDOW_FULLSCREEN : SDL_WINDOW_FULLSCREEN_DESKTOP;
    SDL_SetWindowFullscreen(window_, fullscreen ? kind : 0);
  }

  void set_frame(bool border, bool resizable) override {
    SDL_SetWindowBordered(window_, border ? SDL_TRUE : SDL_FALSE);
    SDL_SetWindowResizable(window_, resizable ? SDL_TRUE : SDL_FALSE);
  }

  void set_always_on_top(bool on_top) override {
    SDL_SetWindowAlwaysOnTop(window_, on_top ? SDL_TRUE : SDL_FALSE);
  }

  bool always_on_top() const override {
    return (SDL_GetWindowFlags(window_) & SDL_WINDOW_ALWAYS_ON_TOP) != 0;
  }

  void set_visible(bool visible) override {
    if (visible)
      SDL_ShowWindow(window_);
    else
      SDL_HideWindow(window_);
  }

  bool visible() const override { return (SDL_GetWindowFlags(window_) & SDL_WINDOW_SHOWN) != 0; }

  void set_caption(const std::string& caption) override {
    SDL_SetWindowTitle(window_, caption.c_str());
  }

  std::uint64_t native_handle() const override {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window_, &info) != SDL_TRUE) return 0;
    switch (info.subsystem) {
      case SDL_SYSWM_X11:
        return info.info.x11.window;
      case SDL_SYSWM_WAYLAND:
        return reinterpret_cast<std::uintptr_t>(info.info.wl.surface);
      default:
        return reinterpret_cast<std::uintptr_t>(window_);
    }
  }

  DisplayMode display_mode() const override {
    SDL_DisplayMode mode{};
    if (chosen_mode_) {
      mode = *chosen_mode_;
    } else if (SDL_GetDesktopDisplayMode(display_index(), &mode) != 0) {
      return {};
    }
    return {mode.w, mode.h, static_cast<int>(SDL_BITSPERPIXEL(mode.format)), mode.refresh_rate};
  }

  bool change_display_mode(const DisplayMode& request, bool test_only) override {
    const DisplayMode current = display_mode();
    const auto wanted = [](int asked, int now) { return asked >= 1 ? asked : now; };
    const DisplayMode target{wanted(request.width, current.width),
                             wanted(request.height, current.height),
                             wanted(request.bits_per_pixel, current.bits_per_pixel),
                             wanted(request.refresh_rate, current.refresh_rate)};
    const int display = display_index();
    for (int i = 0, count = SDL_GetNumDisplayModes(display); i < count; ++i) {
      SDL_DisplayMode mode{};
      if (SDL_GetDisplayMode(display, i, &mode) != 0) continue;
      if (mode.w != target.width || mode.h != target.height ||
          static_cast<int>(SDL_BITSPERPIXEL(mode.format)) != target.bits_per_pixel ||
          (target.refresh_rate >= 1 && mode.refresh_rate != target.refresh_rate)) {
        continue;
      }
      if (test_only) return true;
      if (SDL_SetWindowDisplayMode(window_, &mode) != 0) return false;
      chosen_mode_ = mode;
      set_fullscreen(fullscreen_);
      return true;
    }
    return false;
  }

  void reset_display_mode() override {
    if (!chosen_mode_) return;
    chosen_mode_.reset();
    SDL_SetWindowDisplayMode(window_, nullptr);
    set_fullscreen(fullscreen_);
  }

  void set_cursor(int cursor) override { cursors_.show(cursor); }

  void mouse_screen_position(int& x, int& y) const override {
    if (placed_mouse_) {
      x = placed_mouse_->x;
      y = placed_mouse_->y;
      return;
    }
    SDL_GetGlobalMouseState(&x, &y);
  }

  // Without a display (the offscreen driver) the pointer cannot be moved; the
  // place asked for stands in for it until the real pointer moves.
  void move_mouse_to_screen(int x, int y) override {
    if (SDL_WarpMouseGlobal(x, y) == 0)
      placed_mouse_.reset();
    else
      placed_mouse_ = SDL_Point{x, y};
  }

  bool key_held_now(int key) const override {
    int count = 0;
    const Uint8* held = SDL_GetKeyboardState(&count);
    for (int scancode = 0; scancode < count; ++scancode) {
      if (held[scancode] != 0 &&
          sdl::virtual_key(SDL_GetKeyFromScancode(static_cast<SDL_Scancode>(scancode))) == key) {
        return true;
      }
    }
    return false;
  }

  bool numlock() const override { return (SDL_GetModState() & KMOD_NUM) != 0; }

  void inject_key(int key, bool down) override {
    // SDL keeps the lock state itself and does not learn it from pushed events.
    if (key == vk::kNumLock && down) {
      SDL_SetModState(static_cast<SDL_Keymod>(SDL_GetModState() ^ KMOD_NUM));
    }
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.windowID = SDL_GetWindowID(window_);
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = sdl::sdl_key(key);
    event.key.keysym.scancode = SDL_GetScancodeFromKey(event.key.keysym.sym);
    SDL_PushEvent(&event);
  }

  JoystickState joystick(int index) override { return joysticks_.state(index); }

 private:
  int display_index() const { return std::max(SDL_GetWindowDisplayIndex(window_), 0); }

  void dispatch(const SDL_Event& event, WindowEvents& events) {
    switch (event.type) {
      case SDL_KEYDOWN: {
        const int key = sdl::virtual_key(event.key.keysym.sym);
        if (key != 0) events.key_down(key);
        // Keys that type a control character report it as typed text does not.
        if (key == 8 || key == 9 || key == 13 || key == 27) {
          events.character(static_cast<unsigned char>(key));
        }
        break;
      }
      case SDL_KEYUP: {
        const int key = sdl::virtual_key(event.key.keysym.sym);
        if (key != 0) events.key_up(key);
        break;
      }
      case SDL_TEXTINPUT:
        for (unsigned char c : sdl::latin1_from_utf8(event.text.text)) events.character(c);
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        MouseButton button;
        if (!sdl::game_mouse_button(event.button.button, button)) break;
        if (event.type == SDL_MOUSEBUTTONDOWN)
          events.mouse_down(button);
        else
          events.mouse_up(button);
        break;
      }
      case SDL_MOUSEMOTION:
        placed_mouse_.reset();
        break;
      case SDL_MOUSEWHEEL:
        if (event.wheel.y != 0) events.wheel(event.wheel.y > 0 ? 1 : -1);
        break;
      case SDL_QUIT:
        events.close_requested();
        break;
      case SDL_WINDOWEVENT:
        switch (event.window.event) {
          case SDL_WINDOWEVENT_FOCUS_GAINED:
            events.focus_changed(true);
            break;
          case SDL_WINDOWEVENT_FOCUS_LOST:
            events.focus_changed(false);
            break;
          case SDL_WINDOWEVENT_SIZE_CHANGED:
            events.resized(event.window.data1, event.window.data2);
            break;
          // With a picture window open SDL sends no quit for the game window's
          // close button, only this.
          case SDL_WINDOWEVENT_CLOSE:
            if (event.window.windowID == SDL_GetWindowID(window_)) events.close_requested();
            break;
          default:
            break;
        }
        break;
      default:
        break;
    }
  }

  SDL_Window* window_ = nullptr;
  SDL_GLContext context_ = nullptr;
  std::unique_ptr<sdl::GlDevice> device_;
  sdl::Joysticks joysticks_;
  sdl::SystemCursors cursors_;
  bool fullscreen_ = false;
  std::optional<SDL_DisplayMode> chosen_mode_;
  std::optional<SDL_Point> placed_mouse_;
  std::shared_ptr<sdl::PictureRoutes> pictures_ = std::make_shared<sdl::PictureRoutes>();
};

}  // namespace

std::unique_ptr<Window> open_sdl_window(const WindowSettings& settings, std::string& error) {
  auto window = std::make_unique<SdlWindow>();
  if (!window->open(settings, error)) return nullptr;
  return window;
}

}  // namespace kestrel::platform
