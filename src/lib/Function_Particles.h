#pragma once

namespace kestrel {

class FunctionRegistry;

// Particle types, systems with their emitters, attractors, destroyers,
// deflectors and changers, and the particles in them.
void register_particle_functions(FunctionRegistry& functions);

}  // namespace kestrel
