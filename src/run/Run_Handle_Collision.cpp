#include "run/Run_Handle_Collision.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "data/Runner_Load.h"
#include "run/Event_Main.h"
#include "run/Motion_Path.h"
#include "run/Runner.h"
#include "run/collision_grid.h"

namespace kestrel {
namespace {

// Where the instance's mask lies; false when it has no usable mask sprite.
bool placement_of(const Runner& runner, const CInstance& instance, MaskPlacement& placed) {
  const CSprite* sprite =
      runner.game.sprites.get(instance.mask() >= 0 ? instance.mask() : instance.sprite());
  if (sprite == nullptr || sprite->images.empty() || sprite->masks.empty()) return false;
  std::size_t frame = 0;
  if (sprite->masks.size() > 1) {
    const auto count = static_cast<std::int64_t>(sprite->masks.size());
    std::int64_t index = static_cast<std::int64_t>(std::floor(instance.image_index)) % count;
    if (index < 0) index += count;
    frame = static_cast<std::size_t>(index);
  }
  placed.mask = &sprite->masks[frame];
  placed.x = round_to_int32(instance.x());
  placed.y = round_to_int32(instance.y());
  placed.xorig = sprite->xorig;
  placed.yorig = sprite->yorig;
  placed.xscale = instance.xscale();
  placed.yscale = instance.yscale();
  placed.angle = instance.angle();
  placed.box = box_of(instance);
  return true;
}

bool boxes_overlap(const CInstance& a, const CInstance& b) {
  return a.bbox_right() + 1 > b.bbox_left() && b.bbox_right() + 1 > a.bbox_left() &&
         a.bbox_bottom() + 1 > b.bbox_top() && b.bbox_bottom() + 1 > a.bbox_top();
}

bool box_meets(const CInstance& instance, const Corners& shape) {
  return !instance.destroyed && instance.bbox_right() + 1 > shape.left &&
         instance.bbox_left() <= shape.right && instance.bbox_bottom() + 1 > shape.top &&
         instance.bbox_top() <= shape.bottom;
}

// The pixel test of the instance's mask against a shape in whole pixels.
template <class MaskTest>
bool mask_meets(const Runner& runner, const CInstance& instance, MaskTest test) {
  MaskPlacement placed;
  return placement_of(runner, instance, placed) && test(placed);
}

// Whether self would collide at (x, y) with an instance `counts` accepts.
template <class Counts>
bool meets_at(Runner& runner, CInstance& self, double x, double y, Counts counts) {
  const double old_x = self.x(), old_y = self.y();
  self.set_position(x, y);
  bool met = false;
  RoomInstances& instances = runner.instances();
  for (std::int32_t i = 0; i < instances.count() && !met; ++i) {
    const CInstance& other = instances.at(i);
    met = counts(other) && instances_collide(runner, self, other, true);
  }
  self.set_position(old_x, old_y);
  return met;
}

void move_back(CInstance& instance) {
  instance.set_position(instance.xprevious, instance.yprevious);
  instance.path_position = instance.path_positionprevious;
}

}  // namespace

bool meets_rectangle(const Runner& runner, const CInstance& instance, const Corners& shape,
                     bool precise) {
  if (!box_meets(instance, shape)) return false;
  return !precise || mask_meets(runner, instance, [&](const MaskPlacement& placed) {
    return MaskHitsRectangle(placed, round_to_int32(shape.left), round_to_int32(shape.top),
                             round_to_int32(shape.right), round_to_int32(shape.bottom));
  });
}

// The ellipse inscribed in the corners' rectangle.
bool meets_ellipse(const Runner& runner, const CInstance& instance, const Corners& shape,
                   bool precise) {
  const int left = round_to_int32(shape.left), right = round_to_int32(shape.right);
  const int top = round_to_int32(shape.top), bottom = round_to_int32(shape.bottom);
  if (left == right || top == bottom) return meets_rectangle(runner, instance, shape, precise);
  if (!box_meets(instance, shape)) return false;
  const double cx = (shape.left + shape.right) / 2, cy = (shape.top + shape.bottom) / 2;
  const double rx = (shape.right - shape.left) / 2, ry = (shape.bottom - shape.top) / 2;
  const auto inside = [&](double x, double y) {
    const double dx = (x - cx) / rx, dy = (y - cy) / ry;
    return dx * dx + dy * dy <= 1;
  };
  const double box_left = instance.bbox_left(), box_right = instance.bbox_right();
  const double box_top = instance.bbox_top(), box_bottom = instance.bbox_bottom();
  // The boxes overlap; the ellipse misses the box only past one of its corners.
  const bool touches = (box_left <= cx && cx <= box_right) || (box_top <= cy && cy <= box_bottom) ||
                       inside(box_left, box_top) || inside(box_right, box_top) ||
                       inside(box_left, box_bottom) || inside(box_right, box_bottom);
  if (!touches) return false;
  return !precise || mask_meets(runner, instance, [&](const MaskPlacement& placed) {
    return MaskHitsEllipse(placed, left, top, right, bottom);
  });
}

bool meets_line(const Runner& runner, const CInstance& instance, double x1, double y1, double x2,
                double y2, bool precise) {
  if (!box_meets(instance, Corners(x1, y1, x2, y2))) return false;
  if (x1 > x2) {
    std::swap(x1, x2);
    std::swap(y1, y2);
  }
  // The part of the line between the box's left and right edges; a vertical
  // line already lies between them.
  const double left = instance.bbox_left(), right = instance.bbox_right() + 1;
  if (x1 != x2) {
    const double slope = (y2 - y1) / (x2 - x1);
    if (x1 < left) {
      y1 += (left - x1) * slope;
      x1 = left;
    }
    if (x2 > right) {
      y2 -= (x2 - right) * slope;
      x2 = right;
    }
  }
  const double top = instance.bbox_top(), bottom = instance.bbox_bottom() + 1;
  if ((y1 < top && y2 < top) || (y1 >= bottom && y2 >= bottom)) return false;
  return !precise || mask_meets(runner, instance, [&](const MaskPlacement& placed) {
    return MaskHitsLine(placed, round_to_int32(x1), round_to_int32(y1), round_to_int32(x2),
                        round_to_int32(y2));
  });
}

bool place_free_at(Runner& runner, CInstance& self, double x, double y) {
  return !meets_at(runner, self, x, y, [](const CInstance& other) { return other.solid; });
}

bool place_empty_at(Runner& runner, CInstance& self, double x, double y) {
  return !meets_at(runner, self, x, y, [](const CInstance&) { return true; });
}

std::int32_t instance_met_at(Runner& runner, CInstance& self, ScriptInstance& other, double x,
                             double y, std::int32_t specifier) {
  const double old_x = self.x(), old_y = self.y();
  self.set_position(x, y);
  std::int32_t found = kNoone;
  for_each_candidate(runner, self, other, specifier, [&](CInstance& candidate) {
    if (!instances_collide(runner, self, candidate, true)) return true;
    found = candidate.id;
    return false;
  });
  self.set_position(old_x, old_y);
  return found;
}

bool instance_covers_point(const Runner& runner, const CInstance& instance, double px, double py,
                           bool precise) {
  if (instance.destroyed || px < instance.bbox_left() || px >= instance.bbox_right() + 1 ||
      py < instance.bbox_top() || py >= instance.bbox_bottom() + 1) {
    return false;
  }
  if (!precise) return true;
  MaskPlacement placed;
  return placement_of(runner, instance, placed) &&
         MaskHits(placed, round_to_int32(px), round_to_int32(py));
}

bool instances_collide(const Runner& runner, const CInstance& a, const CInstance& b, bool precise) {
  if (&a == &b || a.destroyed || b.destroyed || !boxes_overlap(a, b)) return false;
  if (!precise) return true;
  MaskPlacement placed_a, placed_b;
  return placement_of(runner, a, placed_a) && placement_of(runner, b, placed_b) &&
         MasksCollide(placed_a, placed_b);
}

void run_collision_events(Runner& runner) {
  // The grid only skips pairs whose boxes cannot overlap; the pairs that are
  // tested, and so the events, come in the same order as without it.
  CollisionGrid grid;
  std::vector<std::uint32_t> near;
  for (const auto& [object_a, object_b] : runner.event_lists.collision_pairs()) {
    // Fetched again after every event: an instance of an object made at run
    // time can move the tables.
    const std::vector<CInstance*>* as = &runner.instances().exact(object_a);
    const std::vector<CInstance*>* bs = &runner.instances().exact(object_b);
    grid.build(*bs);
    for (std::size_t i = 0; i < as->size(); ++i) {
      CInstance& p = *(*as)[i];
      if (p.destroyed) continue;
      const std::size_t first = object_a == object_b ? i : 0;
      grid.candidates(box_of(p), first, near);
      std::size_t c = 0;
      while (c < near.size()) {
        const std::size_t j = near[c++];
        CInstance& q = *(*bs)[j];
        if (!instances_collide(runner, p, q, true)) continue;
        const bool solid = p.solid || q.solid;
        if (solid) {
          move_back(p);
          move_back(q);
        }
        perform_event(runner, p, q, p.object_index, kEventCollision, q.object_index);
        perform_event(runner, q, p, q.object_index, kEventCollision, p.object_index);
        if (solid) {
          path_step(runner, p);
          path_step(runner, q);
          p.set_position(p.x() + p.hspeed(), p.y() + p.vspeed());
          q.set_position(q.x() + q.hspeed(), q.y() + q.vspeed());
          if (instances_collide(runner, p, q, true)) {
            move_back(p);
            move_back(q);
          }
        }
        // The events may have moved, made or changed instances, self included.
        as = &runner.instances().exact(object_a);
        bs = &runner.instances().exact(object_b);
        grid.refresh(*bs);
        grid.candidates(box_of(p), j + 1, near);
        c = 0;
      }
    }
  }
}

}  // namespace kestrel
