#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "script/script_host.h"

namespace kestrel {

struct GameData;
class CObject;
class CStream;

inline constexpr int kAlarmCount = 12;
// The bounding box of an instance without a sprite or mask: outside every room.
inline constexpr int kNoBox = -100000;

// The direction in degrees, counter-clockwise from the right, of a movement
// by (dx, dy) in room coordinates (y grows downwards); 0 for no movement.
double direction_of(double dx, double dy);

// One live copy of an object in the current room. The script engine sees the
// identity and user variables; the built-in variables reach these fields.
// Fields that move the bounding box or the motion vector are changed only
// through the setters, which keep the dependent fields in step.
class CInstance : public ScriptInstance {
 public:
  // A fresh instance with the object's properties; runs no event.
  CInstance(const GameData& game, std::int32_t id, std::int32_t object, double x, double y);

  // Copies every field of another instance, its id and variables included.
  void assign(const CInstance& from);

  // The record of saved games. Loading replaces every field but keeps the
  // object's record as the object index finds it; the bounding box is worked
  // out again from the sprite. False when the stream ran out or the variables
  // are not in their saved form.
  void Save(CStream& stream) const;
  bool Load(CStream& stream);

  double x() const { return x_; }
  double y() const { return y_; }
  void set_position(double x, double y);

  std::int32_t sprite() const { return sprite_; }
  void set_sprite(std::int32_t sprite);
  std::int32_t mask() const { return mask_; }
  void set_mask(std::int32_t mask);
  // Takes over the object's sprite, mask, depth and flags.
  void set_object(std::int32_t object);

  double xscale() const { return xscale_; }
  double yscale() const { return yscale_; }
  double angle() const { return angle_; }
  void set_xscale(double scale);
  void set_yscale(double scale);
  void set_angle(double degrees);

  double direction() const { return direction_; }
  double speed() const { return speed_; }
  double hspeed() const { return hspeed_; }
  double vspeed() const { return vspeed_; }
  void set_direction(double degrees);
  void set_speed(double speed);
  void set_hspeed(double hspeed);
  void set_vspeed(double vspeed);
  // Adds a vector of that direction and length to the motion.
  void add_motion(double direction, double length);
  // Friction, then gravity: once per step before the instance moves.
  void apply_friction_and_gravity() {
    if (friction != 0 || gravity != 0) slow_down_and_fall();
  }

  // Inclusive pixel rectangle of the mask in the room; kNoBox without one.
  int bbox_left() const { return bbox_[0]; }
  int bbox_top() const { return bbox_[1]; }
  int bbox_right() const { return bbox_[2]; }
  int bbox_bottom() const { return bbox_[3]; }
  // Whether the instance has a sprite or mask that exists.
  bool has_mask_sprite() const;

  // image_single: -1 while animating, else the image shown.
  double image_single() const { return image_speed != 0 ? -1 : image_index; }
  void set_image_single(double value);

  // Reading outside 0..11 gives -1; writing outside 0..11 writes alarm 0.
  std::int32_t alarm(int index) const;
  void set_alarm(int index, double value);

  const CObject* object() const;

  double image_index = 0;
  double image_speed = 1;
  double image_alpha = 1;
  std::int32_t image_blend = 0xFFFFFF;
  double depth = 0;
  double xstart = 0, ystart = 0;
  double xprevious = 0, yprevious = 0;
  double friction = 0;
  double gravity_direction = 270;
  double gravity = 0;
  bool visible = true;
  bool solid = false;
  bool persistent = false;
  bool deactivate = false;

  std::int32_t path_index = -1;
  double path_position = 0;
  double path_positionprevious = 0;
  double path_speed = 0;
  double path_scale = 1;
  double path_orientation = 0;
  std::int32_t path_endaction = 0;
  double path_xorigin = 0, path_yorigin = 0;

  std::int32_t timeline_index = -1;
  double timeline_position = 0;
  double timeline_speed = 1;
  bool timeline_running = false;
  bool timeline_loop = false;

  std::string creation_code;

 private:
  void compute_bbox();
  void slow_down_and_fall();
  void speeds_from_direction();
  void direction_from_speeds();

  const GameData* game_;
  std::int32_t sprite_ = -1;
  std::int32_t mask_ = -1;
  double xscale_ = 1, yscale_ = 1, angle_ = 0;
  double x_ = 0, y_ = 0;
  double direction_ = 0, speed_ = 0, hspeed_ = 0, vspeed_ = 0;
  std::array<int, 4> bbox_{kNoBox, kNoBox, kNoBox, kNoBox};
  std::array<std::int32_t, kAlarmCount> alarms_;
};

}  // namespace kestrel
