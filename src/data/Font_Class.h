#pragma once

#include <array>
#include <string>
#include <vector>

#include "data/Sprite_Class.h"
#include "data/Support_Stream.h"

namespace kestrel {

namespace platform {
class FontFace;
}

struct Glyph {
  int x = 0, y = 0, w = 0, h = 0, shift = 0, offset = 0;

  bool operator==(const Glyph&) const = default;
};

class CFont {
 public:
  std::string font_name;
  int size = 12;
  bool bold = false;
  bool italic = false;
  int first = 32;
  int last = 128;
  int sprite = -1;  // a sprite font's sprite; fonts from the game data have none
  std::array<Glyph, 256> glyphs{};
  int image_width = 0;
  int image_height = 0;
  std::vector<std::uint8_t> image;  // one alpha byte per pixel, row by row

  bool Load(CStream& stream);
  void Save(CStream& stream) const;

  // How far the pen moves for character code c: its own shift inside the
  // range, else the space's when the range holds one, else the first's.
  int Advance(int c) const;
  // Every line of text is as high as the range's first glyph.
  int LineHeight() const;

  // Makes the glyph table and glyph image of the characters first..last from
  // the installed font that the name, size, bold and italic ask for; false,
  // with the reason in `error`, when none can be opened.
  bool RenderGlyphs(std::string& error);
  // Makes a font whose glyphs are the subimages of `source` (sprite `sprite_index`), from character
  // `first_char` on. Proportional glyphs advance by their visible width plus
  // `separation`, the others by the sprite's width plus `separation`.
  void MakeFromSprite(const CSprite& source, int sprite_index, int first_char, bool proportional,
                      int separation);

  bool operator==(const CFont&) const = default;

 private:
  void LayOutGlyphs(platform::FontFace& face);
};

}  // namespace kestrel
