#pragma once

#include <optional>
#include <vector>

#include "data/Font_Class.h"
#include "data/resource_list.h"
#include "graphics/Graphics_Text.h"

namespace kestrel {

class FunctionRegistry;
class Runner;
class TextureTable;

// The fonts of a running game: the game's own fonts as game code adds to,
// replaces and deletes them, each with the texture made from its glyph image,
// and the built-in font that text uses while no font of the game is set.
class RunFonts {
 public:
  explicit RunFonts(const ResourceList<CFont>& game_fonts) : list(game_fonts) {}

  // Makes every font's texture again, for a texture table that was emptied.
  void prepare_textures(TextureTable& textures);
  // Remakes the texture of a font that was added or changed.
  void update_texture(int index, TextureTable& textures);
  // Frees the font's texture and empties its slot.
  void remove(int index, TextureTable& textures);

  // Null for an index where no font exists.
  const CFont* get(int index) const { return list.get(index); }
  // -1 when the font has none (sprite fonts draw with their sprite's).
  int texture(int index) const;

  // "Arial" at 12 points, characters 32 to 127; made on first use.
  const CFont& builtin(TextureTable& textures);
  int builtin_texture() const { return builtin_texture_; }

  ResourceList<CFont> list;

 private:
  std::vector<int> textures_;  // by font index
  std::optional<CFont> builtin_;
  int builtin_texture_ = -1;
};

// The font text is drawn with now (the drawing state's, or the built-in one
// when that does not exist), as text drawing sees it.
TextFont current_text_font(Runner& runner);

}  // namespace kestrel
