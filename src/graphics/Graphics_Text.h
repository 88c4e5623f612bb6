#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

class Graphics;

// How far the pen moves for each character code.
using Advances = std::array<int, 256>;

// The width of one line: the sum of its characters' advances.
int line_width(std::string_view line, const Advances& advances);

// Splits text into the lines it is drawn as. "#" starts a new line and "\#"
// stands for a "#"; a carriage return, a line feed, or both together, break
// the line too. With wrap_width >= 0 each line is also wrapped between words
// (a word runs up to and including the next space or hyphen); a word wider
// than the width stands alone and is never split.
std::vector<std::string> text_lines(std::string_view text, double wrap_width,
                                    const Advances& advances);

// The widest line, but at least 1.
int text_width(const std::vector<std::string>& lines, const Advances& advances);
// One line height plus the separation for every further line; a separation
// of -1 means the line height.
int text_height(std::size_t line_count, int separation, int line_height);

// Where a character's glyph is in a texture; texture -1 draws nothing.
struct TextGlyph {
  int texture = -1;
  double left = 0, top = 0, width = 0, height = 0;  // in image pixels
  int offset = 0;                                   // from the pen to the glyph's left edge
  // Glyphs of sprite fonts keep their sprite's origin in text of one colour.
  double xorigin = 0, yorigin = 0;
};

// A font as text drawing sees it.
struct TextFont {
  Advances advances{};
  int line_height = 0;
  std::array<TextGlyph, 256> glyphs{};
};

// Where and how a text goes: alignments as fa_ values, the line separation
// (-1: the line height), the wrapping width (negative: none), and for
// transformed text its scales and angle in degrees.
struct TextPlacement {
  double x = 0, y = 0;
  int halign = 0, valign = 0;
  int separation = -1;
  double wrap_width = -1;
  bool transformed = false;
  double xscale = 1, yscale = 1, angle = 0;
};

// One colour, or a gradient that runs along each whole line from the top-left
// to the top-right colour and from the bottom-left to the bottom-right one.
struct TextColours {
  std::int64_t top_left = 0, top_right = 0, bottom_right = 0, bottom_left = 0;
  double alpha = 1;
  bool gradient = false;
};

void draw_text(Graphics& graphics, const TextFont& font, std::string_view text,
               const TextPlacement& placement, const TextColours& colours);

}  // namespace kestrel
