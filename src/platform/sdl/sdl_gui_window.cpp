#include "platform/sdl/sdl_gui_window.h"

#include <epoxy/gl.h>
#include <imgui.h>

#include <cstdint>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

#include "backends/imgui_impl_opengl3.h"
#include "backends/imgui_impl_sdl.h"

namespace kestrel::platform::sdl {
namespace {

class SdlGuiWindow final : public GuiWindow {
 public:
  SdlGuiWindow(SDL_Window* game, SDL_GLContext game_context, std::shared_ptr<PictureRoutes> routes)
      : game_(game), game_context_(game_context), routes_(std::move(routes)) {}

  ~SdlGuiWindow() override {
    if (imgui_ != nullptr) {
      SDL_GL_MakeCurrent(window_, context_);
      glDeleteTextures(static_cast<GLsizei>(images_.size()), images_.data());
      ImGui::SetCurrentContext(imgui_);
      if (renderer_started_) ImGui_ImplOpenGL3_Shutdown();
      if (platform_started_) ImGui_ImplSDL2_Shutdown();
      ImGui::DestroyContext(imgui_);
    }
    if (window_ != nullptr) routes_->erase(SDL_GetWindowID(window_));
    if (context_ != nullptr) SDL_GL_DeleteContext(context_);
    if (window_ != nullptr) SDL_DestroyWindow(window_);
    give_back_context();
  }

  bool open(const GuiWindowSettings& settings, std::string& error) {
    window_ = create_side_window(
        settings.caption, settings.x, settings.y, settings.width, settings.height,
        settings.stay_on_top, SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI,
        error);
    if (window_ == nullptr) return false;
    // Making the context makes it current; the game's comes back below.
    context_ = SDL_GL_CreateContext(window_);
    if (context_ == nullptr) {
      error = SDL_GetError();
      give_back_context();
      return false;
    }
    // The window is drawn between the game's steps and must never wait for the screen.
    SDL_GL_SetSwapInterval(0);
    ImGuiContext* previous = ImGui::GetCurrentContext();
    imgui_ = ImGui::CreateContext();
    ImGui::SetCurrentContext(imgui_);
    ImGui::GetIO().IniFilename = nullptr;
    ImGui::StyleColorsLight();
    platform_started_ = ImGui_ImplSDL2_InitForOpenGL(window_, context_);
    renderer_started_ = platform_started_ && ImGui_ImplOpenGL3_Init("#version 330 core");
    ImGui::SetCurrentContext(previous);
    give_back_context();
    if (!renderer_started_) {
      error = "Dear ImGui cannot draw with this OpenGL driver";
      return false;
    }
    (*routes_)[SDL_GetWindowID(window_)] = [this](const SDL_Event& event) { handle(event); };
    return true;
  }

  void begin_frame() override {
    SDL_GL_MakeCurrent(window_, context_);
    ImGui::SetCurrentContext(imgui_);
    ImGui_ImplOpenGL3_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    ImGui::NewFrame();
  }

  void end_frame() override {
    ImGui::Render();
    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(window_, &width, &height);
    glViewport(0, 0, width, height);
    glClearColor(0.94F, 0.94F, 0.94F, 1.0F);
    glClear(GL_COLOR_BUFFER_BIT);
    ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
    SDL_GL_SwapWindow(window_);
    give_back_context();
    pressed_in_frame_.clear();
    for (const SDL_Event& event : std::exchange(held_releases_, {})) handle(event);
  }

  void* add_image(const std::uint32_t* argb, int width, int height) override {
    SDL_GL_MakeCurrent(window_, context_);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    // GL_BGRA reads the little-endian ARGB word in the order red, green, blue, alpha.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, argb);
    images_.push_back(texture);
    give_back_context();
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(texture));
  }

  bool take_close_request() override { return std::exchange(close_requested_, false); }

 private:
  void handle(const SDL_Event& event) {
    if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE) {
      close_requested_ = true;
    }
    // ImGui of this version sees a key only as held or not when the frame
    // starts, so a key pressed and let go between two frames would be lost:
    // its release waits for the frame after.
    if (event.type == SDL_KEYDOWN) pressed_in_frame_.insert(event.key.keysym.scancode);
    if (event.type == SDL_KEYUP && pressed_in_frame_.contains(event.key.keysym.scancode)) {
      held_releases_.push_back(event);
      return;
    }
    ImGuiContext* previous = ImGui::GetCurrentContext();
    ImGui::SetCurrentContext(imgui_);
    ImGui_ImplSDL2_ProcessEvent(&event);
    ImGui::SetCurrentContext(previous);
  }

  void give_back_context() { SDL_GL_MakeCurrent(game_, game_context_); }

  SDL_Window* game_;
  SDL_GLContext game_context_;
  std::shared_ptr<PictureRoutes> routes_;
  SDL_Window* window_ = nullptr;
  SDL_GLContext context_ = nullptr;
  ImGuiContext* imgui_ = nullptr;
  bool platform_started_ = false;
  bool renderer_started_ = false;
  bool close_requested_ = false;
  std::set<SDL_Scancode> pressed_in_frame_;
  std::vector<SDL_Event> held_releases_;
  std::vector<GLuint> images_;
};

}  // namespace

std::unique_ptr<GuiWindow> open_sdl_gui_window(const GuiWindowSettings& settings, SDL_Window* game,
                                               SDL_GLContext game_context,
                                               const std::shared_ptr<PictureRoutes>& routes,
                                               std::string& error) {
  const std::string_view driver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
  if (driver == "offscreen" || driver == "dummy") return nullptr;
  auto window = std::make_unique<SdlGuiWindow>(game, game_context, routes);
  if (!window->open(settings, error)) return nullptr;
  return window;
}

}  // namespace kestrel::platform::sdl
