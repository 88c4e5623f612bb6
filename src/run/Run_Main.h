#pragma once

#include <cstdint>
#include <functional>

namespace kestrel {

namespace platform {
class Window;
}
class Runner;

// One step of the game: every phase in its fixed order, cut short when a
// phase leaves a room change or an end pending.
void frame_step(Runner& runner);

struct LoopOptions {
  // Steps to run before stopping; -1 runs until the game ends.
  std::int64_t max_steps = -1;
  // Off, steps follow one another without waiting (automated runs).
  bool real_time = true;
  // Called before each step with its number, counting from 1, before the
  // step looks at the input.
  std::function<void(std::int64_t step)> before_step;
  // Called after each step with the number of steps run so far, while the
  // step's frame is still in the back buffer.
  std::function<void(std::int64_t steps)> after_step;
  // Called when a step ends with the game paused; returns once the game runs
  // again or has stopped. Without it a paused game runs on.
  std::function<void()> while_paused;
};

// One step of a paused game, as the debug window's step button asks: no
// waiting, the frame presented, a pending request carried out.
void single_step(Runner& runner, platform::Window& window);

// Runs steps at the room's speed until the game ends, pumping the window's
// events into the input state and presenting each frame.
void main_loop(Runner& runner, platform::Window& window, const LoopOptions& options);

// The game information as the game's record says, then the input is cleared:
// what arrived while it was shown was meant for it.
void show_game_information(Runner& runner);

}  // namespace kestrel
