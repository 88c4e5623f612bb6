#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "data/bitmap32.h"
#include "shell/text_layout.h"

namespace kestrel {

struct DialogRectangle {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  bool contains(int px, int py) const {
    return px >= x && py >= y && px < x + width && py < y + height;
  }
};

// Text painting shared by the windows drawn in memory.
namespace canvas_text {
// The game's 8-bit characters as code points.
std::u32string widen(std::string_view text);
int width(FontSet& fonts, const TextStyle& style, std::u32string_view text);
int line_height(FontSet& fonts, const TextStyle& style);
// One line with its top left at (x, y).
void paint_line(PixelCanvas& canvas, FontSet& fonts, const TextStyle& style,
                const std::u32string& text, int x, int y);
}  // namespace canvas_text

// Fills a rectangle with an opaque 0xRRGGBB colour, clipped to the canvas.
void fill_rectangle(PixelCanvas& canvas, const DialogRectangle& place, std::uint32_t rgb);
// Stretches a picture over a rectangle, blending by its alpha.
void draw_picture(PixelCanvas& canvas, const PixelCanvas& picture, const DialogRectangle& place);
// A resource's image as a picture.
PixelCanvas picture_from_bitmap(const TBitmap32& image);
// Game colours keep red in the low byte; pictures want 0xRRGGBB.
std::uint32_t rgb_from_game_colour(int colour);

}  // namespace kestrel
