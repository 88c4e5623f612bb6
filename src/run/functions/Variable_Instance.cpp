#include <algorithm>

#include "data/Runner_Load.h"
#include "run/Event_Main.h"
#include "run/Runner.h"
#include "run/functions/families.h"
#include "run/room_lifecycle.h"
#include "script/Code_Error.h"

namespace kestrel {
namespace {

bool flag(const RValue& value) {
  return round_to_int32(value.real()) >= 1;
}

// Stores a value as a field of its type wants it: flags from the rounded
// value, integers rounded, reals as they are.
template <class Field>
void assign_from(Field& target, const RValue& value) {
  if constexpr (std::is_same_v<Field, bool>) {
    target = flag(value);
  } else if constexpr (std::is_integral_v<Field>) {
    target = round_to_int32(value.real());
  } else {
    target = value.real();
  }
}

// Plain fields of the instance record.
template <class Field, Field CInstance::*field>
bool get_field(ScriptEngine&, ScriptInstance& instance, std::int32_t, RValue& value) {
  value.set_real(static_cast<double>(instance_of(instance).*field));
  return true;
}

template <class Field, Field CInstance::*field>
bool set_field(ScriptEngine&, ScriptInstance& instance, std::int32_t, const RValue& value) {
  Field& target = instance_of(instance).*field;
  assign_from(target, value);
  return true;
}

// Fields behind a getter and a setter that keep other fields in step.
template <auto getter>
bool get_through(ScriptEngine&, ScriptInstance& instance, std::int32_t, RValue& value) {
  value.set_real(static_cast<double>((instance_of(instance).*getter)()));
  return true;
}

template <auto setter>
bool set_index_through(ScriptEngine&, ScriptInstance& instance, std::int32_t, const RValue& value) {
  (instance_of(instance).*setter)(round_to_int32(value.real()));
  return true;
}

// Reals of the instance that code also reaches without values; the value
// getter and setter go through the real ones, so both ways agree.
template <BuiltinRealGetter read>
bool get_real(ScriptEngine&, ScriptInstance& instance, std::int32_t, RValue& value) {
  value.set_real(read(instance));
  return true;
}

template <BuiltinRealSetter write>
bool set_real(ScriptEngine&, ScriptInstance& instance, std::int32_t, const RValue& value) {
  write(instance, value.real());
  return true;
}

const CInstance& instance_of(const ScriptInstance& instance) {
  return static_cast<const CInstance&>(instance);
}

template <auto getter>
double read_through(const ScriptInstance& instance) {
  return static_cast<double>((instance_of(instance).*getter)());
}

template <auto setter>
void write_through(ScriptInstance& instance, double value) {
  (instance_of(instance).*setter)(value);
}

template <double CInstance::*field>
double read_field(const ScriptInstance& instance) {
  return instance_of(instance).*field;
}

template <double CInstance::*field>
void write_field(ScriptInstance& instance, double value) {
  instance_of(instance).*field = value;
}

double read_id(const ScriptInstance& instance) {
  return instance.id;
}

double read_object_index(const ScriptInstance& instance) {
  return instance.object_index;
}

void write_x(ScriptInstance& instance, double x) {
  CInstance& self = instance_of(instance);
  self.set_position(x, self.y());
}

void write_y(ScriptInstance& instance, double y) {
  CInstance& self = instance_of(instance);
  self.set_position(self.x(), y);
}

template <BuiltinRealGetter read, BuiltinRealSetter write>
void add_real(BuiltinVariables& v, std::string_view name) {
  v.add(name, &get_real<read>, &set_real<write>, read, write);
}

template <BuiltinRealGetter read>
void add_read_only_real(BuiltinVariables& v, std::string_view name) {
  v.add(name, &get_real<read>, nullptr, read, nullptr);
}

template <auto getter, auto setter>
void add_through(BuiltinVariables& v, std::string_view name) {
  add_real<&read_through<getter>, &write_through<setter>>(v, name);
}

template <double CInstance::*field>
void add_field(BuiltinVariables& v, std::string_view name) {
  add_real<&read_field<field>, &write_field<field>>(v, name);
}

bool get_alarm(ScriptEngine&, ScriptInstance& instance, std::int32_t index, RValue& value) {
  value.set_real(instance_of(instance).alarm(index < 0 || index >= kAlarmCount ? 0 : index));
  return true;
}

bool set_alarm(ScriptEngine&, ScriptInstance& instance, std::int32_t index, const RValue& value) {
  instance_of(instance).set_alarm(index, value.real());
  return true;
}

bool set_path_position(ScriptEngine&, ScriptInstance& instance, std::int32_t, const RValue& value) {
  instance_of(instance).path_position = std::clamp(value.real(), 0.0, 1.0);
  return true;
}

bool set_path_positionprevious(ScriptEngine&, ScriptInstance& instance, std::int32_t,
                               const RValue& value) {
  instance_of(instance).path_positionprevious = std::clamp(value.real(), 0.0, 1.0);
  return true;
}

// Sprite measures scaled by the instance; 0 without a valid sprite.
enum class SpriteMeasure { width, height, xoffset, yoffset, images };

template <SpriteMeasure measure>
bool get_sprite_measure(ScriptEngine& engine, ScriptInstance& instance, std::int32_t,
                        RValue& value) {
  const CInstance& self = instance_of(instance);
  const CSprite* sprite = runner_of(engine).game.sprites.get(self.sprite());
  double result = 0;
  if (sprite != nullptr) {
    switch (measure) {
      case SpriteMeasure::width:
        result = sprite->width() * self.xscale();
        break;
      case SpriteMeasure::height:
        result = sprite->height() * self.yscale();
        break;
      case SpriteMeasure::xoffset:
        result = sprite->xorig * self.xscale();
        break;
      case SpriteMeasure::yoffset:
        result = sprite->yorig * self.yscale();
        break;
      case SpriteMeasure::images:
        result = static_cast<double>(sprite->images.size());
        break;
    }
  }
  value.set_real(result);
  return true;
}

// Game-wide: the current room.
bool get_room(ScriptEngine& engine, ScriptInstance&, std::int32_t, RValue& value) {
  value.set_real(runner_of(engine).room_index);
  return true;
}

bool set_room(ScriptEngine& engine, ScriptInstance&, std::int32_t, const RValue& value) {
  request_room(runner_of(engine), round_to_int32(value.real()));
  return true;
}

bool get_room_speed(ScriptEngine& engine, ScriptInstance&, std::int32_t, RValue& value) {
  value.set_real(runner_of(engine).room->settings.speed);
  return true;
}

bool set_room_speed(ScriptEngine& engine, ScriptInstance&, std::int32_t, const RValue& value) {
  const std::int32_t speed = round_to_int32(value.real());
  if (speed <= 0) {
    report_error(engine, "Trying to set the room speed to a value <= 0.", false);
    return false;
  }
  runner_of(engine).room->settings.speed = speed;
  return true;
}

bool get_room_caption(ScriptEngine& engine, ScriptInstance&, std::int32_t, RValue& value) {
  value.set_text(runner_of(engine).room->settings.caption);
  return true;
}

bool set_room_caption(ScriptEngine& engine, ScriptInstance&, std::int32_t, const RValue& value) {
  runner_of(engine).room->settings.caption = value.str();
  return true;
}

bool get_room_first(ScriptEngine& engine, ScriptInstance&, std::int32_t, RValue& value) {
  const auto& order = runner_of(engine).game.room_order;
  value.set_real(order.empty() ? -1 : order.front());
  return true;
}

bool get_room_last(ScriptEngine& engine, ScriptInstance&, std::int32_t, RValue& value) {
  const auto& order = runner_of(engine).game.room_order;
  value.set_real(order.empty() ? -1 : order.back());
  return true;
}

bool get_instance_count(ScriptEngine& engine, ScriptInstance&, std::int32_t, RValue& value) {
  value.set_real(runner_of(engine).instances().count());
  return true;
}

bool get_instance_id(ScriptEngine& engine, ScriptInstance&, std::int32_t index, RValue& value) {
  RoomInstances& instances = runner_of(engine).instances();
  value.set_real(index >= 0 && index < instances.count() ? instances.at(index).id : -4);
  return true;
}

bool get_fps(ScriptEngine& engine, ScriptInstance&, std::int32_t, RValue& value) {
  value.set_real(runner_of(engine).fps);
  return true;
}

// Score, lives and health, and how the caption shows them.
template <auto field>
bool get_score_number(ScriptEngine& engine, ScriptInstance&, std::int32_t, RValue& value) {
  value.set_real(static_cast<double>(runner_of(engine).score.*field));
  return true;
}

template <auto field>
bool set_score_number(ScriptEngine& engine, ScriptInstance&, std::int32_t, const RValue& value) {
  assign_from(runner_of(engine).score.*field, value);
  return true;
}

// Lives and health run their event when they run out, not when they stay
// out; what counts is the value as stored.
template <auto field, int event_number, bool (*ran_out)(double, double)>
bool set_running_out(ScriptEngine& engine, ScriptInstance&, std::int32_t, const RValue& value) {
  Runner& runner = runner_of(engine);
  auto& stored = runner.score.*field;
  const double old = stored;
  assign_from(stored, value);
  if (ran_out(old, stored)) perform_event_all(runner, kEventOther, event_number);
  return true;
}

bool lives_ran_out(double old, double now) {
  return old >= 1 && now < 1;
}
bool health_ran_out(double old, double now) {
  return old > 0 && now <= 0;
}

template <bool GameScore::*field>
bool get_score_flag(ScriptEngine& engine, ScriptInstance&, std::int32_t, RValue& value) {
  value.set_real(runner_of(engine).score.*field ? 1 : 0);
  return true;
}

template <bool GameScore::*field>
bool set_score_flag(ScriptEngine& engine, ScriptInstance&, std::int32_t, const RValue& value) {
  GameScore& score = runner_of(engine).score;
  score.*field = flag(value);
  if constexpr (field == &GameScore::show_score) score.score_shown_explicitly = true;
  return true;
}

template <std::string GameScore::*field>
bool get_score_text(ScriptEngine& engine, ScriptInstance&, std::int32_t, RValue& value) {
  value.set_text(runner_of(engine).score.*field);
  return true;
}

template <std::string GameScore::*field>
bool set_score_text(ScriptEngine& engine, ScriptInstance&, std::int32_t, const RValue& value) {
  runner_of(engine).score.*field = value.str();
  return true;
}

// Background slots and views: arrays of 8, an index outside them means 0.
std::size_t slot(std::int32_t index) {
  return index >= 0 && index < kRoomViews ? static_cast<std::size_t>(index) : 0;
}

template <class Field, Field CBack::*field>
bool get_background(ScriptEngine& engine, ScriptInstance&, std::int32_t index, RValue& value) {
  value.set_real(
      static_cast<double>(runner_of(engine).room->settings.backgrounds[slot(index)].*field));
  return true;
}

template <class Field, Field CBack::*field>
bool set_background(ScriptEngine& engine, ScriptInstance&, std::int32_t index,
                    const RValue& value) {
  Field& target = runner_of(engine).room->settings.backgrounds[slot(index)].*field;
  assign_from(target, value);
  return true;
}

template <class Field, Field CView::*field>
bool get_view(ScriptEngine& engine, ScriptInstance&, std::int32_t index, RValue& value) {
  value.set_real(static_cast<double>(runner_of(engine).room->settings.views[slot(index)].*field));
  return true;
}

template <class Field, Field CView::*field>
bool set_view(ScriptEngine& engine, ScriptInstance&, std::int32_t index, const RValue& value) {
  Field& target = runner_of(engine).room->settings.views[slot(index)].*field;
  assign_from(target, value);
  return true;
}

// The size of the background resource a slot shows; 0 when none.
template <bool width>
bool get_background_size(ScriptEngine& engine, ScriptInstance&, std::int32_t index, RValue& value) {
  Runner& runner = runner_of(engine);
  const CBackground* background =
      runner.game.backgrounds.get(runner.room->settings.backgrounds[slot(index)].background);
  value.set_real(background == nullptr ? 0 : width ? background->width() : background->height());
  return true;
}

template <auto field>
bool get_room_setting(ScriptEngine& engine, ScriptInstance&, std::int32_t, RValue& value) {
  value.set_real(static_cast<double>(runner_of(engine).room->settings.*field));
  return true;
}

template <auto field>
bool set_room_flag(ScriptEngine& engine, ScriptInstance&, std::int32_t, const RValue& value) {
  runner_of(engine).room->settings.*field = flag(value);
  return true;
}

bool set_room_colour(ScriptEngine& engine, ScriptInstance&, std::int32_t, const RValue& value) {
  runner_of(engine).room->settings.colour = round_to_int32(value.real());
  return true;
}

// Input state as variables.
template <int InputState::*field>
bool get_input(ScriptEngine& engine, ScriptInstance&, std::int32_t, RValue& value) {
  value.set_real(runner_of(engine).input.*field);
  return true;
}

template <int InputState::*field>
bool set_input(ScriptEngine& engine, ScriptInstance&, std::int32_t, const RValue& value) {
  runner_of(engine).input.*field = round_to_int32(value.real());
  return true;
}

bool get_lastchar(ScriptEngine& engine, ScriptInstance&, std::int32_t, RValue& value) {
  const int c = runner_of(engine).input.last_char;
  value.set_text(c == 0 ? std::string() : std::string(1, static_cast<char>(c)));
  return true;
}

bool set_lastchar(ScriptEngine& engine, ScriptInstance&, std::int32_t, const RValue& value) {
  // Only the first character is taken; an empty string changes nothing.
  if (!value.text().empty()) {
    runner_of(engine).input.last_char = static_cast<unsigned char>(value.text()[0]);
  }
  return true;
}

bool get_keyboard_string(ScriptEngine& engine, ScriptInstance&, std::int32_t, RValue& value) {
  value.set_text(runner_of(engine).input.typed);
  return true;
}

bool set_keyboard_string(ScriptEngine& engine, ScriptInstance&, std::int32_t, const RValue& value) {
  std::string& typed = runner_of(engine).input.typed;
  typed = value.str();
  if (typed.size() > InputState::kTypedLimit)
    typed.erase(0, typed.size() - InputState::kTypedLimit);
  return true;
}

template <bool x>
bool get_mouse(ScriptEngine& engine, ScriptInstance&, std::int32_t, RValue& value) {
  const PointD room = runner_of(engine).layout.mouse_room();
  value.set_real(x ? room.x : room.y);
  return true;
}

bool get_game_id(ScriptEngine& engine, ScriptInstance&, std::int32_t, RValue& value) {
  value.set_real(runner_of(engine).game.game_id);
  return true;
}

bool get_debug_mode(ScriptEngine& engine, ScriptInstance&, std::int32_t, RValue& value) {
  value.set_real(runner_of(engine).game.debug_mode ? 1 : 0);
  return true;
}

bool get_argument_relative(ScriptEngine& engine, ScriptInstance&, std::int32_t, RValue& value) {
  value.set_real(runner_of(engine).action_relative ? 1 : 0);
  return true;
}

}  // namespace

void register_instance_variables(ScriptEngine& engine) {
  BuiltinVariables& v = engine.builtin_variables;
  add_real<&read_through<&CInstance::x>, &write_x>(v, "x");
  add_real<&read_through<&CInstance::y>, &write_y>(v, "y");
  add_field<&CInstance::xprevious>(v, "xprevious");
  add_field<&CInstance::yprevious>(v, "yprevious");
  add_field<&CInstance::xstart>(v, "xstart");
  add_field<&CInstance::ystart>(v, "ystart");
  add_through<&CInstance::hspeed, &CInstance::set_hspeed>(v, "hspeed");
  add_through<&CInstance::vspeed, &CInstance::set_vspeed>(v, "vspeed");
  add_through<&CInstance::direction, &CInstance::set_direction>(v, "direction");
  add_through<&CInstance::speed, &CInstance::set_speed>(v, "speed");
  add_field<&CInstance::friction>(v, "friction");
  add_field<&CInstance::gravity>(v, "gravity");
  add_field<&CInstance::gravity_direction>(v, "gravity_direction");
  add_read_only_real<&read_object_index>(v, "object_index");
  add_read_only_real<&read_id>(v, "id");
  v.add("alarm", &get_alarm, &set_alarm);
  v.add("solid", &get_field<bool, &CInstance::solid>, &set_field<bool, &CInstance::solid>);
  v.add("visible", &get_field<bool, &CInstance::visible>, &set_field<bool, &CInstance::visible>);
  v.add("persistent", &get_field<bool, &CInstance::persistent>,
        &set_field<bool, &CInstance::persistent>);
  add_field<&CInstance::depth>(v, "depth");
  v.add("bbox_left", &get_through<&CInstance::bbox_left>, nullptr);
  v.add("bbox_right", &get_through<&CInstance::bbox_right>, nullptr);
  v.add("bbox_top", &get_through<&CInstance::bbox_top>, nullptr);
  v.add("bbox_bottom", &get_through<&CInstance::bbox_bottom>, nullptr);
  v.add("sprite_index", &get_through<&CInstance::sprite>,
        &set_index_through<&CInstance::set_sprite>);
  add_field<&CInstance::image_index>(v, "image_index");
  add_through<&CInstance::image_single, &CInstance::set_image_single>(v, "image_single");
  v.add("image_number", &get_sprite_measure<SpriteMeasure::images>, nullptr);
  v.add("sprite_width", &get_sprite_measure<SpriteMeasure::width>, nullptr);
  v.add("sprite_height", &get_sprite_measure<SpriteMeasure::height>, nullptr);
  v.add("sprite_xoffset", &get_sprite_measure<SpriteMeasure::xoffset>, nullptr);
  v.add("sprite_yoffset", &get_sprite_measure<SpriteMeasure::yoffset>, nullptr);
  add_through<&CInstance::xscale, &CInstance::set_xscale>(v, "image_xscale");
  add_through<&CInstance::yscale, &CInstance::set_yscale>(v, "image_yscale");
  add_through<&CInstance::angle, &CInstance::set_angle>(v, "image_angle");
  add_field<&CInstance::image_alpha>(v, "image_alpha");
  v.add("image_blend", &get_field<std::int32_t, &CInstance::image_blend>,
        &set_field<std::int32_t, &CInstance::image_blend>);
  add_field<&CInstance::image_speed>(v, "image_speed");
  v.add("mask_index", &get_through<&CInstance::mask>, &set_index_through<&CInstance::set_mask>);
  v.add("path_index", &get_field<std::int32_t, &CInstance::path_index>, nullptr);
  v.add("path_position", &get_field<double, &CInstance::path_position>, &set_path_position);
  v.add("path_positionprevious", &get_field<double, &CInstance::path_positionprevious>,
        &set_path_positionprevious);
  add_field<&CInstance::path_speed>(v, "path_speed");
  add_field<&CInstance::path_scale>(v, "path_scale");
  add_field<&CInstance::path_orientation>(v, "path_orientation");
  v.add("path_endaction", &get_field<std::int32_t, &CInstance::path_endaction>,
        &set_field<std::int32_t, &CInstance::path_endaction>);
  v.add("timeline_index", &get_field<std::int32_t, &CInstance::timeline_index>,
        &set_field<std::int32_t, &CInstance::timeline_index>);
  add_field<&CInstance::timeline_position>(v, "timeline_position");
  add_field<&CInstance::timeline_speed>(v, "timeline_speed");
  v.add("timeline_running", &get_field<bool, &CInstance::timeline_running>,
        &set_field<bool, &CInstance::timeline_running>);
  v.add("timeline_loop", &get_field<bool, &CInstance::timeline_loop>,
        &set_field<bool, &CInstance::timeline_loop>);
}

void register_room_variables(ScriptEngine& engine) {
  BuiltinVariables& v = engine.builtin_variables;
  v.add("room", &get_room, &set_room);
  v.add("room_first", &get_room_first, nullptr);
  v.add("room_last", &get_room_last, nullptr);
  v.add("room_width", &get_room_setting<&CRoom::width>, nullptr);
  v.add("room_height", &get_room_setting<&CRoom::height>, nullptr);
  v.add("room_caption", &get_room_caption, &set_room_caption);
  v.add("room_speed", &get_room_speed, &set_room_speed);
  v.add("room_persistent", &get_room_setting<&CRoom::persistent>,
        &set_room_flag<&CRoom::persistent>);
  v.add("instance_count", &get_instance_count, nullptr);
  v.add("instance_id", &get_instance_id, nullptr);
  v.add("fps", &get_fps, nullptr);
}

void register_room_display_variables(ScriptEngine& engine) {
  BuiltinVariables& v = engine.builtin_variables;
  v.add("background_color", &get_room_setting<&CRoom::colour>, &set_room_colour);
  v.add("background_showcolor", &get_room_setting<&CRoom::show_colour>,
        &set_room_flag<&CRoom::show_colour>);
  v.add("background_visible", &get_background<bool, &CBack::visible>,
        &set_background<bool, &CBack::visible>);
  v.add("background_foreground", &get_background<bool, &CBack::foreground>,
        &set_background<bool, &CBack::foreground>);
  v.add("background_index", &get_background<int, &CBack::background>,
        &set_background<int, &CBack::background>);
  v.add("background_x", &get_background<double, &CBack::x>, &set_background<double, &CBack::x>);
  v.add("background_y", &get_background<double, &CBack::y>, &set_background<double, &CBack::y>);
  v.add("background_width", &get_background_size<true>, nullptr);
  v.add("background_height", &get_background_size<false>, nullptr);
  v.add("background_htiled", &get_background<bool, &CBack::htiled>,
        &set_background<bool, &CBack::htiled>);
  v.add("background_vtiled", &get_background<bool, &CBack::vtiled>,
        &set_background<bool, &CBack::vtiled>);
  v.add("background_xscale", &get_background<double, &CBack::xscale>,
        &set_background<double, &CBack::xscale>);
  v.add("background_yscale", &get_background<double, &CBack::yscale>,
        &set_background<double, &CBack::yscale>);
  v.add("background_hspeed", &get_background<double, &CBack::hspeed>,
        &set_background<double, &CBack::hspeed>);
  v.add("background_vspeed", &get_background<double, &CBack::vspeed>,
        &set_background<double, &CBack::vspeed>);
  v.add("background_blend", &get_background<int, &CBack::blend>,
        &set_background<int, &CBack::blend>);
  v.add("background_alpha", &get_background<double, &CBack::alpha>,
        &set_background<double, &CBack::alpha>);
  v.add("view_enabled", &get_room_setting<&CRoom::views_enabled>,
        &set_room_flag<&CRoom::views_enabled>);
  v.add("view_visible", &get_view<bool, &CView::visible>, &set_view<bool, &CView::visible>);
  v.add("view_xview", &get_view<int, &CView::xview>, &set_view<int, &CView::xview>);
  v.add("view_yview", &get_view<int, &CView::yview>, &set_view<int, &CView::yview>);
  v.add("view_wview", &get_view<int, &CView::wview>, &set_view<int, &CView::wview>);
  v.add("view_hview", &get_view<int, &CView::hview>, &set_view<int, &CView::hview>);
  v.add("view_xport", &get_view<int, &CView::xport>, &set_view<int, &CView::xport>);
  v.add("view_yport", &get_view<int, &CView::yport>, &set_view<int, &CView::yport>);
  v.add("view_wport", &get_view<int, &CView::wport>, &set_view<int, &CView::wport>);
  v.add("view_hport", &get_view<int, &CView::hport>, &set_view<int, &CView::hport>);
  v.add("view_angle", &get_view<double, &CView::angle>, &set_view<double, &CView::angle>);
  v.add("view_hborder", &get_view<int, &CView::hborder>, &set_view<int, &CView::hborder>);
  v.add("view_vborder", &get_view<int, &CView::vborder>, &set_view<int, &CView::vborder>);
  v.add("view_hspeed", &get_view<int, &CView::hspeed>, &set_view<int, &CView::hspeed>);
  v.add("view_vspeed", &get_view<int, &CView::vspeed>, &set_view<int, &CView::vspeed>);
  v.add("view_object", &get_view<int, &CView::object>, &set_view<int, &CView::object>);
}

void register_input_variables(ScriptEngine& engine) {
  BuiltinVariables& v = engine.builtin_variables;
  v.add("mouse_x", &get_mouse<true>, nullptr);
  v.add("mouse_y", &get_mouse<false>, nullptr);
  v.add("mouse_button", &get_input<&InputState::current_button>,
        &set_input<&InputState::current_button>);
  v.add("mouse_lastbutton", &get_input<&InputState::last_button>,
        &set_input<&InputState::last_button>);
  v.add("keyboard_key", &get_input<&InputState::current_key>, &set_input<&InputState::current_key>);
  v.add("keyboard_lastkey", &get_input<&InputState::last_key>, &set_input<&InputState::last_key>);
  v.add("keyboard_lastchar", &get_lastchar, &set_lastchar);
  v.add("keyboard_string", &get_keyboard_string, &set_keyboard_string);
  v.add("game_id", &get_game_id, nullptr);
  v.add("debug_mode", &get_debug_mode, nullptr);
  v.add("argument_relative", &get_argument_relative, nullptr);
}

void register_score_variables(ScriptEngine& engine) {
  BuiltinVariables& v = engine.builtin_variables;
  v.add("score", &get_score_number<&GameScore::score>, &set_score_number<&GameScore::score>);
  v.add("lives", &get_score_number<&GameScore::lives>,
        &set_running_out<&GameScore::lives, 6, &lives_ran_out>);
  v.add("health", &get_score_number<&GameScore::health>,
        &set_running_out<&GameScore::health, 9, &health_ran_out>);
  v.add("show_score", &get_score_flag<&GameScore::show_score>,
        &set_score_flag<&GameScore::show_score>);
  v.add("show_lives", &get_score_flag<&GameScore::show_lives>,
        &set_score_flag<&GameScore::show_lives>);
  v.add("show_health", &get_score_flag<&GameScore::show_health>,
        &set_score_flag<&GameScore::show_health>);
  v.add("caption_score", &get_score_text<&GameScore::caption_score>,
        &set_score_text<&GameScore::caption_score>);
  v.add("caption_lives", &get_score_text<&GameScore::caption_lives>,
        &set_score_text<&GameScore::caption_lives>);
  v.add("caption_health", &get_score_text<&GameScore::caption_health>,
        &set_score_text<&GameScore::caption_health>);
  v.add("cursor_sprite", &get_score_number<&GameScore::cursor_sprite>,
        &set_score_number<&GameScore::cursor_sprite>);
}

}  // namespace kestrel
