#include <algorithm>
#include <cmath>
#include <cstring>

#include "run/Runner.h"
#include "run/functions/families.h"
#include "run/run_dialogs.h"
#include "script/Code_Error.h"
#include "script/Code_Function.h"

namespace kestrel {
namespace {

constexpr std::string_view kNoMessageBackground = "Trying to set a non-existing message background";
constexpr std::string_view kNoMessageButton = "Trying to set a non-existing message button";

using Args = const RValue*;

int whole(const RValue& value) {
  return round_to_int32(value.real());
}

MessageLook& look(ScriptEngine& engine) {
  return runner_of(engine).message_look;
}

// --- Messages and prompts ---

MessageAnswer ask(ScriptEngine& engine, const RValue& text, std::array<std::string, 3> captions) {
  return ask_message(runner_of(engine),
                     MessageRequest::message(message_text(text), std::move(captions)));
}

MessageAnswer prompt(ScriptEngine& engine, const RValue& text, std::string preset) {
  return ask_message(runner_of(engine),
                     MessageRequest::prompt_for(message_text(text), std::move(preset)));
}

void show_message(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args args) {
  ask(engine, args[0], {"", "OK", ""});
}

void show_message_ext(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                      Args args) {
  result.set_real(ask(engine, args[0], {args[1].str(), args[2].str(), args[3].str()}).button);
}

void show_question(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                   Args args) {
  result.set_real(ask(engine, args[0], {"Yes", "", "No"}).button == 1 ? 1 : 0);
}

void show_error(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args args) {
  report_error(engine, args[0].str(), args[1].real() >= 0.5);
}

void get_string(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                Args args) {
  result.set_text(prompt(engine, args[0], args[1].str()).field);
}

// The whole answer as a 32-bit integer, optionally signed, after any spaces.
std::optional<std::int32_t> integer_answer(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  const bool negative = !text.empty() && text.front() == '-';
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
  if (text.empty() || text.size() > 10) return std::nullopt;
  std::int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

void get_integer(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                 Args args) {
  const std::int32_t preset = whole(args[1]);
  const MessageAnswer answer = prompt(engine, args[0], std::to_string(preset));
  result.set_real(integer_answer(answer.field).value_or(preset));
}

// --- The dialog's look ---

void message_background(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                        Args args) {
  const CBackground* background = runner_of(engine).game.backgrounds.get(whole(args[0]));
  if (background == nullptr) {
    report_action_error(engine, kNoMessageBackground, false);
    return;
  }
  look(engine).background = picture_from_bitmap(background->image);
}

void message_button(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                    Args args) {
  const CSprite* sprite = runner_of(engine).game.sprites.get(whole(args[0]));
  if (sprite == nullptr) {
    report_action_error(engine, kNoMessageButton, false);
    return;
  }
  for (std::size_t i = 0; i < 3; ++i) {
    look(engine).buttons[i] =
        i < sprite->images.size() ? picture_from_bitmap(sprite->images[i]) : PixelCanvas{};
  }
}

template <DialogFont MessageLook::*font>
void message_font(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args args) {
  DialogFont& changed = look(engine).*font;
  if (!args[0].str().empty()) changed.name = args[0].str();
  if (args[1].real() >= 0) changed.size = whole(args[1]);
  if (args[2].real() >= 0) changed.colour = whole(args[2]);
  changed.style = whole(args[3]) & 3;
}

void message_alpha(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                   Args args) {
  look(engine).alpha =
      static_cast<int>(std::clamp(std::nearbyint(255 * args[0].real()), 0.0, 255.0));
}

template <int MessageLook::*colour>
void message_colour(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                    Args args) {
  look(engine).*colour = whole(args[0]);
}

void message_position(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                      Args args) {
  look(engine).x = whole(args[0]);
  look(engine).y = whole(args[1]);
}

void message_size(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args args) {
  look(engine).width = whole(args[0]);
  look(engine).height = whole(args[1]);
}

void message_caption(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                     Args args) {
  look(engine).show_caption = args[0].real() >= 0.5;
  look(engine).caption = args[1].str();
}

// --- Popup menus ---

void show_menu(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
               Args args) {
  result.set_real(ask_menu(runner_of(engine), args[0].str(), std::nullopt, whole(args[1])));
}

void show_menu_pos(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                   Args args) {
  result.set_real(ask_menu(runner_of(engine), args[2].str(),
                           std::pair{whole(args[0]), whole(args[1])}, whole(args[3])));
}

// --- The system's dialogs ---

void get_color(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
               Args args) {
  result.set_real(ask_colour(runner_of(engine), whole(args[0])));
}

template <bool save>
void get_filename(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                  Args args) {
  result.set_text(ask_file(runner_of(engine), save, args[0].str(), args[1].str()));
}

void get_directory(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                   Args args) {
  result.set_text(ask_folder(runner_of(engine), "", args[0].str()));
}

void get_directory_alt(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                       Args args) {
  result.set_text(ask_folder(runner_of(engine), args[0].str(), args[1].str()));
}

}  // namespace

void register_message_functions(FunctionRegistry& functions) {
  FunctionRegistry& f = functions;
  f.add("show_message", &show_message, 1);
  f.add("show_message_ext", &show_message_ext, 4);
  f.add("show_question", &show_question, 1);
  f.add("show_error", &show_error, 2);
  f.add("get_string", &get_string, 2);
  f.add("get_integer", &get_integer, 2);
  f.add("message_background", &message_background, 1);
  f.add("message_button", &message_button, 1);
  f.add("message_text_font", &message_font<&MessageLook::text_font>, 4);
  f.add("message_button_font", &message_font<&MessageLook::button_font>, 4);
  f.add("message_input_font", &message_font<&MessageLook::input_font>, 4);
  f.add("message_alpha", &message_alpha, 1);
  f.add("message_mouse_color", &message_colour<&MessageLook::mouse_colour>, 1);
  f.add("message_input_color", &message_colour<&MessageLook::input_colour>, 1);
  f.add("message_position", &message_position, 2);
  f.add("message_size", &message_size, 2);
  f.add("message_caption", &message_caption, 2);
  f.add("show_menu", &show_menu, 2);
  f.add("show_menu_pos", &show_menu_pos, 4);
  f.add("get_color", &get_color, 1);
  f.add("get_open_filename", &get_filename<false>, 2);
  f.add("get_save_filename", &get_filename<true>, 2);
  f.add("get_directory", &get_directory, 1);
  f.add("get_directory_alt", &get_directory_alt, 2);
}

}  // namespace kestrel
