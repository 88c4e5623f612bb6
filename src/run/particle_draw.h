#pragma once

namespace kestrel {

class Runner;
struct ParticleSystem;

// Makes the textures of the built-in particle shapes with the game's others.
void prepare_particle_textures(Runner& runner);
// Draws a system's particles in its draw order, each with its type's sprite
// or built-in shape; the particles of one look go to the device as one batch.
void draw_particle_system(Runner& runner, const ParticleSystem& system);

}  // namespace kestrel
