#include <algorithm>
#include <sstream>

#include "graphics/Graphics_Text.h"
#include "lib/game_registry.h"
#include "lib/highscore_table.h"
#include "run/Runner.h"
#include "run/functions/families.h"
#include "run/run_dialogs.h"
#include "run/run_fonts.h"
#include "script/Code_Function.h"

namespace kestrel {
namespace {

constexpr const char* kNamePrompt =
    "You reached a place in the highscore table.\rPlease provide your name.";

using Args = const RValue*;

int whole(const RValue& value) {
  return round_to_int32(value.real());
}

HighscoreLook& look(ScriptEngine& engine) {
  return runner_of(engine).highscore_look;
}

HighscoreTable table(ScriptEngine& engine) {
  return HighscoreTable(engine.families.get<GameRegistry>(), engine.host().game_id());
}

void set_background(ScriptEngine& engine, int index) {
  const CBackground* background = runner_of(engine).game.backgrounds.get(index);
  look(engine).background =
      background != nullptr ? picture_from_bitmap(background->image) : PixelCanvas{};
}

// --- Settings ---

void highscore_set_background(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&,
                              Args a) {
  set_background(e, whole(a[0]));
}

void highscore_set_border(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  look(e).border = a[0].real() >= 0.5;
}

void highscore_set_font(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  look(e).font_name = a[0].str();
  look(e).font_size = whole(a[1]);
  look(e).font_style = whole(a[2]) & 3;
}

void highscore_set_colors(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  look(e).back_colour = whole(a[0]);
  look(e).new_colour = whole(a[1]);
  look(e).other_colour = whole(a[2]);
}

void highscore_set_strings(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&,
                           Args a) {
  look(e).caption = a[0].str();
  look(e).empty_name = a[1].str();
  look(e).close_hint = a[2].str();
}

// --- The table ---

void show_table(ScriptEngine& e, std::int32_t score) {
  HighscoreTable scores = table(e);
  const std::string& empty = look(e).empty_name;
  const int new_rank = scores.insert({"", score}, empty).value_or(0);
  std::array<HighscoreLine, HighscoreTable::kRanks> lines;
  for (int rank = 1; rank <= HighscoreTable::kRanks; ++rank) {
    const HighscoreEntry entry = scores.entry(rank, empty);
    lines[rank - 1] = {entry.name, entry.score};
  }
  const std::string typed = show_highscores(runner_of(e), lines, new_rank);
  if (new_rank >= 1) scores.set_entry(new_rank, {typed, score});
}

void highscore_show(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  show_table(e, whole(a[0]));
}

void highscore_show_ext(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  set_background(e, whole(a[1]));
  look(e).border = a[2].real() >= 0.5;
  look(e).new_colour = whole(a[3]);
  look(e).other_colour = whole(a[4]);
  look(e).font_name = a[5].str();
  look(e).font_size = whole(a[6]);
  show_table(e, whole(a[0]));
}

void highscore_clear(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args) {
  table(e).clear(look(e).empty_name);
}

void highscore_add(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  table(e).insert({a[0].str(), whole(a[1])}, look(e).empty_name);
}

void highscore_add_current(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args) {
  Runner& runner = runner_of(e);
  HighscoreTable scores = table(e);
  const std::int32_t score = round_to_int32(runner.score.score);
  if (score < scores.entry(HighscoreTable::kRanks, look(e).empty_name).score) return;
  const MessageAnswer answer =
      ask_message(runner, MessageRequest::prompt_for(kNamePrompt, "player"));
  scores.insert({answer.field, score}, look(e).empty_name);
}

// Ranks outside 1 to 10 read as empty entries.
HighscoreEntry entry_at(ScriptEngine& e, const RValue& rank) {
  const int at = whole(rank);
  if (at < 1 || at > HighscoreTable::kRanks) return {look(e).empty_name, 0};
  return table(e).entry(at, look(e).empty_name);
}

void highscore_value(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  r.set_real(entry_at(e, a[0]).score);
}

void highscore_name(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  r.set_text(entry_at(e, a[0]).name);
}

void draw_highscore(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  Runner& runner = runner_of(e);
  const double x1 = a[0].real();
  const double y1 = a[1].real();
  const double x2 = a[2].real();
  const double row = (a[3].real() - y1) / HighscoreTable::kRanks;
  const TextFont font = current_text_font(runner);
  const DrawingState& state = runner.drawing;
  const TextColours colours{state.color(), state.color(), state.color(), state.color(),
                            state.alpha()};
  HighscoreTable scores = table(e);
  for (int i = 0; i < HighscoreTable::kRanks; ++i) {
    const HighscoreEntry entry = scores.entry(i + 1, look(e).empty_name);
    const double y = y1 + i * row;
    draw_text(runner.graphics, font, entry.name, {x1, y}, colours);
    const std::string score = std::to_string(entry.score);
    draw_text(runner.graphics, font, score, {x2 - line_width(score, font.advances), y}, colours);
  }
}

}  // namespace

void register_highscore_functions(FunctionRegistry& functions) {
  FunctionRegistry& f = functions;
  f.add("highscore_show", &highscore_show, 1);
  f.add("highscore_show_ext", &highscore_show_ext, 7);
  f.add("highscore_set_background", &highscore_set_background, 1);
  f.add("highscore_set_border", &highscore_set_border, 1);
  f.add("highscore_set_font", &highscore_set_font, 3);
  f.add("highscore_set_colors", &highscore_set_colors, 3);
  f.add("highscore_set_strings", &highscore_set_strings, 3);
  f.add("highscore_clear", &highscore_clear, 0);
  f.add("highscore_add", &highscore_add, 2);
  f.add("highscore_add_current", &highscore_add_current, 0);
  f.add("highscore_value", &highscore_value, 1);
  f.add("highscore_name", &highscore_name, 1);
  f.add("draw_highscore", &draw_highscore, 4);
}

}  // namespace kestrel
