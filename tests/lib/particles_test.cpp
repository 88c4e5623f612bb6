#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "../script/script_fixture.h"
#include "lib/Function_Particles.h"
#include "lib/Particle_Main.h"

namespace kestrel {
namespace {

class Particles : public ScriptFixture {
 protected:
  Particles() { register_particle_functions(engine.functions); }

  void run_code(std::string_view program) {
    ASSERT_TRUE(run(program)) << program << ": " << engine.errors.last_text;
  }
  ParticleList& particles(std::int32_t system = 0) {
    return particles_of(engine).systems.find(system)->particles;
  }
};

TEST_F(Particles, IdsTakeTheFirstFreeSlotAndMissingIdsAreIgnored) {
  EXPECT_EQ(real_of("part_type_create() + part_type_create() * 10"), 10);
  run_code("part_type_destroy(0); s = part_system_create(); part_particles_create(s, 0, 0, 7, 5)");
  EXPECT_EQ(real_of("part_type_create()"), 0);
  EXPECT_EQ(real_of("part_particles_count(0) + part_particles_count(5) + part_type_exists(9)"), 0);
  EXPECT_EQ(real_of("part_emitter_create(0) * 10 + part_emitter_create(0)"), 1);
  EXPECT_EQ(real_of("part_emitter_exists(0, 1) + part_emitter_exists(3, 0)"), 1);
  EXPECT_FALSE(engine.errors.error_occurred);
}

TEST_F(Particles, AParticleWithLifetimeOneDiesInItsFirstUpdate) {
  run_code(
      "t = part_type_create(); part_type_life(t, 1, 1); s = part_system_create(); "
      "part_particles_create(s, 5, 5, t, 3)");
  EXPECT_EQ(particles().size(), 3u);
  run_code("part_system_update(s)");
  EXPECT_TRUE(particles().empty());
}

TEST_F(Particles, ANegativeDeathNumberIsAChance) {
  run_code(
      "random_set_seed(11); t = part_type_create(); d = part_type_create(); part_type_life(t, 1, "
      "1); part_type_death(t, -4, d); s = part_system_create(); part_particles_create(s, 0, 0, "
      "t, 4000); part_system_update(s)");
  // Death particles are made at the dying one's place and live on.
  EXPECT_NEAR(double(particles().size()), 1000, 120);
  for (const Particle& p : particles()) EXPECT_EQ(p.type, 1);
}

TEST_F(Particles, AlphaFadesThroughTheMiddleValueAtHalfLife) {
  run_code(
      "t = part_type_create(); part_type_life(t, 10, 10); part_type_alpha2(t, 1, 0); "
      "s = part_system_create(); part_particles_create(s, 0, 0, t, 1); repeat (5) "
      "part_system_update(s)");
  ASSERT_EQ(particles().size(), 1u);
  EXPECT_DOUBLE_EQ(particles()[0].alpha, 0.5);
}

TEST_F(Particles, ColoursMergeOverLife) {
  run_code(
      "t = part_type_create(); part_type_life(t, 4, 4); part_type_color2(t, 0, 254); "
      "s = part_system_create(); part_particles_create(s, 0, 0, t, 1); repeat (2) "
      "part_system_update(s)");
  EXPECT_EQ(particles()[0].colour, 127);
}

TEST_F(Particles, EllipseBurstsStayOutOfTheCorners) {
  run_code(
      "random_set_seed(5); t = part_type_create(); s = part_system_create(); e = "
      "part_emitter_create(s); part_emitter_region(s, e, 0, 100, 0, 100, ps_shape_ellipse, "
      "ps_distr_linear); part_emitter_burst(s, e, t, 2000)");
  ASSERT_EQ(particles().size(), 2000u);
  for (const Particle& p : particles()) {
    const double u = (p.x - 50) / 50, v = (p.y - 50) / 50;
    EXPECT_LE(u * u + v * v, 1.0 + 1e-9);
  }
}

TEST_F(Particles, GravityAndDeflectorsChangeTheMotion) {
  run_code(
      "t = part_type_create(); part_type_speed(t, 2, 2, 0, 0); part_type_direction(t, 0, 0, 0, "
      "0); part_type_gravity(t, 1, 270); s = part_system_create(); part_particles_create(s, 10, "
      "10, t, 1); part_system_update(s)");
  Particle& p = particles()[0];
  EXPECT_NEAR(p.x, 12, 1e-9);
  EXPECT_NEAR(p.y, 11, 1e-9);
  EXPECT_NEAR(p.speed, std::sqrt(5.0), 1e-12);
  // A deflector whose friction is above the speed stops the particle, and
  // its step of (2, 2) is turned back in x.
  run_code(
      "d = part_deflector_create(s); part_deflector_region(s, d, 0, 100, 0, 100); "
      "part_deflector_kind(s, d, ps_deflect_horizontal); part_deflector_friction(s, d, 10); "
      "part_system_update(s)");
  EXPECT_EQ(particles()[0].speed, 0);
  EXPECT_NEAR(particles()[0].x, 10, 1e-9);
  EXPECT_NEAR(particles()[0].y, 13, 1e-9);
}

TEST_F(Particles, DestroyersRemoveWhatIsInsideTheirShape) {
  run_code(
      "t = part_type_create(); s = part_system_create(); part_particles_create(s, 1, 1, t, 1); "
      "part_particles_create(s, 5, 5, t, 1); d = part_destroyer_create(s); "
      "part_destroyer_region(s, d, 0, 10, 0, 10, ps_shape_diamond); part_system_update(s)");
  ASSERT_EQ(particles().size(), 1u);
  EXPECT_EQ(particles()[0].x, 1);
}

TEST_F(Particles, ChangersTurnParticlesOfOneTypeIntoAnother) {
  run_code(
      "a = part_type_create(); b = part_type_create(); part_type_life(b, 9, 9); "
      "part_type_color1(b, c_lime); s = part_system_create(); part_particles_create(s, 5, 5, a, "
      "1); part_particles_create(s, 50, 50, a, 1); c = part_changer_create(s); "
      "part_changer_region(s, c, 0, 10, 0, 10, ps_shape_rectangle); part_changer_types(s, c, a, "
      "b); part_changer_kind(s, c, ps_change_shape); part_system_update(s)");
  EXPECT_EQ(particles()[0].type, 1);
  EXPECT_EQ(particles()[0].colour, 65280);
  EXPECT_EQ(particles()[0].lifetime, 100);  // the shape kind keeps the life
  EXPECT_EQ(particles()[1].type, 0);
}

TEST_F(Particles, StreamsEmitEveryUpdate) {
  run_code(
      "t = part_type_create(); s = part_system_create(); e = part_emitter_create(s); "
      "part_emitter_region(s, e, 0, 10, 0, 10, 0, 0); part_emitter_stream(s, e, t, 3); "
      "repeat (4) part_system_update(s)");
  EXPECT_EQ(particles().size(), 12u);
}

TEST_F(Particles, RunawayCountsStopAtTheSystemsCap) {
  run_code(
      "t = part_type_create(); s = part_system_create(); part_particles_create(s, 0, 0, t, "
      "1000000000); part_particles_create(s, 0, 0, t, 5)");
  EXPECT_EQ(particles().size(), ParticleSystem::kMaxParticles);
}

TEST_F(Particles, ASeededRunRepeats) {
  const std::string program =
      "random_set_seed(9); part_type_clear(0); part_type_speed(0, 1, 4, 0, 1); "
      "part_type_direction(0, 0, 360, 0, 5); part_type_life(0, 5, 30); part_system_clear(0); "
      "part_particles_create(0, 0, 0, 0, 50); repeat (10) part_system_update(0)";
  run_code("part_type_create(); part_system_create()");
  run_code(program);
  const std::vector<Particle> first(particles().begin(), particles().end());
  run_code(program);
  ASSERT_EQ(particles().size(), first.size());
  for (std::size_t i = 0; i < first.size(); ++i) {
    EXPECT_EQ(particles()[i].x, first[i].x);
    EXPECT_EQ(particles()[i].lifetime, first[i].lifetime);
  }
}

// A system with nothing but motion and looks takes one pass over its
// particles, a system with a destroyer the separate passes; a destroyer
// whose region is empty destroys nothing, so both must leave the same
// particles in the same order, through deaths at the front and in the
// middle, step and death particles, and streams.
TEST_F(Particles, OnePassAndSeparatePassesAgree) {
  const std::string program =
      "random_set_seed(4); part_type_clear(0); part_type_clear(1); part_type_life(0, 3, 40); "
      "part_type_speed(0, 1, 3, -0.05, 0); part_type_direction(0, 0, 360, 2, 3); "
      "part_type_color3(0, c_red, c_lime, c_blue); part_type_alpha3(0, 1, 0.5, 0); "
      "part_type_step(0, -3, 1); part_type_death(0, 2, 1); part_type_life(1, 1, 6); "
      "part_type_size(1, 1, 2, 0.1, 0); part_system_clear(0); e = part_emitter_create(0); "
      "part_emitter_region(0, e, 0, 50, 0, 50, ps_shape_ellipse, ps_distr_gaussian); "
      "part_emitter_stream(0, e, 0, 7); ";
  run_code("part_type_create(); part_type_create(); part_system_create()");
  run_code(program + "repeat (120) part_system_update(0)");
  const std::vector<Particle> one_pass(particles().begin(), particles().end());
  ASSERT_GT(one_pass.size(), 100u);
  run_code(program +
           "d = part_destroyer_create(0); part_destroyer_region(0, d, 10, 10, 0, 50, "
           "ps_shape_rectangle); "
           "repeat (120) part_system_update(0)");
  ASSERT_EQ(particles().size(), one_pass.size());
  for (std::size_t i = 0; i < one_pass.size(); ++i) {
    const Particle& p = particles()[i];
    ASSERT_EQ(p.type, one_pass[i].type) << i;
    EXPECT_EQ(p.age, one_pass[i].age) << i;
    EXPECT_EQ(p.x, one_pass[i].x) << i;
    EXPECT_EQ(p.y, one_pass[i].y) << i;
    EXPECT_EQ(p.colour, one_pass[i].colour) << i;
    EXPECT_EQ(p.alpha, one_pass[i].alpha) << i;
    EXPECT_EQ(p.size, one_pass[i].size) << i;
  }
}

TEST_F(Particles, SystemClearRestoresTheDefaults) {
  run_code(
      "s = part_system_create(); part_system_depth(s, 40); part_system_automatic_draw(s, 0); "
      "part_emitter_create(s); part_system_clear(s)");
  const ParticleSystem& system = *particles_of(engine).systems.find(0);
  EXPECT_EQ(system.depth, 0);
  EXPECT_TRUE(system.automatic_draw);
  EXPECT_TRUE(system.emitters.empty());
}

TEST_F(Particles, EffectsUseTheirOwnSystemsAboveAndBelow) {
  // Any size but 0 and 2 is medium: the explosion's 40 particles and its
  // black core.
  run_code(
      "effect_create_above(ef_explosion, 10, 10, 5, c_red); effect_create_below(ef_ring, 0, "
      "0, 0, c_white); effect_create_below(12, 0, 0, 0, c_white)");
  const ParticleTables& tables = particles_of(engine);
  const ParticleSystem& above = *tables.systems.find(tables.effect_systems[1]);
  const ParticleSystem& below = *tables.systems.find(tables.effect_systems[0]);
  EXPECT_EQ(above.depth, -100000);
  EXPECT_EQ(below.depth, 100000);
  ASSERT_EQ(above.particles.size(), 41u);
  EXPECT_EQ(above.particles.front().colour, 255);
  EXPECT_EQ(above.particles.back().colour, 0);
  EXPECT_EQ(below.particles.size(), 1u);
  run_code("effect_clear()");
  EXPECT_TRUE(above.particles.empty());
  EXPECT_TRUE(below.particles.empty());
}

TEST_F(Particles, ActionsKeepTheirOwnSystemTypesAndEmitters) {
  run_code("action_partemit_burst(0, 0, 5)");
  EXPECT_TRUE(engine.errors.error_last.ends_with("The particle emitter must first be created."))
      << engine.errors.error_last;
  run_code(
      "action_parttype_create(3, pt_shape_disk, -1, 1, 1, 0); action_parttype_life(3, 7, 7); "
      "action_partemit_create(0, ps_shape_rectangle, 0, 10, 0, 10); action_partemit_burst(0, 3, "
      "4)");
  const ParticleTables& tables = particles_of(engine);
  ASSERT_EQ(particles(tables.action_system).size(), 4u);
  EXPECT_EQ(particles(tables.action_system)[0].lifetime, 7);
  // A new action system forgets the slots, so the next type is a new one.
  run_code("action_partsyst_create(50); action_parttype_life(3, 9, 9)");
  EXPECT_EQ(tables.systems.find(tables.action_system)->depth, 50);
  EXPECT_EQ(tables.types.find(tables.action_types[3])->life_min, 9);
  EXPECT_EQ(real_of("part_type_exists(0) + part_type_exists(1)"), 2);
}

}  // namespace
}  // namespace kestrel
