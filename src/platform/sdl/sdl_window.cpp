#include <SDL.h>

#include "platform/sdl/gl_device.h"
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
    if (!load_video_and_gl_driver(error)) return false;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
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

  bool pump_events() override {
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
      if (event.type == SDL_QUIT) close_requested_ = true;
    }
    return !close_requested_;
  }

  RenderDevice& device() override { return *device_; }

  int client_width() const override {
    int width = 0;
    SDL_GL_GetDrawableSize(window_, &width, nullptr);
    return width;
  }

  int client_height() const override {
    int height = 0;
    SDL_GL_GetDrawableSize(window_, nullptr, &height);
    return height;
  }

  void set_caption(const std::string& caption) override {
    SDL_SetWindowTitle(window_, caption.c_str());
  }

 private:
  SDL_Window* window_ = nullptr;
  SDL_GLContext context_ = nullptr;
  std::unique_ptr<sdl::GlDevice> device_;
  bool close_requested_ = false;
};

}  // namespace

std::unique_ptr<Window> open_sdl_window(const WindowSettings& settings, std::string& error) {
  auto window = std::make_unique<SdlWindow>();
  if (!window->open(settings, error)) return nullptr;
  return window;
}

}  // namespace kestrel::platform
