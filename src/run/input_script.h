#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

class Runner;

// One thing a player does at the start of a step.
struct ScriptedInput {
  enum class Kind { KeyDown, KeyUp, Type, MouseMove, ButtonDown, ButtonUp, Wheel };
  std::int64_t step = 1;
  Kind kind = Kind::KeyDown;
  // The virtual key code, the mouse button (1..3) or the wheel's turn (+1 away, -1 towards).
  int code = 0;
  // The mouse's place in the window's client area.
  int x = 0;
  int y = 0;
  // The characters typed.
  std::string text;
};

// Key, mouse and wheel input for automated runs and replays, read from a text
// file of lines "STEP ACTION" (docs/input-file.md). It is handed to the game
// step by step, as a player would give it.
class InputScript {
 public:
  // False with `error` naming the line of the first fault.
  bool parse(std::string_view text, std::string& error);

  // Hands over everything scripted up to this step that is not yet given.
  void deliver_due(Runner& runner, std::int64_t step);
  // Hands over the input of the next step that has any, before its time, for
  // a game that waits for a key or a button; false when nothing is left.
  bool deliver_next(Runner& runner);

  const std::vector<ScriptedInput>& inputs() const { return inputs_; }

 private:
  std::vector<ScriptedInput> inputs_;
  std::size_t next_ = 0;
};

}  // namespace kestrel
