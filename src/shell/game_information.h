#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "data/Runner_Load.h"
#include "platform/input.h"
#include "platform/picture_window.h"
#include "platform/window.h"
#include "shell/text_layout.h"

namespace kestrel {

class Graphics;
class GameWindow;

// Where the separate window goes: the size limited to the screen, a negative
// left or top centred on it, and the whole window on the screen.
platform::ScreenRectangle information_window_place(const GameInformation& record,
                                                   const platform::DisplayMode& screen);

// Shows the game window's picture, the parts outside the region in
// `background` (0xRRGGBB).
void present_game_window(Graphics& graphics, GameWindow& layout, std::uint32_t background);
// Puts the canvas's pixels at the region's top left, replacing the game's.
void draw_canvas_in_game_window(Graphics& graphics, const PixelCanvas& canvas);

// The game information text laid out for a page of some size, scrolled by the
// player, painted in memory.
class InformationPage {
 public:
  void set_text(std::string_view rich_text);
  void resize(int width, int height);
  // Arrow, page, home and end keys; false for other keys and when the view
  // cannot move that way.
  bool scroll_key(int key);
  // +1 away from the player (up the text), -1 towards.
  bool scroll_wheel(int direction);
  // `background` is 0xRRGGBB.
  const PixelCanvas& paint(std::uint32_t background);

  int scroll() const { return scroll_; }
  // The text with its margins, in pixels.
  int content_height();

 private:
  const TextLayout& layout();
  bool scroll_to(int offset);

  RichText text_;
  FontSet fonts_;
  std::optional<TextLayout> layout_;
  int width_ = 1;
  int height_ = 1;
  int scroll_ = 0;
  PixelCanvas canvas_;
};

// What the information needs of the running game while it is shown.
struct InformationHost {
  // Null: there is nothing to show it on.
  platform::Window* window = nullptr;
  Graphics& graphics;
  GameWindow& layout;
  // Takes the game window's focus changes while the game waits.
  platform::WindowEvents& game_input;
  // Without a player nobody could dismiss it, so nothing waits.
  bool player_present = false;
};

// The game information as the record describes it, with the text game code
// may have replaced. The separate window stays open while the game goes on
// when the record does not stop the game.
class GameInformationWindow {
 public:
  explicit GameInformationWindow(const GameInformation& record);
  ~GameInformationWindow();
  GameInformationWindow(const GameInformationWindow&) = delete;
  GameInformationWindow& operator=(const GameInformationWindow&) = delete;

  const std::string& text() const { return text_; }
  void set_text(std::string rich_text);
  // False, with the reason in `error`, when the file cannot be read.
  bool load(const std::filesystem::path& file, std::string& error);

  // Shows the text as the record says, and waits while it is shown in the
  // game window or stops the game. False, with the reason in `error`, when
  // the window cannot be made.
  bool show(InformationHost& host, std::string& error);
  // The separate window is on the screen.
  bool window_open() const { return window_open_; }

 private:
  class PageEvents;
  class WaitEvents;

  void show_in_game_window(InformationHost& host);
  bool open_window(InformationHost& host, std::string& error);
  void draw_page();
  void close_window();

  const GameInformation& record_;
  std::string text_;
  InformationPage page_;
  std::unique_ptr<PageEvents> page_events_;
  std::unique_ptr<platform::PictureWindow> window_;
  bool window_open_ = false;
};

}  // namespace kestrel
