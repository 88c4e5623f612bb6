#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/window.h"

namespace kestrel::platform {
namespace {

struct EventLog : WindowEvents {
  void key_down(int key) override { log += "+" + std::to_string(key); }
  void mouse_down(MouseButton button) override {
    log += "m" + std::to_string(static_cast<int>(button));
  }
  void wheel(int direction) override { log += "w" + std::to_string(direction); }
  void close_requested() override { log += "x"; }
  std::string log;
};

Uint32 window_titled(const std::string& title) {
  for (Uint32 id = 1; id < 1000; ++id) {
    SDL_Window* window = SDL_GetWindowFromID(id);
    if (window != nullptr && SDL_GetWindowTitle(window) == title) return id;
  }
  return 0;
}

void push_key(Uint32 window, SDL_Keycode key) {
  SDL_Event event{};
  event.type = SDL_KEYDOWN;
  event.key.windowID = window;
  event.key.keysym.sym = key;
  SDL_PushEvent(&event);
}

void push_close(Uint32 window) {
  SDL_Event event{};
  event.type = SDL_WINDOWEVENT;
  event.window.event = SDL_WINDOWEVENT_CLOSE;
  event.window.windowID = window;
  SDL_PushEvent(&event);
}

TEST(SdlPictureWindow, EachWindowGetsItsOwnEventsFromTheOneQueue) {
  std::string error;
  std::unique_ptr<Window> game = open_sdl_window({"routing game", 64, 48}, error);
  ASSERT_NE(game, nullptr) << error;
  EventLog game_events;
  EventLog picture_events;
  PictureWindowSettings settings;
  settings.caption = "routing picture";
  settings.width = 40;
  settings.height = 30;
  std::unique_ptr<PictureWindow> picture =
      game->open_picture_window(settings, picture_events, error);
  ASSERT_NE(picture, nullptr) << error;
  EXPECT_EQ(picture->client_width(), 40);
  const std::vector<std::uint32_t> pixels(40 * 30, 0xFF336699);
  picture->show_picture(pixels.data(), 40, 30);

  const Uint32 game_id = window_titled("routing game");
  const Uint32 picture_id = window_titled("routing picture");
  ASSERT_NE(game_id, 0u);
  ASSERT_NE(picture_id, 0u);
  game->pump_events(game_events);
  game_events.log.clear();
  picture_events.log.clear();

  push_key(picture_id, SDLK_ESCAPE);
  push_key(game_id, SDLK_a);
  SDL_Event wheel{};
  wheel.type = SDL_MOUSEWHEEL;
  wheel.wheel.windowID = picture_id;
  wheel.wheel.y = 1;
  SDL_PushEvent(&wheel);
  SDL_Event click{};
  click.type = SDL_MOUSEBUTTONDOWN;
  click.button.windowID = picture_id;
  click.button.button = SDL_BUTTON_RIGHT;
  SDL_PushEvent(&click);
  push_close(picture_id);
  push_close(game_id);
  game->pump_events(game_events);
  EXPECT_EQ(picture_events.log, "+27w1m2x");
  // The game window's close button counts once.
  EXPECT_EQ(game_events.log, "+65x");

  // Once the picture window is gone its late events go nowhere.
  picture.reset();
  push_key(picture_id, SDLK_b);
  game->pump_events(game_events);
  EXPECT_EQ(picture_events.log, "+27w1m2x");
}

TEST(SdlPictureWindow, MayOutliveTheGameWindow) {
  std::string error;
  std::unique_ptr<Window> game = open_sdl_window({"short game", 64, 48}, error);
  ASSERT_NE(game, nullptr) << error;
  EventLog events;
  std::unique_ptr<PictureWindow> picture = game->open_picture_window({}, events, error);
  ASSERT_NE(picture, nullptr) << error;
  game.reset();
  picture->hide();
}

}  // namespace
}  // namespace kestrel::platform
