#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

class Runner;

// One thing a player does at the start of a step.
struct ScriptedInput {
  enum class Kind {
    KeyDown,
    KeyUp,
    Type,
    MouseMove,
    ButtonDown,
    ButtonUp,
    Wheel,
    JoystickButtonDown,
    JoystickButtonUp,
    JoystickAxis,
    JoystickPov,
  };
  std::int64_t step = 1;
  Kind kind = Kind::KeyDown;
  // The virtual key code, the mouse or joystick button (from 1), the wheel's
  // turn (+1 away, -1 towards) or the joystick axis (0..5: x, y, z, r, u, v).
  int code = 0;
  // The joystick: 0 for the first, 1 for the second.
  int joystick = 0;
  // Where the axis stands (0..65535) or the hat's angle (hundredths of a
  // degree, 65535 centred), as the controller reports them.
  std::uint32_t position = 0;
  // The mouse's place in the window's client area.
  int x = 0;
  int y = 0;
  // The characters typed.
  std::string text;
};

// What an input file tells the next dialog (docs/input-file.md).
struct DialogAnswer {
  enum class Kind { Button, Text, Menu, File, Colour, Cancel };
  Kind kind = Kind::Cancel;
  // The button (0 for Escape), the menu item or the colour.
  int number = 0;
  // The text typed or the file chosen.
  std::string text;
  // The action as the file wrote it, for messages about it.
  std::string written;
};

// Key, mouse, wheel and joystick input for automated runs and replays, read from a text
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

  // The next answer for a dialog, whatever its step: the steps only order
  // the lines. None when every answer has been taken.
  std::optional<DialogAnswer> next_answer();

  const std::vector<ScriptedInput>& inputs() const { return inputs_; }
  const std::vector<DialogAnswer>& answers() const { return answers_; }

 private:
  std::vector<ScriptedInput> inputs_;
  std::size_t next_ = 0;
  std::vector<DialogAnswer> answers_;
  std::size_t next_answer_ = 0;
  // A script that moves joysticks stands in for the controllers from the first step.
  bool moves_joysticks_ = false;
};

}  // namespace kestrel
