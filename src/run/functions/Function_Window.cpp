#include "graphics/Graphics_Window.h"
#include "run/Runner.h"
#include "run/functions/families.h"
#include "script/Code_Function.h"

namespace kestrel {
namespace {

using Args = const RValue*;

GameWindow& layout_of(ScriptEngine& engine) {
  return runner_of(engine).layout;
}
int whole(const RValue& value) {
  return round_to_int32(value.real());
}

// The on/off settings of the window, as pairs of set and get.
template <void (GameWindow::*set)(bool)>
void set_flag(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args args) {
  (layout_of(engine).*set)(is_true(args[0]));
}
template <bool (GameWindow::*get)() const>
void get_flag(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result, Args) {
  result.set_real((layout_of(engine).*get)() ? 1 : 0);
}

// Sizes and positions the window answers with.
template <int (GameWindow::*get)() const>
void get_number(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result, Args) {
  result.set_real((layout_of(engine).*get)());
}

void window_set_caption(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                        Args args) {
  layout_of(engine).set_caption(args[0].str());
}
void window_get_caption(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                        Args) {
  result.set_text(layout_of(engine).caption());
}
void window_set_cursor(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                       Args args) {
  layout_of(engine).set_cursor(whole(args[0]));
}
void window_set_color(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                      Args args) {
  layout_of(engine).set_color(round_to_int32(args[0].real()));
}
void window_get_color(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                      Args) {
  result.set_real(static_cast<double>(layout_of(engine).color()));
}

void window_set_position(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                         Args args) {
  layout_of(engine).set_position(whole(args[0]), whole(args[1]));
}
void window_set_size(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                     Args args) {
  layout_of(engine).set_size(whole(args[0]), whole(args[1]));
}
void window_set_rectangle(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                          Args args) {
  layout_of(engine).set_rectangle(whole(args[0]), whole(args[1]), whole(args[2]), whole(args[3]));
}
void window_center(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args) {
  layout_of(engine).center();
}
void window_default(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args) {
  layout_of(engine).reset_to_default();
}

void window_set_region_size(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                            Args args) {
  layout_of(engine).set_region_size(whole(args[0]), whole(args[1]), is_true(args[2]));
}
void window_set_region_scale(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                             Args args) {
  layout_of(engine).set_region_scale(args[0].real(), is_true(args[1]));
}
void window_get_region_scale(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int,
                             RValue& result, Args) {
  result.set_real(layout_of(engine).region_scale());
}

void window_mouse_set(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                      Args args) {
  layout_of(engine).set_mouse_window(whole(args[0]), whole(args[1]));
}

// The mouse in the room through one view, or through the views as the room's
// mouse position takes them.
template <double PointD::*axis>
void window_view_mouse_get(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int,
                           RValue& result, Args args) {
  result.set_real(layout_of(engine).mouse_through_view(whole(args[0])).*axis);
}
void window_view_mouse_set(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                           Args args) {
  layout_of(engine).set_mouse_through_view(whole(args[0]), args[1].real(), args[2].real());
}
template <double PointD::*axis>
void window_views_mouse_get(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int,
                            RValue& result, Args) {
  result.set_real(layout_of(engine).mouse_room().*axis);
}
void window_views_mouse_set(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                            Args args) {
  layout_of(engine).set_mouse_room(args[0].real(), args[1].real());
}

template <int platform::DisplayMode::*field>
void display_get(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                 Args) {
  result.set_real(layout_of(engine).display_mode().*field);
}

// A display mode request; a value below 1 keeps what the screen has.
void change_display(ScriptEngine& engine, RValue& result, const platform::DisplayMode& request,
                    bool test_only) {
  result.set_real(layout_of(engine).change_display_mode(request, test_only) ? 1 : 0);
}
void display_set_size(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                      Args args) {
  change_display(engine, result, {whole(args[0]), whole(args[1]), 0, 0}, false);
}
void display_set_colordepth(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int,
                            RValue& result, Args args) {
  change_display(engine, result, {0, 0, whole(args[0]), 0}, false);
}
void display_set_frequency(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int,
                           RValue& result, Args args) {
  change_display(engine, result, {0, 0, 0, whole(args[0])}, false);
}
template <bool test_only>
void display_all(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                 Args args) {
  change_display(engine, result, {whole(args[0]), whole(args[1]), whole(args[3]), whole(args[2])},
                 test_only);
}
void display_reset(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args) {
  layout_of(engine).reset_display_mode();
}

// The mouse on the screen, with the window's client area as the reference.
void display_mouse_get_x(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int,
                         RValue& result, Args) {
  GameWindow& layout = layout_of(engine);
  result.set_real(layout.mouse_window_x() + layout.x());
}
void display_mouse_get_y(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int,
                         RValue& result, Args) {
  GameWindow& layout = layout_of(engine);
  result.set_real(layout.mouse_window_y() + layout.y());
}
void display_mouse_set(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                       Args args) {
  GameWindow& layout = layout_of(engine);
  layout.set_mouse_window(whole(args[0]) - layout.x(), whole(args[1]) - layout.y());
}

}  // namespace

void register_window_functions(FunctionRegistry& functions) {
  struct Entry {
    const char* name;
    BuiltinFunction handler;
    int count;
  };
  static constexpr Entry kFunctions[] = {
      {"window_set_visible", &set_flag<&GameWindow::set_visible>, 1},
      {"window_get_visible", &get_flag<&GameWindow::visible>, 0},
      {"window_set_fullscreen", &set_flag<&GameWindow::set_fullscreen>, 1},
      {"window_get_fullscreen", &get_flag<&GameWindow::fullscreen>, 0},
      {"window_set_showborder", &set_flag<&GameWindow::set_showborder>, 1},
      {"window_get_showborder", &get_flag<&GameWindow::showborder>, 0},
      {"window_set_showicons", &set_flag<&GameWindow::set_showicons>, 1},
      {"window_get_showicons", &get_flag<&GameWindow::showicons>, 0},
      {"window_set_stayontop", &set_flag<&GameWindow::set_stayontop>, 1},
      {"window_get_stayontop", &get_flag<&GameWindow::stayontop>, 0},
      {"window_set_sizeable", &set_flag<&GameWindow::set_sizeable>, 1},
      {"window_get_sizeable", &get_flag<&GameWindow::sizeable>, 0},
      {"window_set_caption", &window_set_caption, 1},
      {"window_get_caption", &window_get_caption, 0},
      {"window_set_cursor", &window_set_cursor, 1},
      {"window_get_cursor", &get_number<&GameWindow::cursor>, 0},
      {"window_set_color", &window_set_color, 1},
      {"window_get_color", &window_get_color, 0},
      {"window_set_position", &window_set_position, 2},
      {"window_set_size", &window_set_size, 2},
      {"window_set_rectangle", &window_set_rectangle, 4},
      {"window_center", &window_center, 0},
      {"window_default", &window_default, 0},
      {"window_get_x", &get_number<&GameWindow::x>, 0},
      {"window_get_y", &get_number<&GameWindow::y>, 0},
      {"window_get_width", &get_number<&GameWindow::width>, 0},
      {"window_get_height", &get_number<&GameWindow::height>, 0},
      {"window_set_region_size", &window_set_region_size, 3},
      {"window_get_region_width", &get_number<&GameWindow::region_width>, 0},
      {"window_get_region_height", &get_number<&GameWindow::region_height>, 0},
      {"window_set_region_scale", &window_set_region_scale, 2},
      {"window_get_region_scale", &window_get_region_scale, 0},
      {"window_mouse_get_x", &get_number<&GameWindow::mouse_window_x>, 0},
      {"window_mouse_get_y", &get_number<&GameWindow::mouse_window_y>, 0},
      {"window_mouse_set", &window_mouse_set, 2},
      {"window_view_mouse_get_x", &window_view_mouse_get<&PointD::x>, 1},
      {"window_view_mouse_get_y", &window_view_mouse_get<&PointD::y>, 1},
      {"window_view_mouse_set", &window_view_mouse_set, 3},
      {"window_views_mouse_get_x", &window_views_mouse_get<&PointD::x>, 0},
      {"window_views_mouse_get_y", &window_views_mouse_get<&PointD::y>, 0},
      {"window_views_mouse_set", &window_views_mouse_set, 2},
      {"display_get_width", &display_get<&platform::DisplayMode::width>, 0},
      {"display_get_height", &display_get<&platform::DisplayMode::height>, 0},
      {"display_get_colordepth", &display_get<&platform::DisplayMode::bits_per_pixel>, 0},
      {"display_get_frequency", &display_get<&platform::DisplayMode::refresh_rate>, 0},
      {"display_set_size", &display_set_size, 2},
      {"display_set_colordepth", &display_set_colordepth, 1},
      {"display_set_frequency", &display_set_frequency, 1},
      {"display_set_all", &display_all<false>, 4},
      {"display_test_all", &display_all<true>, 4},
      {"display_reset", &display_reset, 0},
      {"display_mouse_get_x", &display_mouse_get_x, 0},
      {"display_mouse_get_y", &display_mouse_get_y, 0},
      {"display_mouse_set", &display_mouse_set, 2},
  };
  for (const Entry& function : kFunctions) {
    functions.add(function.name, function.handler, function.count);
  }
}

}  // namespace kestrel
