#include "run/input_script.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <optional>

#include "run/Runner.h"
#include "script/Code_Constant.h"

namespace kestrel {
namespace {

using Kind = ScriptedInput::Kind;

// A line cut into words; text in double quotes stays one word, kept with its
// quotes so that the action can tell it from a bare word.
struct Words {
  std::vector<std::string_view> words;
  std::string error;
};

Words split(std::string_view line) {
  Words result;
  std::size_t at = 0;
  while (at < line.size()) {
    const char c = line[at];
    if (c == '#') break;
    if (std::isspace(static_cast<unsigned char>(c)) != 0) {
      ++at;
      continue;
    }
    std::size_t end = at + 1;
    if (c == '"') {
      while (end < line.size() && line[end] != '"') end += line[end] == '\\' ? 2 : 1;
      if (end >= line.size()) {
        result.error = "the text has no closing double quote";
        return result;
      }
      ++end;
    } else {
      while (end < line.size() && std::isspace(static_cast<unsigned char>(line[end])) == 0 &&
             line[end] != '#') {
        ++end;
      }
    }
    result.words.push_back(line.substr(at, end - at));
    at = end;
  }
  return result;
}

// The word as a number, when the whole word is one: whole for std::int64_t,
// with a fraction for double.
template <class T = std::int64_t>
std::optional<T> number(std::string_view word) {
  T value = 0;
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (error != std::errc() || end != word.data() + word.size()) return std::nullopt;
  return value;
}

std::string quoted(std::string_view word) {
  return "\"" + std::string(word) + "\"";
}

// A key by its vk_ name (the prefix may be left out), a letter or digit, or
// a code of two or more digits.
std::optional<int> key_code(std::string_view word, std::string& error) {
  std::string name;
  for (char c : word) name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0])) != 0) {
    return std::toupper(static_cast<unsigned char>(name[0]));
  }
  std::optional<std::int64_t> code = number(name);
  if (!code) {
    static const ConstantTable constants = [] {
      ConstantTable table;
      add_builtin_constants(table);
      return table;
    }();
    if (!name.starts_with("vk_")) name = "vk_" + name;
    if (const RValue* value = constants.find(name); value != nullptr && value->is_real()) {
      code = static_cast<std::int64_t>(value->real());
    }
  }
  if (!code) {
    error = "unknown key " + quoted(word) +
            "; a key is a vk_ name (vk_left or left), a letter, a digit or a code";
    return std::nullopt;
  }
  if (*code < 2 || *code > 255) {
    error = "the key " + quoted(word) + " cannot be pressed; key codes run from 2 to 255";
    return std::nullopt;
  }
  return static_cast<int>(*code);
}

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The characters of a word in double quotes, with its escapes resolved.
std::optional<std::string> typed_text(std::string_view word, std::string& error) {
  if (word.size() < 2 || word.front() != '"') {
    error = "type wants its text in double quotes";
    return std::nullopt;
  }
  const std::string_view body = word.substr(1, word.size() - 2);
  std::string text;
  for (std::size_t i = 0; i < body.size(); ++i) {
    const auto c = static_cast<unsigned char>(body[i]);
    if (c >= 128) {
      error = "only ASCII characters can be typed as they are; write others as \\xHH";
      return std::nullopt;
    }
    if (c != '\\') {
      text += static_cast<char>(c);
      continue;
    }
    const char escape = ++i < body.size() ? body[i] : ' ';
    static constexpr std::pair<char, char> kEscapes[] = {{'\\', '\\'}, {'"', '"'},  {'b', '\b'},
                                                         {'t', '\t'},  {'r', '\r'}, {'n', '\n'}};
    const auto* simple = std::find_if(std::begin(kEscapes), std::end(kEscapes),
                                      [&](const auto& e) { return e.first == escape; });
    if (simple != std::end(kEscapes)) {
      text += simple->second;
    } else if (escape == 'x' && i + 2 < body.size() && hex_digit(body[i + 1]) >= 0 &&
               hex_digit(body[i + 2]) >= 0) {
      text += static_cast<char>(hex_digit(body[i + 1]) * 16 + hex_digit(body[i + 2]));
      i += 2;
    } else {
      error = "unknown escape \\" + std::string(1, escape) +
              " in the text; known are \\\\ \\\" \\b \\t \\r \\n \\xHH";
      return std::nullopt;
    }
  }
  return text;
}

std::optional<int> mouse_button(std::string_view word, std::string& error) {
  static constexpr std::pair<std::string_view, int> kButtons[] = {
      {"left", 1}, {"right", 2}, {"middle", 3}};
  for (const auto& [name, button] : kButtons) {
    if (word == name) return button;
  }
  error = "unknown mouse button " + quoted(word) + "; the buttons are left, right and middle";
  return std::nullopt;
}

// "joystick N button B down|up", "joystick N axis A POSITION" (-1 to 1) or
// "joystick N pov DEGREES|centre".
bool parse_joystick(const std::vector<std::string_view>& words, ScriptedInput input,
                    std::vector<ScriptedInput>& out, std::string& error) {
  const auto fail = [&](std::string message) {
    error = std::move(message);
    return false;
  };
  constexpr const char* kForms =
      "write it as: STEP joystick 1|2 button B down|up, STEP joystick 1|2 axis x|y|z|r|u|v "
      "POSITION, or STEP joystick 1|2 pov DEGREES|centre";
  if (words.size() < 5 || words.size() > 6)
    return fail(std::string("incomplete action; ") + kForms);
  if (words[2] != "1" && words[2] != "2")
    return fail("the joysticks are 1 and 2, not " + quoted(words[2]));
  input.joystick = words[2] == "1" ? 0 : 1;
  const std::string_view what = words[3];
  if (what == "button" && words.size() == 6) {
    const std::optional<std::int64_t> button = number(words[4]);
    if (!button || *button < 1 || *button > 32) {
      return fail("joystick buttons run from 1 to 32, not " + quoted(words[4]));
    }
    if (words[5] != "down" && words[5] != "up") {
      return fail("a joystick button goes down or up, not " + quoted(words[5]) +
                  "; the game looks at it once a step");
    }
    input.code = static_cast<int>(*button);
    input.kind = words[5] == "down" ? Kind::JoystickButtonDown : Kind::JoystickButtonUp;
  } else if (what == "axis" && words.size() == 6) {
    constexpr std::string_view kAxes = "xyzruv";
    const std::size_t axis = words[4].size() == 1 ? kAxes.find(words[4][0]) : std::string::npos;
    if (axis == std::string::npos) {
      return fail("the joystick axes are x, y, z, r, u and v, not " + quoted(words[4]));
    }
    const std::optional<double> position = number<double>(words[5]);
    if (!position || *position < -1 || *position > 1) {
      return fail("an axis stands from -1 to 1, not at " + quoted(words[5]));
    }
    input.code = static_cast<int>(axis);
    input.position = static_cast<std::uint32_t>(std::lround((*position + 1) * 32767));
    input.kind = Kind::JoystickAxis;
  } else if (what == "pov" && words.size() == 5) {
    const std::optional<double> degrees = number<double>(words[4]);
    if (words[4] == "centre" || words[4] == "center") {
      input.position = 65535;
    } else if (degrees && *degrees >= 0 && *degrees < 360) {
      input.position = static_cast<std::uint32_t>(std::lround(*degrees * 100));
    } else {
      return fail("the hat points from 0 up to 360 degrees or is centre, not " + quoted(words[4]));
    }
    input.kind = Kind::JoystickPov;
  } else {
    return fail(std::string("unknown joystick action; ") + kForms);
  }
  out.push_back(input);
  return true;
}

// The inputs of one action: the words after the step number.
bool parse_action(const std::vector<std::string_view>& words, ScriptedInput input,
                  std::vector<ScriptedInput>& out, std::string& error) {
  const std::string_view action = words[1];
  const auto wants = [&](std::size_t count, const char* form) {
    if (words.size() == count) return true;
    error = std::string(words.size() < count ? "incomplete action" : "too many words") +
            "; write it as: STEP " + form;
    return false;
  };
  const auto add = [&](Kind kind) {
    input.kind = kind;
    out.push_back(input);
  };
  // "down", "up", or `both`: down and then up within the step.
  const auto down_up = [&](std::string_view both, Kind down, Kind up, const char* choices) {
    const std::string_view what = words[2];
    if (what != "down" && what != "up" && what != both) {
      error = std::string(action) + " wants " + choices + ", not " + quoted(what);
      return false;
    }
    if (what != "up") add(down);
    if (what != "down") add(up);
    return true;
  };
  if (action == "key") {
    if (!wants(4, "key down|up|press KEY")) return false;
    const std::optional<int> key = key_code(words[3], error);
    if (!key) return false;
    input.code = *key;
    return down_up("press", Kind::KeyDown, Kind::KeyUp, "down, up or press");
  }
  if (action == "type") {
    if (!wants(3, "type \"TEXT\"")) return false;
    const std::optional<std::string> text = typed_text(words[2], error);
    if (!text) return false;
    input.text = *text;
    add(Kind::Type);
    return true;
  }
  if (action == "mouse") {
    if (words.size() >= 3 && words[2] == "move") {
      if (!wants(5, "mouse move X Y")) return false;
      const std::optional<std::int64_t> x = number(words[3]);
      const std::optional<std::int64_t> y = number(words[4]);
      if (!x || !y || std::max(std::abs(*x), std::abs(*y)) > 1'000'000) {
        error = "mouse move wants two whole numbers, the place in the window";
        return false;
      }
      input.x = static_cast<int>(*x);
      input.y = static_cast<int>(*y);
      add(Kind::MouseMove);
      return true;
    }
    if (!wants(4, "mouse move X Y, or STEP mouse down|up|click BUTTON")) return false;
    const std::optional<int> button = mouse_button(words[3], error);
    if (!button) return false;
    input.code = *button;
    return down_up("click", Kind::ButtonDown, Kind::ButtonUp, "move, down, up or click");
  }
  if (action == "wheel") {
    if (!wants(3, "wheel up|down")) return false;
    if (words[2] != "up" && words[2] != "down") {
      error = "wheel wants up or down, not " + quoted(words[2]);
      return false;
    }
    input.code = words[2] == "up" ? 1 : -1;
    add(Kind::Wheel);
    return true;
  }
  if (action == "joystick") return parse_joystick(words, input, out, error);
  error = "unknown action " + quoted(action) +
          "; the actions are key, type, mouse, wheel, joystick and answer";
  return false;
}

// "answer button N", "answer text "TEXT"", "answer menu N", "answer file "NAME"",
// "answer colour N" or "answer cancel".
bool parse_answer(const std::vector<std::string_view>& words, std::vector<DialogAnswer>& out,
                  std::string& error) {
  constexpr const char* kForms =
      "write it as: STEP answer button N, STEP answer text \"TEXT\", STEP answer menu N, "
      "STEP answer file \"NAME\", STEP answer colour N or STEP answer cancel";
  DialogAnswer answer;
  for (std::size_t i = 1; i < words.size(); ++i) {
    if (i > 1) answer.written += ' ';
    answer.written += words[i];
  }
  const std::string_view what = words.size() > 2 ? words[2] : std::string_view();
  const auto whole = [&](std::int64_t low, std::int64_t high, const char* name) {
    const std::optional<std::int64_t> value = words.size() == 4 ? number(words[3]) : std::nullopt;
    if (!value || *value < low || *value > high) {
      error = std::string(name) + " wants a whole number from " + std::to_string(low) + " to " +
              std::to_string(high) + "; " + kForms;
      return false;
    }
    answer.number = static_cast<int>(*value);
    return true;
  };
  const auto text = [&](const char* name) {
    if (words.size() != 4 || words[3].front() != '"') {
      error = std::string(name) + " wants its text in double quotes; " + kForms;
      return false;
    }
    const std::optional<std::string> typed = typed_text(words[3], error);
    if (!typed) return false;
    answer.text = *typed;
    return true;
  };
  using AnswerKind = DialogAnswer::Kind;
  bool read = false;
  if (what == "button") {
    answer.kind = AnswerKind::Button;
    read = whole(0, 3, "answer button");
  } else if (what == "menu") {
    answer.kind = AnswerKind::Menu;
    read = whole(0, 1'000'000, "answer menu");
  } else if (what == "colour" || what == "color") {
    answer.kind = AnswerKind::Colour;
    read = whole(0, 0xFFFFFF, "answer colour");
  } else if (what == "text") {
    answer.kind = AnswerKind::Text;
    read = text("answer text");
  } else if (what == "file") {
    answer.kind = AnswerKind::File;
    read = text("answer file");
  } else if (what == "cancel" && words.size() == 3) {
    answer.kind = AnswerKind::Cancel;
    read = true;
  } else {
    error = std::string("unknown answer; ") + kForms;
  }
  if (read) out.push_back(std::move(answer));
  return read;
}

}  // namespace

bool InputScript::parse(std::string_view text, std::string& error) {
  inputs_.clear();
  next_ = 0;
  answers_.clear();
  next_answer_ = 0;
  std::int64_t last_step = 1;
  int line_number = 0;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    ++line_number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const auto fail = [&](const std::string& message) {
      error = "line " + std::to_string(line_number) + ": " + message;
      inputs_.clear();
      answers_.clear();
      return false;
    };
    Words words = split(line);
    if (!words.error.empty()) return fail(words.error);
    if (words.words.empty()) continue;
    const std::optional<std::int64_t> step = number(words.words[0]);
    if (!step) return fail("a line starts with its step number, not " + quoted(words.words[0]));
    if (*step < 1) return fail("steps are counted from 1");
    if (*step < last_step) {
      return fail("step " + std::to_string(*step) + " comes after step " +
                  std::to_string(last_step) + "; the lines go in step order");
    }
    last_step = *step;
    if (words.words.size() < 2) return fail("the step has no action");
    std::string message;
    ScriptedInput input;
    input.step = *step;
    const bool read = words.words[1] == "answer"
                          ? parse_answer(words.words, answers_, message)
                          : parse_action(words.words, input, inputs_, message);
    if (!read) return fail(message);
  }
  moves_joysticks_ = std::any_of(inputs_.begin(), inputs_.end(), [](const ScriptedInput& input) {
    return input.kind >= Kind::JoystickButtonDown;
  });
  return true;
}

namespace {

void deliver(Runner& runner, const ScriptedInput& input) {
  InputState& state = runner.input;
  const auto button = static_cast<platform::MouseButton>(input.code);
  switch (input.kind) {
    case Kind::KeyDown:
      state.key_down(input.code);
      break;
    case Kind::KeyUp:
      state.key_up(input.code);
      break;
    case Kind::Type:
      for (char c : input.text) state.character(static_cast<unsigned char>(c));
      break;
    case Kind::MouseMove:
      runner.layout.set_mouse_window(input.x, input.y);
      break;
    case Kind::ButtonDown:
      state.mouse_down(button);
      break;
    case Kind::ButtonUp:
      state.mouse_up(button);
      break;
    case Kind::Wheel:
      state.wheel(input.code);
      break;
    case Kind::JoystickButtonDown:
    case Kind::JoystickButtonUp: {
      const std::uint32_t bit = 1u << (input.code - 1);
      platform::JoystickState& stick = (*runner.scripted_joysticks)[input.joystick];
      stick.buttons =
          input.kind == Kind::JoystickButtonDown ? stick.buttons | bit : stick.buttons & ~bit;
      break;
    }
    case Kind::JoystickAxis:
      (*runner.scripted_joysticks)[input.joystick].axes[input.code] = input.position;
      break;
    case Kind::JoystickPov:
      (*runner.scripted_joysticks)[input.joystick].pov = input.position;
      break;
  }
}

}  // namespace

void InputScript::deliver_due(Runner& runner, std::int64_t step) {
  if (moves_joysticks_ && !runner.scripted_joysticks) {
    platform::JoystickState stick;
    stick.present = true;
    stick.name = "Scripted joystick";
    stick.axis_count = 6;
    stick.button_count = 32;
    stick.has_pov = true;
    runner.scripted_joysticks.emplace();
    runner.scripted_joysticks->fill(stick);
  }
  while (next_ < inputs_.size() && inputs_[next_].step <= step) deliver(runner, inputs_[next_++]);
}

bool InputScript::deliver_next(Runner& runner) {
  if (next_ >= inputs_.size()) return false;
  deliver_due(runner, inputs_[next_].step);
  return true;
}

std::optional<DialogAnswer> InputScript::next_answer() {
  if (next_answer_ >= answers_.size()) return std::nullopt;
  return answers_[next_answer_++];
}

}  // namespace kestrel
