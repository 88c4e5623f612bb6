#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace kestrel {

// Games count in reals and draw in whole pixels; every conversion rounds to the
// nearest integer with halves to even.
inline int round_to_int(double value) {
  return static_cast<int>(std::nearbyint(value));
}

// The parts of a vertex colour.
inline constexpr std::uint32_t kAlphaBits = 0xFF000000u;
inline constexpr std::uint32_t kColourBits = 0x00FFFFFFu;
inline constexpr std::uint32_t kOpaque = kAlphaBits;

// A game colour (red in the low byte, blue in the high byte) with an alpha of
// 0..1 as one vertex colour: alpha, red, green, blue from the top byte down.
// Only the colour's low 24 bits count; an alpha that is not a number is 0.
inline std::uint32_t vertex_colour(std::int64_t bgr, double alpha) {
  const double scaled = 255.0 * alpha;
  const auto alpha_byte =
      static_cast<std::uint32_t>(round_to_int(scaled >= 0 ? std::min(scaled, 255.0) : 0.0));
  const auto colour = static_cast<std::uint32_t>(bgr);
  const std::uint32_t red = colour & 0xFF;
  const std::uint32_t green = (colour >> 8) & 0xFF;
  const std::uint32_t blue = (colour >> 16) & 0xFF;
  return alpha_byte << 24 | red << 16 | green << 8 | blue;
}

// The other way round, dropping alpha: what reading a pixel back gives to games.
inline std::int64_t game_colour(std::uint32_t argb) {
  const std::uint32_t red = (argb >> 16) & 0xFF;
  const std::uint32_t green = (argb >> 8) & 0xFF;
  const std::uint32_t blue = argb & 0xFF;
  return blue << 16 | green << 8 | red;
}

}  // namespace kestrel
