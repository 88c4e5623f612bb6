#include "run/run_fonts.h"

#include "data/Runner_Load.h"
#include "graphics/Graphics_Texture.h"
#include "run/Runner.h"

namespace kestrel {
namespace {

// Fonts made from a system font draw from their glyph image; sprite fonts and
// fonts without a name have no texture of their own.
int make_texture(const CFont& font, TextureTable& textures) {
  if (font.sprite >= 0 || font.font_name.empty()) return -1;
  return textures.create_from_alpha_map(font.image_width, font.image_height, font.image.data());
}

}  // namespace

void RunFonts::prepare_textures(TextureTable& textures) {
  textures_.assign(static_cast<std::size_t>(list.count()), -1);
  for (int index = 0; index < list.count(); ++index) update_texture(index, textures);
  if (builtin_) builtin_texture_ = make_texture(*builtin_, textures);
}

void RunFonts::update_texture(int index, TextureTable& textures) {
  if (index < 0) return;
  if (static_cast<std::size_t>(index) >= textures_.size()) {
    textures_.resize(static_cast<std::size_t>(index) + 1, -1);
  }
  int& texture = textures_[static_cast<std::size_t>(index)];
  textures.free(texture);
  const CFont* font = list.get(index);
  texture = font != nullptr ? make_texture(*font, textures) : -1;
}

void RunFonts::remove(int index, TextureTable& textures) {
  list.remove(index);
  update_texture(index, textures);
}

int RunFonts::texture(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= textures_.size()) return -1;
  return textures_[static_cast<std::size_t>(index)];
}

const CFont& RunFonts::builtin(TextureTable& textures) {
  if (!builtin_) {
    CFont& font = builtin_.emplace();
    font.font_name = "Arial";
    font.size = 12;
    font.first = 32;
    font.last = 127;
    // Without any installed font the text has no glyphs; nothing better can
    // be drawn, and every game would otherwise fail the same way.
    std::string error;
    font.RenderGlyphs(error);
    builtin_texture_ = make_texture(font, textures);
  }
  return *builtin_;
}

TextFont current_text_font(Runner& runner) {
  RunFonts& fonts = runner.fonts;
  TextureTable& textures = runner.graphics.textures();
  const int index = runner.drawing.font;
  const CFont* font = fonts.get(index);
  int texture = fonts.texture(index);
  if (font == nullptr) {
    font = &fonts.builtin(textures);
    texture = fonts.builtin_texture();
  }
  TextFont text;
  text.line_height = font->LineHeight();
  const CSprite* sprite = font->sprite >= 0 ? runner.game.sprites.get(font->sprite) : nullptr;
  for (int c = 0; c < 256; ++c) {
    text.advances[c] = font->Advance(c);
    if (c < font->first || c > font->last) continue;
    const Glyph& glyph = font->glyphs[c];
    TextGlyph& drawn = text.glyphs[c];
    drawn.offset = glyph.offset;
    if (sprite != nullptr) {
      drawn.texture = runner.sprite_texture(font->sprite, c - font->first);
      drawn.width = sprite->width();
      drawn.height = sprite->height();
      drawn.xorigin = sprite->xorig;
      drawn.yorigin = sprite->yorig;
    } else {
      drawn.texture = texture;
      drawn.left = glyph.x;
      drawn.top = glyph.y;
      drawn.width = glyph.w;
      drawn.height = glyph.h;
    }
  }
  return text;
}

}  // namespace kestrel
