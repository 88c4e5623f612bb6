#include "run/Instance_Class.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "data/Runner_Load.h"
#include "data/Support_Stream.h"
#include "script/RValue.h"

namespace kestrel {
namespace {

double radians(double degrees) {
  return degrees * std::numbers::pi / 180.0;
}

// Motion values that come within a ten-thousandth of a whole number are taken
// as that number, so that turning by whole degrees gives clean speeds.
double snap_near_integer(double value) {
  const double nearest = std::nearbyint(value);
  return std::abs(value - nearest) < 0.0001 ? nearest : value;
}

double wrap_degrees(double degrees) {
  return degrees - 360.0 * std::floor(degrees / 360.0);
}

int sub_image_count(const GameData& game, std::int32_t sprite) {
  const CSprite* found = game.sprites.get(sprite);
  return found != nullptr ? static_cast<int>(found->images.size()) : 0;
}

}  // namespace

CInstance::CInstance(const GameData& game, std::int32_t id, std::int32_t object, double x, double y)
    : game_(&game), x_(x), y_(y) {
  this->id = id;
  alarms_.fill(-1);
  xstart = xprevious = x;
  ystart = yprevious = y;
  set_object(object);
}

void CInstance::assign(const CInstance& from) {
  *this = from;
}

void CInstance::Save(CStream& stream) const {
  WriteInt(stream, id);
  WriteInt(stream, sprite_);
  for (double value : {image_index, image_speed, xscale_, yscale_, angle_, image_alpha}) {
    WriteReal(stream, value);
  }
  WriteInt(stream, image_blend);
  WriteInt(stream, mask_);
  for (double value : {depth, x_, y_, xstart, ystart, xprevious, yprevious, direction_, speed_,
                       friction, gravity_direction, gravity, hspeed_, vspeed_}) {
    WriteReal(stream, value);
  }
  for (int edge : {bbox_left(), bbox_right(), bbox_top(), bbox_bottom()}) WriteInt(stream, edge);
  WriteBool(stream, visible);
  WriteBool(stream, solid);
  WriteBool(stream, persistent);
  WriteInt(stream, object_index);
  for (std::int32_t alarm : alarms_) WriteInt(stream, alarm);
  WriteBool(stream, destroyed);
  WriteBool(stream, deactivate);
  WriteInt(stream, path_index);
  for (double value :
       {path_position, path_positionprevious, path_speed, path_scale, path_orientation}) {
    WriteReal(stream, value);
  }
  WriteInt(stream, path_endaction);
  WriteReal(stream, path_xorigin);
  WriteReal(stream, path_yorigin);
  WriteInt(stream, timeline_index);
  WriteReal(stream, timeline_position);
  WriteReal(stream, timeline_speed);
  WriteBool(stream, timeline_running);
  WriteBool(stream, timeline_loop);
  WriteString(stream, creation_code);
  variables.save(stream);
}

bool CInstance::Load(CStream& stream) {
  id = ReadInt(stream);
  sprite_ = ReadInt(stream);
  for (double* value : {&image_index, &image_speed, &xscale_, &yscale_, &angle_, &image_alpha}) {
    *value = ReadReal(stream);
  }
  image_blend = ReadInt(stream);
  mask_ = ReadInt(stream);
  for (double* value : {&depth, &x_, &y_, &xstart, &ystart, &xprevious, &yprevious, &direction_,
                        &speed_, &friction, &gravity_direction, &gravity, &hspeed_, &vspeed_}) {
    *value = ReadReal(stream);
  }
  stream.skip(4 * 4);  // the bounding box, which follows from the sprite
  visible = ReadBool(stream);
  solid = ReadBool(stream);
  persistent = ReadBool(stream);
  object_index = ReadInt(stream);
  for (std::int32_t& alarm : alarms_) alarm = ReadInt(stream);
  destroyed = ReadBool(stream);
  deactivate = ReadBool(stream);
  path_index = ReadInt(stream);
  for (double* value :
       {&path_position, &path_positionprevious, &path_speed, &path_scale, &path_orientation}) {
    *value = ReadReal(stream);
  }
  path_endaction = ReadInt(stream);
  path_xorigin = ReadReal(stream);
  path_yorigin = ReadReal(stream);
  timeline_index = ReadInt(stream);
  timeline_position = ReadReal(stream);
  timeline_speed = ReadReal(stream);
  timeline_running = ReadBool(stream);
  timeline_loop = ReadBool(stream);
  creation_code = ReadString(stream);
  const bool variables_read = variables.load(stream);
  compute_bbox();
  return variables_read && !stream.failed();
}

const CObject* CInstance::object() const {
  return game_->objects.get(object_index);
}

void CInstance::set_position(double x, double y) {
  if (x == x_ && y == y_) return;
  x_ = x;
  y_ = y;
  // Without a sprite or mask the box stays where no room reaches.
  if (mask_ >= 0 || sprite_ >= 0) compute_bbox();
}

void CInstance::set_sprite(std::int32_t sprite) {
  sprite_ = sprite;
  if (std::floor(image_index) >= sub_image_count(*game_, sprite)) image_index = 0;
  compute_bbox();
}

void CInstance::set_mask(std::int32_t mask) {
  mask_ = mask;
  compute_bbox();
}

void CInstance::set_object(std::int32_t object) {
  object_index = object;
  const CObject* record = this->object();
  if (record == nullptr) {
    compute_bbox();
    return;
  }
  mask_ = record->mask;
  depth = record->depth;
  solid = record->solid;
  visible = record->visible;
  persistent = record->persistent;
  set_sprite(record->sprite);
}

void CInstance::set_xscale(double scale) {
  if (scale == xscale_) return;
  xscale_ = scale;
  compute_bbox();
}

void CInstance::set_yscale(double scale) {
  if (scale == yscale_) return;
  yscale_ = scale;
  compute_bbox();
}

void CInstance::set_angle(double degrees) {
  if (degrees == angle_) return;
  angle_ = degrees;
  compute_bbox();
}

void CInstance::set_direction(double degrees) {
  if (degrees == direction_) return;
  direction_ = wrap_degrees(degrees);
  speeds_from_direction();
}

void CInstance::set_speed(double speed) {
  if (speed == speed_) return;
  speed_ = speed;
  speeds_from_direction();
}

void CInstance::set_hspeed(double hspeed) {
  if (hspeed == hspeed_) return;
  hspeed_ = hspeed;
  direction_from_speeds();
}

void CInstance::set_vspeed(double vspeed) {
  if (vspeed == vspeed_) return;
  vspeed_ = vspeed;
  direction_from_speeds();
}

void CInstance::speeds_from_direction() {
  hspeed_ = snap_near_integer(std::cos(radians(direction_)) * speed_);
  vspeed_ = snap_near_integer(-std::sin(radians(direction_)) * speed_);
}

double direction_of(double dx, double dy) {
  double direction = 0;
  if (dx != 0) {
    const double a = std::atan2(dy, dx) * 180.0 / std::numbers::pi;
    direction = a > 0 ? 360 - a : -a;
  } else if (dy > 0) {
    direction = 270;
  } else if (dy < 0) {
    direction = 90;
  }
  return wrap_degrees(snap_near_integer(direction));
}

void CInstance::direction_from_speeds() {
  direction_ = direction_of(hspeed_, vspeed_);
  speed_ = snap_near_integer(std::sqrt(hspeed_ * hspeed_ + vspeed_ * vspeed_));
}

void CInstance::add_motion(double direction, double length) {
  hspeed_ += std::cos(radians(direction)) * length;
  vspeed_ -= std::sin(radians(direction)) * length;
  direction_from_speeds();
}

void CInstance::slow_down_and_fall() {
  if (friction != 0) {
    const double slowed = speed_ > 0 ? speed_ - friction : speed_ + friction;
    if ((speed_ > 0 && slowed < 0) || (speed_ < 0 && slowed > 0))
      set_speed(0);
    else if (speed_ != 0)
      set_speed(slowed);
  }
  if (gravity != 0) add_motion(gravity_direction, gravity);
}

bool CInstance::has_mask_sprite() const {
  return game_->sprites.exists(mask_ >= 0 ? mask_ : sprite_);
}

void CInstance::compute_bbox() {
  const CSprite* mask = game_->sprites.get(mask_ >= 0 ? mask_ : sprite_);
  if (mask == nullptr) {
    bbox_ = {kNoBox, kNoBox, kNoBox, kNoBox};
    return;
  }
  const double l = mask->box.left, t = mask->box.top, r = mask->box.right, b = mask->box.bottom;
  const double ox = mask->xorig, oy = mask->yorig;
  int left, top, right, bottom;
  if (angle_ == 0) {
    left = round_to_int32((l - ox) * xscale_ + x_);
    right = round_to_int32((r - ox + 1) * xscale_ + x_ - 1);
    if (right < left) std::swap(left, right);
    top = round_to_int32((t - oy) * yscale_ + y_);
    bottom = round_to_int32((b - oy + 1) * yscale_ + y_ - 1);
    if (bottom < top) std::swap(top, bottom);
  } else {
    const double xl = (std::min(l, r) - ox) * xscale_;
    const double xr = (std::max(l, r) - ox + 1) * xscale_ - 1;
    const double yt = (std::min(t, b) - oy) * yscale_;
    const double yb = (std::max(t, b) - oy + 1) * yscale_ - 1;
    const double c = std::cos(radians(angle_));
    const double s = std::sin(radians(angle_));
    left = round_to_int32(x_ + std::min(c * xl, c * xr) + std::min(s * yt, s * yb));
    right = round_to_int32(x_ + std::max(c * xl, c * xr) + std::max(s * yt, s * yb));
    top = round_to_int32(y_ + std::min(c * yt, c * yb) - std::max(s * xl, s * xr));
    bottom = round_to_int32(y_ + std::max(c * yt, c * yb) - std::min(s * xl, s * xr));
  }
  bbox_ = {left, top, right, bottom};
}

void CInstance::set_image_single(double value) {
  if (value >= 0) {
    image_index = value;
    image_speed = 0;
  } else {
    image_speed = 1;
  }
}

std::int32_t CInstance::alarm(int index) const {
  return index >= 0 && index < kAlarmCount ? alarms_[static_cast<std::size_t>(index)] : -1;
}

void CInstance::set_alarm(int index, double value) {
  if (index < 0 || index >= kAlarmCount) index = 0;
  alarms_[static_cast<std::size_t>(index)] = round_to_int32(value);
}

}  // namespace kestrel
