#include "graphics/Graphics_Text.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "graphics/Graphics_Draw.h"
#include "graphics/Graphics_Support.h"
#include "graphics/Graphics_Texture.h"

namespace kestrel {
namespace {

// Lines as the text marks them, before any wrapping.
std::vector<std::string> marked_lines(std::string_view text) {
  std::vector<std::string> lines(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\\' && i + 1 < text.size() && text[i + 1] == '#') {
      lines.back() += '#';
      ++i;
    } else if (c == '#' || c == '\r') {
      lines.emplace_back();
    } else if (c == '\n') {
      if (i == 0 || text[i - 1] != '\r') lines.emplace_back();
    } else {
      lines.back() += c;
    }
  }
  return lines;
}

void wrap_line(const std::string& line, double wrap_width, const Advances& advances,
               std::vector<std::string>& out) {
  std::string current;
  int current_width = 0;
  std::size_t start = 0;
  while (start < line.size()) {
    std::size_t end = line.find_first_of(" -", start);
    end = end == std::string::npos ? line.size() : end + 1;
    const std::string_view word(line.data() + start, end - start);
    const int width = line_width(word, advances);
    if (!current.empty() && current_width + width > wrap_width) {
      out.push_back(std::move(current));
      current.clear();
      current_width = 0;
    }
    current += word;
    current_width += width;
    start = end;
  }
  out.push_back(std::move(current));
}

}  // namespace

int line_width(std::string_view line, const Advances& advances) {
  int width = 0;
  for (char c : line) width += advances[static_cast<unsigned char>(c)];
  return width;
}

std::vector<std::string> text_lines(std::string_view text, double wrap_width,
                                    const Advances& advances) {
  std::vector<std::string> lines = marked_lines(text);
  if (wrap_width < 0) return lines;
  std::vector<std::string> wrapped;
  for (const std::string& line : lines) {
    if (line.empty())
      wrapped.emplace_back();
    else
      wrap_line(line, wrap_width, advances, wrapped);
  }
  return wrapped;
}

int text_width(const std::vector<std::string>& lines, const Advances& advances) {
  int widest = 1;
  for (const std::string& line : lines) widest = std::max(widest, line_width(line, advances));
  return widest;
}

int text_height(std::size_t line_count, int separation, int line_height) {
  if (separation == -1) separation = line_height;
  return line_height + separation * static_cast<int>(std::max<std::size_t>(line_count, 1) - 1);
}

namespace {

// A line's direction on the screen and the scales of its glyphs.
struct LineFrame {
  double cosine = 1, sine = 0, xscale = 1, yscale = 1, angle_radians = 0;
};

void draw_glyph(Graphics& graphics, const TextGlyph& glyph, double x, double y,
                const LineFrame& frame, const std::int64_t (&corners)[4],
                const TextColours& colours) {
  if (!colours.gradient) {
    const double ox = glyph.xorigin * frame.xscale;
    const double oy = glyph.yorigin * frame.yscale;
    x -= ox * frame.cosine + oy * frame.sine;
    y -= oy * frame.cosine - ox * frame.sine;
  }
  draw_texture_general(graphics, glyph.texture, glyph.left, glyph.top, glyph.width, glyph.height, x,
                       y, frame.xscale, frame.yscale, frame.angle_radians, corners, colours.alpha);
}

// Draws one line character by character from its start (x, y). A gradient
// runs along the whole line, so each character gets the colours of its own
// span of the line's width.
void draw_line(Graphics& graphics, const TextFont& font, std::string_view line, double x, double y,
               const LineFrame& frame, const TextColours& colours) {
  const int width = line_width(line, font.advances);
  // Where the gradient stands at a distance along the line; a line without
  // width takes the colours of its start.
  const auto fraction = [width](int distance) {
    return width > 0 ? static_cast<double>(distance) / width : 0.0;
  };
  int pen = 0;
  for (char c : line) {
    const auto code = static_cast<unsigned char>(c);
    const TextGlyph& glyph = font.glyphs[code];
    const int advance = font.advances[code];
    if (glyph.texture >= 0) {
      const double along = (pen + glyph.offset) * frame.xscale;
      std::int64_t corners[4] = {colours.top_left, colours.top_left, colours.top_left,
                                 colours.top_left};
      if (colours.gradient) {
        const double start = fraction(pen);
        const double end = fraction(pen + advance);
        corners[0] = merge_color(colours.top_left, colours.top_right, start);
        corners[1] = merge_color(colours.top_left, colours.top_right, end);
        corners[2] = merge_color(colours.bottom_left, colours.bottom_right, end);
        corners[3] = merge_color(colours.bottom_left, colours.bottom_right, start);
      }
      draw_glyph(graphics, glyph, x + along * frame.cosine, y - along * frame.sine, frame, corners,
                 colours);
    }
    pen += advance;
  }
}

}  // namespace

void draw_text(Graphics& graphics, const TextFont& font, std::string_view text,
               const TextPlacement& placement, const TextColours& colours) {
  const std::vector<std::string> lines = text_lines(text, placement.wrap_width, font.advances);
  const int separation = placement.separation == -1 ? font.line_height : placement.separation;
  const int count = static_cast<int>(lines.size());
  double x = placement.x;
  double y = placement.y;
  if (!placement.transformed) {
    if (placement.valign == 1) y -= count * separation / 2;
    if (placement.valign == 2) y -= count * separation;
    for (const std::string& line : lines) {
      const int width = line_width(line, font.advances);
      const double start = placement.halign == 1   ? x - width / 2
                           : placement.halign == 2 ? x - width
                                                   : x;
      draw_line(graphics, font, line, start, y, LineFrame{}, colours);
      y += separation;
    }
    return;
  }
  const double angle = placement.angle * std::numbers::pi / 180.0;
  const LineFrame frame{std::cos(angle), std::sin(angle), placement.xscale, placement.yscale,
                        angle};
  // From one line's start to the next: down the text, turned with it.
  const double step_x = frame.sine * frame.yscale * separation;
  const double step_y = frame.cosine * frame.yscale * separation;
  if (placement.valign == 1) {
    x -= round_to_int(count * step_x / 2);
    y -= round_to_int(count * step_y / 2);
  } else if (placement.valign == 2) {
    x -= round_to_int(count * step_x);
    y -= round_to_int(count * step_y);
  }
  for (const std::string& line : lines) {
    const double scaled_width = frame.xscale * line_width(line, font.advances);
    const int back = placement.halign == 1   ? round_to_int(scaled_width / 2)
                     : placement.halign == 2 ? round_to_int(scaled_width)
                                             : 0;
    draw_line(graphics, font, line, x - back * frame.cosine, y + back * frame.sine, frame, colours);
    x += step_x;
    y += step_y;
  }
}

}  // namespace kestrel
