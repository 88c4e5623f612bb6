#include "run/room_draw.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>

#include "data/Runner_Load.h"
#include "graphics/Graphics_Draw.h"
#include "graphics/Graphics_Support.h"
#include "lib/Particle_Main.h"
#include "run/Event_Main.h"
#include "run/Runner.h"
#include "run/particle_draw.h"

namespace kestrel {
namespace {

// Depths the device is given for the layers in front of and behind everything.
constexpr double kBackgroundDepth = 12000;
constexpr double kForegroundDepth = -12000;
constexpr double kNearestInstanceDepth = 11000;
constexpr double kCursorDepth = -13000;

int texture_of(const TBitmap32& image, TextureTable& textures) {
  if (!image.has_pixels()) return -1;
  std::vector<std::uint32_t> argb(static_cast<std::size_t>(image.width) * image.height);
  std::memcpy(argb.data(), image.pixels.data(), argb.size() * sizeof(std::uint32_t));
  return textures.create_from_pixels(image.width, image.height, argb.data());
}

struct Rect {
  double left, top, right, bottom;
};

void draw_backgrounds(Runner& runner, const Rect& rect, bool foreground) {
  runner.graphics.set_depth(foreground ? kForegroundDepth : kBackgroundDepth);
  for (std::size_t slot = 0; slot < runner.room->settings.backgrounds.size(); ++slot) {
    const CBack& back = runner.room->settings.backgrounds[slot];
    if (!back.visible || back.foreground != foreground) continue;
    const int texture = runner.background_texture(back.background);
    if (texture < 0) continue;
    draw_texture_tiled(runner.graphics, texture, back.x, back.y, back.xscale, back.yscale,
                       back.blend, back.alpha, back.htiled, back.vtiled,
                       {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top});
  }
}

void draw_tile(Runner& runner, const RoomTile& tile, const Rect& rect) {
  const double x1 = tile.x, x2 = tile.x + tile.width * tile.xscale;
  const double y1 = tile.y, y2 = tile.y + tile.height * tile.yscale;
  if (std::max(x1, x2) < rect.left || std::min(x1, x2) > rect.right ||
      std::max(y1, y2) < rect.top || std::min(y1, y2) > rect.bottom) {
    return;
  }
  const int texture = runner.background_texture(tile.background);
  if (texture < 0) return;
  runner.graphics.set_depth(std::min(tile.depth, kNearestInstanceDepth));
  draw_texture_part(runner.graphics, texture, tile.left, tile.top, tile.width, tile.height, tile.x,
                    tile.y, tile.xscale, tile.yscale, tile.blend, tile.alpha);
}

// Only drawing reads the device's depth, so an instance that draws nothing
// leaves it alone. `any_draw_event`: whether any object has a draw event.
void draw_instance(Runner& runner, CInstance& instance, bool any_draw_event) {
  const double depth = std::min(instance.depth, kNearestInstanceDepth);
  if (any_draw_event &&
      runner.event_lists.resolved(runner, instance.object_index, kEventDraw, 0).actions !=
          nullptr) {
    runner.graphics.set_depth(depth);
    perform_event(runner, instance, instance, instance.object_index, kEventDraw, 0);
    return;
  }
  const CSprite* sprite = runner.game.sprites.get(instance.sprite());
  if (sprite == nullptr || sprite->images.empty()) return;
  runner.graphics.set_depth(depth);
  const auto frames = static_cast<std::int64_t>(sprite->images.size());
  std::int64_t frame = static_cast<std::int64_t>(std::floor(instance.image_index)) % frames;
  if (frame < 0) frame += frames;
  const int texture = runner.sprite_texture(instance.sprite(), static_cast<int>(frame));
  if (texture < 0) return;
  draw_texture_ext(runner.graphics, texture, instance.x(), instance.y(), sprite->xorig,
                   sprite->yorig, instance.xscale(), instance.yscale(),
                   instance.angle() * std::numbers::pi / 180, instance.image_blend,
                   instance.image_alpha);
}

// The cursor sprite at the mouse, in front of everything, showing one
// subimage after the other as the steps go by.
void draw_cursor(Runner& runner) {
  const std::int32_t cursor = runner.score.cursor_sprite;
  const CSprite* sprite = runner.game.sprites.get(cursor);
  if (sprite == nullptr || sprite->images.empty()) return;
  const auto frames = static_cast<std::int32_t>(sprite->images.size());
  const int texture = runner.sprite_texture(cursor, runner.step_counter % frames);
  if (texture < 0) return;
  const PointD mouse = runner.layout.mouse_room();
  runner.graphics.set_depth(kCursorDepth);
  draw_texture_ext(runner.graphics, texture, mouse.x, mouse.y, sprite->xorig, sprite->yorig, 1, 1,
                   0, 0xFFFFFF, 1);
}

// The automatically drawn particle systems, deepest first (in id order at
// equal depths).
std::vector<const ParticleSystem*> drawn_particle_systems(Runner& runner) {
  std::vector<const ParticleSystem*> systems;
  particles_of(runner.engine).systems.each([&](const ParticleSystem& system) {
    if (system.automatic_draw) systems.push_back(&system);
  });
  std::stable_sort(
      systems.begin(), systems.end(),
      [](const ParticleSystem* a, const ParticleSystem* b) { return a->depth > b->depth; });
  return systems;
}

// Backgrounds, then instances, tiles and particle systems merged by depth (a
// tile covers an instance of the same depth, and both cover a system of
// that depth), then foregrounds and the cursor.
void draw_region(Runner& runner, const Rect& rect) {
  const CRoom& room = runner.room->settings;
  if (runner.graphics.states().mode_3d) runner.graphics.clear_depth();
  if (room.show_colour) draw_clear(runner.graphics, room.colour, 1);
  draw_backgrounds(runner, rect, false);
  RoomInstances& instances = runner.instances();
  const auto& tiles = runner.room->settings.tiles;
  const std::vector<const ParticleSystem*> systems = drawn_particle_systems(runner);
  std::size_t s = 0;
  // Systems no shallower than the next item are drawn before it; depths
  // closer than 0.01 count as the same.
  const auto draw_systems_down_to = [&](double depth) {
    for (; s < systems.size() && systems[s]->depth > depth - 0.01; ++s) {
      runner.graphics.set_depth(std::min(systems[s]->depth, kNearestInstanceDepth));
      draw_particle_system(runner, *systems[s]);
    }
  };
  // Without a draw event the walk runs no game code, so this holds throughout.
  const bool any_draw_event = !runner.event_lists.objects(kEventDraw, 0).empty();
  std::int32_t i = 0;
  std::size_t t = 0;
  while (i < instances.count() || t < tiles.size()) {
    if (i < instances.count() && (instances.at(i).destroyed || !instances.at(i).visible)) {
      ++i;
    } else if (t < tiles.size() && !tiles[t].visible) {
      ++t;
    } else if (i >= instances.count() ||
               (t < tiles.size() && tiles[t].depth >= instances.at(i).depth)) {
      draw_systems_down_to(tiles[t].depth);
      draw_tile(runner, tiles[t++], rect);
    } else {
      draw_systems_down_to(instances.at(i).depth);
      draw_instance(runner, instances.at(i++), any_draw_event);
    }
  }
  draw_systems_down_to(-std::numeric_limits<double>::infinity());
  draw_backgrounds(runner, rect, true);
  draw_cursor(runner);
}

// Moves each visible view that follows an instance so that the instance
// stays inside its borders, within the room and the view's speed.
void follow_views(Runner& runner) {
  CRoom& room = runner.room->settings;
  ViewTransforms& table = runner.layout.views();
  for (ViewTransform& entry : table) entry = ViewTransform{};
  if (!room.views_enabled) return;
  for (std::size_t v = 0; v < room.views.size(); ++v) {
    CView& view = room.views[v];
    if (!view.visible) continue;
    const CInstance* followed = nullptr;
    if (view.object >= kFirstInstanceId) {
      followed = runner.instances().find(view.object);
    } else {
      for (const CInstance* candidate : runner.instances().exact(view.object)) {
        if (!candidate->destroyed) {
          followed = candidate;
          break;
        }
      }
    }
    if (followed != nullptr && !followed->destroyed) {
      const auto follow = [](int start, int size, int border, int position, int room_size,
                             int speed) {
        int edge = start;
        if (2 * border >= size)
          edge = position - size / 2;
        else if (position - border < start)
          edge = position - border;
        else if (start + size < position + border)
          edge = position + border - size;
        if (edge < 0) edge = 0;
        if (edge + size > room_size) edge = room_size - size;
        if (speed >= 0) edge = std::clamp(edge, start - speed, start + speed);
        return edge;
      };
      view.xview = follow(view.xview, view.wview, view.hborder, round_to_int(followed->x()),
                          room.width, view.hspeed);
      view.yview = follow(view.yview, view.hview, view.vborder, round_to_int(followed->y()),
                          room.height, view.vspeed);
    }
  }
  for (std::size_t v = 0; v < room.views.size(); ++v) {
    const CView& view = room.views[v];
    if (!view.visible) continue;
    table[v] = {true,
                double(view.xview),
                double(view.yview),
                double(view.wview),
                double(view.hview),
                double(view.xport),
                double(view.yport),
                double(view.wport),
                double(view.hport),
                view.angle};
  }
}

// The room's caption followed by the score, lives and health that are shown.
std::string window_caption(const Runner& runner) {
  const GameScore& s = runner.score;
  std::string caption = runner.room->settings.caption;
  if (s.show_score && (s.score_shown_explicitly || s.score > 0)) {
    caption += " " + s.caption_score + std::to_string(s.score);
  }
  if (s.show_lives) caption += " " + s.caption_lives + std::to_string(s.lives);
  if (s.show_health) caption += " " + s.caption_health + std::to_string(round_to_int(s.health));
  return caption;
}

}  // namespace

void prepare_textures(Runner& runner) {
  runner.background_textures.clear();
  for (int index = 0; index < runner.game.backgrounds.count(); ++index) {
    refresh_background_texture(runner, index);
  }
  runner.sprite_textures.clear();
  for (int index = 0; index < runner.game.sprites.count(); ++index) {
    refresh_sprite_textures(runner, index);
  }
  runner.fonts.prepare_textures(runner.graphics.textures());
  prepare_particle_textures(runner);
}

void refresh_background_texture(Runner& runner, std::int32_t index) {
  if (index < 0) return;
  auto& textures = runner.background_textures;
  if (textures.size() <= static_cast<std::size_t>(index)) {
    textures.resize(static_cast<std::size_t>(index) + 1, -1);
  }
  int& texture = textures[static_cast<std::size_t>(index)];
  runner.graphics.textures().free(texture);
  texture = -1;
  if (const CBackground* background = runner.game.backgrounds.get(index)) {
    texture = texture_of(background->image, runner.graphics.textures());
  }
}

void refresh_sprite_textures(Runner& runner, std::int32_t index) {
  if (index < 0) return;
  auto& textures = runner.sprite_textures;
  if (textures.size() <= static_cast<std::size_t>(index)) {
    textures.resize(static_cast<std::size_t>(index) + 1);
  }
  auto& frames = textures[static_cast<std::size_t>(index)];
  for (const int texture : frames) runner.graphics.textures().free(texture);
  frames.clear();
  if (const CSprite* sprite = runner.game.sprites.get(index)) {
    for (const TBitmap32& image : sprite->images) {
      frames.push_back(texture_of(image, runner.graphics.textures()));
    }
  }
}

void fit_region_to_room(Runner& runner) {
  const CRoom& room = runner.room->settings;
  int width = room.width;
  int height = room.height;
  if (room.views_enabled) {
    width = height = 8;
    for (const CView& view : room.views) {
      if (!view.visible) continue;
      width = std::max(width, view.xport + view.wport);
      height = std::max(height, view.yport + view.hport);
    }
  }
  const platform::DisplayMode screen = runner.layout.display_mode();
  if (screen.width > 0) width = std::min(width, screen.width);
  if (screen.height > 0) height = std::min(height, screen.height);
  if (width == runner.layout.region_width() && height == runner.layout.region_height() &&
      width == runner.graphics.region_width() && height == runner.graphics.region_height()) {
    return;
  }
  runner.layout.set_region_size(width, height, true);
  runner.layout.reset_to_default();
  runner.graphics.set_region(width, height);
}

void redraw_room(Runner& runner) {
  if (!runner.graphics.has_device()) return;
  follow_views(runner);
  runner.instances().sort_by_depth();
  auto& tiles = runner.room->settings.tiles;
  std::stable_sort(tiles.begin(), tiles.end(),
                   [](const RoomTile& a, const RoomTile& b) { return a.depth > b.depth; });
  Graphics& graphics = runner.graphics;
  const CRoom& room = runner.room->settings;
  if (room.views_enabled) {
    graphics.set_viewport(0, 0, graphics.region_width(), graphics.region_height());
    draw_clear(graphics, runner.layout.color(), 1);
    for (std::size_t v = 0; v < room.views.size(); ++v) {
      const CView& view = room.views[v];
      runner.view_current = static_cast<std::int32_t>(v);
      if (!view.visible) continue;
      graphics.set_viewport(view.xport, view.yport, view.wport, view.hport);
      graphics.set_projection(view.xview, view.yview, view.wview, view.hview, view.angle);
      Rect rect{double(view.xview), double(view.yview), double(view.xview + view.wview),
                double(view.yview + view.hview)};
      if (std::abs(view.angle) >= 0.01) {
        rect = {double(view.xview - view.hview / 2), double(view.yview - view.wview / 2),
                double(view.xview + view.wview + view.hview / 2),
                double(view.yview + view.hview + view.wview / 2)};
      }
      draw_region(runner, rect);
    }
  } else {
    graphics.set_viewport(0, 0, graphics.region_width(), graphics.region_height());
    graphics.set_projection(0, 0, room.width, room.height, 0);
    draw_region(runner, {0, 0, double(room.width), double(room.height)});
  }
  runner.view_current = 0;
  graphics.set_viewport(0, 0, graphics.region_width(), graphics.region_height());
  graphics.set_projection(0, 0, graphics.region_width(), graphics.region_height(), 0);
  runner.layout.set_caption(window_caption(runner));
}

void present_room(Runner& runner) {
  if (!runner.graphics.has_device()) return;
  const platform::ScreenRectangle target = runner.layout.destination();
  runner.graphics.device()->present(target.x, target.y, target.width, target.height,
                                    vertex_colour(runner.layout.color(), 1));
}

}  // namespace kestrel
