#include <SDL.h>

#include "platform/sdl/gl_device.h"
#include "platform/window.h"

namespace kestrel::platform {
namespace {

class SdlWindow final : public Window {
 public:
  ~SdlWindow() override {
    // The device's GL objects go while the context is still there.
    device_.reset();
    if (context_ != nullptr) SDL_GL_DeleteContext(context_);
    if (window_ != nullptr) SDL_DestroyWindow(window_);
    if (video_started_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }

  bool open(const WindowSettings& settings, std::string& error) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
      error = std::string("Failed to start the video system: ") + SDL_GetError();
      return false;
    }
    video_started_ = true;
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
  bool video_started_ = false;
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
