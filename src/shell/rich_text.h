#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

enum class TextAlignment { Left, Centre, Right, Justified };

// How a stretch of text looks. The colour is 0xRRGGBB.
struct TextStyle {
  std::string font = "Arial";
  int half_points = 24;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  std::uint32_t colour = 0;

  bool operator==(const TextStyle&) const = default;
};

// Text in one style. A line break inside the paragraph is '\n', a tab is '\t'.
struct TextRun {
  TextStyle style;
  std::u32string text;

  bool operator==(const TextRun&) const = default;
};

struct TextParagraph {
  TextAlignment alignment = TextAlignment::Left;
  std::vector<TextRun> runs;
  // The style at the paragraph's end, which gives an empty paragraph its height.
  TextStyle mark;

  bool operator==(const TextParagraph&) const = default;
};

struct RichText {
  std::vector<TextParagraph> paragraphs;
};

// Reads the rich text that game information is written in: the formatting
// that shows (fonts, sizes, bold, italic, underline, colours, alignment), with
// pictures, document properties and unknown destinations left out. Anything
// that does not start as rich text is plain text, one paragraph per line.
// Damaged input gives what could be read, never a failure.
RichText read_rich_text(std::string_view source);

}  // namespace kestrel
