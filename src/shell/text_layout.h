#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/font_face.h"
#include "shell/rich_text.h"

namespace kestrel {

// The installed faces that styled text asks for, each opened once at its
// size, with every glyph rendered so far.
class FontSet {
 public:
  // Null when no installed font can show the style at all.
  platform::FontFace* face(const TextStyle& style);
  // Null when the style has no face or the face no such character.
  const platform::GlyphBitmap* glyph(const TextStyle& style, char32_t c);

 private:
  struct Entry {
    std::unique_ptr<platform::FontFace> face;
    std::map<char32_t, std::optional<platform::GlyphBitmap>> glyphs;
  };
  Entry& entry(const TextStyle& style);

  std::map<std::tuple<std::string, int, bool, bool>, Entry> entries_;
};

// A stretch of one style on one line, starting `x` pixels from the left.
struct PlacedRun {
  int x = 0;
  TextStyle style;
  std::u32string text;
};

struct LaidLine {
  int top = 0;
  int height = 0;
  // From the line's top down to the baseline all its runs stand on.
  int baseline = 0;
  std::vector<PlacedRun> runs;
};

struct TextLayout {
  int width = 0;
  int height = 0;
  std::vector<LaidLine> lines;
};

// Breaks every paragraph into lines of at most `width` pixels, between words
// where it can and inside a word too long for a line of its own.
TextLayout lay_out_text(const RichText& text, int width, FontSet& fonts);

// Pixels in memory, rows from the top, each alpha, red, green, blue from the top byte down.
struct PixelCanvas {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> argb;
};

// Draws the lines that show when the layout's top left lies at (left, top).
void paint_text(const TextLayout& layout, FontSet& fonts, int left, int top, PixelCanvas& canvas);

}  // namespace kestrel
