#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kestrel::platform {

// One character of a face as coverage bytes (0 blank, 255 fully covered).
struct GlyphBitmap {
  int advance = 0;  // how far the pen moves, in whole pixels
  int left = 0;     // from the pen to the bitmap's first column
  int top = 0;      // from the baseline up to the bitmap's first row
  int width = 0;
  int rows = 0;
  std::vector<std::uint8_t> coverage;  // width x rows, row by row
};

// An installed font at one size, as the system fonts of games are made from.
class FontFace {
 public:
  virtual ~FontFace() = default;
  // Pixels from the baseline up to the top of the tallest characters.
  virtual int ascender() const = 0;
  // Pixels from the top of the tallest characters to the bottom of the lowest.
  virtual int height() const = 0;
  // False when the face cannot render the character.
  virtual bool render(char32_t character, GlyphBitmap& glyph) = 0;
};

// The installed face that best matches the name, boldness and slant, at `size`
// points on a 96 dots-per-inch screen. Null, with an explanation in `error`,
// when none can be opened.
std::unique_ptr<FontFace> open_font_face(const std::string& name, int size, bool bold, bool italic,
                                         std::string& error);

}  // namespace kestrel::platform
