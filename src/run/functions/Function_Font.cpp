#include <algorithm>
#include <optional>
#include <string>

#include "data/Runner_Load.h"
#include "run/Runner.h"
#include "run/functions/families.h"
#include "run/run_fonts.h"
#include "script/Code_Error.h"

namespace kestrel {
namespace {

using Args = const RValue*;

int whole(const RValue& value) {
  return round_to_int32(value.real());
}

RunFonts& fonts_of(ScriptEngine& engine) {
  return runner_of(engine).fonts;
}

// A font made from a system font: (name, size, bold, italic, first, last).
CFont system_font(ScriptEngine& engine, Args a) {
  CFont font;
  font.font_name = a[0].str();
  font.size = whole(a[1]);
  font.bold = is_true(a[2]);
  font.italic = is_true(a[3]);
  font.first = std::clamp(whole(a[4]), 0, 255);
  font.last = std::clamp(whole(a[5]), 0, 255);
  std::string error;
  if (!font.RenderGlyphs(error)) {
    report_action_error(engine, "Cannot make the font \"" + font.font_name + "\": " + error + ".",
                        false);
  }
  return font;
}

// Puts the font at `index` (a new slot past the end is named as run-time
// resources are) and makes its texture.
void store(ScriptEngine& engine, int index, CFont font) {
  Runner& runner = runner_of(engine);
  RunFonts& fonts = runner.fonts;
  if (index == fonts.list.count()) {
    fonts.list.add("__newfont" + std::to_string(index), std::move(font));
  } else {
    *fonts.list.get(index) = std::move(font);
  }
  fonts.update_texture(index, runner.graphics.textures());
}

void font_exists(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  r.set_real(fonts_of(e).list.exists(whole(a[0])) ? 1 : 0);
}
void font_name(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  r.set_text(fonts_of(e).list.name(whole(a[0])));
}
void font_get_fontname(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  if (const CFont* font = fonts_of(e).get(whole(a[0])))
    r.set_text(font->font_name);
  else
    r.set_real(-1);
}
// The whole-number and true-or-false fields; -1 for a font that does not exist.
template <auto field>
void font_get_field(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  const CFont* font = fonts_of(e).get(whole(a[0]));
  r.set_real(font != nullptr ? static_cast<double>(font->*field) : -1);
}

void font_add(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  const int index = fonts_of(e).list.count();
  store(e, index, system_font(e, a));
  r.set_real(index);
}
void font_replace(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  const int index = whole(a[0]);
  if (!fonts_of(e).list.exists(index)) {
    report_action_error(e, "Trying to replace non-existing font.", false);
    return;
  }
  store(e, index, system_font(e, a + 1));
}

// A sprite font from (sprite, first, proportional, separation); nothing
// when the sprite does not exist.
std::optional<CFont> sprite_font(ScriptEngine& engine, Args a, const char* missing) {
  const int sprite = whole(a[0]);
  const CSprite* source = runner_of(engine).game.sprites.get(sprite);
  if (source == nullptr) {
    report_action_error(engine, missing, false);
    return std::nullopt;
  }
  CFont font;
  font.MakeFromSprite(*source, sprite, whole(a[1]), is_true(a[2]), whole(a[3]));
  return font;
}

void font_add_sprite(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  std::optional<CFont> font = sprite_font(e, a, "Trying to create font from non-existing sprite.");
  if (!font) {
    r.set_real(-1);
    return;
  }
  const int index = fonts_of(e).list.count();
  store(e, index, std::move(*font));
  r.set_real(index);
}
void font_replace_sprite(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  const int index = whole(a[0]);
  if (!fonts_of(e).list.exists(index)) {
    report_action_error(e, "Trying to replace non-existing font.", false);
    return;
  }
  std::optional<CFont> font =
      sprite_font(e, a + 1, "Trying to replace font from non-existing sprite.");
  if (font) store(e, index, std::move(*font));
}

void font_delete(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  const int index = whole(a[0]);
  if (!fonts_of(e).list.exists(index)) {
    report_action_error(e, "Trying to delete non-existing font.", false);
    return;
  }
  fonts_of(e).remove(index, runner_of(e).graphics.textures());
}

}  // namespace

void register_font_functions(FunctionRegistry& functions) {
  const struct {
    const char* name;
    BuiltinFunction handler;
    int count;
  } kFunctions[] = {
      {"font_exists", &font_exists, 1},
      {"font_name", &font_name, 1},
      {"font_get_name", &font_name, 1},
      {"font_get_fontname", &font_get_fontname, 1},
      {"font_get_size", &font_get_field<&CFont::size>, 1},
      {"font_get_bold", &font_get_field<&CFont::bold>, 1},
      {"font_get_italic", &font_get_field<&CFont::italic>, 1},
      {"font_get_first", &font_get_field<&CFont::first>, 1},
      {"font_get_last", &font_get_field<&CFont::last>, 1},
      {"font_add", &font_add, 6},
      {"font_add_sprite", &font_add_sprite, 4},
      {"font_replace", &font_replace, 7},
      {"font_replace_sprite", &font_replace_sprite, 5},
      {"font_delete", &font_delete, 1},
  };
  for (const auto& function : kFunctions) {
    functions.add(function.name, function.handler, function.count);
  }
}

}  // namespace kestrel
