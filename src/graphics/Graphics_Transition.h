#pragma once

#include "graphics/Graphics_Device.h"

namespace kestrel {

// Room transitions 1 to 21 are built in; others are defined by game code.
inline bool is_built_in_transition(int kind) {
  return kind >= 1 && kind <= 21;
}

// The two frames a transition blends: textures of the room left and of the
// room entered, each the size of the region.
struct TransitionFrames {
  int old_texture = -1;
  int new_texture = -1;
  int width = 0;  // the region's
  int height = 0;
  int steps = 1;  // the transition's length; interlaced kinds count in steps
};

// Draws the frame of a built-in kind for the fraction f (0 to 1) into the
// current target.
void draw_transition_frame(Graphics& graphics, int kind, const TransitionFrames& frames, double f);

}  // namespace kestrel
