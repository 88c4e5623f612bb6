#include "shell/text_layout.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kestrel {
namespace {

// The width a run takes: the sum of its glyphs' advances.
int run_width(FontSet& fonts, const PlacedRun& run) {
  int width = 0;
  for (char32_t c : run.text) width += fonts.glyph(run.style, c)->advance;
  return width;
}

// The right edge of the line's last character that is not a space.
int visible_right(FontSet& fonts, const LaidLine& line) {
  const PlacedRun& last = line.runs.back();
  std::u32string text = last.text;
  while (!text.empty() && text.back() == U' ') text.pop_back();
  return last.x + run_width(fonts, {last.x, last.style, text});
}

RichText paragraph(std::u32string text, TextAlignment alignment = TextAlignment::Left,
                   int half_points = 24) {
  TextParagraph p;
  p.alignment = alignment;
  p.runs.push_back({TextStyle{}, std::move(text)});
  p.runs.back().style.half_points = half_points;
  p.mark.half_points = half_points;
  return {{p}};
}

class TextLayoutTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(fonts_.face(TextStyle{}), nullptr) << "no installed font stands in for Arial";
  }
  FontSet fonts_;
};

TEST_F(TextLayoutTest, LinesFitTheWidthAndKeepEveryWord) {
  const std::u32string text =
      U"The quick brown fox jumps over the lazy dog while an extraordinarily "
      U"long word like incomprehensibilities has to be split when the page is narrow";
  for (int width : {1, 30, 100, 250, 5000}) {
    SCOPED_TRACE(width);
    const TextLayout layout = lay_out_text(paragraph(text), width, fonts_);
    std::u32string joined;
    int top = 0;
    for (const LaidLine& line : layout.lines) {
      ASSERT_FALSE(line.runs.empty());
      EXPECT_EQ(line.top, top);
      EXPECT_GT(line.height, 0);
      top += line.height;
      // A single character wider than the page still gets a line of its own.
      if (line.runs.front().text.size() > 1) {
        EXPECT_LE(visible_right(fonts_, line), width);
      }
      for (const PlacedRun& run : line.runs) joined += run.text;
      if (joined.back() != U' ') joined += U' ';
    }
    EXPECT_EQ(layout.height, top);
    // Lines break at spaces or inside a word; no character goes missing.
    std::u32string without_spaces = text;
    std::erase(without_spaces, U' ');
    std::erase(joined, U' ');
    EXPECT_EQ(joined, without_spaces);
    if (width == 5000) {
      EXPECT_EQ(layout.lines.size(), 1u);
    }
    if (width == 1) {
      EXPECT_EQ(layout.lines.size(), without_spaces.size());
    }
  }
}

TEST_F(TextLayoutTest, BreaksAtSpacesWhenAWordFits) {
  const TextLayout layout = lay_out_text(paragraph(U"alpha beta gamma"), 80, fonts_);
  ASSERT_EQ(layout.lines.size(), 2u);
  EXPECT_EQ(layout.lines[0].runs[0].text, U"alpha beta");
  EXPECT_EQ(layout.lines[1].runs[0].text, U"gamma");
}

TEST_F(TextLayoutTest, AlignmentPlacesTheLine) {
  const int width = 400;
  const int word =
      lay_out_text(paragraph(U"word"), width, fonts_).lines[0].runs[0].x +
      run_width(fonts_, lay_out_text(paragraph(U"word"), width, fonts_).lines[0].runs[0]);
  const struct {
    TextAlignment alignment;
    int x;
  } cases[] = {{TextAlignment::Left, 0},
               {TextAlignment::Justified, 0},
               {TextAlignment::Centre, (width - word) / 2},
               {TextAlignment::Right, width - word}};
  for (const auto& c : cases) {
    const TextLayout layout = lay_out_text(paragraph(U"word", c.alignment), width, fonts_);
    EXPECT_EQ(layout.lines[0].runs[0].x, c.x) << static_cast<int>(c.alignment);
  }
}

TEST_F(TextLayoutTest, JustifiedLinesReachTheRightEdgeButTheLastDoesNot) {
  const int width = 200;
  const TextLayout layout = lay_out_text(
      paragraph(U"the quick brown fox jumps over the lazy dog and runs far away into the woods",
                TextAlignment::Justified),
      width, fonts_);
  ASSERT_GT(layout.lines.size(), 2u);
  for (std::size_t i = 0; i + 1 < layout.lines.size(); ++i) {
    EXPECT_EQ(visible_right(fonts_, layout.lines[i]), width) << "line " << i;
    EXPECT_EQ(layout.lines[i].runs.front().x, 0) << "line " << i;
  }
  const LaidLine& last = layout.lines.back();
  EXPECT_EQ(last.runs.size(), 1u) << "the last line is set as it comes";
  EXPECT_LT(visible_right(fonts_, last), width);
}

TEST_F(TextLayoutTest, LineBreaksTabsAndEmptyParagraphs) {
  RichText text = paragraph(U"a\tb\nc");
  text.paragraphs.push_back(TextParagraph{});
  const TextLayout layout = lay_out_text(text, 400, fonts_);
  ASSERT_EQ(layout.lines.size(), 3u);
  ASSERT_EQ(layout.lines[0].runs.size(), 2u);
  EXPECT_EQ(layout.lines[0].runs[1].x, 48);
  EXPECT_EQ(layout.lines[1].runs[0].text, U"c");
  // An empty paragraph is as tall as a line of its mark's size.
  EXPECT_TRUE(layout.lines[2].runs.empty());
  EXPECT_EQ(layout.lines[2].height, layout.lines[1].height);
}

TEST_F(TextLayoutTest, LargerTextMakesTallerLinesOnACommonBaseline) {
  RichText text = paragraph(U"small ");
  TextRun large{TextStyle{}, U"LARGE"};
  large.style.half_points = 72;
  text.paragraphs[0].runs.push_back(large);
  const TextLayout mixed = lay_out_text(text, 1000, fonts_);
  const TextLayout small = lay_out_text(paragraph(U"small"), 1000, fonts_);
  EXPECT_GT(mixed.lines[0].height, 2 * small.lines[0].height);
  EXPECT_GT(mixed.lines[0].baseline, 2 * small.lines[0].baseline);
}

TEST_F(TextLayoutTest, PaintingDrawsTheTextInItsColourOverTheCanvas) {
  RichText text = paragraph(U"Hello");
  text.paragraphs[0].runs[0].style.colour = 0xFF0000;
  const TextLayout layout = lay_out_text(text, 100, fonts_);
  PixelCanvas canvas{100, 40, std::vector<std::uint32_t>(100 * 40, 0xFFFFFFFF)};
  paint_text(layout, fonts_, 2, 2, canvas);
  int red = 0;
  for (std::uint32_t pixel : canvas.argb) red += pixel == 0xFFFF0000;
  EXPECT_GT(red, 10);
  // Text far above the canvas paints nothing.
  PixelCanvas empty{100, 40, std::vector<std::uint32_t>(100 * 40, 0xFFFFFFFF)};
  paint_text(layout, fonts_, 2, -500, empty);
  EXPECT_EQ(std::count(empty.argb.begin(), empty.argb.end(), 0xFFFFFFFF), 100 * 40);
}

}  // namespace
}  // namespace kestrel
