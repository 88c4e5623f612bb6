#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/window.h"

namespace kestrel {

// Where one view of the current room shows on the region; refreshed by room
// drawing every frame and read only to map the mouse.
struct ViewTransform {
  bool active = false;
  double view_x = 0, view_y = 0, view_width = 0, view_height = 0;
  double port_x = 0, port_y = 0, port_width = 0, port_height = 0;
  double angle = 0;
};

inline constexpr int kViewCount = 32;
using ViewTransforms = std::array<ViewTransform, kViewCount>;

struct PointD {
  double x = 0;
  double y = 0;
};

// Where the region lands in a client area of the given size. A positive scale
// is a fixed factor, 0 stretches over the whole client area, a negative scale
// takes the largest factor that keeps the aspect ratio.
platform::ScreenRectangle scaled_region(int client_width, int client_height, int region_width,
                                        int region_height, double scale);

// A region point seen through one view; the region point itself when the view
// is not active or has an empty port.
PointD room_point_through_view(const ViewTransform& view, PointD region);
// The way back: a room point to the region through one view.
PointD region_point_from_room(const ViewTransform& view, PointD room);
// The room point under a region point: through the highest active view whose
// rectangle holds it, else the lowest active view, else the region point.
PointD room_point_through_views(const ViewTransforms& views, PointD region);

// The game window's layout: full screen or windowed with its border, the
// client area's place and size, the region drawn into and its scale, and the
// mouse in screen, window, region and room terms.
class GameWindow {
 public:
  // Null: no window; the layout is kept and applied to nothing.
  void attach(platform::Window* window);
  // The window attached, for what the layout does not cover (keys, joysticks).
  platform::Window* window() const { return window_; }

  void set_fullscreen(bool on);
  bool fullscreen() const { return fullscreen_; }
  void set_showborder(bool on);
  bool showborder() const { return showborder_; }
  void set_showicons(bool on);
  bool showicons() const { return showicons_; }
  void set_sizeable(bool on);
  bool sizeable() const { return sizeable_; }
  void set_stayontop(bool on);
  bool stayontop() const;
  void set_visible(bool on);
  bool visible() const;
  void set_caption(const std::string& caption);
  const std::string& caption() const { return caption_; }
  void set_color(std::int32_t colour) { colour_ = colour; }
  std::int32_t color() const { return colour_; }

  void set_position(int x, int y);
  void set_size(int width, int height);
  void set_rectangle(int x, int y, int width, int height);
  void center();
  // The region's size (scaled when the scale is positive), centred on the screen.
  void reset_to_default();
  int x() const;
  int y() const;
  int width() const;
  int height() const;

  void set_region_size(int width, int height, bool adapt_window);
  int region_width() const { return region_width_; }
  int region_height() const { return region_height_; }
  void set_region_scale(double scale, bool adapt_window);
  double region_scale() const { return region_scale_; }
  // Where the region is drawn in the client area now.
  platform::ScreenRectangle destination() const;
  // The size the user may not shrink the client area below while resizing.
  void constrain_user_size(int& width, int& height) const;
  // Called when the player moved or resized the window.
  void window_changed_by_user() { record_layout(); }

  ViewTransforms& views() { return views_; }

  // The mouse relative to the client area.
  int mouse_window_x() const;
  int mouse_window_y() const;
  void set_mouse_window(int x, int y);
  PointD mouse_region() const;
  PointD mouse_through_view(int view) const;
  PointD mouse_room() const;
  void set_mouse_region(PointD region);
  void set_mouse_through_view(int view, double x, double y);
  void set_mouse_room(double x, double y);

  platform::DisplayMode display_mode() const;
  // A display mode for full screen; false when the screen has none such.
  bool change_display_mode(const platform::DisplayMode& request, bool test_only);
  void reset_display_mode();

  // The game's cursor number (0 the default arrow, -1 none), shown by the window.
  void set_cursor(int cursor);
  int cursor() const { return cursor_; }

 private:
  void record_layout();
  void apply_layout();
  void adapt_to_region(bool adapt_window);
  platform::ScreenRectangle client() const;

  platform::Window* window_ = nullptr;
  bool fullscreen_ = false;
  bool showborder_ = true;
  bool showicons_ = true;
  bool sizeable_ = true;
  bool busy_ = false;
  int x_ = 100;
  int y_ = 100;
  int client_width_ = 640;
  int client_height_ = 480;
  int region_width_ = 640;
  int region_height_ = 480;
  double region_scale_ = 1.0;
  std::int32_t colour_ = 0;
  int cursor_ = 0;
  std::string caption_;
  ViewTransforms views_{};
};

}  // namespace kestrel
