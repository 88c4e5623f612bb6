#include "shell/text_layout.h"

#include <algorithm>
#include <optional>

namespace kestrel {
namespace {

// Default tab stops every half inch on a 96 dots-per-inch screen.
constexpr int kTabStop = 48;

struct Item {
  char32_t c;
  std::size_t run;
  int advance;
};

int points(const TextStyle& style) {
  return (style.half_points + 1) / 2;
}

class LineBuilder {
 public:
  LineBuilder(const TextParagraph& paragraph, const std::vector<Item>& items, int width,
              FontSet& fonts)
      : paragraph_(paragraph), items_(items), width_(width), fonts_(fonts) {}

  // The line of items [first, last): its runs split at tabs, placed by
  // alignment. A justified line that the width broke spreads its words to the
  // right edge; the last line of a paragraph keeps them as they are.
  LaidLine build(std::size_t first, std::size_t last, int top, bool wrapped) {
    LaidLine line;
    line.top = top;
    int x = 0;
    int visible_end = 0;
    int ascent = 0;
    int descent = 0;
    const auto measure = [&](const TextStyle& style) {
      if (platform::FontFace* face = fonts_.face(style)) {
        ascent = std::max(ascent, face->ascender());
        descent = std::max(descent, face->height() - face->ascender());
      }
    };
    for (std::size_t i = first; i < last; ++i) {
      const Item& item = items_[i];
      const TextStyle& style = paragraph_.runs[item.run].style;
      if (item.c == U'\t') {
        x = next_tab(x);
        line.runs.push_back({x, style, {}});
        measure(style);
        continue;
      }
      if (line.runs.empty() || line.runs.back().style != style) {
        line.runs.push_back({x, style, {}});
        measure(style);
      }
      line.runs.back().text += item.c;
      x += item.advance;
      if (item.c != U' ') visible_end = x;
    }
    std::erase_if(line.runs, [](const PlacedRun& run) { return run.text.empty(); });
    if (line.runs.empty()) measure(paragraph_.mark);
    line.baseline = ascent;
    line.height = ascent + descent;
    const int room = std::max(width_ - visible_end, 0);
    if (paragraph_.alignment == TextAlignment::Justified && wrapped) {
      spread_words(line, room);
      return line;
    }
    const int shift = paragraph_.alignment == TextAlignment::Centre  ? room / 2
                      : paragraph_.alignment == TextAlignment::Right ? room
                                                                     : 0;
    for (PlacedRun& run : line.runs) run.x += shift;
    return line;
  }

  static int next_tab(int x) { return (x / kTabStop + 1) * kTabStop; }

 private:
  // Widens every space that a word follows, sharing `room` pixels out among
  // them from the left; each widened space ends its run.
  void spread_words(LaidLine& line, int room) {
    // Spaces as (run, character), and where the line's last word ends: the
    // spaces after it are not between words.
    std::vector<std::pair<std::size_t, std::size_t>> gaps;
    std::optional<std::pair<std::size_t, std::size_t>> last_letter;
    for (std::size_t r = 0; r < line.runs.size(); ++r) {
      const std::u32string& text = line.runs[r].text;
      for (std::size_t c = 0; c < text.size(); ++c) {
        if (text[c] == U' ')
          gaps.emplace_back(r, c);
        else
          last_letter = std::make_pair(r, c);
      }
    }
    std::erase_if(gaps, [&](const auto& gap) { return !last_letter || gap > *last_letter; });
    if (gaps.empty()) return;
    std::vector<PlacedRun> spread;
    std::size_t gap = 0;
    int added = 0;
    for (std::size_t r = 0; r < line.runs.size(); ++r) {
      const PlacedRun& run = line.runs[r];
      spread.push_back({run.x + added, run.style, {}});
      int x = run.x;
      for (std::size_t c = 0; c < run.text.size(); ++c) {
        spread.back().text += run.text[c];
        const platform::GlyphBitmap* glyph = fonts_.glyph(run.style, run.text[c]);
        x += glyph != nullptr ? glyph->advance : 0;
        if (gap < gaps.size() && gaps[gap] == std::make_pair(r, c)) {
          added += room / static_cast<int>(gaps.size()) + (gap < room % gaps.size() ? 1 : 0);
          ++gap;
          if (c + 1 < run.text.size()) spread.push_back({x + added, run.style, {}});
        }
      }
    }
    line.runs = std::move(spread);
  }

  const TextParagraph& paragraph_;
  const std::vector<Item>& items_;
  int width_;
  FontSet& fonts_;
};

}  // namespace

FontSet::Entry& FontSet::entry(const TextStyle& style) {
  const auto key = std::make_tuple(style.font, points(style), style.bold, style.italic);
  auto found = entries_.find(key);
  if (found == entries_.end()) {
    std::string ignored;
    Entry opened;
    opened.face =
        platform::open_font_face(style.font, points(style), style.bold, style.italic, ignored);
    found = entries_.emplace(key, std::move(opened)).first;
  }
  return found->second;
}

platform::FontFace* FontSet::face(const TextStyle& style) {
  return entry(style).face.get();
}

const platform::GlyphBitmap* FontSet::glyph(const TextStyle& style, char32_t c) {
  Entry& found = entry(style);
  if (found.face == nullptr) return nullptr;
  auto& slot = found.glyphs[c];
  if (!slot) {
    platform::GlyphBitmap rendered;
    // A character the face lacks shows as a question mark.
    if (found.face->render(c, rendered) || found.face->render(U'?', rendered)) {
      slot = std::move(rendered);
    } else {
      slot = platform::GlyphBitmap{};
    }
  }
  return &*slot;
}

TextLayout lay_out_text(const RichText& text, int width, FontSet& fonts) {
  TextLayout layout;
  layout.width = width = std::max(width, 1);
  std::vector<Item> items;
  for (const TextParagraph& paragraph : text.paragraphs) {
    items.clear();
    for (std::size_t r = 0; r < paragraph.runs.size(); ++r) {
      for (char32_t c : paragraph.runs[r].text) {
        const platform::GlyphBitmap* glyph =
            c == U'\n' || c == U'\t' ? nullptr : fonts.glyph(paragraph.runs[r].style, c);
        items.push_back({c, r, glyph != nullptr ? glyph->advance : 0});
      }
    }
    LineBuilder builder(paragraph, items, width, fonts);
    const auto add_line = [&](std::size_t first, std::size_t last, bool wrapped = false) {
      layout.lines.push_back(builder.build(first, last, layout.height, wrapped));
      layout.height += layout.lines.back().height;
    };
    std::size_t start = 0;
    std::size_t i = 0;
    int x = 0;
    // The last space of the line so far, where it may be broken.
    std::optional<std::size_t> space;
    while (i < items.size()) {
      const Item& item = items[i];
      if (item.c == U'\n') {
        add_line(start, i);
        start = ++i;
        x = 0;
        space.reset();
        continue;
      }
      const int advance = item.c == U'\t' ? LineBuilder::next_tab(x) - x : item.advance;
      // Spaces may hang past the edge; anything else that does not fit starts a new line.
      if (x + advance > width && i > start && item.c != U' ') {
        const std::size_t end = space.value_or(i);
        add_line(start, end, true);
        i = end;
        while (space && i < items.size() && items[i].c == U' ') ++i;
        start = i;
        x = 0;
        space.reset();
        continue;
      }
      if (item.c == U' ') space = i;
      x += advance;
      ++i;
    }
    if (start < items.size() || items.empty() || items.back().c == U'\n') {
      add_line(start, items.size());
    }
  }
  return layout;
}

void paint_text(const TextLayout& layout, FontSet& fonts, int left, int top, PixelCanvas& canvas) {
  const auto blend = [&](int x, int y, std::uint32_t rgb, int coverage) {
    if (x < 0 || y < 0 || x >= canvas.width || y >= canvas.height || coverage == 0) return;
    std::uint32_t& pixel = canvas.argb[static_cast<std::size_t>(y) * canvas.width + x];
    std::uint32_t mixed = 0xFF000000;
    for (int shift = 0; shift < 24; shift += 8) {
      const int over = static_cast<int>(rgb >> shift & 0xFF);
      const int under = static_cast<int>(pixel >> shift & 0xFF);
      mixed |= static_cast<std::uint32_t>((over * coverage + under * (255 - coverage)) / 255)
               << shift;
    }
    pixel = mixed;
  };
  for (const LaidLine& line : layout.lines) {
    const int line_top = top + line.top;
    if (line_top >= canvas.height) break;
    if (line_top + line.height <= 0) continue;
    const int baseline = line_top + line.baseline;
    for (const PlacedRun& run : line.runs) {
      int pen = left + run.x;
      const int start = pen;
      for (char32_t c : run.text) {
        const platform::GlyphBitmap* glyph = fonts.glyph(run.style, c);
        if (glyph == nullptr) continue;
        for (int gy = 0; gy < glyph->rows; ++gy) {
          for (int gx = 0; gx < glyph->width; ++gx) {
            blend(pen + glyph->left + gx, baseline - glyph->top + gy, run.style.colour,
                  glyph->coverage[static_cast<std::size_t>(gy) * glyph->width + gx]);
          }
        }
        pen += glyph->advance;
      }
      if (run.style.underline) {
        // One pixel for every 16 pixels of size, a little below the baseline.
        const int thickness = std::max(1, points(run.style) * 4 / 3 / 16);
        for (int y = 0; y < thickness; ++y) {
          for (int x = start; x < pen; ++x) blend(x, baseline + 2 + y, run.style.colour, 255);
        }
      }
    }
  }
}

}  // namespace kestrel
