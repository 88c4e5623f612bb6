#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "data/Runner_Load.h"
#include "graphics/Graphics_Draw.h"
#include "platform/clock.h"
#include "run/Event_Main.h"
#include "run/Runner.h"
#include "run/functions/families.h"
#include "run/resource_images.h"
#include "run/run_dialogs.h"
#include "script/Code_Error.h"
#include "script/Code_Function.h"
#include "script/Code_Operator.h"
#include "script/Function_Math.h"
#include "script/script_engine.h"

namespace kestrel {
namespace {

constexpr std::string_view kWrongMoveArgument = "Wrong argument to action_move().";
constexpr std::string_view kNoSuchSprite = "Setting instance to non-existing sprite: ";
constexpr std::string_view kCannotCompare = "Cannot compare arguments.";
constexpr std::string_view kDrawNoSprite = "Trying to draw a non-existing sprite.";
constexpr std::string_view kDrawNoBackground = "Trying to draw a non-existing background.";

using Args = const RValue*;

// The standard actions are adapters over other built-in functions; calling
// them through the registry keeps both exactly alike.
RValue call(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, std::string_view name,
            std::initializer_list<RValue> arguments) {
  RValue result;
  const std::int32_t index = e.functions.find(name);
  if (index < 0) return result;
  std::array<RValue, kMaxArguments> values;
  std::copy(arguments.begin(), arguments.end(), values.begin());
  e.functions.at(index).handler(e, self, other, static_cast<int>(arguments.size()), result,
                                values.data());
  return result;
}

// Built-in variables go through their own getters and setters, so that what
// they store and the events they trigger stay the variable's own.
RValue get_variable(ScriptEngine& e, ScriptInstance& self, std::string_view name) {
  RValue value;
  const BuiltinVariable& variable = e.builtin_variables.at(e.builtin_variables.index_of(name));
  variable.getter(e, self, 0, value);
  return value;
}

void set_variable(ScriptEngine& e, ScriptInstance& self, std::string_view name,
                  const RValue& value) {
  const BuiltinVariable& variable = e.builtin_variables.at(e.builtin_variables.index_of(name));
  variable.setter(e, self, 0, value);
}

bool relative(ScriptEngine& e) {
  return runner_of(e).action_relative;
}

// The value itself, or the value added to the current one when relative.
double set_or_add(ScriptEngine& e, double current, double value) {
  return relative(e) ? current + value : value;
}

void set_or_add_variable(ScriptEngine& e, ScriptInstance& self, std::string_view name,
                         const RValue& value) {
  set_variable(e, self, name,
               RValue(set_or_add(e, get_variable(e, self, name).real(), value.real())));
}

// A position argument pair, moved by self's position when relative.
double at_x(ScriptEngine& e, ScriptInstance& self, const RValue& x) {
  return relative(e) ? x.real() + instance_of(self).x() : x.real();
}
double at_y(ScriptEngine& e, ScriptInstance& self, const RValue& y) {
  return relative(e) ? y.real() + instance_of(self).y() : y.real();
}

// The comparison menu of the questions: 1 smaller, 2 larger, anything else equal.
bool compare_reals(double a, double b, const RValue& op) {
  switch (round_to_int32(op.real())) {
    case 1:
      return a < b;
    case 2:
      return a > b;
    default:
      return std::abs(a - b) <= kCompareEpsilon;
  }
}

void answer(RValue& r, bool yes) {
  r.set_real(yes ? 1 : 0);
}

// An action that is another built-in function under a second name.
template <const char* function>
void forward(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int count, RValue& r,
             Args a) {
  const std::int32_t index = e.functions.find(function);
  if (index >= 0) e.functions.at(index).handler(e, self, other, count, r, a);
}

// Motion.

void action_move(ScriptEngine& e, ScriptInstance& self, ScriptInstance&, int, RValue&, Args a) {
  const std::string directions(a[0].str());
  if (directions.size() != 9) {
    report_action_error(e, kWrongMoveArgument, false);
    return;
  }
  if (directions.find('1') == std::string::npos) return;
  CInstance& me = instance_of(self);
  me.set_speed(set_or_add(e, me.speed(), a[1].real()));
  std::int64_t cell = 0;
  do cell = random_below(e, 9);
  while (directions[static_cast<std::size_t>(cell)] != '1');
  static constexpr double kCellDirection[9] = {225, 270, 315, 180, 0, 0, 135, 90, 45};
  if (cell == 4) {
    me.set_direction(0);
    me.set_speed(0);
  } else {
    me.set_direction(kCellDirection[cell]);
  }
}

void action_set_motion(ScriptEngine& e, ScriptInstance& self, ScriptInstance&, int, RValue&,
                       Args a) {
  CInstance& me = instance_of(self);
  if (relative(e)) {
    me.add_motion(a[0].real(), a[1].real());
  } else {
    me.set_direction(a[0].real());
    me.set_speed(a[1].real());
  }
}

template <double (CInstance::*get)() const, void (CInstance::*set)(double)>
void set_speed_part(ScriptEngine& e, ScriptInstance& self, ScriptInstance&, int, RValue&, Args a) {
  CInstance& me = instance_of(self);
  (me.*set)(set_or_add(e, (me.*get)(), a[0].real()));
}

void action_set_gravity(ScriptEngine& e, ScriptInstance& self, ScriptInstance&, int, RValue&,
                        Args a) {
  set_or_add_variable(e, self, "gravity_direction", a[0]);
  set_or_add_variable(e, self, "gravity", a[1]);
}

void action_set_friction(ScriptEngine& e, ScriptInstance& self, ScriptInstance&, int, RValue&,
                         Args a) {
  set_or_add_variable(e, self, "friction", a[0]);
}

void action_move_point(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int, RValue&,
                       Args a) {
  call(e, self, other, "move_towards_point",
       {RValue(at_x(e, self, a[0])), RValue(at_y(e, self, a[1])), a[2]});
}

void action_move_to(ScriptEngine& e, ScriptInstance& self, ScriptInstance&, int, RValue&, Args a) {
  instance_of(self).set_position(at_x(e, self, a[0]), at_y(e, self, a[1]));
}

void action_move_start(ScriptEngine&, ScriptInstance& self, ScriptInstance&, int, RValue&, Args) {
  CInstance& me = instance_of(self);
  me.set_position(me.xstart, me.ystart);
}

void action_snap(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int, RValue&,
                 Args a) {
  call(e, self, other, "move_snap", {a[0], a[1]});
}

// Wrapping moves by the room's size plus the sprite's, so that an instance
// that left on one side comes in wholly outside the other.
void action_wrap(ScriptEngine& e, ScriptInstance& self, ScriptInstance&, int, RValue&, Args a) {
  Runner& runner = runner_of(e);
  CInstance& me = instance_of(self);
  const CSprite* sprite = runner.game.sprites.get(me.sprite());
  const double sprite_width = sprite != nullptr ? sprite->width() : 0;
  const double sprite_height = sprite != nullptr ? sprite->height() : 0;
  const double room_width = runner.room->settings.width;
  const double room_height = runner.room->settings.height;
  const int how = round_to_int32(a[0].real());
  double x = me.x(), y = me.y();
  if (how == 0 || how == 2) {
    const double span = room_width + sprite_width * me.xscale();
    if (me.hspeed() < 0 && x < 0) x += span;
    if (me.hspeed() > 0 && x >= room_width) x -= span;
  }
  if (how == 1 || how == 2) {
    const double span = room_height + sprite_height * me.yscale();
    if (me.vspeed() < 0 && y < 0) y += span;
    if (me.vspeed() > 0 && y >= room_height) y -= span;
  }
  me.set_position(x, y);
}

template <void (CInstance::*set)(double), double (CInstance::*get)() const>
void reverse_speed(ScriptEngine&, ScriptInstance& self, ScriptInstance&, int, RValue&, Args) {
  CInstance& me = instance_of(self);
  (me.*set)(-(me.*get)());
}

void action_move_contact(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int, RValue&,
                         Args a) {
  call(e, self, other, is_true(a[2]) ? "move_contact_all" : "move_contact_solid", {a[0], a[1]});
}

void action_bounce(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int, RValue&,
                   Args a) {
  call(e, self, other, is_true(a[1]) ? "move_bounce_all" : "move_bounce_solid", {a[0]});
}

constexpr char kMoveRandom[] = "move_random";
constexpr char kPathStart[] = "path_start";
constexpr char kPathEnd[] = "path_end";

void action_path_position(ScriptEngine& e, ScriptInstance& self, ScriptInstance&, int, RValue&,
                          Args a) {
  CInstance& me = instance_of(self);
  me.path_position = std::clamp(set_or_add(e, me.path_position, a[0].real()), 0.0, 1.0);
}

void action_path_speed(ScriptEngine& e, ScriptInstance& self, ScriptInstance&, int, RValue&,
                       Args a) {
  CInstance& me = instance_of(self);
  me.path_speed = set_or_add(e, me.path_speed, a[0].real());
}

// One planned step towards the (relative) point; against >= 0.5 avoids every
// instance, otherwise only solid ones.
template <const char* step>
void planned_step(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int, RValue&,
                  Args a) {
  call(e, self, other, step,
       {RValue(at_x(e, self, a[0])), RValue(at_y(e, self, a[1])), a[2],
        RValue(is_true(a[3]) ? 1.0 : 0.0)});
}

constexpr char kLinearStep[] = "mp_linear_step";
constexpr char kPotentialStep[] = "mp_potential_step";

// Instances and sprites.

void action_create_object(ScriptEngine& e, ScriptInstance& self, ScriptInstance&, int, RValue&,
                          Args a) {
  runner_of(e).create_instance(round_to_int32(a[0].real()), at_x(e, self, a[1]),
                               at_y(e, self, a[2]));
}

void action_create_object_motion(ScriptEngine& e, ScriptInstance& self, ScriptInstance&, int,
                                 RValue&, Args a) {
  Runner& runner = runner_of(e);
  const std::int32_t object = round_to_int32(a[0].real());
  if (!runner.game.objects.exists(object)) {
    runner.create_instance(object, 0, 0);  // reports the missing object
    return;
  }
  CInstance& created = runner.add_instance(object, at_x(e, self, a[1]), at_y(e, self, a[2]));
  created.set_speed(a[3].real());
  created.set_direction(a[4].real());
  perform_event(runner, created, created, object, kEventCreate, 0);
}

void action_create_object_random(ScriptEngine& e, ScriptInstance& self, ScriptInstance&, int,
                                 RValue&, Args a) {
  Runner& runner = runner_of(e);
  std::array<std::int32_t, 4> objects{};
  bool any = false;
  for (std::size_t i = 0; i < objects.size(); ++i) {
    objects[i] = round_to_int32(a[i].real());
    any = any || runner.game.objects.exists(objects[i]);
  }
  if (!any) return;
  std::int32_t object = -1;
  do object = objects[static_cast<std::size_t>(random_below(e, 4))];
  while (!runner.game.objects.exists(object));
  runner.create_instance(object, at_x(e, self, a[4]), at_y(e, self, a[5]));
}

void action_change_object(ScriptEngine& e, ScriptInstance& self, ScriptInstance&, int, RValue&,
                          Args a) {
  change_instance(runner_of(e), instance_of(self), round_to_int32(a[0].real()), is_true(a[1]));
}

void action_kill_object(ScriptEngine& e, ScriptInstance& self, ScriptInstance&, int, RValue&,
                        Args) {
  runner_of(e).destroy_instance(instance_of(self));
}

void action_kill_position(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int,
                          RValue&, Args a) {
  call(e, self, other, "position_destroy",
       {RValue(at_x(e, self, a[0])), RValue(at_y(e, self, a[1]))});
}

// Sets the sprite, or reports a missing one and leaves the instance as it is.
bool set_sprite(ScriptEngine& e, ScriptInstance& self, const RValue& sprite) {
  const std::int32_t index = round_to_int32(sprite.real());
  if (!runner_of(e).game.sprites.exists(index)) {
    report_action_error(e, std::string(kNoSuchSprite) + std::to_string(index), false);
    return false;
  }
  instance_of(self).set_sprite(index);
  return true;
}

void action_sprite_set(ScriptEngine& e, ScriptInstance& self, ScriptInstance&, int, RValue&,
                       Args a) {
  if (!set_sprite(e, self, a[0])) return;
  CInstance& me = instance_of(self);
  if (a[1].real() >= 0) set_variable(e, self, "image_index", a[1]);
  me.image_speed = a[2].real();
}

void action_set_sprite(ScriptEngine& e, ScriptInstance& self, ScriptInstance&, int, RValue&,
                       Args a) {
  if (!set_sprite(e, self, a[0])) return;
  if (a[1].real() > 0) {
    CInstance& me = instance_of(self);
    me.set_xscale(a[1].real());
    me.set_yscale(a[1].real());
  }
}

void action_sprite_transform(ScriptEngine&, ScriptInstance& self, ScriptInstance&, int, RValue&,
                             Args a) {
  CInstance& me = instance_of(self);
  const int mirror = round_to_int32(a[3].real());
  me.set_xscale(mirror == 1 || mirror == 3 ? -a[0].real() : a[0].real());
  me.set_yscale(mirror == 2 || mirror == 3 ? -a[1].real() : a[1].real());
  me.set_angle(a[2].real());
}

void action_sprite_color(ScriptEngine& e, ScriptInstance& self, ScriptInstance&, int, RValue&,
                         Args a) {
  set_variable(e, self, "image_blend", a[0]);
  set_variable(e, self, "image_alpha", a[1]);
}

// Rooms, game and timing.

template <const char* move>
void change_room(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int, RValue&,
                 Args a) {
  runner_of(e).transition_kind = round_to_int32(a[0].real());
  call(e, self, other, move, {});
}

void action_another_room(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int, RValue&,
                         Args a) {
  runner_of(e).transition_kind = round_to_int32(a[1].real());
  call(e, self, other, "room_goto", {a[0]});
}

constexpr char kRoomGotoPrevious[] = "room_goto_previous";
constexpr char kRoomGotoNext[] = "room_goto_next";
constexpr char kRoomRestart[] = "room_restart";

template <const char* neighbour>
void if_neighbour_room(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int, RValue& r,
                       Args) {
  answer(r, call(e, self, other, neighbour, {RValue(runner_of(e).room_index)}).real() >= 0);
}

constexpr char kRoomPrevious[] = "room_previous";
constexpr char kRoomNext[] = "room_next";

constexpr char kGameEnd[] = "game_end";
constexpr char kGameRestart[] = "game_restart";

void action_set_alarm(ScriptEngine& e, ScriptInstance& self, ScriptInstance&, int, RValue&,
                      Args a) {
  CInstance& me = instance_of(self);
  const std::int32_t alarm = round_to_int32(a[1].real());
  if (alarm < 0 || alarm >= kAlarmCount) return;
  const double current = me.alarm(alarm);
  me.set_alarm(alarm, relative(e) && current >= 0 ? current + a[0].real() : a[0].real());
}

void action_sleep(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int, RValue&,
                  Args a) {
  if (is_true(a[1])) call(e, self, other, "screen_redraw", {});
  platform::Clock::sleep(static_cast<std::int64_t>(a[0].real() * 1000));
}

void start_time_line(CInstance& me, const RValue& time_line, const RValue& position) {
  me.timeline_index = round_to_int32(time_line.real());
  me.timeline_position = round_to_int32(position.real());
}

void action_set_timeline(ScriptEngine&, ScriptInstance& self, ScriptInstance&, int, RValue&,
                         Args a) {
  CInstance& me = instance_of(self);
  start_time_line(me, a[0], a[1]);
  me.timeline_running = true;
}

void action_timeline_set(ScriptEngine&, ScriptInstance& self, ScriptInstance&, int, RValue&,
                         Args a) {
  CInstance& me = instance_of(self);
  start_time_line(me, a[0], a[1]);
  me.timeline_running = round_to_int32(a[2].real()) == 0;
  me.timeline_loop = round_to_int32(a[3].real()) == 1;
}

void action_timeline_start(ScriptEngine&, ScriptInstance& self, ScriptInstance&, int, RValue&,
                           Args) {
  instance_of(self).timeline_running = true;
}

void action_timeline_pause(ScriptEngine&, ScriptInstance& self, ScriptInstance&, int, RValue&,
                           Args) {
  instance_of(self).timeline_running = false;
}

void action_timeline_stop(ScriptEngine&, ScriptInstance& self, ScriptInstance&, int, RValue&,
                          Args) {
  CInstance& me = instance_of(self);
  me.timeline_position = 0;
  me.timeline_running = false;
}

void action_set_timeline_position(ScriptEngine& e, ScriptInstance& self, ScriptInstance&, int,
                                  RValue&, Args a) {
  CInstance& me = instance_of(self);
  me.timeline_position = round_to_int32(set_or_add(e, me.timeline_position, a[0].real()));
}

void action_set_timeline_speed(ScriptEngine& e, ScriptInstance& self, ScriptInstance&, int, RValue&,
                               Args a) {
  CInstance& me = instance_of(self);
  me.timeline_speed = set_or_add(e, me.timeline_speed, a[0].real());
}

void action_fullscreen(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int, RValue&,
                       Args a) {
  const int how = round_to_int32(a[0].real());
  const bool full =
      how == 2 || (how != 1 && !is_true(call(e, self, other, "window_get_fullscreen", {})));
  call(e, self, other, "window_set_fullscreen", {RValue(full ? 1.0 : 0.0)});
}

void action_set_cursor(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int, RValue&,
                       Args a) {
  set_variable(e, self, "cursor_sprite", a[0]);
  constexpr double kDefaultCursor = 0, kNoCursor = -1;
  call(e, self, other, "window_set_cursor", {RValue(is_true(a[1]) ? kDefaultCursor : kNoCursor)});
}

// Questions, code and variables.

bool place_is_empty(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, Args a) {
  return is_true(call(e, self, other, is_true(a[2]) ? "place_empty" : "place_free",
                      {RValue(at_x(e, self, a[0])), RValue(at_y(e, self, a[1]))}));
}

void action_if_empty(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int, RValue& r,
                     Args a) {
  answer(r, place_is_empty(e, self, other, a));
}

void action_if_collision(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int,
                         RValue& r, Args a) {
  answer(r, !place_is_empty(e, self, other, a));
}

void action_if_object(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int, RValue& r,
                      Args a) {
  r = call(e, self, other, "place_meeting",
           {RValue(at_x(e, self, a[1])), RValue(at_y(e, self, a[2])), a[0]});
}

void action_if_number(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int, RValue& r,
                      Args a) {
  answer(r,
         compare_reals(call(e, self, other, "instance_number", {a[0]}).real(), a[1].real(), a[2]));
}

void action_if(ScriptEngine&, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  r = a[0];
}

void action_if_dice(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  const double sides = a[0].real();
  answer(r, sides <= 1 || random_below(e, std::llround(1000 * sides)) <= 1000);
}

void action_if_question(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  Runner& runner = runner_of(e);
  answer(
      r,
      ask_message(runner, MessageRequest::message(message_text(a[0]), {"Yes", "", "No"})).button ==
          1);
  runner.input.clear();
}

void action_if_mouse(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int, RValue& r,
                     Args a) {
  const int button = round_to_int32(a[0].real());
  if (button < 1 || button > 3) {
    answer(r, get_variable(e, self, "mouse_button").real() == 0);
    return;
  }
  answer(r, is_true(call(e, self, other, "mouse_check_button", {a[0]})) ||
                is_true(call(e, self, other, "mouse_check_button_pressed", {a[0]})));
}

void action_if_aligned(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int, RValue& r,
                       Args a) {
  r = call(e, self, other, "place_snapped", {a[0], a[1]});
}

void action_if_variable(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  if (a[0].is_string() != a[1].is_string()) {
    report_action_error(e, kCannotCompare, false);
    answer(r, false);
    return;
  }
  if (!a[0].is_string()) {
    answer(r, compare_reals(a[0].real(), a[1].real(), a[2]));
    return;
  }
  const int order = std::string_view(a[0].str()).compare(a[1].str());
  switch (round_to_int32(a[2].real())) {
    case 1:
      answer(r, order < 0);
      break;
    case 2:
      answer(r, order > 0);
      break;
    default:
      answer(r, order == 0);
  }
}

void action_execute_script(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int,
                           RValue& r, Args a) {
  if (!e.scripts.call(e, round_to_int32(a[0].real()), self, other, a + 1, 5, r) &&
      e.errors.pending) {
    report_action_error(e, e.errors.last_text, false);
    e.errors.pending = false;
  }
}

constexpr char kEventInherited[] = "event_inherited";

// Score, lives and health.

template <const char* variable>
void set_score_value(ScriptEngine& e, ScriptInstance& self, ScriptInstance&, int, RValue&, Args a) {
  set_or_add_variable(e, self, variable, a[0]);
}

template <const char* variable>
void if_score_value(ScriptEngine& e, ScriptInstance& self, ScriptInstance&, int, RValue& r,
                    Args a) {
  answer(r, compare_reals(get_variable(e, self, variable).real(), a[0].real(), a[1]));
}

constexpr char kScore[] = "score";
constexpr char kLives[] = "lives";
constexpr char kHealth[] = "health";

constexpr char kHighscoreClear[] = "highscore_clear";

// The font description "name,size,colour,bold,italic,underline,strike-out"
// gives the table its font name, size and style; a field switches its style
// on when it is exactly "1".
void action_highscore_show(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int,
                           RValue&, Args a) {
  std::vector<std::string> fields;
  std::stringstream description(a[4].str());
  for (std::string field; std::getline(description, field, ',');) fields.push_back(field);
  fields.resize(std::max<std::size_t>(fields.size(), 5));
  const double style = (fields[3] == "1" ? 1 : 0) + (fields[4] == "1" ? 2 : 0);
  call(e, self, other, "highscore_set_background", {a[0]});
  call(e, self, other, "highscore_set_border", {RValue(a[1].real() == 1 ? 1.0 : 0.0)});
  Runner& runner = runner_of(e);
  runner.highscore_look.new_colour = round_to_int32(a[2].real());
  runner.highscore_look.other_colour = round_to_int32(a[3].real());
  call(e, self, other, "highscore_set_font",
       {RValue(fields[0]), RValue(std::atof(fields[1].c_str())), RValue(style)});
  call(e, self, other, "highscore_show", {RValue(runner.score.score)});
  runner.input.clear();
}

void action_set_caption(ScriptEngine& e, ScriptInstance& self, ScriptInstance&, int, RValue&,
                        Args a) {
  const auto shown = [](const RValue& value) {
    return RValue(round_to_int32(value.real()) == 1 ? 1.0 : 0.0);
  };
  set_variable(e, self, "show_score", shown(a[0]));
  set_variable(e, self, "caption_score", a[1]);
  set_variable(e, self, "show_lives", shown(a[2]));
  set_variable(e, self, "caption_lives", a[3]);
  set_variable(e, self, "show_health", shown(a[4]));
  set_variable(e, self, "caption_health", a[5]);
}

// Draws the caption and the value as a whole number.
template <const char* variable>
void draw_score_value(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int, RValue&,
                      Args a) {
  const double value = std::nearbyint(get_variable(e, self, variable).real());
  call(e, self, other, "draw_text",
       {RValue(at_x(e, self, a[0])), RValue(at_y(e, self, a[1])),
        RValue(std::string(a[2].str()) + real_to_text(value))});
}

void action_draw_life_images(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int,
                             RValue&, Args a) {
  const CSprite* sprite = runner_of(e).game.sprites.get(round_to_int32(a[2].real()));
  if (sprite == nullptr) return;
  const double x = at_x(e, self, a[0]), y = at_y(e, self, a[1]);
  const double lives = get_variable(e, self, kLives).real();
  for (int i = 0; i < lives; ++i) {
    call(e, self, other, "draw_sprite_ext",
         {a[2], RValue(0.0), RValue(x + i * sprite->width()), RValue(y), RValue(1.0), RValue(1.0),
          RValue(0.0), RValue(16777215.0), RValue(1.0)});
  }
}

// The back and bar colour menus of the health bar action.
struct HealthChoice {
  std::int64_t back;
  HealthBarColours bar;
};
constexpr std::int64_t kNoBack = -1;
constexpr HealthChoice kHealthChoices[] = {
    {kNoBack, {255, 65535, 65280}},
    {0, {0, 8421504, 16777215}},
    {8421504, {0, 0, 0}},
    {12632256, {8421504, 8421504, 8421504}},
    {16777215, {12632256, 12632256, 12632256}},
    {128, {16777215, 16777215, 16777215}},
    {32768, {128, 128, 128}},
    {32896, {32768, 32768, 32768}},
    {8388608, {32896, 32896, 32896}},
    {8388736, {8388608, 8388608, 8388608}},
    {8421376, {8388736, 8388736, 8388736}},
    {255, {8421376, 8421376, 8421376}},
    {65280, {255, 255, 255}},
    {65535, {65280, 65280, 65280}},
    {16711680, {65535, 65535, 65535}},
    {16711935, {16711680, 16711680, 16711680}},
    {16776960, {16711935, 16711935, 16711935}},
    {kNoBack, {16776960, 16776960, 16776960}},
};
constexpr int kHealthChoiceCount = sizeof(kHealthChoices) / sizeof(kHealthChoices[0]);

void action_draw_health(ScriptEngine& e, ScriptInstance& self, ScriptInstance&, int, RValue&,
                        Args a) {
  const int back = round_to_int32(a[4].real()), bar = round_to_int32(a[5].real());
  // Choices past the menus are left undone.
  if (back < 0 || back >= kHealthChoiceCount - 1 || bar < 0 || bar >= kHealthChoiceCount) return;
  Runner& runner = runner_of(e);
  const std::int64_t back_colour = kHealthChoices[back].back;
  draw_healthbar(runner.graphics, runner.drawing, at_x(e, self, a[0]), at_y(e, self, a[1]),
                 at_x(e, self, a[2]), at_y(e, self, a[3]), get_variable(e, self, kHealth).real(),
                 back_colour, kHealthChoices[bar].bar, 0, back_colour != kNoBack, true);
}

// Drawing.

void action_draw_sprite(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int, RValue&,
                        Args a) {
  if (!runner_of(e).game.sprites.exists(round_to_int32(a[0].real()))) {
    report_action_error(e, kDrawNoSprite, false);
    return;
  }
  const double subimage = a[3].real() < 0 ? instance_of(self).image_index : a[3].real();
  call(
      e, self, other, "draw_sprite_ext",
      {a[0], RValue(std::floor(subimage)), RValue(at_x(e, self, a[1])), RValue(at_y(e, self, a[2])),
       RValue(1.0), RValue(1.0), RValue(0.0), RValue(16777215.0), RValue(1.0)});
}

void action_draw_background(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int,
                            RValue&, Args a) {
  if (!runner_of(e).game.backgrounds.exists(round_to_int32(a[0].real()))) {
    report_action_error(e, kDrawNoBackground, false);
    return;
  }
  const RValue x(at_x(e, self, a[1])), y(at_y(e, self, a[2]));
  if (is_true(a[3])) {
    call(e, self, other, "draw_background_tiled_ext",
         {a[0], x, y, RValue(1.0), RValue(1.0), RValue(16777215.0), RValue(1.0)});
  } else {
    call(e, self, other, "draw_background_ext",
         {a[0], x, y, RValue(1.0), RValue(1.0), RValue(0.0), RValue(16777215.0), RValue(1.0)});
  }
}

void action_draw_text(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int, RValue&,
                      Args a) {
  call(e, self, other, "draw_text",
       {RValue(at_x(e, self, a[1])), RValue(at_y(e, self, a[2])), a[0]});
}

void action_draw_text_transformed(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int,
                                  RValue&, Args a) {
  call(e, self, other, "draw_text_transformed",
       {RValue(at_x(e, self, a[1])), RValue(at_y(e, self, a[2])), a[0], a[3], a[4], a[5]});
}

void action_draw_variable(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int,
                          RValue&, Args a) {
  call(e, self, other, "draw_text",
       {RValue(at_x(e, self, a[1])), RValue(at_y(e, self, a[2])),
        call(e, self, other, "string", {a[0]})});
}

// The four corners of a shape action, moved when relative.
struct ShapeCorners {
  RValue x1, y1, x2, y2;
};
ShapeCorners corners_of(ScriptEngine& e, ScriptInstance& self, Args a) {
  return {RValue(at_x(e, self, a[0])), RValue(at_y(e, self, a[1])), RValue(at_x(e, self, a[2])),
          RValue(at_y(e, self, a[3]))};
}

template <const char* function>
void draw_shape(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int, RValue&,
                Args a) {
  const ShapeCorners c = corners_of(e, self, a);
  call(e, self, other, function, {c.x1, c.y1, c.x2, c.y2, RValue(is_true(a[4]) ? 1.0 : 0.0)});
}

constexpr char kDrawRectangle[] = "draw_rectangle";
constexpr char kDrawEllipse[] = "draw_ellipse";

void action_draw_gradient_hor(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int,
                              RValue&, Args a) {
  const ShapeCorners c = corners_of(e, self, a);
  call(e, self, other, "draw_rectangle_color",
       {c.x1, c.y1, c.x2, c.y2, a[4], a[5], a[5], a[4], RValue(0.0)});
}

void action_draw_gradient_vert(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int,
                               RValue&, Args a) {
  const ShapeCorners c = corners_of(e, self, a);
  call(e, self, other, "draw_rectangle_color",
       {c.x1, c.y1, c.x2, c.y2, a[4], a[4], a[5], a[5], RValue(0.0)});
}

void action_draw_ellipse_gradient(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int,
                                  RValue&, Args a) {
  const ShapeCorners c = corners_of(e, self, a);
  call(e, self, other, "draw_ellipse_color", {c.x1, c.y1, c.x2, c.y2, a[4], a[5], RValue(0.0)});
}

void action_draw_line(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int, RValue&,
                      Args a) {
  const ShapeCorners c = corners_of(e, self, a);
  call(e, self, other, "draw_line", {c.x1, c.y1, c.x2, c.y2});
}

void action_draw_arrow(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int, RValue&,
                       Args a) {
  const ShapeCorners c = corners_of(e, self, a);
  call(e, self, other, "draw_arrow", {c.x1, c.y1, c.x2, c.y2, a[4]});
}

constexpr char kDrawSetColor[] = "draw_set_color";
constexpr char kScreenSave[] = "screen_save";

void action_font(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int, RValue&,
                 Args a) {
  call(e, self, other, "draw_set_font", {a[0]});
  call(e, self, other, "draw_set_halign", {a[1]});
}

// Resources: a file of the authoring tool's own format by its extension, any
// other as a picture.
constexpr char kReplaceMissing[] = "Trying to replace non-existing resource.";
constexpr char kNoFile[] = "File does not exist.";

// Whether the resource and the file exist; reports which does not.
bool can_replace(ScriptEngine& e, bool resource_exists, const std::string& file) {
  if (!resource_exists) {
    report_action_error(e, kReplaceMissing, false);
    return false;
  }
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) {
    report_action_error(e, kNoFile, false);
    return false;
  }
  return true;
}

void action_replace_sprite(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int,
                           RValue&, Args a) {
  const CSprite* sprite = runner_of(e).game.sprites.get(round_to_int32(a[0].real()));
  const std::string file = a[1].str();
  if (!can_replace(e, sprite != nullptr, file)) return;
  if (has_extension(file, ".qzspr")) {
    call(e, self, other, "sprite_replace_sprite", {a[0], a[1]});
  } else {
    call(e, self, other, "sprite_replace",
         {a[0], a[1], a[2], RValue(1.0), RValue(0.0), RValue(double(sprite->xorig)),
          RValue(double(sprite->yorig))});
  }
}

void action_replace_background(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int,
                               RValue&, Args a) {
  const std::string file = a[1].str();
  if (!can_replace(e, runner_of(e).game.backgrounds.exists(round_to_int32(a[0].real())), file))
    return;
  if (has_extension(file, ".qzbck")) {
    call(e, self, other, "background_replace_background", {a[0], a[1]});
  } else {
    call(e, self, other, "background_replace", {a[0], a[1], RValue(0.0), RValue(0.0)});
  }
}

// Kept so that games made with older actions still load; they do nothing.
void no_effect(ScriptEngine&, ScriptInstance&, ScriptInstance&, int, RValue&, Args) {}

// Messages.

void action_message(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  Runner& runner = runner_of(e);
  ask_message(runner, MessageRequest::message(message_text(a[0]), {"", "OK", ""}));
  runner.input.clear();
}

}  // namespace

void register_action_functions(FunctionRegistry& functions) {
  // Motion
  functions.add("action_move", &action_move, 2);
  functions.add("action_set_motion", &action_set_motion, 2);
  functions.add("action_set_hspeed", &set_speed_part<&CInstance::hspeed, &CInstance::set_hspeed>,
                1);
  functions.add("action_set_vspeed", &set_speed_part<&CInstance::vspeed, &CInstance::set_vspeed>,
                1);
  functions.add("action_set_gravity", &action_set_gravity, 2);
  functions.add("action_set_friction", &action_set_friction, 1);
  functions.add("action_move_point", &action_move_point, 3);
  functions.add("action_move_to", &action_move_to, 2);
  functions.add("action_move_start", &action_move_start, 0);
  functions.add("action_snap", &action_snap, 2);
  functions.add("action_wrap", &action_wrap, 1);
  functions.add("action_reverse_xdir", &reverse_speed<&CInstance::set_hspeed, &CInstance::hspeed>,
                0);
  functions.add("action_reverse_ydir", &reverse_speed<&CInstance::set_vspeed, &CInstance::vspeed>,
                0);
  functions.add("action_move_contact", &action_move_contact, 3);
  functions.add("action_bounce", &action_bounce, 2);
  functions.add("action_move_random", &forward<kMoveRandom>, 2);
  functions.add("action_path", &forward<kPathStart>, 4);
  functions.add("action_path_end", &forward<kPathEnd>, 0);
  functions.add("action_path_position", &action_path_position, 1);
  functions.add("action_path_speed", &action_path_speed, 1);
  functions.add("action_linear_step", &planned_step<kLinearStep>, 4);
  functions.add("action_potential_step", &planned_step<kPotentialStep>, 4);
  // Instances and sprites
  functions.add("action_create_object", &action_create_object, 3);
  functions.add("action_create_object_motion", &action_create_object_motion, 5);
  functions.add("action_create_object_random", &action_create_object_random, 6);
  functions.add("action_change_object", &action_change_object, 2);
  functions.add("action_kill_object", &action_kill_object, 0);
  functions.add("action_kill_position", &action_kill_position, 2);
  functions.add("action_sprite_set", &action_sprite_set, 3);
  functions.add("action_set_sprite", &action_set_sprite, 2);
  functions.add("action_sprite_transform", &action_sprite_transform, 4);
  functions.add("action_sprite_color", &action_sprite_color, 2);
  // Rooms, game and timing
  functions.add("action_another_room", &action_another_room, 2);
  functions.add("action_previous_room", &change_room<kRoomGotoPrevious>, 1);
  functions.add("action_next_room", &change_room<kRoomGotoNext>, 1);
  functions.add("action_current_room", &change_room<kRoomRestart>, 1);
  functions.add("action_if_previous_room", &if_neighbour_room<kRoomPrevious>, 0);
  functions.add("action_if_next_room", &if_neighbour_room<kRoomNext>, 0);
  functions.add("action_end_game", &forward<kGameEnd>, 0);
  functions.add("action_restart_game", &forward<kGameRestart>, 0);
  functions.add("action_set_alarm", &action_set_alarm, 2);
  functions.add("action_sleep", &action_sleep, 2);
  functions.add("action_set_timeline", &action_set_timeline, 2);
  functions.add("action_timeline_set", &action_timeline_set, 4);
  functions.add("action_timeline_start", &action_timeline_start, 0);
  functions.add("action_timeline_pause", &action_timeline_pause, 0);
  functions.add("action_timeline_stop", &action_timeline_stop, 0);
  functions.add("action_set_timeline_position", &action_set_timeline_position, 1);
  functions.add("action_set_timeline_speed", &action_set_timeline_speed, 1);
  functions.add("action_fullscreen", &action_fullscreen, 1);
  functions.add("action_set_cursor", &action_set_cursor, 2);
  // Questions, code and variables
  functions.add("action_if_empty", &action_if_empty, 3);
  functions.add("action_if_collision", &action_if_collision, 3);
  functions.add("action_if_object", &action_if_object, 3);
  functions.add("action_if_number", &action_if_number, 3);
  functions.add("action_if", &action_if, 1);
  functions.add("action_if_dice", &action_if_dice, 1);
  functions.add("action_if_question", &action_if_question, 1);
  functions.add("action_if_mouse", &action_if_mouse, 1);
  functions.add("action_if_aligned", &action_if_aligned, 2);
  functions.add("action_if_variable", &action_if_variable, 3);
  functions.add("action_execute_script", &action_execute_script, 6);
  functions.add("action_inherited", &forward<kEventInherited>, 0);
  // Score, lives and health
  functions.add("action_set_score", &set_score_value<kScore>, 1);
  functions.add("action_if_score", &if_score_value<kScore>, 2);
  functions.add("action_set_life", &set_score_value<kLives>, 1);
  functions.add("action_if_life", &if_score_value<kLives>, 2);
  functions.add("action_set_health", &set_score_value<kHealth>, 1);
  functions.add("action_if_health", &if_score_value<kHealth>, 2);
  functions.add("action_set_caption", &action_set_caption, 6);
  functions.add("action_draw_score", &draw_score_value<kScore>, 3);
  functions.add("action_draw_life", &draw_score_value<kLives>, 3);
  functions.add("action_draw_life_images", &action_draw_life_images, 3);
  functions.add("action_draw_health", &action_draw_health, 6);
  functions.add("action_highscore_show", &action_highscore_show, 5);
  functions.add("action_highscore_clear", &forward<kHighscoreClear>, 0);
  // Drawing
  functions.add("action_draw_sprite", &action_draw_sprite, 4);
  functions.add("action_draw_background", &action_draw_background, 4);
  functions.add("action_draw_text", &action_draw_text, 3);
  functions.add("action_draw_text_transformed", &action_draw_text_transformed, 6);
  functions.add("action_draw_variable", &action_draw_variable, 3);
  functions.add("action_draw_rectangle", &draw_shape<kDrawRectangle>, 5);
  functions.add("action_draw_ellipse", &draw_shape<kDrawEllipse>, 5);
  functions.add("action_draw_gradient_hor", &action_draw_gradient_hor, 6);
  functions.add("action_draw_gradient_vert", &action_draw_gradient_vert, 6);
  functions.add("action_draw_ellipse_gradient", &action_draw_ellipse_gradient, 6);
  functions.add("action_draw_line", &action_draw_line, 4);
  functions.add("action_draw_arrow", &action_draw_arrow, 5);
  functions.add("action_color", &forward<kDrawSetColor>, 1);
  functions.add("action_font", &action_font, 2);
  functions.add("action_snapshot", &forward<kScreenSave>, 1);
  // Resources
  functions.add("action_replace_sprite", &action_replace_sprite, 3);
  functions.add("action_replace_background", &action_replace_background, 2);

  // Messages, information and splash screens
  functions.add("action_message", &action_message, 1);
  // Without effect
  for (const char* name : {"action_path_old", "action_draw_font", "action_draw_font_old",
                           "action_fill_color", "action_line_color", "action_highscore"}) {
    functions.add(name, &no_effect, kAnyArgumentCount);
  }
}

}  // namespace kestrel
