#include "run/particle_draw.h"

#include <numbers>

#include "data/Runner_Load.h"
#include "graphics/Graphics_Texture.h"
#include "lib/Particle_Main.h"
#include "run/Runner.h"

namespace kestrel {
namespace {

constexpr double kRadians = std::numbers::pi / 180;

struct Look {
  int texture = -1;
  double xorigin = 0, yorigin = 0;
};

// The texture a particle shows at its age, with the picture's origin.
Look look_of(Runner& runner, const ParticleTables& tables, const ParticleType& type,
             const Particle& p) {
  const CSprite* sprite = runner.game.sprites.get(type.sprite);
  if (sprite == nullptr || sprite->images.empty()) {
    if (type.shape < 0 || type.shape >= kParticleShapeCount) return {};
    constexpr double kCentre = kParticleShapeSize / 2.0;
    return {tables.shape_textures[std::size_t(type.shape)], kCentre, kCentre};
  }
  const auto frames = static_cast<std::int64_t>(sprite->images.size());
  std::int64_t frame = p.subimage;
  if (type.animate) frame += type.stretch ? frames * p.age / p.lifetime : p.age;
  frame %= frames;
  return {runner.sprite_texture(type.sprite, int(frame)), double(sprite->xorig),
          double(sprite->yorig)};
}

// `additive` is the blending the device has now; it changes only between
// particles of different blending, so runs of one look stay one batch.
void draw_particle(Runner& runner, const ParticleSystem& system, const ParticleTables& tables,
                   const Particle& p, bool& additive) {
  if (p.lifetime <= 0) return;
  const ParticleType* type = tables.types.find(p.type);
  if (type == nullptr) return;
  const Look look = look_of(runner, tables, *type, p);
  if (look.texture < 0) return;
  const double angle = p.angle + (type->angle_relative ? p.direction : 0) +
                       wiggle_wave(p.age + 2 * std::int64_t{p.phase}, 4) * type->angle_wiggle;
  const double size = p.size + wiggle_wave(p.age + std::int64_t{p.phase}, 4) * type->size_wiggle;
  if (type->additive != additive) {
    additive = type->additive;
    runner.graphics.set_blend_mode(additive ? 1 : 0);
  }
  draw_texture_ext(runner.graphics, look.texture, p.x + system.x, p.y + system.y, look.xorigin,
                   look.yorigin, type->xscale * size, type->yscale * size, angle * kRadians,
                   p.colour, p.alpha);
}

}  // namespace

void prepare_particle_textures(Runner& runner) {
  ParticleTables& tables = particles_of(runner.engine);
  for (int shape = 0; shape < kParticleShapeCount; ++shape) {
    const ParticleShapeAlpha alpha = particle_shape_alpha(shape);
    tables.shape_textures[std::size_t(shape)] = runner.graphics.textures().create_from_alpha_map(
        kParticleShapeSize, kParticleShapeSize, alpha.data());
  }
}

void draw_particle_system(Runner& runner, const ParticleSystem& system) {
  const ParticleTables& tables = particles_of(runner.engine);
  const bool interpolation = runner.graphics.states().interpolation;
  runner.graphics.set_texture_interpolation(true);
  bool additive = false;
  const auto& particles = system.particles;
  if (system.old_to_new) {
    for (const Particle& p : particles) draw_particle(runner, system, tables, p, additive);
  } else {
    for (auto p = particles.rbegin(); p != particles.rend(); ++p) {
      draw_particle(runner, system, tables, *p, additive);
    }
  }
  if (additive) runner.graphics.set_blend_mode(0);
  runner.graphics.set_texture_interpolation(interpolation);
}

}  // namespace kestrel
