#include "shell/canvas.h"

#include <algorithm>

namespace kestrel {

namespace canvas_text {

std::u32string widen(std::string_view text) {
  std::u32string wide;
  wide.reserve(text.size());
  for (char c : text) wide += static_cast<char32_t>(static_cast<unsigned char>(c));
  return wide;
}

int width(FontSet& fonts, const TextStyle& style, std::u32string_view text) {
  int total = 0;
  for (char32_t c : text) {
    if (const platform::GlyphBitmap* glyph = fonts.glyph(style, c)) total += glyph->advance;
  }
  return total;
}

int line_height(FontSet& fonts, const TextStyle& style) {
  const platform::FontFace* face = fonts.face(style);
  return face != nullptr ? face->height() : 0;
}

void paint_line(PixelCanvas& canvas, FontSet& fonts, const TextStyle& style,
                const std::u32string& text, int x, int y) {
  const platform::FontFace* face = fonts.face(style);
  if (face == nullptr) return;
  TextLayout layout;
  LaidLine& line = layout.lines.emplace_back();
  line.height = face->height();
  line.baseline = face->ascender();
  line.runs.push_back({0, style, text});
  paint_text(layout, fonts, x, y, canvas);
}

}  // namespace canvas_text

void fill_rectangle(PixelCanvas& canvas, const DialogRectangle& place, std::uint32_t rgb) {
  const int left = std::max(place.x, 0);
  const int right = std::min(place.x + place.width, canvas.width);
  const int top = std::max(place.y, 0);
  const int bottom = std::min(place.y + place.height, canvas.height);
  for (int y = top; y < bottom; ++y) {
    std::uint32_t* row = canvas.argb.data() + static_cast<std::size_t>(y) * canvas.width;
    std::fill(row + left, row + std::max(left, right), 0xFF000000 | rgb);
  }
}

void draw_picture(PixelCanvas& canvas, const PixelCanvas& picture, const DialogRectangle& place) {
  if (picture.width < 1 || picture.height < 1 || place.width < 1 || place.height < 1) return;
  const int left = std::max(place.x, 0);
  const int right = std::min(place.x + place.width, canvas.width);
  const int top = std::max(place.y, 0);
  const int bottom = std::min(place.y + place.height, canvas.height);
  for (int y = top; y < bottom; ++y) {
    const std::int64_t source_y = std::int64_t(y - place.y) * picture.height / place.height;
    const std::uint32_t* source =
        picture.argb.data() + static_cast<std::size_t>(source_y) * picture.width;
    std::uint32_t* row = canvas.argb.data() + static_cast<std::size_t>(y) * canvas.width;
    for (int x = left; x < right; ++x) {
      const std::uint32_t over = source[std::int64_t(x - place.x) * picture.width / place.width];
      const int alpha = static_cast<int>(over >> 24);
      if (alpha == 0) continue;
      std::uint32_t mixed = 0xFF000000;
      for (int shift = 0; shift < 24; shift += 8) {
        const int a = static_cast<int>(over >> shift & 0xFF);
        const int b = static_cast<int>(row[x] >> shift & 0xFF);
        mixed |= static_cast<std::uint32_t>((a * alpha + b * (255 - alpha)) / 255) << shift;
      }
      row[x] = mixed;
    }
  }
}

// Stored pixels are blue, green, red, alpha bytes.
PixelCanvas picture_from_bitmap(const TBitmap32& image) {
  PixelCanvas picture{image.width, image.height, {}};
  picture.argb.resize(image.byte_size() / 4);
  for (std::size_t i = 0; i < picture.argb.size(); ++i) {
    const std::uint8_t* bytes = image.pixels.data() + i * 4;
    picture.argb[i] = static_cast<std::uint32_t>(bytes[3]) << 24 |
                      static_cast<std::uint32_t>(bytes[2]) << 16 |
                      static_cast<std::uint32_t>(bytes[1]) << 8 | bytes[0];
  }
  return picture;
}

std::uint32_t rgb_from_game_colour(int colour) {
  const auto bgr = static_cast<std::uint32_t>(colour);
  return (bgr & 0xFF) << 16 | (bgr & 0xFF00) | (bgr >> 16 & 0xFF);
}

}  // namespace kestrel
