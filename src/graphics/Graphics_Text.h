#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// How far the pen moves for each character code; 0 outside the font's range.
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

}  // namespace kestrel
