#include "graphics/Graphics_Window.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "graphics/Graphics_Support.h"

namespace kestrel {
namespace {

using platform::ScreenRectangle;

double radians(double degrees) {
  return degrees * std::numbers::pi / 180.0;
}

// The factor a non-stretching scale draws the region with.
double scale_factor(double scale, int client_width, int client_height, int region_width,
                    int region_height) {
  if (scale > 0) return scale;
  return std::min(static_cast<double>(client_width) / region_width,
                  static_cast<double>(client_height) / region_height);
}

bool inside_view(const ViewTransform& view, PointD room) {
  return view.view_x <= room.x && room.x < view.view_x + view.view_width && view.view_y <= room.y &&
         room.y < view.view_y + view.view_height;
}

}  // namespace

ScreenRectangle scaled_region(int client_width, int client_height, int region_width,
                              int region_height, double scale) {
  if (scale == 0) return {0, 0, client_width, client_height};
  const double s = scale_factor(scale, client_width, client_height, region_width, region_height);
  const int width = round_to_int(s * region_width);
  const int height = round_to_int(s * region_height);
  return {(client_width - width) / 2, (client_height - height) / 2, width, height};
}

PointD room_point_through_view(const ViewTransform& view, PointD region) {
  if (!view.active || view.port_width == 0 || view.port_height == 0) return region;
  const double dx = (region.x - view.port_x) * view.view_width / view.port_width;
  const double dy = (region.y - view.port_y) * view.view_height / view.port_height;
  if (std::abs(view.angle) < 0.001) {
    return {std::nearbyint(view.view_x + dx), std::nearbyint(view.view_y + dy)};
  }
  const double r = -radians(view.angle);
  const double ex = dx - view.view_width / 2;
  const double ey = dy - view.view_height / 2;
  return {std::nearbyint(view.view_x + view.view_width / 2 + std::cos(r) * ex + std::sin(r) * ey),
          std::nearbyint(view.view_y + view.view_height / 2 - std::sin(r) * ex + std::cos(r) * ey)};
}

PointD region_point_from_room(const ViewTransform& view, PointD room) {
  double dx = room.x - view.view_x;
  double dy = room.y - view.view_y;
  if (std::abs(view.angle) >= 0.001) {
    const double r = radians(view.angle);
    const double ex = dx - view.view_width / 2;
    const double ey = dy - view.view_height / 2;
    dx = view.view_width / 2 + std::cos(r) * ex + std::sin(r) * ey;
    dy = view.view_height / 2 - std::sin(r) * ex + std::cos(r) * ey;
  }
  return {dx * view.port_width / view.view_width + view.port_x,
          dy * view.port_height / view.view_height + view.port_y};
}

PointD room_point_through_views(const ViewTransforms& views, PointD region) {
  PointD last = region;
  for (int i = kViewCount - 1; i >= 0; --i) {
    if (!views[i].active) continue;
    last = room_point_through_view(views[i], region);
    if (inside_view(views[i], last)) return last;
  }
  return last;
}

void GameWindow::attach(platform::Window* window) {
  window_ = window;
  if (window_ != nullptr) apply_layout();
}

ScreenRectangle GameWindow::client() const {
  if (window_ != nullptr) return window_->client_rectangle();
  return {x_, y_, client_width_, client_height_};
}

platform::DisplayMode GameWindow::display_mode() const {
  if (window_ != nullptr) return window_->display_mode();
  return {client_width_, client_height_, 32, 60};
}

bool GameWindow::change_display_mode(const platform::DisplayMode& request, bool test_only) {
  return window_ != nullptr && window_->change_display_mode(request, test_only);
}

void GameWindow::reset_display_mode() {
  if (window_ != nullptr) window_->reset_display_mode();
}

void GameWindow::set_cursor(int cursor) {
  cursor_ = cursor;
  if (window_ != nullptr) window_->set_cursor(cursor);
}

void GameWindow::record_layout() {
  if (fullscreen_ || busy_ || window_ == nullptr) return;
  const ScreenRectangle now = window_->client_rectangle();
  x_ = now.x;
  y_ = now.y;
  client_width_ = now.width;
  client_height_ = now.height;
}

void GameWindow::apply_layout() {
  if (window_ == nullptr) return;
  busy_ = true;
  window_->set_fullscreen(fullscreen_);
  if (!fullscreen_) {
    // Caption buttons follow the border; the window system offers no finer control.
    window_->set_frame(showborder_, sizeable_);
    window_->set_client_rectangle({x_, y_, client_width_, client_height_});
  }
  busy_ = false;
}

void GameWindow::set_fullscreen(bool on) {
  if (on == fullscreen_) return;
  record_layout();
  fullscreen_ = on;
  apply_layout();
}

void GameWindow::set_showborder(bool on) {
  record_layout();
  showborder_ = on;
  apply_layout();
}

void GameWindow::set_showicons(bool on) {
  record_layout();
  showicons_ = on;
  apply_layout();
}

void GameWindow::set_sizeable(bool on) {
  record_layout();
  sizeable_ = on;
  apply_layout();
}

void GameWindow::set_stayontop(bool on) {
  if (window_ != nullptr) window_->set_always_on_top(on);
}

bool GameWindow::stayontop() const {
  return window_ != nullptr && window_->always_on_top();
}

void GameWindow::set_visible(bool on) {
  if (window_ == nullptr) return;
  window_->set_visible(on);
  record_layout();
}

bool GameWindow::visible() const {
  return window_ != nullptr && window_->visible();
}

void GameWindow::set_caption(const std::string& caption) {
  caption_ = caption;
  if (window_ != nullptr) window_->set_caption(caption);
}

void GameWindow::set_position(int x, int y) {
  record_layout();
  x_ = x;
  y_ = y;
  apply_layout();
}

void GameWindow::set_size(int width, int height) {
  const ScreenRectangle now = client();
  set_rectangle(now.x, now.y, width, height);
}

void GameWindow::set_rectangle(int x, int y, int width, int height) {
  record_layout();
  x_ = x;
  y_ = y;
  client_width_ = width;
  client_height_ = height;
  if (region_scale_ > 0) {
    client_width_ = std::max(client_width_, round_to_int(region_width_ * region_scale_));
    client_height_ = std::max(client_height_, round_to_int(region_height_ * region_scale_));
  }
  apply_layout();
}

void GameWindow::center() {
  const platform::DisplayMode screen = display_mode();
  const ScreenRectangle now = client();
  set_position((screen.width - now.width) / 2, (screen.height - now.height) / 2);
}

void GameWindow::reset_to_default() {
  int width = region_width_;
  int height = region_height_;
  if (region_scale_ > 0) {
    width = round_to_int(region_width_ * region_scale_);
    height = round_to_int(region_height_ * region_scale_);
  }
  const platform::DisplayMode screen = display_mode();
  set_rectangle((screen.width - width) / 2, (screen.height - height) / 2, width, height);
}

int GameWindow::x() const {
  return client().x;
}
int GameWindow::y() const {
  return client().y;
}
int GameWindow::width() const {
  return client().width;
}
int GameWindow::height() const {
  return client().height;
}

void GameWindow::set_region_size(int width, int height, bool adapt_window) {
  if (width >= 1) region_width_ = width;
  if (height >= 1) region_height_ = height;
  adapt_to_region(adapt_window);
}

void GameWindow::set_region_scale(double scale, bool adapt_window) {
  region_scale_ = scale;
  adapt_to_region(adapt_window);
}

void GameWindow::adapt_to_region(bool adapt_window) {
  if (region_scale_ <= 0) return;
  const int target_width = round_to_int(region_width_ * region_scale_);
  const int target_height = round_to_int(region_height_ * region_scale_);
  const ScreenRectangle now = client();
  if (adapt_window) {
    set_size(target_width, target_height);
  } else if (now.width < target_width || now.height < target_height) {
    set_size(std::max(now.width, target_width), std::max(now.height, target_height));
  }
}

ScreenRectangle GameWindow::destination() const {
  const ScreenRectangle now = client();
  return scaled_region(now.width, now.height, region_width_, region_height_, region_scale_);
}

void GameWindow::constrain_user_size(int& width, int& height) const {
  if (region_scale_ <= 0) return;
  width = std::max(width, round_to_int(region_width_ * region_scale_));
  height = std::max(height, round_to_int(region_height_ * region_scale_));
}

int GameWindow::mouse_window_x() const {
  int x = 0;
  int y = 0;
  if (window_ != nullptr) window_->mouse_screen_position(x, y);
  return x - client().x;
}

int GameWindow::mouse_window_y() const {
  int x = 0;
  int y = 0;
  if (window_ != nullptr) window_->mouse_screen_position(x, y);
  return y - client().y;
}

void GameWindow::set_mouse_window(int x, int y) {
  if (window_ == nullptr) return;
  const ScreenRectangle now = client();
  window_->move_mouse_to_screen(now.x + x, now.y + y);
}

PointD GameWindow::mouse_region() const {
  const ScreenRectangle now = client();
  const double x = mouse_window_x();
  const double y = mouse_window_y();
  if (region_scale_ == 0) {
    return {std::nearbyint(x * region_width_ / std::max(now.width, 1)),
            std::nearbyint(y * region_height_ / std::max(now.height, 1))};
  }
  const double s =
      scale_factor(region_scale_, now.width, now.height, region_width_, region_height_);
  const std::int64_t offset_x = (now.width - std::int64_t{round_to_int(s * region_width_)}) / 2;
  const std::int64_t offset_y = (now.height - std::int64_t{round_to_int(s * region_height_)}) / 2;
  return {std::nearbyint((x - static_cast<double>(offset_x)) / s),
          std::nearbyint((y - static_cast<double>(offset_y)) / s)};
}

PointD GameWindow::mouse_through_view(int view) const {
  if (view < 0 || view >= kViewCount) return mouse_region();
  return room_point_through_view(views_[view], mouse_region());
}

PointD GameWindow::mouse_room() const {
  return room_point_through_views(views_, mouse_region());
}

void GameWindow::set_mouse_region(PointD region) {
  const ScreenRectangle now = client();
  int x = 0;
  int y = 0;
  if (region_scale_ == 0) {
    x = round_to_int(region.x * now.width / region_width_);
    y = round_to_int(region.y * now.height / region_height_);
  } else {
    const double s =
        scale_factor(region_scale_, now.width, now.height, region_width_, region_height_);
    x = now.width / 2 - round_to_int(s * region_width_) / 2 + round_to_int(s * region.x);
    y = now.height / 2 - round_to_int(s * region_height_) / 2 + round_to_int(s * region.y);
  }
  set_mouse_window(x, y);
}

void GameWindow::set_mouse_through_view(int view, double x, double y) {
  if (view < 0 || view >= kViewCount) return;
  const ViewTransform& transform = views_[view];
  if (!transform.active || transform.view_width == 0 || transform.view_height == 0) return;
  set_mouse_region(region_point_from_room(transform, {x, y}));
}

void GameWindow::set_mouse_room(double x, double y) {
  for (int i = 0; i < kViewCount; ++i) {
    if (views_[i].active) {
      set_mouse_through_view(i, x, y);
      return;
    }
  }
  set_mouse_region({x, y});
}

}  // namespace kestrel
