#pragma once

#include <array>
#include <cstdint>

namespace kestrel {

inline constexpr int kParticleShapeCount = 14;  // pt_shape_pixel ... pt_shape_snow
inline constexpr int kParticleShapeSize = 32;

using ParticleShapeAlpha = std::array<std::uint8_t, kParticleShapeSize * kParticleShapeSize>;

// The coverage of a built-in particle shape, row by row; the shapes are
// drawn white with this alpha, so a particle's colour tints them. Drawn here
// from formulas, so the runner carries no picture files for them.
ParticleShapeAlpha particle_shape_alpha(int shape);

}  // namespace kestrel
