#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestrel {

class Runner;

// A transition kind that game code defined with a script or a function.
struct DefinedTransition {
  std::int32_t function = -1;  // -1: not defined
  std::string name;
};

struct RoomTransitionState {
  // The kind the last capture recorded; -1 when its surfaces could not be made.
  int in_progress = 0;
  int old_frame = -1;  // surfaces
  int new_frame = -1;
  std::vector<DefinedTransition> defined;
};

// Kinds 1 to 21 are built in; a kind game code defined takes their place.
bool transition_exists(const Runner& runner, int kind);
// Stores the function for the kind; false when the name finds no script or function.
bool define_transition(Runner& runner, int kind, const std::string& name);

// Before the room is left: draws its last frame into a surface for the
// current transition_kind and makes a second surface the target, so that
// the first frame of the next room lands there.
void capture_old_frame(Runner& runner);
// After the new room was drawn: plays the transition from the captured frame
// to the new one and presents its frames, or presents the new frame at once.
void run_transition(Runner& runner);
// When the new room is not drawn at once: the captured frames are let go and
// drawing goes to the screen again.
void drop_transition(Runner& runner);

}  // namespace kestrel
