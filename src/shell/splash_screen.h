#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/video_file.h"
#include "shell/game_information.h"
#include "shell/message_dialog.h"

namespace kestrel {

// How splash screens show, one set for the run.
struct SplashSettings {
  // Inside the game window rather than a window of its own.
  bool main = true;
  // Size factor of pictures; 0 or less fits them to the area.
  double scale = -1;
  int colour = 0;
  bool full_screen = false;
  bool border = true;
  std::string caption;
  bool top = true;
  bool interrupt = true;
  bool cursor = true;
  // A negative coordinate keeps the window's own.
  int x = -1;
  int y = -1;
  int width = 640;
  int height = 480;
  // The own window takes the picture's size.
  bool adapt = true;
  bool stop_key = true;
  bool stop_mouse = true;
  bool close_button = true;
};

// Where the splash's own window was last placed; a negative position setting
// keeps that coordinate, and the first window is centred on the screen.
struct SplashWindowPlace {
  std::optional<int> x;
  std::optional<int> y;
};

// The own window's client area on a screen of that size: the whole screen
// when full screen, else the position setting, each negative coordinate kept
// from `kept`, with the given size. `kept` then holds the new place.
DialogRectangle place_splash_window(const SplashSettings& settings, SplashWindowPlace& kept,
                                    int width, int height, int screen_width, int screen_height);

// Where a picture goes in an area: scaled by the factor, or fitted keeping
// its aspect ratio, and centred.
DialogRectangle splash_picture_place(int area_width, int area_height, int picture_width,
                                     int picture_height, double scale);

// A splash screen's content in an area: a picture or a text, the close
// button, and what closes it.
class SplashView final : public DrawnDialog {
 public:
  SplashView(const SplashSettings& settings, int width, int height);

  void show_picture(PixelCanvas picture, const DialogRectangle& place);
  void show_text(std::string_view rich_text);
  // Plays the video's pictures in the place from now on, each when its time
  // comes; it closes at the end unless it loops, and then `restarted` is told
  // each time it starts again.
  void show_video(std::unique_ptr<platform::VideoReader> video, const DialogRectangle& place,
                  bool loop, std::function<void()> restarted);
  // Why the video stopped early; empty when it did not.
  std::string video_error() const { return video_ ? video_->error() : std::string(); }
  // Closes itself after that long.
  void close_after(std::int64_t milliseconds);

  void key_down(int key) override;
  void mouse_moved(int x, int y) override;
  void mouse_down() override;
  void wheel(int direction);
  void close_requested() override { closed_ = true; }
  bool closed() const override;
  bool changed_by_itself() const override;
  const PixelCanvas& paint() override;

 private:
  DialogRectangle close_box() const;
  double video_seconds() const;
  // Takes the pictures whose time has come; at the end closes or starts again.
  void advance_video();

  const SplashSettings& settings_;
  int width_;
  int height_;
  PixelCanvas picture_;
  DialogRectangle place_;
  std::optional<InformationPage> text_;
  std::optional<std::int64_t> deadline_;
  std::unique_ptr<platform::VideoReader> video_;
  bool loop_ = false;
  std::function<void()> restarted_;
  std::int64_t video_start_ = 0;
  // The next picture, read ahead until its time comes.
  std::optional<double> next_seconds_;
  std::vector<std::uint32_t> next_picture_;
  bool showed_picture_ = false;
  bool video_ended_ = false;
  int mouse_x_ = -1;
  int mouse_y_ = -1;
  bool closed_ = false;
  PixelCanvas canvas_;
};

}  // namespace kestrel
