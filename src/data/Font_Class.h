#pragma once

#include <array>
#include <string>
#include <vector>

#include "data/Support_Stream.h"

namespace kestrel {

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

  bool operator==(const CFont&) const = default;
};

}  // namespace kestrel
