#include "shell/splash_screen.h"

#include <algorithm>
#include <cmath>

#include "platform/clock.h"

namespace kestrel {
namespace {

constexpr int kCloseBoxSize = 18;

std::int64_t now_microseconds() {
  static const platform::Clock clock;
  return clock.microseconds();
}

}  // namespace

DialogRectangle place_splash_window(const SplashSettings& settings, SplashWindowPlace& kept,
                                    int width, int height, int screen_width, int screen_height) {
  if (settings.full_screen) {
    kept = {0, 0};
    return {0, 0, screen_width, screen_height};
  }
  kept.x = settings.x >= 0 ? settings.x : kept.x.value_or((screen_width - width) / 2);
  kept.y = settings.y >= 0 ? settings.y : kept.y.value_or((screen_height - height) / 2);
  return {*kept.x, *kept.y, width, height};
}

DialogRectangle splash_picture_place(int area_width, int area_height, int picture_width,
                                     int picture_height, double scale) {
  if (picture_width < 1 || picture_height < 1) return {};
  const double factor = scale > 0 ? scale
                                  : std::min(static_cast<double>(area_width) / picture_width,
                                             static_cast<double>(area_height) / picture_height);
  const int width = static_cast<int>(std::lround(picture_width * factor));
  const int height = static_cast<int>(std::lround(picture_height * factor));
  return {(area_width - width) / 2, (area_height - height) / 2, width, height};
}

SplashView::SplashView(const SplashSettings& settings, int width, int height)
    : settings_(settings), width_(std::max(width, 1)), height_(std::max(height, 1)) {}

void SplashView::show_picture(PixelCanvas picture, const DialogRectangle& place) {
  picture_ = std::move(picture);
  place_ = place;
}

void SplashView::show_text(std::string_view rich_text) {
  text_.emplace();
  text_->set_text(rich_text);
  text_->resize(width_, height_);
}

void SplashView::show_video(std::unique_ptr<platform::VideoReader> video,
                            const DialogRectangle& place, bool loop,
                            std::function<void()> restarted) {
  video_ = std::move(video);
  place_ = place;
  picture_.width = std::max(place.width, 1);
  picture_.height = std::max(place.height, 1);
  picture_.argb.assign(static_cast<std::size_t>(picture_.width) * picture_.height, 0);
  video_->scale_to(picture_.width, picture_.height);
  loop_ = loop;
  restarted_ = std::move(restarted);
  video_start_ = now_microseconds();
}

double SplashView::video_seconds() const {
  return static_cast<double>(now_microseconds() - video_start_) / 1e6;
}

void SplashView::advance_video() {
  while (!video_ended_) {
    if (!next_seconds_) {
      double seconds = 0;
      if (!video_->next_picture(next_picture_, seconds)) {
        // A loop starts again only after it has shown something, so that a
        // video without pictures cannot spin.
        if (loop_ && showed_picture_ && video_->rewind()) {
          showed_picture_ = false;
          video_start_ = now_microseconds();
          if (restarted_) restarted_();
          continue;
        }
        video_ended_ = true;
        return;
      }
      next_seconds_ = seconds;
    }
    if (*next_seconds_ > video_seconds()) return;
    std::swap(picture_.argb, next_picture_);
    next_seconds_.reset();
    showed_picture_ = true;
  }
}

void SplashView::close_after(std::int64_t milliseconds) {
  deadline_ = now_microseconds() + milliseconds * 1000;
}

bool SplashView::closed() const {
  return closed_ || video_ended_ || (deadline_ && now_microseconds() >= *deadline_);
}

bool SplashView::changed_by_itself() const {
  return video_ && !video_ended_ && (!next_seconds_ || *next_seconds_ <= video_seconds());
}

DialogRectangle SplashView::close_box() const {
  return {width_ - kCloseBoxSize - 4, 4, kCloseBoxSize, kCloseBoxSize};
}

void SplashView::key_down(int key) {
  if (key == platform::vk::kEscape && settings_.stop_key) {
    closed_ = true;
  } else if (text_) {
    text_->scroll_key(key);
  }
}

void SplashView::wheel(int direction) {
  if (text_) text_->scroll_wheel(direction);
}

void SplashView::mouse_moved(int x, int y) {
  mouse_x_ = x;
  mouse_y_ = y;
}

void SplashView::mouse_down() {
  const bool on_close_box = settings_.close_button && close_box().contains(mouse_x_, mouse_y_);
  if (on_close_box || settings_.stop_mouse) closed_ = true;
}

const PixelCanvas& SplashView::paint() {
  const std::uint32_t background = rgb_from_game_colour(settings_.colour);
  if (text_) {
    canvas_ = text_->paint(background);
  } else {
    if (video_) advance_video();
    canvas_.width = width_;
    canvas_.height = height_;
    canvas_.argb.assign(static_cast<std::size_t>(width_) * height_, 0xFF000000 | background);
    draw_picture(canvas_, picture_, place_);
  }
  if (settings_.close_button) {
    const DialogRectangle box = close_box();
    fill_rectangle(canvas_, box, 0x606060);
    fill_rectangle(canvas_, {box.x + 1, box.y + 1, box.width - 2, box.height - 2}, 0xE0E0E0);
    // A cross from corner to corner.
    for (int i = 4; i < box.width - 4; ++i) {
      fill_rectangle(canvas_, {box.x + i, box.y + i, 2, 1}, 0x202020);
      fill_rectangle(canvas_, {box.x + box.width - 1 - i - 1, box.y + i, 2, 1}, 0x202020);
    }
  }
  return canvas_;
}

}  // namespace kestrel
