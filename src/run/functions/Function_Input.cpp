#include "platform/clock.h"
#include "platform/window.h"
#include "run/Runner.h"
#include "run/functions/families.h"

namespace kestrel {
namespace {

using platform::JoystickState;

// How long a wait for a key or button sleeps between looks at the window.
constexpr std::int64_t kWaitTickMicroseconds = 50'000;

int int_argument(const RValue* arguments, int index) {
  return round_to_int32(arguments[index].real());
}

// Hands what the window has gathered since the step began to the input state.
void process_messages(Runner& runner) {
  if (platform::Window* window = runner.layout.window()) window->pump_events(runner.input);
}

// The game stands still until the player gives what `last` records. A run
// without a player takes its scripted input early instead, and gives up when
// there is none; the close button ends the wait too, so the window can always
// be closed.
void wait_for(Runner& runner, int InputState::*last) {
  InputState& input = runner.input;
  const int closes = input.close_requests;
  input.*last = 0;
  process_messages(runner);
  while (input.*last == 0 && !input.close_event_pending && input.close_requests == closes) {
    const bool scripted = runner.next_scripted_input && runner.next_scripted_input();
    if (!scripted) {
      if (!runner.player_present) return;
      platform::Clock::sleep(kWaitTickMicroseconds);
    }
    process_messages(runner);
  }
}

// keyboard_check and its kin, and the same for the mouse buttons.
template <bool (InputState::*test)(int) const>
void input_test(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                const RValue* arguments) {
  result.set_real((runner_of(engine).input.*test)(int_argument(arguments, 0)) ? 1 : 0);
}

template <bool InputState::*flag>
void wheel_test(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                const RValue*) {
  result.set_real(runner_of(engine).input.*flag ? 1 : 0);
}

// keyboard_clear and mouse_clear: what arrived first is cleared too.
template <void (InputState::*clear)(int)>
void input_clear(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                 const RValue* arguments) {
  Runner& runner = runner_of(engine);
  process_messages(runner);
  (runner.input.*clear)(int_argument(arguments, 0));
}

template <int InputState::*last>
void input_wait(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                const RValue*) {
  wait_for(runner_of(engine), last);
}

void keyboard_check_direct(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int,
                           RValue& result, const RValue* arguments) {
  const platform::Window* window = runner_of(engine).layout.window();
  result.set_real(window != nullptr && window->key_held_now(int_argument(arguments, 0)) ? 1 : 0);
}

template <bool down>
void keyboard_inject(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                     const RValue* arguments) {
  if (platform::Window* window = runner_of(engine).layout.window()) {
    window->inject_key(int_argument(arguments, 0), down);
  }
}

void keyboard_get_numlock(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int,
                          RValue& result, const RValue*) {
  const platform::Window* window = runner_of(engine).layout.window();
  result.set_real(window != nullptr && window->numlock() ? 1 : 0);
}

void keyboard_set_numlock(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                          const RValue* arguments) {
  platform::Window* window = runner_of(engine).layout.window();
  if (window == nullptr || window->numlock() == is_true(arguments[0])) return;
  window->inject_key(platform::vk::kNumLock, true);
  window->inject_key(platform::vk::kNumLock, false);
}

void keyboard_set_map(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                      const RValue* arguments) {
  runner_of(engine).input.set_map(int_argument(arguments, 0), int_argument(arguments, 1));
}

void keyboard_get_map(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                      const RValue* arguments) {
  result.set_real(runner_of(engine).input.get_map(int_argument(arguments, 0)));
}

void keyboard_unset_map(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                        const RValue*) {
  runner_of(engine).input.unset_map();
}

void io_clear(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, const RValue*) {
  Runner& runner = runner_of(engine);
  process_messages(runner);
  runner.input.clear();
}

void io_handle(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
               const RValue*) {
  process_messages(runner_of(engine));
}

// The first joystick unless the id asks for the second.
JoystickState joystick(ScriptEngine& engine, const RValue* arguments) {
  return runner_of(engine).joystick(int_argument(arguments, 0) == 2 ? 1 : 0);
}

template <double (*read)(const JoystickState&)>
void joystick_value(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                    const RValue* arguments) {
  result.set_real(read(joystick(engine, arguments)));
}

// An axis from -1 to 1, 0 at rest.
template <int axis>
double axis_position(const JoystickState& stick) {
  return stick.axes[axis] / 32767.0 - 1;
}

double present(const JoystickState& stick) {
  return stick.present ? 1 : 0;
}

double direction_key(const JoystickState& stick) {
  return joystick_direction(stick);
}

double axis_count(const JoystickState& stick) {
  return stick.axis_count;
}

double button_count(const JoystickState& stick) {
  return stick.button_count;
}

double has_hat(const JoystickState& stick) {
  return stick.has_pov ? 1 : 0;
}

double hat_degrees(const JoystickState& stick) {
  const double degrees = stick.pov / 100.0;
  return !stick.present || degrees > 360 ? -1 : degrees;
}

void joystick_name(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                   const RValue* arguments) {
  result.set_text(joystick(engine, arguments).name);
}

void joystick_check_button(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int,
                           RValue& result, const RValue* arguments) {
  const int button = int_argument(arguments, 1);
  const bool down = button >= 1 && button <= 32 &&
                    (joystick(engine, arguments).buttons >> (button - 1) & 1u) != 0;
  result.set_real(down ? 1 : 0);
}

}  // namespace

void register_input_functions(FunctionRegistry& functions) {
  functions.add("keyboard_check", &input_test<&InputState::keyboard_check>, 1);
  functions.add("keyboard_check_pressed", &input_test<&InputState::keyboard_check_pressed>, 1);
  functions.add("keyboard_check_released", &input_test<&InputState::keyboard_check_released>, 1);
  functions.add("keyboard_check_direct", &keyboard_check_direct, 1);
  functions.add("keyboard_get_numlock", &keyboard_get_numlock, 0);
  functions.add("keyboard_set_numlock", &keyboard_set_numlock, 1);
  functions.add("keyboard_key_press", &keyboard_inject<true>, 1);
  functions.add("keyboard_key_release", &keyboard_inject<false>, 1);
  functions.add("keyboard_set_map", &keyboard_set_map, 2);
  functions.add("keyboard_get_map", &keyboard_get_map, 1);
  functions.add("keyboard_unset_map", &keyboard_unset_map, 0);
  functions.add("keyboard_clear", &input_clear<&InputState::keyboard_clear>, 1);
  functions.add("keyboard_wait", &input_wait<&InputState::last_key>, 0);
  functions.add("mouse_check_button", &input_test<&InputState::mouse_check_button>, 1);
  functions.add("mouse_check_button_pressed", &input_test<&InputState::mouse_check_button_pressed>,
                1);
  functions.add("mouse_check_button_released",
                &input_test<&InputState::mouse_check_button_released>, 1);
  functions.add("mouse_wheel_up", &wheel_test<&InputState::wheel_up>, 0);
  functions.add("mouse_wheel_down", &wheel_test<&InputState::wheel_down>, 0);
  functions.add("mouse_clear", &input_clear<&InputState::mouse_clear>, 1);
  functions.add("mouse_wait", &input_wait<&InputState::last_button>, 0);
  functions.add("io_clear", &io_clear, 0);
  functions.add("io_handle", &io_handle, 0);
  functions.add("joystick_exists", &joystick_value<&present>, 1);
  functions.add("joystick_direction", &joystick_value<&direction_key>, 1);
  functions.add("joystick_name", &joystick_name, 1);
  functions.add("joystick_axes", &joystick_value<&axis_count>, 1);
  functions.add("joystick_buttons", &joystick_value<&button_count>, 1);
  functions.add("joystick_has_pov", &joystick_value<&has_hat>, 1);
  functions.add("joystick_check_button", &joystick_check_button, 2);
  functions.add("joystick_xpos", &joystick_value<&axis_position<0>>, 1);
  functions.add("joystick_ypos", &joystick_value<&axis_position<1>>, 1);
  functions.add("joystick_zpos", &joystick_value<&axis_position<2>>, 1);
  functions.add("joystick_rpos", &joystick_value<&axis_position<3>>, 1);
  functions.add("joystick_upos", &joystick_value<&axis_position<4>>, 1);
  functions.add("joystick_vpos", &joystick_value<&axis_position<5>>, 1);
  functions.add("joystick_pov", &joystick_value<&hat_degrees>, 1);
}

}  // namespace kestrel
