#include "run/instance_variables.h"

#include <algorithm>

#include "data/Runner_Load.h"
#include "run/Event_Main.h"
#include "run/Runner.h"
#include "run/room_lifecycle.h"
#include "script/Code_Error.h"

namespace kestrel {
namespace {

bool flag(const RValue& value) {
  return round_to_int32(value.real()) >= 1;
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
  if constexpr (std::is_same_v<Field, bool>)
    target = flag(value);
  else if constexpr (std::is_same_v<Field, std::int32_t>)
    target = round_to_int32(value.real());
  else
    target = value.real();
  return true;
}

// Fields behind a getter and a setter that keep other fields in step.
template <auto getter>
bool get_through(ScriptEngine&, ScriptInstance& instance, std::int32_t, RValue& value) {
  value.set_real(static_cast<double>((instance_of(instance).*getter)()));
  return true;
}

template <auto setter>
bool set_through(ScriptEngine&, ScriptInstance& instance, std::int32_t, const RValue& value) {
  (instance_of(instance).*setter)(value.real());
  return true;
}

template <auto setter>
bool set_index_through(ScriptEngine&, ScriptInstance& instance, std::int32_t, const RValue& value) {
  (instance_of(instance).*setter)(round_to_int32(value.real()));
  return true;
}

bool get_id(ScriptEngine&, ScriptInstance& instance, std::int32_t, RValue& value) {
  value.set_real(instance.id);
  return true;
}

bool get_object_index(ScriptEngine&, ScriptInstance& instance, std::int32_t, RValue& value) {
  value.set_real(instance.object_index);
  return true;
}

bool set_x(ScriptEngine&, ScriptInstance& instance, std::int32_t, const RValue& value) {
  CInstance& self = instance_of(instance);
  self.set_position(value.real(), self.y());
  return true;
}

bool set_y(ScriptEngine&, ScriptInstance& instance, std::int32_t, const RValue& value) {
  CInstance& self = instance_of(instance);
  self.set_position(self.x(), value.real());
  return true;
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

bool get_room_width(ScriptEngine& engine, ScriptInstance&, std::int32_t, RValue& value) {
  value.set_real(runner_of(engine).room->settings.width);
  return true;
}

bool get_room_height(ScriptEngine& engine, ScriptInstance&, std::int32_t, RValue& value) {
  value.set_real(runner_of(engine).room->settings.height);
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

bool get_room_persistent(ScriptEngine& engine, ScriptInstance&, std::int32_t, RValue& value) {
  value.set_real(runner_of(engine).room->settings.persistent ? 1 : 0);
  return true;
}

bool set_room_persistent(ScriptEngine& engine, ScriptInstance&, std::int32_t, const RValue& value) {
  runner_of(engine).room->settings.persistent = flag(value);
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
template <double GameScore::*field>
bool get_score_real(ScriptEngine& engine, ScriptInstance&, std::int32_t, RValue& value) {
  value.set_real(runner_of(engine).score.*field);
  return true;
}

bool set_score(ScriptEngine& engine, ScriptInstance&, std::int32_t, const RValue& value) {
  runner_of(engine).score.score = value.real();
  return true;
}

// Lives and health run their event when they run out, not when they stay out.
template <double GameScore::*field, int event_number, bool (*ran_out)(double, double)>
bool set_running_out(ScriptEngine& engine, ScriptInstance&, std::int32_t, const RValue& value) {
  Runner& runner = runner_of(engine);
  const double old = runner.score.*field;
  runner.score.*field = value.real();
  if (ran_out(old, value.real())) perform_event_all(runner, kEventOther, event_number);
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

bool get_cursor_sprite(ScriptEngine& engine, ScriptInstance&, std::int32_t, RValue& value) {
  value.set_real(runner_of(engine).score.cursor_sprite);
  return true;
}

bool set_cursor_sprite(ScriptEngine& engine, ScriptInstance&, std::int32_t, const RValue& value) {
  runner_of(engine).score.cursor_sprite = round_to_int32(value.real());
  return true;
}

}  // namespace

void register_instance_variables(ScriptEngine& engine) {
  BuiltinVariables& v = engine.builtin_variables;
  v.add("x", &get_through<&CInstance::x>, &set_x);
  v.add("y", &get_through<&CInstance::y>, &set_y);
  v.add("xprevious", &get_field<double, &CInstance::xprevious>,
        &set_field<double, &CInstance::xprevious>);
  v.add("yprevious", &get_field<double, &CInstance::yprevious>,
        &set_field<double, &CInstance::yprevious>);
  v.add("xstart", &get_field<double, &CInstance::xstart>, &set_field<double, &CInstance::xstart>);
  v.add("ystart", &get_field<double, &CInstance::ystart>, &set_field<double, &CInstance::ystart>);
  v.add("hspeed", &get_through<&CInstance::hspeed>, &set_through<&CInstance::set_hspeed>);
  v.add("vspeed", &get_through<&CInstance::vspeed>, &set_through<&CInstance::set_vspeed>);
  v.add("direction", &get_through<&CInstance::direction>, &set_through<&CInstance::set_direction>);
  v.add("speed", &get_through<&CInstance::speed>, &set_through<&CInstance::set_speed>);
  v.add("friction", &get_field<double, &CInstance::friction>,
        &set_field<double, &CInstance::friction>);
  v.add("gravity", &get_field<double, &CInstance::gravity>,
        &set_field<double, &CInstance::gravity>);
  v.add("gravity_direction", &get_field<double, &CInstance::gravity_direction>,
        &set_field<double, &CInstance::gravity_direction>);
  v.add("object_index", &get_object_index, nullptr);
  v.add("id", &get_id, nullptr);
  v.add("alarm", &get_alarm, &set_alarm);
  v.add("solid", &get_field<bool, &CInstance::solid>, &set_field<bool, &CInstance::solid>);
  v.add("visible", &get_field<bool, &CInstance::visible>, &set_field<bool, &CInstance::visible>);
  v.add("persistent", &get_field<bool, &CInstance::persistent>,
        &set_field<bool, &CInstance::persistent>);
  v.add("depth", &get_field<double, &CInstance::depth>, &set_field<double, &CInstance::depth>);
  v.add("bbox_left", &get_through<&CInstance::bbox_left>, nullptr);
  v.add("bbox_right", &get_through<&CInstance::bbox_right>, nullptr);
  v.add("bbox_top", &get_through<&CInstance::bbox_top>, nullptr);
  v.add("bbox_bottom", &get_through<&CInstance::bbox_bottom>, nullptr);
  v.add("sprite_index", &get_through<&CInstance::sprite>,
        &set_index_through<&CInstance::set_sprite>);
  v.add("image_index", &get_field<double, &CInstance::image_index>,
        &set_field<double, &CInstance::image_index>);
  v.add("image_single", &get_through<&CInstance::image_single>,
        &set_through<&CInstance::set_image_single>);
  v.add("image_number", &get_sprite_measure<SpriteMeasure::images>, nullptr);
  v.add("sprite_width", &get_sprite_measure<SpriteMeasure::width>, nullptr);
  v.add("sprite_height", &get_sprite_measure<SpriteMeasure::height>, nullptr);
  v.add("sprite_xoffset", &get_sprite_measure<SpriteMeasure::xoffset>, nullptr);
  v.add("sprite_yoffset", &get_sprite_measure<SpriteMeasure::yoffset>, nullptr);
  v.add("image_xscale", &get_through<&CInstance::xscale>, &set_through<&CInstance::set_xscale>);
  v.add("image_yscale", &get_through<&CInstance::yscale>, &set_through<&CInstance::set_yscale>);
  v.add("image_angle", &get_through<&CInstance::angle>, &set_through<&CInstance::set_angle>);
  v.add("image_alpha", &get_field<double, &CInstance::image_alpha>,
        &set_field<double, &CInstance::image_alpha>);
  v.add("image_blend", &get_field<std::int32_t, &CInstance::image_blend>,
        &set_field<std::int32_t, &CInstance::image_blend>);
  v.add("image_speed", &get_field<double, &CInstance::image_speed>,
        &set_field<double, &CInstance::image_speed>);
  v.add("mask_index", &get_through<&CInstance::mask>, &set_index_through<&CInstance::set_mask>);
  v.add("path_index", &get_field<std::int32_t, &CInstance::path_index>, nullptr);
  v.add("path_position", &get_field<double, &CInstance::path_position>, &set_path_position);
  v.add("path_positionprevious", &get_field<double, &CInstance::path_positionprevious>,
        &set_path_positionprevious);
  v.add("path_speed", &get_field<double, &CInstance::path_speed>,
        &set_field<double, &CInstance::path_speed>);
  v.add("path_scale", &get_field<double, &CInstance::path_scale>,
        &set_field<double, &CInstance::path_scale>);
  v.add("path_orientation", &get_field<double, &CInstance::path_orientation>,
        &set_field<double, &CInstance::path_orientation>);
  v.add("path_endaction", &get_field<std::int32_t, &CInstance::path_endaction>,
        &set_field<std::int32_t, &CInstance::path_endaction>);
  v.add("timeline_index", &get_field<std::int32_t, &CInstance::timeline_index>,
        &set_field<std::int32_t, &CInstance::timeline_index>);
  v.add("timeline_position", &get_field<double, &CInstance::timeline_position>,
        &set_field<double, &CInstance::timeline_position>);
  v.add("timeline_speed", &get_field<double, &CInstance::timeline_speed>,
        &set_field<double, &CInstance::timeline_speed>);
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
  v.add("room_width", &get_room_width, nullptr);
  v.add("room_height", &get_room_height, nullptr);
  v.add("room_caption", &get_room_caption, &set_room_caption);
  v.add("room_speed", &get_room_speed, &set_room_speed);
  v.add("room_persistent", &get_room_persistent, &set_room_persistent);
  v.add("instance_count", &get_instance_count, nullptr);
  v.add("instance_id", &get_instance_id, nullptr);
  v.add("fps", &get_fps, nullptr);
}

void register_score_variables(ScriptEngine& engine) {
  BuiltinVariables& v = engine.builtin_variables;
  v.add("score", &get_score_real<&GameScore::score>, &set_score);
  v.add("lives", &get_score_real<&GameScore::lives>,
        &set_running_out<&GameScore::lives, 6, &lives_ran_out>);
  v.add("health", &get_score_real<&GameScore::health>,
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
  v.add("cursor_sprite", &get_cursor_sprite, &set_cursor_sprite);
}

}  // namespace kestrel
